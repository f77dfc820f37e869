#pragma once

#include "mesure/Mesure.h"
#include "session/Acquittement.h"
#include "session/Chronique.h"
#include "session/Session.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class QWebSocket;

// One browser's measurement, over the WebSocket its page opened on /ws: the
// phases it asks, "descendant" (this receiver sends), "montant" (the page
// sends) or "simultane", named from the browser's side as the page names
// them, each counted here second by second, told back to the page as it
// goes and summarised at its end (the wire is in the README). What the page
// sends is counted as it arrives; what this receiver sends, by what the
// browser's system acknowledged (TCP_INFO), less the WebSocket's framing.
//
// Bounded: messages of at most MessageMax bytes, a phase of 1 to 60 s, a
// page that does not end its phase within AttenteFinMs of its end, or lets
// nothing move either way for SilenceMaxMs, is cut; the connection is then
// closed.
class MesurePage : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 MessageMax = 1024 * 1024 + 1024;
    static constexpr qint64 TexteMax = 1024;
    static constexpr int AttenteFinMs = 10000;
    static constexpr int SilenceMaxMs = 30000;

    // `fd` is the connection's descriptor, for TCP's counts; `appareil`
    // names the browser and its system in a few harmless words.
    MesurePage(std::unique_ptr<QWebSocket> socket, int fd, const QString &appareil, QObject *parent = nullptr);
    ~MesurePage() override;

    // Why a phase of `sens` cannot start now (someone else measures, the
    // receiver refuses to send): the answer for the page, or nothing.
    void definitRefus(std::function<QJsonObject(const QString &sens)> refus) { refus_ = std::move(refus); }

    QString pair() const { return pair_; }
    // This receiver's address on the connection.
    QString local() const { return local_; }
    QString appareil() const { return appareil_; }
    QString lieu() const { return lieu_; }
    // The run's identifier, the start of its first phase in ms since the
    // epoch; 0 before.
    qint64 test() const { return test_; }
    // The phase running ("descendant", "montant", "simultane"), or none.
    QString sens() const { return sens_; }
    // What this receiver received of the page, and what the browser
    // acknowledged of what it sent, in the phase running or the last.
    const Chronique &recue() const { return recue_; }
    const Chronique &envoyee() const { return envoyee_; }
    // Every direction of every phase ended, as the history keeps it, named
    // from this receiver's side ("montant" when it sent), with the test, the
    // place and the browser.
    const std::vector<Mesure> &mesures() const { return mesures_; }

signals:
    void phaseCommencee(const QString &sens);
    // Bytes just counted, for a chart.
    void recu(qint64 octets);
    void envoye(qint64 octets);
    void seconde(bool recue, int numero, qint64 octets);
    void phaseTerminee(const QString &sens, Session::Fin fin);
    // The connection has ended.
    void fermee();

private:
    void texte(const QString &message);
    void commence(const QString &sens, int duree, const QString &test, const QString &lieu);
    void remplit();
    void finEnvoi();
    void finit(Session::Fin fin);
    void ferme();
    void envoieTexte(const QJsonObject &message);
    qint64 acquittes() const;
    void veille();

    std::unique_ptr<QWebSocket> ws_;
    const int fd_;
    const QString pair_;
    const QString local_;
    const QString appareil_;
    std::function<QJsonObject(const QString &)> refus_;
    QString sens_;
    QString lieu_;
    QString testPage_;
    qint64 test_ = 0;
    const QByteArray bloc_;
    bool envoie_ = false;
    bool recoit_ = false;
    Chronique recue_;
    Chronique envoyee_;
    Acquittement acquittement_;
    qint64 recuPhase_ = 0;
    // What went on the wire, and how much of it was the page's data, since
    // the connection: the acknowledged bytes less the framing.
    qint64 filaire_ = 0;
    qint64 utile_ = 0;
    QTimer duree_;
    QTimer attenteFin_;
    QTimer compte_;
    QTimer veille_;
    qint64 silenceMs_ = 0;
    // Bytes that came, and came or were acknowledged at the last look.
    qint64 mouvement_ = 0;
    qint64 dernierMouvement_ = 0;
    std::vector<Mesure> mesures_;
};
