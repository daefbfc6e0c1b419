// Recorded transfers: the argument rules and the launchers' text as pure
// functions; the automation dialog driven through the main window's red lists
// against the loopback server (slots stored, loaded, erased, launchers
// written); the command-line run in its window and, as a scheduler starts
// it, without any display, with its end states and exit status.

#include "about/InfoProduit.h"
#include "automation/ArgumentsProgramme.h"
#include "automation/Automatisation.h"
#include "automation/CreationRaccourci.h"
#include "automation/Form3.h"
#include "automation/Form4.h"
#include "automation/LigneCommande.h"
#include "browsing/NavigateurLocal.h"
#include "browsing/NavigateurSite.h"
#include "connection/GestionConnexion.h"
#include "dialogs/Form2.h"
#include "ftp/clsFTP.h"
#include "mainwindow/Demarrage.h"
#include "mainwindow/Form1.h"
#include "platform/LocalLists.h"
#include "settings/Reglages.h"
#include "support/BancFenetre.h"
#include "support/TestServeur.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/Globales.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

QString lit(const char *cle, int n) {
    return Reglages::Lit(QLatin1String(Reglages::SectionLDC), Reglages::CleLDC(cle, n),
                         QStringLiteral("<absent>"));
}

QByteArray litOctets(const QString &chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

// A click on an option's circle (its middle may lie past a short caption).
void choisit(QRadioButton *option) {
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
}

} // namespace

class TstAutomatisation : public QObject {
    Q_OBJECT

    TestServeur &m_srv = TestServeur::instance();
    BancFenetre m_banc;

    // Slot n recorded for the test server, then the settings handed to the
    // real program, whose settings are named after its executable "quillon".
    QString prepareProgramme() {
        const QString dossier = m_banc.Config(QStringLiteral("quillon"));
        QDir().mkpath(dossier);
        const QString ini = dossier + QStringLiteral("/quillon.ini");
        QFile::remove(ini);
        return QFile::copy(Reglages::CheminFichier(), ini) ? ini : QString();
    }

    struct Execution {
        int code = -1;
        QString sortie, erreurs;
    };
    // The real program, with the test's settings; without any display unless
    // `environnement` names one.
    Execution lance(const QStringList &arguments, const QProcessEnvironment &environnement = {}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(v));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_banc.Config());
        env.insert(environnement);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QUILLON_BUILD_DIR "/quillon"), arguments);
        Execution e;
        // A bound, not a measure: the run itself ends as soon as it is done.
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return e;
        }
        e.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
        e.sortie = QString::fromUtf8(p.readAllStandardOutput());
        e.erreurs = QString::fromUtf8(p.readAllStandardError());
        return e;
    }
    Execution lanceProgramme(const QString &argument) { return lance({argument}); }

private slots:
    void initTestCase() { QVERIFY2(m_srv.valide(), qPrintable(m_srv.erreur())); }
    void init() {
        QVERIFY(m_banc.Renouvelle());
        Reglages::Relit();
        qunsetenv("XDG_DESKTOP_DIR");
        sSite.clear();
        sUtilisateur.clear();
        sMotDePasse.clear();
    }

    void arguments_data();
    void arguments();
    void texteDesRaccourcis();
    void enregistrementEtRaccourcis();
    void descriptionsAuChargement();
    void fenetreDeLaLigneDeCommande();
    void sansAffichage();
    void raccourcisRefuses();
    void confianceSansAttente();
    void effacementDesRaccourcis();
    void argumentsDuProgramme_data();
    void argumentsDuProgramme();
    void aideSansAffichage();
    void optionDeQtSansTransfert();
};

void TstAutomatisation::arguments_data() {
    QTest::addColumn<QString>("commande");
    QTest::addColumn<bool>("valide");
    QTest::addColumn<bool>("upload");
    QTest::addColumn<int>("emplacement");
    QTest::newRow("L0") << "L0" << true << true << 0;
    QTest::newRow("N9") << "N9" << true << false << 9;
    QTest::newRow("X9") << "X9" << true << false << 9;
    QTest::newRow("l9 minuscule") << "l9" << true << false << 9;
    QTest::newRow("5 seul") << "5" << true << false << 5;
    QTest::newRow("L seul") << "L" << false << false << -1;
    QTest::newRow("vide") << "" << false << false << -1;
    QTest::newRow("milieu ignoré") << "Lxyz4" << true << true << 4;
    QTest::newRow("chiffre non ASCII") << QStringLiteral("L\u0663") << false << false << -1;
}

void TstAutomatisation::arguments() {
    QFETCH(QString, commande);
    QFETCH(bool, valide);
    QFETCH(bool, upload);
    QFETCH(int, emplacement);
    const DemandeTransfert d = AnalyseCommande(commande);
    QCOMPARE(d.valide, valide);
    if (valide) {
        QCOMPARE(d.upload, upload);
        QCOMPARE(d.emplacement, emplacement);
    }
    QCOMPARE(Demarrage::ModeLigneDeCommande(commande), valide);
}

void TstAutomatisation::texteDesRaccourcis() {
    QCOMPARE(NomRaccourci(QStringLiteral("x"), QStringLiteral("L")),
             QStringLiteral("Upload de x.desktop"));
    QCOMPARE(NomRaccourci(QStringLiteral("x"), QStringLiteral("N")),
             QStringLiteral("Download de x.desktop"));
    QCOMPARE(NomRaccourci(QStringLiteral("x"), QStringLiteral("l")),
             QStringLiteral("Download de x.desktop"));
    // Characters no file name holds are replaced, not a reason to write nothing.
    QCOMPARE(NomRaccourci(QStringLiteral("a/b") + QChar(0) + u'c', QStringLiteral("L")),
             QStringLiteral("Upload de a_b_c.desktop"));
    QVERIFY(NomRaccourci(QString(300, u'é'), QStringLiteral("N")).toUtf8().size() <= 255);
    QVERIFY(NomRaccourci(QString(300, u'é'), QStringLiteral("N")).endsWith(".desktop"));

    const QString haut = ContenuRaccourci(7, QStringLiteral("x"), QStringLiteral("L"),
                                          QStringLiteral("/opt/mes programmes/quillon"));
    const QStringList lignes = haut.split(u'\n');
    QCOMPARE(lignes.first(), QStringLiteral("[Desktop Entry]"));
    for (const char *l : {"Type=Application", "Name=Upload de x", "Comment=Transfert sur site de x",
                          "Exec=\"/opt/mes programmes/quillon\" L7", "Path=/opt/mes programmes",
                          "Icon=/opt/mes programmes/up.ico"})
        QVERIFY2(lignes.contains(QString::fromUtf8(l)), l);

    const QString bas = ContenuRaccourci(7, QStringLiteral("x"), QStringLiteral("N"),
                                         QStringLiteral("/opt/quillon"));
    for (const char *l : {"Name=Download de x", "Comment=Téléchargement sur poste de x",
                          "Exec=/opt/quillon N7", "Icon=/opt/dn.ico"})
        QVERIFY2(bas.split(u'\n').contains(QString::fromUtf8(l)), l);

    // Quoting by the desktop-entry rules, then the string escapes; a line
    // break in a name can't end the entry early.
    QCOMPARE(ArgumentExec(QStringLiteral("/a\"b$c%d\\e/q")),
             QStringLiteral("\"/a\\\"b\\$c%%d\\\\e/q\""));
    const QString drole = ContenuRaccourci(2, QStringLiteral("n\nExec=rm"), QStringLiteral("L"),
                                           QStringLiteral("/a\\b/q"));
    QVERIFY(drole.split(u'\n').contains(QStringLiteral("Exec=\"/a\\\\\\\\b/q\" L2")));
    QCOMPARE(drole.count(QStringLiteral("\nExec=")), 1);

    QCOMPARE(Form3::NomFichierLocal(QStringLiteral("/home/a/c.txt")), QStringLiteral("c.txt"));
    QCOMPARE(Form3::NomFichierLocal(QStringLiteral("sans-dossier")),
             QStringLiteral("sans-dossier"));
}

// A new user's path: the connection dialog's button, the red lists, a local
// file then a remote entry, slot 3 stored, loaded back, launchers made on
// another button, slot erased.
void TstAutomatisation::enregistrementEtRaccourcis() {
    const QString dossier = m_srv.nouveauDossier(QStringLiteral("auto"));
    QVERIFY(m_srv.ecrisFichier(dossier + QStringLiteral("autre.txt"), "x"));
    QVERIFY(EcritFichierLocal(m_banc.Local(QStringLiteral("rapport.txt")), "r"));
    const QString bureau = m_banc.Config(QStringLiteral("Bureau/absent"));
    qputenv("XDG_DESKTOP_DIR", bureau.toLocal8Bit());
    EcritReglagesConnexion(m_srv, dossier, m_banc.Local());
    // The slot records the session's encryption choice with its host.
    Reglages::Ecrit(Reglages::Chiffrement, ChiffrementEnTexte(Chiffrement::Aucun));
    auto f = DemarreFenetre();
    Form1Ui &u = f->Ui();
    QCOMPARE(f->etat().CO(), short(-1));
    QCOMPARE(sChiffrement, Chiffrement::Aucun);

    u.List1->show();
    f->gestionConnexion().PrepareDialogue().Command3_Click();
    Form3 &d = f->automatisation().form3();
    QVERIFY(d.isVisible());
    QCOMPARE(d.windowTitle(), QStringLiteral("Espace ligne de commande"));
    QCOMPARE(d.LabInfo->text(), QStringLiteral("Appuyez sur le bouton ''Selectionner les "
                                               "fichiers'' pour enregistrer une commande."));
    QCOMPARE(d.TxtSite->text(), m_srv.site());
    QVERIFY(!d.Option1[1]->isEnabled());
    QVERIFY(!d.Option1[2]->isEnabled());

    QTest::mouseClick(d.Command3, Qt::LeftButton);
    QVERIFY(!d.isVisible());
    QVERIFY(EnModeChoix(u.filLocal));
    QVERIFY(EnModeChoix(u.List4));
    QVERIFY(u.List1->isHidden());

    u.filLocal->setFileName(QStringLiteral("rapport.txt"));
    f->navigateurLocal().filLocal_MouseDown();
    QCOMPARE(d.ficLoc->text(), m_banc.Local(QStringLiteral("rapport.txt")));
    QVERIFY(!d.isVisible());
    u.List4->setCurrentRow(0);
    f->navigateurSite().List4_MouseDown();
    QVERIFY(d.isVisible());
    QVERIFY(!EnModeChoix(u.List4));
    // The remote entry gives its folder; the file keeps the local name.
    QCOMPARE(d.ficDist->text(), dossier + QStringLiteral("rapport.txt"));
    QVERIFY(d.Option1[1]->isChecked());
    QCOMPARE(d.LabInfo->text(),
             QStringLiteral("Choisissez un bouton pour enregistrer la commande"));

    QTest::mouseClick(d.Command2[3], Qt::LeftButton);
    QCOMPARE(lit("TxtSite", 3), m_srv.site());
    QCOMPARE(lit("txtUtilisateur", 3), m_srv.utilisateur());
    QCOMPARE(lit("txtMDP", 3), m_srv.motDePasse());
    QCOMPARE(lit("FicDis", 3), dossier + QStringLiteral("rapport.txt"));
    QCOMPARE(lit("FicLoc", 3), m_banc.Local(QStringLiteral("rapport.txt")));
    QCOMPARE(lit("Chiffrement", 3), QStringLiteral("2"));
    QCOMPARE(lit("FicDis", 4), QStringLiteral("<absent>"));
    QCOMPARE(d.Command2[3]->text(), QStringLiteral("3"));
    QVERIFY(d.Command2[3]->font().bold());
    const QString description = QStringLiteral("rapport.txt sur ") + m_srv.utilisateur();
    QCOMPARE(d.Command2[3]->toolTip(), description);
    QVERIFY(d.Option1[0]->isChecked());
    d.Command2_MouseMove(3);
    QCOMPARE(d.Label6->text(), description);
    d.Command2_MouseMove(4);
    QCOMPARE(d.Label6->text(), QString());

    // Loaded back into emptied boxes; the two other modes open up.
    for (QLineEdit *b : {d.TxtSite, d.ficLoc, d.ficDist})
        b->clear();
    QTest::mouseClick(d.Command2[3], Qt::LeftButton);
    QCOMPARE(d.ficDist->text(), dossier + QStringLiteral("rapport.txt"));
    QCOMPARE(d.TxtSite->text(), m_srv.site());
    QVERIFY(d.Option1[1]->isEnabled());
    QVERIFY(d.Option1[2]->isEnabled());

    // Launchers made on button 5: named from the boxes, running slot 5.
    const QString haut = bureau + QStringLiteral("/Upload de rapport.txt sur ") + m_srv.site() +
                         QStringLiteral(".desktop");
    const QString bas = bureau + QStringLiteral("/Download de rapport.txt depuis ") + m_srv.site() +
                        QStringLiteral(".desktop");
    for (int fois = 0; fois < 2; ++fois) {
        choisit(d.Option1[2]);
        QCOMPARE(d.LabInfo->text(),
                 QStringLiteral("Choisissez le bouton correspondant à l'action désirée"));
        QTest::mouseClick(d.Command2[5], Qt::LeftButton);
        QVERIFY(d.Option1[0]->isChecked());
    }
    QCOMPARE(QDir(bureau).entryList(QDir::Files).size(), 2); // replaced, not added
    const QString exe = QCoreApplication::applicationFilePath();
    QVERIFY(QString::fromUtf8(litOctets(haut)).contains(QStringLiteral(" L5\n")));
    QVERIFY(QString::fromUtf8(litOctets(bas)).contains(QStringLiteral(" N5\n")));
    QVERIFY(QString::fromUtf8(litOctets(haut))
                .contains(QStringLiteral("Icon=") + QFileInfo(exe).absolutePath() +
                          QStringLiteral("/up.ico")));
    QVERIFY(QFileInfo(haut).isExecutable());
    QVERIFY(QFileInfo(bas).isExecutable());
    QCOMPARE(lit("FicDis", 5), QStringLiteral("<absent>"));

    // Erased: the keys stay, empty.
    choisit(d.Option1[3]);
    QTest::mouseClick(d.Command2[3], Qt::LeftButton);
    for (const char *cle : {"TxtSite", "txtUtilisateur", "txtMDP", "FicDis", "FicLoc"})
        QCOMPARE(lit(cle, 3), QString());
    QCOMPARE(d.Command2[3]->text(), QString());
    QVERIFY(!d.Command2[3]->font().bold());
    QCOMPARE(d.Command2[3]->toolTip(), QString());
}

// Reopened after "Fermer": the design state again, with the stored slots.
void TstAutomatisation::descriptionsAuChargement() {
    const QString section = QLatin1String(Reglages::SectionLDC);
    Reglages::Ecrit(section, QStringLiteral("FicDis2"), QStringLiteral("/d/x.txt"));
    Reglages::Ecrit(section, QStringLiteral("FicLoc2"), QStringLiteral("sans-dossier"));
    Reglages::Ecrit(section, QStringLiteral("FicDis6"), QStringLiteral("/d/y.txt"));
    Reglages::Ecrit(section, QStringLiteral("FicLoc6"), m_banc.Local(QStringLiteral("y.txt")));
    Reglages::Ecrit(section, QStringLiteral("txtUtilisateur6"), QStringLiteral("moi"));
    Form1 f;
    f.automatisation().Ouvre();
    Form3 *d = &f.automatisation().form3();
    QCOMPARE(d->Command2[2]->toolTip(), QStringLiteral("sans-dossier sur ???"));
    QCOMPARE(d->Command2[6]->toolTip(), QStringLiteral("y.txt sur moi"));
    QCOMPARE(d->Command2[0]->text(), QString());
    d->Command2_Click(6);
    QVERIFY(d->Option1[2]->isEnabled());
    QTest::mouseClick(d->Command1, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!f.automatisation().Charge());
    f.automatisation().Ouvre();
    QVERIFY(!f.automatisation().form3().Option1[2]->isEnabled());
    QCOMPARE(f.automatisation().form3().Command2[6]->text(), QStringLiteral("6"));
}

// The program as a launcher starts it, with a window: Form4's states, the
// end four seconds later through Timer3, the exit status, nothing stored.
void TstAutomatisation::fenetreDeLaLigneDeCommande() {
    const QString dossier = m_srv.nouveauDossier(QStringLiteral("fenetre"));
    const QString local = m_banc.Local(QStringLiteral("envoi.bin"));
    QVERIFY(EcritFichierLocal(local, OctetsTest(70000)));
    EmplacementTransfert e{m_srv.site(),
                           m_srv.utilisateur(),
                           m_srv.motDePasse(),
                           dossier + QStringLiteral("envoi.bin"),
                           local,
                           Chiffrement::Aucun};
    EcritEmplacement(3, e);
    // Slot 8 was recorded before the encryption choice existed: TLS when offered.
    Reglages::Ecrit(QLatin1String(Reglages::SectionLDC), Reglages::CleLDC("TxtSite", 8),
                    QStringLiteral("127.0.0.1:1"));
    const QByteArray reglages = litOctets(Reglages::CheminFichier());

    for (const char *commande : {"L3", "N8"}) {
        Form1 f;
        int fins = 0;
        f.programme().FinProgramme = [&] { ++fins; };
        f.programme().Commande = QLatin1String(commande);
        sChiffrement = Chiffrement::Obligatoire;
        f.Form_Load();
        QCOMPARE(sChiffrement, QLatin1String(commande) == QLatin1String("L3")
                                   ? Chiffrement::Aucun
                                   : Chiffrement::SiDisponible);
        Form4 *etat = f.findChild<Form4 *>();
        QVERIFY(etat);
        QVERIFY(etat->isVisible());
        QVERIFY(!f.isVisible());
        QVERIFY(f.Ui().Timer3->isActive());
        QCOMPARE(f.Ui().Timer3->interval(), 4000);
        // No site address stored: no cache deletion, the blue square.
        QVERIFY(etat->Shape1[1]->isVisibleTo(etat));
        QVERIFY(!etat->Shape1[0]->isVisibleTo(etat));
        if (QLatin1String(commande) == QLatin1String("L3")) {
            QCOMPARE(etat->Info->text(), QStringLiteral("Upload terminé."));
            QCOMPARE(etat->Lumiere(), LumiereEtat::Vert);
            QCOMPARE(f.programme().CodeSortie, 0);
            QCOMPARE(m_srv.litFichier(dossier + QStringLiteral("envoi.bin")), OctetsTest(70000));
        } else {
            QCOMPARE(etat->Info->text(), QStringLiteral("Echec à la connexion."));
            QCOMPARE(etat->Lumiere(), LumiereEtat::Rouge);
            QVERIFY(f.programme().CodeSortie != 0);
        }
        QCOMPARE(f.Ui().TxtAction->toPlainText(), QString());
        f.gestionConnexion().Timer3_Timer();
        QCOMPARE(fins, 1);
    }
    Reglages::Relit();
    QCOMPARE(litOctets(Reglages::CheminFichier()), reglages);
}

// No display at all: each state one line on stderr, the exit status tells
// the outcome, and a failed download leaves the local file as it was.
void TstAutomatisation::sansAffichage() {
    const QString dossier = m_srv.nouveauDossier(QStringLiteral("planifie"));
    const QString local = m_banc.Local(QStringLiteral("copie de nuit.txt"));
    const QByteArray contenu = OctetsTest(200000);
    QVERIFY(EcritFichierLocal(local, contenu));
    const QString distant = dossier + QStringLiteral("copie de nuit.txt");
    EcritEmplacement(3, {m_srv.site(), m_srv.utilisateur(), m_srv.motDePasse(), distant, local});
    const QString ini = prepareProgramme();
    QVERIFY(!ini.isEmpty());
    const QByteArray reglages = litOctets(ini);

    // The test server offers no TLS: the fallback to clear text is said once.
    const QString enClair = QStringLiteral("Connexion non chiffrée à ") + m_srv.site() + u'\n';
    Execution x = lanceProgramme(QStringLiteral("L3"));
    QCOMPARE(x.erreurs, "Initialisation ...\n" + enClair +
                            QStringLiteral("Upload en cours ...\nUpload terminé.\n"));
    QCOMPARE(x.code, 0);
    QCOMPARE(m_srv.litFichier(distant), contenu);

    QVERIFY(QFile::remove(local));
    x = lanceProgramme(QStringLiteral("N3"));
    QCOMPARE(x.erreurs, "Initialisation ...\n" + enClair +
                            QStringLiteral("Download en cours ...\nDownload terminé.\n"));
    QCOMPARE(x.code, 0);
    QCOMPARE(litOctets(local), contenu);

    // The remote file gone: the download fails and the local copy stays whole.
    QVERIFY(QFile::remove(m_srv.disque(distant)));
    x = lanceProgramme(QStringLiteral("N3"));
    QVERIFY2(x.erreurs.startsWith("Initialisation ...\n" + enClair +
                                  "Download en cours ...\nEchec au download.\nRaison : "),
             qPrintable(x.erreurs));
    QVERIFY2(x.erreurs.contains(QStringLiteral("550")), qPrintable(x.erreurs));
    QVERIFY(x.code > 0);
    QCOMPARE(litOctets(local), contenu);

    QVERIFY(QFile::remove(local));
    x = lanceProgramme(QStringLiteral("L3"));
    QVERIFY2(x.erreurs.contains(QStringLiteral("Echec au transfert.\nRaison : ")),
             qPrintable(x.erreurs));
    QVERIFY(x.code > 0);

    x = lanceProgramme(QStringLiteral("N4")); // never recorded
    QCOMPARE(x.erreurs, QStringLiteral("Initialisation ...\nEchec à la connexion.\nRaison : aucun "
                                       "site n'est enregistré dans l'emplacement 4.\n"));
    QVERIFY(x.code > 0);

    QCOMPARE(litOctets(ini), reglages);
}

// A path the desktop file can't carry is refused with its reason, on its own
// and in the dialog, and nothing is written.
void TstAutomatisation::raccourcisRefuses() {
    const QString bureau = m_banc.Config(QStringLiteral("Bureau"));
    qputenv("XDG_DESKTOP_DIR", bureau.toLocal8Bit());
    for (const QString &chemin :
         {QStringLiteral("/opt/a\nb/quillon"), QStringLiteral("/opt/a\tb/q"),
          QStringLiteral("/opt/a\u0001b/q"), QStringLiteral("/opt/a\u0085b/q"),
          QStringLiteral("/opt/a\u007fb/q"), QStringLiteral("/opt/a\ufffdb/q")}) {
        QString raison;
        QVERIFY(!CreeRaccourci(1, QStringLiteral("x"), QStringLiteral("L"), &raison, chemin));
        QVERIFY2(raison.startsWith(QStringLiteral("Raccourci non créé : le chemin du programme ")),
                 qPrintable(raison));
    }
    QCOMPARE(RefusRaccourci(QStringLiteral("/opt/a\nb/quillon")),
             QStringLiteral("Raccourci non créé : le chemin du programme contient un caractère de "
                            "contrôle (U+000A), qu'un raccourci ne peut pas transmettre."));
    QVERIFY(!QFileInfo::exists(bureau));
    QString raison;
    QVERIFY(CreeRaccourci(1, QStringLiteral("x"), QStringLiteral("L"), &raison,
                          QStringLiteral("/opt/été ~#/quillon")));
    QCOMPARE(raison, QString());
    QCOMPARE(QDir(bureau).entryList(QDir::Files), QStringList{"Upload de x.desktop"});

    // Every reserved character of an Exec argument makes it quoted.
    for (const QChar c : QStringLiteral(" \t\n\"'\\><~|&;$*?#()`")) {
        const QString a = ArgumentExec(QStringLiteral("/a") + c + u'b');
        QVERIFY2(a.startsWith(u'"') && a.endsWith(u'"'), qPrintable(a));
    }
    QCOMPARE(ArgumentExec(QStringLiteral("/a%b")), QStringLiteral("/a%%b"));

    // The dialog says why when the desktop folder can't be made.
    QVERIFY(EcritFichierLocal(m_banc.Config(QStringLiteral("fichier")), "x"));
    qputenv("XDG_DESKTOP_DIR", m_banc.Config(QStringLiteral("fichier/Bureau")).toLocal8Bit());
    Form1 f;
    f.automatisation().Ouvre();
    Form3 &d = f.automatisation().form3();
    d.ficLoc->setText(QStringLiteral("/l/r.txt"));
    d.TxtSite->setText(QStringLiteral("h"));
    d.Option1[2]->setEnabled(true);
    d.Option1[2]->setChecked(true);
    d.Command2_Click(4);
    QCOMPARE(d.LabInfo->text(),
             QStringLiteral("Raccourci non créé : impossible de créer le dossier "
                            "du bureau « ") +
                 m_banc.Config(QStringLiteral("fichier/Bureau")) + QStringLiteral(" »."));
}

// Marking the launchers trusted runs on its own: the call returns while the
// marking program still waits, which then ends by itself.
void TstAutomatisation::confianceSansAttente() {
    const QString bin = m_banc.Config(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    const QString journal = m_banc.Config(QStringLiteral("gio.log"));
    const QString suite = m_banc.Config(QStringLiteral("gio.suite"));
    QVERIFY(EcritFichierLocal(bin + QStringLiteral("/gio"),
                              "#!/bin/sh\n"
                              "echo \"$1 $3 $4\" >> \"$GIO_JOURNAL\"\n"
                              "i=0\n"
                              "while [ ! -e \"$GIO_SUITE\" ] && [ $i -lt 400 ]; do\n"
                              "  sleep 0.05; i=$((i+1))\n"
                              "done\n"
                              "echo fin >> \"$GIO_JOURNAL\"\n"));
    QVERIFY(QFile::setPermissions(bin + QStringLiteral("/gio"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray chemin = qgetenv("PATH");
    const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("PATH", bin.toLocal8Bit() + ':' + chemin);
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nulle/part");
    qputenv("GIO_JOURNAL", journal.toLocal8Bit());
    qputenv("GIO_SUITE", suite.toLocal8Bit());
    qputenv("XDG_DESKTOP_DIR", m_banc.Config(QStringLiteral("Bureau")).toLocal8Bit());
    const bool haut = CreeRaccourci(2, QStringLiteral("x sur h"), QStringLiteral("L"));
    const bool bas = CreeRaccourci(2, QStringLiteral("x depuis h"), QStringLiteral("N"));
    qputenv("PATH", chemin);
    if (bus.isNull())
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    else
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
    QVERIFY(haut && bas);
    QVERIFY(!litOctets(journal).contains("fin"));
    QVERIFY(EcritFichierLocal(suite, ""));
    QTRY_COMPARE_WITH_TIMEOUT(litOctets(journal).count("fin\n"), 2, 20000);
    QVERIFY(litOctets(journal).contains("set metadata::trusted true\n"));
    // Ended, each is reaped and released.
    QTRY_VERIFY_WITH_TIMEOUT(QCoreApplication::instance()->findChildren<QProcess *>().isEmpty(),
                             20000);
}

// "Effacer" takes the slot's two launchers away, and nothing else: not those
// of another slot or another program, not a link, not a file merely named so.
void TstAutomatisation::effacementDesRaccourcis() {
    const QString bureau = m_banc.Config(QStringLiteral("Bureau"));
    qputenv("XDG_DESKTOP_DIR", bureau.toLocal8Bit());
    QVERIFY(CreeRaccourci(5, QStringLiteral("r.txt sur h"), QStringLiteral("L")));
    QVERIFY(CreeRaccourci(5, QStringLiteral("r.txt depuis h"), QStringLiteral("N")));
    QVERIFY(CreeRaccourci(6, QStringLiteral("s.txt sur h"), QStringLiteral("L")));
    const QString exe = QCoreApplication::applicationFilePath();
    QVERIFY(EcritFichierLocal(bureau + QStringLiteral("/Upload de autre.desktop"),
                              ContenuRaccourci(5, QStringLiteral("autre"), QStringLiteral("L"),
                                               QStringLiteral("/opt/autre/quillon"))
                                  .toUtf8()));
    QVERIFY(EcritFichierLocal(bureau + QStringLiteral("/Download de faux.desktop"),
                              "Exec=" + exe.toUtf8() + " N5\n"));
    const QString ailleurs = m_banc.Config(QStringLiteral("Upload de lien.desktop"));
    QVERIFY(EcritFichierLocal(
        ailleurs, ContenuRaccourci(5, QStringLiteral("lien"), QStringLiteral("L"), exe).toUtf8()));
    QVERIFY(QFile::link(ailleurs, bureau + QStringLiteral("/Upload de lien.desktop")));
    EcritEmplacement(5, {QStringLiteral("h"), QStringLiteral("u"), QString(),
                         QStringLiteral("/d/r.txt"), QStringLiteral("/l/r.txt")});

    Form1 f;
    f.automatisation().Ouvre();
    Form3 &d = f.automatisation().form3();
    d.Option1[3]->setChecked(true);
    d.Command2_Click(5);
    QCOMPARE(lit("FicDis", 5), QString());
    QStringList restants = QDir(bureau).entryList(QDir::Files | QDir::System);
    restants.sort();
    QCOMPARE(restants, QStringList({"Download de faux.desktop", "Upload de autre.desktop",
                                    "Upload de lien.desktop", "Upload de s.txt sur h.desktop"}));
    QVERIFY(QFileInfo::exists(ailleurs));
}

void TstAutomatisation::argumentsDuProgramme_data() {
    using A = ArgumentsProgramme::Action;
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("commande");
    QTest::newRow("aucun") << QStringList{} << int(A::Fenetre) << "";
    QTest::newRow("N3") << QStringList{"N3"} << int(A::Transfert) << "N3";
    QTest::newRow("mot sans chiffre") << QStringList{"rapport"} << int(A::Fenetre) << "rapport";
    QTest::newRow("tiret seul") << QStringList{"-"} << int(A::Fenetre) << "-";
    // Qt's options and their values, in every spelling, are not the argument.
    QTest::newRow("-display :0") << QStringList{"-display", ":0"} << int(A::Fenetre) << "";
    QTest::newRow("--display :0") << QStringList{"--display", ":0"} << int(A::Fenetre) << "";
    QTest::newRow("-display=:0") << QStringList{"-display=:0"} << int(A::Fenetre) << "";
    QTest::newRow("-qwindowgeometry")
        << QStringList{"-qwindowgeometry", "800x600"} << int(A::Fenetre) << "";
    QTest::newRow("--qwindowgeometry=")
        << QStringList{"--qwindowgeometry=800x600"} << int(A::Fenetre) << "";
    QTest::newRow("-session") << QStringList{"-session", "id_123"} << int(A::Fenetre) << "";
    QTest::newRow("options puis L4")
        << QStringList{"-session=id_123", "-style", "fusion", "-reverse", "L4"} << int(A::Transfert)
        << "L4";
    QTest::newRow("N2 puis options") << QStringList{"N2",
                                                    "-platform",
                                                    "offscreen",
                                                    "-geometry",
                                                    "10x10",
                                                    "-qmljsdebugger=port:1",
                                                    "--widgetcount",
                                                    "-stylesheet",
                                                    "a.qss"}
                                     << int(A::Transfert) << "N2";
    QTest::newRow("deux mots") << QStringList{"a", "b3"} << int(A::Fenetre) << "";
    QTest::newRow("fin des options") << QStringList{"--", "-5"} << int(A::Transfert) << "-5";
    QTest::newRow("--help") << QStringList{"--help"} << int(A::Aide) << "";
    QTest::newRow("-h avant tout")
        << QStringList{"-display", ":0", "-h", "N3", "--inconnue"} << int(A::Aide) << "";
    QTest::newRow("--version") << QStringList{"N3", "--version"} << int(A::Version) << "";
    QTest::newRow("option inconnue") << QStringList{"--inconnue"} << int(A::Erreur) << "";
    QTest::newRow("option finissant par un chiffre") << QStringList{"-x5"} << int(A::Erreur) << "";
    QTest::newRow("valeur manquante") << QStringList{"N3", "-display"} << int(A::Erreur) << "";
    QTest::newRow("interrupteur avec valeur") << QStringList{"-reverse=1"} << int(A::Erreur) << "";
}

void TstAutomatisation::argumentsDuProgramme() {
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, commande);
    const ArgumentsProgramme a = AnalyseArguments(arguments);
    QCOMPARE(int(a.action), action);
    QCOMPARE(a.commande, commande);
    QCOMPARE(a.erreur.isEmpty(), a.action != ArgumentsProgramme::Action::Erreur);
    QCOMPARE(!a.ignores.isEmpty(), arguments == QStringList({"a", "b3"}));
    if (QTest::currentDataTag() == QLatin1String("valeur manquante"))
        QCOMPARE(a.erreur, QStringLiteral("l'option « -display » demande une valeur"));
}

// The real program: help and version without any display, a refused option.
void TstAutomatisation::aideSansAffichage() {
    Execution x = lance({QStringLiteral("--help")});
    QCOMPARE(x.code, 0);
    QVERIFY2(x.sortie.startsWith(QStringLiteral("Usage : quillon [OPTION]... [TRANSFERT]\n")),
             qPrintable(x.sortie));
    QVERIFY(x.sortie.contains(QStringLiteral("  L<n>   envoie sur le site")));
    QCOMPARE(x.erreurs, QString());
    x = lance({QStringLiteral("--version")});
    QCOMPARE(x.code, 0);
    QCOMPARE(x.sortie, QStringLiteral("quillon %1.%2.%3\n")
                           .arg(InfoProduit::VersionMajeure())
                           .arg(InfoProduit::VersionMineure())
                           .arg(InfoProduit::VersionRevision()));
    x = lance({QStringLiteral("--inconnue")});
    QCOMPARE(x.code, 2);
    QCOMPARE(x.erreurs, QStringLiteral("quillon : option inconnue « --inconnue »\n"
                                       "Essayez « quillon --help ».\n"));
}

// A Qt option whose value ends with a digit opens the window and does not
// run the slot that digit would name (slot 0 downloads over a local file).
void TstAutomatisation::optionDeQtSansTransfert() {
    const QString dossier = m_srv.nouveauDossier(QStringLiteral("options"));
    QVERIFY(m_srv.ecrisFichier(dossier + QStringLiteral("f.txt"), "distant"));
    const QString local = m_banc.Local(QStringLiteral("f.txt"));
    QVERIFY(EcritFichierLocal(local, "local"));
    EcritEmplacement(0, {m_srv.site(), m_srv.utilisateur(), m_srv.motDePasse(),
                         dossier + QStringLiteral("f.txt"), local, Chiffrement::Aucun});
    QVERIFY(!prepareProgramme().isEmpty());
    const QString capture = m_banc.Config(QStringLiteral("fenetre.png"));
    QProcessEnvironment env;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QUILLON_SCREENSHOT"), capture);
    env.insert(QStringLiteral("QUILLON_SCREENSHOT_DELAY_MS"), QStringLiteral("300"));
    const Execution x = lance({QStringLiteral("-qwindowgeometry"), QStringLiteral("800x600")}, env);
    QCOMPARE(x.code, 0);
    QVERIFY2(QFileInfo(capture).size() > 0, qPrintable(x.erreurs)); // the window was shown
    QCOMPARE(litOctets(local), QByteArray("local"));
}

QTEST_MAIN(TstAutomatisation)
#include "tst_automatisation.moc"
