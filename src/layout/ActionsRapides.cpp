#include "layout/ActionsRapides.h"

#include "platform/LocalLists.h"
#include "platform/Shell.h"
#include "window/BulleAide.h"
#include "window/Form1Ui.h"
#include "window/Twips.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

ActionsRapides::ActionsRapides(Form1Ui &ui, QObject *parent) : QObject(parent), m_ui(ui) {
    for (auto it = ui.LabBou.cbegin(); it != ui.LabBou.cend(); ++it) {
        it.value()->setMouseTracking(true);
        it.value()->installEventFilter(this);
        m_indices.insert(it.value(), it.key());
    }
}

bool ActionsRapides::eventFilter(QObject *objet, QEvent *evenement) {
    const auto it = m_indices.constFind(objet);
    if (it == m_indices.constEnd())
        return false;
    switch (evenement->type()) {
    case QEvent::Enter:
        LabBou_MouseMove(*it);
        break;
    case QEvent::MouseMove:
        // Kept from the pane behind, which would hide the hint.
        LabBou_MouseMove(*it);
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(evenement)->button() == Qt::LeftButton)
            LabBou_MouseDown(*it);
        return true;
    case QEvent::MouseButtonRelease:
        LabBou_MouseUp(*it);
        return true;
    default:
        break;
    }
    return false;
}

void ActionsRapides::colore(int Index, const QColor &couleur) {
    QLabel *l = m_ui.LabBou.value(Index);
    if (!l)
        return;
    QPalette p = l->palette();
    p.setColor(QPalette::Window, couleur);
    l->setPalette(p);
}

void ActionsRapides::LabBou_MouseMove(int Index) {
    QLabel *l = m_ui.LabBou.value(Index);
    if (!l)
        return;
    BulleAide::RemetActionsRapides(m_ui);
    colore(Index, QColor(0, 0, 255));
    const QWidget *volet = l->parentWidget();
    // "Copie" sits at the window's right: its hint ends where the label begins.
    BulleAide::Montre(m_ui, l, Twips::Gauche(l) + Twips::Gauche(volet),
                      Twips::Haut(l) + Twips::Haut(volet) - 500, volet == m_ui.fraSite);
}

void ActionsRapides::LabBou_MouseDown(int Index) {
    switch (Index) {
    case 0: {
        // A path that does not exist, or an empty box, changes nothing.
        const QString chemin = QDir::cleanPath(m_ui.TCop[0]->text().trimmed());
        if (!chemin.isEmpty() && QFileInfo(chemin).isDir()) {
            m_ui.drvLocal->setDrive(chemin);
            m_ui.dirLocal->setPath(chemin);
        }
        break;
    }
    case 2:
        ShellCourant().OuvreDossier(m_ui.filLocal->Path());
        break;
    case 1:
        ShellCourant().CopieDansPressePapiers(m_ui.TCop[1]->text());
        break;
    default:
        break;
    }
    colore(Index, QColor(255, 0, 0));
}

void ActionsRapides::LabBou_MouseUp(int Index) {
    colore(Index, QColor(0, 0, 128));
}
