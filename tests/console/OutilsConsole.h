#pragma once

// Helpers of the console tests: the console program run as a child process,
// here or on host B, its output gathered line by line as it comes.

#include "HoteB.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

class Console : public QObject
{
public:
    Console()
    {
        connect(&processus_, &QProcess::readyReadStandardOutput, this, [this] {
            while (processus_.canReadLine())
                lignes_ << QString::fromUtf8(processus_.readLine()).chopped(1);
        });
        connect(&processus_, &QProcess::readyReadStandardError, this,
                [this] { erreurs_ += QString::fromUtf8(processus_.readAllStandardError()); });
    }
    ~Console() override
    {
        if (processus_.state() != QProcess::NotRunning) {
            processus_.kill();
            processus_.waitForFinished();
        }
    }

    // Starts the console with `arguments`, here with `env`, or on host B
    // when `hoteB` is set; with at most `descripteurs` open files when given.
    void lance(const QStringList &arguments, bool hoteB = false,
               const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(), rlim_t descripteurs = 0)
    {
        if (descripteurs > 0)
            processus_.setChildProcessModifier([descripteurs] {
                const rlimit limite{descripteurs, descripteurs};
                ::setrlimit(RLIMIT_NOFILE, &limite);
            });
        if (hoteB) {
            HoteB::Demarre(processus_, QStringLiteral(BANDEPASSANTE_CONSOLE), arguments);
        } else {
            processus_.setProcessEnvironment(env);
            processus_.start(QStringLiteral(BANDEPASSANTE_CONSOLE), arguments);
        }
        processus_.waitForStarted();
    }

    // Standard output's complete lines so far, and all of standard error.
    const QStringList &lignes() const { return lignes_; }
    const QString &erreurs() const { return erreurs_; }

    // The lines that are JSON objects of `type`; every line of the output
    // must be a JSON object, or fautesJson() counts it.
    QList<QJsonObject> objets(const QString &type) const
    {
        QList<QJsonObject> trouves;
        for (const QString &ligne : lignes_) {
            const QJsonObject o = QJsonDocument::fromJson(ligne.toUtf8()).object();
            if (o.value(QStringLiteral("type")).toString() == type)
                trouves << o;
        }
        return trouves;
    }
    int fautesJson() const
    {
        int fautes = 0;
        for (const QString &ligne : lignes_) {
            QJsonParseError e;
            if (!QJsonDocument::fromJson(ligne.toUtf8(), &e).isObject() || e.error != QJsonParseError::NoError)
                ++fautes;
        }
        return fautes;
    }

    bool enCours() const { return processus_.state() != QProcess::NotRunning; }
    // The exit code once it has ended normally; -1 otherwise (a crash too).
    int code() const
    {
        return !enCours() && processus_.exitStatus() == QProcess::NormalExit ? processus_.exitCode() : -1;
    }
    // Signals the console itself (not nsenter, on host B: nsenter execs it).
    void signale(int numero) { ::kill(pid_t(processus_.processId()), numero); }

private:
    QProcess processus_;
    QStringList lignes_;
    QString erreurs_;
};
