#pragma once

#include "lien/Lien.h"

#include <QByteArray>
#include <QHostAddress>
#include <QString>

// What a measurement learns of its link, without privileges and in any
// network namespace: the interface that carries the route to the far end,
// then Wi-Fi through nl80211, Ethernet through the ethtool ioctl, anything
// else by its kind. Never fails: what cannot be known stays empty, "inconnu"
// when not even the interface can be found.
namespace Sonde {

// The interface that the IPv4 routing table `table` (written as the kernel's
// /proc/net/route) uses to reach `adresse`: the up route with the longest
// prefix, the lowest metric among equals; empty when none.
QString InterfacePour(const QByteArray &table, const QHostAddress &adresse);

// The link to `destination`: to one of this machine's own addresses, or
// 127.0.0.0/8, the loopback interface.
Lien LienVers(const QHostAddress &destination);

// What changes each second (Wi-Fi: signal and bit rates); nothing else.
void Actualise(Lien &lien);

}
