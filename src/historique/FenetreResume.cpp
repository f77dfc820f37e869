#include "historique/FenetreResume.h"

#include "historique/ExportMesure.h"
#include "historique/SuiviMesure.h"

#include <QLabel>
#include <QVBoxLayout>

FenetreResume::FenetreResume(const SuiviMesure *suivi, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , suivi_(suivi)
{
    setWindowTitle(tr("Résumé de la mesure"));
    setObjectName(QStringLiteral("FenetreResume"));
    texte_ = new QLabel(this);
    texte_->setTextFormat(Qt::PlainText);
    texte_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    test_ = new QLabel(this);
    test_->setObjectName(QStringLiteral("test"));
    test_->setTextFormat(Qt::RichText);
    titre_ = new QLabel(this);
    titre_->setObjectName(QStringLiteral("titre"));
    titre_->setTextFormat(Qt::PlainText);
    QFont gras = titre_->font();
    gras.setBold(true);
    titre_->setFont(gras);
    auto *l = new QVBoxLayout(this);
    // Grows with its text (the latency and the test come later).
    l->setSizeConstraint(QLayout::SetMinimumSize);
    l->addWidget(test_);
    l->addWidget(titre_);
    l->addWidget(texte_);
    connect(suivi_, &SuiviMesure::change, this, &FenetreResume::actualise);
    actualise();
}

QString FenetreResume::texte() const
{
    return texte_->text();
}

void FenetreResume::actualise()
{
    const Mesure &m = suivi_->mesure();
    texte_->setText(TexteResume(m));
    const QString test = TableauTest(suivi_->testCourant());
    test_->setText(test);
    test_->setVisible(!test.isEmpty());
    //: Heading of the measurement detailed below a full test's table: %1 its direction, %2 "transmitter → receiver"
    titre_->setText(tr("Détail : %1, %2").arg(SensLisible(m), Extremites(m)));
    titre_->setVisible(!test.isEmpty());
}
