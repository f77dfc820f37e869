#include "protocole/AdresseSocket.h"

#include <arpa/inet.h>

sockaddr_in AdresseSocket(quint32 ipv4, quint16 port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(ipv4);
    return a;
}

QString TexteAdresse(const sockaddr_in &adresse)
{
    char texte[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &adresse.sin_addr, texte, sizeof texte);
    return QString::fromLatin1(texte);
}
