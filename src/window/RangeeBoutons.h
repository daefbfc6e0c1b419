#pragma once

#include <QHash>
#include <QMap>
#include <QObject>

#include <functional>

class QToolButton;
struct Form1Ui;

// A row of action buttons: a click on button i calls clic(i), and the mouse
// entering or moving over it calls survol(i), which shows its hint.
class RangeeBoutons : public QObject {
public:
    RangeeBoutons(const QMap<int, QToolButton *> &boutons, std::function<void(int)> clic,
                  std::function<void(int)> survol, QObject *parent);
    bool eventFilter(QObject *objet, QEvent *evenement) override;

private:
    QHash<QObject *, int> m_indices;
    std::function<void(int)> m_survol;
};

// Shows the hint of `bouton` (its "Tag") 500 twips below the button's top,
// starting at `gauche` (twips); the hint box keeps it inside the window.
void MontreBulle(Form1Ui &ui, const QToolButton *bouton, double gauche);
