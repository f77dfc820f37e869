#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

// Finishes a connection that its socket control has already let go of: hands
// the system the rest of a call it had started to take, so that the peer
// never sees a call cut, then closes the descriptor. Works from the event
// loop, so a close never freezes the windows, and a reader on the same
// thread (both windows in one program) keeps reading meanwhile. Gives up
// and closes after a while if the peer takes nothing. Deletes itself.
class FinEnvoi : public QObject
{
    Q_OBJECT

public:
    static constexpr int DelaiMaxMs = 10000;

    // Takes over `fd`, already non-blocking: sends `reste` and closes it, at
    // once when the system takes everything now, later otherwise.
    static void Termine(int fd, const QByteArray &reste);

    // Waits, keeping events flowing, until every connection being finished
    // is done or given up: a program calls it before it ends, or the peers
    // would see the rest of a block cut.
    static void AttendTout();

    ~FinEnvoi() override;

private:
    FinEnvoi(int fd, const QByteArray &reste);
    void ecrit();
    void ferme();
    void lache();

    // Connections being finished, in the whole program.
    static inline int enCours_ = 0;

    int fd_;
    QByteArray reste_;
    QSocketNotifier ecriture_;
    QTimer abandon_;
};
