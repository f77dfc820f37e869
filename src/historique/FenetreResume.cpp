#include "historique/FenetreResume.h"

#include "historique/ExportMesure.h"
#include "historique/SuiviMesure.h"

#include <QLabel>
#include <QVBoxLayout>

FenetreResume::FenetreResume(const SuiviMesure *suivi, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , suivi_(suivi)
{
    setWindowTitle(QStringLiteral("Résumé de la mesure"));
    setObjectName(QStringLiteral("FenetreResume"));
    texte_ = new QLabel(this);
    texte_->setTextFormat(Qt::PlainText);
    texte_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    test_ = new QLabel(this);
    test_->setObjectName(QStringLiteral("test"));
    test_->setTextFormat(Qt::RichText);
    auto *l = new QVBoxLayout(this);
    // Grows with its text (the latency and the test come later).
    l->setSizeConstraint(QLayout::SetMinimumSize);
    l->addWidget(test_);
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
    texte_->setText(TexteResume(suivi_->mesure()));
    const QString test = TableauTest(suivi_->testCourant());
    test_->setText(test);
    test_->setVisible(!test.isEmpty());
}
