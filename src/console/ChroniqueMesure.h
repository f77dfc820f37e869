#pragma once

#include "session/Chronique.h"
#include "session/Session.h"

#include <QObject>

class Sortie;

// One measurement of the console, from a connection until it ends: counted
// second by second by its Chronique, each completed second printed and, at
// the end, the summary.
class ChroniqueMesure : public QObject
{
    Q_OBJECT

public:
    using Fin = Session::Fin;

    // `role`: "recepteur" or "emetteur", the end that counts.
    ChroniqueMesure(Sortie &sortie, const QString &role);

    // Starts a measurement, or starts it again, counting as `role` when one
    // is given (a receiver asked for the blocks back counts what it sends).
    void commence(const QString &pair, const QString &role = QString());
    // Bytes counted now, into the open second and the total.
    void ajoute(qint64 octets) { chronique_.ajoute(octets); }
    void definitReleve(std::function<void()> releve) { chronique_.definitReleve(std::move(releve)); }
    void definitVueTcp(std::function<std::optional<VueTcp>()> vue) { chronique_.definitVueTcp(std::move(vue)); }
    // Describes the link to the far end and says it on standard error.
    void decritLien(const QHostAddress &pair);
    // Closes the measurement and prints its summary. Nothing when none runs.
    void termine(Fin fin);

    bool enCours() const { return chronique_.enCours(); }
    qint64 total() const { return chronique_.mesure().total(); }
    int secondes() const { return chronique_.secondes(); }
    QString pair() const { return pair_; }
    QString role() const { return role_; }
    const Mesure &mesure() const { return chronique_.mesure(); }

signals:
    // A second has been completed and printed.
    void seconde(int numero);

private:
    Sortie &sortie_;
    QString role_;
    QString pair_;
    Chronique chronique_;
};
