#pragma once

#include "gauge/JogeModele.h"
#include "mesure/Mesure.h"

#include <QObject>
#include <QTimer>

#include <functional>

class Sortie;

// One measurement of the console, from a connection until it ends: totals
// the bytes per second, the seconds counted from the connection, prints each
// completed second and, at the end, the summary. The seconds are totalled as
// the gauge of the receiver window totals them, so that both show the same
// figures.
class ChroniqueMesure : public QObject
{
    Q_OBJECT

public:
    // How a measurement ended, as the summary names it.
    enum class Fin { Depart, Coupure, Duree, Interruption };

    // `role`: "recepteur" or "emetteur", the end that counts.
    ChroniqueMesure(Sortie &sortie, const QString &role);

    void commence(const QString &pair);
    // Bytes counted now, into the open second and the total.
    void ajoute(qint64 octets);
    // Called just before each second closes and before the end, for an end
    // that learns its bytes by asking (the transmitter asks its socket what
    // the system took): it adds them in time.
    void definitReleve(std::function<void()> releve) { releve_ = std::move(releve); }
    // Closes the measurement and prints its summary; the last, incomplete
    // second counts in the total and the mean only. Nothing when none runs.
    void termine(Fin fin);

    bool enCours() const { return mesure_.enCours(); }
    qint64 total() const { return mesure_.total(); }
    int secondes() const { return numero_; }
    QString pair() const { return pair_; }

signals:
    // A second has been completed and printed.
    void seconde(int numero);

private:
    void ferme();

    Sortie &sortie_;
    const QString role_;
    QString pair_;
    Mesure mesure_;
    JogeModele modele_;
    QTimer horloge_;
    int numero_ = 0;
    std::function<void()> releve_;
};
