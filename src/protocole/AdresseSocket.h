#pragma once

#include <QString>
#include <QtGlobal>

#include <netinet/in.h>

// The system's IPv4 socket address, built in one place: `ipv4` in host byte
// order (INADDR_ANY, INADDR_LOOPBACK or QHostAddress::toIPv4Address()).
sockaddr_in AdresseSocket(quint32 ipv4, quint16 port);

// The dotted text of an IPv4 socket address, "192.0.2.10".
QString TexteAdresse(const sockaddr_in &adresse);
