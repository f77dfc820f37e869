#include "protocole/Protocole.h"

namespace Protocole {

QByteArray DatagrammePresence(const QByteArray &adresseIp)
{
    return QByteArray(PrefixePresence) + adresseIp;
}

std::optional<QByteArray> AdresseAnnoncee(const QByteArray &datagramme)
{
    if (!datagramme.startsWith(QByteArrayView(PrefixePresence, LongueurPrefixe)))
        return std::nullopt;
    return datagramme.mid(LongueurPrefixe);
}

QByteArray BlocMesure()
{
    QByteArray bloc(LongueurBloc - 1, 'A');
    bloc.append('\r');
    return bloc;
}

}
