#include "FauxNavigateur.h"
#include "registre/Navigateur.h"
#include "registre/RegistryKey.h"

#include <QtTest>

#include <QPoint>

#include <stdexcept>

namespace {

using Store = RegistryStore;
const QByteArray CheminCommande = "htmlfile\\shell\\open\\command";

struct Demarrage
{
    QString programme;
    QStringList arguments;
};

// A starter that records instead of starting.
Demarreur enregistreur(QList<Demarrage> &demarrages)
{
    return [&demarrages](const QString &programme, const QStringList &arguments) {
        demarrages.append({programme, arguments});
        return true;
    };
}

void poseCommande(const QByteArray &commande)
{
    Store::system().putValue(Store::HKEY_CLASSES_ROOT, CheminCommande, "", Store::REG_SZ, commande + '\0');
}

}

class TestNavigateur : public QObject
{
    Q_OBJECT

    std::optional<Store::StoredValue> commandeDuBureau;

private slots:
    void initTestCase()
    {
        commandeDuBureau = Store::system().storedValue(Store::HKEY_CLASSES_ROOT, CheminCommande, "");
    }

    // Tests below change the program's registry; each leaves it as it was.
    void cleanup()
    {
        QVERIFY(commandeDuBureau);
        Store::system().putValue(Store::HKEY_CLASSES_ROOT, CheminCommande, "", commandeDuBureau->type,
                                 commandeDuBureau->data);
    }

    void leBureauNommeLaCommande()
    {
        QCOMPARE(commandeDuBureau->type, Store::REG_SZ);
        QCOMPARE(LitRegistre(CheminCommandeNavigateur, QString()), QStringLiteral("xdg-open %1"));
    }

    void litRegistre_data()
    {
        QTest::addColumn<QString>("chemin");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("attendu");

        QTest::newRow("unnamed value") << QStringLiteral("HKEY_CLASSES_ROOT\\htmlfile\\shell\\open\\command")
                                       << QString() << QStringLiteral("nav %1");
        QTest::newRow("lower-case root") << QStringLiteral("hkey_classes_root\\htmlfile\\shell\\open\\command")
                                         << QString() << QStringLiteral("nav %1");
        QTest::newRow("named value") << QStringLiteral("Hkey_Local_Machine\\Logiciel\\Trevalon")
                                     << QStringLiteral("Version") << QStringLiteral("1.0");
        QTest::newRow("value name not taken from the path")
            << QStringLiteral("HKEY_LOCAL_MACHINE\\Logiciel\\Trevalon\\Version") << QString() << QString();
        QTest::newRow("no backslash") << QStringLiteral("HKEY_CLASSES_ROOT") << QString() << QString();
        QTest::newRow("unknown root") << QStringLiteral("HKEY_CLASSES\\htmlfile\\shell\\open\\command")
                                      << QString() << QString();
        QTest::newRow("root name with a blank") << QStringLiteral("HKEY_CLASSES_ROOT \\htmlfile\\shell\\open\\command")
                                                << QString() << QString();
        QTest::newRow("missing key") << QStringLiteral("HKEY_CLASSES_ROOT\\htmlfile\\shell\\edit") << QString()
                                     << QString();
        QTest::newRow("missing value") << QStringLiteral("HKEY_LOCAL_MACHINE\\Logiciel\\Trevalon")
                                       << QStringLiteral("Absente") << QString();
    }

    void litRegistre()
    {
        QFETCH(QString, chemin);
        QFETCH(QString, nom);
        QFETCH(QString, attendu);
        Store store;
        store.putValue(Store::HKEY_CLASSES_ROOT, CheminCommande, "", Store::REG_SZ, QByteArray("nav %1", 7));
        // Found only if a path without a backslash were read as the root key.
        store.putValue(Store::HKEY_CLASSES_ROOT, "", "", Store::REG_SZ, QByteArray("racine", 7));
        store.putValue(Store::HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "", Store::REG_SZ, QByteArray("cle", 4));
        store.putValue(Store::HKEY_LOCAL_MACHINE, "Logiciel\\Trevalon", "Version", Store::REG_SZ,
                       QByteArray("1.0", 4));
        QCOMPARE(LitRegistre(chemin, nom, store), attendu);
        QCOMPARE(store.openHandleCount(), 0);
    }

    void racines_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<quint32>("handle");
        QTest::newRow("classes root") << QStringLiteral("HKEY_CLASSES_ROOT") << Store::HKEY_CLASSES_ROOT;
        QTest::newRow("current config") << QStringLiteral("HKEY_CURRENT_CONFIG") << Store::HKEY_CURRENT_CONFIG;
        QTest::newRow("current user") << QStringLiteral("HKEY_CURRENT_USER") << Store::HKEY_CURRENT_USER;
        QTest::newRow("dyn data") << QStringLiteral("HKEY_DYN_DATA") << Store::HKEY_DYN_DATA;
        QTest::newRow("local machine") << QStringLiteral("HKEY_LOCAL_MACHINE") << Store::HKEY_LOCAL_MACHINE;
        QTest::newRow("performance data") << QStringLiteral("HKEY_PERFORMANCE_DATA") << Store::HKEY_PERFORMANCE_DATA;
        QTest::newRow("users") << QStringLiteral("HKEY_USERS") << Store::HKEY_USERS;
    }

    void racines()
    {
        QFETCH(QString, nom);
        QFETCH(quint32, handle);
        Store store;
        for (quint32 racine = Store::HKEY_CLASSES_ROOT; racine <= Store::HKEY_DYN_DATA; ++racine)
            store.putValue(racine, "Cle", "", Store::REG_SZ, QByteArray::number(racine, 16) + '\0');
        QCOMPARE(LitRegistre(nom.toLower() + QStringLiteral("\\Cle"), QString(), store), QString::number(handle, 16));
    }

    void remplace_data()
    {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("cherche");
        QTest::addColumn<QString>("remplacement");
        QTest::addColumn<QString>("attendu");

        QTest::newRow("letter case ignored") << "aXbXc" << "x" << "" << "abc";
        QTest::newRow("replacement not searched again") << "a%1" << "%1" << "%1%1" << "a%1%1";
        QTest::newRow("-nohome in any case") << "-NoHome x -nohome" << "-nohome" << "" << " x ";
        QTest::newRow("at the start") << "%1abc" << "%1" << "" << "abc";
        QTest::newRow("adjacent") << "%1%1%1" << "%1" << "-" << "---";
        QTest::newRow("none") << "abc" << "%1" << "" << "abc";
        QTest::newRow("empty text") << "" << "%1" << "" << "";
        QTest::newRow("empty search") << "abc" << "" << "z" << "abc";
    }

    void remplace()
    {
        QFETCH(QString, texte);
        QFETCH(QString, cherche);
        QFETCH(QString, remplacement);
        QFETCH(QString, attendu);
        QCOMPARE(Remplace(texte, cherche, remplacement), attendu);
    }

    void remplaceCompteSur16Bits_data()
    {
        QTest::addColumn<int>("avant");
        QTest::addColumn<QString>("remplacement");
        QTest::addColumn<bool>("deborde");

        QTest::newRow("found at 32767") << 32766 << "" << false;
        QTest::newRow("found at 32768") << 32767 << "" << true;
        QTest::newRow("restart past 32767") << 32766 << "yy" << true;
    }

    void remplaceCompteSur16Bits()
    {
        QFETCH(int, avant);
        QFETCH(QString, remplacement);
        QFETCH(bool, deborde);
        const QString texte = QString(avant, QLatin1Char('a')) + QLatin1Char('x');
        if (deborde)
            QVERIFY_THROWS_EXCEPTION(std::overflow_error, Remplace(texte, QStringLiteral("x"), remplacement));
        else
            QCOMPARE(Remplace(texte, QStringLiteral("x"), remplacement), QString(avant, QLatin1Char('a')));
    }

    void siVrai_data()
    {
        QTest::addColumn<QVariant>("condition");
        QTest::addColumn<QString>("attendu");

        QTest::newRow("true") << QVariant(true) << "a";
        QTest::newRow("false") << QVariant(false) << "b";
        QTest::newRow("0") << QVariant(0) << "b";
        QTest::newRow("-1") << QVariant(-1) << "a";
        QTest::newRow("0.0") << QVariant(0.0) << "b";
        QTest::newRow("0.5") << QVariant(0.5) << "a";
        QTest::newRow("null") << QVariant() << "b";
        QTest::newRow("text 0") << QVariant(QStringLiteral("0")) << "b";
        QTest::newRow("text FALSE") << QVariant(QStringLiteral("FALSE")) << "b";
        QTest::newRow("text True") << QVariant(QStringLiteral("True")) << "a";
        QTest::newRow("unreadable text") << QVariant(QStringLiteral("peut-être")) << "a";
        QTest::newRow("unreadable point") << QVariant(QPoint(0, 0)) << "a";
    }

    void siVrai()
    {
        QFETCH(QVariant, condition);
        QFETCH(QString, attendu);
        QCOMPARE(SiVrai(condition, QStringLiteral("a"), QStringLiteral("b")).toString(), attendu);
    }

    void decoupeLigne_data()
    {
        QTest::addColumn<QString>("ligne");
        QTest::addColumn<QStringList>("parties");

        QTest::newRow("quoted path with blanks")
            << "\"/opt/Mon Nav/nav\"  https://x/" << QStringList{"/opt/Mon Nav/nav", "https://x/"};
        QTest::newRow("bare path") << "xdg-open  https://x/" << QStringList{"xdg-open", "https://x/"};
        QTest::newRow("empty quotes") << "\"/a b/nav\" \"\" https://x/" << QStringList{"/a b/nav", "", "https://x/"};
        QTest::newRow("quotes inside arguments") << "nav \"a b\" c\"d e\"f" << QStringList{"nav", "a b", "cd ef"};
        QTest::newRow("tabs") << "nav\targ" << QStringList{"nav", "arg"};
        QTest::newRow("unclosed quote") << "\"/a b/nav" << QStringList{"/a b/nav"};
        QTest::newRow("shell text is plain text")
            << "nav ;rm $(x) |y" << QStringList{"nav", ";rm", "$(x)", "|y"};
        QTest::newRow("leading blank") << " https://x/" << QStringList{"", "https://x/"};
        QTest::newRow("empty") << "" << QStringList{""};
    }

    void decoupeLigne()
    {
        QFETCH(QString, ligne);
        QFETCH(QStringList, parties);
        QCOMPARE(DecoupeLigne(ligne), parties);
    }

    void sansProgrammeRienNeDemarre_data()
    {
        QTest::addColumn<QString>("ligne");
        QTest::newRow("blank and address") << QStringLiteral(" https://trevalon.example/");
        QTest::newRow("blanks") << QStringLiteral("   ");
        QTest::newRow("empty") << QString();
        QTest::newRow("empty quotes") << QStringLiteral("\"\" https://trevalon.example/");
    }

    void sansProgrammeRienNeDemarre()
    {
        QFETCH(QString, ligne);
        QList<Demarrage> demarrages;
        QVERIFY(!DemarreProgramme(ligne, enregistreur(demarrages)));
        QVERIFY(demarrages.isEmpty());
        QVERIFY(!DemarreProgramme(ligne));
    }

    // The maker's button, up to the start, with the start recorded.
    void ouvreNavigateurSansCommande_data()
    {
        QTest::addColumn<int>("cas");
        QTest::addColumn<bool>("demarre");
        QTest::newRow("with a command") << 0 << true;
        QTest::newRow("missing value") << 1 << false;
        QTest::newRow("empty value") << 2 << false;
        QTest::newRow("missing key") << 3 << false;
        QTest::newRow("%1 found past 32767") << 4 << false;
        QTest::newRow("long command, %1 early") << 5 << true;
    }

    void ouvreNavigateurSansCommande()
    {
        QFETCH(int, cas);
        QFETCH(bool, demarre);
        RegistryKey cle;
        switch (cas) {
        case 0: poseCommande("nav %1"); break;
        case 1:
            cle.OpenKey(Store::HKEY_CLASSES_ROOT, QString::fromLatin1(CheminCommande), Store::KEY_ALL_ACCESS);
            cle.DeleteValue(QString());
            break;
        case 2: poseCommande(""); break;
        case 3: cle.DeleteKey(Store::HKEY_CLASSES_ROOT, QString::fromLatin1(CheminCommande)); break;
        case 4: poseCommande("nav " + QByteArray(40000, 'a') + " %1"); break;
        case 5: poseCommande("nav %1 " + QByteArray(40000, 'a')); break;
        }
        cle.CloseKey();

        QList<Demarrage> demarrages;
        QCOMPARE(OuvreNavigateur(AdresseFabricant, enregistreur(demarrages)), demarre);
        QCOMPARE(demarrages.size(), demarre ? 1 : 0);
        if (demarre)
            QCOMPARE(demarrages[0].programme, QStringLiteral("nav"));
    }

    // The whole chain: the command in the program's registry names a stub
    // browser, which writes down the arguments it was started with.
    void ouvreNavigateur_data()
    {
        QTest::addColumn<QString>("commande");
        QTest::addColumn<QStringList>("arguments");

        const QString adresse = AdresseFabricant;
        QTest::newRow("quoted path, -nohome") << "\"STUB\" -nohome" << QStringList{adresse};
        QTest::newRow("-nohome in any case") << "\"STUB\" -NoHome -nohome -NOHOME" << QStringList{adresse};
        QTest::newRow("%1 in quotes") << "\"STUB\" \"%1\"" << QStringList{"", adresse};
        QTest::newRow("%1 everywhere") << "\"STUB\" --url=%1 \"a %1 b\" %1" << QStringList{"--url=", "a  b", adresse};
        QTest::newRow("-nohome removed before %1") << "\"STUB\" -no%1home" << QStringList{"-nohome", adresse};
        QTest::newRow("no shell") << "\"STUB\" ;false $(false) `false` >x"
                                  << QStringList{";false", "$(false)", "`false`", ">x", adresse};
    }

    void ouvreNavigateur()
    {
        QFETCH(QString, commande);
        QFETCH(QStringList, arguments);
        FauxNavigateur navigateur;
        QVERIFY(navigateur.pret());

        poseCommande(commande.replace(QStringLiteral("STUB"), navigateur.chemin()).toLatin1());
        OuvreNavigateur(AdresseFabricant);

        QTRY_VERIFY_WITH_TIMEOUT(navigateur.appele(), 20000);
        QCOMPARE(navigateur.arguments(), arguments);
    }
};

QTEST_GUILESS_MAIN(TestNavigateur)
#include "tst_navigateur.moc"
