#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Host B of `scripts/sandbox --two-hosts`: a second network namespace joined
// to ours by veth, named in BANDEPASSANTE_HOTE_B. Programs started there get
// the environment their own guard checks (BANDEPASSANTE_NETNS names B).
namespace HoteB {

// Whether the sandbox made host B.
bool Existe();

// nsenter's arguments that run `programme` with `arguments` on host B.
QStringList Arguments(const QString &programme, const QStringList &arguments = {});

// Starts `programme` on host B in `p`, with B's environment.
void Demarre(QProcess &p, const QString &programme, const QStringList &arguments = {});

}
