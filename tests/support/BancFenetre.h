#pragma once

#include "support/PromptsRepondeur.h"
#include "support/ShellEnregistreur.h"
#include "window/Form1Ui.h"

#include <QPalette>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

class Form1;
class TestServeur;

// What each window test starts from: its own settings store and Temp folder
// (under the config folder), a local folder, and the prompts and shell
// stand-ins answering in place of the user's boxes and desktop. The stand-ins
// are installed for the life of the bench and emptied by Renouvelle.
class BancFenetre {
public:
    BancFenetre();
    ~BancFenetre();
    BancFenetre(const BancFenetre &) = delete;
    BancFenetre &operator=(const BancFenetre &) = delete;

    // Fresh folders, the environment pointed at them, the stand-ins emptied.
    // False when a folder can't be made.
    bool Renouvelle();
    QString Config(const QString &nom = QString()) const;
    QString Local(const QString &nom = QString()) const;

    PromptsRepondeur prompts;
    ShellEnregistreur shell;

private:
    std::unique_ptr<QTemporaryDir> m_config, m_local;
};

// Settings for an automatic connection to the test server, listing
// `dossierSite`, with the local views on `dossierLocal`.
void EcritReglagesConnexion(const TestServeur &serveur, const QString &dossierSite,
                            const QString &dossierLocal);

// The main window as the program starts it from those settings: no dialog
// shown, no end of the program.
std::unique_ptr<Form1> DemarreFenetre();

// True when the list shows the file-pick mode's red.
inline bool EnModeChoix(const QWidget *liste) {
    return liste && liste->palette().color(QPalette::Base) == FondModeChoix;
}
