#pragma once

#include <QRect>
#include <QWidget>

#include <algorithm>
#include <cmath>

// Window geometry is reasoned about in twips, as the window design and the stored
// sizes are: 1/1440 inch, 15 per pixel at 96 dots per inch.
namespace Twips {

inline constexpr int ParPixel = 15;

// The main window's minimum outer size.
inline constexpr double LargeurMinimum = 3700;
inline constexpr double HauteurMinimum = 6165;

inline int EnPixels(double twips) {
    return int(std::lround(twips / ParPixel));
}
// The automation dialogs were drawn with a truncating conversion, which they
// keep: rounding would move the "Effacer." option (at 1810) down one pixel.
inline constexpr int EnPixelsTronques(int twips) {
    return twips / ParPixel;
}
inline QRect RectangleTronque(int gauche, int haut, int largeur, int hauteur) {
    return QRect(EnPixelsTronques(gauche), EnPixelsTronques(haut), EnPixelsTronques(largeur),
                 EnPixelsTronques(hauteur));
}
inline double DePixels(int pixels) {
    return double(pixels) * ParPixel;
}

// Geometry of a child widget, in twips of its parent.
inline double Gauche(const QWidget *w) {
    return DePixels(w->x());
}
inline double Haut(const QWidget *w) {
    return DePixels(w->y());
}
inline double Largeur(const QWidget *w) {
    return DePixels(w->width());
}
inline double Hauteur(const QWidget *w) {
    return DePixels(w->height());
}

// A negative size is refused and the widget keeps its geometry, as Windows
// controls refuse it: the layout then goes on with the next statement.
inline void Place(QWidget *w, double gauche, double haut, double largeur, double hauteur) {
    if (largeur < 0 || hauteur < 0)
        return;
    w->setGeometry(EnPixels(gauche), EnPixels(haut), EnPixels(largeur), EnPixels(hauteur));
}
inline void DefinitGauche(QWidget *w, double gauche) {
    w->move(EnPixels(gauche), w->y());
}
inline void DefinitHaut(QWidget *w, double haut) {
    w->move(w->x(), EnPixels(haut));
}
inline void DefinitLargeur(QWidget *w, double largeur) {
    if (largeur >= 0)
        w->resize(EnPixels(largeur), w->height());
}
inline void DefinitHauteur(QWidget *w, double hauteur) {
    if (hauteur >= 0)
        w->resize(w->width(), EnPixels(hauteur));
}

} // namespace Twips
