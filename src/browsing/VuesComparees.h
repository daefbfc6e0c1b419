#pragma once

#include <QObject>

class EtatFenetre;
class NavigateurSite;
struct Form1Ui;

// The comparison view: RecDelta(0) lists in List1 the local files missing on
// the site, RecDelta(1) lists in List2 the site files missing locally; List1
// and List2 cover filLocal and List4 while it is on. Another click on either
// button returns to the normal lists. No server contact: the names are those
// the two panes show. Hiding List1 alone and clicking asks for the comparison
// again; refused while the site list fills, the shown comparison stays.
class VuesComparees : public QObject {
    Q_OBJECT
public:
    VuesComparees(Form1Ui &ui, EtatFenetre &etat, NavigateurSite &site, QObject *parent = nullptr);

    void RecDelta_Click(int Index);
    void RecDelta_MouseMove(int Index);

private:
    Form1Ui &m_ui;
    EtatFenetre &m_etat;
    NavigateurSite &m_site;
};
