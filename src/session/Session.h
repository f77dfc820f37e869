#pragma once

#include "protocole/Demande.h"
#include "protocole/Protocole.h"
#include "protocole/Winsock.h"
#include "session/Acquittement.h"
#include "session/Chronique.h"
#include "session/Emission.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <optional>

class QHostInfo;

// One measurement from this seat against a receiver, for the windows and the
// console alike. It looks the name up, connects (asking again every second
// while the receiver refuses or does not answer, until the wait runs out; an
// error that asking again cannot mend ends it at once, with its cause), then
// measures what its kind asks, second by second in each direction:
// - Flux: today's one-way stream, from the seat (no request: every receiver
//   takes it), for the seconds given or until interrupted;
// - Envoi: the same upload with a request, then the seat ends its side and
//   reads the receiver's report of what really arrived (missing: the seat's
//   own count stands, and that is said);
// - Retour: the receiver streams to the seat for the seconds given;
// - Simultane: both at once, with the report at the end.
// A receiver that sends back no byte within AttenteRetourMs of a request for
// the blocks back does not know requests; one that ends the connection
// without a byte refuses them. A name's IPv4 addresses are tried in turn,
// each for EssaiAdresseMs at most while others remain. A report is believed
// only when it can be true (Rapport::croyable); the end of a connection
// without the report its request promised is a cut.
class Session : public QObject
{
    Q_OBJECT

public:
    enum class Genre { Flux, Envoi, Retour, Simultane };
    // How the measurement ended.
    enum class Fin { Depart, Coupure, Duree, Interruption };

    static constexpr int AttenteRetourMs = 3000;
    // How long one of a name's several addresses may leave an attempt
    // unanswered before the next is tried.
    static constexpr int EssaiAdresseMs = 2000;
    // After the seat's end, the longest wait for the receiver's report.
    static constexpr int AttenteRapportMs = 10000;

    struct Reglages
    {
        QString hote;
        int port = Protocole::Port;
        int attenteS = 10;
        // Flux only: 0 means until interrupted.
        int dureeS = 10;
        Genre genre = Genre::Flux;
    };

    explicit Session(QObject *parent = nullptr);

    void demarre(const Reglages &reglages);
    // Ends at once: a measurement in progress is closed in order.
    void interromps();

    bool rechercheEnCours() const { return recherche_ >= 0; }
    // Started and not yet ended.
    bool enCours() const { return actif_; }
    bool connectee() const { return connecte_; }
    // This machine's address on the connection.
    QString adresseLocale() const { return W.AdresseLocaleConnexion(); }
    const Reglages &reglages() const { return reglages_; }
    // The address tried, or connected to.
    QString adresse() const { return adresse_; }
    // The seat's own counts: the bytes the receiver acknowledged (montant)
    // and the bytes read (descendant); a direction not measured stays empty.
    // TCP's view comes with each second of montant, and with the report for
    // descendant.
    const Chronique &montant() const { return montant_; }
    const Chronique &descendant() const { return descendant_; }
    // The receiver's count of what it received, when it gave one that can
    // be true.
    const std::optional<Rapport> &rapport() const { return rapport_; }

    static Demande::Genre genreDemande(Genre genre);
    // How the summaries name an end: "depart", "coupure", "duree",
    // "interruption".
    static QString motif(Fin fin);

signals:
    // Connected, each direction measured now begun, its link described.
    void connexion(const QString &adresse);
    // Bytes of the blocks back just read, and bytes of the stream the
    // receiver has just acknowledged, for a chart.
    void recu(qint64 octets);
    void envoye(qint64 octets);
    // A second of one direction, `montant` telling which.
    void seconde(bool montant, int numero, qint64 octets);
    // The measurement could not be made, and why (before any second).
    void impossible(const QString &raison);
    // The measurement ended; `remarque`, when not empty, says what the
    // figures lack or why it was cut.
    void terminee(Fin fin, const QString &remarque);

private:
    void surResolution(const QHostInfo &info);
    void essaie();
    // The attempt on the current address has failed: the next address, or
    // a new round a second later, or the end when no round can succeed.
    void echecAdresse(int numero, const QString &description);
    void finAttente();
    void W_Connect();
    void W_DataArrival(qint64 bytesTotal);
    void W_Close();
    void W_Error(int number, const QString &description);
    void finDuree();
    bool arrete();
    void finit(Fin fin, const QString &remarque);
    void echoue(const QString &raison);
    QString cible() const;

    Reglages reglages_;
    Winsock W{Winsock::Genre::Tcp, this};
    Emission emission_{W};
    Acquittement acquittement_;
    Chronique montant_;
    Chronique descendant_;
    LectureRetour retour_;
    std::optional<Rapport> rapport_;
    // A report came that could not be true.
    bool rapportRejete_ = false;
    QString adresse_;
    // The name's IPv4 addresses, and the one tried now.
    QStringList adresses_;
    qsizetype essai_ = 0;
    // The round of attempts met an error that asking again may mend, and
    // the first error that it cannot.
    bool reparable_ = false;
    QString echecDefinitif_;
    int recherche_ = -1;
    QTimer attente_;
    QTimer nouvelEssai_;
    QTimer essaiAdresse_;
    QTimer attenteRetour_;
    QTimer attenteRapport_;
    QTimer duree_;
    QElapsedTimer depuisConnexion_;
    int dernierEchec_ = 0;
    bool connecte_ = false;
    bool actif_ = false;
    // The seat has ended its side: what comes now is the end.
    bool finEnvoi_ = false;
    QByteArray recu_;
};
