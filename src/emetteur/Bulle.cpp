#include "emetteur/Bulle.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QToolTip>
#include <QWidget>

namespace {

// The one balloon on show, and the control it speaks of.
QPointer<QLabel> bulle;
QPointer<QWidget> sonControle;

}

void Bulle::Montre(QWidget *controle, const QString &texte)
{
    QString lignes = texte;
    // French sets a space before the colon, English does not.
    const qsizetype francais = lignes.indexOf(QLatin1String(" : "));
    const qsizetype espace = francais >= 0 ? francais + 2 : lignes.indexOf(QLatin1String(": ")) + 1;
    if (espace > 0)
        lignes.replace(espace, 1, QLatin1Char('\n'));
    controle->setToolTip(lignes);
    // Owned by the control's window: it goes with it.
    if (!bulle || bulle->parentWidget() != controle->window()) {
        delete bulle;
        bulle = new QLabel(controle->window(), Qt::ToolTip | Qt::BypassGraphicsProxyWidget);
        bulle->setObjectName(QStringLiteral("Bulle"));
        bulle->setTextFormat(Qt::PlainText);
        bulle->setForegroundRole(QPalette::ToolTipText);
        bulle->setBackgroundRole(QPalette::ToolTipBase);
        bulle->setPalette(QToolTip::palette());
        bulle->setFont(QToolTip::font());
        bulle->setFrameStyle(QFrame::Box | QFrame::Plain);
        bulle->setMargin(3);
        bulle->setAutoFillBackground(true);
    }
    sonControle = controle;
    bulle->setText(lignes);
    bulle->adjustSize();
    bulle->move(controle->mapToGlobal(QPoint(0, controle->height())));
    bulle->show();
    QLabel *montree = bulle;
    QTimer::singleShot(DureeMs, montree, [montree, lignes] {
        if (montree->text() == lignes)
            montree->hide();
    });
}

void Bulle::Retire(QWidget *controle)
{
    if (bulle && sonControle == controle)
        bulle->hide();
    controle->setToolTip(QString());
}

QString Bulle::Texte()
{
    return bulle && bulle->isVisible() ? bulle->text() : QString();
}
