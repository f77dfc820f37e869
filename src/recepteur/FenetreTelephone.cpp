#include "recepteur/FenetreTelephone.h"

#include "page/CodeQr.h"
#include "protocole/AdresseLocale.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QNetworkInterface>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The code's side on the screen, quiet zone included, in logical pixels: a
// phone reads it from a laptop's screen at arm's length.
constexpr int kCote = 232;
constexpr int kPixelsMin = 4;
// The sentences wrap a little wider than the code, rather than widening
// the window.
constexpr int kLargeurPhrases = 256;

struct Adresse
{
    QString ip;
    QString interface;
};

QList<Adresse> AdressesJoignables()
{
    QList<Adresse> adresses;
    for (const QNetworkInterface &i : QNetworkInterface::allInterfaces()) {
        if (!(i.flags() & QNetworkInterface::IsUp) || (i.flags() & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &e : i.addressEntries()) {
            if (e.ip().protocol() == QHostAddress::IPv4Protocol)
                adresses.append({e.ip().toString(), i.humanReadableName()});
        }
    }
    // The default route's address is the one on the LAN most often, rather
    // than a container bridge's or a VPN's.
    const QString parDefaut = AdresseLocale::DeLaMachine();
    std::stable_partition(adresses.begin(), adresses.end(), [&](const Adresse &a) { return a.ip == parDefaut; });
    return adresses;
}

QImage Dessine(const CodeQr &code, qreal ratio)
{
    const int cote = code.largeur + 2 * CodeQr::ZoneCalme;
    const int pixels = std::max(kPixelsMin, static_cast<int>(kCote * ratio) / cote);
    QImage image(cote * pixels, cote * pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    for (int y = 0; y < cote; ++y) {
        for (int x = 0; x < cote; ++x) {
            if (code.sombre(x - CodeQr::ZoneCalme, y - CodeQr::ZoneCalme))
                p.fillRect(x * pixels, y * pixels, pixels, pixels, Qt::black);
        }
    }
    p.end();
    image.setDevicePixelRatio(ratio);
    return image;
}

}

FenetreTelephone::FenetreTelephone(quint16 port, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(tr("Mesurer depuis un téléphone"));
    setObjectName(QStringLiteral("FenetreTelephone"));

    //: « Mesurer » is the measuring page's button
    auto *consigne = new QLabel(tr("Scannez ce code avec l'appareil photo du téléphone, relié au même "
                                   "réseau que cette machine, puis touchez « Mesurer »."),
                                this);
    consigne->setWordWrap(true);
    auto *absence = new QLabel(tr("Cette machine n'a aucune adresse réseau qu'un téléphone puisse "
                                  "joindre : reliez-la au réseau, puis rouvrez cette fenêtre."),
                               this);
    absence->setWordWrap(true);
    choix_ = new QComboBox(this);
    auto *reseau = new QLabel(tr("Réseau :"), this);
    reseau->setBuddy(choix_);
    code_ = new QLabel(this);
    code_->setObjectName(QStringLiteral("code"));
    code_->setAlignment(Qt::AlignCenter);
    // Whatever the code's version, the window keeps its size.
    code_->setFixedSize(kCote, kCote);
    adresse_ = new QLabel(this);
    adresse_->setTextFormat(Qt::PlainText);
    adresse_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    adresse_->setAlignment(Qt::AlignCenter);
    QFont grande = adresse_->font();
    grande.setPointSizeF(grande.pointSizeF() * 1.3);
    grande.setBold(true);
    adresse_->setFont(grande);

    const QString lien = QStringLiteral("http://%1:%2/");
    const QList<Adresse> adresses = AdressesJoignables();
    for (const Adresse &a : adresses)
        choix_->addItem(QStringLiteral("%1 (%2)").arg(a.ip, a.interface), lien.arg(a.ip).arg(port));
    if (adresses.isEmpty())
        choix_->addItem(QStringLiteral("127.0.0.1"), lien.arg(QStringLiteral("127.0.0.1")).arg(port));
    absence->setVisible(adresses.isEmpty());
    reseau->setVisible(adresses.size() > 1);
    choix_->setVisible(adresses.size() > 1);

    auto *ligneChoix = new QHBoxLayout;
    ligneChoix->addWidget(reseau);
    ligneChoix->addWidget(choix_, 1);
    auto *l = new QVBoxLayout(this);
    l->setSizeConstraint(QLayout::SetFixedSize);
    l->addWidget(absence);
    l->addWidget(consigne);
    l->addLayout(ligneChoix);
    l->addWidget(code_);
    l->addWidget(adresse_);
    consigne->setFixedWidth(kLargeurPhrases);
    absence->setFixedWidth(kLargeurPhrases);

    connect(choix_, &QComboBox::currentIndexChanged, this, &FenetreTelephone::montre);
    montre(choix_->currentIndex());
}

QString FenetreTelephone::adresse() const
{
    return adresse_->text();
}

QImage FenetreTelephone::image() const
{
    return image_;
}

void FenetreTelephone::montre(int indice)
{
    const QString lien = choix_->itemData(indice).toString();
    adresse_->setText(lien);
    const std::optional<CodeQr> code = FaitCodeQr(lien.toUtf8());
    image_ = code ? Dessine(*code, devicePixelRatioF()) : QImage();
    code_->setPixmap(QPixmap::fromImage(image_));
}
