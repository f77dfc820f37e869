// The maker's button of the transmitter window, through the whole chain: the
// click, the browser command read from the program's registry and cleaned of
// its placeholders, and the program started with the maker's address.

#include "FauxNavigateur.h"
#include "SandboxGuard.h"
#include "registre/RegistryStore.h"
#include "transmitter/Form2.h"

#include <QApplication>
#include <QPushButton>
#include <QScopeGuard>
#include <QToolTip>
#include <QtTest>

class TestFabricant : public QObject
{
    Q_OBJECT

private slots:
    void leBoutonOuvreLaPageDuFabricant()
    {
        using Store = RegistryStore;
        const QByteArray chemin = "htmlfile\\shell\\open\\command";
        const auto commandeDuBureau = Store::system().storedValue(Store::HKEY_CLASSES_ROOT, chemin, "");
        QVERIFY(commandeDuBureau);
        // The command is put back as the desktop gave it, whatever happens below.
        const auto remet = qScopeGuard([&] {
            Store::system().putValue(Store::HKEY_CLASSES_ROOT, chemin, "", commandeDuBureau->type,
                                     commandeDuBureau->data);
        });

        FauxNavigateur navigateur;
        QVERIFY(navigateur.pret());
        // A quoted path with blanks, then both placeholders to be removed.
        const QByteArray commande = '"' + navigateur.chemin().toLatin1() + "\" -nohome %1";
        Store::system().putValue(Store::HKEY_CLASSES_ROOT, chemin, "", Store::REG_SZ, commande + '\0');

        Form2 fenetre;
        fenetre.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fenetre));
        auto *Command2 = fenetre.findChild<QPushButton *>(QStringLiteral("Command2"));
        QVERIFY(Command2);
        QTest::mouseClick(Command2, Qt::LeftButton);

        QTRY_VERIFY_WITH_TIMEOUT(navigateur.appele(), 20000);
        QCOMPARE(navigateur.arguments(), QStringList{QStringLiteral("https://trevalon.example/")});
        QCOMPARE(Command2->toolTip(), QString());
    }

    // With no program to start, the button says so in a balloon over itself,
    // and the next press that starts one withdraws it.
    void sansNavigateurLeBoutonLeDit()
    {
        using Store = RegistryStore;
        const QByteArray chemin = "htmlfile\\shell\\open\\command";
        const auto commandeDuBureau = Store::system().storedValue(Store::HKEY_CLASSES_ROOT, chemin, "");
        QVERIFY(commandeDuBureau);
        const auto remet = qScopeGuard([&] {
            Store::system().putValue(Store::HKEY_CLASSES_ROOT, chemin, "", commandeDuBureau->type,
                                     commandeDuBureau->data);
        });
        Store::system().putValue(Store::HKEY_CLASSES_ROOT, chemin, "", Store::REG_SZ,
                                 QByteArray("/chemin/sans/navigateur %1") + '\0');

        Form2 fenetre;
        fenetre.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fenetre));
        auto *Command2 = fenetre.findChild<QPushButton *>(QStringLiteral("Command2"));
        QTest::mouseClick(Command2, Qt::LeftButton);

        const QString raison =
            QStringLiteral("impossible d'ouvrir https://trevalon.example/ : aucun navigateur n'a pu être démarré");
        const QString enDeuxLignes = QString(raison).replace(QStringLiteral(" : "), QStringLiteral(" :\n"));
        QTRY_COMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), enDeuxLignes);
        QCOMPARE(Command2->toolTip(), enDeuxLignes);

        FauxNavigateur navigateur;
        QVERIFY(navigateur.pret());
        Store::system().putValue(Store::HKEY_CLASSES_ROOT, chemin, "", Store::REG_SZ,
                                 '"' + navigateur.chemin().toLatin1() + "\" %1" + '\0');
        QTest::mouseClick(Command2, Qt::LeftButton);
        QCOMPARE(Command2->toolTip(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(navigateur.appele(), 20000);
    }
};

BANDEPASSANTE_NETWORK_TEST_MAIN(TestFabricant)
#include "tst_fabricant.moc"
