#pragma once

#include "protocole/FileEnvoi.h"
#include "protocole/TuyauEnvoi.h"
#include "protocole/VueTcp.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class QHostInfo;
class QSocketNotifier;

// One socket endpoint placed on a window, TCP or UDP, driven by calls and
// reporting what happens as signals on the user-interface thread.
//
// TCP: Listen() on LocalPort raises ConnectionRequest for every incoming
// request; Accept() on a closed control turns the control itself into that
// connection. Connect() starts an attempt and returns at once; the outcome
// comes later as Connected, Closed or Error. SendData() queues bytes in
// order; GetData() takes everything received so far.
//
// UDP: Bind() takes a local port (shared, so that several programs on one
// machine all hear broadcasts); every datagram raises DataArrival and
// GetData() takes it whole. SendData() sends one datagram to RemoteHost and
// RemotePort, the broadcast address included.
//
// A call that cannot be carried out returns false at once and leaves the
// control as it was; failures after the call come only as Error or Closed.
//
// Close() ends a connection in order: the peer reads the end of the stream,
// never a reset, even while it is still sending to us. It never cuts a
// SendData() call that the system has started to take: the rest follows
// from the event loop before the connection closes.
// An accepted connection uses TCP keepalive, so that a peer gone without a
// word is noticed within KeepaliveMaxS seconds and reported as Error.
//
// It sits on the system's sockets rather than on QTcpSocket because it needs
// what QTcpSocket hides: accepting on the listening control itself, keepalive
// and wake-up thresholds per socket, and gathered writes of shared blocks.
class Winsock : public QObject
{
    Q_OBJECT

public:
    enum class Genre { Tcp, Udp };

    // Values of State(); 0 means closed, the others are not told apart by
    // the windows.
    enum Etat {
        sckClosed = 0,
        sckOpen = 1,
        sckListening = 2,
        sckResolvingHost = 4,
        sckConnecting = 6,
        sckConnected = 7,
        // The peer has ended its side (Closed has come): ours may still
        // send until Close().
        sckClosing = 8,
    };

    // Data handed to SendData() but not yet taken by the system never grows
    // past this bound; SendData() waits, processing events, while it is full.
    static constexpr qint64 FileEnvoiMax = 4 * 1024 * 1024;
    // A vanished peer of an accepted connection is noticed within this many
    // seconds: 5 s of silence, then 3 probes 3 s apart.
    static constexpr int KeepaliveMaxS = 14;
    // A listening control that the system cannot give a descriptor for a
    // request tries again after this long.
    static constexpr int RepriseAcceptationMs = 500;

    explicit Winsock(Genre genre, QObject *parent = nullptr);
    ~Winsock() override;

    int LocalPort() const { return localPort_; }
    void setLocalPort(int port) { localPort_ = port; }
    QString RemoteHost() const { return remoteHost_; }
    void setRemoteHost(const QString &hote) { remoteHost_ = hote; }
    int RemotePort() const { return remotePort_; }
    void setRemotePort(int port) { remotePort_ = port; }

    int State() const { return etat_; }

    // This machine's IPv4 address in dotted text, whatever the socket's
    // state: the address of the interface that holds the default route,
    // 127.0.0.1 when there is none. Never 0.0.0.0: receivers announce it.
    QString LocalIP() const;

    // The peer of the current or last connection; empty before the first.
    QString RemoteHostIP() const { return remoteHostIp_; }
    // This machine's address on the current or last connection (the one the
    // peer reached or that reached it, 127.0.0.1 over loopback), which
    // LocalIP() need not be; empty before the first.
    QString AdresseLocaleConnexion() const { return adresseLocaleConnexion_; }

    bool Listen();
    bool Accept(qint32 requestId);
    // TCP: turns the closed control into the accepted, non-blocking
    // connection `fd` that another listener took, as Accept() does with its
    // own; closes `fd` when it cannot.
    bool Adopte(int fd);
    bool Connect(const QString &hote, int port);
    bool Bind(int port);
    bool SendData(const QByteArray &donnees)
    {
        // The send loop's common case, without a call: the block queued last,
        // once more, while the system has no room and the queue has.
        if (ecritureAttendue_ && envoi_.Taille() + donnees.size() <= FileEnvoiMax && envoi_.AjouteEncore(donnees))
            return true;
        return envoie(donnees);
    }
    // TCP: ends our side of the stream while the peer's stays open: the
    // calls the system has not started to take are dropped, `dernier` is
    // queued instead, and once everything has been taken the peer reads the
    // end of the stream. Later SendData() calls are refused.
    bool TermineEnvoi(const QByteArray &dernier = {});
    // TCP: everything received and not yet taken; UDP: the waiting datagram.
    // Swaps buffers with `donnees`: a caller that keeps passing the same
    // array gets the data without copies or allocations. Returns how many
    // bytes came since the last call, those dropped by JetteDonnees()
    // included.
    qint64 GetData(QByteArray &donnees);
    // TCP, until the connection closes: the bytes that come from now on are
    // only counted, and dropped without being copied out of the system;
    // GetData() gives their count and no bytes. For a reader that has seen
    // what it looks at and now only counts.
    void JetteDonnees() { jette_ = genre_ == Genre::Tcp; }
    // Makes the dropping read copy the bytes into a buffer and forget them,
    // as it does where the system cannot drop them: for tests and
    // comparisons.
    static void ForceLectureCopiee(bool copiee);
    void Close();

    // TCP's view of the connection (see VueTcp); nothing when none is up.
    std::optional<VueTcp> EtatTcp() const { return etat_ >= sckConnected ? LitVueTcp(fd_) : std::nullopt; }
    // The system's counts of the connection's bytes; 0 when none is up.
    CompteursTcp Compteurs() const { return etat_ >= sckConnected ? LitCompteursTcp(fd_) : CompteursTcp(); }

    // Bytes handed to SendData() that the system has not taken yet.
    qint64 EnAttenteEnvoi() const { return envoi_.Taille(); }

    // TCP: a connection that moves no byte for this long, neither in nor
    // out (checked every second), is closed and reported as Error, with
    // ErreurSilence. 0, the default, never.
    void setSilenceMax(int ms) { silenceMaxMs_ = ms; }
    // Not a system error number.
    static constexpr int ErreurSilence = -1;

    // Why the last refused call was refused, and the system's error number
    // when it was the system that refused (0 otherwise).
    QString DerniereErreur() const { return derniereErreur_; }
    int NumeroDerniereErreur() const { return numeroDerniereErreur_; }

signals:
    void ConnectionRequest(qint32 requestId);
    void DataArrival(qint64 bytesTotal);
    void Connected();
    // The peer has ended its side of the connection; Close() ends ours.
    void Closed();
    // The system has taken queued bytes (from the event loop, never from
    // inside SendData()): a writer that does not wait in SendData() queues
    // more on it.
    void EnvoiPossible();
    void Error(int number, const QString &description);

private:
    bool refuse(const QString &pourquoi, int numero = 0);
    bool ouvre(int type);
    bool ouvreUdp();
    void surveille();
    void fermeDescripteur();
    void surLecture();
    void surEcriture();
    void accepteDemande();
    void lit();
    void litDatagrammes();
    void demarreVeille();
    void veille();
    void connecteA(const QHostAddress &adresse);
    void surResolution(const QHostInfo &info);
    void termineConnexion();
    void noteAdresseLocale();
    void echoue(int numero, const QString &description);
    void signaleEnDiffere(void (Winsock::*evenement)());
    void echoueEnDiffere(int numero, const QString &description);
    bool vide();
    bool envoie(const QByteArray &donnees);
    // Turns the write notifier on or off.
    void attendEcriture(bool oui);

    Genre genre_;
    int fd_ = -1;
    Etat etat_ = sckClosed;
    // Changes whenever the descriptor is closed, so that work left over for a
    // socket that no longer exists (a name lookup, a deferred event) is dropped.
    quint64 generation_ = 0;
    std::unique_ptr<QSocketNotifier> lecture_;
    std::unique_ptr<QSocketNotifier> ecriture_;
    // The write notifier is on for a connection whose stream goes on: the
    // system has no room, and a SendData() call only queues.
    bool ecritureAttendue_ = false;

    int localPort_ = 0;
    QString remoteHost_;
    int remotePort_ = 0;
    QString remoteHostIp_;
    QString adresseLocaleConnexion_;
    int recherche_ = -1;

    qint32 derniereDemande_ = 0;
    int demandeFd_ = -1;
    qint32 demandeId_ = 0;

    QByteArray recu_;
    bool jette_ = false;
    qint64 jetes_ = 0;
    FileEnvoi envoi_;
    // The queue's next bytes when a run is being handed over by reference.
    TuyauEnvoi tuyau_;
    // TermineEnvoi() has been called: our end follows the queue.
    bool finEnvoi_ = false;
    QTimer vidange_;

    // Once a second while connected: the silence rule, and how much must
    // wait before a read wakes us up.
    QTimer veille_;
    int silenceMaxMs_ = 0;
    int silenceMs_ = 0;
    qint64 luDepuisVeille_ = 0;
    qint64 prisDepuisVeille_ = 0;
    int seuilLecture_ = 1;

    QString derniereErreur_;
    int numeroDerniereErreur_ = 0;
};
