#pragma once

#include "browsing/LienGlisser.h"

#include <QObject>
#include <QString>

#include <functional>

class EtatFenetre;
class JournalActivite;
class NavigateurSite;
struct Form1Ui;

// The local pane: the drive list drvLocal, the folder list dirLocal and the
// file list filLocal kept in step, the alternative lists List1 and List3, the
// size of a clicked file and the drags that start here. It links itself to
// the site pane `site`, which a tree folder is dragged from.
class NavigateurLocal : public QObject {
    Q_OBJECT
public:
    NavigateurLocal(Form1Ui &ui, JournalActivite &journal, EtatFenetre &etat, NavigateurSite &site,
                    LienGlisser glisser, QObject *parent = nullptr);
    ~NavigateurLocal() override;

    // Full path of a file of filLocal's folder.
    QString CheminLocal(const QString &nom) const;

    // Handlers
    void drvLocal_Change();
    void dirLocal_Change();
    void dirLocal_MouseDown();
    void dirLocal_MouseMove(Qt::MouseButtons boutons);
    void dirLocal_MouseUp();
    void filLocal_MouseDown();
    void filLocal_MouseMove();
    void filLocal_DblClick();
    void List1_MouseDown();
    void List3_MouseDown();
    void List1_DblClick();
    void List3_DblClick();

    // The local actions (open a file, upload the selected files) run by a
    // double-click; by default they press the buttons BTL(6) and BTL(10).
    std::function<void(int index)> BTL_Click;

private:
    void pointeur(QWidget *w, const QString &image);
    void doubleClic();

    Form1Ui &m_ui;
    JournalActivite &m_journal;
    EtatFenetre &m_etat;
    NavigateurSite &m_site;
    LienGlisser m_glisser;
};
