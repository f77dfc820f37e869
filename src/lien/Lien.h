#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <optional>

// The link a measurement ran over: the interface that carries the route to
// the far end, and what can be known of it without privileges. Nothing is
// invented: a figure the system does not give stays empty.
struct Lien
{
    enum class Type { Inconnu, Wifi, Ethernet, Autre };

    Type type = Type::Inconnu;
    // The interface's name ("wlan0", "eth0", "lo", "bpa"); empty when none
    // was found.
    QString interface;

    // Wi-Fi (nl80211): the network's name (raw bytes, as the access point
    // sends it), the access point's address ("aa:bb:cc:dd:ee:ff"), the
    // frequency and channel, the channel's width, the signal, and the
    // transmit and receive bit rates with their MCS index and spatial
    // streams where the driver gives them.
    QByteArray ssid;
    QString bssid;
    std::optional<int> frequenceMHz;
    std::optional<int> canal;
    std::optional<int> largeurMHz;
    std::optional<int> signalDbm;
    std::optional<qint64> debitEmissionKbps;
    std::optional<qint64> debitReceptionKbps;
    std::optional<int> mcsEmission;
    std::optional<int> fluxEmission;
    std::optional<int> mcsReception;
    std::optional<int> fluxReception;

    // Ethernet (ethtool): the negotiated speed and duplex.
    std::optional<int> vitesseMbps;
    std::optional<bool> duplexIntegral;

    // Anything else: what kind of interface it is (BoucleLocale, or its
    // driver: "veth", "bridge", "tun"...).
    QString genre;
    static constexpr const char *BoucleLocale = QT_TRANSLATE_NOOP("Lien", "boucle locale");

    // "wifi", "ethernet", "autre" or "inconnu".
    QString nomType() const;
    // One line for a person, in their language, network text made harmless:
    // "wifi wlan0 « Maison » 5180 MHz (canal 36, 80 MHz), signal -52 dBm,
    // émission 866,7 Mbit/s, réception 780,0 Mbit/s",
    // "ethernet eth0 1000 Mbit/s intégral", "autre bpa (veth)", "inconnu".
    // Not `traduite`: in French whatever the person's language, as the
    // history keeps it.
    QString description(bool traduite = true) const;

    Q_DECLARE_TR_FUNCTIONS(Lien)
};
