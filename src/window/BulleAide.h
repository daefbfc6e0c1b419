#pragma once

#include <QHash>
#include <QObject>

class QWidget;
struct Form1Ui;

// The window's own hint box: the light-yellow frame ttt and its label LTTT.
// Every hinted control shows its Tag through Montre; the box stays up until
// the pointer passes over a control of the hiding table (the file lists, the
// pane backgrounds, the splitter bars, the window background, the box itself).
// The image buttons and quick-action labels also carry their hint text as
// their accessible name, kept in step with their Tag.
class BulleAide : public QObject {
public:
    explicit BulleAide(Form1Ui &ui, QObject *parent = nullptr);
    bool eventFilter(QObject *objet, QEvent *evenement) override;

    // Shows the hint of `controle` with the box's top-left corner at
    // (gauche, haut), twips of the client area. The box widens to its text and
    // is kept inside the client area, so a hint near an edge is never cut.
    // With finADroite, `gauche` is where the box ends instead of where it starts.
    static void Montre(Form1Ui &ui, const QWidget *controle, double gauche, double haut,
                       bool finADroite = false);
    static void Cache(Form1Ui &ui);
    // The three quick-action labels back to navy.
    static void RemetActionsRapides(Form1Ui &ui);

private:
    enum Effet { CacheBulle = 1, Marine = 2 };
    void surveille(QWidget *w, int effets);

    Form1Ui &m_ui;
    QHash<QObject *, int> m_effets;
};
