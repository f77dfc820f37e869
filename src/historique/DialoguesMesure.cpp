#include "historique/DialoguesMesure.h"

#include "historique/ExportMesure.h"
#include "historique/ImageMesure.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

namespace {

// For as long as the program runs.
QString dernierDossier;

QString Propose(const Mesure &mesure, const QString &extension, QStandardPaths::StandardLocation dossier)
{
    return DossierPropose(dossier) + QLatin1Char('/') + NomFichierMesure(mesure.debut(), extension);
}

void SignaleEchec(QWidget *parent, const QString &erreur)
{
    if (!erreur.isEmpty())
        QMessageBox::warning(parent, QCoreApplication::translate("DialoguesMesure", "Enregistrement impossible"),
                             //: %1 why the file could not be written
                             QCoreApplication::translate("DialoguesMesure", "%1\nLa mesure est conservée : "
                                                                            "choisissez un autre dossier.")
                                 .arg(erreur));
}

}

QString DossierPropose(QStandardPaths::StandardLocation parDefaut)
{
    return dernierDossier.isEmpty() ? QStandardPaths::writableLocation(parDefaut) : dernierDossier;
}

void RetientDossier(const QString &chemin)
{
    dernierDossier = QFileInfo(chemin).absolutePath();
}

void DemandeEnregistrementMesure(QWidget *parent, const Mesure &mesure)
{
    const QString csv = QCoreApplication::translate("DialoguesMesure", "Tableau CSV (*.csv)");
    const QString json = QCoreApplication::translate("DialoguesMesure", "Document JSON (*.json)");
    QString filtre = csv;
    QString chemin = QFileDialog::getSaveFileName(
        parent, QCoreApplication::translate("DialoguesMesure", "Enregistrer la mesure"),
        Propose(mesure, QStringLiteral("csv"), QStandardPaths::DocumentsLocation), csv + QStringLiteral(";;") + json,
        &filtre);
    if (chemin.isEmpty())
        return;
    RetientDossier(chemin);
    if (filtre == json && !chemin.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        chemin += QStringLiteral(".json");
    SignaleEchec(parent, EnregistreMesure(chemin, mesure));
}

void DemandeEnregistrementImage(QWidget *parent, const QImage &image, const Mesure &mesure)
{
    const QString chemin = QFileDialog::getSaveFileName(
        parent, QCoreApplication::translate("DialoguesMesure", "Enregistrer l'image"),
        Propose(mesure, QStringLiteral("png"), QStandardPaths::PicturesLocation),
        QCoreApplication::translate("DialoguesMesure", "Image PNG (*.png)"));
    if (chemin.isEmpty())
        return;
    RetientDossier(chemin);
    SignaleEchec(parent, EnregistreImage(chemin, image));
}
