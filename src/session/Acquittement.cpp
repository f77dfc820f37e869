#include "session/Acquittement.h"

#include "protocole/Winsock.h"

Acquittement::Acquittement(QObject *parent)
    : QObject(parent)
{
    lecture_.setInterval(PeriodeMs);
    connect(&lecture_, &QTimer::timeout, this, &Acquittement::releve);
}

void Acquittement::demarre(const Winsock &w, qint64 horsFlux)
{
    w_ = &w;
    comptes_ = 0;
    // Acknowledged before the stream: the request line, or bytes of an
    // earlier follower.
    base_ = std::max(horsFlux, w.Compteurs().octetsAcquittes);
    lecture_.start();
}

void Acquittement::arrete()
{
    releve();
    w_ = nullptr;
    lecture_.stop();
}

void Acquittement::releve()
{
    if (!w_)
        return;
    const qint64 n = w_->Compteurs().octetsAcquittes - base_ - comptes_;
    if (n <= 0)
        return;
    comptes_ += n;
    emit acquittes(n);
}
