#include "window/EtatFenetre.h"

void EtatFenetre::DefinitModeChoix(bool actif) {
    m_modeChoix = actif;
    emit ModeChoixChange(actif);
}
