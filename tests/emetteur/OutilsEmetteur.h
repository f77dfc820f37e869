#pragma once

// Helpers of the transmitter tests.
//
// The transmitter's send loop runs from the connect wait's timer, yielding
// to the event queue after every block. Test code that waits (QTRY_*) while
// it runs would have the loop nested inside its own wait and get control
// back only once the sending ends. So a test plays its steps from a
// timer instead (Scenario): every tick, delivered from whichever loop yields,
// looks whether the current step's condition holds and, if so, acts, never
// blocking (presses are queued). The test function only waits for the end.

#include "protocole/AdresseSocket.h"
#include "protocole/Protocole.h"
#include "protocole/Winsock.h"
#include "emetteur/Form2.h"

#include <QAbstractSocket>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QLineEdit>
#include <QMetaObject>
#include <QProcess>
#include <QPushButton>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include "emetteur/Bulle.h"

#include <functional>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

inline QString legende(QWidget *fenetre)
{
    return fenetre->findChild<QPushButton *>(QStringLiteral("Command1"))->text();
}

// Presses a window's Command1 as the user does, through the event queue.
inline void appuie(QWidget *fenetre)
{
    QMetaObject::invokeMethod(fenetre->findChild<QPushButton *>(QStringLiteral("Command1")), "click",
                              Qt::QueuedConnection);
}

inline QRgb fond(Form2 *f)
{
    return f->findChild<QLineEdit *>(QStringLiteral("AdresseIP"))->palette().color(QPalette::Base).rgba();
}

// Presses Command1 of `f` and waits, at most `delaiMs`, for the window to be
// idle again: the milliseconds it took; -1 when the press started no attempt
// or the window did not come back.
inline qint64 presseJusquAuRepos(Form2 *f, int delaiMs)
{
    QElapsedTimer duree;
    duree.start();
    f->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    if (legende(f) != QString::fromUtf8(Form2::CaptionConnexion))
        return -1;
    if (!QTest::qWaitFor([f] { return legende(f) == QString::fromUtf8(Form2::CaptionDemarre); }, delaiMs))
        return -1;
    return duree.elapsed();
}

// A balloon's text on one line, as the window composed it.
inline QString enLigne(QString texte)
{
    return texte.replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// The balloon on show, if any; empty when none is.
inline QString bulle()
{
    return enLigne(Bulle::Texte());
}

// A command of this host's network namespace (ip, nft), fed `entree`; true
// when it succeeded.
inline bool commandeReseau(const QString &programme, const QStringList &arguments, const QByteArray &entree = {})
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(programme, arguments);
    if (!p.waitForStarted())
        return false;
    p.write(entree);
    p.closeWriteChannel();
    return p.waitForFinished() && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

class Scenario : public QObject
{
public:
    using Condition = std::function<bool()>;
    using Action = std::function<void()>;

    // Waits for `condition`, at most `delaiMs` after the previous step, then
    // runs `action`.
    Scenario &quand(const QString &nom, Condition condition, int delaiMs, Action action = {})
    {
        etapes_.push_back({nom, std::move(condition), delaiMs, std::move(action)});
        return *this;
    }
    Scenario &puis(Action action)
    {
        return quand(QString(), [] { return true; }, 0, std::move(action));
    }

    // Brings the window back to rest when a step misses its deadline, so that
    // the handler's loops end and the test function gets control back.
    void siEchec(Action secours) { secours_ = std::move(secours); }

    // Starts the steps. Once they are all done, the handler that runs them
    // must return within `retourMs`: the test function must get control back.
    void demarre(int retourMs = 3000)
    {
        retourMs_ = retourMs;
        connect(&tic_, &QTimer::timeout, this, [this] { avance(); });
        tic_.start(5);
        depuis_.start();
    }

    bool fini() const { return fini_; }
    // Called by the test function once it has control back.
    void termine() { tic_.stop(); }
    QString echec() const { return echec_; }

private:
    struct Etape {
        QString nom;
        Condition condition;
        int delaiMs;
        Action action;
    };

    void echoue(const QString &pourquoi)
    {
        echec_ = pourquoi;
        fini_ = true;
        tic_.stop();
        if (secours_)
            secours_();
    }

    void avance()
    {
        if (enCours_)
            return;
        enCours_ = true;
        while (suivante_ < etapes_.size()) {
            Etape &e = etapes_[suivante_];
            if (!e.condition()) {
                if (depuis_.hasExpired(e.delaiMs))
                    echoue(QStringLiteral("step \"%1\" not reached within %2 ms").arg(e.nom).arg(e.delaiMs));
                enCours_ = false;
                return;
            }
            if (e.action)
                e.action();
            ++suivante_;
            depuis_.start();
        }
        if (!fini_) {
            fini_ = true;
            depuis_.start();
        } else if (depuis_.hasExpired(retourMs_)) {
            echoue(QStringLiteral("the click handler did not return after the last step"));
        }
        enCours_ = false;
    }

    std::vector<Etape> etapes_;
    size_t suivante_ = 0;
    QTimer tic_;
    QElapsedTimer depuis_;
    Action secours_;
    int retourMs_ = 3000;
    bool fini_ = false;
    bool enCours_ = false;
    QString echec_;
};

// Stops every loop of the transmitter: the caption is its state.
inline void remetAuRepos(Form2 *f)
{
    f->findChild<QPushButton *>(QStringLiteral("Command1"))->setText(QString::fromUtf8(Form2::CaptionDemarre));
    f->findChild<Winsock *>(QStringLiteral("W"))->Close();
}

// Plays a scenario against a transmitter window `fenetre` and waits, at most
// `delaiMs`, for the test function to get control back; a missed step brings
// the window to rest first.
#define JOUE(scenario, fenetre, delaiMs)                                  \
    do {                                                                  \
        Form2 *const fenetre_ = (fenetre);                                \
        (scenario).siEchec([fenetre_] { remetAuRepos(fenetre_); });       \
        (scenario).demarre();                                             \
        QTRY_VERIFY_WITH_TIMEOUT((scenario).fini(), delaiMs);             \
        (scenario).termine();                                             \
        QVERIFY2((scenario).echec().isEmpty(), qPrintable((scenario).echec())); \
    } while (false)

// A plain TCP receiver on port 4444 that checks every byte against the
// measurement stream: 1024 bytes 0x41, one 0x0D, again and again.
class Puits : public QObject
{
public:
    Puits()
    {
        connect(&serveur_, &QTcpServer::newConnection, this, [this] { accepte(); });
        serveur_.listen(QHostAddress::LocalHost, Protocole::Port);
    }

    bool enEcoute() const { return serveur_.isListening(); }
    void arreteDEcouter() { serveur_.close(); }
    int connexions() const { return connexions_; }
    // Bytes of the last connection, whether all of them were in place, and
    // whether the transmitter has closed it.
    qint64 recus() const { return recus_; }
    bool conforme() const { return conforme_; }
    bool ferme() const { return ferme_; }
    QTcpSocket *client() const { return client_; }

    // A paused receiver reads nothing, so the link looks infinitely slow.
    void pause(bool oui)
    {
        enPause_ = oui;
        if (!oui)
            lit();
    }

private:
    void accepte()
    {
        while (QTcpSocket *s = serveur_.nextPendingConnection()) {
            ++connexions_;
            client_ = s;
            recus_ = 0;
            conforme_ = true;
            ferme_ = false;
            s->setReadBufferSize(256 * 1024);
            connect(s, &QTcpSocket::readyRead, this, [this, s] {
                if (s == client_)
                    lit();
            });
            connect(s, &QTcpSocket::disconnected, this, [this, s] {
                if (s != client_)
                    return;
                lit();
                ferme_ = true;
            });
        }
    }

    void lit()
    {
        if (enPause_ || !client_)
            return;
        while (client_->bytesAvailable() > 0) {
            const QByteArray morceau = client_->read(64 * 1024);
            for (const char c : morceau) {
                const char attendu = recus_ % Protocole::LongueurBloc == Protocole::LongueurBloc - 1 ? '\r' : 'A';
                conforme_ = conforme_ && c == attendu;
                ++recus_;
            }
        }
    }

    QTcpServer serveur_;
    QTcpSocket *client_ = nullptr;
    int connexions_ = 0;
    qint64 recus_ = 0;
    bool conforme_ = true;
    bool ferme_ = false;
    bool enPause_ = false;
};

// Port 4444 of `ip` where a connection request is never answered: the
// listener's queue holds one connection nobody accepts, and the system drops
// every further request, so the transmitter keeps waiting as for a machine
// that is switched off.
class Sourd
{
public:
    explicit Sourd(const char *ip)
    {
        const sockaddr_in a = AdresseSocket(QHostAddress(QString::fromLatin1(ip)).toIPv4Address(), Protocole::Port);
        ecoute_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int oui = 1;
        ::setsockopt(ecoute_, SOL_SOCKET, SO_REUSEADDR, &oui, sizeof oui);
        pret_ = ::bind(ecoute_, reinterpret_cast<const sockaddr *>(&a), sizeof a) == 0 && ::listen(ecoute_, 0) == 0;
        bouchon_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        pret_ = pret_ && ::connect(bouchon_, reinterpret_cast<const sockaddr *>(&a), sizeof a) == 0;
    }
    ~Sourd()
    {
        ::close(bouchon_);
        ::close(ecoute_);
    }
    Sourd(const Sourd &) = delete;
    Sourd &operator=(const Sourd &) = delete;

    bool pret() const { return pret_; }

private:
    int ecoute_ = -1;
    int bouchon_ = -1;
    bool pret_ = false;
};

// Port 4444 of `ip` (an address of this host) behind a firewall that drops
// connection requests without a word: an nftables rule of this namespace.
// Where the kernel lacks nftables, a listener whose queue is full (Sourd)
// drops them likewise.
class PareFeu
{
public:
    explicit PareFeu(const char *ip)
    {
        regle_ = commandeReseau(QStringLiteral("nft"), {QStringLiteral("-f"), QStringLiteral("-")},
                                QByteArray("table inet bp_parefeu {\n chain sortie {\n"
                                           "  type filter hook output priority 0; policy accept;\n"
                                           "  ip daddr ") + ip + " tcp dport " +
                                    QByteArray::number(Protocole::Port) + " drop\n }\n}\n");
        if (!regle_)
            sourd_ = std::make_unique<Sourd>(ip);
    }
    ~PareFeu()
    {
        if (regle_)
            commandeReseau(QStringLiteral("nft"), {QStringLiteral("delete"), QStringLiteral("table"),
                                                   QStringLiteral("inet"), QStringLiteral("bp_parefeu")});
    }
    PareFeu(const PareFeu &) = delete;
    PareFeu &operator=(const PareFeu &) = delete;

    bool pret() const { return regle_ || (sourd_ && sourd_->pret()); }

private:
    bool regle_ = false;
    std::unique_ptr<Sourd> sourd_;
};
