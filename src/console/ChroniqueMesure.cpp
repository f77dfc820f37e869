#include "console/ChroniqueMesure.h"

#include "console/Sortie.h"
#include "support/Arrondi.h"

ChroniqueMesure::ChroniqueMesure(Sortie &sortie, const QString &role)
    : sortie_(sortie)
    , role_(role)
{
    // A precise repeating timer keeps its phase: the k-th second closes k
    // seconds after the connection, however late an earlier one was served.
    horloge_.setTimerType(Qt::PreciseTimer);
    horloge_.setInterval(1000);
    connect(&horloge_, &QTimer::timeout, this, &ChroniqueMesure::ferme);
}

void ChroniqueMesure::commence(const QString &pair)
{
    pair_ = pair;
    numero_ = 0;
    modele_ = JogeModele();
    const QDateTime debut = QDateTime::currentDateTimeUtc();
    mesure_ = role_ == QStringLiteral("recepteur") ? Mesure(pair, QString(), debut) : Mesure(QString(), pair, debut);
    horloge_.start();
}

void ChroniqueMesure::ajoute(qint64 octets)
{
    if (!enCours() || octets <= 0)
        return;
    modele_.AjouteEchantillon(double(octets));
    mesure_.ajouteOctets(octets);
}

void ChroniqueMesure::ferme()
{
    if (releve_)
        releve_();
    qint64 octets = 0;
    modele_.Tick([&octets](double &valeur) { octets = ArrondiPair64(valeur); });
    mesure_.ajouteSeconde(octets);
    ++numero_;
    sortie_.seconde(role_, pair_, numero_, octets);
    emit seconde(numero_);
}

void ChroniqueMesure::termine(Fin fin)
{
    if (!enCours())
        return;
    if (releve_)
        releve_();
    horloge_.stop();
    mesure_.termine(QDateTime::currentDateTimeUtc());
    static const char *const motifs[] = {"depart", "coupure", "duree", "interruption"};
    sortie_.resume(role_, pair_, QString::fromLatin1(motifs[int(fin)]), mesure_.resume());
}
