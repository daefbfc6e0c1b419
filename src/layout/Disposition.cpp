#include "layout/Disposition.h"

#include "about/PanneauInfo.h"
#include "platform/LocalLists.h"
#include "settings/Reglages.h"
#include "window/AjusteTexte.h"
#include "window/Form1Ui.h"
#include "window/Twips.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

#include <cmath>

using namespace Twips;

Disposition::Disposition(QMainWindow &form, Form1Ui &ui, QObject *parent)
    : QObject(parent), m_form(form), m_ui(ui) {
    m_ui.centre->installEventFilter(this);
    for (QLabel *barre : {m_ui.LabMove[0], m_ui.LabMove[1]})
        barre->installEventFilter(this);
}

bool Disposition::eventFilter(QObject *objet, QEvent *evenement) {
    if (objet == m_ui.centre) {
        if (evenement->type() == QEvent::Resize)
            Form_Resize();
        return false;
    }
    const int index = objet == m_ui.LabMove[0] ? 0 : objet == m_ui.LabMove[1] ? 1 : -1;
    if (index < 0)
        return false;
    const auto souris = [](QEvent *e) { return static_cast<QMouseEvent *>(e); };
    const auto bouton = [](Qt::MouseButtons b) {
        return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) |
               (b & Qt::MiddleButton ? 4 : 0);
    };
    const auto shift = [](Qt::KeyboardModifiers m) {
        return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
               (m & Qt::AltModifier ? 4 : 0);
    };
    switch (evenement->type()) {
    case QEvent::MouseButtonPress: {
        QMouseEvent *e = souris(evenement);
        LabMove_MouseDown(index, bouton(e->button()), shift(e->modifiers()),
                          DePixels(e->position().toPoint().x()),
                          DePixels(e->position().toPoint().y()));
        return true;
    }
    case QEvent::MouseMove: {
        QMouseEvent *e = souris(evenement);
        LabMove_MouseMove(index, bouton(e->buttons()), shift(e->modifiers()),
                          DePixels(e->position().toPoint().x()),
                          DePixels(e->position().toPoint().y()));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        QMouseEvent *e = souris(evenement);
        LabMove_MouseUp(index, bouton(e->button()), shift(e->modifiers()),
                        DePixels(e->position().toPoint().x()),
                        DePixels(e->position().toPoint().y()));
        return true;
    }
    default:
        return false;
    }
}

void Disposition::AppliqueTaille(double largeur, double hauteur) {
    m_form.resize(EnPixels(largeur), EnPixels(hauteur));
    // A hidden window is laid out only when shown; the splitter restore that
    // follows at start-up needs the real pane heights now.
    if (m_form.layout())
        m_form.layout()->setGeometry(m_form.rect());
    Form_Resize();
}

void Disposition::ElargitPourAdresse() {
    const int manque = AjusteTexte::ManqueLigne(m_ui.TCop[1]);
    if (manque > 0)
        AppliqueTaille(DePixels(m_form.width() + 2 * manque + 2), DePixels(m_form.height()));
}

namespace {

// 2-3. The log area keeps its height and follows the bottom.
void placeJournal(Form1Ui &u, double largeurInterne, double basJournal) {
    DefinitHaut(u.fraAction, basJournal - Hauteur(u.fraAction) - 60);
    DefinitLargeur(u.fraAction, largeurInterne - 120);
    DefinitLargeur(u.TxtAction, Largeur(u.fraAction) - 1800 - Gauche(u.TxtAction));
}

// 4-6. Two panes of equal width above it, and their columns.
void placeVolets(Form1Ui &u, double largeurInterne) {
    const double hautAction = Haut(u.fraAction);
    DefinitHauteur(u.fraLocal, hautAction - 60);
    DefinitHauteur(u.fraSite, hautAction - 60);
    const double largeurVolet = (largeurInterne - 240) / 2;
    DefinitLargeur(u.fraLocal, largeurVolet);
    DefinitGauche(u.fraSite, Largeur(u.fraLocal) + 180);
    DefinitLargeur(u.fraSite, Largeur(u.fraLocal));

    // Local column.
    DefinitLargeur(u.drvLocal, Largeur(u.fraLocal) - 240);
    DefinitLargeur(u.dirLocal, Largeur(u.drvLocal));
    DefinitLargeur(u.filLocal, Largeur(u.drvLocal));
    DefinitHauteur(u.filLocal, Hauteur(u.fraLocal) - Haut(u.filLocal) - 300);

    // Site column.
    DefinitLargeur(u.trvSiteDir, Largeur(u.drvLocal));
    DefinitLargeur(u.List4, Largeur(u.drvLocal));
    DefinitHauteur(u.List4, Hauteur(u.filLocal));
}

// 7. Buttons beside the log.
void placeBoutonsJournal(Form1Ui &u) {
    const double gaucheBoutons = Gauche(u.TxtAction) + Largeur(u.TxtAction) + 100;
    DefinitGauche(u.Command1, gaucheBoutons);
    DefinitGauche(u.Command3, gaucheBoutons);
    DefinitGauche(u.Command2, gaucheBoutons);
    DefinitGauche(u.Command4, Gauche(u.Command3) + Largeur(u.Command3) + 15);
    DefinitGauche(u.Command6, Gauche(u.Command1) + Largeur(u.Command1) + 15);
    DefinitGauche(u.Check1, Gauche(u.Command6) + Largeur(u.Command6) - Largeur(u.Check1));
}

// 10. Splitter row.
void placeRangeePartage(Form1Ui &u) {
    DefinitGauche(u.LabMove[0], Gauche(u.Vert[3]) + Largeur(u.RecDelta[1]));
    DefinitGauche(u.LabMove[1], Gauche(u.Vert[4]) + Largeur(u.Vert[2]));
    DefinitLargeur(u.LabMove[0], Largeur(u.fraSite));
    DefinitLargeur(u.LabMove[1], Largeur(u.fraLocal));
    DefinitGauche(u.Text1, Gauche(u.Vert[3]) + 1300);
    DefinitGauche(u.Command7, Gauche(u.Text1) + Largeur(u.Text1) + 20);
    DefinitGauche(u.Command8, Gauche(u.Command7) + 765);
}

// 11-12. Address row, with its quick-action labels at the end.
void placeRangeeAdresse(Form1Ui &u) {
    DefinitHaut(u.TCop[0], Haut(u.List4) + Hauteur(u.List4) + 30);
    DefinitHaut(u.TCop[1], Haut(u.TCop[0]));
    DefinitLargeur(u.TCop[0], Largeur(u.List4) - Largeur(u.LabBou[0]) - 75 - Largeur(u.LabBou[2]));
    DefinitLargeur(u.TCop[1], Largeur(u.List4) - Largeur(u.LabBou[1]) - 50);

    DefinitHaut(u.LabBou[0], Haut(u.TCop[0]));
    DefinitHaut(u.LabBou[1], Haut(u.TCop[1]));
    DefinitHaut(u.LabBou[2], Haut(u.TCop[1]));
    DefinitGauche(u.LabBou[0], Largeur(u.List4) - Largeur(u.LabBou[0]) - Largeur(u.LabBou[2]) + 50);
    DefinitGauche(u.LabBou[1], Largeur(u.List4) - Largeur(u.LabBou[1]) + 100);
    DefinitGauche(u.LabBou[2], Largeur(u.List4) - Largeur(u.LabBou[0]) + 100);
    // The labels stand taller than the boxes: at the pane's bottom edge they
    // lose the rows that would be cut, keeping their text inside the pane.
    const double HauteurActionRapide = 285;
    for (QLabel *l : std::as_const(u.LabBou)) {
        const double reste = Hauteur(l->parentWidget()) - Haut(l);
        if (reste > 0)
            DefinitHauteur(l, std::min(HauteurActionRapide, reste));
    }
}

} // namespace

void Disposition::Form_Resize() {
    Form1Ui &u = m_ui;
    // The status bar is inside the client area, as the design's was.
    const double largeurInterne = DePixels(u.centre->width());
    const double barre = u.stbEtat->isVisibleTo(&m_form) ? Hauteur(u.stbEtat) : 0;
    const double hauteurInterne = DePixels(u.centre->height()) + barre;

    // 1. The minimum outer size. A window manager keeps it from the window's
    // size hints, but without one the window system's resize arrives as is:
    // the window asks to be made larger again (laid out anew when it is).
    const QSize minimum(EnPixels(LargeurMinimum), EnPixels(HauteurMinimum));
    if (m_form.width() < minimum.width() || m_form.height() < minimum.height())
        m_form.resize(m_form.size().expandedTo(minimum));

    placeJournal(u, largeurInterne, hauteurInterne - barre);
    placeVolets(u, largeurInterne);
    placeBoutonsJournal(u);

    // 8. The information panel, while it is shown.
    if (u.Frame3->isVisibleTo(&m_form)) {
        PanneauInfo::Ajuste(u);
        // The scrolling icon goes on from the new right edge.
        u.Image3->move(u.Frame3->width(), u.Image3->y());
    }

    // 9. The alternative lists cover the normal ones exactly.
    for (QListWidget *l : {u.List1, u.List3})
        l->setGeometry(u.filLocal->geometry());
    u.List2->setGeometry(u.List4->geometry());

    placeRangeePartage(u);
    placeRangeeAdresse(u);
}

void Disposition::LabMove_MouseDown(int, int, int, double, double y) {
    // Both bars record on LabMove(0): where its top would be for y = 0.
    DefinitTag(m_ui.LabMove[0], QString::number(Haut(m_ui.LabMove[0]) - y));
}

void Disposition::LabMove_MouseMove(int, int, int, double, double) {
    m_ui.ttt->hide();
}

void Disposition::LabMove_MouseUp(int, int, int, double, double y) {
    Form1Ui &u = m_ui;
    bool ok = false;
    const double depart = Tag(u.LabMove[0]).toDouble(&ok);
    if (!ok)
        return; // no press recorded
    const double P = depart + y;
    // The tree must keep more than 1000 twips...
    if (!(P - Haut(u.trvSiteDir) > 1000))
        return;
    // ...and so must the file lists.
    const int T = int(std::lround(P));
    if (!(Hauteur(u.fraSite) - T + Hauteur(u.LabMove[0]) - 200 > 1000))
        return;

    DefinitHaut(u.List4, T + Hauteur(u.LabMove[0]));
    DefinitHaut(u.LabMove[0], T);
    DefinitHaut(u.LabMove[1], T);
    DefinitHauteur(u.trvSiteDir, T - Haut(u.trvSiteDir) - 70);

    for (QWidget *w : {static_cast<QWidget *>(u.LabNB[0]), static_cast<QWidget *>(u.LabNB[1]),
                       static_cast<QWidget *>(u.RecDelta[0]), static_cast<QWidget *>(u.RecDelta[1]),
                       static_cast<QWidget *>(u.Command7), static_cast<QWidget *>(u.Command8),
                       static_cast<QWidget *>(u.Vert[0]), static_cast<QWidget *>(u.Vert[1]),
                       static_cast<QWidget *>(u.Vert[2]), static_cast<QWidget *>(u.Vert[4])})
        DefinitHaut(w, T);
    DefinitHaut(u.Vert[3], Haut(u.RecDelta[1]));
    DefinitHaut(u.Text1, T - 10);

    DefinitHaut(u.dirLocal, Haut(u.trvSiteDir) + Hauteur(u.drvLocal) + 200);
    DefinitHaut(u.filLocal, Haut(u.List4));
    DefinitHauteur(u.filLocal, Hauteur(u.List4));
    DefinitHauteur(u.dirLocal, Hauteur(u.trvSiteDir) - (Hauteur(u.drvLocal) + 200));

    Form_Resize();
    Reglages::Ecrit(Reglages::PosLM, QString::number(T - int(HautDesignBarres)));
}

void Disposition::RestaureBarres(double offset) {
    LabMove_MouseDown(0, 0, 0, 0, 0);
    LabMove_MouseUp(0, 0, 0, 0, offset);
}
