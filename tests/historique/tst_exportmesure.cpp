#include "historique/ExportMesure.h"
#include "historique/ImageMesure.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

class TestExportMesure : public QObject
{
    Q_OBJECT

    QTemporaryDir dossier;

    // Eleven seconds cut short: 10 complete seconds and half of another.
    static Mesure mesure()
    {
        const QDateTime debut(QDate(2026, 12, 7), QTime(9, 40, 12));
        Mesure m(QStringLiteral("10.44.0.2"), QStringLiteral("10.44.0.1"), debut);
        for (qint64 s : {125000000, 110000000, 90000000, 120000000, 0, 1, 125000000, 125000000, 100000000, 5})
            m.ajouteSeconde(s);
        m.ajouteOctets(795000006);
        m.termine(debut.addMSecs(10000));
        return m;
    }

    static QByteArray lit(const QString &chemin)
    {
        QFile f(chemin);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase() { QVERIFY(dossier.isValid()); }

    // Written to a folder whose name has blanks and accents, then read back
    // as a spreadsheet would.
    void csvRelu()
    {
        const Mesure m = mesure();
        const QString sousDossier = dossier.filePath(QStringLiteral("Mes mesures à l'étage"));
        QVERIFY(QDir().mkpath(sousDossier));
        const QString chemin = sousDossier + QStringLiteral("/") + NomFichierMesure(m.debut(), QStringLiteral("csv"));
        QCOMPARE(QFileInfo(chemin).fileName(), QStringLiteral("mesure-2026-12-07-094012.csv"));
        QCOMPARE(EnregistreMesure(chemin, m), QString());

        const QList<QByteArray> lignes = lit(chemin).split('\n');
        QCOMPARE(lignes.front(), QByteArray("heure,secondes_depuis_debut,octets,bits_par_seconde\r"));
        QCOMPARE(lignes.back(), QByteArray()); // the last row ends in CRLF too
        QCOMPARE(lignes.size() - 2, m.resume().secondesCompletes());
        qint64 total = 0;
        for (int i = 1; i < lignes.size() - 1; ++i) {
            QVERIFY(lignes[i].endsWith('\r'));
            const QList<QByteArray> champs = lignes[i].chopped(1).split(',');
            QCOMPARE(champs.size(), 4);
            QCOMPARE(champs[0], HeureIso(m.debut().addSecs(i)).toUtf8());
            QCOMPARE(champs[1].toLongLong(), qint64(i));
            bool entier = false;
            const qint64 octets = champs[2].toLongLong(&entier);
            QVERIFY(entier);
            QCOMPARE(champs[3].toLongLong(), octets * 8);
            total += octets;
        }
        QCOMPARE(total, m.resume().total());
        QCOMPARE(double(total) / 10, m.resume().moyenne());
    }

    void json()
    {
        const Mesure m = mesure();
        const QString chemin = dossier.filePath(QStringLiteral("mesure ü.JSON"));
        QCOMPARE(EnregistreMesure(chemin, m), QString());
        const QJsonObject o = QJsonDocument::fromJson(lit(chemin)).object();
        QCOMPARE(o.value(QStringLiteral("emetteur")).toString(), QStringLiteral("10.44.0.2"));
        QCOMPARE(o.value(QStringLiteral("total_octets")).toDouble(), 795000006.0);
        QCOMPARE(o.value(QStringLiteral("moyenne_octets_par_seconde")).toDouble(), 79500000.6);
        QCOMPARE(o.value(QStringLiteral("centile90_octets_par_seconde")).toDouble(), 125000000.0);
        QCOMPARE(o.value(QStringLiteral("octets_par_seconde")).toArray().size(), 10);
        QCOMPARE(o.value(QStringLiteral("debut")).toString(), QStringLiteral("2026-12-07T09:40:12+00:00"));
    }

    // A folder that cannot be written: a clear message, no file, and the
    // measurement unchanged.
    void dossierInterdit()
    {
        const QString bloc = dossier.filePath(QStringLiteral("un fichier"));
        {
            QFile f(bloc);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const Mesure m = mesure();
        const QString erreur = EnregistreMesure(bloc + QStringLiteral("/mesure.csv"), m);
        QVERIFY(erreur.startsWith(QStringLiteral("Impossible d'écrire ")));
        QVERIFY(erreur.contains(QStringLiteral("/mesure.csv")));
        QVERIFY(!QFile::exists(bloc + QStringLiteral("/mesure.csv")));
        QCOMPARE(m.resume().total(), qint64(795000006));
        QVERIFY(!EnregistreImage(bloc + QStringLiteral("/image.png"), QImage(4, 4, QImage::Format_RGB32)).isEmpty());
    }

    void champCsv_data()
    {
        QTest::addColumn<QString>("champ");
        QTest::addColumn<QString>("ecrit");
        QTest::newRow("plain") << QStringLiteral("Salon") << QStringLiteral("Salon");
        QTest::newRow("comma") << QStringLiteral("Salon, fenêtre") << QStringLiteral("\"Salon, fenêtre\"");
        QTest::newRow("quotes") << QStringLiteral("le \"bureau\"") << QStringLiteral("\"le \"\"bureau\"\"\"");
        QTest::newRow("line feed") << QStringLiteral("a\nb") << QStringLiteral("\"a\nb\"");
        QTest::newRow("carriage return") << QStringLiteral("a\rb") << QStringLiteral("\"a\rb\"");
    }

    void champCsv()
    {
        QFETCH(QString, champ);
        QFETCH(QString, ecrit);
        QCOMPARE(ChampCsv(champ), ecrit);
    }

    void resume()
    {
        const QString texte = TexteResume(mesure());
        QVERIFY(texte.contains(QStringLiteral("Émetteur : 10.44.0.2")));
        QVERIFY(texte.contains(QStringLiteral("Début : 07/12/2026 09:40:12")));
        QVERIFY(texte.contains(QStringLiteral("Durée : 10 s")));
        // 79500000.6 bytes a second are 636,0 decimal megabits.
        QVERIFY2(texte.contains(QStringLiteral("soit 636,0 Mbit/s décimaux")), qPrintable(texte));
        QVERIFY(texte.contains(QStringLiteral("Maximum : 119,2 Mo/s, 953,7 Mb/s")));
        QCOMPARE(TexteResume(Mesure()), QString());
    }

    // The picture frames the measurement: its seconds across the whole
    // width, on a scale that holds them, above a band whose lines wrap
    // rather than being cut.
    void image()
    {
        Mesure m = mesure();
        const QImage i = ImageMesure(m);
        QCOMPARE(i.width(), 334);
        const QString chemin = dossier.filePath(QStringLiteral("image é.png"));
        QCOMPARE(EnregistreImage(chemin, i), QString());
        const QImage relue(chemin);
        QCOMPARE(relue.size(), i.size());
        // The two highest seconds (125000000), the 7th and 8th of ten, are
        // drawn flat at 1/1.1 of the chart's 450 pixels, from x = 6/9 to
        // 7/9 of the width.
        int y = -1;
        for (int ligne = 0; ligne < 450 && y < 0; ++ligne)
            if (QColor(relue.pixel(240, ligne)).green() > 200 && QColor(relue.pixel(240, ligne)).red() < 100)
                y = ligne;
        QVERIFY2(qAbs(y - (450 - 450 / 1.1)) <= 2.0, qPrintable(QString::number(y)));
        m.definitTexteLien(QStringLiteral("wifi wlan0 « Réseau du premier étage » 5180 MHz canal 36 80 MHz, "
                                          "-48 dBm, 866,7 Mbit/s"));
        QVERIFY(ImageMesure(m).height() > i.height());
    }
};

QTEST_MAIN(TestExportMesure)
#include "tst_exportmesure.moc"
