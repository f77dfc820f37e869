#include "Reinitialise.h"

#include <QTcpSocket>

#include <sys/socket.h>

void reinitialise(QTcpSocket *socket)
{
    const linger l{1, 0};
    ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &l, sizeof l);
    socket->abort();
}
