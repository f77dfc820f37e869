// A whole program, started by the tests in a network namespace of its own
// (host B) or beside them: it opens the receiver window, which opens the
// transmitter window, and starts reception.
//
//   hote_recepteur
//       reports ten times a second on stdout, one line each:
//       "recepteur <state of W> <OctetsRecus> <caption of Command1>"
//   hote_recepteur --ferme-en-envoi
//       also transmits to its own receiver (127.0.0.1) and closes the
//       transmitter window once the receiver has measured the stream
//   hote_recepteur --ferme-en-attente ADDRESS
//       also tries to reach ADDRESS and closes the transmitter window after
//       a wait pass
// Before closing the window it prints "fermeture"; the program must end
// inside the close, so "survie" (the close returned) never follows.

#include "SandboxGuard.h"
#include "recepteur/Form1.h"
#include "emetteur/Form2.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

QPushButton *bouton(QWidget *fenetre)
{
    return fenetre->findChild<QPushButton *>(QStringLiteral("Command1"));
}

void ecrit(const QByteArray &ligne)
{
    std::fwrite(ligne.constData(), 1, size_t(ligne.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (!SandboxGuard::requirePrivateNetwork())
        return 2;
    app.setAttribute(Qt::AA_Use96Dpi, true);
    const QStringList arguments = app.arguments().mid(1);

    Form1 form1;
    form1.show();
    Form2 *form2 = form1.form2();
    bouton(&form1)->click();

    QTimer rapport;
    QObject::connect(&rapport, &QTimer::timeout, [&] {
        ecrit("recepteur " + QByteArray::number(form1.EtatReception()) + ' ' + QByteArray::number(form1.OctetsRecus()) + ' ' +
              bouton(&form1)->text().toUtf8());
    });
    rapport.start(100);

    const QString connexion = QString::fromUtf8(Form2::CaptionConnexion);
    QElapsedTimer enAttente;
    QTimer guet;
    auto ferme = [&] {
        guet.stop();
        ecrit("fermeture");
        form2->close();
        ecrit("survie");
    };
    if (arguments.value(0) == QStringLiteral("--ferme-en-envoi")) {
        QObject::connect(&guet, &QTimer::timeout, [&] {
            if (form1.OctetsRecus() > 100000)
                ferme();
        });
    } else if (arguments.value(0) == QStringLiteral("--ferme-en-attente")) {
        form2->findChild<QLineEdit *>(QStringLiteral("AdresseIP"))->setText(arguments.value(1));
        QObject::connect(&guet, &QTimer::timeout, [&] {
            if (bouton(form2)->text() != connexion)
                enAttente.invalidate();
            else if (!enAttente.isValid())
                enAttente.start();
            else if (enAttente.hasExpired(1500))
                ferme();
        });
    }
    if (!arguments.isEmpty()) {
        guet.start(20);
        QMetaObject::invokeMethod(bouton(form2), "click", Qt::QueuedConnection);
    }

    const int fin = app.exec();
    ecrit("fin normale");
    return fin;
}
