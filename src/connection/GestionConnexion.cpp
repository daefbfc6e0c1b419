#include "connection/GestionConnexion.h"

#include "dialogs/Form2.h"
#include "dialogs/FormCertificat.h"
#include "dialogs/FormCleHote.h"
#include "ftp/clsFTP.h"
#include "platform/Prompts.h"
#include "platform/Sablier.h"
#include "security/DecisionsCertificats.h"
#include "security/Trousseau.h"
#include "session/FabriqueSession.h"
#include "settings/Reglages.h"
#include "sftp/clsSFTP.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/Globales.h"
#include "window/JournalActivite.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace {

const QString Connecte = QStringLiteral(" > Connecté à ");
const QString Reconnecte_ = QStringLiteral(" > Reconnecté à ");

// A handler run during a transfer's yields finds the session in use: any
// call fails at once, which says nothing about the connection.
bool sessionOccupee() {
    return oFTP && oFTP->EnCours();
}

// "host:port fingerprint" -> accepted, for the unknown host keys the person
// answered during this run.
QHash<QString, bool> &clesDecidees() {
    static QHash<QString, bool> decisions;
    return decisions;
}

QString memoCle(const SessionSftp::CleHote &cle) {
    return cle.hote.toLower() + u':' + QString::number(cle.port) + u' ' + cle.empreinte;
}

} // namespace

GestionConnexion::GestionConnexion(QWidget &fenetre, Form1Ui &ui, JournalActivite &journal,
                                   EtatFenetre &etat, QObject *parent)
    : QObject(parent), m_fenetre(fenetre), m_ui(ui), m_journal(journal), m_etat(etat) {
    MontreDialogue = [](Form2 &dialogue) { return dialogue.exec(); };
    MontreCleHote = [](FormCleHote &dialogue) { return dialogue.exec(); };

    connect(m_ui.mnuConnexion, &QAction::triggered, this, &GestionConnexion::mnuConnexion_Click);
    connect(m_ui.Command1, &QPushButton::clicked, this, &GestionConnexion::Command1_Click);
    // The action is checkable: Qt has inverted the mark when `triggered` arrives.
    connect(m_ui.MconAuto, &QAction::triggered, this, &GestionConnexion::ecritMconAuto);
    connect(m_ui.Command6, &QPushButton::clicked, this, &GestionConnexion::Command6_Click);
    connect(m_ui.Timer2, &QTimer::timeout, this, &GestionConnexion::Timer2_Timer);
    connect(m_ui.Timer3, &QTimer::timeout, this, &GestionConnexion::Timer3_Timer);
    m_ui.Check1->installEventFilter(this);
}

GestionConnexion::~GestionConnexion() = default;

void GestionConnexion::rafraichitSite(const QString &dossier) {
    if (RafraichitSite)
        RafraichitSite(dossier);
}

bool GestionConnexion::eventFilter(QObject *objet, QEvent *evenement) {
    // Only a mouse release stores the option (the box toggles on that release;
    // run after it). A change by the keyboard is not stored.
    if (objet == m_ui.Check1 && evenement->type() == QEvent::MouseButtonRelease)
        QTimer::singleShot(0, this, &GestionConnexion::Check1_MouseUp);
    return QObject::eventFilter(objet, evenement);
}

bool GestionConnexion::JugeCertificat(const Certificat &certificat) {
    switch (DecisionsCertificats::Juge(certificat)) {
    case DecisionsCertificats::Verdict::Accepte:
        return true;
    case DecisionsCertificats::Verdict::Change:
        // Never asked: a changed certificate is what an interception looks like.
        m_journal.Ecrit(QStringLiteral(" > Certificat différent de celui accepté pour ") + sSite +
                            QStringLiteral(" : connexion refusée"),
                        "Ro");
        m_certificatRefuse = m_refusDit = true;
        return false;
    case DecisionsCertificats::Verdict::AccepteCetteFois:
        return true;
    case DecisionsCertificats::Verdict::RefuseCetteFois:
        m_certificatRefuse = true;
        return false;
    case DecisionsCertificats::Verdict::Inconnu:
        break;
    }
    FormCertificat dialogue(certificat, &m_fenetre);
    // A connection in progress shows the wait cursor; the question needs the pointer.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int decision = dialogue.exec();
    QApplication::restoreOverrideCursor();
    if (decision == FormCertificat::Toujours)
        DecisionsCertificats::AccepteToujours(certificat);
    const bool accepte =
        decision == FormCertificat::UneFois || decision == FormCertificat::Toujours;
    // The answer holds for the rest of the run: reconnections don't ask again.
    DecisionsCertificats::DecideCetteFois(certificat, accepte);
    m_certificatRefuse = !accepte;
    return accepte;
}

SessionSftp::Decision GestionConnexion::JugeCleHote(const SessionSftp::CleHote &cle) {
    const QString memo = memoCle(cle);
    const auto deja = clesDecidees().constFind(memo);
    if (deja != clesDecidees().cend()) {
        m_certificatRefuse = !*deja;
        return *deja ? SessionSftp::Decision::AccepterUneFois : SessionSftp::Decision::Refuser;
    }
    FormCleHote dialogue(cle, &m_fenetre);
    // A connection in progress shows the wait cursor; the question needs the pointer.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const SessionSftp::Decision decision = FormCleHote::EnDecision(MontreCleHote(dialogue));
    QApplication::restoreOverrideCursor();
    const bool accepte = decision != SessionSftp::Decision::Refuser;
    // The answer holds for the rest of the run: reconnections don't ask again.
    clesDecidees().insert(memo, accepte);
    m_certificatRefuse = !accepte;
    return decision;
}

std::optional<QString> GestionConnexion::DemandePhraseCle(const QString &cle) {
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const std::optional<QString> phrase = PromptsCourant().SaisieMasquee(
        QStringLiteral("Phrase secrète"),
        QStringLiteral("Phrase secrète de la clé SSH %1 :").arg(cle));
    QApplication::restoreOverrideCursor();
    return phrase;
}

bool GestionConnexion::accordeProtocole() {
    if (!oFTP || oFTP->protocole() == sProtocole)
        return oFTP != nullptr;
    QString raison;
    // The call under way keeps its session; callers refuse before this.
    if (!oFTP->EnCours() && ChangeSession && ChangeSession(sProtocole, raison) && oFTP &&
        oFTP->protocole() == sProtocole)
        return true;
    m_journal.Ecrit(QStringLiteral(" > ") +
                        (raison.isEmpty() ? QString::fromUtf8(SftpIndisponible) : raison),
                    "Ro");
    return false;
}

bool GestionConnexion::tenteConnexion(const QString &message) {
    m_certificatRefuse = m_refusDit = false;
    const bool protocoleOk = accordeProtocole();
    // Certificates, TLS and its log lines are FTP's own; host keys SFTP's.
    clsFTP *const ftps = dynamic_cast<clsFTP *>(oFTP);
    if (ftps)
        ftps->setJugeCertificat([this](const Certificat &c) { return JugeCertificat(c); });
    clsSFTP *const sftp = dynamic_cast<clsSFTP *>(oFTP);
    if (sftp) {
        sftp->Sftp().setJugeCle(
            [this](const SessionSftp::CleHote &cle) { return JugeCleHote(cle); });
        sftp->Sftp().setDemandePhrase([this](const QString &cle) { return DemandePhraseCle(cle); });
    }
    const bool ok = protocoleOk && oFTP->Connexion() != 0;
    // Never asked: a changed key is what an interception looks like.
    if (!ok && sftp && sftp->Sftp().DerniereCle().etat == SessionSftp::EtatCle::Changee &&
        !sftp->Sftp().DerniereCle().empreinte.isEmpty()) {
        const SessionSftp::CleHote &cle = sftp->Sftp().DerniereCle();
        m_journal.Ecrit(
            QStringLiteral(" > Clé d'hôte de %1 différente de celle connue (connue : %2, reçue : "
                           "%3) : connexion refusée")
                .arg(sSite,
                     cle.empreinteConnue.isEmpty() ? QStringLiteral("?") : cle.empreinteConnue,
                     cle.empreinte),
            "Ro");
        m_certificatRefuse = m_refusDit = true;
    }
    m_etat.DefinitCO(ok ? -1 : 0);
    m_siteRefuse = ok || !m_certificatRefuse ? QString() : sSite;
    if (ok) {
        QString version = ftps ? ftps->VersionTls() : QString();
        if (sftp)
            version = QStringLiteral("SFTP");
        m_journal.EcritAction(
            JournalActivite::Heure() + message + sSite + QStringLiteral(" :") + sUtilisateur +
                (version.isEmpty() ? QString() : QStringLiteral(" (") + version + u')'),
            QStringLiteral("BF"));
        // TLS was wanted and the server turned it down.
        if (ftps && version.isEmpty() && sChiffrement != Chiffrement::Aucun)
            m_journal.Ecrit(QStringLiteral(" > Connexion non chiffrée à ") + sSite, "Am");
        m_journal.AfficheConnecte(sSite);
    } else if (m_certificatRefuse) {
        m_journal.AfficheDeconnecte();
        if (!m_refusDit)
            m_journal.Ecrit((sftp ? QStringLiteral(" > Clé d'hôte refusée pour ")
                                  : QStringLiteral(" > Certificat refusé pour ")) +
                                sSite + QStringLiteral(" : connexion refusée"),
                            "Ro");
    } else {
        m_journal.AfficheDeconnecte();
        m_journal.Ecrit(QStringLiteral(" > Connexion échouée à ") + sSite, "Ro");
        // Nothing else tells why a site that worked in clear text is now
        // refused; nor what an SSH server turned down.
        if ((ftps && ftps->EnClairRefuse()) || (sftp && !sftp->DerniereErreur().isEmpty()))
            m_journal.Ecrit(QStringLiteral(" > ") + oFTP->DerniereErreur(), "Ro");
    }
    return ok;
}

void GestionConnexion::ConnexionDemarrage() {
    // The session parameters change only once the password is known: a
    // reconnection meanwhile would try the file's.
    if (!Reglages::Lit(Reglages::TxtSite).isEmpty() && attendsTrousseau([this] {
            ConnexionDemarrage();
            AfficheEtatConnexion(m_etat.CO());
        }))
        return;
    sSite = Reglages::Lit(Reglages::TxtSite);
    sUtilisateur = Reglages::Lit(Reglages::TxtUtilisateur);
    sMotDePasse = Reglages::Lit(Reglages::TxtMDP);
    sChiffrement = ChiffrementDeTexte(Reglages::Lit(Reglages::Chiffrement));
    sProtocole = ProtocoleDeTexte(Reglages::Lit(Reglages::Protocole));
    if (sSite.isEmpty() || refuseSiOccupee())
        return;
    const QString dossier = Reglages::Lit(Reglages::PathSite);
    if (tenteConnexion(Connecte)) {
        rafraichitSite(dossier);
        m_ui.Command1->setText(QStringLiteral("Paramètres"));
    }
}

void GestionConnexion::Komavant() {
    // Unload the connection dialog: its unload empties the session parameters,
    // which are read back from the settings below.
    if (m_dialogueOuvert)
        m_dialogueOuvert->done(QDialog::Rejected);
    for (Form2 *dialogue : m_fenetre.findChildren<Form2 *>()) {
        if (dialogue->isVisible())
            dialogue->done(QDialog::Rejected);
    }
    m_fenetre.show();
    QCoreApplication::processEvents();
    ConnexionDemarrage();
    // The picture follows at once rather than at the next periodic check.
    AfficheEtatConnexion(m_etat.CO());
}

void GestionConnexion::Reconnecte(short SansRafraichir) {
    // In use, the connection is there: nothing to reconnect.
    if (sessionOccupee())
        return;
    Sablier sablier;
    QString dossier = m_ui.CleNoeudSelectionne();
    if (dossier.isEmpty())
        dossier = QStringLiteral("/");
    if (!sSite.isEmpty()) {
        if (tenteConnexion(Reconnecte_)) {
            if (SansRafraichir == 0)
                rafraichitSite(dossier);
            m_ui.Command1->setText(QStringLiteral("Paramètres"));
        } else {
            m_ui.fraSite->setTitle(QStringLiteral("Pas de site"));
        }
    }
    AfficheEtatConnexion(m_etat.CO());
}

bool GestionConnexion::attendsTrousseau(std::function<void()> suite) {
    if (Trousseau::EtatCourant() != Trousseau::Etat::EnAttente)
        return false;
    if (!m_attenteTrousseau) {
        m_attenteTrousseau = true;
        m_journal.Ecrit(Trousseau::LigneAttente(), "BF");
    }
    Trousseau::QuandPret(this, [this, suite = std::move(suite)] {
        m_attenteTrousseau = false;
        suite();
    });
    return true;
}

bool GestionConnexion::refuseSiOccupee() {
    if (!sessionOccupee())
        return false;
    m_journal.Ecrit(QStringLiteral(" > Connexion refusée : une opération est en cours"), "Am");
    return true;
}

void GestionConnexion::AfficheEtatConnexion(short connecte) {
    const QLabel *image = m_ui.Image1.value(connecte != 0 ? 0 : 1);
    if (image)
        m_ui.Command6->setIcon(QIcon(image->pixmap()));
    m_ui.Command6->setProperty("Connecte", connecte != 0);
}

Form2 &GestionConnexion::PrepareDialogue() {
    if (!m_dialogue) {
        m_dialogue = std::make_unique<Form2>(
            LiensForm2DeFenetre(m_fenetre, m_ui, m_etat, [this] { Komavant(); }), &m_fenetre);
        connect(m_dialogue.get(), &Form2::AutomatisationDemandee, &m_fenetre, [this] {
            if (OuvreAutomatisation)
                OuvreAutomatisation();
        });
    }
    return *m_dialogue;
}

void GestionConnexion::mnuConnexion_Click() {
    Form2 &dialogue = PrepareDialogue();
    // Cleared before each showing, so that only a dialog that has connected by
    // itself (its last-location button) keeps this procedure from connecting.
    DernierEmplacement = 0;
    m_dialogueOuvert = &dialogue;
    MontreDialogue(dialogue);
    m_dialogueOuvert = nullptr;
    const auto connecte = [this] {
        if (refuseSiOccupee())
            return;
        if (tenteConnexion(Connecte)) {
            rafraichitSite(QStringLiteral("/"));
            m_ui.Command1->setText(QStringLiteral("Paramètres"));
        } else {
            m_ui.fraSite->setTitle(QStringLiteral("Pas de site"));
        }
        // The picture follows at once rather than at the next periodic check.
        AfficheEtatConnexion(m_etat.CO());
    };
    if (DernierEmplacement != -1 && !sSite.isEmpty()) {
        // No password typed while the keyring still reads the stored one: that one.
        const bool attend =
            sMotDePasse.isEmpty() && !sUtilisateur.isEmpty() && attendsTrousseau([connecte] {
                if (sMotDePasse.isEmpty())
                    sMotDePasse = Reglages::Lit(Reglages::TxtMDP);
                connecte();
            });
        if (!attend)
            connecte();
    }
    // Destroying the dialog restores the pointer its OK set.
    m_dialogue.reset();
}

void GestionConnexion::Command1_Click() {
    mnuConnexion_Click();
}

void GestionConnexion::MconAuto_Click() {
    m_ui.MconAuto->trigger();
}

void GestionConnexion::ecritMconAuto() {
    Reglages::EcritBooleen(Reglages::ConAuto, m_ui.MconAuto->isChecked());
}

void GestionConnexion::Check1_MouseUp() {
    Reglages::Ecrit(Reglages::RecAuto,
                    m_ui.Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

bool GestionConnexion::BoucleEnCours() const {
    return Tag(m_ui.Command6) == QLatin1String("R");
}

void GestionConnexion::ArreteBoucle() {
    m_etat.DefinitS(-1);
    if (m_attente)
        m_attente->quit();
}

void GestionConnexion::attendsEntreEssais() {
    // The window stays responsive: a second click on Command6 (which ends the
    // loop) or the window's closing can run meanwhile.
    QEventLoop boucle;
    QTimer::singleShot(DelaiEntreEssaisMs, &boucle, &QEventLoop::quit);
    QEventLoop *precedente = m_attente;
    m_attente = &boucle;
    boucle.exec();
    m_attente = precedente;
}

void GestionConnexion::Command6_Click() {
    if (sSite.isEmpty())
        return;
    m_etat.DefinitS(0);
    if (BoucleEnCours()) {
        // A second click while the loop waits: one more attempt, then both stop.
        m_etat.DefinitS(-1);
        if (m_attente)
            m_attente->quit();
    }
    for (;;) {
        Reconnecte(0);
        QCoreApplication::processEvents();
        if (m_etat.CO() != 0) {
            DefinitTag(m_ui.Command6, QStringLiteral("C"));
            return;
        }
        if (m_etat.S() != 0) {
            DefinitTag(m_ui.Command6, QString());
            return;
        }
        DefinitTag(m_ui.Command6, QStringLiteral("R"));
        attendsEntreEssais();
        // What happened during the pause decides: a cancelling click has already
        // set the tag after its own attempt.
        if (m_etat.S() != 0) {
            if (BoucleEnCours())
                DefinitTag(m_ui.Command6, QString());
            return;
        }
        if (m_etat.CO() != 0) {
            DefinitTag(m_ui.Command6, QStringLiteral("C"));
            return;
        }
    }
}

void GestionConnexion::Timer2_Timer() {
    // The probe shares the one connection: never while another operation runs
    // on it, nor while a reconnection or the retry loop is under way.
    if (!oFTP || oFTP->EnCours() || m_reconnexionEnCours || BoucleEnCours())
        return;
    const bool vivant = !oFTP->DonneRepertoireCourant().isEmpty();
    AfficheEtatConnexion(vivant ? -1 : 0);
    const auto montre = [this](const QWidget *w) { return w->isVisibleTo(&m_fenetre); };
    const bool listeVide = (montre(m_ui.List4) && m_ui.List4->count() == 0) ||
                           (montre(m_ui.List2) && m_ui.List2->count() == 0);
    // A refused certificate would be refused again: the line said so once.
    if (m_ui.Check1->isChecked() && !vivant && (m_siteRefuse.isEmpty() || m_siteRefuse != sSite)) {
        m_reconnexionEnCours = true;
        Reconnecte(listeVide ? 0 : -1);
        m_reconnexionEnCours = false;
    }
}

void GestionConnexion::Timer3_Timer() {
    m_ui.Timer3->stop();
    m_fenetre.close(); // unload: releases the FTP session, saves nothing in this mode
    if (FinProgramme)
        FinProgramme();
}
