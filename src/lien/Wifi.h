#pragma once

struct nl_msg;
struct Lien;

// What the system's Wi-Fi layer (nl80211, over generic netlink) says of an
// interface, to anyone and without privileges. Only the Wi-Fi fields of a
// Lien are written: its type and interface name stay the caller's.
namespace Wifi {

// The Wi-Fi facts of the interface whose index is `indice`, through nl80211:
// fills the Wi-Fi fields of `lien` (GET_INTERFACE: SSID, frequency, channel,
// channel width; GET_STATION dump: the access point's address as BSSID,
// signal, transmit and receive bit rates with MCS and spatial streams) and
// returns true when the interface is a Wi-Fi one. A Wi-Fi interface that is
// not associated has these fields empty. False otherwise (not Wi-Fi, no
// nl80211 family, any error), leaving `lien` as it was. Each wait for the
// kernel lasts at most about a second; never crashes.
bool Decrit(int indice, Lien &lien);

// Only what changes as a person walks, for each second: the station's
// address, signal and bit rates (a GET_STATION dump). False, leaving `lien`
// as it was, when there is no station (not associated, not Wi-Fi) or on any
// error.
bool Station(int indice, Lien &lien);

// The parsing, apart from the sockets, so that tests can feed canned replies.
// LitInterface reads one reply to GET_INTERFACE (an NL80211_CMD_NEW_INTERFACE
// message naming an interface); LitStation one entry of a GET_STATION dump
// (an NL80211_CMD_NEW_STATION message with its station information). True
// when the message held what it should; then every field the message speaks
// of is set, or emptied when the kernel left it out. False, leaving `lien` as
// it was, for any other message.
bool LitInterface(nl_msg *reponse, Lien &lien);
bool LitStation(nl_msg *reponse, Lien &lien);

}
