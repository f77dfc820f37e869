#pragma once

#include "mesure/ResumeMesure.h"
#include "lien/Lien.h"
#include "protocole/VueTcp.h"

#include <QDateTime>
#include <QString>

#include <vector>

// One measurement as it is being made: from a transmitter's connection until
// it leaves. Receivers, the window's and the console's, feed it every byte
// count they read and every completed second; it keeps the seconds (bounded,
// see SecondesMax), the two addresses and the start and end times, and gives
// its summary at any moment.
class Mesure
{
public:
    // A week of seconds. Past it the oldest seconds are dropped: the total,
    // the mean and the times still cover the whole measurement.
    static constexpr size_t SecondesMax = 7 * 24 * 3600;

    Mesure() = default;
    Mesure(const QString &emetteur, const QString &recepteur, const QDateTime &debut);

    // Which way it went, from the seat that asked for it ("montant",
    // "descendant", "simultane"; empty for a plain reception), and the
    // complete test it belongs to (0: none).
    void definitTest(const QString &sens, qint64 test)
    {
        sens_ = sens;
        test_ = test;
    }
    QString sens() const { return sens_; }
    qint64 test() const { return test_; }
    // Where it was made, as the person measuring typed it on the measuring
    // page, and the browser and system it was made with; empty otherwise.
    void definitOrigine(const QString &lieu, const QString &appareil)
    {
        lieu_ = lieu;
        appareil_ = appareil;
    }
    QString lieu() const { return lieu_; }
    QString appareil() const { return appareil_; }

    // Bytes just read.
    void ajouteOctets(qint64 octets) { total_ += octets; }
    // The bytes of a second that has just been completed.
    void ajouteSeconde(qint64 octets);
    // Every complete second at once (a stored measurement): only the last
    // SecondesMax are kept, in one step.
    void definitSecondes(std::vector<qint64> secondes);
    // TCP's view of a complete second from the sending end, when this end
    // sent or the far end reported it; kept like the seconds.
    void ajouteTcp(const VueTcp &vue);
    void definitTcp(std::vector<VueTcp> vues);
    const std::vector<VueTcp> &tcp() const { return tcp_; }

    // The link it ran over, as last seen; and for Wi-Fi the signal of each
    // complete second, kept like the seconds.
    void definitLien(const Lien &lien) { lien_ = lien; }
    const Lien &lien() const { return lien_; }
    // The link's description, or the one a history kept for it.
    QString texteLien() const { return texteLien_.isEmpty() ? lien_.description() : texteLien_; }
    // The same in French whatever the person's language, as the history
    // keeps it.
    QString texteLienEcrit() const { return texteLien_.isEmpty() ? lien_.description(false) : texteLien_; }
    void definitTexteLien(const QString &texte) { texteLien_ = texte; }
    void ajouteSignal(int dBm);
    // The median of the seconds' signals, else the link's own.
    std::optional<int> signalDbm() const;
    void termine(const QDateTime &fin);

    bool enCours() const { return debut_.isValid() && !fin_.isValid(); }
    bool existe() const { return debut_.isValid(); }
    QString emetteur() const { return emetteur_; }
    QString recepteur() const { return recepteur_; }
    QDateTime debut() const { return debut_; }
    // Invalid while the measurement runs.
    QDateTime fin() const { return fin_; }
    qint64 total() const { return total_; }
    const std::vector<qint64> &secondes() const { return secondes_; }

    // The summary so far: a measurement still running counts up to `maintenant`.
    ResumeMesure resume(const QDateTime &maintenant = QDateTime::currentDateTime()) const;

private:
    QString emetteur_;
    QString recepteur_;
    QString sens_;
    qint64 test_ = 0;
    QString lieu_;
    QString appareil_;
    QDateTime debut_;
    QDateTime fin_;
    qint64 total_ = 0;
    std::vector<qint64> secondes_;
    std::vector<VueTcp> tcp_;
    Lien lien_;
    QString texteLien_;
    std::vector<int> signaux_;
};
