#pragma once

#include <QObject>
#include <QTimer>

class Winsock;

// What an end that sends has really delivered: the bytes of its stream the
// far end has acknowledged (TCP_INFO), where the bytes its system took also
// hold what still waits in the buffers, a second's worth and more at the
// start of a stream. Read every few milliseconds while it runs, for a chart,
// and whenever a per-second clock asks, so that each second gets its bytes.
class Acquittement : public QObject
{
    Q_OBJECT

public:
    static constexpr int PeriodeMs = 50;

    explicit Acquittement(QObject *parent = nullptr);

    // Follows `w`, connected, whose first `horsFlux` bytes are not the
    // stream (a request line); what it had delivered before is not counted.
    void demarre(const Winsock &w, qint64 horsFlux = 0);
    // Counts a last time, then stops.
    void arrete();
    bool actif() const { return w_ != nullptr; }
    // Says through acquittes() what the far end has acknowledged since the
    // last look.
    void releve();
    // Bytes of the stream acknowledged since demarre().
    qint64 total() const { return comptes_; }

signals:
    void acquittes(qint64 octets);

private:
    const Winsock *w_ = nullptr;
    QTimer lecture_;
    qint64 base_ = 0;
    qint64 comptes_ = 0;
};
