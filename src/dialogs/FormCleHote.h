#pragma once

#include "sftp/SessionSftp.h"

#include <QDialog>

class QLabel;
class QPushButton;

// Asks the person about an SSH server's key that known_hosts does not hold:
// the server, the key's type and its SHA-256 fingerprint as ssh shows it.
// exec() returns a Decision.
class FormCleHote : public QDialog {
    Q_OBJECT
public:
    enum Decision { Refuser = 0, UneFois = 1, Toujours = 2 };

    explicit FormCleHote(const SessionSftp::CleHote &cle, QWidget *parent = nullptr);

    QLabel *lblTitre = nullptr, *lblType = nullptr, *lblEmpreinte = nullptr;
    QPushButton *cmdUneFois = nullptr;  // "Accepter une fois"
    QPushButton *cmdToujours = nullptr; // "Toujours accepter"
    QPushButton *cmdRefuser = nullptr;  // "Refuser"

    // What the session is told for the dialog's answer.
    static SessionSftp::Decision EnDecision(int reponse);
};
