#pragma once

#include <QObject>

class QMainWindow;
struct Form1Ui;

// The main window's resize rules and its two splitter bars (LabMove(0) on the
// site side, LabMove(1) on the local side). Lengths are twips.
class Disposition : public QObject {
    Q_OBJECT
public:
    Disposition(QMainWindow &form, Form1Ui &ui, QObject *parent = nullptr);

    static constexpr double HautDesignBarres = 3150; // design top of LabMove(0)

    // Recomputes the panes, the log area and its buttons, the overlays, the
    // splitter row and the address row from the client area's size.
    void Form_Resize();
    // Gives the window its outer size and lays it out at once, shown or not.
    void AppliqueTaille(double largeur, double hauteur);
    // Widens the window until the site-address box shows its whole text (the
    // two panes share the width, so the box gets half of what is added).
    void ElargitPourAdresse();

    // Splitter bars (index 0 or 1); x and y in twips inside the bar, button
    // and shift as Windows mouse events give them.
    void LabMove_MouseDown(int index, int bouton, int shift, double x, double y);
    void LabMove_MouseMove(int index, int bouton, int shift, double x, double y);
    void LabMove_MouseUp(int index, int bouton, int shift, double x, double y);
    // Start-up: a press at the bar's design place, then a release at `offset`.
    void RestaureBarres(double offset);

    bool eventFilter(QObject *objet, QEvent *evenement) override;

private:
    QMainWindow &m_form;
    Form1Ui &m_ui;
};
