// The Wi-Fi facts read from nl80211 replies written here as the kernel writes
// them, in its units, and no Wi-Fi where there is none.

#include "lien/Lien.h"
#include "lien/Wifi.h"

#include <QtTest>

#include <linux/nl80211.h>
#include <memory>
#include <netlink/genl/genl.h>

using Message = std::unique_ptr<nl_msg, decltype(&nlmsg_free)>;

static Message reponse(int commande)
{
    Message m(nlmsg_alloc(), &nlmsg_free);
    // 30: any number the kernel might have given the nl80211 family.
    genlmsg_put(m.get(), NL_AUTO_PORT, NL_AUTO_SEQ, 30, 0, 0, commande, 0);
    nla_put_u32(m.get(), NL80211_ATTR_IFINDEX, 3);
    return m;
}

class TestWifi : public QObject
{
    Q_OBJECT

private slots:
    void station_data()
    {
        // Sent: the signal's byte, a rate for both directions as attribute and
        // value pairs. Read: signal, then twice kbit/s, MCS, streams (-1: none).
        QTest::addColumn<int>("octet");
        QTest::addColumn<QList<int>>("debit");
        QTest::addColumn<QList<int>>("lu");
        using R = QList<int>;
        QTest::newRow("HE") << 0xCC << R{NL80211_RATE_INFO_BITRATE32, 8667, NL80211_RATE_INFO_HE_MCS, 9,
                                         NL80211_RATE_INFO_HE_NSS, 2} << R{-52, 866700, 9, 2, 866700, 9, 2};
        QTest::newRow("VHT, 32 bits first") << 0xC4 << R{NL80211_RATE_INFO_BITRATE32, 4333, NL80211_RATE_INFO_BITRATE,
            4000, NL80211_RATE_INFO_VHT_MCS, 9, NL80211_RATE_INFO_VHT_NSS, 1} << R{-60, 433300, 9, 1, 433300, 9, 1};
        QTest::newRow("HT MCS 15: MCS 7, two streams") << 0xBE << R{NL80211_RATE_INFO_BITRATE, 1300,
            NL80211_RATE_INFO_MCS, 15} << R{-66, 130000, 7, 2, 130000, 7, 2};
        QTest::newRow("legacy") << 0xB5 << R{NL80211_RATE_INFO_BITRATE, 540} << R{-75, 54000, -1, -1, 54000, -1, -1};
        QTest::newRow("no STA_INFO: refused") << 0 << R() << R();
    }

    void station()
    {
        QFETCH(int, octet);
        QFETCH(QList<int>, debit);
        QFETCH(QList<int>, lu);
        const Message m = reponse(NL80211_CMD_NEW_STATION);
        nla_put(m.get(), NL80211_ATTR_MAC, 6, "\x02\x1a\x2b\x3c\x4d\xef");
        if (!lu.isEmpty()) {
            nlattr *info = nla_nest_start(m.get(), NL80211_ATTR_STA_INFO);
            nla_put_u8(m.get(), NL80211_STA_INFO_SIGNAL, octet);
            for (const int sens : {NL80211_STA_INFO_TX_BITRATE, NL80211_STA_INFO_RX_BITRATE}) {
                nlattr *nid = nla_nest_start(m.get(), sens);
                for (qsizetype i = 0; i + 1 < debit.size(); i += 2)
                    debit[i] == NL80211_RATE_INFO_BITRATE32 ? nla_put_u32(m.get(), debit[i], debit[i + 1])
                    : debit[i] == NL80211_RATE_INFO_BITRATE ? nla_put_u16(m.get(), debit[i], debit[i + 1])
                                                            : nla_put_u8(m.get(), debit[i], debit[i + 1]);
                nla_nest_end(m.get(), nid);
            }
            nla_nest_end(m.get(), info);
        }
        Lien l;
        l.bssid = QStringLiteral("inchangé");
        QCOMPARE(Wifi::LitStation(m.get(), l), !lu.isEmpty());
        QCOMPARE(l.bssid, lu.isEmpty() ? QStringLiteral("inchangé") : QStringLiteral("02:1a:2b:3c:4d:ef"));
        const auto ou = [](auto valeur) { return int(valeur.value_or(-1)); };
        if (!lu.isEmpty())
            QCOMPARE((QList<int>{ou(l.signalDbm), ou(l.debitEmissionKbps), ou(l.mcsEmission), ou(l.fluxEmission),
                                 ou(l.debitReceptionKbps), ou(l.mcsReception), ou(l.fluxReception)}),
                     lu);
    }

    void interface_data()
    {
        // Sent: an enum nl80211_chan_width, MHz. Read: MHz, channel, width.
        QTest::addColumn<int>("largeur");
        QTest::addColumn<QList<int>>("lu");
        QTest::newRow("5 GHz") << int(NL80211_CHAN_WIDTH_80) << QList<int>{5180, 36, 80};
        QTest::newRow("2.4 GHz, channel 14") << int(NL80211_CHAN_WIDTH_20_NOHT) << QList<int>{2484, 14, 20};
        QTest::newRow("6 GHz") << int(NL80211_CHAN_WIDTH_320) << QList<int>{5955, 1, 320};
    }

    void interface()
    {
        QFETCH(int, largeur);
        QFETCH(QList<int>, lu);
        const Message m = reponse(NL80211_CMD_NEW_INTERFACE);
        nla_put(m.get(), NL80211_ATTR_SSID, 6, "Maison");
        nla_put_u32(m.get(), NL80211_ATTR_WIPHY_FREQ, lu[0]);
        nla_put_u32(m.get(), NL80211_ATTR_CHANNEL_WIDTH, largeur);
        Lien l;
        QVERIFY(Wifi::LitInterface(m.get(), l));
        QCOMPARE(l.ssid, QByteArray("Maison"));
        QCOMPARE((QList<int>{l.frequenceMHz.value_or(-1), l.canal.value_or(-1), l.largeurMHz.value_or(-1)}), lu);
        // Nor is a reply about an interface a station entry.
        QVERIFY(!Wifi::LitStation(m.get(), l));
    }

    void horsWifi()
    {
        // The loopback interface, index 1 in a namespace of its own.
        Lien l;
        l.signalDbm = 1;
        QElapsedTimer duree;
        duree.start();
        QVERIFY(!Wifi::Decrit(1, l) && !Wifi::Station(1, l));
        QVERIFY2(duree.elapsed() < 3000, qPrintable(QString::number(duree.elapsed())));
        QCOMPARE(l.signalDbm, std::optional<int>(1));
    }
};

QTEST_GUILESS_MAIN(TestWifi)
#include "tst_wifi.moc"
