// The maker's button of the transmitter window, through the whole chain: the
// click, the browser command read from the program's registry and cleaned of
// its placeholders, and the program started with the maker's address.

#include "FauxNavigateur.h"
#include "SandboxGuard.h"
#include "registre/RegistryStore.h"
#include "emetteur/Form2.h"

#include <QApplication>
#include <QPushButton>
#include "emetteur/Bulle.h"
#include <QtTest>

#include <memory>
#include <optional>

namespace {

using Store = RegistryStore;
const QByteArray CheminCommande = "htmlfile\\shell\\open\\command";

void poseCommande(const QByteArray &commande)
{
    Store::system().putValue(Store::HKEY_CLASSES_ROOT, CheminCommande, "", Store::REG_SZ, commande + '\0');
}

}

class TestFabricant : public QObject
{
    Q_OBJECT

    std::optional<Store::StoredValue> commandeDuBureau;
    std::unique_ptr<Form2> fenetre;
    QPushButton *Command2 = nullptr;

private slots:
    void init()
    {
        commandeDuBureau = Store::system().storedValue(Store::HKEY_CLASSES_ROOT, CheminCommande, "");
        QVERIFY(commandeDuBureau);
        fenetre = std::make_unique<Form2>();
        fenetre->show();
        QVERIFY(QTest::qWaitForWindowExposed(fenetre.get()));
        Command2 = fenetre->findChild<QPushButton *>(QStringLiteral("Command2"));
        QVERIFY(Command2);
    }

    // The command is put back as the desktop gave it, whatever happened.
    void cleanup()
    {
        fenetre.reset();
        if (commandeDuBureau)
            Store::system().putValue(Store::HKEY_CLASSES_ROOT, CheminCommande, "", commandeDuBureau->type,
                                     commandeDuBureau->data);
    }

    void leBoutonOuvreLaPageDuFabricant()
    {
        FauxNavigateur navigateur;
        QVERIFY(navigateur.pret());
        // A quoted path with blanks, then both placeholders to be removed.
        poseCommande('"' + navigateur.chemin().toLatin1() + "\" -nohome %1");
        QTest::mouseClick(Command2, Qt::LeftButton);

        QTRY_VERIFY_WITH_TIMEOUT(navigateur.appele(), 20000);
        QCOMPARE(navigateur.arguments(), QStringList{QStringLiteral("https://trevalon.example/")});
        QCOMPARE(Command2->toolTip(), QString());
    }

    // With no program to start, the button says so in a balloon at itself,
    // and the next press that starts one withdraws it.
    void sansNavigateurLeBoutonLeDit()
    {
        poseCommande("/chemin/sans/navigateur %1");
        QTest::mouseClick(Command2, Qt::LeftButton);

        const QString raison =
            QStringLiteral("impossible d'ouvrir https://trevalon.example/ : aucun navigateur n'a pu être démarré");
        const QString enDeuxLignes = QString(raison).replace(QStringLiteral(" : "), QStringLiteral(" :\n"));
        QTRY_COMPARE(Bulle::Texte(), enDeuxLignes);
        QCOMPARE(Command2->toolTip(), enDeuxLignes);

        FauxNavigateur navigateur;
        QVERIFY(navigateur.pret());
        poseCommande('"' + navigateur.chemin().toLatin1() + "\" %1");
        QTest::mouseClick(Command2, Qt::LeftButton);
        QCOMPARE(Command2->toolTip(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(navigateur.appele(), 20000);
    }
};

BANDEPASSANTE_NETWORK_TEST_MAIN(TestFabricant)
#include "tst_fabricant.moc"
