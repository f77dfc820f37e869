#pragma once

class QTcpSocket;

// Ends a connection with a reset rather than an orderly close. A plain
// abort() resets it only when received data is left unread, so a peer that
// has read everything would see an orderly close.
void reinitialise(QTcpSocket *socket);
