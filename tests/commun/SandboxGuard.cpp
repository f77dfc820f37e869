#include "SandboxGuard.h"

#include <QtGlobal>

#include <cstdio>
#include <unistd.h>

namespace {

// The namespace a /proc link names ("net:[4026532174]"), or empty when the
// link cannot be read.
QString namespaceOf(const char *link)
{
    char target[128];
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    return n > 0 ? QString::fromLatin1(target, int(n)) : QString();
}

}

namespace SandboxGuard {

QString whyNotPrivate()
{
    const QString own = namespaceOf("/proc/self/ns/net");
    if (own.isEmpty())
        return QStringLiteral("cannot read /proc/self/ns/net");
    // Only some may read it: when we can, the machine's own namespace must
    // differ from ours.
    const QString machine = namespaceOf("/proc/1/ns/net");
    if (!machine.isEmpty() && machine == own)
        return QStringLiteral("this process runs in the machine's own network namespace");
    const QString made = qEnvironmentVariable("BANDEPASSANTE_NETNS");
    if (made.isEmpty())
        return QStringLiteral("BANDEPASSANTE_NETNS is not set, so scripts/sandbox did not start it");
    if (made != own)
        return QStringLiteral("it runs in %1, not in the namespace %2 that scripts/sandbox made").arg(own, made);
    return {};
}

bool requirePrivateNetwork()
{
    const QString why = whyNotPrivate();
    if (why.isEmpty())
        return true;
    std::fprintf(stderr,
                 "Refusing to run: %s.\nThis program opens sockets and broadcasts; start it through "
                 "scripts/sandbox (ctest does so).\n",
                 qPrintable(why));
    return false;
}

}
