#pragma once

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>

class InstanceUnique;
class clsFTP;
class Demarrage;
class Disposition;
class GestionConnexion;
class JournalActivite;
class GlisserDeposer;
class NavigateurLocal;
class NavigateurSite;
class Progression;
class TransfertsDossiers;
class ActionsSite;
class ActionsLocales;
class VuesComparees;
class VuesTriees;
class OuvrirAvec;
class Filtre;
class Automatisation;
class EtatFenetre;
struct Form1Ui;

// The main window. Its widgets are built in one place (Form1Ui) and named by
// their objectName; behaviour lives in one controller per responsibility.
// Form_Load is run by the program once the window is constructed.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // Every control, by its name.
    Form1Ui &Ui() { return *m_ui; }

    // Start-up and shutdown
    void Form_Load();
    void Form_Unload();
    void mnuQuitter_Click();
    QString Commande;                   // the command-line argument text
    std::function<void()> FinProgramme; // ends the program after "Quitter"
    int CodeSortie = 0;                 // exit status (of a command-line run)
    QString FichierAide;                // the help file
    std::unique_ptr<InstanceUnique> Instance;

    // The window's state flags and its controllers
    EtatFenetre &etat() { return *m_etat; }
    JournalActivite &journal() { return *m_journal; }
    GestionConnexion &gestionConnexion() { return *m_connexion; }
    Demarrage &demarrage() { return *m_demarrage; }
    Disposition &disposition() { return *m_disposition; }
    NavigateurSite &navigateurSite() { return *m_navSite; }
    NavigateurLocal &navigateurLocal() { return *m_navLocal; }
    GlisserDeposer &glisserDeposer() { return *m_glisser; }
    Progression &progression() { return *m_progression; }
    TransfertsDossiers &transfertsDossiers() { return *m_dossiers; }
    ActionsSite &actionsSite() { return *m_actionsSite; }
    ActionsLocales &actionsLocales() { return *m_actionsLocales; }
    VuesComparees &vuesComparees() { return *m_vuesComparees; }
    VuesTriees &vuesTriees() { return *m_vuesTriees; }
    OuvrirAvec &ouvrirAvec() { return *m_ouvrirAvec; }
    Filtre &filtre() { return *m_filtre; }
    Automatisation &automatisation() { return *m_automatisation; }

    // The program-wide FTP session (oFTP), owned by this window.
    void CreeSessionFTP();
    void LibereSessionFTP();

protected:
    void closeEvent(QCloseEvent *evenement) override;

private:
    bool attendFinOperation(void (Form1::*reprise)());
    void fermeApresOperation();
    void drvLocal_Change();
    void dirLocal_Change();
    void Vert_Click(int Index);

    std::unique_ptr<Form1Ui> m_ui;
    std::unique_ptr<EtatFenetre> m_etat;
    std::unique_ptr<JournalActivite> m_journal;
    std::unique_ptr<Disposition> m_disposition;
    std::unique_ptr<GestionConnexion> m_connexion;
    std::unique_ptr<Demarrage> m_demarrage;
    std::unique_ptr<GlisserDeposer> m_glisser;
    std::unique_ptr<NavigateurSite> m_navSite;
    std::unique_ptr<NavigateurLocal> m_navLocal;
    std::unique_ptr<Progression> m_progression;
    std::unique_ptr<TransfertsDossiers> m_dossiers;
    std::unique_ptr<ActionsSite> m_actionsSite;
    std::unique_ptr<ActionsLocales> m_actionsLocales;
    std::unique_ptr<VuesComparees> m_vuesComparees;
    std::unique_ptr<VuesTriees> m_vuesTriees;
    std::unique_ptr<OuvrirAvec> m_ouvrirAvec;
    std::unique_ptr<Filtre> m_filtre;
    std::unique_ptr<Automatisation> m_automatisation;
    std::unique_ptr<clsFTP> m_ftp;
    bool m_decharge = false;
    void (Form1::*m_reprise)() = nullptr; // close or quit, once the FTP call is over
};
