#pragma once

#include <QString>
#include <QVector>
#include <QWidget>

#include <vector>

// Stored measurements drawn over each other on one chart, one colour each,
// with a legend: the seconds since each one's start across, the bytes per
// second up, on a scale that holds them all.
class GraphiqueHistorique : public QWidget
{
    Q_OBJECT

public:
    struct Courbe
    {
        QString legende;
        std::vector<qint64> secondes;
    };

    explicit GraphiqueHistorique(QWidget *parent = nullptr);

    void montre(const QVector<Courbe> &courbes);
    const QVector<Courbe> &courbes() const { return courbes_; }
    static QColor Couleur(int i);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVector<Courbe> courbes_;
};
