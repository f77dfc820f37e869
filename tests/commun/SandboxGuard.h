#pragma once

#include <QString>

// Tests that open sockets must never run in the machine's own network
// namespace: the program broadcasts to 255.255.255.255. scripts/sandbox
// starts them in a private namespace and names it in BANDEPASSANTE_NETNS.
namespace SandboxGuard {

// Empty when this process runs in the private namespace made for it;
// otherwise the reason it does not.
QString whyNotPrivate();

// Prints the reason and returns false when the process is not in the sandbox.
bool requirePrivateNetwork();

}

// Like QTEST_MAIN, but refuses to run outside scripts/sandbox.
#define BANDEPASSANTE_NETWORK_TEST_MAIN(TestObject)                  \
    int main(int argc, char *argv[])                                 \
    {                                                                \
        QApplication app(argc, argv);                                \
        if (!SandboxGuard::requirePrivateNetwork())                  \
            return 2;                                                \
        app.setAttribute(Qt::AA_Use96Dpi, true);                     \
        TestObject tc;                                               \
        QTEST_SET_MAIN_SOURCE_PATH                                   \
        return QTest::qExec(&tc, argc, argv);                        \
    }
