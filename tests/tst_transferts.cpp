// Folder transfers and the progress frame: the frame's texts and bar at their
// boundaries (pure), then the real main window against the loopback FTP
// server: a remote folder copied into a local one and back, into folders that
// already exist, cancelled between files, with a failing file, declined, and
// refused names. The transfers are started the way the window starts them:
// a release over the folder list after a press on the tree, a drop of the
// folder list on the tree.

#include "browsing/NavigateurLocal.h"
#include "dialogs/Form2.h"
#include "ftp/clsFTP.h"
#include "mainwindow/Form1.h"
#include "mainwindow/Form1Ui.h"
#include "mainwindow/GestionConnexion.h"
#include "platform/LocalLists.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "settings/Reglages.h"
#include "support/TestServeur.h"
#include "transfers/GlisserDeposer.h"
#include "transfers/Progression.h"
#include "transfers/TransfertsDossiers.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QColor VertFonce(0, 64, 0);
const QColor Rouge(255, 0, 0);
const QColor Orange(255, 128, 0);
const QColor Noir(Qt::black);
const QColor Blanc(255, 255, 255);

struct Ligne {
    QString texte;
    QColor couleur;
    bool operator==(const Ligne &a) const { return texte == a.texte && couleur == a.couleur; }
};

} // namespace

namespace QTest {
template <> char *toString(const Ligne &l) {
    return qstrdup(qPrintable(l.texte + QStringLiteral(" [") + l.couleur.name() + u']'));
}
} // namespace QTest

namespace {

// The log's lines from `debut` on, without their time of day.
QVector<Ligne> lignes(const QTextEdit *log, int debut = 0) {
    QVector<Ligne> resultat;
    int i = 0;
    for (QTextBlock b = log->document()->begin(); b.isValid(); b = b.next(), ++i) {
        if (!b.next().isValid() && b.text().isEmpty())
            break;
        if (i < debut)
            continue;
        QColor couleur;
        if (b.begin() != b.end())
            couleur = b.begin().fragment().charFormat().foreground().color();
        resultat.push_back({b.text().mid(8), couleur});
    }
    return resultat;
}

int nombreLignes(const QTextEdit *log) {
    return int(lignes(log).size());
}

QByteArray lis(const QString &chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool ecris(const QString &chemin, const QByteArray &contenu) {
    QFile f(chemin);
    return f.open(QIODevice::WriteOnly) && f.write(contenu) == contenu.size();
}

QStringList fichiersDe(const QString &dossier) {
    return QDir(dossier).entryList(QDir::Files, QDir::Name);
}

// Runs `action` on every pass of the event loop while it is installed: the
// transfers yield between files and during each file.
class Espion : public QObject {
public:
    explicit Espion(std::function<void()> action) : m_action(std::move(action)) {
        m_minuterie.setInterval(0);
        connect(&m_minuterie, &QTimer::timeout, this, [this] { m_action(); });
        m_minuterie.start();
    }

private:
    std::function<void()> m_action;
    QTimer m_minuterie;
};

// Counts the times a widget is shown.
class CompteAffichages : public QObject {
public:
    explicit CompteAffichages(QWidget *w) { w->installEventFilter(this); }
    int fois = 0;
    bool eventFilter(QObject *, QEvent *e) override {
        if (e->type() == QEvent::Show)
            ++fois;
        return false;
    }
};

} // namespace

class TstTransferts : public QObject {
    Q_OBJECT

    TestServeur &m_srv = TestServeur::instance();
    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<QTemporaryDir> m_local;
    PromptsRepondeur m_prompts;
    ShellEnregistreur m_shell;
    QString m_dossier; // the remote folder of the test

    std::unique_ptr<Form1> demarre() {
        m_dossier = m_srv.nouveauDossier(QStringLiteral("transferts"));
        Reglages::Ecrit(Reglages::TxtSite, m_srv.site());
        Reglages::Ecrit(Reglages::TxtUtilisateur, m_srv.utilisateur());
        Reglages::Ecrit(Reglages::TxtMDP, m_srv.motDePasse());
        Reglages::EcritBooleen(Reglages::ConAuto, true);
        Reglages::Ecrit(Reglages::PathSite, m_dossier);
        for (const Reglages::Cle &c : {Reglages::DrvLoc, Reglages::DirLoc, Reglages::FilLoc})
            Reglages::Ecrit(c, m_local->path());
        auto f = std::make_unique<Form1>();
        f->FinProgramme = [] {};
        f->gestionConnexion().MontreDialogue = [](Form2 &) { return 0; };
        f->Form_Load();
        return f;
    }

    // A remote folder `nom` under the test folder holding `fichiers`
    // (name -> size), listed and selected in the tree.
    QString dossierDistant(Form1 &f, const QString &nom, const QMap<QString, int> &fichiers) {
        const QString cle = m_dossier + nom + QLatin1Char('/');
        m_srv.creeDossier(cle);
        for (auto it = fichiers.cbegin(); it != fichiers.cend(); ++it)
            m_srv.ecrisFichier(cle + it.key(), OctetsTest(it.value()));
        f.RafraichitSite(cle);
        return cle;
    }

    // A local folder `nom` in the test's local folder holding `fichiers`,
    // highlighted in the folder list (its parent is the current folder).
    QString dossierLocal(Form1 &f, const QString &nom, const QMap<QString, int> &fichiers) {
        const QString chemin = m_local->filePath(nom);
        QDir().mkpath(chemin);
        for (auto it = fichiers.cbegin(); it != fichiers.cend(); ++it)
            ecris(chemin + QLatin1Char('/') + it.key(), OctetsTest(it.value()));
        DirListBox *d = f.Ui().dirLocal;
        d->setPath(m_local->path());
        for (int i = 0; i < d->ListCount(); ++i)
            if (d->List(i) == chemin)
                d->setListIndex(i);
        return chemin;
    }

    // The download as the window starts it.
    static void rapatrie(Form1 &f) {
        f.CaDrague = true;
        f.navigateurLocal().dirLocal_MouseUp();
    }
    static void envoie(Form1 &f) { f.glisserDeposer().trvSiteDir_DragDrop(f.Ui().dirLocal); }

private slots:
    void initTestCase();
    void init();

    void legendes_data();
    void legendes();
    void barre_data();
    void barre();
    void octetsEnCours();
    void nomsSimples_data();
    void nomsSimples();

    void cadre();
    void rapatriement();
    void rapatriementDansDossierExistant();
    void rapatriementEchoue();
    void rapatriementDossierVide();
    void envoi();
    void envoiAnnuleAuTroisiemeFichier();
    void envoiAvecFichierEchoue();
    void envoiDossierDistantImpossible();
    void gros_fichier_visible();
    void confirmationRefusee();
};

void TstTransferts::initTestCase() {
    QVERIFY2(m_srv.valide(), qPrintable(m_srv.erreur()));
    QLocale::setDefault(QLocale::c());
    DefinitPrompts(&m_prompts);
    DefinitShell(&m_shell);
}

void TstTransferts::init() {
    m_config = std::make_unique<QTemporaryDir>();
    m_local = std::make_unique<QTemporaryDir>();
    QVERIFY(m_config->isValid() && m_local->isValid());
    qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
    qputenv("QUILLON_TEMP_DIR", (m_config->path() + QStringLiteral("/Temp")).toLocal8Bit());
    m_prompts.demandes.clear();
    m_prompts.reponses.clear();
    m_prompts.saisies.clear();
}

// -------------------------------------------------------------- the texts

void TstTransferts::legendes_data() {
    QTest::addColumn<double>("fait");
    QTest::addColumn<int>("total");
    QTest::addColumn<double>("octets");
    QTest::addColumn<double>("secondes");
    QTest::addColumn<QString>("legende");
    QTest::newRow("first file, no time") << 0.0 << 4 << 0.0 << 0.0 << "0/4.";
    QTest::newRow("100 Ko/sec") << 2.0 << 4 << 1024000.0 << 10.0 << "2/4 (100.0 Ko/sec)";
    QTest::newRow("12.5 Ko/sec") << 3.0 << 10 << 12800.0 << 1.0 << "3/10 (12.5 Ko/sec)";
    QTest::newRow("grouped") << 9.0 << 10 << 1264189.0 << 1.0 << "9/10 (1 234.6 Ko/sec)";
    QTest::newRow("millions") << 1.0 << 2 << 1024.0 * 1234567 << 1.0 << "1/2 (1 234 567.0 Ko/sec)";
    QTest::newRow("below one") << 0.0 << 1 << 512.0 << 1.0 << "0/1 (0.5 Ko/sec)";
    QTest::newRow("rounded up") << 1.0 << 3 << 102399.0 << 1.0 << "1/3 (100.0 Ko/sec)";
    QTest::newRow("nothing moved") << 0.0 << 3 << 0.0 << 2.0 << "0/3 (0.0 Ko/sec)";
    QTest::newRow("negative time") << 5.0 << 6 << 5000.0 << -3.0 << "5/6.";
    QTest::newRow("last file") << 4.0 << 5 << 0.0 << 0.0 << "4/5.";
    QTest::newRow("fraction") << 2.5 << 4 << 0.0 << 0.0 << "2.5/4.";
}

void TstTransferts::legendes() {
    QFETCH(double, fait);
    QFETCH(int, total);
    QFETCH(double, octets);
    QFETCH(double, secondes);
    QFETCH(QString, legende);
    QCOMPARE(LegendeProgression(fait, total, octets, secondes), legende);
}

void TstTransferts::barre_data() {
    QTest::addColumn<double>("fait");
    QTest::addColumn<int>("total");
    QTest::addColumn<double>("largeur");
    QTest::addColumn<QString>("pourcentage");
    QTest::addColumn<QColor>("couleurSuivante");
    QTest::newRow("0 of 4") << 0.0 << 4 << 0.0 << "0.0 %" << Noir;
    QTest::newRow("1 of 3") << 1.0 << 3 << 1445.0 << "33.3 %" << Noir;
    QTest::newRow("just below half") << 49.0 << 100 << 2124.15 << "49.0 %" << Noir;
    QTest::newRow("half") << 2.0 << 4 << 2167.5 << "50.0 %" << Blanc;
    QTest::newRow("2 of 3") << 2.0 << 3 << 2890.0 << "66.7 %" << Blanc;
    QTest::newRow("all") << 4.0 << 4 << 4335.0 << "100.0 %" << Blanc;
    QTest::newRow("beyond") << 6.0 << 4 << 4335.0 << "150.0 %" << Blanc;
    QTest::newRow("no files") << 0.0 << 0 << 0.0 << "" << Blanc;
}

void TstTransferts::barre() {
    QFETCH(double, fait);
    QFETCH(int, total);
    QFETCH(double, largeur);
    QFETCH(QString, pourcentage);
    QFETCH(QColor, couleurSuivante);
    QVERIFY(qAbs(LargeurBarre(fait, total, 4335) - largeur) < 0.01);
    QCOMPARE(TexteBarre(fait, total), pourcentage);
    QCOMPARE(CouleurTexteSuivante(fait, total), couleurSuivante);
}

void TstTransferts::octetsEnCours() {
    QCOMPARE(TexteOctetsEnCours(QStringLiteral("a.bin"), 1048576, 4194304, 2),
             QStringLiteral("a.bin : 1 048 576 octets (25.0 %) à 512.0 Ko/sec"));
    QCOMPARE(TexteOctetsEnCours(QStringLiteral("a.bin"), 0, 0, 0),
             QStringLiteral("a.bin : 0 octets"));
    QCOMPARE(TexteOctetsEnCours(QStringLiteral("a.bin"), 3, 3, 0),
             QStringLiteral("a.bin : 3 octets (100.0 %)"));
    // A size the server did not announce.
    QCOMPARE(TexteOctetsEnCours(QStringLiteral("b"), 2048, -1, 1),
             QStringLiteral("b : 2 048 octets à 2.0 Ko/sec"));
    // The user's decimal separator.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QCOMPARE(LegendeProgression(9, 10, 1264189, 1), QStringLiteral("9/10 (1 234,6 Ko/sec)"));
    QCOMPARE(TexteBarre(1, 3), QStringLiteral("33,3 %"));
    QLocale::setDefault(QLocale::c());
}

void TstTransferts::nomsSimples_data() {
    QTest::addColumn<QString>("nom");
    QTest::addColumn<bool>("valide");
    QTest::newRow("plain") << "a.txt" << true;
    QTest::newRow("dots inside") << "..a..b" << true;
    QTest::newRow("spaces") << " x " << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("leading slash") << "/etc" << false;
    QTest::newRow("backslash") << "..\\x" << false;
    QTest::newRow("nul") << QString(QStringLiteral("a") + QChar(0)) << false;
}

void TstTransferts::nomsSimples() {
    QFETCH(QString, nom);
    QFETCH(bool, valide);
    QCOMPARE(NomSimpleValide(nom), valide);
}

// -------------------------------------------------------------- the frame

void TstTransferts::cadre() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    Progression &p = f->progression();
    QVERIFY(u.Frame1->isHidden());
    QCOMPARE(u.Label3->text(), QStringLiteral("Déplacement des fichiers"));

    // Moved to the middle of the window's width, kept at its height.
    const int haut = u.Frame1->y();
    f->AfficheProgression(0, 4, 0, 0);
    QVERIFY(!u.Frame1->isHidden());
    QVERIFY(qAbs(u.Frame1->x() - (u.centre->width() / 2 - u.Frame1->width() / 2)) <= 1);
    QCOMPARE(u.Frame1->y(), haut);
    QCOMPARE(u.Label2->text(), QStringLiteral("0/4."));
    QCOMPARE(p.LargeurBarrePixels(), 0);
    QCOMPARE(p.PourcentageAffiche(), QStringLiteral("0.0 %"));
    QCOMPARE(p.CouleurPourcentage(), Noir);

    // Half: the bar covers half the surface; the percentage turns white only
    // at the next call.
    f->AfficheProgression(2, 4, 1024000, 10);
    QCOMPARE(u.Label2->text(), QStringLiteral("2/4 (100.0 Ko/sec)"));
    const int largeur = u.Pprog->contentsRect().width();
    QVERIFY(qAbs(p.LargeurBarrePixels() - largeur / 2) <= 1);
    QCOMPARE(p.CouleurPourcentage(), Noir);
    const QImage image = u.Pprog->pixmap().toImage();
    QCOMPARE(image.pixelColor(2, image.height() / 2), QColor(0, 0, 128));
    QVERIFY(image.pixelColor(largeur - 2, image.height() / 2) != QColor(0, 0, 128));
    f->AfficheProgression(3, 4, 0, 0);
    QCOMPARE(p.CouleurPourcentage(), Blanc);
    QCOMPARE(p.PourcentageAffiche(), QStringLiteral("75.0 %"));
    f->AfficheProgression(4, 4, 0, 0);
    QCOMPARE(p.LargeurBarrePixels(), largeur);

    // No files: the frame is shown empty and the caption stays.
    f->AfficheProgression(0, 0, 0, 0);
    QCOMPARE(u.Label2->text(), QStringLiteral("4/4."));
    QCOMPARE(p.LargeurBarrePixels(), 0);
    QVERIFY(u.Pprog->pixmap().isNull());

    // A new operation starts empty and black.
    f->InitProgression();
    QCOMPARE(u.Label2->text(), QString());
    QVERIFY(!u.Frame1->isHidden());
    f->AfficheProgression(1, 4, 0, 0);
    QCOMPARE(p.CouleurPourcentage(), Noir);

    // "Annuler" only raises the request.
    f->CnDl = 0;
    u.Command5->click();
    QVERIFY(f->CnDl != 0);
    QVERIFY(!u.Frame1->isHidden());
}

// ------------------------------------------------------------- downloads

void TstTransferts::rapatriement() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    const QString cle = dossierDistant(*f, QStringLiteral("source"),
                                       {{"a.txt", 100}, {"b.bin", 70000}, {"c.txt", 0}});
    m_srv.creeDossier(cle + QStringLiteral("sous/"));
    m_srv.ecrisFichier(cle + QStringLiteral("sous/profond.txt"), "x");
    u.dirLocal->setPath(m_local->path());
    QCOMPARE(f->CleNoeudSelectionne(), cle);
    m_prompts.reponses << Prompts::Bouton::Oui;
    const int debut = nombreLignes(u.TxtAction);

    rapatrie(*f);

    QCOMPARE(m_prompts.demandes.size(), 1);
    QCOMPARE(m_prompts.demandes[0].titre, QStringLiteral("Attention !!!"));
    QCOMPARE(m_prompts.demandes[0].texte,
             QStringLiteral("Voulez vous copier le répertoire ''source'' dans le répertoire ''") +
                 QDir(m_local->path()).dirName() + QStringLiteral("'' ?"));
    QCOMPARE(lignes(u.TxtAction, debut),
             (QVector<Ligne>{{" > Création du répertoire source", Orange},
                             {" > Début du chargement des 3 fichiers.", VertFonce},
                             {" > Déplacement réussi de 3 fichiers dans source", VertFonce}}));
    // One level: the files, not the sub-folder.
    const QString copie = m_local->filePath(QStringLiteral("source"));
    QCOMPARE(QDir(copie).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
             (QStringList{"a.txt", "b.bin", "c.txt"}));
    QCOMPARE(lis(copie + QStringLiteral("/b.bin")), OctetsTest(70000));
    QCOMPARE(u.dirLocal->Path(), copie);
    QCOMPARE(u.filLocal->ListCount(), 3);
    QCOMPARE(u.LabNB[0]->text(), QStringLiteral("3 fichiers."));
    QVERIFY(u.Label2->text().startsWith(QStringLiteral("2/3 ")));
    QVERIFY(u.Label2->text().endsWith(QStringLiteral(" Ko/sec)")));
    QVERIFY(u.Frame1->isHidden());
    QVERIFY(f->progression().PanneauOctets()->isHidden());
    QVERIFY(!f->CaDrague);
}

void TstTransferts::rapatriementDansDossierExistant() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    dossierDistant(*f, QStringLiteral("site"), {{"a.txt", 10}, {"b.txt", 20}});
    const QString copie = m_local->filePath(QStringLiteral("site"));
    QVERIFY(QDir().mkdir(copie));
    QVERIFY(ecris(copie + QStringLiteral("/a.txt"), "ancien"));
    QVERIFY(ecris(copie + QStringLiteral("/garde.txt"), "garde"));
    u.dirLocal->setPath(m_local->path());
    m_prompts.reponses << Prompts::Bouton::Oui;
    const int debut = nombreLignes(u.TxtAction);

    rapatrie(*f);

    QCOMPARE(lignes(u.TxtAction, debut),
             (QVector<Ligne>{{" > Répertoire site déjà existant", Orange},
                             {" > Début du chargement des 2 fichiers.", VertFonce},
                             {" > Déplacement réussi de 2 fichiers dans site", VertFonce}}));
    QCOMPARE(lis(copie + QStringLiteral("/a.txt")), OctetsTest(10));
    QCOMPARE(lis(copie + QStringLiteral("/garde.txt")), QByteArray("garde"));
    QCOMPARE(fichiersDe(copie), (QStringList{"a.txt", "b.txt", "garde.txt"}));
}

void TstTransferts::rapatriementEchoue() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    dossierDistant(*f, QStringLiteral("site"), {{"a.txt", 10}, {"b.txt", 20}, {"c.txt", 30}});
    // A folder where b.txt should land: that file can't be written.
    const QString copie = m_local->filePath(QStringLiteral("site"));
    QVERIFY(QDir().mkpath(copie + QStringLiteral("/b.txt")));
    u.dirLocal->setPath(m_local->path());
    m_prompts.reponses << Prompts::Bouton::Oui;
    int debut = nombreLignes(u.TxtAction);
    rapatrie(*f);
    QCOMPARE(lignes(u.TxtAction, debut),
             (QVector<Ligne>{{" > Répertoire site déjà existant", Orange},
                             {" > Début du chargement des 3 fichiers.", VertFonce},
                             {" > Téléchargement échoué de b.txt", Rouge},
                             {" > Il y a eu des erreurs !!!", Rouge}}));
    QCOMPARE(lis(copie + QStringLiteral("/c.txt")), OctetsTest(30));
    QVERIFY(u.Frame1->isHidden());

    // A file where the folder should be made: nothing is downloaded.
    u.dirLocal->setPath(m_local->path());
    QVERIFY(ecris(m_local->filePath(QStringLiteral("autre")), "fichier"));
    dossierDistant(*f, QStringLiteral("autre"), {{"x.txt", 5}});
    m_prompts.reponses << Prompts::Bouton::Oui;
    debut = nombreLignes(u.TxtAction);
    rapatrie(*f);
    QCOMPARE(lignes(u.TxtAction, debut), (QVector<Ligne>{{" > Une erreur s'est produite", Rouge},
                                                         {" > Il y a eu des erreurs !!!", Rouge}}));
    QCOMPARE(lis(m_local->filePath(QStringLiteral("autre"))), QByteArray("fichier"));

    // A site folder that has gone: an error, not "0 files copied".
    u.dirLocal->setPath(m_local->path());
    const QString parti = dossierDistant(*f, QStringLiteral("parti"), {{"y.txt", 5}});
    QVERIFY(QDir(m_srv.disque(parti)).removeRecursively());
    m_prompts.reponses << Prompts::Bouton::Oui;
    debut = nombreLignes(u.TxtAction);
    rapatrie(*f);
    QCOMPARE(lignes(u.TxtAction, debut),
             (QVector<Ligne>{{" > Création du répertoire parti", Orange},
                             {" > Une erreur s'est produite", Rouge},
                             {" > Il y a eu des erreurs !!!", Rouge}}));
}

void TstTransferts::rapatriementDossierVide() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    dossierDistant(*f, QStringLiteral("vide"), {});
    m_srv.creeDossier(m_dossier + QStringLiteral("vide/seulement_un_dossier/"));
    f->RafraichitSite(m_dossier + QStringLiteral("vide/"));
    u.dirLocal->setPath(m_local->path());
    CompteAffichages affichages(u.Frame1);
    m_prompts.reponses << Prompts::Bouton::Oui;
    const int debut = nombreLignes(u.TxtAction);
    rapatrie(*f);
    QCOMPARE(lignes(u.TxtAction, debut),
             (QVector<Ligne>{{" > Création du répertoire vide", Orange},
                             {" > Début du chargement des 0 fichiers.", VertFonce},
                             {" > Déplacement réussi de 0 fichiers dans vide", VertFonce}}));
    QVERIFY(QFileInfo(m_local->filePath(QStringLiteral("vide"))).isDir());
    QVERIFY(QDir(m_local->filePath(QStringLiteral("vide"))).isEmpty());
    QCOMPARE(affichages.fois, 0);
}

// --------------------------------------------------------------- uploads

void TstTransferts::envoi() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    const QMap<QString, int> cinq{
        {"1.txt", 10}, {"2.txt", 2000}, {"3.bin", 300000}, {"4.txt", 0}, {"5.txt", 5}};
    const QString chemin = dossierLocal(*f, QStringLiteral("envoi"), cinq);
    QDir().mkdir(chemin + QStringLiteral("/sous"));
    m_prompts.reponses << Prompts::Bouton::Oui;
    int debut = nombreLignes(u.TxtAction);

    envoie(*f);

    QCOMPARE(m_prompts.demandes.size(), 1);
    QCOMPARE(m_prompts.demandes[0].texte,
             QStringLiteral("Voulez vous copier le répertoire ''envoi'' dans le répertoire ''") +
                 m_dossier.mid(1).chopped(1) + QStringLiteral("'' ?"));
    QCOMPARE(lignes(u.TxtAction, debut),
             (QVector<Ligne>{{" > Création du répertoire envoi", Orange},
                             {" > Téléchargement vers site du dossier envoi", VertFonce},
                             {" > Déplacement réussi de 5 fichiers dans envoi", VertFonce}}));
    const QString cible = m_dossier + QStringLiteral("envoi/");
    QCOMPARE(m_srv.contenu(cible), QStringList(cinq.keys()));
    QCOMPARE(m_srv.litFichier(cible + QStringLiteral("3.bin")), OctetsTest(300000));
    // The new folder is the one shown.
    QCOMPARE(f->CleNoeudSelectionne(), cible);
    QCOMPARE(u.List4->count(), 5);
    QCOMPARE(u.dirLocal->Path(), chemin);
    QVERIFY(u.Label2->text().startsWith(QStringLiteral("4/5 ")));
    QVERIFY(u.Frame1->isHidden());

    // Again into the same site folder: it is reported, then used.
    f->RafraichitSite(m_dossier);
    dossierLocal(*f, QStringLiteral("envoi"), {{"1.txt", 11}});
    m_prompts.reponses << Prompts::Bouton::Oui;
    debut = nombreLignes(u.TxtAction);
    envoie(*f);
    QCOMPARE(lignes(u.TxtAction, debut),
             (QVector<Ligne>{{" > Répertoire envoi déjà présent.", Orange},
                             {" > Téléchargement vers site du dossier envoi", VertFonce},
                             {" > Déplacement réussi de 5 fichiers dans envoi", VertFonce}}));
    QCOMPARE(m_srv.litFichier(cible + QStringLiteral("1.txt")), OctetsTest(11));
}

void TstTransferts::envoiAnnuleAuTroisiemeFichier() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    dossierLocal(*f, QStringLiteral("cinq"),
                 {{"f1", 1000}, {"f2", 1000}, {"f3", 1000}, {"f4", 1000}, {"f5", 1000}});
    // A stale request from before is forgotten at the start.
    f->CnDl = -1;
    m_prompts.reponses << Prompts::Bouton::Oui;
    const int debut = nombreLignes(u.TxtAction);
    bool clique = false, visibleAuClic = false;
    {
        // "Annuler" pressed while the third file is on its way.
        Espion espion([&] {
            const QString enCours = f->progression().PanneauOctets()->text();
            // Other actions wait for the end: a button pressed now does nothing.
            if (enCours.startsWith(QStringLiteral("f2 : ")))
                u.BTs[2]->click();
            if (clique || !enCours.startsWith(QStringLiteral("f3 : ")))
                return;
            clique = true;
            visibleAuClic = !u.Frame1->isHidden() && u.Command5->isEnabled();
            u.Command5->click();
        });
        envoie(*f);
    }
    QVERIFY(clique);
    QVERIFY(visibleAuClic);
    QCOMPARE(m_prompts.demandes.size(), 1);
    // That file completes; the next ones are not sent.
    QCOMPARE(m_srv.contenu(m_dossier + QStringLiteral("cinq/")), (QStringList{"f1", "f2", "f3"}));
    QCOMPARE(lignes(u.TxtAction, debut).last(),
             (Ligne{" > Déplacement annulé par l'utilisateur", Orange}));
    QVERIFY(u.Frame1->isHidden());
    QVERIFY(f->CnDl != 0);
    QCOMPARE(u.List4->count(), 3);
}

void TstTransferts::envoiAvecFichierEchoue() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    dossierLocal(*f, QStringLiteral("lot"),
                 {{"a.txt", 1}, {"b.txt", 2}, {"c.txt", 3}, {"d.txt", 4}, {"e.txt", 5}});
    // A folder of that name on the site: b.txt can't be stored there.
    QVERIFY(m_srv.creeDossier(m_dossier + QStringLiteral("lot/b.txt/")));
    m_prompts.reponses << Prompts::Bouton::Oui;
    const int debut = nombreLignes(u.TxtAction);
    envoie(*f);
    QCOMPARE(lignes(u.TxtAction, debut),
             (QVector<Ligne>{{" > Répertoire lot déjà présent.", Orange},
                             {" > Téléchargement vers site du dossier lot", VertFonce},
                             {" > ''Upload'' échoué de b.txt", Rouge},
                             {" > Il y a eu des erreurs !!!", Rouge}}));
    QCOMPARE(m_srv.litFichier(m_dossier + QStringLiteral("lot/e.txt")), OctetsTest(5));
    QVERIFY(u.Frame1->isHidden());
}

void TstTransferts::envoiDossierDistantImpossible() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    // A file where the folder should be made: neither created nor present.
    QVERIFY(m_srv.ecrisFichier(m_dossier + QStringLiteral("bloque"), "fichier"));
    f->RafraichitSite(m_dossier);
    dossierLocal(*f, QStringLiteral("bloque"), {{"a.txt", 1}});
    m_prompts.reponses << Prompts::Bouton::Oui;
    int debut = nombreLignes(u.TxtAction);
    envoie(*f);
    QCOMPARE(lignes(u.TxtAction, debut), (QVector<Ligne>{{" > Une erreur s'est produite", Rouge},
                                                         {" > Il y a eu des erreurs !!!", Rouge}}));
    QCOMPARE(m_srv.litFichier(m_dossier + QStringLiteral("bloque")), QByteArray("fichier"));
    QVERIFY(u.Frame1->isHidden());

    // The root of the disk has no name to give the remote folder.
    f->RafraichitSite(m_dossier);
    u.dirLocal->setPath(QStringLiteral("/"));
    u.dirLocal->setListIndex(-1);
    m_prompts.reponses << Prompts::Bouton::Oui;
    debut = nombreLignes(u.TxtAction);
    envoie(*f);
    QCOMPARE(lignes(u.TxtAction, debut), (QVector<Ligne>{{" > Une erreur s'est produite", Rouge},
                                                         {" > Il y a eu des erreurs !!!", Rouge}}));
    QCOMPARE(m_srv.contenu(m_dossier), QStringList{"bloque"});
}

void TstTransferts::gros_fichier_visible() {
    // One long file: its bytes show in the status bar while the frame and
    // "Annuler" are up, and the window keeps handling events.
    auto f = demarre();
    Form1Ui &u = f->Ui();
    const int taille = 24 * 1024 * 1024;
    dossierLocal(*f, QStringLiteral("gros"), {{"gros.bin", taille}});
    m_prompts.reponses << Prompts::Bouton::Oui;
    QStringList vus;
    bool cadreVisible = true;
    {
        Espion espion([&] {
            const QLabel *panneau = f->progression().PanneauOctets();
            // Only while the file is on its way.
            if (!oFTP || !oFTP->EnCours() || panneau->isHidden())
                return;
            vus << panneau->text();
            cadreVisible = cadreVisible && !u.Frame1->isHidden();
        });
        envoie(*f);
    }
    QVERIFY(!vus.isEmpty());
    QVERIFY(vus.first().startsWith(QStringLiteral("gros.bin : ")));
    QVERIFY(cadreVisible);
    QVERIFY2(vus.last().contains(QStringLiteral(" octets (")), qPrintable(vus.last()));
    QCOMPARE(m_srv.contenu(m_dossier + QStringLiteral("gros/")), QStringList{"gros.bin"});
    QVERIFY(f->progression().PanneauOctets()->isHidden());
}

void TstTransferts::confirmationRefusee() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    // Download declined: nothing is made or logged.
    dossierDistant(*f, QStringLiteral("non"), {{"a.txt", 1}});
    u.dirLocal->setPath(m_local->path());
    int debut = nombreLignes(u.TxtAction);
    rapatrie(*f);
    QCOMPARE(m_prompts.demandes.size(), 1);
    QCOMPARE(nombreLignes(u.TxtAction), debut);
    QVERIFY(QDir(m_local->path()).isEmpty());
    QCOMPARE(u.dirLocal->Path(), m_local->path());
    QVERIFY(u.Frame1->isHidden());

    // Upload declined: only the folder list has moved into the folder.
    f->RafraichitSite(m_dossier);
    const QString chemin = dossierLocal(*f, QStringLiteral("local"), {{"a.txt", 1}});
    debut = nombreLignes(u.TxtAction);
    envoie(*f);
    QCOMPARE(m_prompts.demandes.size(), 2);
    QCOMPARE(nombreLignes(u.TxtAction), debut);
    QCOMPARE(m_srv.contenu(m_dossier), QStringList{"non"});
    QCOMPARE(u.dirLocal->Path(), chemin);
    QVERIFY(u.Frame1->isHidden());

    // Without a site folder nothing is asked.
    u.trvSiteDir->clearSelection();
    rapatrie(*f);
    QCOMPARE(m_prompts.demandes.size(), 2);
}

QTEST_MAIN(TstTransferts)
#include "tst_transferts.moc"
