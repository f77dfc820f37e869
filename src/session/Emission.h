#pragma once

#include "protocole/Protocole.h"

#include <QByteArray>
#include <QObject>

class Winsock;

// Streams the measurement blocks on a connected TCP control, paced by the
// socket's readiness and from the event loop: it never waits inside
// SendData(), so the other connections and the windows of the thread keep
// running. Counts the bytes of the stream the system has taken.
class Emission : public QObject
{
    Q_OBJECT

public:
    // Bytes queued ahead of the system at most: small enough that the last
    // line after the stream follows within moments.
    static constexpr qint64 AvanceMax = 1024 * 1024;
    // Bytes handed to the system at each call: 64 blocks.
    static constexpr qint64 TailleAppel = 64 * Protocole::LongueurBloc;

    explicit Emission(Winsock &w, QObject *parent = nullptr);

    void demarre();
    // No more blocks: the calls not yet started are dropped, `dernier`
    // follows the last whole block, and our side of the connection ends.
    void termine(const QByteArray &dernier = {});
    // Stops without a word, for a connection being closed.
    void arrete() { active_ = false; }
    bool active() const { return active_; }
    // Bytes of the stream the system has taken since demarre().
    qint64 pris() const;
    // Says through progression() what the system has taken since the last
    // look (a per-second clock asks just before it closes a second).
    void releve();

signals:
    // The system has taken `octets` more bytes of the stream.
    void progression(qint64 octets);

private:
    void remplit();

    Winsock &w_;
    const QByteArray paquet_;
    bool active_ = false;
    bool relance_ = false;
    qint64 confies_ = 0;
    // Queued bytes that are not the stream (the last line).
    qint64 horsFlux_ = 0;
    qint64 comptes_ = 0;
};
