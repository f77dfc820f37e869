#include "historique/DialoguesMesure.h"

#include "historique/ExportMesure.h"
#include "historique/ImageMesure.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>

namespace {

QString Propose(const Mesure &mesure, const QString &extension)
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QLatin1Char('/')
        + NomFichierMesure(mesure.debut(), extension);
}

void SignaleEchec(QWidget *parent, const QString &erreur)
{
    if (!erreur.isEmpty())
        QMessageBox::warning(parent, QStringLiteral("Enregistrement impossible"),
                             erreur + QStringLiteral("\nLa mesure est conservée : choisissez un autre dossier."));
}

}

void DemandeEnregistrementMesure(QWidget *parent, const Mesure &mesure)
{
    const QString csv = QStringLiteral("Tableau CSV (*.csv)");
    const QString json = QStringLiteral("Document JSON (*.json)");
    QString filtre = csv;
    QString chemin = QFileDialog::getSaveFileName(parent, QStringLiteral("Enregistrer la mesure"),
                                                  Propose(mesure, QStringLiteral("csv")), csv + QStringLiteral(";;") + json,
                                                  &filtre);
    if (chemin.isEmpty())
        return;
    if (filtre == json && !chemin.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        chemin += QStringLiteral(".json");
    SignaleEchec(parent, EnregistreMesure(chemin, mesure));
}

void DemandeEnregistrementImage(QWidget *parent, const QImage &image, const Mesure &mesure)
{
    const QString chemin = QFileDialog::getSaveFileName(parent, QStringLiteral("Enregistrer l'image"),
                                                        Propose(mesure, QStringLiteral("png")),
                                                        QStringLiteral("Image PNG (*.png)"));
    if (chemin.isEmpty())
        return;
    SignaleEchec(parent, EnregistreImage(chemin, image));
}
