#pragma once

#include "ftp/SessionDistante.h"
#include "mainwindow/Programme.h"

#include <QMainWindow>

#include <memory>

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
struct LiensForm2;

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

    // Start-up, and the run's command line, end and help file.
    void Form_Load();
    Programme &programme() { return m_programme; }

    // The window's state flags and its controllers
    EtatFenetre &etat() { return *m_etat; }
    JournalActivite &journal() { return *m_journal; }
    GestionConnexion &gestionConnexion() { return *m_connexion; }
    Disposition &disposition() { return *m_disposition; }
    NavigateurSite &navigateurSite() { return *m_navSite; }
    NavigateurLocal &navigateurLocal() { return *m_navLocal; }
    GlisserDeposer &glisserDeposer() { return *m_glisser; }
    Progression &progression() { return *m_progression; }
    ActionsSite &actionsSite() { return *m_actionsSite; }
    ActionsLocales &actionsLocales() { return *m_actionsLocales; }
    Automatisation &automatisation() { return *m_automatisation; }

    // The program-wide session (oFTP), owned by this window; an FTP one.
    void CreeSessionFTP();
    // Replaces the session by a new, unconnected one speaking `protocole`
    // (the connection code asks when the chosen protocol is not the
    // session's); false, with the reason, when none can be made or a call is
    // running on the current one.
    bool ChangeSession(Protocole protocole, QString &raison);

protected:
    void closeEvent(QCloseEvent *evenement) override;

private:
    void Form_Unload();
    void mnuQuitter_Click();
    void LibereSessionFTP();
    void lieDemarrageEtConnexion();
    bool attendFinOperation(void (Form1::*reprise)());
    void fermeApresOperation();

    Programme m_programme;
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
    std::unique_ptr<SessionDistante> m_ftp;
    bool m_decharge = false;
    void (Form1::*m_reprise)() = nullptr; // close or quit, once the FTP call is over
};

// The links of a connection dialog shown over this window.
LiensForm2 LiensDialogueConnexion(Form1 &fenetre);
