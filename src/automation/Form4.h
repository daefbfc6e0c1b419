#pragma once

#include "automation/LigneCommande.h"

#include <QColor>
#include <QWidget>

class QLabel;
class QFrame;

// The colours of the light, one per state.
namespace LumiereEtat {
inline const QColor Blanc(255, 255, 255);
inline const QColor Jaune(255, 255, 0);
inline const QColor Vert(0, 255, 0);
inline const QColor Rouge(255, 0, 0);
QColor Couleur(Voyant etat);
} // namespace LumiereEtat

// The small status window of a command-line run: a state text, a light and
// the cache square. It shows and repaints itself at each state, since the
// FTP call that follows blocks the event loop.
class Form4 : public QWidget, public AfficheurEtat {
    Q_OBJECT
public:
    explicit Form4(QWidget *parent = nullptr);

    void Affiche(Voyant lumiere, const QString &texte) override;
    void AfficheCache(bool supprime) override;

    QLabel *Info = nullptr;
    QFrame *rond = nullptr;
    QFrame *Shape1[2] = {nullptr, nullptr}; // green: entry deleted; blue: none
    QColor Lumiere() const { return m_lumiere; }

private:
    void Form_Load();
    void peintLumiere(const QColor &lumiere);
    QColor m_lumiere;
};
