#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>

class FenetreHistorique;
class FenetreResume;
class FenetreTelephone;
class Historique;
class Joge;
class QMenu;
class QWidget;
class SuiviMesure;

// The receiver window's measurement menu, opened by a right click or the
// Menu key on the chart and on the statistics label, and the chart's
// tooltip. It adds nothing to the window's layout.
class MenuMesure : public QObject
{
    Q_OBJECT

public:
    // `fenetre` is the receiver window; `cibles` the widgets that open the
    // menu (the chart and the statistics label).
    MenuMesure(QWidget *fenetre, Joge *jauge, const QList<QWidget *> &cibles, SuiviMesure *suivi,
               Historique *historique);

    // A new menu, for the state of the moment.
    QMenu *creeMenu(QWidget *parent);
    // The tooltip for the chart's pixel column x: the sample drawn there in
    // both units and how long ago, from now, it was closed; empty where none
    // is drawn.
    QString infobulle(int x) const;
    // The picture of the measurement (see ImageMesure).
    QImage image() const;
    void remetEchelle();
    FenetreResume *montreResume();
    FenetreHistorique *montreHistorique();
    // The page's address and its code to scan from a phone.
    FenetreTelephone *montreTelephone();

protected:
    bool eventFilter(QObject *objet, QEvent *evenement) override;

private:
    QWidget *fenetre_;
    Joge *jauge_;
    QList<QWidget *> cibles_;
    SuiviMesure *suivi_;
    Historique *historique_;
    QPointer<FenetreResume> resume_;
    QPointer<FenetreHistorique> historiqueFenetre_;
    QPointer<FenetreTelephone> telephone_;
};
