#pragma once

#include "jauge/JogeModele.h"
#include "mesure/Mesure.h"

#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

// The one definition of a second of a measurement, for the windows and the
// console alike. From the connection on, a precise clock closes a second
// every 1000 ms: the k-th closes k seconds after the connection, however
// late an earlier one was served. The bytes counted go into the open second
// and into the measurement's total; the last, incomplete second counts in
// the total and the mean only. The seconds are totalled as the gauge of the
// receiver window totals its samples, so that both show the same figures.
class Chronique : public QObject
{
    Q_OBJECT

public:
    explicit Chronique(QObject *parent = nullptr);

    // Starts a measurement, ending any still open, between the two addresses
    // (one of them may be empty when this end is the other).
    void commence(const QString &emetteur, const QString &recepteur);
    // Bytes counted now, into the open second and the total.
    void ajoute(qint64 octets);
    // Called just before each second closes and before the end, for an end
    // that learns its bytes by asking (a sender asks its socket what the far
    // end acknowledged): it adds them in time.
    void definitReleve(std::function<void()> releve) { releve_ = std::move(releve); }
    // For the sending end: TCP's view of its socket, read as each second
    // closes and kept with it, the retransmissions of that second only.
    // Nothing read when `vue` is empty or gives nothing.
    void definitVueTcp(std::function<std::optional<VueTcp>()> vue) { vueTcp_ = std::move(vue); }
    // Describes the link to `pair`, the far end, for the measurement that
    // has just begun; for Wi-Fi, its signal and bit rates are read again as
    // each second closes.
    void decritLien(const QHostAddress &pair);
    // TCP's view of every second as the far end, which sent, reported it.
    void definitTcp(const std::vector<VueTcp> &vues) { mesure_.definitTcp(vues); }
    // No more complete seconds: what is counted from now on goes into the
    // last, incomplete one, until termine().
    void finSecondes();
    // Closes the measurement. Nothing when none runs.
    void termine();
    // The direction and the test of the measurement running (see Mesure).
    void definitTest(const QString &sens, qint64 test) { mesure_.definitTest(sens, test); }

    bool enCours() const { return mesure_.enCours(); }
    const Mesure &mesure() const { return mesure_; }
    // Complete seconds so far.
    int secondes() const { return numero_; }
    // TCP's view of the second just completed, when this end read one.
    const std::optional<VueTcp> &vueSeconde() const { return vueSeconde_; }

signals:
    // The `numero`-th second since the connection has been completed.
    void seconde(int numero, qint64 octets);

private:
    void ferme();

    Mesure mesure_;
    JogeModele modele_;
    QTimer horloge_;
    int numero_ = 0;
    std::function<void()> releve_;
    std::function<std::optional<VueTcp>()> vueTcp_;
    qint64 retransmissions_ = 0;
    std::optional<VueTcp> vueSeconde_;
};
