#include "recepteur/Etiquette.h"

#include <QEvent>
#include <QPainter>
#include <QPaintEvent>

#include <algorithm>

namespace {

// Enough for every row's recent values: a figure that goes back and forth
// takes a few dozen texts.
constexpr size_t Recentes = 64;

}

Etiquette::Etiquette(const QString &caption, QWidget *parent)
    : QWidget(parent)
{
    setCaption(caption);
}

void Etiquette::setCaption(const QString &caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    QString texte = caption;
    texte.replace(QLatin1String("\r\n"), QLatin1String("\r"));
    const QStringList lignes = texte.split(QLatin1Char('\r'));
    const int avant = int(rangees_.size());
    for (int i = int(lignes.size()); i < avant; ++i)
        update(rangee(i));
    rangees_.resize(size_t(lignes.size()));
    for (int i = 0; i < int(lignes.size()); ++i) {
        if (i < avant && rangees_[size_t(i)]->text() == lignes[i])
            continue;
        rangees_[size_t(i)] = miseEnPage(lignes[i]);
        update(rangee(i));
    }
    // Screen readers read it as they would a label's text.
    setAccessibleName(lignes.join(QLatin1Char('\n')));
}

QStringList Etiquette::Lignes() const
{
    QStringList lignes;
    for (const std::shared_ptr<QTextLayout> &r : rangees_)
        lignes << r->text();
    return lignes;
}

// The text laid out in one row: taken from the recent ones when it is there,
// shaped otherwise. Painting it draws the glyphs kept.
std::shared_ptr<QTextLayout> Etiquette::miseEnPage(const QString &ligne)
{
    auto connue = std::find_if(recentes_.begin(), recentes_.end(),
                               [&](const std::shared_ptr<QTextLayout> &r) { return r->text() == ligne; });
    std::shared_ptr<QTextLayout> rangee;
    if (connue != recentes_.end()) {
        rangee = *connue;
        recentes_.erase(connue);
    } else {
        rangee = std::make_shared<QTextLayout>(ligne, font());
        rangee->setCacheEnabled(true);
        rangee->beginLayout();
        rangee->createLine();
        rangee->endLayout();
        if (recentes_.size() == Recentes)
            recentes_.erase(recentes_.begin());
    }
    recentes_.push_back(rangee);
    return rangee;
}

QRect Etiquette::rangee(int i) const
{
    const QRect zone = contentsRect();
    const int hauteur = fontMetrics().lineSpacing();
    return QRect(zone.left(), zone.top() + i * hauteur, zone.width(), hauteur);
}

void Etiquette::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.setPen(palette().color(foregroundRole()));
    p.setClipRect(contentsRect());
    for (int i = 0; i < int(rangees_.size()); ++i) {
        const QRect r = rangee(i);
        if (!event->region().intersects(r))
            continue;
        const QTextLayout &texte = *rangees_[size_t(i)];
        const qreal largeur = texte.lineAt(0).naturalTextWidth();
        if (largeur <= r.width()) {
            texte.draw(&p, r.topLeft());
            continue;
        }
        // A row wider than the label (the widest figures while this machine
        // sends, a longer translation) is drawn condensed, never cut.
        p.save();
        p.translate(r.topLeft());
        p.scale(r.width() / largeur, 1.0);
        texte.draw(&p, QPointF(0, 0));
        p.restore();
    }
}

void Etiquette::changeEvent(QEvent *event)
{
    // Texts laid out in the former font would be drawn with its glyphs.
    if (event->type() == QEvent::FontChange) {
        recentes_.clear();
        for (std::shared_ptr<QTextLayout> &r : rangees_)
            r = miseEnPage(r->text());
        update();
    }
    QWidget::changeEvent(event);
}
