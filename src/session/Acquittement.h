#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

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

    // Follows a connection whose acknowledged bytes `lecture` tells (see
    // Winsock::Compteurs), the first `horsFlux` of which are not the stream
    // (a request line); what it had delivered before is not counted.
    void demarre(std::function<qint64()> lecture, qint64 horsFlux = 0);
    // Counts a last time, then stops.
    void arrete();
    bool actif() const { return bool(lecture_); }
    // Says through acquittes() what the far end has acknowledged since the
    // last look.
    void releve();
    // Bytes of the stream acknowledged since demarre().
    qint64 total() const { return comptes_; }

signals:
    void acquittes(qint64 octets);

private:
    std::function<qint64()> lecture_;
    QTimer tic_;
    qint64 base_ = 0;
    qint64 comptes_ = 0;
};
