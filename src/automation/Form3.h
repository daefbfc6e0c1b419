#pragma once

#include <QWidget>

#include <functional>

#include "ftp/SessionDistante.h"
#include "security/Chiffrement.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Espace ligne de commande": ten slots of recorded transfers, each loaded,
// stored, erased or turned into two desktop launchers by a click on its
// button, according to the selected mode.
class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(QWidget *parent = nullptr);

    static constexpr int NombreBoutons = 10;
    // Slot description: the local file's name + " sur " + the user.
    static QString NomFichierLocal(const QString &chemin);

    QPushButton *Command2[NombreBoutons] = {};
    QPushButton *Command3 = nullptr; // "Sélectionner les fichiers"
    QPushButton *Command1 = nullptr; // "Fermer"
    QRadioButton *Option1[4] = {};   // Ouvrir, Enregistrer..., raccourcis, Effacer.
    QLineEdit *TxtSite = nullptr, *txtUtilisateur = nullptr, *txtMDP = nullptr;
    QLineEdit *ficLoc = nullptr, *ficDist = nullptr;
    QLabel *LabInfo = nullptr, *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr;

    // The encryption and protocol recorded with a slot: the session's, or
    // those of the slot last opened.
    Chiffrement chiffrement = Chiffrement::SiDisponible;
    Protocole protocole = Protocole::FTP;

    // Starts the pick mode in the main window (red lists).
    std::function<void()> CommenceChoix;

    void Command2_Click(int Index);
    void Command2_MouseMove(int Index);
    void Command3_Click();
    void Command1_Click();
    void Option1_Click(int Index);

protected:
    bool eventFilter(QObject *objet, QEvent *evenement) override;
    void mouseMoveEvent(QMouseEvent *evenement) override;

private:
    // The constructor's parts, each creating its controls in the design's order.
    void construitCadres();
    void construitEmplacements();
    void construitModes();
    void construitSelection();
    void construitIdentifiants();
    void Form_Load();
    void marqueBouton(int n, const QString &description);
};
