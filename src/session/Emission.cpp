#include "session/Emission.h"

#include "protocole/Protocole.h"
#include "protocole/Winsock.h"

Emission::Emission(Winsock &w, QObject *parent)
    : QObject(parent)
    , w_(w)
    // The wire sees the same blocks back to back.
    , paquet_(Protocole::BlocMesure().repeated(TailleAppel / Protocole::LongueurBloc))
{
    connect(&w_, &Winsock::EnvoiPossible, this, &Emission::remplit);
}

void Emission::demarre()
{
    active_ = true;
    confies_ = comptes_ = horsFlux_ = 0;
    remplit();
}

qint64 Emission::pris() const
{
    return confies_ - std::max<qint64>(0, w_.EnAttenteEnvoi() - horsFlux_);
}

// Reports what the system has taken since the last look.
void Emission::releve()
{
    const qint64 n = pris() - comptes_;
    if (n <= 0)
        return;
    comptes_ += n;
    emit progression(n);
}

void Emission::remplit()
{
    relance_ = false;
    if (w_.State() == Winsock::sckClosed) {
        active_ = false;
        return;
    }
    releve();
    if (!active_)
        return;
    // While the system takes everything at once, the queue never fills and
    // no readiness signal comes: the filling goes on from the event loop,
    // a bounded amount at a time.
    for (qint64 fournis = 0; fournis < AvanceMax && w_.EnAttenteEnvoi() + paquet_.size() <= AvanceMax;
         fournis += paquet_.size()) {
        if (!w_.SendData(paquet_)) {
            active_ = false;
            return;
        }
        confies_ += paquet_.size();
    }
    if (w_.EnAttenteEnvoi() + paquet_.size() <= AvanceMax && !relance_) {
        relance_ = true;
        QMetaObject::invokeMethod(this, &Emission::remplit, Qt::QueuedConnection);
    }
}

void Emission::termine(const QByteArray &dernier)
{
    releve();
    const qint64 avant = w_.EnAttenteEnvoi();
    active_ = false;
    if (!w_.TermineEnvoi(dernier))
        return;
    // The calls dropped never left.
    confies_ -= avant - (w_.EnAttenteEnvoi() - dernier.size());
    horsFlux_ = dernier.size();
}
