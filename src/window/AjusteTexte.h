#pragma once

#include <QSize>

class QLineEdit;
class QWidget;

// Captions are placed in twips measured for the design's font; with the
// fonts a machine really has, some need more room. A control whose text does
// not fit grows to it, keeping its top-left corner; none ever shrinks.
namespace AjusteTexte {

// What `w` (a QLabel, a check box, a radio or push button) lacks, in pixels,
// to show its whole text; (0, 0) when it fits or has no text.
QSize Manque(const QWidget *w);
// The pixels a line edit lacks to show its whole text.
int ManqueLigne(const QLineEdit *e);
// Grows `w` by what it lacks.
void Agrandit(QWidget *w);

} // namespace AjusteTexte
