#include "support/BancFenetre.h"

#include "connection/GestionConnexion.h"
#include "dialogs/Form2.h"
#include "mainwindow/Form1.h"
#include "settings/Reglages.h"
#include "support/TestServeur.h"

BancFenetre::BancFenetre() {
    DefinitPrompts(&prompts);
    DefinitShell(&shell);
}

BancFenetre::~BancFenetre() {
    DefinitPrompts(nullptr);
    DefinitShell(nullptr);
}

bool BancFenetre::Renouvelle() {
    m_config = std::make_unique<QTemporaryDir>();
    m_local = std::make_unique<QTemporaryDir>();
    if (!m_config->isValid() || !m_local->isValid())
        return false;
    qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
    qputenv("QUILLON_TEMP_DIR", Config(QStringLiteral("Temp")).toLocal8Bit());
    prompts = PromptsRepondeur();
    shell = ShellEnregistreur();
    return true;
}

QString BancFenetre::Config(const QString &nom) const {
    return nom.isEmpty() ? m_config->path() : m_config->filePath(nom);
}

QString BancFenetre::Local(const QString &nom) const {
    return nom.isEmpty() ? m_local->path() : m_local->filePath(nom);
}

void EcritReglagesConnexion(const TestServeur &serveur, const QString &dossierSite,
                            const QString &dossierLocal) {
    Reglages::Ecrit(Reglages::TxtSite, serveur.site());
    Reglages::Ecrit(Reglages::TxtUtilisateur, serveur.utilisateur());
    Reglages::Ecrit(Reglages::TxtMDP, serveur.motDePasse());
    Reglages::EcritBooleen(Reglages::ConAuto, true);
    Reglages::Ecrit(Reglages::PathSite, dossierSite);
    for (const Reglages::Cle &c : {Reglages::DrvLoc, Reglages::DirLoc, Reglages::FilLoc})
        Reglages::Ecrit(c, dossierLocal);
}

std::unique_ptr<Form1> DemarreFenetre() {
    auto f = std::make_unique<Form1>();
    f->programme().FinProgramme = [] {};
    f->gestionConnexion().MontreDialogue = [](Form2 &) { return 0; };
    f->Form_Load();
    return f;
}
