#include "historique/GraphiqueHistorique.h"

#include "outils/Formatage.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

GraphiqueHistorique::GraphiqueHistorique(QWidget *parent)
    : QWidget(parent)
{
    setMinimumSize(320, 180);
}

void GraphiqueHistorique::montre(const QVector<Courbe> &courbes)
{
    courbes_ = courbes;
    update();
}

QColor GraphiqueHistorique::Couleur(int i)
{
    static const QColor couleurs[] = {QColor(0, 255, 0),   QColor(255, 200, 0), QColor(0, 200, 255),
                                      QColor(255, 80, 80), QColor(220, 120, 255), QColor(255, 255, 255)};
    return couleurs[i % int(std::size(couleurs))];
}

void GraphiqueHistorique::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRectF zone = rect();
    p.fillRect(zone, Qt::black);
    p.setPen(QPen(QColor(0, 128, 0), 0));
    for (int x = 0; x <= width(); x += 24)
        p.drawLine(x, 0, x, height());
    for (int y = 0; y <= height(); y += 24)
        p.drawLine(0, y, width(), y);

    size_t longueur = 0;
    qint64 plusHaut = 0;
    for (const Courbe &c : courbes_) {
        longueur = std::max(longueur, c.secondes.size());
        for (qint64 s : c.secondes)
            plusHaut = std::max(plusHaut, s);
    }
    if (longueur < 2 || plusHaut <= 0)
        return;
    const double echelle = double(plusHaut) * 1.1;
    const double pas = double(width()) / double(longueur - 1);

    p.setRenderHint(QPainter::Antialiasing, true);
    for (int i = 0; i < courbes_.size(); ++i) {
        // A point per pixel at most: the mean of the seconds that share it.
        const std::vector<qint64> &s = courbes_[i].secondes;
        QPainterPath trace;
        size_t j = 0;
        while (j < s.size()) {
            const int x = int(double(j) * pas);
            double somme = 0;
            size_t n = 0;
            for (; j < s.size() && int(double(j) * pas) == x; ++j, ++n)
                somme += double(s[j]);
            const QPointF point(x, height() - double(height()) * (somme / double(n)) / echelle);
            if (trace.elementCount() == 0)
                trace.moveTo(point);
            else
                trace.lineTo(point);
        }
        p.setPen(QPen(Couleur(i), 1.5));
        p.drawPath(trace);
    }
    p.setRenderHint(QPainter::Antialiasing, false);

    // The full scale, top right; the legend, top left.
    const QFontMetrics fm = p.fontMetrics();
    p.setPen(Qt::white);
    const QString pleine = FormateBits(echelle) + QStringLiteral("/s");
    p.drawText(width() - fm.horizontalAdvance(pleine) - 4, fm.ascent() + 2, pleine);
    const QString duree = QStringLiteral("%1 s").arg(longueur);
    p.drawText(width() - fm.horizontalAdvance(duree) - 4, height() - fm.descent() - 2, duree);
    int y = 4;
    for (int i = 0; i < courbes_.size(); ++i) {
        const QString texte = fm.elidedText(courbes_[i].legende, Qt::ElideRight, width() / 2);
        p.fillRect(QRect(4, y, fm.horizontalAdvance(texte) + 24, fm.height()), QColor(0, 0, 0, 200));
        p.fillRect(QRect(6, y + fm.height() / 2 - 2, 14, 4), Couleur(i));
        p.setPen(Couleur(i));
        p.drawText(24, y + fm.ascent(), texte);
        y += fm.height();
    }
}
