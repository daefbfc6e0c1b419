#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

#include "automation/LigneCommande.h"
#include "dialogs/Form2.h"
#include "ftp/clsFTP.h"
#include "mainwindow/Form1.h"
#include "platform/LocalLists.h"
#include "platform/Prompts.h"
#include "settings/Reglages.h"
#include "support/PromptsRepondeur.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/Globales.h"

using Reglages::Lit;

namespace {

QString lit(int memoire, const char *cle) {
    return Lit(Reglages::SectionMemoire(memoire), QLatin1String(cle), QStringLiteral("<absent>"));
}

void ecritMemoire(int n, const QString &nom, const QString &util, const QString &mdp,
                  const QString &site, const QString &drv = QString(),
                  const QString &dir = QString(), const QString &fil = QString()) {
    const QString s = Reglages::SectionMemoire(n);
    Reglages::Ecrit(s, QLatin1String(Reglages::MemNomBout), nom);
    Reglages::Ecrit(s, QLatin1String(Reglages::MemTxtUtil), util);
    Reglages::Ecrit(s, QLatin1String(Reglages::MemTxtMDP), mdp);
    Reglages::Ecrit(s, QLatin1String(Reglages::MemTxtSite), site);
    Reglages::Ecrit(s, QLatin1String(Reglages::MemDrvLoc), drv);
    Reglages::Ecrit(s, QLatin1String(Reglages::MemDirLoc), dir);
    Reglages::Ecrit(s, QLatin1String(Reglages::MemFilLoc), fil);
}

} // namespace

// Each case: an empty config folder, the answering machine for prompts, a
// fresh main window and local folders of its own.
class TstForm2 : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void chargement();
    void okEcritToutEtDonneLesParametres();
    void annulerVideLesParametres();
    void anonyme();
    void enregistreDansMemoireVideEtConnecte();
    void modifierNeFermePas();
    void nomAnnule();
    void rappel();
    void rappelResteSurLeRepertoireLocal();
    void rappelDossierDisparu();
    void effacer();
    void boutonBlancEnregistre();
    void options();
    void toucheEntree();
    void dernierEmplacement();
    void automatisation();
    void chiffrement();
    void protocole();
    void choixDuProtocole();

private:
    std::unique_ptr<Form2> ouvre();
    std::unique_ptr<QTemporaryDir> m_config, m_local;
    std::unique_ptr<PromptsRepondeur> m_prompts;
    std::unique_ptr<Form1> m_form1;
    QByteArray m_ancienXdg;
};

void TstForm2::init() {
    m_config = std::make_unique<QTemporaryDir>();
    m_local = std::make_unique<QTemporaryDir>();
    QVERIFY(m_config->isValid() && m_local->isValid());
    m_ancienXdg = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
    qputenv("QUILLON_TEMP_DIR", (m_local->path() + "/Temp").toLocal8Bit());
    QVERIFY(QDir(m_local->path()).mkpath("un/sous"));
    QVERIFY(QDir(m_local->path()).mkpath("deux"));
    m_prompts = std::make_unique<PromptsRepondeur>();
    DefinitPrompts(m_prompts.get());
    sSite.clear();
    sUtilisateur.clear();
    sMotDePasse.clear();
    DoubleClicOuvre = true;
    DernierEmplacement = 0;
    m_form1 = std::make_unique<Form1>();
    QVERIFY(m_form1->Ui().drvLocal && m_form1->Ui().dirLocal && m_form1->Ui().filLocal);
    QVERIFY(m_form1->Ui().dirLocal->setPath(m_local->path() + "/un"));
    QVERIFY(m_form1->Ui().filLocal->setPath(m_local->path() + "/un"));
}

void TstForm2::cleanup() {
    m_form1.reset();
    DefinitPrompts(nullptr);
    m_prompts.reset();
    qputenv("XDG_CONFIG_HOME", m_ancienXdg);
    m_config.reset();
    m_local.reset();
}

std::unique_ptr<Form2> TstForm2::ouvre() {
    auto f = std::make_unique<Form2>(LiensDialogueConnexion(*m_form1));
    f->show();
    return f;
}

void TstForm2::chargement() {
    Reglages::Ecrit(Reglages::TxtSite, QStringLiteral("ftp.exemple.fr"));
    Reglages::Ecrit(Reglages::TxtUtilisateur, QStringLiteral("marie"));
    Reglages::Ecrit(Reglages::TxtMDP, QStringLiteral("s,e;c=r#e t"));
    ecritMemoire(3, "Bureau", "jean", "x", "bureau.fr");
    ecritMemoire(5, "", "paul", "y", "paul.fr"); // no name: the user name shows
    ecritMemoire(6, "Orphelin", "u", "z", "");   // no host: the number shows
    DoubleClicOuvre = false;
    m_form1->Ui().MconAuto->setChecked(true);

    auto f = ouvre();
    QCOMPARE(f->windowTitle(), QStringLiteral("Connexion"));
    QCOMPARE(f->TxtSite->text(), QStringLiteral("ftp.exemple.fr"));
    QCOMPARE(f->txtUtilisateur->text(), QStringLiteral("marie"));
    QCOMPARE(f->txtMDP->text(), QStringLiteral("s,e;c=r#e t"));
    QCOMPARE(f->txtMDP->echoMode(), QLineEdit::Password);
    const QStringList legendes{"1", "2", "3", "Bureau", "5", "paul", "7", "8", "9"};
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(f->Command1[i]->text(), legendes[i]);
        QCOMPARE(f->findChild<QPushButton *>(QStringLiteral("Command1(%1)").arg(i)),
                 f->Command1[i]);
    }
    QCOMPARE(f->Souvenirs[6].nom, QStringLiteral("Orphelin"));
    QVERIFY(f->Check3->isChecked());
    QVERIFY(f->Check5->isChecked()); // double-click transfers
    QVERIFY(!f->Command4->isVisible());
    QVERIFY(!f->Command3->isEnabled()); // not connected

    // Every control carries its name and caption.
    const QList<QPair<QString, QString>> textes{
        {"Label1", "Site"},
        {"Label2", "Utilisateur"},
        {"Label3", "Mot de passe"},
        {"chkAnonyme", "Connexion Anonyme"},
        {"Check1", "Modifier"},
        {"Check2", "Effacer"},
        {"Check4", "Rester sur le répertoire local"},
        {"Check3", "Connexion Automatique à l'ouverture"},
        {"Check5", "Double clic pour télécharger un fichier (sinon pour l'ouvrir)"},
        {"lblConnexions", "Connexions simultanées :"},
        {"btnOK", "OK"},
        {"Command2", "Annuler"},
        {"Command3", "Automatisation de transferts"},
        {"Command4", "Dernier emplacement"},
    };
    for (const auto &[nom, texte] : textes) {
        QObject *o = f->findChild<QObject *>(nom);
        QVERIFY2(o, qPrintable(nom));
        QCOMPARE(o->property("text").toString(), texte);
    }
    for (const char *nom : {"TxtSite", "txtUtilisateur", "txtMDP", "Image1", "Shape1"})
        QVERIFY2(f->findChild<QWidget *>(QLatin1String(nom)), nom);

    // Loading reads only: nothing was written.
    QCOMPARE(lit(0, "TxtSite"), QStringLiteral("<absent>"));
}

void TstForm2::okEcritToutEtDonneLesParametres() {
    ecritMemoire(8, "Huit", "h", "hh", "huit.fr", "/", "/tmp", "/tmp");
    m_form1->Ui().List4->addItem(QStringLiteral("ancien.txt"));
    m_form1->Ui().trvSiteDir->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("/")}));
    auto f = ouvre();
    f->TxtSite->setText(QStringLiteral("127.0.0.1:2121"));
    f->txtUtilisateur->setText(QStringLiteral("marie"));
    f->txtMDP->setText(QStringLiteral("mot, de \"passe\""));
    QTest::mouseClick(f->btnOK, Qt::LeftButton);

    QVERIFY(!f->isVisible());
    QCOMPARE(f->result(), int(QDialog::Accepted));
    QCOMPARE(sSite, QStringLiteral("127.0.0.1:2121"));
    QCOMPARE(sUtilisateur, QStringLiteral("marie"));
    QCOMPARE(sMotDePasse, QStringLiteral("mot, de \"passe\""));
    QCOMPARE(m_form1->Ui().List4->count(), 0);
    QCOMPARE(m_form1->Ui().trvSiteDir->topLevelItemCount(), 0);
    QCOMPARE(Lit(QStringLiteral("data"), QStringLiteral("TxtSite")),
             QStringLiteral("127.0.0.1:2121"));
    QCOMPARE(Lit(QStringLiteral("Data"), QStringLiteral("txtUtilisateur")),
             QStringLiteral("marie"));
    QCOMPARE(Lit(Reglages::TxtMDP), QStringLiteral("mot, de \"passe\""));
    // All nine memory sections are written, the empty ones too.
    for (int i = 0; i < 8; ++i) {
        for (const char *cle :
             {"NomBout", "TxtUtil", "txtMDP", "TxtSite", "drvloc", "dirloc", "filloc"})
            QCOMPARE(lit(i, cle), QString());
    }
    QCOMPARE(lit(8, "NomBout"), QStringLiteral("Huit"));
    QCOMPARE(lit(8, "TxtUtil"), QStringLiteral("h"));
    QCOMPARE(lit(8, "filloc"), QStringLiteral("/tmp"));

    // Closing the dialog after OK keeps the parameters.
    f.reset();
    QCOMPARE(sSite, QStringLiteral("127.0.0.1:2121"));
    QVERIFY(!QApplication::overrideCursor()); // the wait cursor went with the dialog
}

void TstForm2::annulerVideLesParametres() {
    Reglages::Ecrit(Reglages::TxtSite, QStringLiteral("garde.fr"));
    for (int maniere = 0; maniere < 3; ++maniere) {
        sSite = QStringLiteral("actuel.fr");
        sUtilisateur = QStringLiteral("u");
        sMotDePasse = QStringLiteral("p");
        auto f = ouvre();
        f->TxtSite->setText(QStringLiteral("autre.fr"));
        if (maniere == 0)
            QTest::mouseClick(f->Command2, Qt::LeftButton);
        else if (maniere == 1)
            QTest::keyClick(f.get(), Qt::Key_Escape);
        else
            f->close();
        QVERIFY(!f->isVisible());
        QCOMPARE(f->result(), int(QDialog::Rejected));
        QCOMPARE(sSite, QString());
        QCOMPARE(sUtilisateur, QString());
        QCOMPARE(sMotDePasse, QString());
        // Nothing stored changes.
        QCOMPARE(Lit(Reglages::TxtSite), QStringLiteral("garde.fr"));
        QCOMPARE(lit(0, "TxtSite"), QStringLiteral("<absent>"));
    }
}

void TstForm2::anonyme() {
    Reglages::Ecrit(Reglages::TxtUtilisateur, QStringLiteral("marie"));
    Reglages::Ecrit(Reglages::TxtMDP, QStringLiteral("secret"));
    auto f = ouvre();
    f->TxtSite->setText(QStringLiteral("ftp.libre.fr"));
    f->chkAnonyme->click();
    QVERIFY(!f->txtUtilisateur->isEnabled());
    QVERIFY(!f->txtMDP->isEnabled());
    QCOMPARE(f->txtUtilisateur->text(), QString());
    QCOMPARE(f->txtMDP->text(), QString());
    f->chkAnonyme->click();
    QVERIFY(f->txtUtilisateur->isEnabled());
    QCOMPARE(f->txtUtilisateur->text(), QString()); // stays empty
    f->txtUtilisateur->setText(QStringLiteral("ignoré"));
    f->chkAnonyme->click();

    // A memory recorded meanwhile holds no user and no password.
    m_prompts->saisies << QStringLiteral("Libre");
    f->Check1->setChecked(true);
    f->Command1[1]->click();
    QCOMPARE(f->Souvenirs[1].utilisateur, QString());
    QCOMPARE(f->Souvenirs[1].motDePasse, QString());
    QCOMPARE(f->Souvenirs[1].site, QStringLiteral("ftp.libre.fr"));

    f->btnOK->click();
    QCOMPARE(sSite, QStringLiteral("ftp.libre.fr"));
    QCOMPARE(sUtilisateur, QString());
    QCOMPARE(sMotDePasse, QString());
    QCOMPARE(Lit("data", "txtUtilisateur", QStringLiteral("<absent>")), QString());
    QCOMPARE(Lit(Reglages::TxtMDP), QString());
}

void TstForm2::enregistreDansMemoireVideEtConnecte() {
    auto f = ouvre();
    f->TxtSite->setText(QStringLiteral("bureau.fr"));
    f->txtUtilisateur->setText(QStringLiteral("jean"));
    f->txtMDP->setText(QStringLiteral("pw"));
    m_prompts->saisies << QStringLiteral("Bureau");
    f->Command1[2]->click();

    QCOMPARE(m_prompts->demandes.size(), 1);
    QCOMPARE(m_prompts->demandes[0].genre, QStringLiteral("Saisie"));
    QCOMPARE(m_prompts->demandes[0].titre, QStringLiteral("Souvenir"));
    QCOMPARE(m_prompts->demandes[0].texte, QStringLiteral("Nom du bouton"));
    QCOMPARE(m_prompts->demandes[0].defaut, QStringLiteral("jean"));
    QCOMPARE(f->Command1[2]->text(), QStringLiteral("Bureau"));
    // "Modifier" was clear: the dialog closed as by OK and stored everything.
    QVERIFY(!f->isVisible());
    QCOMPARE(sSite, QStringLiteral("bureau.fr"));
    QCOMPARE(sUtilisateur, QStringLiteral("jean"));
    QCOMPARE(lit(2, "NomBout"), QStringLiteral("Bureau"));
    QCOMPARE(lit(2, "TxtUtil"), QStringLiteral("jean"));
    QCOMPARE(lit(2, "txtMDP"), QStringLiteral("pw"));
    QCOMPARE(lit(2, "TxtSite"), QStringLiteral("bureau.fr"));
    QCOMPARE(lit(2, "drvloc"), m_form1->Ui().drvLocal->Drive());
    QCOMPARE(lit(2, "dirloc"), m_local->path() + "/un");
    QCOMPARE(lit(2, "filloc"), m_local->path() + "/un");

    // The next load shows the name.
    auto g = ouvre();
    QCOMPARE(g->Command1[2]->text(), QStringLiteral("Bureau"));
}

void TstForm2::modifierNeFermePas() {
    ecritMemoire(0, "Ancien", "a", "b", "ancien.fr");
    auto f = ouvre();
    f->TxtSite->setText(QStringLiteral("neuf.fr"));
    f->txtUtilisateur->setText(QStringLiteral("n"));
    f->Check1->setChecked(true);
    m_prompts->saisies << QStringLiteral("Neuf");
    f->Command1[0]->click();
    QVERIFY(f->isVisible());
    QVERIFY(!f->Check1->isChecked());
    QCOMPARE(f->Command1[0]->text(), QStringLiteral("Neuf"));
    QCOMPARE(f->Souvenirs[0].site, QStringLiteral("neuf.fr"));
    // Stored only by OK: cancelling forgets it.
    f->Command2->click();
    QCOMPARE(lit(0, "TxtSite"), QStringLiteral("ancien.fr"));
    QCOMPARE(ouvre()->Command1[0]->text(), QStringLiteral("Ancien"));
}

void TstForm2::nomAnnule() {
    ecritMemoire(4, "Cinq", "c", "d", "cinq.fr");
    auto f = ouvre();
    f->Check1->setChecked(true);
    m_prompts->saisies << std::nullopt;
    f->Command1[4]->click();
    QVERIFY(f->isVisible());
    QCOMPARE(f->Command1[4]->text(), QString());
    QCOMPARE(f->Souvenirs[4].site, QStringLiteral("cinq.fr")); // unchanged
    // An empty memory whose naming is cancelled: blank button, nothing stored.
    m_prompts->saisies << QString();
    f->Command1[7]->click();
    QVERIFY(f->isVisible());
    QCOMPARE(f->Command1[7]->text(), QString());
    QCOMPARE(f->Souvenirs[7].site, QString());
    f->btnOK->click();
    QCOMPARE(lit(4, "TxtSite"), QStringLiteral("cinq.fr"));
    // The next load shows the stored name, or the number again.
    auto g = ouvre();
    QCOMPARE(g->Command1[4]->text(), QStringLiteral("Cinq"));
    QCOMPARE(g->Command1[7]->text(), QStringLiteral("8"));
}

void TstForm2::rappel() {
    const QString deux = m_local->path() + "/deux";
    const QString sous = m_local->path() + "/un/sous";
    ecritMemoire(1, "Maison", "moi", "m,d;p", "maison.fr", "/", deux, sous);
    auto f = ouvre();
    f->Command1[1]->click();
    QVERIFY(m_prompts->demandes.isEmpty());
    QCOMPARE(f->TxtSite->text(), QStringLiteral("maison.fr"));
    QCOMPARE(f->txtUtilisateur->text(), QStringLiteral("moi"));
    QCOMPARE(f->txtMDP->text(), QStringLiteral("m,d;p"));
    QCOMPARE(m_form1->Ui().dirLocal->Path(), deux);
    QCOMPARE(m_form1->Ui().filLocal->Path(), sous);
    QVERIFY(!f->isVisible());
    QCOMPARE(sSite, QStringLiteral("maison.fr"));
    QCOMPARE(sMotDePasse, QStringLiteral("m,d;p"));
    QCOMPARE(Lit(Reglages::TxtSite), QStringLiteral("maison.fr"));
}

void TstForm2::rappelResteSurLeRepertoireLocal() {
    ecritMemoire(1, "Maison", "moi", "p", "maison.fr", "/", "/", "/");
    auto f = ouvre();
    f->Check4->setChecked(true);
    f->Command1[1]->click();
    QCOMPARE(m_form1->Ui().dirLocal->Path(), m_local->path() + "/un");
    QCOMPARE(m_form1->Ui().filLocal->Path(), m_local->path() + "/un");
    QCOMPARE(sSite, QStringLiteral("maison.fr"));
}

void TstForm2::rappelDossierDisparu() {
    const QString parti = m_local->path() + "/parti";
    ecritMemoire(2, "Cle", "u", "p", "cle.fr", "/media/absente", parti, parti);
    auto f = ouvre();
    f->Command1[2]->click();
    // The local views stay where they were; the connection still goes ahead.
    QCOMPARE(m_form1->Ui().dirLocal->Path(), m_local->path() + "/un");
    QCOMPARE(m_form1->Ui().filLocal->Path(), m_local->path() + "/un");
    QCOMPARE(sSite, QStringLiteral("cle.fr"));
    QVERIFY(!f->isVisible());
}

void TstForm2::effacer() {
    ecritMemoire(3, "Quatre", "q", "r", "quatre.fr", "/", "/", "/");
    auto f = ouvre();
    f->Check1->setChecked(true);
    f->Check2->setChecked(true);
    f->Command1[3]->click();
    QVERIFY(f->isVisible());
    QVERIFY(m_prompts->demandes.isEmpty());
    QCOMPARE(f->Command1[3]->text(), QString());
    QVERIFY(!f->Check1->isChecked());
    QVERIFY(!f->Check2->isChecked());
    QCOMPARE(f->Souvenirs[3].site, QString());
    QCOMPARE(f->Souvenirs[3].nom, QString());
    // Not stored until OK.
    QCOMPARE(lit(3, "TxtSite"), QStringLiteral("quatre.fr"));
    f->btnOK->click();
    for (const char *cle : {"NomBout", "TxtUtil", "txtMDP", "TxtSite", "drvloc", "dirloc"})
        QCOMPARE(lit(3, cle), QString());
    QCOMPARE(ouvre()->Command1[3]->text(), QStringLiteral("4"));
}

void TstForm2::boutonBlancEnregistre() {
    // A blank button over an erased memory records instead of "recalling"
    // nothing and overwriting the stored connection with empty fields.
    Reglages::Ecrit(Reglages::TxtSite, QStringLiteral("garde.fr"));
    ecritMemoire(3, "Quatre", "q", "r", "quatre.fr");
    auto f = ouvre();
    f->Check2->setChecked(true);
    f->Command1[3]->click();
    f->TxtSite->setText(QStringLiteral("garde.fr"));
    m_prompts->saisies << std::nullopt;
    f->Command1[3]->click();
    QCOMPARE(m_prompts->demandes.size(), 1);
    QVERIFY(f->isVisible());
    QCOMPARE(f->TxtSite->text(), QStringLiteral("garde.fr"));
    QCOMPARE(Lit(Reglages::TxtSite), QStringLiteral("garde.fr"));
}

void TstForm2::options() {
    auto f = ouvre();
    QVERIFY(!f->Check3->isChecked());
    QTest::mouseClick(f->Check3, Qt::LeftButton);
    QVERIFY(m_form1->Ui().MconAuto->isChecked());
    QCOMPARE(Lit(Reglages::ConAuto), QStringLiteral("True"));
    QTest::mouseClick(f->Check3, Qt::LeftButton);
    QVERIFY(!m_form1->Ui().MconAuto->isChecked());
    QCOMPARE(Lit(Reglages::ConAuto), QStringLiteral("False"));

    QVERIFY(!f->Check5->isChecked()); // double-click opens
    QTest::mouseClick(f->Check5, Qt::LeftButton);
    QCOMPARE(DoubleClicOuvre, false);
    QCOMPARE(Lit(Reglages::DBC), QStringLiteral("False"));
    // Written at once, whatever closes the dialog.
    f->Command2->click();
    QCOMPARE(Reglages::LitBooleen(Reglages::DBC), false);
    QCOMPARE(Reglages::LitBooleen(Reglages::ConAuto), false);
    auto g = ouvre();
    QVERIFY(g->Check5->isChecked());

    // Connections for a folder copy: 3 until changed, 1 to 10, kept at once.
    QCOMPARE(g->spnConnexions->value(), 3);
    QCOMPARE(Lit(Reglages::Connexions), QStringLiteral("3"));
    g->spnConnexions->setValue(1);
    QCOMPARE(Lit(Reglages::Connexions), QStringLiteral("1"));
    g->spnConnexions->setValue(50);
    QCOMPARE(Reglages::ConnexionsSimultanees(), 10);
    g->Command2->click();
    QVERIFY(Reglages::Ecrit(Reglages::Connexions, QStringLiteral("beaucoup")));
    QCOMPARE(ouvre()->spnConnexions->value(), 3);
}

void TstForm2::toucheEntree() {
    {
        auto f = ouvre();
        QVERIFY(QTest::qWaitForWindowActive(f.get()));
        f->TxtSite->setFocus();
        QTest::keyClick(f->TxtSite, Qt::Key_Return);
        QVERIFY(f->isVisible()); // only the user and password boxes run OK
        f->txtMDP->setText(QStringLiteral("pw"));
        QTest::keyClick(f->txtMDP, Qt::Key_Return);
        QVERIFY(!f->isVisible());
        QCOMPARE(f->result(), int(QDialog::Accepted));
        QCOMPARE(sMotDePasse, QStringLiteral("pw"));
    }
    auto f = ouvre();
    f->txtUtilisateur->setText(QStringLiteral("jean"));
    QTest::keyClick(f->txtUtilisateur, Qt::Key_Enter);
    QVERIFY(!f->isVisible());
    QCOMPARE(Lit(Reglages::TxtUtilisateur), QStringLiteral("jean"));
}

void TstForm2::dernierEmplacement() {
    // An empty stored host: Komavant reads it and makes no connection attempt.
    sSite = QStringLiteral("actuel.fr");
    auto f = ouvre();
    f->Command4->setVisible(true);
    f->TxtSite->setText(QStringLiteral("tape.fr"));
    f->Command4->click();
    QCOMPARE(DernierEmplacement, short(-1));
    QVERIFY(!f->isVisible());
    QCOMPARE(sSite, QString());
    QCOMPARE(Lit("data", "TxtSite", QStringLiteral("<absent>")), QStringLiteral("<absent>"));
}

void TstForm2::automatisation() {
    m_form1->etat().DefinitCO(-1);
    sSite = QStringLiteral("actuel.fr");
    auto f = ouvre();
    QVERIFY(f->Command3->isEnabled());
    QSignalSpy demande(f.get(), &Form2::AutomatisationDemandee);
    f->Command3->click();
    QVERIFY(!f->isVisible());
    QCOMPARE(demande.count(), 1);
    QCOMPARE(sSite, QStringLiteral("actuel.fr")); // kept
    m_form1->etat().DefinitCO(0);
}

// The encryption choice is kept beside the host: in "data", in each memory,
// recalled and recorded with it; a connection stored without one uses TLS
// when the server offers it.
void TstForm2::chiffrement() {
    ecritMemoire(2, "Ancien", "a", "x", "ancien.fr"); // stored before the choice existed
    ecritMemoire(4, "Clair", "c", "y", "clair.fr");
    Reglages::Ecrit(Reglages::SectionMemoire(4), QLatin1String(Reglages::MemChiffrement),
                    QStringLiteral("2"));
    {
        auto f = ouvre();
        QComboBox *choix = f->findChild<QComboBox *>(QStringLiteral("cboChiffrement"));
        QVERIFY(choix);
        QCOMPARE(choix, f->cboChiffrement);
        QCOMPARE(f->lblChiffrement->text(), QStringLiteral("Chiffrement"));
        QCOMPARE(f->lblChiffrement->buddy(), choix);
        QCOMPARE(choix->count(), 3);
        QCOMPARE(choix->itemText(0), QStringLiteral("TLS si disponible"));
        QCOMPARE(choix->itemText(1), QStringLiteral("TLS obligatoire"));
        QCOMPARE(choix->itemText(2), QStringLiteral("Aucun"));
        QCOMPARE(choix->currentIndex(), 0);

        // Recalling a memory brings its choice; OK stores and uses it.
        QTest::mouseClick(f->Command1[4], Qt::LeftButton);
        QCOMPARE(choix->currentText(), QStringLiteral("Aucun"));
        QCOMPARE(sSite, QStringLiteral("clair.fr"));
        QCOMPARE(sChiffrement, Chiffrement::Aucun);
        QCOMPARE(Lit(Reglages::Chiffrement), QStringLiteral("2"));
        QCOMPARE(lit(2, "Chiffrement"), QStringLiteral("0"));
        QCOMPARE(lit(4, "Chiffrement"), QStringLiteral("2"));
    }
    {
        auto f = ouvre();
        QCOMPARE(f->cboChiffrement->currentText(), QStringLiteral("Aucun"));
        QTest::mouseClick(f->Command1[2], Qt::LeftButton);
        QCOMPARE(sChiffrement, Chiffrement::SiDisponible);
    }
    {
        // Recorded into a memory with the choice on screen.
        auto f = ouvre();
        f->TxtSite->setText(QStringLiteral("sur.fr"));
        f->cboChiffrement->setCurrentIndex(1);
        m_prompts->saisies.append(std::optional<QString>(QStringLiteral("Sûr")));
        f->Check1->setChecked(true);
        QTest::mouseClick(f->Command1[6], Qt::LeftButton);
        QTest::mouseClick(f->btnOK, Qt::LeftButton);
        QCOMPARE(sChiffrement, Chiffrement::Obligatoire);
        QCOMPARE(lit(6, "Chiffrement"), QStringLiteral("1"));
        QCOMPARE(Lit(Reglages::Chiffrement), QStringLiteral("1"));
    }
}

// The protocol is kept beside the host as the encryption is: in "data", in
// each memory and each recorded slot; anything stored without it is FTP.
void TstForm2::protocole() {
    ecritMemoire(2, "Ancien", "a", "x", "ancien.fr"); // stored before the choice existed
    ecritMemoire(4, "Ssh", "s", "y", "ssh.fr");
    Reglages::Ecrit(Reglages::SectionMemoire(4), QLatin1String(Reglages::MemProtocole),
                    QStringLiteral("1"));
    {
        auto f = ouvre();
        QTest::mouseClick(f->Command1[2], Qt::LeftButton);
        QCOMPARE(sSite, QStringLiteral("ancien.fr"));
        QCOMPARE(sProtocole, Protocole::FTP);
        QCOMPARE(Lit(Reglages::Protocole), QStringLiteral("0"));
        QCOMPARE(lit(2, "Protocole"), QStringLiteral("0"));
        QCOMPARE(lit(4, "Protocole"), QStringLiteral("1"));
    }
    {
        auto f = ouvre();
        QTest::mouseClick(f->Command1[4], Qt::LeftButton);
        QCOMPARE(sSite, QStringLiteral("ssh.fr"));
        QCOMPARE(sProtocole, Protocole::SFTP);
        QCOMPARE(Lit(Reglages::Protocole), QStringLiteral("1"));
    }
    {
        // The stored choice comes back with the host and goes into a new memory.
        auto f = ouvre();
        m_prompts->saisies.append(std::optional<QString>(QStringLiteral("Autre")));
        f->Check1->setChecked(true);
        QTest::mouseClick(f->Command1[6], Qt::LeftButton);
        QTest::mouseClick(f->btnOK, Qt::LeftButton);
        QCOMPARE(sProtocole, Protocole::SFTP);
        QCOMPARE(lit(6, "Protocole"), QStringLiteral("1"));
    }

    // Recorded slots: one written before the choice existed reads as FTP.
    Reglages::Ecrit(QLatin1String(Reglages::SectionLDC), Reglages::CleLDC("TxtSite", 5),
                    QStringLiteral("ancien.fr"));
    QCOMPARE(LitEmplacement(5).site, QStringLiteral("ancien.fr"));
    QCOMPARE(LitEmplacement(5).protocole, Protocole::FTP);
    EmplacementTransfert e;
    e.site = QStringLiteral("ssh.fr");
    e.protocole = Protocole::SFTP;
    EcritEmplacement(5, e);
    QCOMPARE(Reglages::Lit(QLatin1String(Reglages::SectionLDC), Reglages::CleLDC("Protocole", 5)),
             QStringLiteral("1"));
    QCOMPARE(LitEmplacement(5).protocole, Protocole::SFTP);
}

// The protocol choice beside the host: the host text's prefix selects it, the
// person's choice takes off a prefix naming the other protocol, and SFTP
// shows the encryption choice disabled.
void TstForm2::choixDuProtocole() {
    auto f = ouvre();
    QCOMPARE(f->findChild<QComboBox *>(QStringLiteral("cboProtocole")), f->cboProtocole);
    QCOMPARE(f->lblProtocole->text(), QStringLiteral("Protocole"));
    QCOMPARE(f->lblProtocole->buddy(), f->cboProtocole);
    QCOMPARE(f->cboProtocole->count(), 2);
    QCOMPARE(f->cboProtocole->itemText(0), QStringLiteral("FTP"));
    QCOMPARE(f->cboProtocole->itemText(1), QStringLiteral("SFTP"));
    QCOMPARE(f->cboProtocole->currentText(), QStringLiteral("FTP"));
    QVERIFY(f->cboChiffrement->isEnabled());

    // Typed prefixes select the protocol they name; a bare host leaves it.
    f->TxtSite->clear();
    QTest::keyClicks(f->TxtSite, QStringLiteral("SFTP://ssh.fr:2222"));
    QCOMPARE(f->cboProtocole->currentText(), QStringLiteral("SFTP"));
    QVERIFY(!f->cboChiffrement->isEnabled());
    QVERIFY(!f->lblChiffrement->isEnabled());
    f->TxtSite->clear();
    QTest::keyClicks(f->TxtSite, QStringLiteral("ssh.fr"));
    QCOMPARE(f->cboProtocole->currentText(), QStringLiteral("SFTP"));
    f->TxtSite->clear();
    QTest::keyClicks(f->TxtSite, QStringLiteral("ftps://tls.fr"));
    QCOMPARE(f->cboProtocole->currentText(), QStringLiteral("FTP"));
    QVERIFY(f->cboChiffrement->isEnabled());

    // Choosing the other protocol drops the prefix and its default port, not
    // a port of the person's.
    const auto choisit = [&](int index) {
        f->cboProtocole->setFocus();
        QTest::keyClick(f->cboProtocole, index ? Qt::Key_Down : Qt::Key_Up);
        QCOMPARE(f->cboProtocole->currentIndex(), index);
    };
    f->TxtSite->setText(QStringLiteral("ftps://tls.fr:990"));
    choisit(1);
    QCOMPARE(f->TxtSite->text(), QStringLiteral("tls.fr"));
    f->TxtSite->setText(QStringLiteral("sftp://[::1]:22"));
    choisit(0);
    QCOMPARE(f->TxtSite->text(), QStringLiteral("[::1]"));
    f->TxtSite->setText(QStringLiteral("ftps://tls.fr:2990"));
    choisit(1);
    QCOMPARE(f->TxtSite->text(), QStringLiteral("tls.fr:2990"));
    f->TxtSite->setText(QStringLiteral("sftp://ssh.fr:2222"));
    choisit(0);
    QCOMPARE(f->TxtSite->text(), QStringLiteral("ssh.fr:2222"));

    // OK stores the choice on screen and hands it to the connection.
    choisit(1);
    QTest::mouseClick(f->btnOK, Qt::LeftButton);
    QCOMPARE(sSite, QStringLiteral("ssh.fr:2222"));
    QCOMPARE(sProtocole, Protocole::SFTP);
    QCOMPARE(Lit(Reglages::Protocole), QStringLiteral("1"));

    // Shown again with the stored choice; a memory whose host text names SFTP
    // is SFTP whatever was stored beside it.
    ecritMemoire(3, "Ssh", "s", "y", "sftp://ssh.fr");
    Reglages::Ecrit(Reglages::SectionMemoire(3), QLatin1String(Reglages::MemProtocole),
                    QStringLiteral("0"));
    auto g = ouvre();
    QCOMPARE(g->cboProtocole->currentText(), QStringLiteral("SFTP"));
    QVERIFY(!g->cboChiffrement->isEnabled());
    QTest::mouseClick(g->Command1[3], Qt::LeftButton);
    QCOMPARE(sSite, QStringLiteral("sftp://ssh.fr"));
    QCOMPARE(sProtocole, Protocole::SFTP);
}

QTEST_MAIN(TstForm2)
#include "tst_form2.moc"
