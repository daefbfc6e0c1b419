#pragma once

#include "security/Chiffrement.h"

#include <QDialog>

class QHBoxLayout;
class QLabel;
class QPushButton;

// Asks the person about a server certificate that the system's authorities
// don't vouch for: its subject, issuer, validity, SHA-256 fingerprint and why
// it failed. exec() returns a Decision.
class FormCertificat : public QDialog {
    Q_OBJECT
public:
    enum Decision { Refuser = 0, UneFois = 1, Toujours = 2 };

    explicit FormCertificat(const Certificat &certificat, QWidget *parent = nullptr);

    QLabel *lblSujet = nullptr, *lblEmetteur = nullptr, *lblValidite = nullptr;
    QLabel *lblEmpreinte = nullptr, *lblRaison = nullptr;
    QPushButton *cmdUneFois = nullptr;  // "Accepter une fois"
    QPushButton *cmdToujours = nullptr; // "Toujours accepter"
    QPushButton *cmdRefuser = nullptr;  // "Refuser"

    // A text from the certificate as it may be shown: control characters
    // replaced, length bounded (the server chose these bytes).
    static QString TexteAffichable(const QString &texte);
    // The three decision buttons of a trust dialog, named and labelled as here
    // (each ends `dialogue` with its Decision); Enter or Escape refuses.
    static QHBoxLayout *RangeeDecisions(QDialog &dialogue, QPushButton *&uneFois,
                                        QPushButton *&toujours, QPushButton *&refuser);
};
