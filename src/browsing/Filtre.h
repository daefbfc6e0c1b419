#pragma once

#include <QObject>

class GestionConnexion;
class NavigateurSite;
struct Form1Ui;

// The remote-list filter: "Filtrer" (Command7) keeps in List4 the names that
// contain Text1's text, ignoring case, and in List5 their paths, so that the
// two lists still correspond by position; "Reset" (Command8) lists the folder
// again. Filtering again narrows further.
class Filtre : public QObject {
    Q_OBJECT
public:
    Filtre(Form1Ui &ui, NavigateurSite &site, GestionConnexion &connexion,
           QObject *parent = nullptr);

    void Command7_Click();
    void Command8_Click();

private:
    Form1Ui &m_ui;
    NavigateurSite &m_site;
    GestionConnexion &m_connexion;
};
