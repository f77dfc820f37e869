#include "historique/FenetreHistorique.h"

#include "historique/DialoguesMesure.h"
#include "historique/ExportMesure.h"
#include "historique/GraphiqueHistorique.h"
#include "historique/ImageMesure.h"
#include "outils/Formatage.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

namespace {

// A cell shown as text and sorted by the value it was made from.
class Cellule : public QTableWidgetItem
{
public:
    Cellule(const QString &texte, const QVariant &cle)
        : QTableWidgetItem(texte)
    {
        setData(Qt::UserRole, cle);
        setFlags(flags() & ~Qt::ItemIsEditable);
    }

    bool operator<(const QTableWidgetItem &autre) const override
    {
        const QVariant a = data(Qt::UserRole);
        const QVariant b = autre.data(Qt::UserRole);
        if (a.typeId() == QMetaType::QString)
            return a.toString().localeAwareCompare(b.toString()) < 0;
        return a.toDouble() < b.toDouble();
    }
};

}

FenetreHistorique::FenetreHistorique(Historique *historique, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , historique_(historique)
{
    setWindowTitle(tr("Historique des mesures"));
    setObjectName(QStringLiteral("FenetreHistorique"));
    resize(720, 560);

    etat_ = new QLabel(this);
    etat_->setObjectName(QStringLiteral("etat"));
    etat_->setWordWrap(true);
    etat_->setTextFormat(Qt::PlainText);
    etat_->setStyleSheet(QStringLiteral("QLabel { color: #800000; font-weight: bold; }"));
    etat_->hide();

    table_ = new QTableWidget(0, NbColonnes, this);
    table_->setObjectName(QStringLiteral("table"));
    table_->setHorizontalHeaderLabels({
        //: Column heading
        tr("Date"),
        //: Column heading: where the measurement was made, as the person names it
        tr("Lieu"),
        //: Column heading: transmitter → receiver
        tr("De → à"),
        //: Column heading: the direction of the measurement
        tr("Sens"),
        //: Column heading
        tr("Durée"),
        //: Column heading: the mean rate
        tr("Moyenne"),
        //: Column heading: the highest rate of a second
        tr("Maximum"),
        //: Column heading
        tr("Latence"),
        //: Column heading: the network link (Wi-Fi, Ethernet…)
        tr("Lien"),
        //: Column heading: the Wi-Fi signal strength
        tr("Signal"),
    });
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::SelectedClicked);
    table_->verticalHeader()->hide();
    table_->setWordWrap(false);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(ColLieu, QHeaderView::Stretch);
    table_->setSortingEnabled(true);
    connect(table_, &QTableWidget::cellChanged, this, &FenetreHistorique::lieuModifie);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &FenetreHistorique::selectionChangee);

    supprimer_ = new QPushButton(tr("Supprimer…"), this);
    exporter_ = new QPushButton(tr("Exporter la sélection…"), this);
    enregistrer_ = new QPushButton(tr("Enregistrer la mesure…"), this);
    image_ = new QPushButton(tr("Enregistrer l'image…"), this);
    connect(supprimer_, &QPushButton::clicked, this, &FenetreHistorique::demandeSuppression);
    connect(exporter_, &QPushButton::clicked, this, &FenetreHistorique::demandeExport);
    connect(enregistrer_, &QPushButton::clicked, this, [this] {
        if (const auto m = mesureChoisie())
            DemandeEnregistrementMesure(this, *m);
    });
    connect(image_, &QPushButton::clicked, this, [this] {
        if (const auto m = mesureChoisie())
            DemandeEnregistrementImage(this, ImageMesure(*m), *m);
    });

    graphique_ = new GraphiqueHistorique(this);
    graphique_->setObjectName(QStringLiteral("graphique"));

    auto *boutons = new QHBoxLayout;
    for (QPushButton *b : {supprimer_, exporter_, enregistrer_, image_})
        boutons->addWidget(b);
    boutons->addStretch();
    auto *l = new QVBoxLayout(this);
    l->addWidget(etat_);
    l->addWidget(table_, 1);
    l->addLayout(boutons);
    l->addWidget(graphique_, 1);

    // Queued: a change may come from this table's own cell signal, whose
    // items the reading would replace under it.
    connect(historique_, &Historique::change, this, &FenetreHistorique::recharge, Qt::QueuedConnection);
    connect(historique_, &Historique::disponibiliteChangee, this, &FenetreHistorique::recharge, Qt::QueuedConnection);
    recharge();
}

QString FenetreHistorique::etat() const
{
    return etat_->text();
}

void FenetreHistorique::dit(const QString &message)
{
    etat_->setText(message);
    etat_->setVisible(!message.isEmpty());
}

// The selection is kept across the reading, so that a checkpoint of the
// measurement running does not undo what the person chose.
void FenetreHistorique::recharge()
{
    QSet<qint64> choisies;
    for (const Historique::Fiche &f : selection())
        choisies.insert(f.id);
    fiches_ = historique_->fiches();
    //: %1 why the history file cannot be used
    dit(historique_->disponible() ? QString()
                                  : tr("Historique indisponible : %1\nLa mesure continue ; "
                                       "les mesures seront enregistrées dès que possible.")
                                        .arg(historique_->raison()));
    remplit_ = true;
    const QSignalBlocker bloque(table_->selectionModel());
    table_->clearSelection();
    table_->setSortingEnabled(false);
    table_->setRowCount(int(fiches_.size()));
    for (int i = 0; i < fiches_.size(); ++i) {
        const Historique::Fiche &f = fiches_[i];
        const qint64 duree = f.debut.secsTo(f.fin);
        auto *date = new Cellule(f.debut.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))
                                     + (f.inachevee ? QStringLiteral(" *") : QString()),
                                 double(f.debut.toMSecsSinceEpoch()));
        date->setData(Qt::UserRole + 1, f.id);
        if (f.inachevee)
            date->setToolTip(tr("Mesure inachevée : enregistrée jusqu'à sa dernière minute"));
        table_->setItem(i, ColDate, date);
        auto *lieu = new QTableWidgetItem(f.lieu);
        lieu->setToolTip(f.lieu.left(500));
        table_->setItem(i, ColLieu, lieu);
        const QString extremites = Extremites(f.emetteur, f.recepteur);
        table_->setItem(i, ColExtremites, new Cellule(extremites, extremites));
        // Sorted by this column, the phases of a test stay together, in order.
        const int phase = QStringList{QStringLiteral("montant"), QStringLiteral("descendant"),
                                      QStringLiteral("simultane"), QStringLiteral("simultane-montant"),
                                      QStringLiteral("simultane-descendant")}
                              .indexOf(f.sens) +
                          1;
        auto *sens = new Cellule(SensLisible(f.sens, f.emetteur, f.recepteur), double(f.test) * 8 + phase);
        if (f.test != 0)
            //: %1 the date and time the full test began
            sens->setToolTip(tr("Test complet du %1")
                                 .arg(QDateTime::fromMSecsSinceEpoch(f.test).toString(QStringLiteral("dd/MM/yyyy HH:mm"))));
        table_->setItem(i, ColSens, sens);
        table_->setItem(i, ColDuree, new Cellule(QStringLiteral("%1 s").arg(duree), double(duree)));
        table_->setItem(i, ColMoyenne, new Cellule(FormateBits(f.moyenne) + QStringLiteral("/s"), f.moyenne));
        table_->setItem(i, ColMaximum,
                        new Cellule(FormateBits(double(f.maximum)) + QStringLiteral("/s"), double(f.maximum)));
        // Under load, with its grade; at rest in the tool tip.
        const ResumeMesure latence({}, 0, {}, {}, {{f.latenceChargeUs, 0, f.latenceReposUs, 0, 0}});
        //: %1 the latency under load, %2 its grade (A+ … F)
        auto *charge = new Cellule(f.latenceChargeUs > 0 ? tr("%1 (%2)").arg(FormateMs(f.latenceChargeUs),
                                                                             latence.noteLatence())
                                                         : tr("inconnue"),
                                   double(f.latenceChargeUs));
        //: %1 the latencies at rest and under load, with the grade
        charge->setToolTip(f.latenceChargeUs > 0 ? tr("Latence %1").arg(latence.texteLatence()) : QString());
        table_->setItem(i, ColLatence, charge);
        auto *lien = new Cellule(f.lien.left(40), f.lien);
        lien->setToolTip(f.lien);
        table_->setItem(i, ColLien, lien);
        table_->setItem(i, ColSignal, new Cellule(f.signalDbm ? QStringLiteral("%1 dBm").arg(*f.signalDbm) : QString(),
                                                  f.signalDbm ? double(*f.signalDbm) : -1000.0));
    }
    table_->setSortingEnabled(true);
    for (int i = 0; i < table_->rowCount(); ++i)
        if (choisies.contains(table_->item(i, ColDate)->data(Qt::UserRole + 1).toLongLong()))
            table_->selectionModel()->select(table_->model()->index(i, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    remplit_ = false;
    selectionChangee();
}

QVector<Historique::Fiche> FenetreHistorique::selection() const
{
    std::set<int> lignes;
    for (const QModelIndex &i : table_->selectionModel()->selectedRows())
        lignes.insert(i.row());
    QVector<Historique::Fiche> choisies;
    for (int ligne : lignes) {
        const qint64 id = table_->item(ligne, ColDate)->data(Qt::UserRole + 1).toLongLong();
        for (const Historique::Fiche &f : fiches_)
            if (f.id == id)
                choisies.push_back(f);
    }
    return choisies;
}

std::optional<Mesure> FenetreHistorique::mesureChoisie()
{
    const QVector<Historique::Fiche> choisies = selection();
    if (choisies.size() != 1)
        return std::nullopt;
    return historique_->charge(choisies.front().id);
}

void FenetreHistorique::selectionChangee()
{
    const QVector<Historique::Fiche> choisies = selection();
    supprimer_->setEnabled(!choisies.isEmpty());
    exporter_->setEnabled(!choisies.isEmpty());
    enregistrer_->setEnabled(choisies.size() == 1);
    image_->setEnabled(choisies.size() == 1);
    QVector<GraphiqueHistorique::Courbe> courbes;
    for (const Historique::Fiche &f : choisies) {
        const std::optional<Mesure> m = historique_->charge(f.id);
        if (!m)
            continue;
        // Which way and where, so that a test's lines read apart.
        const QString quand = f.debut.toString(QStringLiteral("dd/MM HH:mm"));
        const QString ou = f.lieu.isEmpty() ? QString() : QStringLiteral(" — ") + f.lieu.simplified();
        //: The chart's legend: %1 the direction, %2 " — " and the place if any, %3 "transmitter → receiver",
        //: %4 the date and time, %5 the mean rate
        courbes.push_back({tr("%1%2 (%3, %4) : %5/s")
                               .arg(SensLisible(*m), ou, Extremites(*m), quand, FormateBits(f.moyenne)),
                           m->secondes()});
    }
    graphique_->montre(courbes);
}

void FenetreHistorique::lieuModifie(int ligne, int colonne)
{
    if (remplit_ || colonne != ColLieu)
        return;
    const qint64 id = table_->item(ligne, ColDate)->data(Qt::UserRole + 1).toLongLong();
    if (!historique_->changeLieu(id, table_->item(ligne, ColLieu)->text())) {
        recharge();
        //: %1 why: "file busy", or why the history file cannot be used
        dit(tr("Le lieu n'a pas pu être enregistré (%1). Réessayez dans un instant.")
                .arg(historique_->disponible() ? tr("fichier occupé") : historique_->raison()));
    }
}

bool FenetreHistorique::supprimeSelection()
{
    QVector<qint64> ids;
    for (const Historique::Fiche &f : selection())
        ids.push_back(f.id);
    if (historique_->supprime(ids))
        return true;
    dit(tr("Les mesures n'ont pas pu être supprimées : le fichier est occupé ou indisponible."));
    return false;
}

void FenetreHistorique::demandeSuppression()
{
    const int n = int(selection().size());
    if (n == 0)
        return;
    //: %1 the number of measurements, 2 or more
    const QString question = n > 1 ? tr("Supprimer ces %1 mesures de l'historique ?").arg(n)
                                   : tr("Supprimer cette mesure de l'historique ?");
    if (QMessageBox::question(this, tr("Supprimer"), question) == QMessageBox::Yes)
        supprimeSelection();
}

void FenetreHistorique::demandeExport()
{
    const QString chemin = QFileDialog::getSaveFileName(
        this, tr("Exporter la sélection"),
        DossierPropose(QStandardPaths::DocumentsLocation) + QStringLiteral("/historique.csv"),
        tr("Tableau CSV (*.csv)"));
    if (chemin.isEmpty())
        return;
    RetientDossier(chemin);
    const QString erreur = EcritFichier(chemin, CsvFiches(selection()));
    if (!erreur.isEmpty())
        QMessageBox::warning(this, tr("Enregistrement impossible"), erreur);
}
