#pragma once

#include <QImage>
#include <QWidget>

class QComboBox;
class QLabel;

// "Mesurer depuis un téléphone": a small window, not modal, of a fixed size,
// with the address of the measuring page, http://A:PORT/, and its QR code to
// scan, for each IPv4 address of this machine's interfaces that are up, other
// than loopback; the default route's first, a chooser when there are several.
// Without any, it shows 127.0.0.1 and says that no phone can reach the page.
// The code is black on white, quiet zone included, with a whole number of
// device pixels (at least 4) per module, so that it stays crisp.
class FenetreTelephone : public QWidget
{
    Q_OBJECT

public:
    explicit FenetreTelephone(quint16 port = 4444, QWidget *parent = nullptr);

    // The page's address shown, and its code as drawn.
    QString adresse() const;
    QImage image() const;

private:
    void montre(int indice);

    QComboBox *choix_;
    QLabel *adresse_;
    QLabel *code_;
    QImage image_;
};
