// Every QR code is read back by Debian's zbarimg, as a phone's camera would
// read it: the matrix, its text form for a terminal, the phone window's picture.

#include "SandboxGuard.h"
#include "page/CodeQr.h"
#include "protocole/AdresseLocale.h"
#include "recepteur/FenetreTelephone.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QtTest>

namespace {

// A square of `cote` modules, `taille` pixels each, white where `clair`.
template <typename Clair>
QImage Pixels(int cote, const Clair &clair, int taille = 4)
{
    QImage image(cote * taille, cote * taille, QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, clair(x / taille, y / taille) ? Qt::white : Qt::black);
    return image;
}

// The code with its quiet zone of 4 modules.
QImage Dessin(const CodeQr &code, int taille = 4)
{
    return Pixels(code.largeur + 8, [&](int x, int y) { return !code.sombre(x - 4, y - 4); }, taille);
}

QString Lit(const QImage &image)
{
    QTemporaryDir dossier;
    const QString chemin = dossier.filePath(QStringLiteral("code.png"));
    image.save(chemin);
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), QStringLiteral("--raw"), chemin});
    zbar.waitForFinished(60000);
    return QString::fromUtf8(zbar.readAllStandardOutput()).trimmed();
}

}

class TestCodeQr : public QObject
{
    Q_OBJECT

private slots:
    void relu_data()
    {
        QTest::addColumn<QByteArray>("texte");
        QTest::newRow("short URL") << QByteArray("http://a.fr/");
        QTest::newRow("IPv4 and port") << QByteArray("http://192.168.100.200:4444/");
        // Beyond 84 bytes: version 7 or more, which carries version blocks.
        QTest::newRow("long, with a path") << QByteArray("https://mesure.exemple.fr/bandepassante/telephone/"
                                                         "resultats?depuis=2026-12-07T10:00:00Z&sens=descendant");
    }

    void relu()
    {
        QFETCH(QByteArray, texte);
        const std::optional<CodeQr> code = FaitCodeQr(texte);
        QVERIFY(code);
        const QImage matrice = Dessin(*code);
        QCOMPARE(Lit(matrice), texte);
        // Each character is a module wide and two high, light where drawn.
        const int cote = code->largeur + 8;
        const QString enTexte = CodeQrEnTexte(*code);
        QCOMPARE(enTexte.size(), (cote + 1) / 2 * (cote + 1));
        const QStringList lignes = enTexte.split(QLatin1Char('\n'));
        const QImage relue = Pixels(cote, [&](int x, int y) {
            const QString c = lignes.value(y / 2).mid(x, 1);
            return c == QStringLiteral("█") || c == (y % 2 ? QStringLiteral("▄") : QStringLiteral("▀"));
        });
        QCOMPARE(relue, matrice);
        QCOMPARE(Lit(relue), texte);
    }

    // One entry per sandbox address, the default route's first, each drawn
    // crisply: whole pixels per module, at least 4, inside its place.
    void fenetre()
    {
        FenetreTelephone f(4445);
        QVERIFY(f.sizeHint().width() < 500 && f.sizeHint().height() < 600);
        const QSize place = f.findChild<QLabel *>(QStringLiteral("code"))->size();
        auto *choix = f.findChild<QComboBox *>();
        QVERIFY(choix->count() >= 2);
        QVERIFY(choix->itemText(0).startsWith(AdresseLocale::DeLaMachine() + QLatin1Char(' ')));
        for (int i = 0; i < choix->count(); ++i) {
            choix->setCurrentIndex(i);
            QCOMPARE(f.adresse(), QStringLiteral("http://%1:4445/").arg(choix->itemText(i).section(u' ', 0, 0)));
            QCOMPARE(Lit(f.image()), f.adresse());
            const CodeQr code = *FaitCodeQr(f.adresse().toUtf8());
            const int taille = f.image().width() / (code.largeur + 8);
            QVERIFY(taille >= 4);
            QCOMPARE(f.image().convertToFormat(QImage::Format_Grayscale8), Dessin(code, taille));
            const QSize logique = f.image().deviceIndependentSize().toSize();
            QCOMPARE(logique.boundedTo(place), logique);
        }
    }
};

BANDEPASSANTE_NETWORK_TEST_MAIN(TestCodeQr)
#include "tst_codeqr.moc"
