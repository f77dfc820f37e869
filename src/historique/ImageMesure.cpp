#include "historique/ImageMesure.h"

#include "jauge/JogeDessin.h"
#include "historique/ExportMesure.h"
#include "outils/Formatage.h"

#include <QFontMetrics>
#include <QBuffer>
#include <QPainter>

namespace {

constexpr int Echelle = 2;
constexpr int PoliceBande = 8 * Echelle;
constexpr int MargeBande = 4 * Echelle;

}

QImage ImageMesure(const JogeModele &modele, QSize taille, const Mesure &mesure)
{
    const ResumeMesure r = mesure.resume();
    const QStringList lignes{
        r.debut().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")),
        QStringLiteral("%1 → %2").arg(mesure.emetteur(), mesure.recepteur()),
        QStringLiteral("Moyenne : %1/s").arg(FormateBits(r.moyenne())),
        QStringLiteral("Maximum : %1/s").arg(FormateBits(double(r.maximum()))),
        QStringLiteral("Latence : %1").arg(r.texteLatence()),
        QStringLiteral("Lien : %1").arg(mesure.texteLien()),
    };
    QFont police(QStringLiteral("DejaVu Sans"));
    police.setPixelSize(PoliceBande);
    const QFontMetrics fm(police);
    const int largeur = taille.width() * Echelle;
    const int bande = int(lignes.size()) * fm.lineSpacing() + 2 * MargeBande;

    QImage image(largeur, taille.height() * Echelle + bande, QImage::Format_RGB32);
    image.fill(QColor(32, 32, 32));
    QPainter p(&image);
    p.scale(Echelle, Echelle);
    DessineJoge(p, modele, float(taille.width()), float(taille.height()));
    p.resetTransform();

    p.setFont(police);
    p.setPen(Qt::white);
    int y = taille.height() * Echelle + MargeBande + fm.ascent();
    for (const QString &ligne : lignes) {
        p.drawText(MargeBande, y, fm.elidedText(ligne, Qt::ElideRight, largeur - 2 * MargeBande));
        y += fm.lineSpacing();
    }
    return image;
}

JogeModele ModeleMesure(const std::vector<qint64> &secondes, int largeur)
{
    JogeModele modele;
    modele.Redimensionne(largeur);
    modele.AutoLignement = true;
    const size_t debut = secondes.size() > size_t(largeur) ? secondes.size() - size_t(largeur) : 0;
    for (size_t i = debut; i < secondes.size(); ++i) {
        modele.AjouteEchantillon(double(secondes[i]));
        modele.Tick([](double &) {});
    }
    return modele;
}

QString EnregistreImage(const QString &chemin, const QImage &image)
{
    QByteArray png;
    QBuffer tampon(&png);
    tampon.open(QIODevice::WriteOnly);
    image.save(&tampon, "PNG");
    return EcritFichier(chemin, png);
}
