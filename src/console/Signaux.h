#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// Brings SIGINT (Ctrl-C) and SIGTERM onto the event loop, where a
// measurement can be closed and summarised cleanly. Each of them is caught
// once: the same signal again ends the program the system's way, should the
// clean end ever hang. One instance per program.
class Signaux : public QObject
{
    Q_OBJECT

public:
    Signaux();
    ~Signaux() override;

signals:
    void interruption(int numero);

private:
    static void recoit(int numero);
    void lit();

    std::unique_ptr<QSocketNotifier> notificateur_;
};
