#include "HoteB.h"

#include <unistd.h>

namespace HoteB {

namespace {

// The namespace host B's link names ("net:[4026532174]"), or empty.
QString nomNamespace()
{
    char cible[128] = {};
    if (::readlink(qPrintable(qEnvironmentVariable("BANDEPASSANTE_HOTE_B")), cible, sizeof cible - 1) <= 0)
        return {};
    return QString::fromLatin1(cible);
}

}

bool Existe()
{
    return !nomNamespace().isEmpty();
}

QStringList Arguments(const QString &programme, const QStringList &arguments)
{
    return QStringList{QStringLiteral("--net=") + qEnvironmentVariable("BANDEPASSANTE_HOTE_B"), programme} + arguments;
}

void Demarre(QProcess &p, const QString &programme, const QStringList &arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The guard of our test helpers checks that they run in the namespace named here.
    env.insert(QStringLiteral("BANDEPASSANTE_NETNS"), nomNamespace());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("nsenter"), Arguments(programme, arguments));
}

}
