#pragma once

#include "protocole/Protocole.h"

#include <QString>

// What the programs tell the user when an attempt, a connection or a listen
// fails: the reason in plain French, with the address and the port, and the
// likely cause, one true cause per system error. `cible` is the address or
// name that the attempt used, exactly as typed; `numero` and `description`
// are what the socket reported (a system error number and its text).

// Why a connection attempt to `cible` failed: nobody listening, no answer,
// no route, a broadcast address, a local firewall, an unknown name, a text
// that is no address (empty, with a port, a number above 255), or what the
// system said.
QString RaisonEchecConnexion(const QString &cible, int numero, const QString &description,
                             int port = Protocole::Port);

// `cible` is an IPv6 address, bare or in brackets, which the programs do not
// measure: why, and what to give instead; empty for anything else.
QString RaisonIpv6(const QString &cible);

// The attempt had no answer in the time allowed: the machine is absent or a
// firewall drops the request.
QString RaisonSansReponse(const QString &cible);

// Why a connection that was up ended. `occupe`: it ended at once after the
// receiver accepted it, as a receiver that already serves another
// transmitter does. `numero` 0: the receiver ended it in order.
QString RaisonPerte(const QString &cible, bool occupe, int numero, const QString &description);

// Why the TCP `port` cannot be listened on: taken by another program,
// reserved to the administrator, or what the system said.
QString RaisonEcouteImpossible(int port, int numero, const QString &description);
