#pragma once

#include <QLabel>

// A label whose caption separates its lines by a lone carriage return, as
// the receiver's statistics do. QLabel breaks lines only on a line feed (it
// shows a lone carriage return as a space), so the caption is kept exactly
// as given and shown with each carriage return as a line break.
class Etiquette : public QLabel
{
public:
    explicit Etiquette(const QString &caption, QWidget *parent = nullptr);

    const QString &Caption() const { return caption_; }
    // Shows `caption`; does nothing when it is the one already shown.
    void setCaption(const QString &caption);

private:
    QString caption_;
};
