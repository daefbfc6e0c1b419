#include "mainwindow/Demarrage.h"

#include "automation/Form4.h"
#include "automation/LigneCommande.h"
#include "connection/GestionConnexion.h"
#include "dialogs/Form2.h"
#include "ftp/SessionDistante.h"
#include "layout/Disposition.h"
#include "mainwindow/Programme.h"
#include "platform/Dossiers.h"
#include "platform/InstanceUnique.h"
#include "platform/LocalLists.h"
#include "security/Trousseau.h"
#include "settings/Reglages.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/Globales.h"
#include "window/JournalActivite.h"
#include "window/Twips.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

Demarrage::Demarrage(QMainWindow &fenetre, Programme &programme, Form1Ui &ui,
                     JournalActivite &journal, EtatFenetre &etat, GestionConnexion &connexion,
                     Disposition &disposition, QObject *parent)
    : QObject(parent), m_fenetre(fenetre), m_programme(programme), m_ui(ui), m_journal(journal),
      m_etat(etat), m_connexion(connexion), m_disposition(disposition) {
    // Through the window, which waits for a running FTP call before quitting.
    connect(m_ui.mnuQuitter, &QAction::triggered, this, &Demarrage::Command2_Click);
    connect(m_ui.Command2, &QPushButton::clicked, this, &Demarrage::Command2_Click);
}

bool Demarrage::ModeLigneDeCommande(const QString &commande) {
    return !commande.isEmpty() && commande.back().isDigit() && commande.back().unicode() < 128;
}

void Demarrage::stockeIndices() {
    const struct {
        QMap<int, QToolButton *> Form1Ui::*tableau;
        int indice;
        const char *texte;
    } indices[] = {
        {&Form1Ui::BTL, 1, "Remonter d'un niveau"},
        {&Form1Ui::BTs, 1, "Remonter d'un niveau"},
        {&Form1Ui::BTL, 2, "Creer un dossier"},
        {&Form1Ui::BTs, 2, "Creer un dossier"},
        {&Form1Ui::BTL, 3, "Renommer le fichier"},
        {&Form1Ui::BTs, 3, "Renommer le fichier"},
        {&Form1Ui::BTL, 4, "Supprimer le fichier"},
        {&Form1Ui::BTs, 4, "Supprimer le fichier"},
        {&Form1Ui::BTL, 5, "Supprimer le dossier"},
        {&Form1Ui::BTs, 5, "Supprimer le dossier"},
        {&Form1Ui::BTL, 6, "Ouvrir le fichier"},
        {&Form1Ui::BTs, 6, "Télécharger pour voir le fichier"},
        {&Form1Ui::BTL, 10, "Copier les fichiers sélectionnés sur le serveur"},
        {&Form1Ui::BTL, 11, "Recharger les listes de gauche"},
        {&Form1Ui::BTs, 10, "Télécharger les fichiers sélectionnés"},
        {&Form1Ui::BTs, 11, "Effacer le cache"},
    };
    for (const auto &i : indices)
        DefinitTag((m_ui.*(i.tableau)).value(i.indice), QString::fromUtf8(i.texte));
}

void Demarrage::Form_Load() {
    // Every step stands alone: one that can't be done is skipped, as a missing
    // setting leaves the control at its design value.
    m_ui.Timer2->start();

    // 1. Another instance running?
    m_programme.Instance = std::make_unique<InstanceUnique>();
    InstancePrecedente = m_programme.Instance->AutreInstance() ? -1 : 0;

    // 2. A recorded transfer asked for on the command line.
    if (ModeLigneDeCommande(m_programme.Commande)) {
        executeLigneDeCommande();
        return;
    }

    prepareControles(); // 3 to 11
    restaureTaille();   // 12 and 13

    // 14. Automatic connection, or the dialog at the end.
    const bool ouvrirDialogue = !m_ui.MconAuto->isChecked();
    if (!ouvrirDialogue) {
        m_fenetre.show();
        QCoreApplication::processEvents();
        m_connexion.ConnexionDemarrage();
    }

    // 15.
    m_connexion.AfficheEtatConnexion(m_etat.CO());

    // 16.
    afficheAdresseSite();

    // 17.
    QCoreApplication::processEvents();
    m_fenetre.show();

    // 18.
    if (ouvrirDialogue)
        ouvreDialogueConnexion();
}

// Runs the transfer, shows its end state for four seconds, ends the program.
void Demarrage::executeLigneDeCommande() {
    CreeSessionFTP();
    auto *etat = new Form4(&m_fenetre);
    // The slot's protocol: an SFTP slot needs the window's session replaced.
    QString raison;
    if (!ChangeSession(ProtocoleDuTransfert(m_programme.Commande), raison)) {
        etat->Affiche(Voyant::Rouge, QStringLiteral("Echec à la connexion."));
        etat->Affiche(Voyant::Rouge, QStringLiteral("Raison : ") + raison);
        m_programme.CodeSortie = 1;
    } else {
        short cacheVide = 0;
        m_programme.CodeSortie =
            ExecuteLigneCommande(m_programme.Commande, *oFTP, *etat, cacheVide);
    }
    m_ui.Timer3->start();
    m_fenetre.hide();
    QCoreApplication::processEvents();
}

void Demarrage::prepareControles() {
    // 3. The reload picture on the other refresh buttons.
    const QIcon recharger = m_ui.BTL.value(11)->icon();
    for (QToolButton *b : {m_ui.Vert.value(2), m_ui.Vert.value(3), m_ui.BTs.value(0)})
        b->setIcon(recharger);

    // 4. Help file.
    m_programme.FichierAide = AideFichier();

    // 5. The FTP session.
    CreeSessionFTP();

    // 6. Status, and where the passwords are kept.
    m_journal.AfficheDeconnecte();
    // The keyring answers in the background; what it has to say comes later.
    Trousseau::SurAlerte(&m_fenetre,
                         [this](const QString &ligne) { m_journal.Ecrit(ligne, "Am"); });

    // 7. Options.
    m_ui.MconAuto->setChecked(Reglages::LitBooleen(Reglages::ConAuto));
    bool ok = false;
    const double recAuto = Reglages::LitNombre(Reglages::RecAuto, &ok);
    m_ui.Check1->setChecked(ok && recAuto == 1);
    bool dbcOk = false;
    const bool dbc = Reglages::LitBooleen(Reglages::DBC, &dbcOk);
    if (dbcOk)
        DoubleClicOuvre = dbc;

    // 8. Local views (a drive or folder that no longer exists is ignored).
    // Until one is saved, the user's home: the program's folder is no place
    // to work in (/usr/bin once installed).
    const auto dossierLocal = [](const Reglages::Cle &c) {
        return Reglages::Lit(QString::fromUtf8(c.section), QString::fromUtf8(c.nom),
                             QDir::homePath());
    };
    m_ui.drvLocal->setDrive(dossierLocal(Reglages::DrvLoc));
    m_ui.dirLocal->setPath(dossierLocal(Reglages::DirLoc));
    m_ui.filLocal->setPath(dossierLocal(Reglages::FilLoc));

    // 9. Local file count.
    m_ui.AfficheNombreLocal();

    // 10. Hints of the action buttons.
    stockeIndices();

    // 11. Information panel.
    Twips::DefinitGauche(m_ui.Frame3, 45);
}

void Demarrage::restaureTaille() {
    // 12. Window size.
    bool largeurOk = false, hauteurOk = false;
    double largeur = Reglages::LitNombre(Reglages::PosW, &largeurOk);
    double hauteur = Reglages::LitNombre(Reglages::PosH, &hauteurOk);
    if (!largeurOk)
        largeur = Twips::DePixels(m_fenetre.width());
    if (!hauteurOk)
        hauteur = Twips::DePixels(m_fenetre.height());
    m_disposition.AppliqueTaille(largeur, hauteur);

    // 13. Splitter: a press at the design place, a release at the saved offset.
    bool lmOk = false;
    const double offset = Reglages::LitNombre(Reglages::PosLM, &lmOk);
    m_disposition.RestaureBarres(lmOk ? offset : 0);
}

// 16. The site's web address.
void Demarrage::afficheAdresseSite() {
    const QString adresse = Reglages::Lit(Reglages::ADSITE);
    m_ui.TCop[1]->setText(adresse.isEmpty()
                              ? QStringLiteral("Double-Cliquez pour modifier l'adresse du site...")
                              : adresse);
    m_ui.TCop[1]->setCursorPosition(0);
    // At the very first start the window opens wide enough for the invitation.
    if (adresse.isEmpty() && Reglages::Lit(QStringLiteral("pos"), QStringLiteral("w")).isEmpty())
        m_disposition.ElargitPourAdresse();
}

// 18. The connection dialog, with its last-location button.
void Demarrage::ouvreDialogueConnexion() {
    Form2 &dialogue = m_connexion.PrepareDialogue();
    dialogue.Command4->setVisible(true);
    dialogue.Command4->setToolTip(Reglages::Lit(Reglages::TxtSite) +
                                  Reglages::Lit(Reglages::PathSite));
    m_connexion.Command1_Click();
}

void Demarrage::Form_Unload() {
    m_connexion.ArreteBoucle();
    m_ui.Timer2->stop();

    // 1. Closes the connection.
    LibereSessionFTP();

    // 2. Nothing is saved after a command-line run.
    if (!m_programme.Commande.isEmpty())
        return;
    Reglages::Groupe groupe; // one rewrite of the settings file

    // 3. The remote folder, when one is selected.
    const QString dossier = m_ui.CleNoeudSelectionne();
    if (!dossier.isEmpty())
        Reglages::Ecrit(Reglages::PathSite, dossier);

    // 4. Local views.
    Reglages::Ecrit(Reglages::DrvLoc, m_ui.drvLocal->Drive());
    Reglages::Ecrit(Reglages::DirLoc, m_ui.dirLocal->Path());
    Reglages::Ecrit(Reglages::FilLoc, m_ui.filLocal->Path());

    // 5. Window size.
    Reglages::Ecrit(Reglages::PosW, QString::number(int(Twips::DePixels(m_fenetre.width()))));
    Reglages::Ecrit(Reglages::PosH, QString::number(int(Twips::DePixels(m_fenetre.height()))));
}

void Demarrage::VideDossierTemporaire(const QString &dossier) {
    // A link put in its place is not followed: only the folder's own files go.
    if (dossier.isEmpty() || QFileInfo(dossier).isSymLink())
        return;
    QDir temp(dossier);
    if (!temp.exists())
        return;
    const QFileInfoList fichiers =
        temp.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &f : fichiers)
        QFile::remove(f.absoluteFilePath());
    // Succeeds only when nothing is left in it.
    QDir().rmdir(temp.absolutePath());
}

void Demarrage::mnuQuitter_Click() {
    VideDossierTemporaire(DossierTemp());
    // Unload saves the state. A refused close (Form1::mnuQuitter_Click has
    // waited for the FTP call, so this is not expected) must not end the
    // program without it.
    if (!m_fenetre.close())
        return;
    if (m_programme.FinProgramme)
        m_programme.FinProgramme();
}

void Demarrage::Command2_Click() {
    if (Quitter)
        Quitter();
}
