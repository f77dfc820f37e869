// Benchmark harness: runs one measurement and prints its figures as
// "name value" lines for bench/run. It drives the program's real windows,
// pressing their buttons as a user would, or plays a plain peer.
//
//   banc puits SECONDES            counting TCP sink on port 4444, large reads
//   banc source HOTE SECONDES      plain sender, large writes to HOTE:4444
//   banc emetteur HOTE SECONDES    the transmitter window streaming to HOTE
//   banc recepteur SECONDES        the receiver window, reception started
//   banc complet SECONDES          both windows, transmitting to 127.0.0.1
//   banc inactif SECONDES          both windows open, nothing pressed
//   banc cpu FICHIER COMMANDE...   runs COMMANDE and writes the CPU seconds
//                                  it used ("cpu S") into FICHIER, and those
//                                  it used from 3 s to 9 s after its start,
//                                  its steady state ("cpu_3_9 S", 0 if it
//                                  ended before)
//   banc historique SECONDES       a history whose one row holds SECONDES
//                                  seconds: the milliseconds its list and
//                                  that row take to load and to picture
//                                  ("chargement_ms")
//   banc page URL SECONDES         headless Chromium runs the measuring page
//                                  at URL, SECONDES a phase: the median
//                                  second of each direction as the page
//                                  shows it ("descendant B/s", "montant B/s",
//                                  "simultane_descendant", "simultane_montant")
//                                  and the page's own download count
//                                  ("descendant_page")
//   banc inonde SECONDES PAR_SECONDE TAILLE|courtes
//                                  broadcasts presence datagrams to port 4444:
//                                  the prefix and TAILLE bytes of junk, or
//                                  short addresses never sent before
//
// Every window mode prints the CPU time it used, the CPU time per second from
// 3 s after start to the end (the steady state, start-up and first drawing
// left out), its resident memory 3 s after start and at the end, the longest a queued call waited for the
// event loop ("latence_max_ms", what a click would wait), and every second
// the number of listed servers ("serveurs TIME COUNT"); with BANC_SANS_SONDES
// set, the last two are not taken, so that nothing of the harness runs in
// the window's process while its processor time is weighed;
// the receiver modes print each one-second sample with the time it closed.
#include "Chromium.h"
#include "SandboxGuard.h"
#include "historique/Historique.h"
#include "historique/ImageMesure.h"
#include "jauge/Joge.h"
#include "protocole/AdresseSocket.h"
#include "protocole/Protocole.h"
#include "recepteur/Form1.h"
#include "emetteur/Form2.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

double secondes(const rusage &r)
{
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

double secondesCpu()
{
    rusage r{};
    ::getrusage(RUSAGE_SELF, &r);
    return secondes(r);
}

long residentKo()
{
    QFile statut(QStringLiteral("/proc/self/status"));
    if (!statut.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &ligne : statut.readAll().split('\n'))
        if (ligne.startsWith("VmRSS:"))
            return ligne.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

sockaddr_in adresse(const char *hote)
{
    return AdresseSocket(QHostAddress(QString::fromLatin1(hote)).toIPv4Address(), Protocole::Port);
}

int puits(double secondes)
{
    const int ecoute = ::socket(AF_INET, SOCK_STREAM, 0);
    const int oui = 1;
    ::setsockopt(ecoute, SOL_SOCKET, SO_REUSEADDR, &oui, sizeof oui);
    sockaddr_in a = adresse("0.0.0.0");
    if (::bind(ecoute, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(ecoute, 1) != 0)
        return 1;
    std::printf("pret 1\n");
    std::fflush(stdout);
    const int c = ::accept(ecoute, nullptr, nullptr);
    static char tampon[1 << 20];
    long long total = 0;
    // The clock starts with the first byte: a transmitter may take up to a
    // second between its connection and its first block.
    QElapsedTimer t;
    ssize_t n;
    while ((n = ::read(c, tampon, sizeof tampon)) > 0) {
        if (!t.isValid())
            t.start();
        else
            total += n;
        if (t.elapsed() >= secondes * 1000)
            break;
    }
    std::printf("octets %lld\nsecondes %.3f\n", total, t.isValid() ? t.nsecsElapsed() / 1e9 : 0.0);
    return 0;
}

int source(const char *hote, double secondes)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = adresse(hote);
    QElapsedTimer t;
    t.start();
    while (::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        if (t.hasExpired(10000))
            return 1;
        ::usleep(20000);
    }
    static char tampon[1 << 20];
    std::fill(std::begin(tampon), std::end(tampon), 'A');
    long long total = 0;
    t.restart();
    while (t.elapsed() < secondes * 1000) {
        const ssize_t n = ::send(s, tampon, sizeof tampon, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        total += n;
    }
    std::printf("octets %lld\nsecondes %.3f\n", total, t.elapsed() / 1000.0);
    return 0;
}

// The CPU time of a whole program, measured from outside it, so that ours
// and iperf3 are measured alike.
// The processor time of every thread of a running process, in seconds (the
// scheduler's own count, in nanoseconds, where rusage counts in ticks).
double secondesCpuDe(pid_t pid)
{
    double total = 0;
    const QDir taches(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &tache : taches.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(taches.filePath(tache + QStringLiteral("/schedstat")));
        if (f.open(QIODevice::ReadOnly))
            total += f.readAll().split(' ').first().toDouble() / 1e9;
    }
    return total;
}

int cpu(const char *fichier, char **commande)
{
    const pid_t enfant = ::fork();
    if (enfant == 0) {
        ::execvp(commande[0], commande);
        ::_exit(127);
    }
    if (enfant < 0)
        return 1;
    // Its steady state: start-up costs are not bytes. The child is only
    // looked at, not reaped, until wait4 below.
    QElapsedTimer depuis;
    depuis.start();
    const auto enVieA = [&](qint64 ms) {
        siginfo_t info{};
        while (::waitid(P_PID, id_t(enfant), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0) {
            if (depuis.hasExpired(ms))
                return true;
            ::usleep(20 * 1000);
        }
        return false;
    };
    const double a3s = enVieA(3000) ? secondesCpuDe(enfant) : 0;
    const double a9s = a3s > 0 && enVieA(9000) ? secondesCpuDe(enfant) : 0;
    int statut = 0;
    rusage r{};
    if (::wait4(enfant, &statut, 0, &r) != enfant)
        return 1;
    std::FILE *f = std::fopen(fichier, "w");
    if (!f)
        return 1;
    std::fprintf(f, "cpu %.3f\ncpu_3_9 %.4f\n", secondes(r), a9s > 0 ? a9s - a3s : 0.0);
    std::fclose(f);
    return WIFEXITED(statut) ? WEXITSTATUS(statut) : 1;
}

int inonde(double secondes, int parSeconde, const QByteArray &taille)
{
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    const int oui = 1;
    ::setsockopt(s, SOL_SOCKET, SO_BROADCAST, &oui, sizeof oui);
    const sockaddr_in a = AdresseSocket(INADDR_BROADCAST, Protocole::Port);
    const bool courtes = taille == "courtes";
    const QByteArray junk(courtes ? 0 : taille.toInt(), 'j');
    QElapsedTimer t;
    t.start();
    long long envoyes = 0;
    while (t.elapsed() < secondes * 1000) {
        // Paced by the clock: datagrams due by now leave now.
        while (envoyes < t.elapsed() * parSeconde / 1000) {
            const QByteArray d = Protocole::DatagrammePresence(
                courtes ? QByteArray::number(10 + envoyes / 65536) + '.' + QByteArray::number(envoyes / 256 % 256) +
                              '.' + QByteArray::number(envoyes % 256) + ".9"
                        : junk);
            ::sendto(s, d.constData(), size_t(d.size()), 0, reinterpret_cast<const sockaddr *>(&a), sizeof a);
            ++envoyes;
        }
        ::usleep(1000);
    }
    std::printf("datagrammes %lld\n", envoyes);
    return 0;
}

// Prints every closed sample with the time it closed, in milliseconds since
// the first one.
void noteEchantillons(Joge *jauge)
{
    static QElapsedTimer horloge;
    QObject::connect(jauge, &Joge::ChangementValeur, jauge, [](double &v) {
        if (!horloge.isValid())
            horloge.start();
        std::printf("echantillon %.3f %.0f\n", horloge.nsecsElapsed() / 1e6, v);
        std::fflush(stdout);
    });
}

void appuie(QWidget *fenetre)
{
    QPushButton *bouton = fenetre->findChild<QPushButton *>(QStringLiteral("Command1"));
    QTimer::singleShot(0, bouton, &QPushButton::click);
}

}

// A stored measurement of `secondes` seconds, written as another copy that
// measured that long would have: the time to list, load and picture it.
int historique(qint64 secondes)
{
    QTemporaryDir dossier;
    const QString chemin = dossier.filePath(QStringLiteral("historique.sqlite"));
    {
        Historique h(chemin);
        Mesure m(QStringLiteral("10.45.0.1"), QStringLiteral("10.45.0.2"), QDateTime::currentDateTime());
        m.ajouteSeconde(1);
        m.termine(m.debut().addSecs(secondes));
        if (!h.enregistre(m, false))
            return 1;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("banc"));
        db.setDatabaseName(chemin);
        QSqlQuery q(db);
        if (!db.open() || !q.exec(QStringLiteral("UPDATE mesures SET secondes = randomblob(%1)").arg(secondes * 8)))
            return 1;
    }
    QSqlDatabase::removeDatabase(QStringLiteral("banc"));
    QElapsedTimer t;
    t.start();
    Historique h(chemin);
    const QVector<Historique::Fiche> fiches = h.fiches();
    const std::optional<Mesure> m = fiches.size() == 1 ? h.charge(fiches.front().id) : std::nullopt;
    if (!m)
        return 1;
    const QImage image = ImageMesure(*m);
    std::printf("chargement_ms %lld\nsecondes_gardees %zu\n", t.elapsed(), m->secondes().size());
    return image.isNull() ? 1 : 0;
}

double mediane(const QJsonValue &secondes)
{
    std::vector<double> v;
    for (const QJsonValue s : secondes.toArray())
        v.push_back(s.toDouble());
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int page(const QString &url, int secondes)
{
    Chromium navigateur;
    if (!navigateur.demarre() || !navigateur.ouvre(url, 10000))
        return 1;
    const QJsonObject r = navigateur
                              .evalue(QStringLiteral("window.bandepassante.lance(%1).then(() => window.bandepassante.resultats)")
                                          .arg(secondes),
                                      (4 * secondes + 30) * 1000)
                              .toObject();
    const QJsonObject descendant = r.value(QStringLiteral("descendant")).toObject();
    const QJsonObject simultane = r.value(QStringLiteral("simultane")).toObject();
    std::printf("descendant %.0f\ndescendant_page %.0f\nmontant %.0f\nsimultane_descendant %.0f\nsimultane_montant %.0f\n",
                mediane(descendant.value(QStringLiteral("secondes"))),
                mediane(descendant.value(QStringLiteral("page_secondes"))),
                mediane(r.value(QStringLiteral("montant")).toObject().value(QStringLiteral("secondes"))),
                mediane(simultane.value(QStringLiteral("descendant")).toObject().value(QStringLiteral("secondes"))),
                mediane(simultane.value(QStringLiteral("montant")).toObject().value(QStringLiteral("secondes"))));
    return descendant.isEmpty() ? 1 : 0;
}

int main(int argc, char *argv[])
{
    if (!SandboxGuard::requirePrivateNetwork())
        return 2;
    if (argc < 3) {
        std::fprintf(stderr, "usage: banc puits|source|emetteur|recepteur|complet|inactif|historique [HOTE] SECONDES\n"
                             "       banc page URL SECONDES\n"
                             "       banc inonde SECONDES PAR_SECONDE TAILLE|courtes\n"
                             "       banc cpu FICHIER COMMANDE...\n");
        return 2;
    }
    const QByteArray mode(argv[1]);
    if (mode == "cpu")
        return argc > 3 ? cpu(argv[2], argv + 3) : 2;
    const double secondes = std::atof(argv[argc - 1]);
    if (mode == "puits")
        return puits(secondes);
    if (mode == "source")
        return source(argv[2], secondes);
    if (mode == "inonde" && argc == 5)
        return inonde(std::atof(argv[2]), std::atoi(argv[3]), QByteArray(argv[4]));
    if (mode == "historique") {
        // The picture's text needs the fonts of a GUI application.
        QApplication app(argc, argv);
        return historique(std::atoll(argv[2]));
    }
    if (mode == "page" && argc == 4) {
        QCoreApplication app(argc, argv);
        return page(QString::fromLatin1(argv[2]), int(secondes));
    }

    QApplication app(argc, argv);
    std::unique_ptr<Form1> recepteur;
    std::unique_ptr<Form2> emetteurSeul;
    if (mode == "emetteur") {
        emetteurSeul = std::make_unique<Form2>();
        emetteurSeul->show();
        emetteurSeul->findChild<QLineEdit *>(QStringLiteral("AdresseIP"))->setText(QString::fromLatin1(argv[2]));
        appuie(emetteurSeul.get());
    } else {
        recepteur = std::make_unique<Form1>();
        recepteur->show();
        if (mode != "inactif") {
            noteEchantillons(recepteur->findChild<Joge *>(QStringLiteral("Joge")));
            appuie(recepteur.get());
        }
        if (mode == "complet")
            QTimer::singleShot(100, recepteur.get(), [&] { appuie(recepteur->form2()); });
    }

    Form2 *emetteur = emetteurSeul ? emetteurSeul.get() : recepteur->form2();
    auto *serveurs = emetteur->findChild<QListWidget *>(QStringLiteral("ListeServeur"));
    QElapsedTimer depuis;
    depuis.start();
    QTimer compte;
    QObject::connect(&compte, &QTimer::timeout, [&] {
        std::printf("serveurs %lld %d\n", depuis.elapsed(), serveurs->count());
        std::fflush(stdout);
    });
    // The probes are the harness's own work inside the process: rows that
    // weigh the program's processor time leave them out.
    const bool sondes = qEnvironmentVariableIsEmpty("BANC_SANS_SONDES");
    if (sondes)
        compte.start(1000);
    // Every 100 ms a call is queued as a click would be; the longest it waited
    // is how long a click would have waited.
    qint64 latenceMax = 0;
    QTimer sonde;
    QObject::connect(&sonde, &QTimer::timeout, [&] {
        const qint64 poste = depuis.nsecsElapsed();
        QMetaObject::invokeMethod(&sonde, [&, poste] { latenceMax = std::max(latenceMax, depuis.nsecsElapsed() - poste); },
                                  Qt::QueuedConnection);
    });
    if (sondes)
        sonde.start(100);

    // Memory is compared from the point where a stream has settled.
    long rss3s = -1;
    double cpu3s = 0;
    QTimer::singleShot(3000, &app, [&] {
        rss3s = residentKo();
        cpu3s = secondesCpu();
    });
    const double cpuDebut = secondesCpu();
    QTimer::singleShot(int(secondes * 1000), &app, [&] {
        const double cpuFin = secondesCpu();
        std::printf("cpu %.3f\ncpu_regime_par_s %.5f\nrss_3s_ko %ld\nrss_fin_ko %ld\nlatence_max_ms %.1f\n",
                    cpuFin - cpuDebut, (cpuFin - cpu3s) / (secondes - 3), rss3s, residentKo(), latenceMax / 1e6);
        std::fflush(stdout);
        std::_Exit(0);
    });
    return app.exec();
}
