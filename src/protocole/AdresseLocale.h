#pragma once

#include <QByteArray>
#include <QString>

// Which address this machine announces: that of the interface holding the
// default route.
namespace AdresseLocale {

// The interface that holds the default route (the lowest metric wins) in an
// IPv4 routing table written as the kernel's /proc/net/route; empty when the
// table has none.
QByteArray InterfaceParDefaut(const QByteArray &table);

// This machine's IPv4 address in dotted text: that of the default route's
// interface, 127.0.0.1 when there is no such route or address.
QString DeLaMachine();

}
