#include "page/Accueil.h"

#include "protocole/AdresseSocket.h"

#include <QSocketNotifier>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// What a browser's request may begin with.
constexpr const char *Methodes[] = {"GET ", "HEAD ", "POST ", "PUT ", "DELETE ", "OPTIONS ", "PATCH ", "CONNECT ", "TRACE "};

QByteArray adressePair(int fd)
{
    sockaddr_in pair{};
    socklen_t longueur = sizeof pair;
    return ::getpeername(fd, reinterpret_cast<sockaddr *>(&pair), &longueur) == 0 ? TexteAdresse(pair).toLatin1()
                                                                                   : QByteArray();
}

}

struct Accueil::EnAttente
{
    int fd;
    QByteArray pair;
    QElapsedTimer depuis;
    std::unique_ptr<QSocketNotifier> lecture;
    QTimer delai;
};

Accueil::Accueil(QObject *parent)
    // A browser loads a page, its files and two WebSockets; a measurement's
    // WebSocket lives for minutes and carries gigabytes, bounded on its own.
    : EcouteHttp({64, 12, 10000, 64 * 1024}, parent)
{
}

Accueil::~Accueil()
{
    for (const auto &a : attente_)
        ::close(a->fd);
}

Accueil::Genre Accueil::Reconnait(QByteArrayView debut)
{
    if (debut.isEmpty())
        return Genre::Attente;
    // The page's WebSockets are on /ws and below it.
    const QByteArrayView ws("GET /ws");
    if (debut.startsWith(ws)) {
        if (debut.size() == ws.size())
            return Genre::Attente;
        const char suite = debut[ws.size()];
        return suite == ' ' || suite == '/' || suite == '?' ? Genre::WebSocket : Genre::Http;
    }
    for (const char *m : Methodes) {
        const QByteArrayView methode(m);
        const qsizetype commun = std::min(debut.size(), methode.size());
        if (debut.first(commun) != methode.first(commun))
            continue;
        if (commun < methode.size())
            return Genre::Attente;
        // "GET /w", still maybe a WebSocket's.
        return ws.startsWith(debut.first(std::min(debut.size(), ws.size()))) ? Genre::Attente : Genre::Http;
    }
    return Genre::Transmetteur;
}

void Accueil::accueille(int fd)
{
    const QByteArray pair = adressePair(fd);
    int deCettAdresse = 0;
    for (const auto &a : attente_)
        deCettAdresse += a->pair == pair;
    if (int(attente_.size()) >= AttenteMax || deCettAdresse >= AttenteParAdresseMax) {
        ::close(fd);
        return;
    }
    auto a = std::make_unique<EnAttente>();
    a->fd = fd;
    a->pair = pair;
    a->depuis.start();
    a->lecture = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(a->lecture.get(), &QSocketNotifier::activated, this, [this, fd] { examine(fd); });
    a->delai.setSingleShot(true);
    connect(&a->delai, &QTimer::timeout, this, [this, fd] { examine(fd); });
    a->delai.start(AttenteMs);
    attente_.push_back(std::move(a));
    // Bytes may be there already.
    examine(fd);
}

// Looks at the first bytes without taking them: told, or past the wait, the
// connection goes on.
void Accueil::examine(int fd)
{
    const auto it = std::find_if(attente_.begin(), attente_.end(), [fd](const auto &a) { return a->fd == fd; });
    if (it == attente_.end())
        return;
    char debut[16];
    const ssize_t n = ::recv(fd, debut, sizeof debut, MSG_PEEK | MSG_DONTWAIT);
    // Ended or failed before telling: nothing to serve.
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
        ::close(fd);
        attente_.erase(it);
        return;
    }
    Genre genre = Reconnait(QByteArrayView(debut, n > 0 ? n : 0));
    const bool attendu = (*it)->depuis.hasExpired(AttenteMs);
    if (genre == Genre::Attente && !attendu)
        return;
    // Silent, a transmitter; the start of a method, a slow browser.
    if (genre == Genre::Attente)
        genre = n > 0 ? Genre::Http : Genre::Transmetteur;
    attente_.erase(it);
    tranche(fd, genre);
}

void Accueil::tranche(int fd, Genre genre)
{
    if (genre == Genre::Http && !sansPage_) {
        confie(fd);
        return;
    }
    if (genre == Genre::WebSocket && !sansPage_) {
        if (QTcpSocket *socket = prend(fd))
            emit webSocket(socket);
        return;
    }
    if (occupe_ && occupe_()) {
        ::close(fd);
        return;
    }
    emit transmetteur(fd);
}
