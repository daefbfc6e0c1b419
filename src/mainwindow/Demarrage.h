#pragma once

#include <QObject>
#include <QString>

#include "ftp/SessionDistante.h"

#include <functional>

class EtatFenetre;
class GestionConnexion;
class JournalActivite;
class Disposition;
class QMainWindow;
struct Form1Ui;
struct Programme;

// Start-up (Form_Load) and shutdown (Form_Unload, "Quitter") of the main window.
class Demarrage : public QObject {
    Q_OBJECT
public:
    Demarrage(QMainWindow &fenetre, Programme &programme, Form1Ui &ui, JournalActivite &journal,
              EtatFenetre &etat, GestionConnexion &connexion, Disposition &disposition,
              QObject *parent = nullptr);

    // Set by the window: create and release the program-wide FTP session, and
    // "Quitter" as the window runs it (waiting for a running FTP call).
    std::function<void()> CreeSessionFTP;
    // Replaces the window's session by one of another protocol (false, with
    // the reason, when it can't).
    std::function<bool(Protocole protocole, QString &raison)> ChangeSession;
    std::function<void()> LibereSessionFTP;
    std::function<void()> Quitter;

    void Form_Load();
    void Form_Unload();
    void mnuQuitter_Click();
    void Command2_Click();

    // The command-line argument asks for a recorded transfer when it is not
    // empty and its last character is a decimal digit.
    static bool ModeLigneDeCommande(const QString &commande);
    // Deletes the files of `dossier`, then the folder itself if that left it
    // empty. Sub-folders are left alone, a link in the folder's place is not
    // followed; nothing is reported.
    static void VideDossierTemporaire(const QString &dossier);

private:
    void stockeIndices();
    void executeLigneDeCommande();
    void prepareControles();
    void restaureTaille();
    void afficheAdresseSite();
    void ouvreDialogueConnexion();

    QMainWindow &m_fenetre;
    Programme &m_programme;
    Form1Ui &m_ui;
    JournalActivite &m_journal;
    EtatFenetre &m_etat;
    GestionConnexion &m_connexion;
    Disposition &m_disposition;
};
