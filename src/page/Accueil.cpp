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
    // Told a transmitter's, it waits for the receiver.
    bool transmetteur = false;
    // A browser's silent connection, given the time of a request.
    bool navigateur = false;
};

Accueil::Accueil(QObject *parent)
    // A browser loads a page, its files and two WebSockets; a measurement's
    // WebSocket lives for minutes and carries gigabytes, bounded on its own.
    : EcouteHttp({64, 12, 10000, 64 * 1024}, parent)
{
    guet_.setInterval(50);
    connect(&guet_, &QTimer::timeout, this, &Accueil::servir);
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
    int deCetteAdresse = 0;
    for (const auto &a : attente_)
        deCetteAdresse += a->pair == pair;
    if (int(attente_.size()) >= AttenteMax || deCetteAdresse >= AttenteParAdresseMax) {
        ::close(fd);
        return;
    }
    auto a = std::make_unique<EnAttente>();
    a->fd = fd;
    a->pair = pair;
    a->depuis.start();
    a->lecture = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(a->lecture.get(), &QSocketNotifier::activated, this, [this, fd] { examine(fd, false); });
    a->delai.setSingleShot(true);
    connect(&a->delai, &QTimer::timeout, this, [this, fd] { examine(fd, true); });
    a->delai.start(AttenteMs);
    attente_.push_back(std::move(a));
    // Bytes may be there already.
    examine(fd, false);
}

// Looks at the first bytes without taking them: told, or past the wait, the
// connection goes on.
void Accueil::examine(int fd, bool echu)
{
    const auto it = std::find_if(attente_.begin(), attente_.end(), [fd](const auto &a) { return a->fd == fd; });
    if (it == attente_.end() || (*it)->transmetteur)
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
    if (genre == Genre::Attente && !echu)
        return;
    const auto navigateur = navigateurs_.constFind((*it)->pair);
    const bool recent = navigateur != navigateurs_.cend() && !navigateur->hasExpired(60000);
    if (genre == Genre::Attente && n <= 0 && recent) {
        if ((*it)->navigateur) {
            ::close(fd);
            attente_.erase(it);
            return;
        }
        (*it)->navigateur = true;
        (*it)->delai.start(NavigateurMs);
        return;
    }
    // Silent, a transmitter; the start of a method, a slow browser.
    if (genre == Genre::Attente)
        genre = n > 0 ? Genre::Http : Genre::Transmetteur;
    tranche(it, genre);
}

void Accueil::tranche(std::vector<std::unique_ptr<EnAttente>>::iterator it, Genre genre)
{
    const int fd = (*it)->fd;
    if (genre == Genre::Transmetteur || sansPage_) {
        // Waits here for the receiver, its bytes left where they are.
        (*it)->transmetteur = true;
        (*it)->lecture.reset();
        (*it)->delai.stop();
        (*it)->depuis.start();
        guet_.start();
        servir();
        return;
    }
    if (navigateurs_.size() < AttenteMax || navigateurs_.contains((*it)->pair))
        navigateurs_[(*it)->pair].start();
    attente_.erase(it);
    if (genre == Genre::Http) {
        confie(fd);
        return;
    }
    if (QTcpSocket *socket = prend(fd))
        emit webSocket(socket);
}

void Accueil::servir()
{
    bool reste = false;
    for (auto it = attente_.begin(); it != attente_.end();) {
        if (!(*it)->transmetteur) {
            ++it;
            continue;
        }
        const int fd = (*it)->fd;
        if (!(occupe_ && occupe_())) {
            attente_.erase(it);
            // The first in line only: the receiver serves one at a time.
            emit transmetteur(fd);
            reste = std::any_of(attente_.begin(), attente_.end(), [](const auto &a) { return a->transmetteur; });
            break;
        }
        if ((*it)->depuis.hasExpired(OccupeMaxMs)) {
            ::close(fd);
            it = attente_.erase(it);
            continue;
        }
        reste = true;
        ++it;
    }
    if (!reste)
        guet_.stop();
}
