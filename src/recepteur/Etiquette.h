#pragma once

#include <QWidget>
#include <QStringList>
#include <QTextLayout>

#include <memory>
#include <vector>

// A label whose caption separates its lines by a lone carriage return, as
// the receiver's statistics do, shown one line per row from the top left; a
// row wider than the label is drawn condensed to its width.
// The statistics are set 33 times a second, mostly with one row changed to a
// text it has shown shortly before (a figure going back and forth): only the
// rows that changed are painted again, and the last texts laid out are kept
// so that showing one of them again costs no shaping.
class Etiquette : public QWidget
{
    Q_OBJECT

public:
    explicit Etiquette(const QString &caption, QWidget *parent = nullptr);

    // The caption exactly as given.
    const QString &Caption() const { return caption_; }
    // Shows `caption`; does nothing when it is the one already shown.
    void setCaption(const QString &caption);

    // The rows shown, top to bottom.
    QStringList Lignes() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    std::shared_ptr<QTextLayout> miseEnPage(const QString &ligne);
    QRect rangee(int i) const;

    QString caption_;
    // Each row laid out, its text with it.
    std::vector<std::shared_ptr<QTextLayout>> rangees_;
    // The texts laid out last, the most recent at the end.
    std::vector<std::shared_ptr<QTextLayout>> recentes_;
};
