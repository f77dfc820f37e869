#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <memory>

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
    };

    // Data handed to SendData() but not yet taken by the system never grows
    // past this bound; SendData() waits, processing events, while it is full.
    static constexpr qint64 FileEnvoiMax = 4 * 1024 * 1024;

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

    bool Listen();
    bool Accept(qint32 requestId);
    bool Connect(const QString &hote, int port);
    bool Bind(int port);
    bool SendData(const QByteArray &donnees);
    // TCP: everything received and not yet taken; UDP: the waiting datagram.
    // Swaps buffers with `donnees`: a caller that keeps passing the same
    // array gets the data without copies or allocations.
    void GetData(QByteArray &donnees);
    void Close();

    // Bytes handed to SendData() that the system has not taken yet.
    qint64 EnAttenteEnvoi() const { return envoi_.size() - debutEnvoi_; }

    // Why the last refused call was refused.
    QString DerniereErreur() const { return derniereErreur_; }

signals:
    void ConnectionRequest(qint32 requestId);
    void DataArrival(qint64 bytesTotal);
    void Connected();
    void Closed();
    void Error(int number, const QString &description);

private:
    bool refuse(const QString &pourquoi);
    bool ouvre(int type);
    bool ouvreUdp();
    void surveille();
    void fermeDescripteur();
    void surLecture();
    void surEcriture();
    void accepteDemande();
    void lit();
    void litDatagramme();
    void connecteA(const QHostAddress &adresse);
    void surResolution(const QHostInfo &info);
    void termineConnexion();
    void echoue(int numero, const QString &description);
    void signaleEnDiffere(void (Winsock::*evenement)());
    void echoueEnDiffere(int numero, const QString &description);
    bool vide();
    void termineElementEntame();

    Genre genre_;
    int fd_ = -1;
    Etat etat_ = sckClosed;
    // Changes whenever the descriptor is closed, so that work left over for a
    // socket that no longer exists (a name lookup, a deferred event) is dropped.
    quint64 generation_ = 0;
    std::unique_ptr<QSocketNotifier> lecture_;
    std::unique_ptr<QSocketNotifier> ecriture_;

    int localPort_ = 0;
    QString remoteHost_;
    int remotePort_ = 0;
    QString remoteHostIp_;
    int recherche_ = -1;

    qint32 derniereDemande_ = 0;
    int demandeFd_ = -1;
    qint32 demandeId_ = 0;

    QByteArray recu_;
    // Queued bytes from debutEnvoi_ on. fins_ holds where each pending
    // SendData() call ends, counted from the first byte ever queued, and
    // finEcrite_ where the last one wholly taken by the system ended, so that
    // a close can finish a call the system has started to take.
    QByteArray envoi_;
    qint64 debutEnvoi_ = 0;
    qint64 totalEcrit_ = 0;
    qint64 totalFile_ = 0;
    qint64 finEcrite_ = 0;
    std::deque<qint64> fins_;
    QTimer vidange_;

    QString derniereErreur_;
};
