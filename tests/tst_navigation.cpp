// Browsing both sides: the size texts and the site-tree chain as pure
// functions, then the real main window against the loopback FTP server: the
// tree for "/" and "/a/b/", navigation by the tree, the size of a clicked file
// on either side, the web address of a clicked site file, the file-pick mode,
// the double-click rule, the "Racine du site ?" prompt, the local lists kept in
// step, and a long listing that keeps the event loop running.

#include "browsing/CheminsSite.h"
#include "browsing/NavigateurLocal.h"
#include "browsing/NavigateurSite.h"
#include "browsing/TextesTaille.h"
#include "connection/GestionConnexion.h"
#include "dialogs/Form2.h"
#include "ftp/clsFTP.h"
#include "mainwindow/Form1.h"
#include "platform/LocalLists.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "settings/Reglages.h"
#include "support/BancFenetre.h"
#include "support/TestServeur.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/Globales.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

#include <memory>
#include <utility>

namespace {

const QColor Magenta(255, 0, 255);
const QColor Rouge(255, 0, 0);

struct Ligne {
    QString texte;
    QColor couleur;
};

QVector<Ligne> lignes(const QTextEdit *log) {
    QVector<Ligne> resultat;
    for (QTextBlock b = log->document()->begin(); b.isValid(); b = b.next()) {
        if (!b.next().isValid() && b.text().isEmpty())
            break;
        QColor couleur;
        if (b.begin() != b.end())
            couleur = b.begin().fragment().charFormat().foreground().color();
        resultat.push_back({b.text(), couleur});
    }
    return resultat;
}

QString dp() {
    return QLocale().decimalPoint();
}

bool ecrisLocal(const QString &chemin, qint64 taille) {
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    // Large sizes stay sparse: only the length matters here.
    return taille > (1 << 24) ? f.resize(taille) : f.write(OctetsTest(taille)) == taille;
}

QStringList textes(const QListWidget *l) {
    QStringList t;
    for (int i = 0; i < l->count(); ++i)
        t << l->item(i)->text();
    return t;
}

// A double-click as the window system delivers it: press, release, press,
// double-click, release.
void doubleClicReel(QWidget *w, const QPoint &p) {
    QTest::mousePress(w, Qt::LeftButton, {}, p);
    QTest::mouseRelease(w, Qt::LeftButton, {}, p);
    QTest::mousePress(w, Qt::LeftButton, {}, p);
    QTest::mouseDClick(w, Qt::LeftButton, {}, p);
    QTest::mouseRelease(w, Qt::LeftButton, {}, p);
}

QTreeWidgetItem *noeud(QTreeWidget *arbre, const QString &cle) {
    for (QTreeWidgetItemIterator it(arbre); *it; ++it)
        if ((*it)->data(0, Form1Ui::RoleCle).toString() == cle)
            return *it;
    return nullptr;
}

} // namespace

class TstNavigation : public QObject {
    Q_OBJECT

    TestServeur &m_srv = TestServeur::instance();
    BancFenetre m_banc;

    // The main window as the program starts it: automatic connection to the
    // test server, listing `dossierSite`, local views on a fresh folder.
    std::unique_ptr<Form1> demarre(const QString &dossierSite) {
        EcritReglagesConnexion(m_srv, dossierSite, m_banc.Local());
        return DemarreFenetre();
    }

private slots:
    void initTestCase();
    void init();

    void tailleSite_data();
    void tailleSite();
    void tailleLocale_data();
    void tailleLocale();
    void chaine_data();
    void chaine();
    void cheminsSite();

    void arbreDeLaRacine();
    void arbreDeABEtTitre();
    void dossierVideOuIntrouvable_data();
    void dossierVideOuIntrouvable();
    void navigationParLArbre();
    void tailleDUnFichierDuSite_data();
    void tailleDUnFichierDuSite();
    void clicSurUnFichierDuSite();
    void tailleDUnFichierLocal_data();
    void tailleDUnFichierLocal();
    void dateDansList3();
    void modeChoix();
    void doubleClic_data();
    void doubleClic();
    void racineDuSite_data();
    void racineDuSite();
    void listesLocalesEnPhase();
    void longueListeCede();
    void lignesIncomprisesAuJournal();
};

void TstNavigation::initTestCase() {
    QVERIFY2(m_srv.valide(), qPrintable(m_srv.erreur()));
}

void TstNavigation::init() {
    QVERIFY(m_banc.Renouvelle());
    InstancePrecedente = 0;
    DoubleClicOuvre = true;
    FichierLocalChoisi = false;
    FichierSiteChoisi = false;
}

// ---------------------------------------------------------------- pure logic

void TstNavigation::tailleSite_data() {
    QTest::addColumn<double>("ko");
    QTest::addColumn<QString>("texte");
    const QString mo = QStringLiteral(" Mo");
    QTest::newRow("illisible") << -1.0 / 1024 << QStringLiteral("Vous n'êtes plus connecté.");
    QTest::newRow("vide") << 0.0 << QStringLiteral("Taille = 0 octets");
    QTest::newRow("0.5 Ko") << 0.5 << QStringLiteral("Taille = 512 octets");
    QTest::newRow("1023 octets") << 1023.0 / 1024 << QStringLiteral("Taille = 1 023 octets");
    QTest::newRow("1 Ko exactement") << 1.0 << QStringLiteral("Taille = 1 Ko");
    QTest::newRow("12.5 Ko") << 12.5 << QStringLiteral("Taille = 12 Ko");
    QTest::newRow("1024 Ko") << 1024.0 << QStringLiteral("Taille = 1 024 Ko");
    QTest::newRow("juste au-dessus") << 1024.5 << QStringLiteral("Taille = 1 Mo");
    QTest::newRow("1.5 Mo") << 1536.0
                            << QStringLiteral("Taille = 1") + dp() + QStringLiteral("5") + mo;
    QTest::newRow("5 000 000 octets")
        << 5000000.0 / 1024 << QStringLiteral("Taille = 4") + dp() + QStringLiteral("77") + mo;
    QTest::newRow("3 Gio") << 3.0 * 1024 * 1024 << QStringLiteral("Taille = 3 072 Mo");
    QTest::newRow("5 To") << 5e12 / 1024
                          << QStringLiteral("Taille = 4 768 371") + dp() + QStringLiteral("58") +
                                 mo;
}

void TstNavigation::tailleSite() {
    QFETCH(double, ko);
    QFETCH(QString, texte);
    QCOMPARE(TexteTailleSite(ko), texte);
}

void TstNavigation::tailleLocale_data() {
    QTest::addColumn<qint64>("octets");
    QTest::addColumn<QString>("texte");
    QTest::newRow("vide") << qint64(0) << QStringLiteral("Taille = 0 octets");
    QTest::newRow("500") << qint64(500) << QStringLiteral("Taille = 500 octets");
    QTest::newRow("1023") << qint64(1023) << QStringLiteral("Taille = 1 023 octets");
    QTest::newRow("1024") << qint64(1024) << QStringLiteral("Taille = 1 Ko");
    QTest::newRow("3500") << qint64(3500) << QStringLiteral("Taille = 3 Ko");
    QTest::newRow("1 Mio") << qint64(1 << 20) << QStringLiteral("Taille = 1 024 Ko");
    QTest::newRow("1 Mio + 1") << qint64((1 << 20) + 1) << QStringLiteral("Taille = 1 Mo");
    QTest::newRow("5 000 000") << qint64(5000000) << QStringLiteral("Taille = 5 Mo");
    QTest::newRow("3 Gio") << qint64(3) * 1024 * 1024 * 1024 << QStringLiteral("Taille = 3 072 Mo");
}

void TstNavigation::tailleLocale() {
    QFETCH(qint64, octets);
    QFETCH(QString, texte);
    QCOMPARE(TexteTailleLocale(octets), texte);
}

void TstNavigation::chaine_data() {
    QTest::addColumn<QString>("dossier");
    QTest::addColumn<QStringList>("cles");
    QTest::addColumn<QStringList>("textes");
    QTest::addColumn<QList<int>>("images");
    QTest::newRow("racine") << QStringLiteral("/") << QStringList{"/"} << QStringList{"hote"}
                            << QList<int>{11};
    QTest::newRow("/a/b/") << QStringLiteral("/a/b/") << QStringList{"/", "/a/", "/a/b/"}
                           << QStringList{"hote", "a", "b"} << QList<int>{11, 2, 2};
    QTest::newRow("espaces") << QStringLiteral("/mon site/été/")
                             << QStringList{"/", "/mon site/", "/mon site/été/"}
                             << QStringList{"hote", "mon site", "été"} << QList<int>{11, 2, 2};
    QTest::newRow("vide") << QString() << QStringList{} << QStringList{} << QList<int>{};
}

void TstNavigation::chaine() {
    QFETCH(QString, dossier);
    QFETCH(QStringList, cles);
    QFETCH(QStringList, textes);
    QFETCH(QList<int>, images);
    const QVector<NoeudChaine> c = ChaineDossiers(dossier, QStringLiteral("hote"));
    QStringList k, t;
    QList<int> i;
    for (const NoeudChaine &n : c) {
        k << n.cle;
        t << n.texte;
        i << n.image;
    }
    QCOMPARE(k, cles);
    QCOMPARE(t, textes);
    QCOMPARE(i, images);
}

void TstNavigation::cheminsSite() {
    QCOMPARE(DossierSiteNormalise(QString()), QStringLiteral("/"));
    QCOMPARE(DossierSiteNormalise(QStringLiteral("www")), QStringLiteral("/www/"));
    QCOMPARE(DossierSiteNormalise(QStringLiteral("/a/b/")), QStringLiteral("/a/b/"));
    QCOMPARE(NomDeCle(QStringLiteral("/a/b/readme.txt")), QStringLiteral("readme.txt"));
    QCOMPARE(DossierDuChemin(QStringLiteral("/a/b/readme.txt")), QStringLiteral("/a/b/"));
    QCOMPARE(DossierDuChemin(QStringLiteral("/readme.txt")), QStringLiteral("/"));
    QCOMPARE(DossierDuChemin(QString()), QStringLiteral("/"));
    QCOMPARE(TitreInstance(QStringLiteral("/www/img/")), QStringLiteral(" www img "));
    QCOMPARE(JoindreChemin(QStringLiteral("/"), QStringLiteral("x")), QStringLiteral("/x"));
    QCOMPARE(JoindreChemin(QStringLiteral("/tmp"), QStringLiteral("x")), QStringLiteral("/tmp/x"));
}

// ------------------------------------------------------------- site pane

void TstNavigation::arbreDeLaRacine() {
    const QString dossier = m_srv.nouveauDossier(QStringLiteral("racine"));
    auto f = demarre(QStringLiteral("/"));
    Form1Ui &u = f->Ui();
    QCOMPARE(u.trvSiteDir->topLevelItemCount(), 1);
    QTreeWidgetItem *racine = u.trvSiteDir->topLevelItem(0);
    QCOMPARE(racine->text(0), m_srv.site());
    QCOMPARE(racine->data(0, Form1Ui::RoleCle).toString(), QStringLiteral("/"));
    QCOMPARE(racine->icon(0).cacheKey(), u.ilsIcone.value(11).cacheKey());
    QVERIFY(racine->isExpanded());
    QCOMPARE(f->Ui().CleNoeudSelectionne(), QStringLiteral("/"));
    QTreeWidgetItem *sous = noeud(u.trvSiteDir, dossier);
    QVERIFY(sous);
    QCOMPARE(sous->parent(), racine);
    QCOMPARE(sous->text(0), dossier.mid(1).chopped(1));
    QCOMPARE(sous->icon(0).cacheKey(), u.ilsIcone.value(1).cacheKey());
    // List4 and List5 aligned; the count.
    QCOMPARE(u.List4->count(), u.List5->count());
    for (int i = 0; i < u.List4->count(); ++i)
        QCOMPARE(u.List5->item(i)->text(), QLatin1Char('/') + u.List4->item(i)->text());
    QCOMPARE(u.LabNB[1]->text(), QString::number(u.List4->count()) + QStringLiteral(" fichiers."));
    QVERIFY(!u.List4->isHidden());
}

void TstNavigation::arbreDeABEtTitre() {
    for (const char *d : {"/a/b/c1", "/a/b/c2", "/a/b/.cache"})
        QVERIFY(m_srv.creeDossier(QLatin1String(d)));
    QVERIFY(m_srv.ecrisFichier(QStringLiteral("/a/b/readme.txt"), "lisez-moi"));
    QVERIFY(m_srv.ecrisFichier(QStringLiteral("/a/b/z.bin"), OctetsTest(10)));
    auto f = demarre(QStringLiteral("/a/b/"));
    Form1Ui &u = f->Ui();

    const QStringList cles{"/", "/a/", "/a/b/"};
    const QStringList noms{m_srv.site(), "a", "b"};
    const QList<int> images{11, 2, 2};
    QTreeWidgetItem *n = u.trvSiteDir->topLevelItem(0);
    QCOMPARE(u.trvSiteDir->topLevelItemCount(), 1);
    for (int i = 0; i < cles.size(); ++i) {
        QVERIFY2(n, qPrintable(cles[i]));
        QCOMPARE(n->data(0, Form1Ui::RoleCle).toString(), cles[i]);
        QCOMPARE(n->text(0), noms[i]);
        QCOMPARE(n->icon(0).cacheKey(), u.ilsIcone.value(images[i]).cacheKey());
        QVERIFY(n->isExpanded());
        if (i + 1 < cles.size()) {
            QCOMPARE(n->childCount(), 1); // no sibling of the chain is shown
            n = n->child(0);
        }
    }
    // Sub-folders below the last node (dot-folders are not listed).
    QStringList sous;
    for (int i = 0; i < n->childCount(); ++i) {
        sous << n->child(i)->data(0, Form1Ui::RoleCle).toString();
        QCOMPARE(n->child(i)->icon(0).cacheKey(), u.ilsIcone.value(1).cacheKey());
        QCOMPARE(n->child(i)->childCount(), 0);
    }
    sous.sort();
    QCOMPARE(sous, (QStringList{"/a/b/c1/", "/a/b/c2/"}));
    QCOMPARE(f->Ui().CleNoeudSelectionne(), QStringLiteral("/a/b/"));

    QStringList fichiers = textes(u.List4);
    const int i = int(fichiers.indexOf(QStringLiteral("readme.txt")));
    QVERIFY(i >= 0);
    QCOMPARE(u.List5->item(i)->text(), QStringLiteral("/a/b/readme.txt"));
    QCOMPARE(u.List5->count(), u.List4->count());
    QCOMPARE(u.LabNB[1]->text(), QString::number(u.List4->count()) + QStringLiteral(" fichiers."));
    QCOMPARE(u.fraSite->title(), QStringLiteral("Site: ") + m_srv.site() + QStringLiteral(" (") +
                                     m_srv.utilisateur() + QLatin1Char(')'));

    // Another instance running: the title follows the folder.
    const QString titre = f->windowTitle();
    InstancePrecedente = 0;
    f->navigateurSite().RafraichitSite(QStringLiteral("/a/"));
    QCOMPARE(f->windowTitle(), titre);
    InstancePrecedente = -1;
    f->navigateurSite().RafraichitSite(QStringLiteral("/a/b/"));
    QCOMPARE(f->windowTitle(), QStringLiteral(" a b "));
}

void TstNavigation::dossierVideOuIntrouvable_data() {
    QTest::addColumn<bool>("existe");
    QTest::newRow("vide") << true;
    QTest::newRow("introuvable") << false;
}

void TstNavigation::dossierVideOuIntrouvable() {
    QFETCH(bool, existe);
    const QString plein = m_srv.nouveauDossier(QStringLiteral("plein"));
    QVERIFY(m_srv.ecrisFichier(plein + QStringLiteral("f.txt"), "x"));
    const QString vide = m_srv.nouveauDossier(QStringLiteral("vide"));
    const QString dossier = existe ? vide : vide + QStringLiteral("absent/");
    auto f = demarre(plein);
    Form1Ui &u = f->Ui();
    QCOMPARE(u.List4->count(), 1);
    f->navigateurSite().RafraichitSite(dossier);
    QCOMPARE(u.List4->count(), 0);
    QCOMPARE(u.List5->count(), 0);
    QCOMPARE(u.LabNB[1]->text(), QStringLiteral("0 fichiers."));
    QTreeWidgetItem *courant = noeud(u.trvSiteDir, dossier);
    QVERIFY(courant);
    QCOMPARE(courant->childCount(), 0);
    QCOMPARE(f->Ui().CleNoeudSelectionne(), dossier);
    QVERIFY(!u.List4->isHidden());
}

void TstNavigation::navigationParLArbre() {
    const QString dossier = m_srv.nouveauDossier(QStringLiteral("arbre"));
    QVERIFY(m_srv.creeDossier(dossier + QStringLiteral("sous")));
    QVERIFY(m_srv.ecrisFichier(dossier + QStringLiteral("sous/dedans.txt"), "d"));
    QVERIFY(m_srv.ecrisFichier(dossier + QStringLiteral("dehors.txt"), "d"));
    auto f = demarre(dossier);
    Form1Ui &u = f->Ui();
    QVERIFY(QTest::qWaitForWindowExposed(f.get()));
    QWidget *vue = u.trvSiteDir->viewport();

    // Into the sub-folder by a double-click on its node.
    QTreeWidgetItem *sous = noeud(u.trvSiteDir, dossier + QStringLiteral("sous/"));
    QVERIFY(sous);
    doubleClicReel(vue, u.trvSiteDir->visualItemRect(sous).center());
    QTRY_COMPARE(textes(u.List4), QStringList{"dedans.txt"});
    QCOMPARE(f->Ui().CleNoeudSelectionne(), dossier + QStringLiteral("sous/"));
    QVERIFY(!f->etat().CaDrague());

    // Back out by the parent node of the chain.
    QTreeWidgetItem *parent = noeud(u.trvSiteDir, dossier);
    QVERIFY(parent);
    QCOMPARE(parent->icon(0).cacheKey(), u.ilsIcone.value(2).cacheKey());
    doubleClicReel(vue, u.trvSiteDir->visualItemRect(parent).center());
    QTRY_COMPARE(textes(u.List4), QStringList{"dehors.txt"});
    QCOMPARE(f->Ui().CleNoeudSelectionne(), dossier);

    // A press on the tree: the comparison lists go, CaDrague and the pointer
    // picture last until the release.
    u.List1->show();
    u.List3->show();
    const QPoint p = u.trvSiteDir->visualItemRect(noeud(u.trvSiteDir, dossier)).center();
    QTest::mousePress(vue, Qt::LeftButton, {}, p);
    QVERIFY(f->etat().CaDrague());
    QVERIFY(u.List1->isHidden());
    QVERIFY(u.List3->isHidden());
    QCOMPARE(u.trvSiteDir->property("MouseIcon").toString(), QStringLiteral("BTL(8)"));
    QTest::mouseRelease(vue, Qt::LeftButton, {}, p);
    QVERIFY(!f->etat().CaDrague());
    QVERIFY(u.trvSiteDir->property("MouseIcon").toString().isEmpty());
}

void TstNavigation::tailleDUnFichierDuSite_data() {
    QTest::addColumn<qint64>("octets");
    QTest::addColumn<QString>("texte");
    QTest::addColumn<bool>("enRouge");
    QTest::newRow("vide") << qint64(0) << QStringLiteral("Taille = 0 octets") << true;
    QTest::newRow("512") << qint64(512) << QStringLiteral("Taille = 512 octets") << false;
    QTest::newRow("1024") << qint64(1024) << QStringLiteral("Taille = 1 Ko") << false;
    QTest::newRow("12800") << qint64(12800) << QStringLiteral("Taille = 12 Ko") << false;
    QTest::newRow("1 Mio") << qint64(1 << 20) << QStringLiteral("Taille = 1 024 Ko") << false;
    QTest::newRow("3 Gio") << qint64(3) * 1024 * 1024 * 1024 << QStringLiteral("Taille = 3 072 Mo")
                           << false;
    QTest::newRow("disparu") << qint64(-1) << QStringLiteral("Vous n'êtes plus connecté.") << true;
}

void TstNavigation::tailleDUnFichierDuSite() {
    QFETCH(qint64, octets);
    QFETCH(QString, texte);
    QFETCH(bool, enRouge);
    const QString dossier = m_srv.nouveauDossier(QStringLiteral("taille"));
    const QString nom = QStringLiteral("fichier.bin");
    QVERIFY(ecrisLocal(m_srv.disque(dossier + nom), std::max<qint64>(octets, 0)));
    auto f = demarre(dossier);
    Form1Ui &u = f->Ui();
    QCOMPARE(textes(u.List4), QStringList{nom});
    if (octets < 0)
        QVERIFY(QFile::remove(m_srv.disque(dossier + nom)));
    const int avant = lignes(u.TxtAction).size();
    u.List4->setCurrentRow(0);
    f->navigateurSite().List4_MouseDown();
    QCOMPARE(u.LTTT->text(), texte);
    const QVector<Ligne> journal = lignes(u.TxtAction);
    QCOMPARE(journal.size(), avant + 1);
    if (enRouge) {
        QCOMPARE(journal.last().texte, texte);
        QCOMPARE(journal.last().couleur, Rouge);
    } else {
        QCOMPARE(journal.last().texte, nom + QStringLiteral(" (sur site): ") + texte);
        QCOMPARE(journal.last().couleur, Magenta);
    }
    QCOMPARE(u.List4->property("DragIcon").toString(), QStringLiteral("BTL(0)"));
}

void TstNavigation::clicSurUnFichierDuSite() {
    // A real click: the size is logged, and the drag that ends at once on
    // List4 puts the web address of the file into TCop(1). Nothing moves.
    const QString dossier = m_srv.nouveauDossier(QStringLiteral("clic"));
    QVERIFY(m_srv.ecrisFichier(dossier + QStringLiteral("page.html"), OctetsTest(2048)));
    Reglages::Ecrit(Reglages::ADSITE, QStringLiteral("http://exemple.fr"));
    auto f = demarre(dossier);
    Form1Ui &u = f->Ui();
    QVERIFY(QTest::qWaitForWindowExposed(f.get()));
    const QStringList locaux = QDir(m_banc.Local()).entryList(QDir::Files);
    QListWidgetItem *page = u.List4->item(0);
    QVERIFY(page);
    QTest::mouseClick(u.List4->viewport(), Qt::LeftButton, {},
                      u.List4->visualItemRect(page).center());
    QTRY_COMPARE(u.TCop[1]->text(),
                 QStringLiteral("http://exemple.fr") + dossier + QStringLiteral("page.html"));
    const QVector<Ligne> journal = lignes(u.TxtAction);
    QCOMPARE(journal.last().texte, QStringLiteral("page.html (sur site): Taille = 2 Ko"));
    QCOMPARE(journal.last().couleur, Magenta);
    QCOMPARE(QDir(m_banc.Local()).entryList(QDir::Files), locaux);
    QCOMPARE(m_srv.contenu(dossier), QStringList{"page.html"});

    // Clicked while a transfer holds the session: the connection is fine,
    // so nothing red; the size comes once the transfer is over.
    QVERIFY(m_srv.ecrisFichier(dossier + QStringLiteral("gros.bin"), OctetsTest(8 << 20)));
    const int avant = int(lignes(u.TxtAction).size());
    bool clique = false;
    oFTP->setProgression([&](qint64, qint64) {
        if (std::exchange(clique, true))
            return;
        QTest::mouseClick(u.List4->viewport(), Qt::LeftButton, {},
                          u.List4->visualItemRect(page).center());
        QCoreApplication::processEvents();
    });
    QVERIFY(oFTP->DownloadFichier(dossier + QStringLiteral("gros.bin"),
                                  m_banc.Local(QStringLiteral("gros.bin"))) != 0);
    oFTP->setProgression({});
    QVERIFY(clique);
    for (const Ligne &l : lignes(u.TxtAction).mid(avant))
        QVERIFY2(l.couleur != Rouge, qPrintable(l.texte));
    QTRY_COMPARE(lignes(u.TxtAction).size(), avant + 1);
    QCOMPARE(lignes(u.TxtAction).last().texte,
             QStringLiteral("page.html (sur site): Taille = 2 Ko"));
}

void TstNavigation::tailleDUnFichierLocal_data() {
    QTest::addColumn<qint64>("octets");
    QTest::addColumn<QString>("texte");
    QTest::newRow("vide") << qint64(0) << QStringLiteral("Taille = 0 octets");
    QTest::newRow("500") << qint64(500) << QStringLiteral("Taille = 500 octets");
    QTest::newRow("1024") << qint64(1024) << QStringLiteral("Taille = 1 Ko");
    QTest::newRow("3500") << qint64(3500) << QStringLiteral("Taille = 3 Ko");
    QTest::newRow("5 000 000") << qint64(5000000) << QStringLiteral("Taille = 5 Mo");
    QTest::newRow("3 Gio") << qint64(3) * 1024 * 1024 * 1024 << QStringLiteral("Taille = 3 072 Mo");
}

void TstNavigation::tailleDUnFichierLocal() {
    QFETCH(qint64, octets);
    QFETCH(QString, texte);
    QVERIFY(ecrisLocal(m_banc.Local(QStringLiteral("notes.txt")), octets));
    auto f = demarre(m_srv.nouveauDossier(QStringLiteral("local")));
    Form1Ui &u = f->Ui();
    u.filLocal->setFileName(QStringLiteral("notes.txt"));
    f->navigateurLocal().filLocal_MouseDown();
    QCOMPARE(u.LTTT->text(), texte);
    const Ligne derniere = lignes(u.TxtAction).last();
    QCOMPARE(derniere.texte, QStringLiteral("notes.txt (en local): ") + texte);
    QCOMPARE(derniere.couleur, Magenta);
    QCOMPARE(u.filLocal->property("DragIcon").toString(), QStringLiteral("BTL(0)"));

    // A file removed after the list was read: said in red, nothing else.
    QVERIFY(QFile::remove(m_banc.Local(QStringLiteral("notes.txt"))));
    f->navigateurLocal().filLocal_MouseDown();
    QCOMPARE(lignes(u.TxtAction).last().couleur, Rouge);
}

void TstNavigation::dateDansList3() {
    const QString chemin = m_banc.Local(QStringLiteral("trié.txt"));
    QVERIFY(ecrisLocal(chemin, 3500));
    auto f = demarre(m_srv.nouveauDossier(QStringLiteral("list3")));
    Form1Ui &u = f->Ui();
    u.List3->addItem(QStringLiteral("trié.txt"));
    u.List3->show();
    u.List3->setCurrentRow(0);
    f->navigateurLocal().List3_MouseDown();
    const QString date = QLocale().toString(QFileInfo(chemin).lastModified(), QLocale::ShortFormat);
    const Ligne derniere = lignes(u.TxtAction).last();
    QCOMPARE(derniere.texte,
             QStringLiteral("trié.txt : Taille = 3 Ko (Version du ") + date + QLatin1Char(')'));
    QCOMPARE(derniere.couleur, Magenta);
    QCOMPARE(u.List3->property("DragIcon").toString(), QStringLiteral("BTL(0)"));
}

void TstNavigation::modeChoix() {
    const QString dossier = m_srv.nouveauDossier(QStringLiteral("choix"));
    QVERIFY(m_srv.ecrisFichier(dossier + QStringLiteral("distant.txt"), "x"));
    QVERIFY(ecrisLocal(m_banc.Local(QStringLiteral("local.txt")), 10));
    auto f = demarre(dossier);
    Form1Ui &u = f->Ui();
    QStringList fichiersLocaux;
    QVector<LienAutomatisation::ChoixSite> choixSite;
    int montre = 0;
    LienAutomatisation &lien = f->navigateurSite().Automatisation;
    lien.DefinitFichierLocal = [&](const QString &c) { fichiersLocaux << c; };
    lien.RemplitEtMontre = [&](const LienAutomatisation::ChoixSite &c) { choixSite << c; };
    lien.Montre = [&] { ++montre; };
    const auto modeRouge = [&] {
        f->etat().DefinitModeChoix(true);
        FichierLocalChoisi = false;
        FichierSiteChoisi = false;
    };
    const int lignesAvant = lignes(u.TxtAction).size();
    u.List4->setCurrentRow(0);
    u.filLocal->setFileName(QStringLiteral("local.txt"));

    // A site pick before the local file does nothing.
    modeRouge();
    f->navigateurSite().List4_MouseDown();
    QVERIFY(!FichierSiteChoisi);
    QVERIFY(choixSite.isEmpty());
    QVERIFY(EnModeChoix(u.List4));

    // The local file, then the site folder: the dialog is filled and shown.
    f->navigateurLocal().filLocal_MouseDown();
    QVERIFY(FichierLocalChoisi);
    QCOMPARE(fichiersLocaux, QStringList{m_banc.Local(QStringLiteral("local.txt"))});
    QCOMPARE(montre, 0);
    QVERIFY(EnModeChoix(u.filLocal));
    f->navigateurSite().List4_MouseDown();
    QVERIFY(FichierSiteChoisi);
    QCOMPARE(choixSite.size(), 1);
    QCOMPARE(choixSite[0].ficDist, dossier + QStringLiteral("local.txt"));
    QCOMPARE(choixSite[0].site, m_srv.site());
    QCOMPARE(choixSite[0].utilisateur, m_srv.utilisateur());
    QCOMPARE(choixSite[0].motDePasse, m_srv.motDePasse());
    QCOMPARE(choixSite[0].info,
             QStringLiteral("Choisissez un bouton pour enregistrer la commande"));
    QVERIFY(!EnModeChoix(u.List4));
    QVERIFY(!EnModeChoix(u.filLocal));
    QCOMPARE(u.List4->palette().color(QPalette::Base), FondNormal);

    // A local pick after the site pick ends the mode and shows the dialog.
    modeRouge();
    FichierSiteChoisi = true;
    f->navigateurLocal().filLocal_MouseDown();
    QCOMPARE(montre, 1);
    QVERIFY(!EnModeChoix(u.List4));
    QVERIFY(!EnModeChoix(u.filLocal));

    // The pick mode neither logs a size nor arms a drag.
    QCOMPARE(lignes(u.TxtAction).size(), lignesAvant);
    QVERIFY(u.List4->property("DragIcon").isNull());
}

void TstNavigation::doubleClic_data() {
    QTest::addColumn<bool>("ouvre");
    QTest::newRow("ouvre") << true;
    QTest::newRow("transfère") << false;
}

void TstNavigation::doubleClic() {
    QFETCH(bool, ouvre);
    const QString dossier = m_srv.nouveauDossier(QStringLiteral("dbc"));
    QVERIFY(m_srv.ecrisFichier(dossier + QStringLiteral("d.txt"), "x"));
    QVERIFY(ecrisLocal(m_banc.Local(QStringLiteral("l.txt")), 10));
    Reglages::EcritBooleen(Reglages::DBC, ouvre);
    auto f = demarre(dossier);
    Form1Ui &u = f->Ui();
    QVERIFY(QTest::qWaitForWindowExposed(f.get()));
    QCOMPARE(DoubleClicOuvre, ouvre);
    QList<int> site, local;
    f->navigateurSite().BTs_Click = [&](int i) { site << i; };
    f->navigateurLocal().BTL_Click = [&](int i) { local << i; };
    doubleClicReel(u.List4->viewport(), u.List4->visualItemRect(u.List4->item(0)).center());
    doubleClicReel(u.filLocal->viewport(),
                   u.filLocal->visualItemRect(u.filLocal->item(0)).center());
    QCOMPARE(site, QList<int>{ouvre ? 6 : 10});
    QCOMPARE(local, QList<int>{ouvre ? 6 : 10});
}

void TstNavigation::racineDuSite_data() {
    QTest::addColumn<bool>("annule");
    QTest::addColumn<QString>("stockee");
    QTest::newRow("adresse") << false << QStringLiteral("http://exemple.fr/site");
    QTest::newRow("annulé") << true << QString();
}

void TstNavigation::racineDuSite() {
    QFETCH(bool, annule);
    QFETCH(QString, stockee);
    Reglages::Ecrit(Reglages::ADSITE, QStringLiteral("http://ancien.fr"));
    auto f = demarre(m_srv.nouveauDossier(QStringLiteral("adsite")));
    Form1Ui &u = f->Ui();
    QVERIFY(QTest::qWaitForWindowExposed(f.get()));
    m_banc.prompts.saisies << (annule ? std::optional<QString>() : std::optional<QString>(stockee));
    // TCop(0)'s double-click asks nothing.
    QTest::mouseDClick(u.TCop[0], Qt::LeftButton);
    QVERIFY(m_banc.prompts.demandes.isEmpty());
    QTest::mouseDClick(u.TCop[1], Qt::LeftButton);
    QCOMPARE(m_banc.prompts.demandes.size(), 1);
    QCOMPARE(m_banc.prompts.demandes[0].genre, QStringLiteral("Saisie"));
    QCOMPARE(m_banc.prompts.demandes[0].titre, QString());
    QCOMPARE(m_banc.prompts.demandes[0].texte, QStringLiteral("Racine du site ?"));
    QCOMPARE(m_banc.prompts.demandes[0].defaut, QStringLiteral("http://ancien.fr"));
    QCOMPARE(u.TCop[1]->text(), stockee);
    QCOMPARE(Reglages::Lit(Reglages::ADSITE), stockee);
}

// ------------------------------------------------------------ local pane

void TstNavigation::listesLocalesEnPhase() {
    QTemporaryDir autre;
    QVERIFY(QDir(autre.path()).mkdir(QStringLiteral("sous")));
    for (const char *n : {"un.txt", "deux.txt", "trois.txt"})
        QVERIFY(ecrisLocal(autre.filePath(QLatin1String(n)), 1));
    auto f = demarre(m_srv.nouveauDossier(QStringLiteral("enphase")));
    Form1Ui &u = f->Ui();

    // A sorted view and a comparison are shown; a change of folder ends them.
    u.List1->show();
    u.List2->show();
    u.List3->show();
    DefinitTag(u.List3, QStringLiteral("date"));
    u.List4->hide();
    u.filLocal->hide();
    u.Text1->hide();
    QVERIFY(u.dirLocal->setPath(autre.path()));
    QCOMPARE(u.filLocal->Path(), autre.path());
    QCOMPARE(u.filLocal->ListCount(), 3);
    QCOMPARE(u.LabNB[0]->text(), QStringLiteral("3 fichiers."));
    for (QWidget *w : {static_cast<QWidget *>(u.List1), static_cast<QWidget *>(u.List2),
                       static_cast<QWidget *>(u.List3)})
        QVERIFY(w->isHidden());
    QVERIFY(Tag(u.List3).isEmpty());
    for (QWidget *w : {static_cast<QWidget *>(u.List4), static_cast<QWidget *>(u.filLocal),
                       static_cast<QWidget *>(u.Text1), static_cast<QWidget *>(u.Command7),
                       static_cast<QWidget *>(u.Command8)})
        QVERIFY(!w->isHidden());

    // A press on the folder list ends a comparison but keeps a sorted view.
    u.List1->show();
    u.List2->show();
    u.List3->show();
    f->navigateurLocal().dirLocal_MouseDown();
    QVERIFY(u.List1->isHidden());
    QVERIFY(u.List2->isHidden());
    QVERIFY(!u.List3->isHidden());
    QCOMPARE(u.dirLocal->property("DragIcon").toString(), QStringLiteral("BTL(8)"));

    // At the root the path is not doubled.
    QVERIFY(u.dirLocal->setPath(QStringLiteral("/")));
    QCOMPARE(u.filLocal->Path(), QStringLiteral("/"));
    QCOMPARE(f->navigateurLocal().CheminLocal(QStringLiteral("x")), QStringLiteral("/x"));

    // A change of drive goes to that drive's root.
    u.dirLocal->setPath(autre.path());
    emit u.drvLocal->Change(u.drvLocal->Drive());
    QCOMPARE(u.dirLocal->Path(), u.drvLocal->Drive());
    QCOMPARE(u.filLocal->Path(), u.drvLocal->Drive());
}

void TstNavigation::longueListeCede() {
    // The event loop runs while a long folder fills the lists; the two lists
    // stay aligned.
    const QString dossier = m_srv.nouveauDossier(QStringLiteral("longue"));
    const int n = 5 * NavigateurSite::EntreesParPas + 7;
    for (int i = 0; i < n; ++i)
        QVERIFY(ecrisLocal(
            m_srv.disque(dossier) + QStringLiteral("/f%1.txt").arg(i, 5, 10, QLatin1Char('0')), 0));
    auto f = demarre(m_srv.nouveauDossier(QStringLiteral("court")));
    Form1Ui &u = f->Ui();
    int tours = 0;
    bool listeCacheePendant = false;
    QTimer t;
    t.setInterval(0);
    connect(&t, &QTimer::timeout, [&] {
        ++tours;
        listeCacheePendant = listeCacheePendant || u.List4->isHidden();
    });
    t.start();
    f->navigateurSite().RafraichitSite(dossier);
    t.stop();
    QVERIFY(tours >= 5);
    QVERIFY(listeCacheePendant);
    QCOMPARE(u.List4->count(), n);
    QCOMPARE(u.List5->count(), n);
    for (int i = 0; i < n; i += 997)
        QCOMPARE(u.List5->item(i)->text(), dossier + u.List4->item(i)->text());
    QCOMPARE(u.LabNB[1]->text(), QString::number(n) + QStringLiteral(" fichiers."));
}

void TstNavigation::lignesIncomprisesAuJournal() {
    // A server whose lines come in many forms and locales, three of them no
    // entry at all: every entry reaches the views, and each listing says in
    // the log, in orange, how many lines were not understood.
    ServeurScripte serveur(QStringLiteral("odd-list"));
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    Reglages::Ecrit(Reglages::TxtSite, serveur.site());
    Reglages::Ecrit(Reglages::TxtUtilisateur, QStringLiteral("u"));
    Reglages::Ecrit(Reglages::TxtMDP, QStringLiteral("p"));
    Reglages::EcritBooleen(Reglages::ConAuto, true);
    Reglages::Ecrit(Reglages::PathSite, QStringLiteral("/o/"));
    for (const Reglages::Cle &c : {Reglages::DrvLoc, Reglages::DirLoc, Reglages::FilLoc})
        Reglages::Ecrit(c, m_banc.Local());
    auto f = DemarreFenetre();
    Form1Ui &u = f->Ui();

    QCOMPARE(textes(u.List4),
             QStringList({"german.txt", "japanese.txt", "sjis.txt", "numeric date.txt",
                          "no date.txt", "after cr.txt", "dos thousands.txt", "eplf.txt"}));
    QTreeWidgetItem *courant = noeud(u.trvSiteDir, QStringLiteral("/o/"));
    QVERIFY(courant);
    QStringList dossiers;
    for (int i = 0; i < courant->childCount(); ++i)
        dossiers << courant->child(i)->text(0);
    QCOMPARE(dossiers, QStringList({"german dir", "korean dir"}));

    const Ligne attendue{QStringLiteral(" > 3 lignes de la liste n'ont pas été comprises"),
                         QColor(255, 128, 0)};
    const auto compte = [&] {
        int n = 0;
        for (const Ligne &l : lignes(u.TxtAction))
            if (l.texte == attendue.texte && l.couleur == attendue.couleur)
                ++n;
        return n;
    };
    QCOMPARE(compte(), 1);
    f->navigateurSite().RafraichitSite(QStringLiteral("/o/"));
    QCOMPARE(compte(), 2);
}

QTEST_MAIN(TstNavigation)
#include "tst_navigation.moc"
