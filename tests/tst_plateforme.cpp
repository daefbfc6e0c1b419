#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "mainwindow/Demarrage.h"
#include "platform/Dossiers.h"
#include "platform/InstanceUnique.h"
#include "platform/LocalLists.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "support/PromptsRepondeur.h"
#include "support/ShellEnregistreur.h"

#include <unistd.h>

namespace {

void creeFichier(const QString &chemin, const QByteArray &contenu = QByteArray()) {
    QFile f(chemin);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(chemin));
    f.write(contenu);
}

// Depth of a clean absolute path: "/" 0, "/a" 1, "/a/b" 2.
int profondeur(const QString &chemin) {
    return int(chemin.split(QLatin1Char('/'), Qt::SkipEmptyParts).size());
}

} // namespace

class TstPlateforme : public QObject {
    Q_OBJECT

private slots:
    void init();

    void dossiersIndicesEtChemins();
    void dossiersRacine();
    void dossiersCheminInexistant();
    void dossiersDoubleClicOuvre();
    void dossiersRefresh();
    void fichiersMotifs_data();
    void fichiersMotifs();
    void fichiersSelectionEtNom();
    void fichiersRefreshGardeLaSelection();
    void fichiersCheminInexistant();
    void fichiersBeaucoup();
    void lecteurs();
    void chaineLecteurDossierFichiers();

    void shellEnregistreurEtAcces();
    void shellLanceSansRedecouper();
    void pressePapiers();
    void promptsRepondeur();
    void confirmationParDefautNon();
    void saisieMasquee();

    void instanceUnique();
    void instanceApresArretBrutal();

    void dossierTemp();
    void aide();

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString racine() const { return m_tmp->path(); }
};

void TstPlateforme::init() {
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    QDir d(racine());
    for (const char *s : {"a/b", "a/C", "a/.cache", "a/d/e", "vide"})
        QVERIFY(d.mkpath(QString::fromLatin1(s)));
    for (const char *f : {"a/x.TXT", "a/y.txt", "a/z.dat", "a/sansext", "a/.cache.txt"})
        creeFichier(racine() + "/" + f);
}

void TstPlateforme::dossiersIndicesEtChemins() {
    DirListBox dir;
    QSignalSpy change(&dir, &DirListBox::Change);
    const QString a = racine() + "/a";
    QVERIFY(dir.setPath(a + "//")); // separators are cleaned
    QCOMPARE(dir.Path(), a);
    QCOMPARE(change.count(), 1);
    QCOMPARE(change.at(0).at(0).toString(), a);

    // Sub-folders 0..n-1, sorted ignoring case, hidden ones left out.
    QCOMPARE(dir.ListCount(), 3);
    QCOMPARE(dir.List(0), a + "/b");
    QCOMPARE(dir.List(1), a + "/C");
    QCOMPARE(dir.List(2), a + "/d");
    QCOMPARE(dir.List(3), QString());
    // -1 the current folder, -2 its parent, ... up to "/".
    QCOMPARE(dir.List(-1), a);
    QCOMPARE(dir.List(-2), racine());
    const int n = profondeur(a);
    QCOMPARE(dir.NombreParents(), n);
    QCOMPARE(dir.List(-(n + 1)), QStringLiteral("/"));
    QCOMPARE(dir.List(-(n + 2)), QString());
    QCOMPARE(dir.count(), n + 1 + 3);
    QCOMPARE(dir.ListIndex(), -1);

    // ListIndex only highlights.
    dir.setListIndex(1);
    QCOMPARE(dir.ListIndex(), 1);
    dir.setListIndex(-2);
    QCOMPARE(dir.ListIndex(), -2);
    QCOMPARE(dir.Path(), a);

    // The same path again: re-read, no Change.
    QVERIFY(dir.setPath(a));
    QCOMPARE(change.count(), 1);

    // Relative paths are taken from the current folder.
    QVERIFY(dir.setPath(QStringLiteral("d")));
    QCOMPARE(dir.Path(), a + "/d");
    QVERIFY(dir.setPath(QStringLiteral("..")));
    QCOMPARE(dir.Path(), a);

    dir.setAfficheCaches(true);
    QCOMPARE(dir.ListCount(), 4);
    QCOMPARE(dir.List(0), a + "/.cache");
}

void TstPlateforme::dossiersRacine() {
    DirListBox dir;
    QVERIFY(dir.setPath(QStringLiteral("/")));
    QCOMPARE(dir.Path(), QStringLiteral("/"));
    QCOMPARE(dir.List(-1), QStringLiteral("/"));
    QCOMPARE(dir.List(-2), QString());
    QCOMPARE(dir.NombreParents(), 0);
    QVERIFY(dir.ListCount() > 0);
    for (int i = 0; i < dir.ListCount(); ++i) {
        QVERIFY2(!dir.List(i).startsWith("//"), qPrintable(dir.List(i)));
        QVERIFY(dir.List(i).startsWith("/"));
    }
    QCOMPARE(JoindreChemin("/", "etc"), QStringLiteral("/etc"));
    QCOMPARE(JoindreChemin("/etc", "x"), QStringLiteral("/etc/x"));
    QCOMPARE(JoindreChemin("/etc/", "x"), QStringLiteral("/etc/x"));

    FileListBox fil;
    QVERIFY(fil.setPath(QStringLiteral("/")));
    for (int i = 0; i < fil.ListCount(); ++i)
        QVERIFY(!fil.CheminComplet(i).startsWith("//"));
}

void TstPlateforme::dossiersCheminInexistant() {
    DirListBox dir;
    const QString a = racine() + "/a";
    QVERIFY(dir.setPath(a));
    QSignalSpy change(&dir, &DirListBox::Change);
    QVERIFY(!dir.setPath(racine() + "/absent"));
    QVERIFY(!dir.setPath(a + "/x.TXT")); // a file, not a folder
    QVERIFY(!dir.setPath(QString()));
    QCOMPARE(dir.Path(), a);
    QCOMPARE(dir.ListCount(), 3);
    QCOMPARE(change.count(), 0);
}

void TstPlateforme::dossiersDoubleClicOuvre() {
    DirListBox dir;
    const QString a = racine() + "/a";
    QVERIFY(dir.setPath(a));
    dir.resize(300, 400);
    dir.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dir));
    QSignalSpy change(&dir, &DirListBox::Change);

    // Double-click on sub-folder "d" (index 2) opens it.
    QListWidgetItem *d = dir.item(dir.NombreParents() + 1 + 2);
    QVERIFY(d);
    dir.scrollToItem(d);
    QTest::mouseDClick(dir.viewport(), Qt::LeftButton, {}, dir.visualItemRect(d).center());
    QCOMPARE(dir.Path(), a + "/d");
    QCOMPARE(change.count(), 1);
    QCOMPARE(dir.List(0), a + "/d/e");

    // Double-click on the parent entry (-2) goes back up.
    QListWidgetItem *parent = dir.item(dir.NombreParents() - 1);
    QTest::mouseDClick(dir.viewport(), Qt::LeftButton, {}, dir.visualItemRect(parent).center());
    QCOMPARE(dir.Path(), a);
    QCOMPARE(change.count(), 2);
}

void TstPlateforme::dossiersRefresh() {
    DirListBox dir;
    const QString e = racine() + "/a/d/e";
    QVERIFY(dir.setPath(e));
    QVERIFY(QDir().mkpath(e + "/nouveau"));
    dir.Refresh();
    QCOMPARE(dir.ListCount(), 1);
    QCOMPARE(dir.List(0), e + "/nouveau");

    // The folder disappears: Refresh moves to the nearest existing parent.
    QSignalSpy change(&dir, &DirListBox::Change);
    QVERIFY(QDir(racine() + "/a/d").removeRecursively());
    dir.Refresh();
    QCOMPARE(dir.Path(), racine() + "/a");
    QCOMPARE(change.count(), 1);
}

void TstPlateforme::fichiersMotifs_data() {
    QTest::addColumn<QString>("motif");
    QTest::addColumn<QStringList>("attendus");
    const QStringList tous{"sansext", "x.TXT", "y.txt", "z.dat"};
    QTest::newRow("*.*") << "*.*" << tous;
    QTest::newRow("*") << "*" << tous;
    QTest::newRow("vide") << "" << tous;
    QTest::newRow("*.txt sans casse") << "*.txt" << QStringList{"x.TXT", "y.txt"};
    QTest::newRow("deux motifs") << "*.txt;*.DAT" << QStringList{"x.TXT", "y.txt", "z.dat"};
    QTest::newRow("point d'interrogation") << "?.txt" << QStringList{"x.TXT", "y.txt"};
    QTest::newRow("aucun") << "*.pdf" << QStringList{};
    QTest::newRow("crochets littéraux") << "[xy].txt" << QStringList{"x.TXT", "y.txt"};
}

void TstPlateforme::fichiersMotifs() {
    QFETCH(QString, motif);
    QFETCH(QStringList, attendus);
    FileListBox fil;
    QVERIFY(fil.setPath(racine() + "/a"));
    fil.setPattern(motif);
    QStringList vus;
    for (int i = 0; i < fil.ListCount(); ++i)
        vus << fil.List(i);
    QCOMPARE(vus, attendus);
}

void TstPlateforme::fichiersSelectionEtNom() {
    FileListBox fil;
    QSignalSpy change(&fil, &FileListBox::PathChange);
    const QString a = racine() + "/a";
    QVERIFY(fil.setPath(a + "/"));
    QCOMPARE(fil.Path(), a);
    QCOMPARE(change.count(), 1);
    QCOMPARE(fil.ListIndex(), -1);
    QCOMPARE(fil.FileName(), QString());

    fil.setFileName(QStringLiteral("y.txt"));
    QCOMPARE(fil.ListIndex(), 2);
    QCOMPARE(fil.FileName(), QStringLiteral("y.txt"));
    QCOMPARE(fil.CheminComplet(2), a + "/y.txt");

    // Several files selected at once.
    fil.setSelected(0, true);
    fil.setSelected(3, true);
    QVERIFY(fil.Selected(0));
    QVERIFY(fil.Selected(3));
    QVERIFY(!fil.Selected(1));
    QVERIFY(!fil.Selected(99));

    // A path in FileName changes Path; a wildcard changes Pattern.
    fil.setFileName(racine() + "/vide/");
    QCOMPARE(fil.Path(), racine() + "/vide");
    QCOMPARE(fil.ListCount(), 0);
    QVERIFY(fil.setPath(a));
    fil.setFileName(QStringLiteral("*.dat"));
    QCOMPARE(fil.Pattern(), QStringLiteral("*.dat"));
    QCOMPARE(fil.ListCount(), 1);
}

void TstPlateforme::fichiersRefreshGardeLaSelection() {
    FileListBox fil;
    const QString a = racine() + "/a";
    QVERIFY(fil.setPath(a));
    fil.setListIndex(1);       // x.TXT
    fil.setSelected(3, true);  // z.dat
    creeFichier(a + "/w.txt"); // sorts first
    fil.Refresh();
    QCOMPARE(fil.ListCount(), 5);
    QCOMPARE(fil.FileName(), QStringLiteral("x.TXT"));
    QVERIFY(fil.Selected(2));
    QVERIFY(fil.Selected(4));
    QVERIFY(!fil.Selected(0));
}

void TstPlateforme::fichiersCheminInexistant() {
    FileListBox fil;
    const QString a = racine() + "/a";
    QVERIFY(fil.setPath(a));
    QSignalSpy change(&fil, &FileListBox::PathChange);
    QVERIFY(!fil.setPath(racine() + "/absent"));
    QCOMPARE(fil.Path(), a);
    QCOMPARE(fil.ListCount(), 4);
    QCOMPARE(change.count(), 0);
}

void TstPlateforme::fichiersBeaucoup() {
    const QString dossier = racine() + "/beaucoup";
    QVERIFY(QDir().mkpath(dossier));
    const int n = 3000;
    for (int i = n - 1; i >= 0; --i)
        creeFichier(dossier + QStringLiteral("/f%1").arg(i, 5, 10, QLatin1Char('0')));
    FileListBox fil;
    QVERIFY(fil.setPath(dossier));
    QCOMPARE(fil.ListCount(), n);
    QCOMPARE(fil.List(0), QStringLiteral("f00000"));
    QCOMPARE(fil.List(n - 1), QStringLiteral("f02999"));
}

void TstPlateforme::lecteurs() {
    DriveListBox drv;
    QVERIFY(drv.ListCount() >= 1);
    QCOMPARE(drv.List(0), QStringLiteral("/"));
    QSignalSpy change(&drv, &DriveListBox::Change);

    // Any folder selects the volume that holds it.
    const QString volume = QStorageInfo(racine()).rootPath();
    QVERIFY(drv.setDrive(racine() + "/a"));
    QCOMPARE(drv.Drive(), volume);
    QVERIFY(drv.setDrive(QStringLiteral("/")));
    QCOMPARE(drv.Drive(), QStringLiteral("/"));
    QCOMPARE(change.count(), volume == QLatin1String("/") ? 0 : 2);

    const int avant = change.count();
    QVERIFY(!drv.setDrive(QStringLiteral("/absent/de/partout")));
    QVERIFY(!drv.setDrive(QString()));
    QCOMPARE(drv.Drive(), QStringLiteral("/"));
    QCOMPARE(change.count(), avant);

    // A volume left out of the list (pseudo file systems) maps to a listed one.
    if (QFileInfo::exists(QStringLiteral("/proc/self"))) {
        QVERIFY(drv.setDrive(QStringLiteral("/proc/self")));
        QVERIFY(drv.findData(drv.Drive()) >= 0);
    }
}

void TstPlateforme::chaineLecteurDossierFichiers() {
    // The owner's wiring, as the main window does it.
    DriveListBox drv;
    DirListBox dir;
    FileListBox fil;
    QObject::connect(&drv, &DriveListBox::Change, &dir, [&](const QString &d) { dir.setPath(d); });
    QObject::connect(&dir, &DirListBox::Change, &fil, [&](const QString &p) { fil.setPath(p); });
    QVERIFY(dir.setPath(racine() + "/a"));
    QCOMPARE(fil.Path(), racine() + "/a");
    QCOMPARE(fil.ListCount(), 4);
    QVERIFY(drv.setDrive(QStringLiteral("/")));
    if (drv.Drive() != QStorageInfo(racine()).rootPath()) {
        // Changing volume moved both lists to its root.
        QCOMPARE(dir.Path(), QStringLiteral("/"));
        QCOMPARE(fil.Path(), QStringLiteral("/"));
    }
}

void TstPlateforme::shellEnregistreurEtAcces() {
    QVERIFY(dynamic_cast<ShellSysteme *>(&ServiceShell()));
    ShellEnregistreur rec;
    DefinitShell(&rec);
    ShellCourant().OuvreDocument(QStringLiteral("/tmp/a b.txt"));
    ShellCourant().OuvreDossier(QStringLiteral("/tmp"));
    ShellCourant().OuvreAdresseWeb(QStringLiteral("https://exemple.fr/contacter.php?sub=x y"));
    ShellCourant().LanceProgramme(QStringLiteral("/usr/bin/mon prog"),
                                  {QStringLiteral("/tmp/un fichier.txt")});
    ShellCourant().AfficheAide(QStringLiteral("/opt/q/AideFTP.html"));
    ShellCourant().CopieDansPressePapiers(QStringLiteral("ftp://h/x"));
    DefinitShell(nullptr);
    QVERIFY(dynamic_cast<ShellSysteme *>(&ServiceShell()));

    const QVector<ShellEnregistreur::Appel> attendus{
        {"OuvreDocument", {"/tmp/a b.txt"}},
        {"OuvreDossier", {"/tmp"}},
        {"OuvreAdresseWeb", {"https://exemple.fr/contacter.php?sub=x y"}},
        {"LanceProgramme", {"/usr/bin/mon prog", "/tmp/un fichier.txt"}},
        {"AfficheAide", {"/opt/q/AideFTP.html"}},
        {"CopieDansPressePapiers", {"ftp://h/x"}},
    };
    QCOMPARE(rec.appels, attendus);
    QCOMPARE(rec.pressePapiers, QStringLiteral("ftp://h/x"));
}

void TstPlateforme::shellLanceSansRedecouper() {
    // The real service: each argument reaches the program whole.
    const QString sortie = racine() + "/args.txt";
    ShellSysteme shell;
    QVERIFY(shell.LanceProgramme(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"),
         QStringLiteral("printf '%s\\n' \"$@\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0\""), sortie,
         QStringLiteral("un fichier.txt"), QStringLiteral("a;b'c")}));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(sortie), 10000);
    QFile f(sortie);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("un fichier.txt\na;b'c\n"));
    QVERIFY(!shell.LanceProgramme(QString(), {}));
    QVERIFY(!shell.AfficheAide(racine() + "/absente.html"));
}

void TstPlateforme::pressePapiers() {
    ShellSysteme shell;
    shell.CopieDansPressePapiers(QStringLiteral("ftp://exemple.fr/é x"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ftp://exemple.fr/é x"));
}

void TstPlateforme::confirmationParDefautNon() {
    // A yes/no confirmation answered by Enter alone must not go ahead.
    PromptsDialogues dialogues;
    QTimer::singleShot(0, [] {
        QWidget *boite = QApplication::activeModalWidget();
        QVERIFY(boite);
        QTest::keyClick(boite, Qt::Key_Return);
    });
    QCOMPARE(dialogues.Question("Attention !!!", "Copier ?", Prompts::Choix::OuiNon),
             Prompts::Bouton::Non);
}

void TstPlateforme::saisieMasquee() {
    // A secret typed in shows as dots; Enter gives it, Escape cancels.
    PromptsDialogues dialogues;
    QLineEdit::EchoMode vu = QLineEdit::Normal;
    const auto tape = [&](bool valide) {
        QTimer::singleShot(0, [&vu, valide] {
            QWidget *boite = QApplication::activeModalWidget();
            QVERIFY(boite);
            auto *champ = boite->findChild<QLineEdit *>();
            QVERIFY(champ);
            vu = champ->echoMode();
            QTest::keyClicks(champ, QStringLiteral("phrase secrete"));
            QTest::keyClick(boite, valide ? Qt::Key_Return : Qt::Key_Escape);
        });
    };
    tape(true);
    QCOMPARE(dialogues.SaisieMasquee("Phrase secrète", "Phrase secrète de la clé SSH k :"),
             std::optional<QString>(QStringLiteral("phrase secrete")));
    QCOMPARE(vu, QLineEdit::Password);
    tape(false);
    QCOMPARE(dialogues.SaisieMasquee("Phrase secrète", "Phrase secrète de la clé SSH k :"),
             std::optional<QString>());
}

void TstPlateforme::promptsRepondeur() {
    QVERIFY(dynamic_cast<PromptsDialogues *>(&PromptsCourant()));
    PromptsRepondeur rep;
    rep.reponses << Prompts::Bouton::Oui;
    rep.saisies << QStringLiteral("nom") << QString() << std::nullopt;
    DefinitPrompts(&rep);
    Prompts &p = PromptsCourant();
    QCOMPARE(p.Question("T", "Supprimer ?"), Prompts::Bouton::Oui);
    // Queue empty: as if the box were closed.
    QCOMPARE(p.Question("T", "Encore ?"), Prompts::Bouton::Annuler);
    QCOMPARE(p.Question("T", "Encore ?", Prompts::Choix::OuiNon), Prompts::Bouton::Non);
    p.Message("Info", "Fait");
    QCOMPARE(p.Saisie("Souvenir", "Nom du bouton", "marie"), std::optional<QString>("nom"));
    QCOMPARE(p.Saisie("S", "I"), std::optional<QString>(QString()));
    QCOMPARE(p.Saisie("S", "I"), std::optional<QString>());
    QCOMPARE(p.Saisie("S", "I"), std::optional<QString>());
    DefinitPrompts(nullptr);
    QVERIFY(dynamic_cast<PromptsDialogues *>(&PromptsCourant()));

    QCOMPARE(rep.demandes.size(), 8);
    QCOMPARE(rep.demandes[0].genre, QStringLiteral("Question"));
    QCOMPARE(rep.demandes[0].texte, QStringLiteral("Supprimer ?"));
    QCOMPARE(rep.demandes[3].genre, QStringLiteral("Message"));
    QCOMPARE(rep.demandes[4].genre, QStringLiteral("Saisie"));
    QCOMPARE(rep.demandes[4].titre, QStringLiteral("Souvenir"));
    QCOMPARE(rep.demandes[4].texte, QStringLiteral("Nom du bouton"));
    QCOMPARE(rep.demandes[4].defaut, QStringLiteral("marie"));
}

void TstPlateforme::instanceUnique() {
    const QString nom = QStringLiteral("tst-quillon-%1").arg(::getpid());
    {
        InstanceUnique premiere(nom);
        QVERIFY(premiere.Detient());
        QVERIFY(!premiere.AutreInstance());
        InstanceUnique seconde(nom);
        QVERIFY(seconde.AutreInstance());
        QVERIFY(!seconde.Detient());
        InstanceUnique autreProgramme(nom + "-x");
        QVERIFY(!autreProgramme.AutreInstance());
    }
    // Once the first has ended, the next start is first again.
    QString chemin;
    {
        InstanceUnique suivante(nom);
        QVERIFY(suivante.Detient());
        QVERIFY(!suivante.AutreInstance());
        chemin = suivante.CheminVerrou();
    }
    QFile::remove(chemin);
    QFile::remove(InstanceUnique(nom + "-x").CheminVerrou());
}

void TstPlateforme::instanceApresArretBrutal() {
    const QString nom = QStringLiteral("tst-quillon-brutal-%1").arg(::getpid());
    const QString chemin = InstanceUnique(nom).CheminVerrou();
    // Another process holds the lock, then dies by SIGKILL.
    QProcess autre;
    // One process (the shell execs sleep) holds the lock; flock waits if our
    // probes below hold it for a moment.
    autre.start(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral("exec 9>>\"$0\"; flock 9; exec sleep 60"), chemin});
    QVERIFY(autre.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(InstanceUnique(nom).AutreInstance(), 10000);
    autre.kill();
    QVERIFY(autre.waitForFinished());
    // The file is still there, with a dead holder: not another instance.
    QVERIFY(QFile::exists(chemin));
    InstanceUnique apres(nom);
    QVERIFY(!apres.AutreInstance());
    QVERIFY(apres.Detient());
    QFile::remove(chemin);
}

// Copies for viewing go to the user's private cache folder, never beside the
// program; a link in its place is neither used nor emptied.
void TstPlateforme::dossierTemp() {
    const QByteArray ancien = qgetenv("QUILLON_TEMP_DIR");
    const QByteArray ancienCache = qgetenv("XDG_CACHE_HOME");
    qunsetenv("QUILLON_TEMP_DIR");
    qputenv("XDG_CACHE_HOME", (racine() + "/cache").toLocal8Bit());
    const QString temp = racine() + "/cache/tst_plateforme";
    QCOMPARE(DossierTemp(), temp);
    QVERIFY(QFileInfo(DossierProgramme()).isWritable()); // and still not used
    const auto prive = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                       QFile::WriteUser | QFile::ExeUser;
    QString raison;
    QVERIFY2(CreeDossierTemp(&raison), qPrintable(raison));
    QCOMPARE(QFileInfo(temp).permissions(), prive);
    QVERIFY(QFile::setPermissions(temp, prive | QFile::ReadGroup | QFile::ExeOther));
    QVERIFY(CreeDossierTemp());
    QCOMPARE(QFileInfo(temp).permissions(), prive);
    creeFichier(temp + "/vu.txt");
    Demarrage::VideDossierTemporaire(DossierTemp());
    QVERIFY(!QFileInfo::exists(temp));

    // A link in its place: refused, and what it points at is left alone.
    QVERIFY(QDir().mkpath(racine() + "/precieux"));
    creeFichier(racine() + "/precieux/garde.txt");
    QVERIFY(QFile::link(racine() + "/precieux", temp));
    QVERIFY(!CreeDossierTemp(&raison));
    QCOMPARE(raison, QStringLiteral("Dossier temporaire « %1 » : ce n'est pas un dossier (un "
                                    "lien ?), rien n'y est copié.")
                         .arg(temp));
    Demarrage::VideDossierTemporaire(DossierTemp());
    QVERIFY(QFileInfo::exists(racine() + "/precieux/garde.txt"));
    QVERIFY(QFileInfo(temp).isSymLink());

    qputenv("QUILLON_TEMP_DIR", (racine() + "/t/").toLocal8Bit());
    QCOMPARE(DossierTemp(), racine() + "/t");
    if (ancien.isNull())
        qunsetenv("QUILLON_TEMP_DIR");
    else
        qputenv("QUILLON_TEMP_DIR", ancien);
    if (ancienCache.isNull())
        qunsetenv("XDG_CACHE_HOME");
    else
        qputenv("XDG_CACHE_HOME", ancienCache);
}

void TstPlateforme::aide() {
    const QString aide = AideFichier();
    QVERIFY(aide.endsWith("/AideFTP.html"));
    QVERIFY(aide.startsWith(DossierProgramme()));
}

QTEST_MAIN(TstPlateforme)
#include "tst_plateforme.moc"
