#include "FauxNavigateur.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

FauxNavigateur::FauxNavigateur()
{
    if (!dossier_.isValid() || !QDir(dossier_.path()).mkdir(QStringLiteral("Mon navigateur")))
        return;
    chemin_ = dossier_.filePath(QStringLiteral("Mon navigateur/navi gateur"));
    appel_ = dossier_.filePath(QStringLiteral("Mon navigateur/appel"));
    QFile script(chemin_);
    if (!script.open(QIODevice::WriteOnly))
        return;
    // Each argument followed by a zero byte, so that blanks, quotes and empty
    // arguments come back as they were, and a run without arguments as an
    // empty record. The record is written aside and then renamed: once it
    // exists it is whole.
    const QByteArray texte = "#!/bin/sh\n"
                             "ici=$(dirname \"$0\")\n"
                             "for argument in \"$@\"; do printf '%s\\0' \"$argument\"; done > \"$ici/appel.part\"\n"
                             "mv \"$ici/appel.part\" \"$ici/appel\"\n";
    const bool ecrit = script.write(texte) == texte.size();
    script.close();
    pret_ = ecrit && script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool FauxNavigateur::pret() const
{
    return pret_;
}

QString FauxNavigateur::chemin() const
{
    return chemin_;
}

bool FauxNavigateur::appele() const
{
    return pret_ && QFileInfo::exists(appel_);
}

QStringList FauxNavigateur::arguments() const
{
    QFile appel(appel_);
    if (!appel.open(QIODevice::ReadOnly))
        return {};
    QStringList arguments;
    const QList<QByteArray> parties = appel.readAll().split('\0');
    // The last zero ends the last argument: what follows it is no argument.
    for (qsizetype i = 0; i + 1 < parties.size(); ++i)
        arguments << QString::fromLocal8Bit(parties[i]);
    return arguments;
}
