#include "console/ChroniqueMesure.h"

#include "console/Sortie.h"

ChroniqueMesure::ChroniqueMesure(Sortie &sortie, const QString &role)
    : sortie_(sortie)
    , role_(role)
{
    connect(&chronique_, &Chronique::seconde, this, [this](int numero, qint64 octets) {
        const std::optional<VueTcp> &vue = chronique_.vueSeconde();
        sortie_.seconde({role_, pair_, QString(), QString()}, numero, octets, vue ? &*vue : nullptr,
                        &chronique_.mesure().lien());
        emit seconde(numero);
    });
}

void ChroniqueMesure::commence(const QString &pair, const QString &role)
{
    if (!role.isEmpty())
        role_ = role;
    pair_ = pair;
    const bool recepteur = role_ == QStringLiteral("recepteur");
    chronique_.commence(recepteur ? pair : QString(), recepteur ? QString() : pair);
}

void ChroniqueMesure::termine(Fin fin)
{
    if (!enCours())
        return;
    chronique_.termine();
    sortie_.resume({role_, pair_, QString(), QString()}, Session::motif(fin), chronique_.mesure().resume(),
                   chronique_.mesure().lien());
}

void ChroniqueMesure::decritLien(const QHostAddress &pair)
{
    chronique_.decritLien(pair);
    Sortie::lien(chronique_.mesure().lien());
}
