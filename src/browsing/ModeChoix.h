#pragma once

#include <QColor>

class QWidget;

// The file-pick mode of the automation dialog colours List4 and filLocal red;
// picking ends it by giving both their white background back.
inline const QColor FondModeChoix(255, 0, 0);
inline const QColor FondNormal(255, 255, 255);

// True when the list's background is the pick mode's red.
bool EnModeChoix(const QWidget *liste);
// Sets the background of a list (its base colour).
void DefinitFond(QWidget *liste, const QColor &couleur);
