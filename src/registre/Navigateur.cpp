#include "registre/Navigateur.h"

#include "registre/RegistryKey.h"

#include <QMetaType>
#include <QProcess>

#include <array>
#include <optional>
#include <stdexcept>
#include <utility>

namespace {

// Compared in this order; the first equal name gives the root handle.
const std::array<std::pair<QLatin1String, quint32>, 7> Racines{{
    {QLatin1String("HKEY_CLASSES_ROOT"), RegistryStore::HKEY_CLASSES_ROOT},
    {QLatin1String("HKEY_CURRENT_CONFIG"), RegistryStore::HKEY_CURRENT_CONFIG},
    {QLatin1String("HKEY_CURRENT_USER"), RegistryStore::HKEY_CURRENT_USER},
    {QLatin1String("HKEY_DYN_DATA"), RegistryStore::HKEY_DYN_DATA},
    {QLatin1String("HKEY_LOCAL_MACHINE"), RegistryStore::HKEY_LOCAL_MACHINE},
    {QLatin1String("HKEY_PERFORMANCE_DATA"), RegistryStore::HKEY_PERFORMANCE_DATA},
    {QLatin1String("HKEY_USERS"), RegistryStore::HKEY_USERS},
}};

bool estBlanc(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Text positions are 16-bit signed counters.
qint16 position16(qsizetype position)
{
    if (position > 32767)
        throw std::overflow_error("Overflow");
    return qint16(position);
}

bool estNombre(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// The condition as a boolean, or nothing when it cannot be read as one.
std::optional<bool> commeBooleen(const QVariant &vCondition)
{
    if (vCondition.isNull())
        return false;
    if (vCondition.typeId() == QMetaType::Bool)
        return vCondition.toBool();
    if (estNombre(vCondition.typeId()))
        return vCondition.toDouble() != 0;
    if (vCondition.typeId() == QMetaType::QString || vCondition.typeId() == QMetaType::QByteArray) {
        const QString texte = vCondition.toString().trimmed();
        if (texte.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (texte.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        bool nombre = false;
        const double valeur = texte.toDouble(&nombre);
        if (nombre)
            return valeur != 0;
    }
    return std::nullopt;
}

}

bool DemarreDetache(const QString &programme, const QStringList &arguments)
{
    return QProcess::startDetached(programme, arguments);
}

QStringList DecoupeLigne(const QString &sLigne)
{
    const qsizetype fin = sLigne.size();
    qsizetype i = 0;
    QString programme;
    if (i < fin && sLigne[i] == QLatin1Char('"')) {
        qsizetype guillemet = sLigne.indexOf(QLatin1Char('"'), 1);
        if (guillemet < 0)
            guillemet = fin;
        programme = sLigne.mid(1, guillemet - 1);
        i = qMin(guillemet + 1, fin);
    } else {
        while (i < fin && !estBlanc(sLigne[i]))
            programme += sLigne[i++];
    }

    QStringList parties{programme};
    for (;;) {
        while (i < fin && estBlanc(sLigne[i]))
            ++i;
        if (i == fin)
            break;
        QString argument;
        bool entreGuillemets = false;
        for (; i < fin && (entreGuillemets || !estBlanc(sLigne[i])); ++i) {
            if (sLigne[i] == QLatin1Char('"'))
                entreGuillemets = !entreGuillemets;
            else
                argument += sLigne[i];
        }
        parties.append(argument);
    }
    return parties;
}

bool DemarreProgramme(const QString &sLigne, const Demarreur &demarre)
{
    QStringList arguments = DecoupeLigne(sLigne);
    const QString programme = arguments.takeFirst();
    if (programme.isEmpty())
        return false;
    return demarre(programme, arguments);
}

bool OuvreNavigateur(const QString &sAdresse, const Demarreur &demarre)
{
    QString sCommande;
    try {
        sCommande = LitRegistre(CheminCommandeNavigateur, QString());
    } catch (...) {
        // An unreadable command is a missing one.
    }
    try {
        sCommande = Remplace(Remplace(sCommande, QStringLiteral("-nohome"), QString()), QStringLiteral("%1"),
                             QString());
        return DemarreProgramme(sCommande + QLatin1Char(' ') + sAdresse, demarre);
    } catch (...) {
        // Likewise: nothing is started.
        return false;
    }
}

QString LitRegistre(const QString &sChemin, const QString &sNomValeur, RegistryStore &store)
{
    const qsizetype barre = sChemin.indexOf(QLatin1Char('\\'));
    const QString racine = barre < 0 ? QString() : sChemin.left(barre).toUpper();
    quint32 hkeyRoot = 0;
    for (const auto &[nom, handle] : Racines) {
        if (racine == nom) {
            hkeyRoot = handle;
            break;
        }
    }
    const QString sousCle = barre < 0 ? sChemin : sChemin.mid(barre + 1);

    RegistryKey cle(store);
    try {
        cle.OpenKey(hkeyRoot, sousCle, RegistryStore::KEY_READ);
    } catch (const RegistryError &) {
        // A key that cannot be opened reads as "" below.
    }
    return cle.value(sNomValeur);
}

QString Remplace(const QString &sTexte, const QString &sCherche, const QString &sRemplacement)
{
    if (sCherche.isEmpty())
        return sTexte;
    QString texte = sTexte;
    qint16 iPos = 1;
    while (iPos != 0) {
        iPos = position16(texte.indexOf(sCherche, iPos - 1, Qt::CaseInsensitive) + 1);
        if (iPos == 0)
            break;
        const QString gauche = SiVrai(iPos != 1, texte.left(iPos - 1), QString()).toString();
        texte = gauche + sRemplacement + texte.mid(iPos - 1 + sCherche.size());
        iPos = position16(iPos + sRemplacement.size());
    }
    return texte;
}

QVariant SiVrai(const QVariant &vCondition, const QVariant &vSiVrai, const QVariant &vSiFaux)
{
    return commeBooleen(vCondition).value_or(true) ? vSiVrai : vSiFaux;
}
