#pragma once

#include "page/EcouteHttp.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <vector>

// The receiver's listener on its measuring port: it keeps listening while
// the receiver measures, so that the measuring page is served all along.
// Each connection is told by its first bytes, as a request line is: an HTTP
// request goes to the page's server, and one for a WebSocket ("GET /ws") to
// the page's WebSocket server, its bytes left where they are (looked at
// with MSG_PEEK); anything else (the stream begins with "A", a request line
// with "BandePassante", or nothing comes within AttenteMs) is a
// transmitter, handed to the receiver when it is free; but a silent
// connection from an address that has just loaded the page is a browser's
// opened ahead of need, which waits NavigateurMs for its request and is
// then closed: a transmitter that
// comes while the receiver measures waits for it OccupeMaxMs at most (the
// next phase of a test may come a moment before the last has ended), then
// is closed, as a receiver that serves another does. At most AttenteMax
// connections wait at once, fewer from one address.
class Accueil : public EcouteHttp
{
    Q_OBJECT

public:
    static constexpr int AttenteMs = 250;
    static constexpr int OccupeMaxMs = 3000;
    static constexpr int NavigateurMs = 10000;
    static constexpr int AttenteMax = 32;
    static constexpr int AttenteParAdresseMax = 8;

    explicit Accueil(QObject *parent = nullptr);
    ~Accueil() override;

    // Whether the receiver measures now; none means never.
    void definitOccupe(std::function<bool()> occupe) { occupe_ = std::move(occupe); }
    // Without the page, every connection is a transmitter's, counted as
    // data whatever it begins with.
    void definitSansPage(bool sansPage) { sansPage_ = sansPage; }
    bool enEcoute() const { return isListening(); }

    // What the first bytes of a connection are, once they tell.
    enum class Genre { Attente, Http, WebSocket, Transmetteur };
    static Genre Reconnait(QByteArrayView debut);

signals:
    // A transmitter's connection, non-blocking, that the receiver must adopt
    // (Winsock::Adopte) or close.
    void transmetteur(int fd);
    // A request for a WebSocket, its handshake unread, for Qt's WebSocket
    // server; counted among the connections until it is deleted.
    void webSocket(QTcpSocket *socket);

protected:
    void accueille(int fd) override;

private:
    struct EnAttente;
    // Tells the waiting connection `fd` when its first bytes are there, or
    // when `echu`, its time is up.
    void examine(int fd, bool echu);
    void tranche(std::vector<std::unique_ptr<EnAttente>>::iterator it, Genre genre);
    // Hands the transmitters waiting for the receiver over, or closes those
    // that waited too long.
    void servir();

    std::function<bool()> occupe_;
    bool sansPage_ = false;
    std::vector<std::unique_ptr<EnAttente>> attente_;
    QTimer guet_;
    // The addresses whose browsers spoke HTTP lately, and when.
    QHash<QByteArray, QElapsedTimer> navigateurs_;
};
