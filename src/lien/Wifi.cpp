#include "lien/Wifi.h"

#include "lien/Lien.h"

#include <array>
#include <cstdint>
#include <linux/nl80211.h>
#include <memory>
#include <netlink/attr.h>
#include <netlink/genl/ctrl.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>
#include <netlink/netlink.h>
#include <netlink/socket.h>
#include <sys/socket.h>
#include <sys/time.h>

namespace {

// Every length is checked before anything is read: a short attribute gets the
// message refused, never read past its end. Nests are checked as they are
// opened.
const std::array<nla_policy, NL80211_ATTR_MAX + 1> politiqueMessage = [] {
    std::array<nla_policy, NL80211_ATTR_MAX + 1> p{};
    p[NL80211_ATTR_IFINDEX].type = NLA_U32;
    p[NL80211_ATTR_WIPHY_FREQ].type = NLA_U32;
    p[NL80211_ATTR_CHANNEL_WIDTH].type = NLA_U32;
    // 802.11's longest network name.
    p[NL80211_ATTR_SSID].maxlen = 32;
    p[NL80211_ATTR_MAC].minlen = 6;
    p[NL80211_ATTR_MAC].maxlen = 6;
    return p;
}();

const std::array<nla_policy, NL80211_STA_INFO_MAX + 1> politiqueStation = [] {
    std::array<nla_policy, NL80211_STA_INFO_MAX + 1> p{};
    p[NL80211_STA_INFO_SIGNAL].type = NLA_U8;
    return p;
}();

const std::array<nla_policy, NL80211_RATE_INFO_MAX + 1> politiqueDebit = [] {
    std::array<nla_policy, NL80211_RATE_INFO_MAX + 1> p{};
    p[NL80211_RATE_INFO_BITRATE].type = NLA_U16;
    p[NL80211_RATE_INFO_BITRATE32].type = NLA_U32;
    for (const int octet : {NL80211_RATE_INFO_MCS, NL80211_RATE_INFO_VHT_MCS, NL80211_RATE_INFO_VHT_NSS,
                            NL80211_RATE_INFO_HE_MCS, NL80211_RATE_INFO_HE_NSS, NL80211_RATE_INFO_EHT_MCS,
                            NL80211_RATE_INFO_EHT_NSS})
        p[octet].type = NLA_U8;
    return p;
}();

// The attributes of `message`, when it is a valid nl80211 message carrying
// `commande`.
bool Attributs(nl_msg *message, int commande, nlattr **attributs)
{
    nlmsghdr *entete = nlmsg_hdr(message);
    return genlmsg_parse(entete, 0, attributs, NL80211_ATTR_MAX, politiqueMessage.data()) >= 0 &&
           genlmsg_hdr(entete)->cmd == commande;
}

// The channel number of a frequency, in the 2.4, 5 and 6 GHz bands; none off
// their grids.
std::optional<int> Canal(int frequence)
{
    if (frequence == 2484)
        return 14;
    int base = 0;
    if (frequence >= 2412 && frequence <= 2472)
        base = 2407;
    else if (frequence >= 5150 && frequence <= 5895)
        base = 5000;
    else if (frequence >= 5955 && frequence <= 7115)
        base = 5950;
    else
        return std::nullopt;
    if ((frequence - base) % 5 != 0)
        return std::nullopt;
    return (frequence - base) / 5;
}

// An enum nl80211_chan_width in MHz. 80+80 MHz is two 80 MHz segments: 160
// MHz in all.
std::optional<int> Largeur(uint32_t largeur)
{
    switch (largeur) {
    case NL80211_CHAN_WIDTH_20_NOHT:
    case NL80211_CHAN_WIDTH_20:
        return 20;
    case NL80211_CHAN_WIDTH_40:
        return 40;
    case NL80211_CHAN_WIDTH_80:
        return 80;
    case NL80211_CHAN_WIDTH_80P80:
    case NL80211_CHAN_WIDTH_160:
        return 160;
    case NL80211_CHAN_WIDTH_320:
        return 320;
    case NL80211_CHAN_WIDTH_5:
        return 5;
    case NL80211_CHAN_WIDTH_10:
        return 10;
    // 802.11ah's narrow channels, below 1 GHz.
    case NL80211_CHAN_WIDTH_1:
        return 1;
    case NL80211_CHAN_WIDTH_2:
        return 2;
    case NL80211_CHAN_WIDTH_4:
        return 4;
    case NL80211_CHAN_WIDTH_8:
        return 8;
    case NL80211_CHAN_WIDTH_16:
        return 16;
    }
    return std::nullopt;
}

struct Debit
{
    std::optional<qint64> kbps;
    std::optional<int> mcs;
    std::optional<int> flux;
};

// One NL80211_STA_INFO_TX_BITRATE or _RX_BITRATE nest; an absent nest is a
// rate the driver does not give. False when the nest is garbled.
bool LitDebit(nlattr *nid, Debit &debit)
{
    debit = Debit();
    if (!nid)
        return true;
    nlattr *a[NL80211_RATE_INFO_MAX + 1];
    if (nla_parse_nested(a, NL80211_RATE_INFO_MAX, nid, politiqueDebit.data()) < 0)
        return false;
    // In units of 100 kbit/s. The 16-bit figure stops at 6.5 Gbit/s, and
    // older kernels give only it.
    if (a[NL80211_RATE_INFO_BITRATE32])
        debit.kbps = qint64(nla_get_u32(a[NL80211_RATE_INFO_BITRATE32])) * 100;
    else if (a[NL80211_RATE_INFO_BITRATE])
        debit.kbps = qint64(nla_get_u16(a[NL80211_RATE_INFO_BITRATE])) * 100;
    // VHT, HE and EHT number their MCS per spatial stream and give the
    // streams apart; a rate is of one kind only.
    const auto parFlux = [&](int mcs, int flux) {
        if (!a[mcs])
            return false;
        debit.mcs = nla_get_u8(a[mcs]);
        if (a[flux])
            debit.flux = nla_get_u8(a[flux]);
        return true;
    };
    if (parFlux(NL80211_RATE_INFO_EHT_MCS, NL80211_RATE_INFO_EHT_NSS) ||
        parFlux(NL80211_RATE_INFO_HE_MCS, NL80211_RATE_INFO_HE_NSS) ||
        parFlux(NL80211_RATE_INFO_VHT_MCS, NL80211_RATE_INFO_VHT_NSS) || !a[NL80211_RATE_INFO_MCS])
        return true;
    // HT numbers MCS 0-31 across streams, eight per stream count (MCS 15 is
    // MCS 7 on two streams): given split the same way, an HT rate reads like
    // the others. MCS 32 and the unequal modulations (33-76) have no such
    // split: the index stays whole and the streams unsaid.
    const int mcs = nla_get_u8(a[NL80211_RATE_INFO_MCS]);
    if (mcs < 32) {
        debit.mcs = mcs % 8;
        debit.flux = mcs / 8 + 1;
    } else {
        debit.mcs = mcs;
    }
    return true;
}

// The fields a station entry speaks of.
void CopieStation(const Lien &de, Lien &vers)
{
    vers.bssid = de.bssid;
    vers.signalDbm = de.signalDbm;
    vers.debitEmissionKbps = de.debitEmissionKbps;
    vers.debitReceptionKbps = de.debitReceptionKbps;
    vers.mcsEmission = de.mcsEmission;
    vers.fluxEmission = de.fluxEmission;
    vers.mcsReception = de.mcsReception;
    vers.fluxReception = de.fluxReception;
}

using Socket = std::unique_ptr<nl_sock, decltype(&nl_socket_free)>;
using Message = std::unique_ptr<nl_msg, decltype(&nlmsg_free)>;

// A generic netlink socket that speaks to nl80211, whose `famille` it finds;
// none when the system has no such family (no Wi-Fi driver loaded).
Socket Ouvre(int &famille)
{
    Socket s(nl_socket_alloc(), &nl_socket_free);
    // No reply is awaited for longer than a second.
    const timeval seconde{1, 0};
    if (!s || genl_connect(s.get()) < 0 ||
        ::setsockopt(nl_socket_get_fd(s.get()), SOL_SOCKET, SO_RCVTIMEO, &seconde, sizeof seconde) != 0)
        return Socket(nullptr, &nl_socket_free);
    famille = genl_ctrl_resolve(s.get(), NL80211_GENL_NAME);
    if (famille < 0)
        return Socket(nullptr, &nl_socket_free);
    // Demande() knows by itself when a reply is whole: no acknowledgement is
    // asked for, that would only have to be read too.
    nl_socket_disable_auto_ack(s.get());
    return s;
}

// What one request's replies come to.
struct Lecture
{
    bool (*lire)(nl_msg *, Lien &);
    Lien &lien;
    bool recu = false;
    bool lu = false;
    bool fin = false;
};

int Recu(nl_msg *message, void *lecture)
{
    auto *l = static_cast<Lecture *>(lecture);
    l->recu = true;
    // Of a dump's entries, the first that reads well: in station mode the
    // only station is the access point.
    if (!l->lu)
        l->lu = l->lire(message, l->lien);
    return NL_OK;
}

int Fin(nl_msg *, void *lecture)
{
    static_cast<Lecture *>(lecture)->fin = true;
    return NL_OK;
}

// Sends `commande` about the interface `indice` (as a dump when `dump`) and
// reads its replies into `lecture`. True when the kernel answered in full (a
// dump up to its end) and without an error.
bool Demande(nl_sock *s, int famille, int commande, bool dump, int indice, Lecture &lecture)
{
    const Message m(nlmsg_alloc(), &nlmsg_free);
    if (!m || !genlmsg_put(m.get(), NL_AUTO_PORT, NL_AUTO_SEQ, famille, 0, dump ? NLM_F_DUMP : 0, commande, 0) ||
        nla_put_u32(m.get(), NL80211_ATTR_IFINDEX, uint32_t(indice)) < 0 ||
        nl_socket_modify_cb(s, NL_CB_VALID, NL_CB_CUSTOM, Recu, &lecture) < 0 ||
        nl_socket_modify_cb(s, NL_CB_FINISH, NL_CB_CUSTOM, Fin, &lecture) < 0 || nl_send_auto(s, m.get()) < 0)
        return false;
    // A wait that runs out ends the reading without an error in some libnl
    // versions: only a reply seen to its end counts.
    return nl_recvmsgs_default(s) >= 0 && (dump ? lecture.fin : lecture.recu);
}

// The first entry of a GET_STATION dump on an nl80211 socket, into `lien`;
// its station fields emptied when the dump is empty. False on any error.
bool LitStations(nl_sock *s, int famille, int indice, Lien &lien)
{
    Lecture station{Wifi::LitStation, lien};
    if (!Demande(s, famille, NL80211_CMD_GET_STATION, true, indice, station))
        return false;
    if (!station.lu)
        CopieStation(Lien(), lien);
    return true;
}

}

namespace Wifi {

bool Decrit(int indice, Lien &lien)
{
    if (indice <= 0)
        return false;
    int famille = 0;
    const Socket s = Ouvre(famille);
    Lien lu = lien;
    Lecture interface{LitInterface, lu};
    if (!s || !Demande(s.get(), famille, NL80211_CMD_GET_INTERFACE, false, indice, interface) || !interface.lu ||
        !LitStations(s.get(), famille, indice, lu))
        return false;
    lien = lu;
    return true;
}

bool Station(int indice, Lien &lien)
{
    if (indice <= 0)
        return false;
    int famille = 0;
    const Socket s = Ouvre(famille);
    Lien lu = lien;
    Lecture station{LitStation, lu};
    if (!s || !Demande(s.get(), famille, NL80211_CMD_GET_STATION, true, indice, station) || !station.lu)
        return false;
    lien = lu;
    return true;
}

bool LitInterface(nl_msg *reponse, Lien &lien)
{
    nlattr *a[NL80211_ATTR_MAX + 1];
    if (!Attributs(reponse, NL80211_CMD_NEW_INTERFACE, a) || !a[NL80211_ATTR_IFINDEX])
        return false;
    // Raw bytes: a network's name is not always text.
    lien.ssid = a[NL80211_ATTR_SSID] ? QByteArray(static_cast<const char *>(nla_data(a[NL80211_ATTR_SSID])),
                                                  nla_len(a[NL80211_ATTR_SSID]))
                                     : QByteArray();
    lien.frequenceMHz.reset();
    lien.canal.reset();
    if (a[NL80211_ATTR_WIPHY_FREQ]) {
        lien.frequenceMHz = int(nla_get_u32(a[NL80211_ATTR_WIPHY_FREQ]));
        lien.canal = Canal(*lien.frequenceMHz);
    }
    lien.largeurMHz = a[NL80211_ATTR_CHANNEL_WIDTH] ? Largeur(nla_get_u32(a[NL80211_ATTR_CHANNEL_WIDTH]))
                                                    : std::nullopt;
    return true;
}

bool LitStation(nl_msg *reponse, Lien &lien)
{
    nlattr *a[NL80211_ATTR_MAX + 1];
    nlattr *info[NL80211_STA_INFO_MAX + 1];
    Debit emission;
    Debit reception;
    if (!Attributs(reponse, NL80211_CMD_NEW_STATION, a) || !a[NL80211_ATTR_STA_INFO] ||
        nla_parse_nested(info, NL80211_STA_INFO_MAX, a[NL80211_ATTR_STA_INFO], politiqueStation.data()) < 0 ||
        !LitDebit(info[NL80211_STA_INFO_TX_BITRATE], emission) ||
        !LitDebit(info[NL80211_STA_INFO_RX_BITRATE], reception))
        return false;
    Lien station;
    if (a[NL80211_ATTR_MAC]) {
        const QByteArray mac(static_cast<const char *>(nla_data(a[NL80211_ATTR_MAC])), 6);
        station.bssid = QString::fromLatin1(mac.toHex(':'));
    }
    // A signed figure in dBm, carried in an unsigned byte.
    if (info[NL80211_STA_INFO_SIGNAL])
        station.signalDbm = int8_t(nla_get_u8(info[NL80211_STA_INFO_SIGNAL]));
    station.debitEmissionKbps = emission.kbps;
    station.mcsEmission = emission.mcs;
    station.fluxEmission = emission.flux;
    station.debitReceptionKbps = reception.kbps;
    station.mcsReception = reception.mcs;
    station.fluxReception = reception.flux;
    CopieStation(station, lien);
    return true;
}

}
