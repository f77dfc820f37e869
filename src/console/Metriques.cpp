#include "console/Metriques.h"

#include "console/ChroniqueMesure.h"
#include "console/Sortie.h"
#include "outils/Bornes.h"
#include "page/EcouteHttp.h"
#include "session/ServiceRecepteur.h"

#include <QDateTime>
#include <QHttpServer>
#include <QHttpServerResponse>

#include <cmath>

namespace {

const char *const Motifs[] = {"depart", "coupure", "duree", "interruption"};

// A label's value as the exposition format writes it.
QByteArray etiquette(const QString &valeur)
{
    QByteArray v = valeur.toUtf8();
    v.replace('\\', "\\\\").replace('"', "\\\"").replace('\n', "\\n");
    return '"' + v + '"';
}

class Exposition
{
public:
    void metrique(const char *nom, const char *type, const char *aide)
    {
        texte_ += QByteArray("# HELP ") + nom + ' ' + aide + "\n# TYPE " + nom + ' ' + type + '\n';
    }
    void valeur(const char *nom, double v, const QByteArray &etiquettes = {})
    {
        // Counts as integers; 15 digits, no binary noise, otherwise.
        const bool entier = v == double(qint64(v)) && std::abs(v) < 9e15;
        texte_ += nom + (etiquettes.isEmpty() ? QByteArray() : '{' + etiquettes + '}') + ' ' +
                  (entier ? QByteArray::number(qint64(v)) : QByteArray::number(v, 'g', 15)) + '\n';
    }
    QByteArray texte() const { return texte_; }

private:
    QByteArray texte_;
};

}

Metriques::Metriques(const ChroniqueMesure &chronique, const ServiceRecepteur &service, QObject *parent)
    : QObject(parent)
    , chronique_(chronique)
    , service_(service)
    , debut_(QDateTime::currentMSecsSinceEpoch())
{
}

Metriques::~Metriques() = default;

bool Metriques::LitAdresse(const QString &texte, QHostAddress &adresse, quint16 &port)
{
    const qsizetype deuxPoints = texte.lastIndexOf(QLatin1Char(':'));
    if (deuxPoints < 0)
        return false;
    QString hote = texte.left(deuxPoints);
    // An IPv6 address holds colons itself: only in brackets is its port told
    // apart.
    const bool crochets = hote.startsWith(QLatin1Char('[')) && hote.endsWith(QLatin1Char(']'));
    if (crochets)
        hote = hote.mid(1, hote.size() - 2);
    const std::optional<qint64> p = Bornes::LitEntier(texte.mid(deuxPoints + 1).toLatin1(), 65535);
    if (!p || *p == 0)
        return false;
    adresse = hote.isEmpty() && !crochets ? QHostAddress(QHostAddress::AnyIPv4) : QHostAddress(hote);
    port = quint16(*p);
    return !adresse.isNull() && (adresse.protocol() == QHostAddress::IPv6Protocol) == crochets;
}

QString Metriques::Description(const QHostAddress &adresse, quint16 port)
{
    if (adresse == QHostAddress(QHostAddress::AnyIPv4))
        return tr("le port TCP %1 de toutes les adresses IPv4 de cette machine, chemin /metrics").arg(port);
    const QString hote = adresse.protocol() == QHostAddress::IPv6Protocol
                             ? QLatin1Char('[') + adresse.toString() + QLatin1Char(']')
                             : adresse.toString();
    return QStringLiteral("http://%1:%2/metrics").arg(hote).arg(port);
}

bool Metriques::ecoute(const QHostAddress &adresse, quint16 port, QString &raison)
{
    serveur_ = std::make_unique<QHttpServer>();
    serveur_->route(QStringLiteral("/metrics"), QHttpServerRequest::Method::Get, [this] {
        QHttpServerResponse reponse("text/plain; version=0.0.4; charset=utf-8", texte());
        return reponse;
    });
    // A request is a few hundred bytes; a scrape a fraction of a second; a
    // monitoring system holds one or two connections.
    auto *tcp = new EcouteHttp({ConnexionsMax, ConnexionsMax, VieMaxMs, RequeteMax}, serveur_.get());
    connect(tcp, &EcouteHttp::descripteursEpuises, this, [](const QString &pourquoi) {
        //: %1 the system's reason (no descriptors left)
        Sortie::erreur(tr("métriques : plus de connexion possible (%1) ; nouvel essai chaque seconde").arg(pourquoi));
    });
    if (!tcp->ecoute(adresse, port)) {
        raison = tcp->errorString();
        serveur_.reset();
        return false;
    }
    serveur_->bind(tcp);
    return true;
}

namespace {

// The bytes the measurement received: a receiver asked for the blocks back
// measures what it sends instead.
qint64 recusPar(const ChroniqueMesure &chronique)
{
    return chronique.role() == QLatin1String("emetteur") ? 0 : chronique.mesure().total();
}

}

void Metriques::fin(const QString &motif)
{
    compte(recusPar(chronique_), service_.envoyes(), motif);
}

void Metriques::compte(qint64 recus, qint64 envoyes, const QString &motif)
{
    for (int i = 0; i < 4; ++i) {
        if (motif == QLatin1String(Motifs[i]))
            ++fins_[i];
    }
    recus_ += recus;
    envoyes_ += envoyes;
}

QByteArray Metriques::texte() const
{
    const Mesure &m = chronique_.mesure();
    const bool enCours = chronique_.enCours();
    Exposition e;
    e.metrique("bandepassante_received_bytes_total", "counter", "Bytes received from transmitters since start.");
    e.valeur("bandepassante_received_bytes_total", double(recus_ + (enCours ? recusPar(chronique_) : 0)));
    e.metrique("bandepassante_sent_bytes_total", "counter", "Bytes sent back to requesters since start.");
    e.valeur("bandepassante_sent_bytes_total", double(envoyes_ + (enCours ? service_.envoyes() : 0)));
    e.metrique("bandepassante_measurements_total", "counter", "Measurements served, by how they ended.");
    for (int i = 0; i < 4; ++i)
        e.valeur("bandepassante_measurements_total", double(fins_[i]), "end=" + etiquette(QLatin1String(Motifs[i])));
    e.metrique("bandepassante_transmitter_connected", "gauge", "1 while a transmitter is served.");
    e.valeur("bandepassante_transmitter_connected", enCours ? 1 : 0);
    if (enCours) {
        e.metrique("bandepassante_transmitter_info", "gauge", "The transmitter served now.");
        e.valeur("bandepassante_transmitter_info", 1, "address=" + etiquette(chronique_.pair()));
    }
    e.metrique("process_start_time_seconds", "gauge", "When the receiver started, in seconds since the epoch.");
    e.valeur("process_start_time_seconds", double(debut_) / 1000.0);
    if (!m.existe())
        return e.texte();

    const ResumeMesure r = m.resume();
    e.metrique("bandepassante_last_second_bytes_per_second", "gauge",
               "Bytes of the last complete second of the measurement in progress, or of the last one.");
    e.valeur("bandepassante_last_second_bytes_per_second", m.secondes().empty() ? 0 : double(m.secondes().back()));
    e.metrique("bandepassante_measurement_bytes_per_second", "gauge",
               "The measurement in progress, or the last one: mean and figures of its complete seconds.");
    const struct {
        const char *statistique;
        double valeur;
    } chiffres[] = {{"mean", r.moyenne()},
                    {"minimum", double(r.minimum())},
                    {"median", r.mediane()},
                    {"p90", double(r.centile90())},
                    {"maximum", double(r.maximum())}};
    for (const auto &c : chiffres)
        e.valeur("bandepassante_measurement_bytes_per_second", c.valeur,
                 "statistic=" + etiquette(QLatin1String(c.statistique)));
    e.metrique("bandepassante_measurement_duration_seconds", "gauge", "Its duration so far, or in all.");
    e.valeur("bandepassante_measurement_duration_seconds", double(r.dureeMs()) / 1000.0);
    if (m.fin().isValid()) {
        e.metrique("bandepassante_measurement_end_timestamp_seconds", "gauge",
                   "When the last measurement ended, in seconds since the epoch.");
        e.valeur("bandepassante_measurement_end_timestamp_seconds", double(m.fin().toMSecsSinceEpoch()) / 1000.0);
    }
    if (r.latenceChargeUs() > 0) {
        e.metrique("bandepassante_measurement_round_trip_seconds", "gauge",
                   "TCP's round trip at rest and under load, from the end that sent.");
        e.valeur("bandepassante_measurement_round_trip_seconds", double(r.latenceReposUs()) / 1e6, "state=\"rest\"");
        e.valeur("bandepassante_measurement_round_trip_seconds", double(r.latenceChargeUs()) / 1e6, "state=\"load\"");
    }
    const Lien &lien = m.lien();
    e.metrique("bandepassante_link_info", "gauge", "The link the measurement runs or ran over.");
    e.valeur("bandepassante_link_info", 1,
             "interface=" + etiquette(lien.interface) + ",type=" + etiquette(lien.nomType()) +
                 ",kind=" + etiquette(lien.genre));
    if (const std::optional<int> signal = m.signalDbm()) {
        e.metrique("bandepassante_link_signal_dbm", "gauge", "The Wi-Fi signal, in dBm.");
        e.valeur("bandepassante_link_signal_dbm", *signal);
    }
    return e.texte();
}
