#pragma once

#include <QObject>
#include <QString>

class Form1;
class GestionConnexion;
class JournalActivite;
class Disposition;
struct Form1Ui;

// Start-up (Form_Load) and shutdown (Form_Unload, "Quitter") of the main window.
class Demarrage : public QObject {
    Q_OBJECT
public:
    Demarrage(Form1 &form, Form1Ui &ui, JournalActivite &journal, GestionConnexion &connexion,
              Disposition &disposition, QObject *parent = nullptr);

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

    Form1 &m_form;
    Form1Ui &m_ui;
    JournalActivite &m_journal;
    GestionConnexion &m_connexion;
    Disposition &m_disposition;
};
