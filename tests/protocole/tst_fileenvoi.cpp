// The send queue, without sockets: what it hands over, in which pieces, and
// what is left of a call the system has started to take.

#include "protocole/FileEnvoi.h"

#include <QtTest>

namespace {

// The bytes the queue would hand over next, joined.
QByteArray aEnvoyer(const FileEnvoi &file, int max)
{
    iovec morceaux[8];
    const int n = file.Morceaux(morceaux, std::min(max, 8));
    QByteArray tout;
    for (int i = 0; i < n; ++i)
        tout.append(static_cast<const char *>(morceaux[i].iov_base), qsizetype(morceaux[i].iov_len));
    return tout;
}

}

class TestFileEnvoi : public QObject
{
    Q_OBJECT

private slots:
    void retraits_data()
    {
        QTest::addColumn<qint64>("retire");
        QTest::addColumn<QByteArray>("suite");
        QTest::addColumn<QByteArray>("entame");
        QTest::newRow("nothing taken") << qint64(0) << QByteArray("abcdefghi") << QByteArray();
        QTest::newRow("inside the first call") << qint64(2) << QByteArray("cdefghi") << QByteArray("c");
        QTest::newRow("first call whole") << qint64(3) << QByteArray("defghi") << QByteArray();
        QTest::newRow("second call whole") << qint64(7) << QByteArray("hi") << QByteArray();
        QTest::newRow("into the third") << qint64(8) << QByteArray("i") << QByteArray("i");
        QTest::newRow("everything") << qint64(9) << QByteArray() << QByteArray();
    }

    void retraits()
    {
        QFETCH(qint64, retire);
        QFETCH(QByteArray, suite);
        QFETCH(QByteArray, entame);
        FileEnvoi file;
        for (const char *appel : {"abc", "", "defg", "hi"})
            file.Ajoute(QByteArray(appel));
        QCOMPARE(file.Taille(), qint64(9));
        file.Retire(retire);
        QCOMPARE(file.Taille(), qint64(suite.size()));
        QCOMPARE(file.estVide(), suite.isEmpty());
        QCOMPARE(aEnvoyer(file, 8), suite);
        QCOMPARE(file.ResteEntame().toByteArray(), entame);
    }

    // The queue shares the caller's block instead of copying it for each
    // call, and hands a run of it over in pieces of many blocks.
    void partageLeBloc()
    {
        const QByteArray bloc(1025, 'A');
        FileEnvoi file;
        file.Ajoute(bloc);
        iovec morceaux[32];
        QCOMPARE(file.Morceaux(morceaux, 32), 1);
        QCOMPARE(morceaux[0].iov_base, static_cast<const void *>(bloc.constData()));
        for (int i = 1; i < 1000; ++i)
            file.Ajoute(bloc);
        QCOMPARE(file.Taille(), qint64(1025 * 1000));
        const int n = file.Morceaux(morceaux, 32);
        QVERIFY(n <= 16);
        size_t total = 0;
        for (int i = 0; i < n; ++i)
            total += morceaux[i].iov_len;
        QCOMPARE(total, size_t(1025 * 1000));
        file.Retire(1025 * 999 + 1);
        QCOMPARE(file.ResteEntame().size(), 1024);
        file.Vide();
        QVERIFY(file.estVide());
        QVERIFY(file.ResteEntame().isEmpty());
        QCOMPARE(file.Morceaux(morceaux, 4), 0);
    }

    // Calls in a row with the same block share one entry: taking bytes across
    // such runs and between them leaves exactly the bytes that follow.
    void seriesDuMemeBloc_data()
    {
        QTest::addColumn<qint64>("retire");
        for (const qint64 n : {0, 1, 4, 5, 11, 12, 13, 14, 17, 21, 22})
            QTest::addRow("%lld taken", n) << n;
    }

    void seriesDuMemeBloc()
    {
        QFETCH(qint64, retire);
        const QByteArray bloc("abcd"), autre("XYZ");
        FileEnvoi file;
        QByteArray tout;
        // What is left of the call the system is inside, if any.
        qint64 entame = 0;
        for (const QByteArray *appel : {&bloc, &bloc, &bloc, &autre, &bloc, &bloc}) {
            file.Ajoute(*appel);
            if (retire > tout.size() && retire < tout.size() + appel->size())
                entame = tout.size() + appel->size() - retire;
            tout += *appel;
        }
        QCOMPARE(file.Taille(), qint64(tout.size()));
        file.Retire(retire);
        QCOMPARE(aEnvoyer(file, 8), tout.mid(retire));
        QCOMPARE(file.ResteEntame().size(), entame);
    }
};

QTEST_GUILESS_MAIN(TestFileEnvoi)
#include "tst_fileenvoi.moc"
