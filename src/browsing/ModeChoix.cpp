#include "browsing/ModeChoix.h"

#include <QPalette>
#include <QWidget>

bool EnModeChoix(const QWidget *liste) {
    return liste && liste->palette().color(QPalette::Base) == FondModeChoix;
}

void DefinitFond(QWidget *liste, const QColor &couleur) {
    if (!liste)
        return;
    QPalette p = liste->palette();
    p.setColor(QPalette::Base, couleur);
    liste->setPalette(p);
}
