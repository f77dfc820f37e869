#pragma once

#include <QString>

// What the transmitter tells the user when an attempt or a connection ends
// in failure: the reason in plain French, with the address and the port, and
// the likely cause. `cible` is the address box's text that the attempt used,
// exactly as typed; `numero` and `description` are what the socket's error
// event reported (a system error number).

// Why a connection attempt to `cible` failed: nobody listening, no answer,
// an unknown name, a text that is no address (empty, with a port, a number
// above 255), or what the system said.
QString RaisonEchecConnexion(const QString &cible, int numero, const QString &description);

// The attempt had no answer in the time allowed: the machine is absent or a
// firewall drops the request.
QString RaisonSansReponse(const QString &cible);

// Why a connection that was up ended. `occupe`: it ended at once after the
// receiver accepted it, as a receiver that already serves another
// transmitter does. `numero` 0: the receiver closed it.
QString RaisonPerte(const QString &cible, bool occupe, int numero, const QString &description);
