#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "ftp/SessionDistante.h"
#include "sftp/SessionSftp.h"

class EtatFenetre;
class Form2;
class FormCleHote;
class JournalActivite;
class QEventLoop;
class QWidget;
struct Certificat;
struct Form1Ui;

// Owns the decisions about the one FTP connection: the ways a connection is
// made (start-up, Komavant, Reconnecte, "Nouvelle connexion"), the periodic
// check with automatic reconnection, the retry loop of Command6, the two option
// switches and the connection picture.
class GestionConnexion : public QObject {
    Q_OBJECT
public:
    // `fenetre` is the main window: the parent of the dialogs, shown before a
    // connection, closed at the end of a command-line run.
    GestionConnexion(QWidget &fenetre, Form1Ui &ui, JournalActivite &journal, EtatFenetre &etat,
                     QObject *parent = nullptr);
    ~GestionConnexion() override;

    // Set by the window: lists the site's folder after a connection, opens the
    // automation dialog (the connection dialog's button), ends the program.
    std::function<void(const QString &dossier)> RafraichitSite;
    std::function<void()> OuvreAutomatisation;
    std::function<void()> FinProgramme;
    // Set by the window, which owns the session: replaces it by a new,
    // unconnected one speaking `protocole`; false (with the reason) when none
    // can be made. Never called while the session is in use.
    std::function<bool(Protocole protocole, QString &raison)> ChangeSession;

    // Connects with the parameters stored in the settings, to the stored folder.
    void Komavant();
    // The connection attempt of start-up: stored parameters, stored folder.
    void ConnexionDemarrage();
    // Connects again with the session parameters; unless SansRafraichir is
    // nonzero, lists again the folder selected in the site tree.
    void Reconnecte(short SansRafraichir);
    // Command6 shows Image1(0)'s picture when connected is nonzero, else Image1(1)'s.
    void AfficheEtatConnexion(short connecte);

    // The judge of the window's session (installed before each connection):
    // a fingerprint accepted for good passes, another one for the same host
    // and port is refused with a red line, an unknown certificate is shown to
    // the person (FormCertificat), whose answer holds for the rest of the run.
    bool JugeCertificat(const Certificat &certificat);
    // The same for an SSH server's key that known_hosts does not hold
    // (FormCleHote): accepted once or refused, the answer holds for the rest
    // of the run for this host, port and fingerprint. A changed key never
    // comes here: the session refuses it.
    SessionSftp::Decision JugeCleHote(const SessionSftp::CleHote &cle);
    // Shows the host key dialog modally and returns its answer; tests replace it.
    std::function<int(FormCleHote &)> MontreCleHote;
    // Asks the person for the passphrase of one of their SSH keys (its
    // path), the typed text hidden; std::nullopt when cancelled: the key is
    // then skipped.
    std::optional<QString> DemandePhraseCle(const QString &cle);

    // Handlers
    void mnuConnexion_Click();
    void Command1_Click();
    void MconAuto_Click(); // as a click: inverts the check mark, then stores it
    void Check1_MouseUp();
    void Command6_Click();
    void Timer2_Timer();
    void Timer3_Timer();

    // The connection dialog is loaded afresh for each showing. Start-up prepares
    // it (last-location button) before "Nouvelle connexion" shows it.
    Form2 &PrepareDialogue();
    // Shows the dialog modally and returns when it is closed; tests replace it.
    std::function<int(Form2 &)> MontreDialogue;
    // Pause between two attempts of Command6's retry loop.
    int DelaiEntreEssaisMs = 2000;
    // True while Command6's retry loop is running.
    bool BoucleEnCours() const;
    // Ends the retry loop at its next step (the window is closing).
    void ArreteBoucle();

    bool eventFilter(QObject *objet, QEvent *evenement) override;

private:
    bool tenteConnexion(const QString &message);
    // The window's session speaks sProtocole: replaced when it speaks the
    // other one. False, with a red line, when it can't be.
    bool accordeProtocole();
    // True, with a line, when the session is in use: a new connection would
    // only fail (and say "lost" of a connection that is fine).
    bool refuseSiOccupee();
    // True, with a line (once), when the keyring's start-up reads are still
    // under way: `suite` runs when they end. The window stays usable meanwhile.
    bool attendsTrousseau(std::function<void()> suite);
    void ecritMconAuto();
    void attendsEntreEssais();

    void rafraichitSite(const QString &dossier);

    QWidget &m_fenetre;
    Form1Ui &m_ui;
    JournalActivite &m_journal;
    EtatFenetre &m_etat;
    std::unique_ptr<Form2> m_dialogue;
    QPointer<Form2> m_dialogueOuvert;
    QEventLoop *m_attente = nullptr;
    bool m_reconnexionEnCours = false;
    bool m_attenteTrousseau = false;
    // The judge refused the certificate during the current attempt.
    bool m_certificatRefuse = false;
    bool m_refusDit = false; // and the judge's line said why
    // The site whose certificate the last attempt refused: automatic
    // reconnection leaves it alone.
    QString m_siteRefuse;
};
