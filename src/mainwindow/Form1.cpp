#include "mainwindow/Form1.h"

#include "about/PanneauInfo.h"
#include "automation/Automatisation.h"
#include "browsing/Filtre.h"
#include "browsing/NavigateurLocal.h"
#include "browsing/NavigateurSite.h"
#include "browsing/OuvrirAvec.h"
#include "browsing/VuesComparees.h"
#include "browsing/VuesTriees.h"
#include "connection/GestionConnexion.h"
#include "dialogs/Form2.h"
#include "layout/ActionsRapides.h"
#include "layout/Disposition.h"
#include "mainwindow/Demarrage.h"
#include "platform/LocalLists.h"
#include "platform/Shell.h"
#include "session/FabriqueSession.h"
#include "transfers/ActionsLocales.h"
#include "transfers/ActionsSite.h"
#include "transfers/GlisserDeposer.h"
#include "transfers/Progression.h"
#include "transfers/Reprises.h"
#include "transfers/TransfertsDossiers.h"
#include "window/BulleAide.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/JournalActivite.h"
#include "window/RangeeBoutons.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <utility>

Form1::Form1(QWidget *parent) : QMainWindow(parent), m_ui(std::make_unique<Form1Ui>()) {
    m_ui->setupUi(this);
    m_etat = std::make_unique<EtatFenetre>();
    // The file-pick mode shows as red lists.
    connect(m_etat.get(), &EtatFenetre::ModeChoixChange, this, [this](bool actif) {
        const QColor &fond = actif ? FondModeChoix : FondNormal;
        for (QWidget *liste :
             {static_cast<QWidget *>(m_ui->filLocal), static_cast<QWidget *>(m_ui->List4)}) {
            QPalette p = liste->palette();
            p.setColor(QPalette::Base, fond);
            liste->setPalette(p);
        }
    });

    m_journal = std::make_unique<JournalActivite>(m_ui->TxtAction, m_ui->stbPanneau1);
    // Help, folders and documents the desktop could not open: a red line.
    DefinitRapportShell([this](const QString &ligne) { m_journal->Ecrit(ligne, "Ro"); });
    m_disposition = std::make_unique<Disposition>(*this, *m_ui);
    m_connexion = std::make_unique<GestionConnexion>(*this, *m_ui, *m_journal, *m_etat);
    m_demarrage = std::make_unique<Demarrage>(*this, m_programme, *m_ui, *m_journal, *m_etat,
                                              *m_connexion, *m_disposition);
    m_programme.FinProgramme = [this] { QCoreApplication::exit(m_programme.CodeSortie); };
    // The drags the browsers start are the drag-and-drop controller's, built after them.
    LienGlisser glisser;
    glisser.CommenceGlisser = [this](QWidget *s, const QString &i) {
        m_glisser->CommenceGlisser(s, i);
    };
    glisser.Image = [this](const QString &nom) { return m_glisser->Image(nom); };
    glisser.RapatrieDossierSite = [this] { m_glisser->RapatrieDossierSite(); };
    m_navSite = std::make_unique<NavigateurSite>(*m_ui, *m_journal, *m_etat, *this, glisser);
    m_navLocal = std::make_unique<NavigateurLocal>(*m_ui, *m_journal, *m_etat, *m_navSite, glisser);
    m_glisser = std::make_unique<GlisserDeposer>(*this, *m_ui, *m_journal, *m_etat, *m_navSite);
    m_progression = std::make_unique<Progression>(*m_ui, *m_etat);
    m_dossiers = std::make_unique<TransfertsDossiers>(*m_ui, *m_journal, *m_etat, *m_navSite,
                                                      *m_progression);
    m_actionsSite = std::make_unique<ActionsSite>(*m_ui, *m_journal, *m_etat, *m_navSite,
                                                  *m_progression, *m_connexion);
    m_actionsLocales =
        std::make_unique<ActionsLocales>(*m_ui, *m_journal, *m_etat, *m_navSite, *m_progression);
    m_glisser->EnvoieDossierLocal = [this] { m_dossiers->EnvoieDossierLocal(); };
    m_glisser->RapatrieDossierSite = [this] { m_dossiers->RapatrieDossierSite(); };

    // The alternative views and the filter.
    m_vuesComparees = std::make_unique<VuesComparees>(*m_ui, *m_etat, *m_navSite);
    m_vuesTriees = std::make_unique<VuesTriees>(*m_ui);
    m_ouvrirAvec = std::make_unique<OuvrirAvec>(*m_ui, *m_journal, *m_vuesTriees);
    m_filtre = std::make_unique<Filtre>(*m_ui, *m_navSite, *m_connexion);
    m_automatisation = std::make_unique<Automatisation>(*m_etat, *m_navSite, *this);
    new RangeeBoutons(
        m_ui->RecDelta, [this](int i) { m_vuesComparees->RecDelta_Click(i); },
        [this](int i) { m_vuesComparees->RecDelta_MouseMove(i); }, this);
    new RangeeBoutons(
        m_ui->Vert,
        // Vert(4) is "open with"; the others sort the local views.
        [this](int i) { i == 4 ? m_ouvrirAvec->Vert_Click(i) : m_vuesTriees->Vert_Click(i); },
        [this](int i) { m_vuesTriees->Vert_MouseMove(i); }, this);
    connect(m_ui->Command7, &QPushButton::clicked, this, [this] { m_filtre->Command7_Click(); });
    connect(m_ui->Command8, &QPushButton::clicked, this, [this] { m_filtre->Command8_Click(); });

    // The hint box, the quick actions, the information panel and the help.
    new BulleAide(*m_ui, this);
    new ActionsRapides(*m_ui, this);
    new PanneauInfo(
        *this, *m_ui, [this] { return m_programme.FichierAide; }, this);
    lieDemarrageEtConnexion();

    // The local views follow each other: drive -> folders -> files.
    connect(m_ui->drvLocal, &DriveListBox::Change, m_navLocal.get(),
            &NavigateurLocal::drvLocal_Change);
    connect(m_ui->dirLocal, &DirListBox::Change, m_navLocal.get(),
            &NavigateurLocal::dirLocal_Change);
}

// The start-up and the connection manager reach the window, the program and
// the other controllers only through these.
void Form1::lieDemarrageEtConnexion() {
    m_demarrage->CreeSessionFTP = [this] { CreeSessionFTP(); };
    m_demarrage->ChangeSession = [this](Protocole protocole, QString &raison) {
        return ChangeSession(protocole, raison);
    };
    m_demarrage->LibereSessionFTP = [this] { LibereSessionFTP(); };
    m_demarrage->Quitter = [this] { mnuQuitter_Click(); };
    m_connexion->RafraichitSite = [this](const QString &dossier) {
        m_navSite->RafraichitSite(dossier);
    };
    m_connexion->OuvreAutomatisation = [this] { m_automatisation->Ouvre(); };
    m_connexion->ChangeSession = [this](Protocole protocole, QString &raison) {
        return ChangeSession(protocole, raison);
    };
    // Read when the run ends: a test may have replaced it.
    m_connexion->FinProgramme = [this] {
        if (m_programme.FinProgramme)
            m_programme.FinProgramme();
    };
}

LiensForm2 LiensDialogueConnexion(Form1 &fenetre) {
    GestionConnexion &connexion = fenetre.gestionConnexion();
    return LiensForm2DeFenetre(fenetre, fenetre.Ui(), fenetre.etat(),
                               [&connexion] { connexion.Komavant(); });
}

Form1::~Form1() {
    DefinitRapportShell({});
    m_ui->Timer2->stop();
    m_ui->Timer3->stop();
    LibereSessionFTP();
}

void Form1::Form_Load() {
    m_demarrage->Form_Load();
}

void Form1::Form_Unload() {
    if (m_decharge)
        return;
    m_decharge = true;
    m_demarrage->Form_Unload();
}

// The window can be closed while an FTP call yields to the event loop (a long
// transfer repaints through it): unloading then would destroy the connection
// under the running call. The close waits for the call to end, and a folder
// transfer stops after its current file.
bool Form1::attendFinOperation(void (Form1::*reprise)()) {
    // A folder copy over connections of its own leaves oFTP idle.
    if ((!oFTP || !oFTP->EnCours()) && !m_progression->TransfertsParalleles())
        return false;
    m_etat->DefinitCnDl(-1);
    // One retry pending at a time, however often the user asks; "Quitter"
    // outranks the close box.
    const bool enAttente = m_reprise != nullptr;
    if (!enAttente || reprise == &Form1::mnuQuitter_Click)
        m_reprise = reprise;
    if (!enAttente)
        QTimer::singleShot(200, this, [this] { (this->*std::exchange(m_reprise, nullptr))(); });
    return true;
}

void Form1::closeEvent(QCloseEvent *evenement) {
    if (attendFinOperation(&Form1::fermeApresOperation)) {
        evenement->ignore();
        return;
    }
    Form_Unload();
    evenement->accept();
}

void Form1::fermeApresOperation() {
    close();
}

void Form1::mnuQuitter_Click() {
    if (attendFinOperation(&Form1::mnuQuitter_Click))
        return;
    m_demarrage->mnuQuitter_Click();
}

void Form1::CreeSessionFTP() {
    if (m_ftp)
        return;
    m_ftp = CreeSession(Protocole::FTP);
    oFTP = m_ftp.get();
    AnnonceReprises(*m_ftp, *m_journal);
}

bool Form1::ChangeSession(Protocole protocole, QString &raison) {
    if (m_ftp && m_ftp->protocole() == protocole)
        return true;
    // The running call holds the session (and yields to the event loop).
    if (m_ftp && m_ftp->EnCours()) {
        raison = QStringLiteral("Connexion refusée : une opération est en cours");
        return false;
    }
    std::unique_ptr<SessionDistante> nouvelle = CreeSession(protocole, &raison);
    if (!nouvelle)
        return false;
    // Time-outs set on the window's session carry over.
    if (m_ftp)
        nouvelle->setDelaiMs(m_ftp->delaiMs());
    LibereSessionFTP();
    m_ftp = std::move(nouvelle);
    oFTP = m_ftp.get();
    AnnonceReprises(*m_ftp, *m_journal);
    return true;
}

void Form1::LibereSessionFTP() {
    if (!m_ftp)
        return;
    if (oFTP == m_ftp.get())
        oFTP = nullptr;
    m_ftp.reset();
}
