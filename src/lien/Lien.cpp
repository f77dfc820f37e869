#include "lien/Lien.h"

#include "outils/Neutralise.h"

#include <QStringList>

namespace {

QString mbits(qint64 kbps)
{
    return QString::number(double(kbps) / 1000.0, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
}

// "866,7 Mbit/s (MCS 9, 2 flux)"
QString debit(qint64 kbps, const std::optional<int> &mcs, const std::optional<int> &flux)
{
    QString texte = mbits(kbps) + QStringLiteral(" Mbit/s");
    QStringList details;
    if (mcs)
        details << QStringLiteral("MCS %1").arg(*mcs);
    if (flux)
        details << QStringLiteral("%1 flux").arg(*flux);
    return details.isEmpty() ? texte : texte + QStringLiteral(" (") + details.join(QStringLiteral(", ")) + ')';
}

}

QString Lien::nomType() const
{
    switch (type) {
    case Type::Wifi:
        return QStringLiteral("wifi");
    case Type::Ethernet:
        return QStringLiteral("ethernet");
    case Type::Autre:
        return QStringLiteral("autre");
    case Type::Inconnu:
        break;
    }
    return QStringLiteral("inconnu");
}

QString Lien::description() const
{
    if (type == Type::Inconnu)
        return nomType();
    QStringList morceaux{nomType() + QLatin1Char(' ') + Neutralise(interface)};
    switch (type) {
    case Type::Wifi: {
        if (!ssid.isEmpty())
            morceaux.last() += QStringLiteral(" « %1 »").arg(Neutralise(QString::fromUtf8(ssid)));
        if (frequenceMHz) {
            QStringList canalEtLargeur;
            if (canal)
                canalEtLargeur << QStringLiteral("canal %1").arg(*canal);
            if (largeurMHz)
                canalEtLargeur << QStringLiteral("%1 MHz").arg(*largeurMHz);
            morceaux.last() += QStringLiteral(" %1 MHz").arg(*frequenceMHz) +
                               (canalEtLargeur.isEmpty() ? QString()
                                                         : QStringLiteral(" (") + canalEtLargeur.join(QStringLiteral(", ")) + ')');
        }
        if (signalDbm)
            morceaux << QStringLiteral("signal %1 dBm").arg(*signalDbm);
        if (debitEmissionKbps)
            morceaux << QStringLiteral("émission ") + debit(*debitEmissionKbps, mcsEmission, fluxEmission);
        if (debitReceptionKbps)
            morceaux << QStringLiteral("réception ") + debit(*debitReceptionKbps, mcsReception, fluxReception);
        break;
    }
    case Type::Ethernet:
        if (vitesseMbps)
            morceaux.last() += QStringLiteral(" %1 Mbit/s").arg(*vitesseMbps);
        if (duplexIntegral)
            morceaux.last() += *duplexIntegral ? QStringLiteral(" intégral") : QStringLiteral(" semi-duplex");
        break;
    case Type::Autre:
        if (!genre.isEmpty())
            morceaux.last() += QStringLiteral(" (%1)").arg(genre);
        break;
    case Type::Inconnu:
        break;
    }
    return morceaux.join(QStringLiteral(", "));
}
