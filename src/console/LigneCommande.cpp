#include "console/LigneCommande.h"

#include "console/Commande.h"
#include "console/Metriques.h"
#include "console/Sortie.h"
#include "protocole/Demande.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

struct SousCommande
{
    const char *nom;
    const char *alias;
    LigneCommande::Mode mode;
    // Options that apply to it, besides --json.
    QStringList options;
    int dureeParDefaut;
};

const SousCommande SousCommandes[] = {
    {"recevoir", "receive", LigneCommande::Mode::Recevoir,
     {QStringLiteral("port"), QStringLiteral("une-fois"), QStringLiteral("duree"), QStringLiteral("sans-retour"),
      QStringLiteral("sans-page"), QStringLiteral("metriques")},
     0},
    {"emettre", "send", LigneCommande::Mode::Emettre,
     {QStringLiteral("port"), QStringLiteral("duree"), QStringLiteral("attente"), QStringLiteral("retour")}, 10},
    {"serveurs", "list", LigneCommande::Mode::Serveurs, {QStringLiteral("duree")}, 3},
    {"test", "test", LigneCommande::Mode::Test,
     {QStringLiteral("port"), QStringLiteral("duree"), QStringLiteral("attente")}, 10},
};

// Seconds that a timer can count in milliseconds: more than three weeks.
constexpr int SecondesMax = 2000000;

// A whole number of seconds or a port: digits only, within [minimum, maximum].
bool entier(const QString &texte, int minimum, int maximum, int &valeur)
{
    bool ok = false;
    const int v = texte.toInt(&ok);
    if (!ok || v < minimum || v > maximum || texte.startsWith(QLatin1Char('+')))
        return false;
    valeur = v;
    return true;
}

}

QString LigneCommande::usage()
{
    //: The console's --help. Commands and options are typed as they are, in French or by their English alias.
    return tr(
        "Utilisation :\n"
        "  bandepassante-console recevoir [--port N] [--une-fois] [--duree S] [--sans-retour]\n"
        "                                 [--sans-page] [--metriques ADRESSE:PORT] [--json]\n"
        "  bandepassante-console emettre HOTE [--port N] [--duree S] [--attente S] [--retour]\n"
        "                                     [--json]\n"
        "  bandepassante-console test HOTE [--port N] [--duree S] [--attente S] [--json]\n"
        "  bandepassante-console serveurs [--duree S] [--json]\n"
        "\n"
        "Mesure le débit TCP d'un lien local sans écran, avec la fenêtre BandePassante\n"
        "ou une autre console à l'autre bout.\n"
        "\n"
        "Commandes (alias anglais entre parenthèses) :\n"
        "  recevoir (receive)    écoute le port TCP 4444, mesure un émetteur à la fois,\n"
        "                        sert la page de mesure http://ADRESSE:4444/ et\n"
        "                        s'annonce sur le réseau local\n"
        "  emettre (send) HOTE   se connecte au port TCP 4444 de HOTE et y envoie le flux\n"
        "                        de mesure\n"
        "  test HOTE             mesure vers HOTE (montant), depuis HOTE (descendant),\n"
        "                        puis dans les deux sens à la fois (simultané)\n"
        "  serveurs (list)       affiche les récepteurs qui s'annoncent sur le réseau local\n"
        "\n"
        "Options :\n"
        "  --json                une ligne JSON par seconde, par résumé, par récepteur\n"
        "  --port N              le port TCP à écouter ou à joindre (4444) ; l'annonce\n"
        "                        d'un récepteur ne dit pas son port : donnez-le aussi\n"
        "                        à l'émetteur\n"
        "  --duree S, --time S   recevoir : s'arrête après S s (jamais par défaut) ;\n"
        "                        emettre : envoie pendant S s (10) ; test : chaque\n"
        "                        phase dure S s (10, au plus 60) ; serveurs : écoute\n"
        "                        pendant S s (3) ; 0 : jusqu'à Ctrl-C\n"
        "  --une-fois, --once    recevoir : s'arrête quand le premier émetteur part\n"
        "  --retour, --reverse   emettre : HOTE envoie vers cette machine pendant S s\n"
        "                        (1 à 60) ; il faut un récepteur qui sait le faire\n"
        "  --sans-retour, --no-reverse\n"
        "                        recevoir : refuse d'envoyer vers qui le demande\n"
        "  --sans-page, --no-page\n"
        "                        recevoir : ne sert pas la page de mesure\n"
        "  --metriques ADRESSE:PORT, --metrics ADRESSE:PORT\n"
        "                        recevoir : sert GET /metrics (Prometheus) à cette\n"
        "                        adresse, par exemple 127.0.0.1:9444 ou :9444\n"
        "  --attente S, --wait S emettre : attend au plus S s que le récepteur accepte (10)\n"
        "  -h, --help            affiche cette aide\n"
        "  -v, --version         affiche la version\n"
        "\n"
        "Codes de sortie : 0 terminé ; 1 mesure impossible (récepteur injoignable ou qui\n"
        "refuse, port déjà pris, connexion coupée avant la mesure) ou sortie standard\n"
        "impossible à écrire ; 2 ligne de commande incorrecte.\n");
}

bool LigneCommande::refuse(const QString &pourquoi)
{
    Sortie::erreur(pourquoi);
    std::fputc('\n', stderr);
    std::fputs(usage().toUtf8().constData(), stderr);
    code_ = Commande::Usage;
    valide_ = false;
    return false;
}

LigneCommande::LigneCommande(const QStringList &arguments)
{
    QCommandLineParser analyseur;
    analyseur.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption aide({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption json(QStringLiteral("json"), QString());
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("N"));
    const QCommandLineOption duree({QStringLiteral("duree"), QStringLiteral("time")}, QString(), QStringLiteral("S"));
    const QCommandLineOption attente({QStringLiteral("attente"), QStringLiteral("wait")}, QString(),
                                     QStringLiteral("S"));
    const QCommandLineOption uneFois({QStringLiteral("une-fois"), QStringLiteral("once")}, QString());
    const QCommandLineOption retour({QStringLiteral("retour"), QStringLiteral("reverse")}, QString());
    const QCommandLineOption sansRetour({QStringLiteral("sans-retour"), QStringLiteral("no-reverse")}, QString());
    const QCommandLineOption sansPage({QStringLiteral("sans-page"), QStringLiteral("no-page")}, QString());
    const QCommandLineOption metriques({QStringLiteral("metriques"), QStringLiteral("metrics")}, QString(),
                                       QStringLiteral("ADRESSE:PORT"));
    analyseur.addOptions({aide, version, json, port, duree, attente, uneFois, retour, sansRetour, sansPage, metriques});

    if (!analyseur.parse(arguments)) {
        const QStringList inconnues = analyseur.unknownOptionNames();
        refuse(inconnues.isEmpty()
                   //: %1 Qt's own words
                   ? tr("option mal écrite (%1)").arg(analyseur.errorText())
                   : tr("option inconnue « %1%2 »")
                         .arg(inconnues.first().size() > 1 ? QStringLiteral("--") : QStringLiteral("-"),
                              inconnues.first()));
        return;
    }
    if (analyseur.isSet(aide)) {
        std::fputs(usage().toUtf8().constData(), stdout);
        return;
    }
    if (analyseur.isSet(version)) {
        std::printf("bandepassante-console %s\n", BANDEPASSANTE_VERSION);
        return;
    }

    const QStringList positions = analyseur.positionalArguments();
    if (positions.isEmpty()) {
        refuse(tr("il manque la commande : recevoir, emettre ou serveurs"));
        return;
    }
    const SousCommande *commande = nullptr;
    for (const SousCommande &c : SousCommandes) {
        if (positions[0] == QLatin1String(c.nom) || positions[0] == QLatin1String(c.alias))
            commande = &c;
    }
    if (!commande) {
        refuse(tr("commande inconnue « %1 »").arg(positions[0]));
        return;
    }
    reglages_.mode = commande->mode;
    const QString nom = QString::fromLatin1(commande->nom);

    const bool versHote = commande->mode == Mode::Emettre || commande->mode == Mode::Test;
    const int attendus = versHote ? 2 : 1;
    if (positions.size() < attendus) {
        refuse(tr("il manque HOTE, l'adresse ou le nom du récepteur à joindre"));
        return;
    }
    if (positions.size() > attendus) {
        refuse(tr("argument en trop « %1 »").arg(positions[attendus]));
        return;
    }
    if (versHote)
        reglages_.hote = positions[1];

    for (const QCommandLineOption *o : {&port, &duree, &attente, &uneFois, &retour, &sansRetour, &sansPage, &metriques}) {
        if (analyseur.isSet(*o) && !commande->options.contains(o->names().first())) {
            //: %1 the option's French name, %2 the command's
            refuse(tr("l'option --%1 ne s'applique pas à %2").arg(o->names().first(), nom));
            return;
        }
    }

    reglages_.json = analyseur.isSet(json);
    reglages_.uneFois = analyseur.isSet(uneFois);
    reglages_.retour = analyseur.isSet(retour);
    reglages_.sansRetour = analyseur.isSet(sansRetour);
    reglages_.sansPage = analyseur.isSet(sansPage);
    reglages_.metriques = analyseur.value(metriques);
    QHostAddress adresseMetriques;
    quint16 portMetriques = 0;
    if (analyseur.isSet(metriques) && !Metriques::LitAdresse(reglages_.metriques, adresseMetriques, portMetriques)) {
        refuse(tr("--metriques veut ADRESSE:PORT, :PORT ou [IPV6]:PORT, par exemple 127.0.0.1:9444, pas « %1 »")
                   .arg(reglages_.metriques));
        return;
    }
    reglages_.duree = commande->dureeParDefaut;
    if (analyseur.isSet(port) && !entier(analyseur.value(port), 1, 65535, reglages_.port)) {
        refuse(tr("--port veut un numéro de port, de 1 à 65535, pas « %1 »").arg(analyseur.value(port)));
        return;
    }
    // A request asks for what the receiver may give.
    const bool demande = reglages_.retour || commande->mode == Mode::Test;
    if (analyseur.isSet(duree) &&
        !(demande ? entier(analyseur.value(duree), Protocole::DemandeSecondesMin, Protocole::DemandeSecondesMax,
                           reglages_.duree)
                  : entier(analyseur.value(duree), 0, SecondesMax, reglages_.duree))) {
        refuse(demande
                   //: %3 "--retour" or "test"
                   ? tr("--duree veut un nombre entier de secondes de %1 à %2 avec %3, pas « %4 »")
                         .arg(Protocole::DemandeSecondesMin)
                         .arg(Protocole::DemandeSecondesMax)
                         .arg(reglages_.retour ? QStringLiteral("--retour") : QStringLiteral("test"),
                              analyseur.value(duree))
                   : tr("--duree veut un nombre entier de secondes, 0 ou plus, pas « %1 »").arg(analyseur.value(duree)));
        return;
    }
    if (analyseur.isSet(attente) && !entier(analyseur.value(attente), 1, SecondesMax, reglages_.attente)) {
        refuse(tr("--attente veut un nombre entier de secondes, 1 ou plus, pas « %1 »").arg(analyseur.value(attente)));
        return;
    }
    valide_ = true;
}
