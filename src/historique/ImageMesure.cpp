#include "historique/ImageMesure.h"

#include "historique/ExportMesure.h"
#include "historique/GraphiqueHistorique.h"
#include "outils/Formatage.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>

namespace {

// The receiver's chart, twice.
constexpr int Largeur = 2 * 167;
constexpr int HauteurGraphique = 2 * 225;
constexpr int PoliceBande = 16;
constexpr int MargeBande = 8;

}

QImage ImageMesure(const Mesure &mesure)
{
    const ResumeMesure r = mesure.resume();
    const QString sens = SensLisible(mesure);
    const QStringList lignes{
        r.debut().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")),
        //: %1 the direction, %2 "transmitter → receiver"
        QCoreApplication::translate("ImageMesure", "%1 : %2").arg(sens, Extremites(mesure)),
        QCoreApplication::translate("ImageMesure", "Moyenne : %1/s").arg(FormateBits(r.moyenne())),
        QCoreApplication::translate("ImageMesure", "Maximum : %1/s").arg(FormateBits(double(r.maximum()))),
        QCoreApplication::translate("ImageMesure", "Latence : %1").arg(r.texteLatence()),
        QCoreApplication::translate("ImageMesure", "Lien : %1").arg(mesure.texteLien()),
    };
    QFont police(QStringLiteral("DejaVu Sans"));
    police.setPixelSize(PoliceBande);
    const QFontMetrics fm(police);
    const QRect colonne(0, 0, Largeur - 2 * MargeBande, HauteurGraphique);
    std::vector<int> hauteurs;
    int bande = 2 * MargeBande;
    for (const QString &ligne : lignes) {
        hauteurs.push_back(fm.boundingRect(colonne, Qt::TextWordWrap, ligne).height());
        bande += hauteurs.back();
    }

    QImage image(Largeur, HauteurGraphique + bande, QImage::Format_RGB32);
    image.fill(QColor(32, 32, 32));
    GraphiqueHistorique graphique;
    graphique.resize(Largeur, HauteurGraphique);
    graphique.montre({{sens, mesure.secondes()}});
    QPainter p(&image);
    graphique.render(&p);

    p.setFont(police);
    p.setPen(Qt::white);
    int y = HauteurGraphique + MargeBande;
    for (int i = 0; i < lignes.size(); ++i) {
        p.drawText(QRect(MargeBande, y, colonne.width(), hauteurs[size_t(i)]), Qt::TextWordWrap, lignes[i]);
        y += hauteurs[size_t(i)];
    }
    return image;
}

QString EnregistreImage(const QString &chemin, const QImage &image)
{
    QByteArray png;
    QBuffer tampon(&png);
    tampon.open(QIODevice::WriteOnly);
    image.save(&tampon, "PNG");
    return EcritFichier(chemin, png);
}
