// The statistics panel repaints only the rows that changed: what is on the
// screen after a series of captions must be what a fresh panel shows for the
// last one, with no row left over from an earlier caption.

#include "recepteur/Etiquette.h"

#include <QtTest>

#include <QScreen>

namespace {

QImage aLEcran(QWidget *w)
{
    return w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage neuve(const QString &caption, const QSize &taille)
{
    Etiquette fraiche(caption);
    fraiche.resize(taille);
    return fraiche.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}

class TestEtiquette : public QObject
{
    Q_OBJECT

private slots:
    void lignes_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("lignes");
        QTest::newRow("carriage returns") << QStringLiteral("a\rb\rc") << QStringList({"a", "b", "c"});
        QTest::newRow("carriage return and line feed") << QStringLiteral("a\r\nb") << QStringList({"a", "b"});
        QTest::newRow("one line") << QStringLiteral("<b>x</b>") << QStringList({"<b>x</b>"});
    }

    void lignes()
    {
        QFETCH(QString, caption);
        QFETCH(QStringList, lignes);
        Etiquette e(QStringLiteral("infos"));
        e.setCaption(caption);
        QCOMPARE(e.Caption(), caption);
        QCOMPARE(e.Lignes(), lignes);
    }

    // Rows changed, rows removed, rows back to texts shown before (kept laid
    // out), a row set to markup (shown as text).
    void ecranApresUneSerie()
    {
        Etiquette e(QStringLiteral("infos"));
        e.resize(220, 120);
        e.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        const QStringList serie = {
            QStringLiteral("Mon IP : 10.0.0.1\rTaillePaquets : 61,2 Ko\rMaximum : 1,0 Mb/s"),
            QStringLiteral("Mon IP : 10.0.0.1\rTaillePaquets : 64,0 Ko\rMaximum : 1,0 Mb/s"),
            QStringLiteral("Mon IP : 10.0.0.1"),
            QStringLiteral("Mon IP : 10.0.0.1\rTaillePaquets : 61,2 Ko\rMaximum : 1,0 Mb/s"),
            QStringLiteral("Mon IP : 10.0.0.1\r<i>TaillePaquets</i>\rMaximum : 1,0 Mb/s"),
        };
        for (const QString &caption : serie) {
            e.setCaption(caption);
            const QImage attendue = neuve(caption, e.size());
            QTRY_COMPARE(aLEcran(&e), attendue);
        }
    }
};

QTEST_MAIN(TestEtiquette)
#include "tst_etiquette.moc"
