#include "console/Commande.h"

void Commande::termine(int code)
{
    if (fini_)
        return;
    fini_ = true;
    emit fini(code);
}
