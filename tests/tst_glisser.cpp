// Single-file transfers by drag and drop: the table of accepted sources and
// drag pictures, then the real main window against the loopback FTP server:
// uploads by drops on List4 and List2, downloads by drops on filLocal, List3
// and List1, refused sources, failed transfers, and the routing of folder
// drops. Drops are made by calling the drop handlers with the dragged control.

#include "browsing/NavigateurLocal.h"
#include "browsing/NavigateurSite.h"
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
#include "transfers/GlisserDeposer.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/Globales.h"
#include "window/TableDepot.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

#include <memory>
#include <utility>

namespace {

const QColor VertFonce(0, 64, 0);
const QColor Rouge(255, 0, 0);
const QColor Orange(255, 128, 0);

struct Ligne {
    QString texte;
    QColor couleur;
    bool operator==(const Ligne &a) const { return texte == a.texte && couleur == a.couleur; }
};

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

QStringList textes(const QListWidget *l) {
    QStringList t;
    for (int i = 0; i < l->count(); ++i)
        t << l->item(i)->text();
    return t;
}

void choisis(QListWidget *l, const QString &texte) {
    const auto trouves = l->findItems(texte, Qt::MatchExactly);
    QVERIFY2(!trouves.isEmpty(), qPrintable(texte));
    l->setCurrentItem(trouves.first());
}

} // namespace

class TstGlisser : public QObject {
    Q_OBJECT

    TestServeur &m_srv = TestServeur::instance();
    BancFenetre m_banc;
    QString m_dossier; // the remote folder of the test
    QList<int> m_comparaisons;
    int m_envois = 0, m_rapatriements = 0;

    // The window connected to the test server, listing a fresh remote folder
    // that holds "distant.txt", the local views on a folder holding "local.txt".
    std::unique_ptr<Form1> demarre() {
        m_dossier = m_srv.nouveauDossier(QStringLiteral("glisser"));
        m_srv.ecrisFichier(m_dossier + QStringLiteral("distant.txt"), OctetsTest(3000));
        EcritFichierLocal(m_banc.Local(QStringLiteral("local.txt")), OctetsTest(5000));
        EcritReglagesConnexion(m_srv, m_dossier, m_banc.Local());
        Reglages::Ecrit(Reglages::ADSITE, QStringLiteral("http://exemple.fr"));
        auto f = DemarreFenetre();
        GlisserDeposer &g = f->glisserDeposer();
        g.RecDelta_Click = [this](int i) { m_comparaisons << i; };
        g.EnvoieDossierLocal = [this] { ++m_envois; };
        g.RapatrieDossierSite = [this] { ++m_rapatriements; };
        return f;
    }

private slots:
    void initTestCase();
    void init();

    void tableDesDepots_data();
    void tableDesDepots();
    void genresDesControles();
    void imagesDeSurvol();

    void envoiParDepotSurList4_data();
    void envoiParDepotSurList4();
    void sourcesRefuseesParList4();
    void depotSansNoeudChoisi();
    void telechargementSurFilLocal();
    void telechargementSurList3();
    void comparaisonList2VersList1_data();
    void comparaisonList2VersList1();
    void comparaisonList1VersList2_data();
    void comparaisonList1VersList2();
    void sourcesRefuseesParFilLocal();
    void envoiEchoue();
    void telechargementEchoue();
    void dossiers();
};

void TstGlisser::initTestCase() {
    QVERIFY2(m_srv.valide(), qPrintable(m_srv.erreur()));
}

void TstGlisser::init() {
    QVERIFY(m_banc.Renouvelle());
    m_comparaisons.clear();
    m_envois = 0;
    m_rapatriements = 0;
}

// ---------------------------------------------------------------- the table

void TstGlisser::tableDesDepots_data() {
    QTest::addColumn<QString>("cible");
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QString>("genre");
    QTest::addColumn<bool>("accepte");
    QTest::addColumn<QString>("image");
    const QString L = QStringLiteral("ListBox"), F = QStringLiteral("FileListBox"),
                  D = QStringLiteral("DirListBox"), T = QStringLiteral("TreeView");
    const struct {
        const char *cible, *nom;
        QString genre;
        bool accepte;
        QString image;
    } cas[] = {
        {"List1", "List2", L, true, "BTL(7)"},
        {"List1", "List4", L, false, "BTL(0)"},
        {"List1", "filLocal", F, false, "BTL(0)"},
        {"List2", "List1", L, true, "BTL(7)"},
        {"List2", "List3", L, false, "BTL(7)"},
        {"List2", "filLocal", F, false, "BTL(7)"},
        {"List2", "List4", L, false, "BTL(0)"},
        {"List3", "List4", L, true, "BTL(7)"},
        {"List3", "List2", L, false, "BTL(0)"},
        {"List4", "filLocal", F, true, "BTL(7)"},
        {"List4", "List3", L, true, "BTL(7)"},
        {"List4", "List1", L, true, "BTL(7)"},
        {"List4", "List2", L, false, "BTL(0)"},
        {"List4", "List4", L, false, "BTL(0)"},
        {"List4", "dirLocal", D, false, "BTL(0)"},
        {"filLocal", "List4", L, true, "BTL(7)"},
        {"filLocal", "List2", L, false, "BTL(7)"},
        {"filLocal", "List1", L, false, "BTL(7)"},
        {"filLocal", "filLocal", F, false, "BTL(0)"},
        {"filLocal", "dirLocal", D, false, "BTL(0)"},
        {"trvSiteDir", "dirLocal", D, true, "BTL(9)"},
        {"trvSiteDir", "List4", L, false, "Form1"},
        {"trvSiteDir", "filLocal", F, false, "Form1"},
        {"dirLocal", "trvSiteDir", T, false, "BTL(9)"},
        {"dirLocal", "List4", L, false, "Form1"},
        // Names and kinds are compared exactly, case included.
        {"List4", "list3", L, false, "BTL(0)"},
        {"List4", "x", "filelistbox", false, "BTL(0)"},
        {"Text1", "List4", L, false, ""},
    };
    for (const auto &c : cas)
        QTest::addRow("%s <- %s", c.cible, c.nom)
            << QString::fromLatin1(c.cible) << QString::fromLatin1(c.nom) << c.genre << c.accepte
            << c.image;
}

void TstGlisser::tableDesDepots() {
    QFETCH(QString, cible);
    QFETCH(QString, nom);
    QFETCH(QString, genre);
    QFETCH(bool, accepte);
    QFETCH(QString, image);
    QCOMPARE(DepotAccepte(cible, nom, genre), accepte);
    QCOMPARE(ImageSurvol(cible, nom, genre), image);
}

void TstGlisser::genresDesControles() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    QCOMPARE(GenreControle(u.filLocal), QStringLiteral("FileListBox"));
    QCOMPARE(GenreControle(u.dirLocal), QStringLiteral("DirListBox"));
    QCOMPARE(GenreControle(u.trvSiteDir), QStringLiteral("TreeView"));
    for (QListWidget *l : {u.List1, u.List2, u.List3, u.List4})
        QCOMPARE(GenreControle(l), QStringLiteral("ListBox"));
    // The pictures are real pictures, distinct from one another.
    QList<QImage> images;
    for (const QString &n : {ImageFichierRefuse, ImageFichierAccepte, ImageDossierGlisse,
                             ImageDossierAccepte, ImageFenetre}) {
        const QPixmap p = f->glisserDeposer().Image(n);
        QVERIFY2(!p.isNull(), qPrintable(n));
        for (const QImage &autre : std::as_const(images))
            QVERIFY2(autre != p.toImage(), qPrintable(n));
        images << p.toImage();
    }
}

void TstGlisser::imagesDeSurvol() {
    // Each drag-over changes the dragged control's picture; it stays when the
    // drag moves on.
    auto f = demarre();
    Form1Ui &u = f->Ui();
    GlisserDeposer &g = f->glisserDeposer();
    g.DragOver(u.filLocal, u.List2);
    QCOMPARE(u.List2->property("DragIcon").toString(), QStringLiteral("BTL(7)"));
    g.DragOver(u.List4, u.List2);
    QCOMPARE(u.List2->property("DragIcon").toString(), QStringLiteral("BTL(0)"));
    g.DragOver(u.List4, u.filLocal);
    QCOMPARE(u.filLocal->property("DragIcon").toString(), QStringLiteral("BTL(7)"));
    g.DragOver(u.trvSiteDir, u.dirLocal);
    QCOMPARE(u.dirLocal->property("DragIcon").toString(), QStringLiteral("BTL(9)"));
    g.DragOver(u.trvSiteDir, u.List4);
    QCOMPARE(u.List4->property("DragIcon").toString(), QStringLiteral("Form1"));
    g.DragOver(u.Text1, u.List4);
    QCOMPARE(u.List4->property("DragIcon").toString(), QStringLiteral("Form1"));
}

// ----------------------------------------------------------------- uploads

void TstGlisser::envoiParDepotSurList4_data() {
    QTest::addColumn<QString>("source");
    QTest::newRow("filLocal") << QStringLiteral("filLocal");
    QTest::newRow("List3") << QStringLiteral("List3");
    QTest::newRow("List1") << QStringLiteral("List1");
}

void TstGlisser::envoiParDepotSurList4() {
    QFETCH(QString, source);
    auto f = demarre();
    Form1Ui &u = f->Ui();
    QWidget *s = f->findChild<QWidget *>(source);
    QVERIFY(s);
    if (source == QLatin1String("filLocal")) {
        u.filLocal->setFileName(QStringLiteral("local.txt"));
    } else {
        // The alternative lists hold names of filLocal's folder.
        auto *l = static_cast<QListWidget *>(s);
        l->addItem(QStringLiteral("local.txt"));
        l->setCurrentRow(0);
        l->show();
    }
    QCOMPARE(textes(u.List4), QStringList{"distant.txt"});
    const int debut = nombreLignes(u.TxtAction);

    f->glisserDeposer().List4_DragDrop(s);

    QCOMPARE(lignes(u.TxtAction, debut),
             (QVector<Ligne>{{" > Téléchargement vers site de local.txt", VertFonce},
                             {" > ''Upload'' réussi de local.txt", VertFonce}}));
    QCOMPARE(m_srv.litFichier(m_dossier + QStringLiteral("local.txt")), OctetsTest(5000));
    QStringList attendus{"distant.txt", "local.txt"};
    QStringList vus = textes(u.List4);
    vus.sort();
    QCOMPARE(vus, attendus);
    QCOMPARE(u.LabNB[1]->text(), QStringLiteral("2 fichiers."));
    QCOMPARE(f->Ui().CleNoeudSelectionne(), m_dossier);
    QCOMPARE(u.TCop[1]->text(),
             QStringLiteral("http://exemple.fr") + m_dossier + QStringLiteral("local.txt"));
}

void TstGlisser::sourcesRefuseesParList4() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    u.List2->addItem(QStringLiteral("local.txt"));
    u.List2->setCurrentRow(0);
    u.List4->setCurrentRow(0);
    u.dirLocal->setListIndex(-1);
    const int debut = nombreLignes(u.TxtAction);
    GlisserDeposer &g = f->glisserDeposer();

    // Lists of file names: nothing moves, the address box shows the file's address.
    g.List4_DragDrop(u.List2);
    QCOMPARE(u.TCop[1]->text(),
             QStringLiteral("http://exemple.fr") + m_dossier + QStringLiteral("local.txt"));
    g.List4_DragDrop(u.List4);
    QCOMPARE(u.TCop[1]->text(),
             QStringLiteral("http://exemple.fr") + m_dossier + QStringLiteral("distant.txt"));
    // The folder list names no file: the box keeps its text.
    g.List4_DragDrop(u.dirLocal);
    QCOMPARE(u.TCop[1]->text(),
             QStringLiteral("http://exemple.fr") + m_dossier + QStringLiteral("distant.txt"));
    QCOMPARE(nombreLignes(u.TxtAction), debut);
    QCOMPARE(m_srv.contenu(m_dossier), QStringList{"distant.txt"});
    // List2 takes only List1: a file list or List3 is not uploaded from there.
    u.filLocal->setFileName(QStringLiteral("local.txt"));
    u.List3->addItem(QStringLiteral("local.txt"));
    u.List3->setCurrentRow(0);
    g.List2_DragDrop(u.filLocal);
    g.List2_DragDrop(u.List3);
    QCOMPARE(nombreLignes(u.TxtAction), debut);
    QCOMPARE(m_srv.contenu(m_dossier), QStringList{"distant.txt"});
    QVERIFY(m_comparaisons.isEmpty());
}

void TstGlisser::depotSansNoeudChoisi() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    u.filLocal->setFileName(QStringLiteral("local.txt"));
    u.trvSiteDir->clearSelection();
    QVERIFY(f->Ui().CleNoeudSelectionne().isEmpty());
    const QString adresse = u.TCop[1]->text();
    const int debut = nombreLignes(u.TxtAction);
    f->glisserDeposer().List4_DragDrop(u.filLocal);
    QCOMPARE(nombreLignes(u.TxtAction), debut);
    QCOMPARE(u.TCop[1]->text(), adresse);
    QCOMPARE(m_srv.contenu(m_dossier), QStringList{"distant.txt"});
}

// --------------------------------------------------------------- downloads

void TstGlisser::telechargementSurFilLocal() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    // The remote path comes from List5: here a file of another folder shown
    // under the same name, as a filtered or compared list may hold.
    const QString ailleurs = m_srv.nouveauDossier(QStringLiteral("ailleurs"));
    QVERIFY(m_srv.ecrisFichier(ailleurs + QStringLiteral("distant.txt"), "d'ailleurs"));
    u.List5->item(0)->setText(ailleurs + QStringLiteral("distant.txt"));
    // An existing local file of that name is replaced.
    QVERIFY(EcritFichierLocal(m_banc.Local(QStringLiteral("distant.txt")), "ancien"));
    u.filLocal->Refresh();
    choisis(u.List4, QStringLiteral("distant.txt"));
    const int debut = nombreLignes(u.TxtAction);

    f->glisserDeposer().filLocal_DragDrop(u.List4);

    QCOMPARE(lignes(u.TxtAction, debut),
             (QVector<Ligne>{{" > Début du téléchargement de distant.txt", VertFonce},
                             {" > Téléchargement réussi de distant.txt", VertFonce}}));
    QCOMPARE(LitFichierLocal(m_banc.Local(QStringLiteral("distant.txt"))),
             QByteArray("d'ailleurs"));
    QCOMPARE(u.filLocal->ListCount(), 2);
    QCOMPARE(u.LabNB[0]->text(), QStringLiteral("2 fichiers."));

    // A new file appears in the list and the count.
    QVERIFY(m_srv.ecrisFichier(m_dossier + QStringLiteral("neuf.txt"), OctetsTest(100)));
    f->navigateurSite().RafraichitSite(m_dossier);
    choisis(u.List4, QStringLiteral("neuf.txt"));
    f->glisserDeposer().filLocal_DragDrop(u.List4);
    QCOMPARE(LitFichierLocal(m_banc.Local(QStringLiteral("neuf.txt"))), OctetsTest(100));
    QVERIFY(textes(u.filLocal).contains(QStringLiteral("neuf.txt")));
    QCOMPARE(u.LabNB[0]->text(), QStringLiteral("3 fichiers."));

    // Dropped while another transfer holds the session: refused as such,
    // not reported as a failed download.
    QVERIFY(m_srv.ecrisFichier(m_dossier + QStringLiteral("gros.bin"), OctetsTest(8 << 20)));
    QVERIFY(m_srv.ecrisFichier(m_dossier + QStringLiteral("neuf.txt"), OctetsTest(200)));
    const int avantGros = nombreLignes(u.TxtAction);
    bool depose = false;
    oFTP->setProgression([&](qint64, qint64) {
        if (!std::exchange(depose, true))
            f->glisserDeposer().DragDrop(u.filLocal, u.List4);
    });
    QVERIFY(oFTP->DownloadFichier(m_dossier + QStringLiteral("gros.bin"),
                                  m_banc.Local(QStringLiteral("gros.bin"))) != 0);
    oFTP->setProgression({});
    QVERIFY(depose);
    QCOMPARE(lignes(u.TxtAction, avantGros),
             (QVector<Ligne>{{" > Opération refusée : un transfert est en cours", Orange}}));
    QCOMPARE(LitFichierLocal(m_banc.Local(QStringLiteral("neuf.txt"))), OctetsTest(100));
}

void TstGlisser::telechargementSurList3() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    // From List3 the remote path is the tree's folder + the name, not List5.
    u.List5->item(0)->setText(QStringLiteral("/nulle/part.txt"));
    choisis(u.List4, QStringLiteral("distant.txt"));
    u.List3->show();
    const int debut = nombreLignes(u.TxtAction);
    f->glisserDeposer().List3_DragDrop(u.List4);
    QCOMPARE(lignes(u.TxtAction, debut).last(),
             (Ligne{" > Téléchargement réussi de distant.txt", VertFonce}));
    QCOMPARE(LitFichierLocal(m_banc.Local(QStringLiteral("distant.txt"))), OctetsTest(3000));
    QCOMPARE(u.LabNB[0]->text(), QStringLiteral("2 fichiers."));
    QVERIFY(!u.List3->isHidden());
    QVERIFY(m_comparaisons.isEmpty());
}

void TstGlisser::comparaisonList2VersList1_data() {
    QTest::addColumn<bool>("reussi");
    QTest::newRow("réussi") << true;
    QTest::newRow("échoué") << false;
}

void TstGlisser::comparaisonList2VersList1() {
    QFETCH(bool, reussi);
    auto f = demarre();
    Form1Ui &u = f->Ui();
    f->etat().DefinitListeCliquee(1);
    u.List2->addItem(reussi ? QStringLiteral("distant.txt") : QStringLiteral("absent.txt"));
    u.List2->setCurrentRow(0);
    u.List1->show();
    const int debut = nombreLignes(u.TxtAction);
    f->glisserDeposer().List1_DragDrop(u.List2);
    const QVector<Ligne> journal = lignes(u.TxtAction, debut);
    QCOMPARE(journal.size(), 2);
    QCOMPARE(journal.last().couleur, reussi ? VertFonce : Rouge);
    QCOMPARE(QFile::exists(m_banc.Local(QStringLiteral("distant.txt"))), reussi);
    QVERIFY(!QFile::exists(m_banc.Local(QStringLiteral("absent.txt"))));
    // The comparison is computed again in both cases.
    QVERIFY(u.List1->isHidden());
    QCOMPARE(m_comparaisons, QList<int>{1});
}

void TstGlisser::comparaisonList1VersList2_data() {
    QTest::addColumn<bool>("reussi");
    QTest::newRow("réussi") << true;
    QTest::newRow("échoué") << false;
}

void TstGlisser::comparaisonList1VersList2() {
    QFETCH(bool, reussi);
    auto f = demarre();
    Form1Ui &u = f->Ui();
    u.List1->addItem(reussi ? QStringLiteral("local.txt") : QStringLiteral("absent.txt"));
    u.List1->setCurrentRow(0);
    u.List1->show();
    const int debut = nombreLignes(u.TxtAction);
    f->glisserDeposer().List2_DragDrop(u.List1);
    const QVector<Ligne> journal = lignes(u.TxtAction, debut);
    QCOMPARE(journal.size(), 2);
    QCOMPARE(journal.last().couleur, reussi ? VertFonce : Rouge);
    QCOMPARE(m_srv.existe(m_dossier + QStringLiteral("local.txt")), reussi);
    // Only a successful upload refreshes the site and the comparison.
    QCOMPARE(textes(u.List4).contains(QStringLiteral("local.txt")), reussi);
    QCOMPARE(u.List1->isHidden(), reussi);
    QCOMPARE(m_comparaisons, reussi ? QList<int>{0} : QList<int>{});
}

void TstGlisser::sourcesRefuseesParFilLocal() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    for (QListWidget *l : {u.List1, u.List2, u.List3}) {
        l->addItem(QStringLiteral("distant.txt"));
        l->setCurrentRow(0);
    }
    u.filLocal->setFileName(QStringLiteral("local.txt"));
    const int debut = nombreLignes(u.TxtAction);
    GlisserDeposer &g = f->glisserDeposer();
    for (QWidget *s : {static_cast<QWidget *>(u.List1), static_cast<QWidget *>(u.List2),
                       static_cast<QWidget *>(u.List3), static_cast<QWidget *>(u.filLocal),
                       static_cast<QWidget *>(u.dirLocal)}) {
        g.filLocal_DragDrop(s);
        g.List3_DragDrop(s);
    }
    QCOMPARE(nombreLignes(u.TxtAction), debut);
    QCOMPARE(u.filLocal->ListCount(), 1);
    QVERIFY(!QFile::exists(m_banc.Local(QStringLiteral("distant.txt"))));
}

// ---------------------------------------------------------------- failures

void TstGlisser::envoiEchoue() {
    // The local file went after the list was read: a red line, nothing else.
    auto f = demarre();
    Form1Ui &u = f->Ui();
    u.filLocal->setFileName(QStringLiteral("local.txt"));
    QVERIFY(QFile::remove(m_banc.Local(QStringLiteral("local.txt"))));
    const QString compte = u.LabNB[1]->text();
    const int debut = nombreLignes(u.TxtAction);
    f->glisserDeposer().List4_DragDrop(u.filLocal);
    QCOMPARE(lignes(u.TxtAction, debut),
             (QVector<Ligne>{{" > Téléchargement vers site de local.txt", VertFonce},
                             {" > ''Upload'' échoué de local.txt", Rouge}}));
    QCOMPARE(m_srv.contenu(m_dossier), QStringList{"distant.txt"});
    QCOMPARE(textes(u.List4), QStringList{"distant.txt"});
    QCOMPARE(u.LabNB[1]->text(), compte);
}

void TstGlisser::telechargementEchoue() {
    // The remote file went after the listing: a red line, no local file.
    auto f = demarre();
    Form1Ui &u = f->Ui();
    QVERIFY(QFile::remove(m_srv.disque(m_dossier + QStringLiteral("distant.txt"))));
    choisis(u.List4, QStringLiteral("distant.txt"));
    const int debut = nombreLignes(u.TxtAction);
    f->glisserDeposer().filLocal_DragDrop(u.List4);
    QCOMPARE(lignes(u.TxtAction, debut),
             (QVector<Ligne>{{" > Début du téléchargement de distant.txt", VertFonce},
                             {" > Téléchargement échoué de distant.txt", Rouge}}));
    QCOMPARE(QDir(m_banc.Local()).entryList(QDir::Files), QStringList{"local.txt"});
    QCOMPARE(u.filLocal->ListCount(), 1);
    QCOMPARE(u.LabNB[0]->text(), QStringLiteral("1 fichiers."));
    QCOMPARE(textes(u.List4), QStringList{"distant.txt"});
}

// ----------------------------------------------------------------- folders

void TstGlisser::dossiers() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    QVERIFY(QTest::qWaitForWindowExposed(f.get()));
    GlisserDeposer &g = f->glisserDeposer();

    // The folder list dropped on the tree: the folder upload.
    g.trvSiteDir_DragDrop(u.filLocal);
    g.trvSiteDir_DragDrop(u.List4);
    QCOMPARE(m_envois, 0);
    g.trvSiteDir_DragDrop(u.dirLocal);
    QCOMPARE(m_envois, 1);
    QCOMPARE(u.dirLocal->property("DragIcon").toString(), QStringLiteral("BTL(9)"));

    // A release over the folder list after a press on the tree: the folder
    // download; a plain release there does nothing.
    f->navigateurLocal().dirLocal_MouseUp();
    QCOMPARE(m_rapatriements, 0);
    QWidget *vue = u.trvSiteDir->viewport();
    const QPoint surArbre = u.trvSiteDir->visualItemRect(u.trvSiteDir->topLevelItem(0)).center();
    const QPoint surDossiers =
        vue->mapFromGlobal(u.dirLocal->mapToGlobal(u.dirLocal->rect().center()));
    QTest::mousePress(vue, Qt::LeftButton, {}, surArbre);
    QVERIFY(f->etat().CaDrague());
    QTest::mouseRelease(vue, Qt::LeftButton, {}, surDossiers);
    QCOMPARE(m_rapatriements, 1);
    QVERIFY(!f->etat().CaDrague());
    // Released elsewhere: nothing.
    QTest::mousePress(vue, Qt::LeftButton, {}, surArbre);
    QTest::mouseRelease(vue, Qt::LeftButton, {}, surArbre);
    QCOMPARE(m_rapatriements, 1);
    QCOMPARE(m_envois, 1);
}

QTEST_MAIN(TstGlisser)
#include "tst_glisser.moc"
