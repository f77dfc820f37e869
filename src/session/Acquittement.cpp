#include "session/Acquittement.h"

Acquittement::Acquittement(QObject *parent)
    : QObject(parent)
{
    tic_.setInterval(PeriodeMs);
    connect(&tic_, &QTimer::timeout, this, &Acquittement::releve);
}

void Acquittement::demarre(std::function<qint64()> lecture, qint64 horsFlux)
{
    lecture_ = std::move(lecture);
    comptes_ = 0;
    // Acknowledged before the stream: the request line, or bytes of an
    // earlier follower.
    base_ = std::max(horsFlux, lecture_());
    tic_.start();
}

void Acquittement::arrete()
{
    releve();
    lecture_ = nullptr;
    tic_.stop();
}

void Acquittement::releve()
{
    if (!lecture_)
        return;
    const qint64 n = lecture_() - base_ - comptes_;
    if (n <= 0)
        return;
    comptes_ += n;
    emit acquittes(n);
}
