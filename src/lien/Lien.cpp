#include "lien/Lien.h"

#include "outils/Formatage.h"
#include "outils/Neutralise.h"

#include <QStringList>

namespace {

// The types as programs read them; translated, as a person reads them.
const char *const NomsTypes[] = {
    QT_TRANSLATE_NOOP("Lien", "inconnu"),
    QT_TRANSLATE_NOOP("Lien", "wifi"),
    QT_TRANSLATE_NOOP("Lien", "ethernet"),
    QT_TRANSLATE_NOOP("Lien", "autre"),
};

// A text of the description in the person's language, or as written, in
// French, for what the history keeps.
QString texte(bool traduit, const char *source, int n = -1)
{
    if (traduit)
        return Lien::tr(source, nullptr, n);
    QString ecrit = QString::fromUtf8(source);
    return n < 0 ? ecrit : ecrit.replace(QLatin1String("%n"), QString::number(n));
}

// Decimal megabits, as the driver gives them; the history keeps ",".
QString mbits(bool traduit, qint64 kbps)
{
    return FormateDecimal(double(kbps) / 1000.0, 1, traduit ? Langue::SeparateurDecimal() : QLatin1Char(',')) +
           QStringLiteral(" Mbit/s");
}

// "866,7 Mbit/s (MCS 9, 2 flux)"
QString debit(bool traduit, qint64 kbps, const std::optional<int> &mcs, const std::optional<int> &flux)
{
    const QString texte = mbits(traduit, kbps);
    QStringList details;
    if (mcs)
        details << QStringLiteral("MCS %1").arg(*mcs);
    if (flux)
        //: Wi-Fi spatial streams
        details << ::texte(traduit, QT_TRANSLATE_N_NOOP("Lien", "%n flux"), *flux);
    return details.isEmpty() ? texte : texte + QStringLiteral(" (") + details.join(QStringLiteral(", ")) + ')';
}

}

QString Lien::nomType() const
{
    return QString::fromLatin1(NomsTypes[int(type)]);
}

QString Lien::description(bool traduite) const
{
    const QString nom = texte(traduite, NomsTypes[int(type)]);
    if (type == Type::Inconnu)
        return nom;
    QStringList morceaux{nom + QLatin1Char(' ') + Neutralise(interface)};
    switch (type) {
    case Type::Wifi: {
        if (!ssid.isEmpty())
            //: %1 the link's type and interface, %2 the Wi-Fi network's name
            morceaux.last() = texte(traduite, QT_TRANSLATE_NOOP("Lien", "%1 « %2 »"))
                                  .arg(morceaux.last(), Neutralise(QString::fromUtf8(ssid)));
        if (frequenceMHz) {
            QStringList canalEtLargeur;
            if (canal)
                //: Wi-Fi channel
                canalEtLargeur << texte(traduite, QT_TRANSLATE_NOOP("Lien", "canal %1")).arg(*canal);
            if (largeurMHz)
                canalEtLargeur << QStringLiteral("%1 MHz").arg(*largeurMHz);
            morceaux.last() += QStringLiteral(" %1 MHz").arg(*frequenceMHz) +
                               (canalEtLargeur.isEmpty() ? QString()
                                                         : QStringLiteral(" (") + canalEtLargeur.join(QStringLiteral(", ")) + ')');
        }
        if (signalDbm)
            morceaux << texte(traduite, QT_TRANSLATE_NOOP("Lien", "signal %1 dBm")).arg(*signalDbm);
        if (debitEmissionKbps)
            //: The Wi-Fi transmit bit rate
            morceaux << texte(traduite, QT_TRANSLATE_NOOP("Lien", "émission %1"))
                            .arg(debit(traduite, *debitEmissionKbps, mcsEmission, fluxEmission));
        if (debitReceptionKbps)
            //: The Wi-Fi receive bit rate
            morceaux << texte(traduite, QT_TRANSLATE_NOOP("Lien", "réception %1"))
                            .arg(debit(traduite, *debitReceptionKbps, mcsReception, fluxReception));
        break;
    }
    case Type::Ethernet:
        if (vitesseMbps)
            morceaux.last() += QStringLiteral(" %1 Mbit/s").arg(*vitesseMbps);
        if (duplexIntegral)
            //: Full duplex, as opposed to "semi-duplex"
            morceaux.last() += QLatin1Char(' ') + texte(traduite, *duplexIntegral ? QT_TRANSLATE_NOOP("Lien", "intégral")
                                                                                  : QT_TRANSLATE_NOOP("Lien", "semi-duplex"));
        break;
    case Type::Autre:
        if (!genre.isEmpty())
            morceaux.last() +=
                QStringLiteral(" (%1)").arg(genre == QLatin1String(BoucleLocale) ? texte(traduite, BoucleLocale)
                                                                                 : genre);
        break;
    case Type::Inconnu:
        break;
    }
    return morceaux.join(QStringLiteral(", "));
}
