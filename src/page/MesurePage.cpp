#include "page/MesurePage.h"

#include "outils/Bornes.h"
#include "protocole/Protocole.h"
#include "protocole/VueTcp.h"
#include "session/Emission.h"

#include <QDateTime>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebSocket>

#include <utility>

namespace {

// The bytes a WebSocket frame of `n` bytes takes on the wire beyond them,
// sent by the server (unmasked).
qint64 entete(qint64 n)
{
    return 2 + (n < 126 ? 0 : n < 65536 ? 2 : 8);
}

// A direction of a phase as the page reads it.
QJsonObject chiffres(const Mesure &m)
{
    const ResumeMesure r = m.resume();
    QJsonArray secondes;
    for (const qint64 s : m.secondes())
        secondes.append(double(s));
    QJsonObject o{{QStringLiteral("octets"), double(r.total())},
                  {QStringLiteral("duree_ms"), double(r.dureeMs())},
                  {QStringLiteral("moyenne"), r.moyenne()},
                  {QStringLiteral("maximum"), double(r.maximum())},
                  {QStringLiteral("secondes"), secondes}};
    if (r.latenceChargeUs() > 0)
        o.insert(QStringLiteral("rtt_us"), double(r.latenceChargeUs()));
    return o;
}

}

MesurePage::MesurePage(std::unique_ptr<QWebSocket> socket, int fd, const QString &appareil, QObject *parent)
    : QObject(parent)
    , ws_(std::move(socket))
    , fd_(fd)
    , pair_(QHostAddress(ws_->peerAddress().toIPv4Address()).toString())
    , local_(QHostAddress(ws_->localAddress().toIPv4Address()).toString())
    , appareil_(appareil)
    // As the stream hands them to the system.
    , bloc_(Protocole::BlocMesure().repeated(Emission::TailleAppel / Protocole::LongueurBloc))
{
    ws_->setMaxAllowedIncomingFrameSize(quint64(MessageMax));
    ws_->setMaxAllowedIncomingMessageSize(quint64(MessageMax));
    connect(ws_.get(), &QWebSocket::textMessageReceived, this, &MesurePage::texte);
    connect(ws_.get(), &QWebSocket::binaryFrameReceived, this, [this](const QByteArray &trame) {
        mouvement_ += trame.size();
        if (!recoit_)
            return;
        recuPhase_ += trame.size();
        recue_.ajoute(trame.size());
        emit recu(trame.size());
    });
    connect(ws_.get(), &QWebSocket::bytesWritten, this, &MesurePage::remplit);
    // A frame malformed or too long: no more of this page.
    connect(ws_.get(), QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), ws_.get(), &QWebSocket::abort);
    connect(ws_.get(), &QWebSocket::disconnected, this, [this] {
        if (!sens_.isEmpty())
            finit(Session::Fin::Coupure);
        emit fermee();
    });
    // Each second, of what came (upload) and of what was acknowledged
    // (download), told to the page.
    for (const auto &[chronique, montant] : {std::pair{&recue_, true}, std::pair{&envoyee_, false}}) {
        connect(chronique, &Chronique::seconde, this, [this, montant = montant](int n, qint64 octets) {
            envoieTexte({{QStringLiteral("type"), QStringLiteral("seconde")},
                         {QStringLiteral("sens"), montant ? QStringLiteral("montant") : QStringLiteral("descendant")},
                         {QStringLiteral("n"), n},
                         {QStringLiteral("octets"), double(octets)}});
            emit seconde(montant, n, octets);
        });
    }
    connect(&acquittement_, &Acquittement::acquittes, &envoyee_, &Chronique::ajoute);
    connect(&acquittement_, &Acquittement::acquittes, this, &MesurePage::envoye);
    envoyee_.definitReleve([this] { acquittement_.releve(); });
    envoyee_.definitVueTcp([this] { return LitVueTcp(fd_); });

    duree_.setSingleShot(true);
    duree_.setTimerType(Qt::PreciseTimer);
    connect(&duree_, &QTimer::timeout, this, &MesurePage::finEnvoi);
    attenteFin_.setSingleShot(true);
    attenteFin_.setInterval(AttenteFinMs);
    connect(&attenteFin_, &QTimer::timeout, this, [this] {
        finit(Session::Fin::Coupure);
        ferme();
    });
    compte_.setInterval(250);
    connect(&compte_, &QTimer::timeout, this, [this] {
        envoieTexte({{QStringLiteral("type"), QStringLiteral("recu")}, {QStringLiteral("octets"), double(recuPhase_)}});
    });
    veille_.setInterval(1000);
    connect(&veille_, &QTimer::timeout, this, &MesurePage::veille);
    veille_.start();
}

MesurePage::~MesurePage() = default;

void MesurePage::envoieTexte(const QJsonObject &message)
{
    const QByteArray json = QJsonDocument(message).toJson(QJsonDocument::Compact);
    filaire_ += json.size() + entete(json.size());
    ws_->sendTextMessage(QString::fromUtf8(json));
}

// The page's data the browser has acknowledged: the bytes on the wire in the
// share that was data.
qint64 MesurePage::acquittes() const
{
    const qint64 acquittes = LitCompteursTcp(fd_).octetsAcquittes;
    return filaire_ > 0 ? qint64(double(acquittes) * double(utile_) / double(filaire_)) : 0;
}

void MesurePage::texte(const QString &message)
{
    mouvement_ += message.size();
    if (message.size() > TexteMax) {
        ferme();
        return;
    }
    const QJsonObject o = QJsonDocument::fromJson(message.toUtf8()).object();
    const QString type = o.value(QStringLiteral("type")).toString();
    if (type == QLatin1String("fin")) {
        if (!sens_.isEmpty())
            finit(duree_.isActive() ? Session::Fin::Interruption : Session::Fin::Duree);
        return;
    }
    if (type != QLatin1String("phase") || !sens_.isEmpty())
        return;
    const QString sens = o.value(QStringLiteral("sens")).toString();
    const double duree = o.value(QStringLiteral("duree")).toDouble();
    const QString test = o.value(QStringLiteral("test")).toString().left(32);
    const bool valide = (sens == QLatin1String("descendant") || sens == QLatin1String("montant") ||
                         sens == QLatin1String("simultane")) &&
                        duree >= Protocole::DemandeSecondesMin && duree <= Protocole::DemandeSecondesMax &&
                        duree == double(int(duree));
    // One run a connection: its phases are one test.
    if (!valide || (!testPage_.isEmpty() && test != testPage_)) {
        envoieTexte({{QStringLiteral("type"), QStringLiteral("refus")},
                     {QStringLiteral("raison"), QStringLiteral("demande mal formée")}});
        return;
    }
    if (const QJsonObject refus = refus_ ? refus_(sens) : QJsonObject(); !refus.isEmpty()) {
        envoieTexte(refus);
        return;
    }
    commence(sens, int(duree), test, o.value(QStringLiteral("lieu")).toString().left(200));
}

void MesurePage::commence(const QString &sens, int duree, const QString &test, const QString &lieu)
{
    sens_ = sens;
    lieu_ = lieu;
    if (testPage_.isEmpty()) {
        testPage_ = test;
        test_ = QDateTime::currentMSecsSinceEpoch();
    }
    envoie_ = sens != QLatin1String("montant");
    recoit_ = sens != QLatin1String("descendant");
    recuPhase_ = 0;
    if (recoit_) {
        recue_.commence(pair_, local_);
        recue_.decritLien(QHostAddress(pair_));
    }
    if (envoie_) {
        envoyee_.commence(local_, pair_);
        envoyee_.decritLien(QHostAddress(pair_));
        acquittement_.demarre([this] { return acquittes(); });
    }
    envoieTexte({{QStringLiteral("type"), QStringLiteral("debut")}, {QStringLiteral("sens"), sens}});
    duree_.start(duree * 1000);
    if (recoit_)
        compte_.start();
    emit phaseCommencee(sens);
    remplit();
}

void MesurePage::remplit()
{
    while (envoie_ && ws_->isValid() && ws_->bytesToWrite() < Emission::AvanceMax) {
        ws_->sendBinaryMessage(bloc_);
        utile_ += bloc_.size();
        filaire_ += bloc_.size() + entete(bloc_.size());
    }
}

// The phase's seconds are over: this end stops sending and waits for the
// page's end; what still arrives counts in the last, incomplete second.
void MesurePage::finEnvoi()
{
    const bool envoyait = envoie_;
    envoie_ = false;
    recue_.finSecondes();
    envoyee_.finSecondes();
    if (envoyait)
        envoieTexte({{QStringLiteral("type"), QStringLiteral("fin_envoi")}});
    attenteFin_.start();
}

void MesurePage::finit(Session::Fin fin)
{
    if (sens_.isEmpty())
        return;
    duree_.stop();
    attenteFin_.stop();
    compte_.stop();
    envoie_ = false;
    const bool recevait = recoit_;
    recoit_ = false;
    QJsonObject resume{{QStringLiteral("type"), QStringLiteral("resume")}, {QStringLiteral("sens"), sens_}};
    const bool simultane = sens_ == QLatin1String("simultane");
    const auto garde = [&](const Chronique &c, const char *nom, const char *cote) {
        Mesure m = c.mesure();
        m.definitTest(QString::fromLatin1(simultane ? cote : nom), test_);
        m.definitOrigine(lieu_, appareil_);
        mesures_.push_back(m);
        return chiffres(m);
    };
    if (recevait) {
        recue_.termine();
        resume.insert(QStringLiteral("montant"), garde(recue_, "descendant", "simultane-descendant"));
    }
    if (acquittement_.actif()) {
        acquittement_.arrete();
        envoyee_.termine();
        resume.insert(QStringLiteral("descendant"), garde(envoyee_, "montant", "simultane-montant"));
    }
    if (ws_->isValid())
        envoieTexte(resume);
    const QString sens = sens_;
    sens_.clear();
    emit phaseTerminee(sens, fin);
}

void MesurePage::ferme()
{
    ws_->abort();
}

// Nothing moving either way for too long: the page is gone, or holds the
// receiver for nothing.
void MesurePage::veille()
{
    const qint64 mouvement = mouvement_ + LitCompteursTcp(fd_).octetsAcquittes;
    silenceMs_ = mouvement != dernierMouvement_ ? 0 : silenceMs_ + veille_.interval();
    dernierMouvement_ = mouvement;
    if (silenceMs_ >= SilenceMaxMs) {
        if (!sens_.isEmpty())
            finit(Session::Fin::Coupure);
        ferme();
    }
}
