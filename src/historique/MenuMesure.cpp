#include "historique/MenuMesure.h"

#include "jauge/Joge.h"
#include "historique/DialoguesMesure.h"
#include "historique/ExportMesure.h"
#include "historique/FenetreHistorique.h"
#include "historique/FenetreResume.h"
#include "historique/ImageMesure.h"
#include "historique/SuiviMesure.h"
#include "outils/Formatage.h"
#include "protocole/Protocole.h"
#include "recepteur/FenetreTelephone.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QToolTip>

#include <cmath>

MenuMesure::MenuMesure(QWidget *fenetre, Joge *jauge, const QList<QWidget *> &cibles, SuiviMesure *suivi,
                       Historique *historique)
    : QObject(fenetre)
    , fenetre_(fenetre)
    , jauge_(jauge)
    , cibles_(cibles)
    , suivi_(suivi)
    , historique_(historique)
{
    for (QWidget *c : cibles_)
        c->installEventFilter(this);
    // The Menu key goes to the widget with the focus (the button) and, unused
    // there, on to the window.
    fenetre_->installEventFilter(this);
}

QMenu *MenuMesure::creeMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("MenuMesure"));
    const bool mesure = suivi_->mesure().existe();
    QAction *a = menu->addAction(tr("Résumé de la mesure…"), this, &MenuMesure::montreResume);
    a->setEnabled(mesure);
    a = menu->addAction(tr("Copier le résumé"), this,
                        [this] { QGuiApplication::clipboard()->setText(TexteResume(suivi_->mesure())); });
    a->setEnabled(mesure);
    a = menu->addAction(tr("Enregistrer la mesure…"), this,
                        [this] { DemandeEnregistrementMesure(fenetre_, suivi_->mesure()); });
    a->setEnabled(mesure);
    a = menu->addAction(tr("Enregistrer l'image…"), this,
                        [this] { DemandeEnregistrementImage(fenetre_, image(), suivi_->mesure()); });
    a->setEnabled(mesure);
    menu->addSeparator();
    //: The chart's scale
    menu->addAction(tr("Remettre l'échelle à zéro"), this, &MenuMesure::remetEchelle);
    menu->addSeparator();
    menu->addAction(tr("Historique…"), this, &MenuMesure::montreHistorique);
    menu->addAction(tr("Mesurer depuis un téléphone…"), this, &MenuMesure::montreTelephone);
    return menu;
}

QString MenuMesure::infobulle(int x) const
{
    // Closed sample k is drawn at x = W - 2 (k - 1): the nearest one.
    const int k = int(std::lround(double(jauge_->width() - x) / JogeModele::PasEchantillon)) + 1;
    const std::vector<double> &e = jauge_->modele().Echantillons();
    if (k < 1 || k >= int(e.size()) || x < 0 || x > jauge_->width())
        return QString();
    const double v = e[size_t(k)];
    // Sample k began k periods before the newest closed, a moment ago or,
    // when the gauge has stopped since, long ago.
    const qint64 ageMs = std::max<qint64>(0, jauge_->depuisDernierEchantillonMs()) + qint64(k) * jauge_->periode();
    //: The chart's tooltip: the rate of one second in bits and in bytes, and %3 how many seconds ago
    return tr("%1/s (%2/s)\nil y a %3 s").arg(FormateBits(v), FormateOctets(v), QString::number(ageMs / 1000));
}

QImage MenuMesure::image() const
{
    return ImageMesure(suivi_->mesure());
}

// The scale starts again from 100 bytes, the gauge's initial one: the next
// second above it sets it.
void MenuMesure::remetEchelle()
{
    jauge_->setMaximum(JogeModele().maximum);
    jauge_->redraw();
}

FenetreResume *MenuMesure::montreResume()
{
    if (!resume_)
        resume_ = new FenetreResume(suivi_, fenetre_);
    resume_->show();
    resume_->raise();
    return resume_;
}

FenetreTelephone *MenuMesure::montreTelephone()
{
    // Made anew: the machine's addresses may have changed since.
    delete telephone_;
    telephone_ = new FenetreTelephone(quint16(Protocole::Port), fenetre_);
    telephone_->setAttribute(Qt::WA_DeleteOnClose);
    telephone_->show();
    telephone_->raise();
    return telephone_;
}

FenetreHistorique *MenuMesure::montreHistorique()
{
    if (!historiqueFenetre_)
        historiqueFenetre_ = new FenetreHistorique(historique_, fenetre_);
    historiqueFenetre_->recharge();
    historiqueFenetre_->show();
    historiqueFenetre_->raise();
    return historiqueFenetre_;
}

bool MenuMesure::eventFilter(QObject *objet, QEvent *evenement)
{
    if (evenement->type() == QEvent::ContextMenu) {
        auto *e = static_cast<QContextMenuEvent *>(evenement);
        auto *widget = static_cast<QWidget *>(objet);
        const bool cible = cibles_.contains(widget);
        if (!cible && e->reason() != QContextMenuEvent::Keyboard)
            return false;
        const QPoint ou = cible && e->reason() == QContextMenuEvent::Mouse ? e->globalPos()
                                                                            : jauge_->mapToGlobal(jauge_->rect().center());
        QMenu *menu = creeMenu(fenetre_);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(ou);
        return true;
    }
    if (evenement->type() == QEvent::ToolTip && objet == jauge_) {
        auto *e = static_cast<QHelpEvent *>(evenement);
        const QString texte = infobulle(e->pos().x());
        if (texte.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(e->globalPos(), texte, jauge_);
        return true;
    }
    return false;
}
