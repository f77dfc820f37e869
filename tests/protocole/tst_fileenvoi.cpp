// The send queue, without sockets: what it hands over, from its pieces or
// its file, and what is left of a call the system has started to take.

#include "protocole/FileEnvoi.h"

#include <QtTest>

#include <unistd.h>

namespace {

// Every byte the queue hands over, taken the way the socket control takes
// them: a run of the repeated call from its file, the rest from its pieces.
QByteArray envoie(FileEnvoi &file)
{
    QByteArray tout;
    while (!file.estVide()) {
        qint64 pris = 0;
        if (const std::optional<FileEnvoi::Tranche> t = file.TrancheFichier()) {
            QByteArray lus(t->longueur, Qt::Uninitialized);
            pris = ::pread(t->fd, lus.data(), size_t(t->longueur), off_t(t->position));
            tout += lus.first(std::max<qint64>(pris, 0));
        } else {
            iovec morceaux[3];
            const int n = file.Morceaux(morceaux, 3);
            for (int i = 0; i < n; ++i) {
                tout.append(static_cast<const char *>(morceaux[i].iov_base), qsizetype(morceaux[i].iov_len));
                pris += qint64(morceaux[i].iov_len);
            }
        }
        if (pris <= 0)
            break;
        file.Retire(pris);
    }
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
        QCOMPARE(file.ResteEntame().toByteArray(), entame);
        QCOMPARE(envoie(file), suite);
    }

    // The queue shares the caller's block instead of copying it for each
    // call, and a run of it leaves from its file: exact, across the file's
    // end, from inside a block.
    void partageLeBloc()
    {
        QByteArray bloc(1025, Qt::Uninitialized);
        for (int i = 0; i < bloc.size(); ++i)
            bloc[i] = char(i * 7);
        FileEnvoi file;
        file.Ajoute(bloc);
        iovec morceau;
        QCOMPARE(file.Morceaux(&morceau, 1), 1);
        QCOMPARE(morceau.iov_base, static_cast<const void *>(bloc.constData()));
        QVERIFY(!file.TrancheFichier());
        for (int i = 1; i < 3000; ++i)
            file.Ajoute(bloc);
        QVERIFY(file.TrancheFichier());
        file.Retire(1025 * 10 + 3);
        QCOMPARE(file.ResteEntame().size(), 1022);
        QCOMPARE(envoie(file), bloc.repeated(3000).mid(1025 * 10 + 3));
        QVERIFY(file.ResteEntame().isEmpty());
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
        QCOMPARE(file.ResteEntame().size(), entame);
        QCOMPARE(envoie(file), tout.mid(retire));
    }
};

QTEST_GUILESS_MAIN(TestFileEnvoi)
#include "tst_fileenvoi.moc"
