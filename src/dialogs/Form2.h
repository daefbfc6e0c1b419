#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <functional>

#include "ftp/SessionDistante.h"
#include "security/Chiffrement.h"

class DirListBox;
class DriveListBox;
class EtatFenetre;
class FileListBox;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QFrame;
class QListWidget;
class QTreeWidget;
struct Form1Ui;

// What the dialog reads and changes in the main window. Any pointer may be null.
struct LiensForm2 {
    QWidget *fenetre = nullptr;        // the parent; its icon is shown beside the fields
    const EtatFenetre *etat = nullptr; // connected: the automation button is usable
    QAction *MconAuto = nullptr;       // the menu's option, kept in step with Check3
    QListWidget *List4 = nullptr;      // the site lists, emptied by OK
    QTreeWidget *trvSiteDir = nullptr;
    DriveListBox *drvLocal = nullptr; // the local views, recorded in and recalled from a memory
    DirListBox *dirLocal = nullptr;
    FileListBox *filLocal = nullptr;
    // "Dernier emplacement": connects with the stored parameters, to the stored folder.
    std::function<void()> Komavant;
};

// The links to the main window's controls and state.
LiensForm2 LiensForm2DeFenetre(QWidget &fenetre, Form1Ui &ui, const EtatFenetre &etat,
                               std::function<void()> komavant);

// The connection dialog: host, user and password, encryption, anonymous login, nine
// connection memories, two start-up options and the last-location button.
// It is loaded afresh for each showing: construct it, adjust
// it (the owner makes Command4 visible and gives it its hint), exec() it, then
// read the session parameters sSite/sUtilisateur/sMotDePasse (and sChiffrement, sProtocole).
// Closing it any other way than OK or the automation button empties them.
//
// OK hides the dialog and sets a wait cursor for the caller's connection
// attempt; the cursor is restored when the dialog is destroyed, so keep the
// dialog alive (e.g. on the stack) until the connection attempt is over.
class Form2 : public QDialog {
    Q_OBJECT
public:
    // Form_Load runs here: the fields come from the settings store.
    explicit Form2(LiensForm2 liens, QWidget *parent = nullptr);
    ~Form2() override;

    struct Souvenir {
        QString nom, utilisateur, motDePasse, site, lecteur, dossier, dossierFichiers;
        Chiffrement chiffrement = Chiffrement::SiDisponible;
        Protocole protocole = Protocole::FTP;
    };
    static constexpr int NombreMemoires = 9;

    // Controls, named by their objectName.
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr;
    QLineEdit *TxtSite = nullptr, *txtUtilisateur = nullptr, *txtMDP = nullptr;
    QCheckBox *chkAnonyme = nullptr;
    QLabel *lblChiffrement = nullptr;
    QComboBox *cboChiffrement = nullptr; // items in the order of enum Chiffrement
    QLabel *lblProtocole = nullptr;
    QComboBox *cboProtocole = nullptr; // "FTP", "SFTP": items in the order of enum Protocole
    std::array<QPushButton *, NombreMemoires> Command1{}; // "Command1(0)".."Command1(8)"
    QCheckBox *Check1 = nullptr;                          // "Modifier"
    QCheckBox *Check2 = nullptr;                          // "Effacer"
    QCheckBox *Check4 = nullptr;                          // "Rester sur le répertoire local"
    QCheckBox *Check3 = nullptr;                          // "Connexion Automatique à l'ouverture"
    QCheckBox *Check5 = nullptr; // "Double clic pour télécharger un fichier (sinon pour l'ouvrir)"
    QLabel *lblConnexions = nullptr;   // "Connexions simultanées :"
    QSpinBox *spnConnexions = nullptr; // 1..10, the Connexions setting
    QPushButton *btnOK = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr;
    QLabel *Image1 = nullptr;
    QFrame *Shape1 = nullptr;

    // Dialog state.
    std::array<Souvenir, NombreMemoires> Souvenirs{};
    bool GarderParametres = false;

    // Handlers (public so that the owner and tests can run them as a click would).
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void btnOK_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command1_Click(int index);
    void chkAnonyme_Click();
    void Check3_MouseUp();
    void Check5_MouseUp();
    // The host text names its protocol ("sftp://", "ftps://"): the choice follows.
    void TxtSite_Change();
    // The person chose a protocol: a host text naming the other one loses its prefix.
    void cboProtocole_Click();

signals:
    // The automation button has closed the dialog; the automation dialog opens.
    void AutomatisationDemandee();

public slots:
    void done(int r) override;

protected:
    void showEvent(QShowEvent *e) override;

private:
    void construit();
    QLayout *construitChamps();
    void construitMemoires();
    QLayout *construitBoutons();
    void connecteControles();
    Chiffrement chiffrementChoisi() const;
    void choisitChiffrement(Chiffrement c);
    void choisitProtocole(Protocole p);
    void dechargeUneFois();
    LiensForm2 m_liens;
    bool m_decharge = false;
    bool m_okEnCours = false;
    // The protocol of the host shown (cboProtocole's), stored and recalled with it.
    Protocole m_protocole = Protocole::FTP;
    bool m_curseurAttente = false;
};
