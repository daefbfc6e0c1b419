// The alternative views of both panes: the name comparison, the remote-list
// filter and the sort order as pure functions, then the real main window
// against the loopback FTP server: the comparison view and its recomputation
// after a transfer, the sorted local views and their switching rules, the
// filter keeping List4 and List5 aligned, and "Ouvrir avec...".

#include "browsing/NavigateurSite.h"
#include "browsing/OuvrirAvec.h"
#include "browsing/Vues.h"
#include "mainwindow/Form1.h"
#include "platform/LocalLists.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "settings/Reglages.h"
#include "support/BancFenetre.h"
#include "support/Espion.h"
#include "support/TestServeur.h"
#include "transfers/GlisserDeposer.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/Twips.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

QStringList textes(const QListWidget *l) {
    QStringList t;
    for (int i = 0; i < l->count(); ++i)
        t << l->item(i)->text();
    return t;
}

QString derniereLigne(const QTextEdit *log) {
    QTextBlock b = log->document()->lastBlock();
    while (b.isValid() && b.text().isEmpty())
        b = b.previous();
    return b.text();
}

QColor couleurDerniereLigne(const QTextEdit *log) {
    QTextBlock b = log->document()->lastBlock();
    while (b.isValid() && b.text().isEmpty())
        b = b.previous();
    return b.begin().fragment().charFormat().foreground().color();
}

// The server lists in its own order.
QStringList enOrdre(QStringList t) {
    t.sort();
    return t;
}

void choisis(QListWidget *l, const QString &nom) {
    const auto trouves = l->findItems(nom, Qt::MatchExactly);
    QVERIFY2(!trouves.isEmpty(), qPrintable(nom));
    l->clearSelection();
    l->setCurrentItem(trouves.first());
}

} // namespace

class TstVues : public QObject {
    Q_OBJECT

    TestServeur &m_srv = TestServeur::instance();
    BancFenetre m_banc;
    std::unique_ptr<Form1> m_f;
    Form1Ui *u = nullptr;

    // The window on a fresh remote folder holding `site` and the local
    // folder holding `local` (name -> size).
    QString demarre(const QMap<QString, int> &site, const QMap<QString, int> &local) {
        const QString dossier = m_srv.nouveauDossier(QStringLiteral("vues"));
        for (auto it = site.cbegin(); it != site.cend(); ++it)
            m_srv.ecrisFichier(dossier + it.key(), OctetsTest(it.value()));
        for (auto it = local.cbegin(); it != local.cend(); ++it)
            EcritFichierLocal(m_banc.Local(it.key()), OctetsTest(it.value()));
        EcritReglagesConnexion(m_srv, dossier, m_banc.Local());
        m_f = DemarreFenetre();
        u = &m_f->Ui();
        return dossier;
    }
    QStringList boutonsLocauxVisibles() const {
        QStringList v;
        for (int i : {1, 2, 3, 4, 5, 10})
            if (!u->BTL.value(i)->isHidden())
                v << QString::number(i);
        return v;
    }
    bool filtreVisible() const {
        return !u->Text1->isHidden() && !u->Command7->isHidden() && !u->Command8->isHidden();
    }
    void survole(QWidget *w) {
        QEvent entree(QEvent::Enter);
        QCoreApplication::sendEvent(w, &entree);
    }

private slots:
    void initTestCase();
    void init();

    void absents_data();
    void absents();
    void positionsGardees_data();
    void positionsGardees();
    void ordreDecroissant_data();
    void ordreDecroissant();

    void comparaison();
    void comparaisonPendantQueLaListeSeRemplit();
    void vuesTriees();
    void filtre();
    void ouvrirAvec();
    void ouvrirAvecUnVraiProgramme();
};

void TstVues::initTestCase() {
    QVERIFY2(m_srv.valide(), qPrintable(m_srv.erreur()));
}

void TstVues::init() {
    m_f.reset();
    QVERIFY(m_banc.Renouvelle());
}

// ------------------------------------------------------------ pure logic

void TstVues::absents_data() {
    QTest::addColumn<QStringList>("liste");
    QTest::addColumn<QStringList>("autre");
    QTest::addColumn<QStringList>("attendu");
    QTest::newRow("local vs site")
        << QStringList{"a.txt", "b.txt", "c.txt"} << QStringList{"b.txt", "d.txt"}
        << QStringList{"a.txt", "c.txt"};
    QTest::newRow("site vs local")
        << QStringList{"b.txt", "d.txt"} << QStringList{"a.txt", "b.txt", "c.txt"}
        << QStringList{"d.txt"};
    QTest::newRow("other order gives the same")
        << QStringList{"c.txt", "a.txt", "b.txt"} << QStringList{"d.txt", "b.txt"}
        << QStringList{"c.txt", "a.txt"};
    QTest::newRow("case counts") << QStringList{"Index.html"} << QStringList{"index.html"}
                                 << QStringList{"Index.html"};
    QTest::newRow("no trimming") << QStringList{"a ", " a", "a"} << QStringList{"a"}
                                 << QStringList{"a ", " a"};
    QTest::newRow("identical") << QStringList{"x", "y"} << QStringList{"y", "x"} << QStringList{};
    QTest::newRow("empty other") << QStringList{"x", "y"} << QStringList{} << QStringList{"x", "y"};
    QTest::newRow("empty list") << QStringList{} << QStringList{"x"} << QStringList{};
}

void TstVues::absents() {
    QFETCH(QStringList, liste);
    QFETCH(QStringList, autre);
    QFETCH(QStringList, attendu);
    QCOMPARE(Absents(liste, autre), attendu);
}

void TstVues::positionsGardees_data() {
    QTest::addColumn<QStringList>("noms");
    QTest::addColumn<QString>("texte");
    QTest::addColumn<QVector<int>>("attendu");
    const QStringList noms{"a.txt", "b.doc", "readme.TXT"};
    QTest::newRow("any case") << noms << "TXT" << QVector<int>{0, 2};
    QTest::newRow("empty keeps all") << noms << "" << QVector<int>{0, 1, 2};
    QTest::newRow("middle of a name") << noms << "ADM" << QVector<int>{2};
    QTest::newRow("none") << noms << "zip" << QVector<int>{};
    QTest::newRow("accents fold") << QStringList{"Été.txt", "ete.txt"} << "éTÉ" << QVector<int>{0};
}

void TstVues::positionsGardees() {
    QFETCH(QStringList, noms);
    QFETCH(QString, texte);
    QFETCH(QVector<int>, attendu);
    const QVector<int> gardees = PositionsGardees(noms, texte);
    QCOMPARE(gardees, attendu);
    // Paths taken at the kept positions stay with their names; a shorter
    // list of paths loses nothing it doesn't have.
    QStringList chemins;
    for (const QString &n : noms)
        chemins << QLatin1Char('/') + n;
    QCOMPARE(ElementsAux(chemins, gardees).size(), gardees.size());
    for (int k = 0; k < gardees.size(); ++k)
        QCOMPARE(ElementsAux(chemins, gardees)[k],
                 QLatin1Char('/') + ElementsAux(noms, gardees)[k]);
    QVERIFY(ElementsAux(chemins.mid(0, 1), gardees).size() <= 1);
}

void TstVues::ordreDecroissant_data() {
    QTest::addColumn<QVector<qint64>>("cles");
    QTest::addColumn<QVector<int>>("attendu");
    QTest::newRow("sizes 10 30 20") << QVector<qint64>{10, 30, 20} << QVector<int>{1, 2, 0};
    QTest::newRow("equal keys keep order")
        << QVector<qint64>{5, 7, 5, 7, 5} << QVector<int>{1, 3, 0, 2, 4};
    QTest::newRow("empty") << QVector<qint64>{} << QVector<int>{};
    QTest::newRow("negative and huge")
        << QVector<qint64>{-1, std::numeric_limits<qint64>::max(), 0} << QVector<int>{1, 2, 0};
}

void TstVues::ordreDecroissant() {
    QFETCH(QVector<qint64>, cles);
    QFETCH(QVector<int>, attendu);
    QCOMPARE(OrdreDecroissant(cles), attendu);
}

// ------------------------------------------------------------ the window

void TstVues::comparaison() {
    const QString dossier =
        demarre({{"b.txt", 20}, {"d.txt", 40}}, {{"a.txt", 10}, {"b.txt", 20}, {"c.txt", 30}});
    QCOMPARE(enOrdre(textes(u->List4)), (QStringList{"b.txt", "d.txt"}));
    QVERIFY(filtreVisible());

    // Local files absent on the site, the site list copied in full.
    u->RecDelta[0]->click();
    QCOMPARE(m_f->etat().ListeCliquee(), 0);
    QCOMPARE(textes(u->List1), (QStringList{"a.txt", "c.txt"}));
    QCOMPARE(enOrdre(textes(u->List2)), (QStringList{"b.txt", "d.txt"}));
    QCOMPARE(u->LabNB[0]->text(), QStringLiteral("2 fichiers."));
    QCOMPARE(u->LabNB[1]->text(), QStringLiteral("2 fichiers."));
    QVERIFY(!u->List1->isHidden() && !u->List2->isHidden());
    QVERIFY(u->filLocal->isHidden() && u->List4->isHidden());
    QCOMPARE(u->List1->geometry(), u->filLocal->geometry());
    QCOMPARE(u->List2->geometry(), u->List4->geometry());
    QVERIFY(u->Text1->isHidden() && u->Command7->isHidden() && u->Command8->isHidden());
    QCOMPARE(boutonsLocauxVisibles(), (QStringList{"4", "10"}));

    // Either button switches it off: the full lists, counts and buttons back.
    u->RecDelta[1]->click();
    QVERIFY(u->List1->isHidden() && u->List2->isHidden());
    QVERIFY(!u->filLocal->isHidden() && !u->List4->isHidden());
    QVERIFY(filtreVisible());
    QCOMPARE(u->LabNB[0]->text(), QStringLiteral("3 fichiers."));
    QCOMPARE(u->LabNB[1]->text(), QStringLiteral("2 fichiers."));
    QCOMPARE(boutonsLocauxVisibles(), (QStringList{"1", "2", "3", "4", "5", "10"}));

    // Site files absent locally, the local list copied in full.
    u->RecDelta[1]->click();
    QCOMPARE(m_f->etat().ListeCliquee(), 1);
    QCOMPARE(textes(u->List2), QStringList{"d.txt"});
    QCOMPARE(textes(u->List1), (QStringList{"a.txt", "b.txt", "c.txt"}));
    QCOMPARE(u->LabNB[0]->text(), QStringLiteral("3 fichiers."));
    QCOMPARE(u->LabNB[1]->text(), QStringLiteral("1 fichiers."));

    // Vert(2) computes the local comparison again, from the disk.
    QVERIFY(EcritFichierLocal(m_banc.Local(QStringLiteral("e.txt")), "e"));
    u->Vert[2]->click();
    QCOMPARE(m_f->etat().ListeCliquee(), 0);
    QCOMPARE(textes(u->List1), (QStringList{"a.txt", "c.txt", "e.txt"}));
    QCOMPARE(enOrdre(textes(u->List2)), (QStringList{"b.txt", "d.txt"}));

    // Dragging a.txt from the comparison onto the site sends it; the view
    // is computed again without it.
    choisis(u->List1, QStringLiteral("a.txt"));
    m_f->glisserDeposer().DragDrop(u->List2, u->List1);
    QCOMPARE(m_srv.litFichier(dossier + QStringLiteral("a.txt")), OctetsTest(10));
    QVERIFY(!u->List1->isHidden());
    QCOMPARE(textes(u->List1), (QStringList{"c.txt", "e.txt"}));
    QCOMPARE(enOrdre(textes(u->List2)), (QStringList{"a.txt", "b.txt", "d.txt"}));
    QCOMPARE(u->LabNB[0]->text(), QStringLiteral("2 fichiers."));

    // Identical sides: nothing absent on the reduced side.
    for (const char *n : {"c.txt", "e.txt"})
        EcritFichierLocal(m_banc.Local(QLatin1String(n)), QByteArray());
    u->RecDelta[1]->click();
    m_srv.ecrisFichier(dossier + QStringLiteral("c.txt"), "c");
    m_srv.ecrisFichier(dossier + QStringLiteral("e.txt"), "e");
    QVERIFY(QFile::remove(m_banc.Local(QStringLiteral("b.txt"))));
    QVERIFY(QFile::remove(m_srv.disque(dossier + QStringLiteral("b.txt"))));
    QVERIFY(QFile::remove(m_srv.disque(dossier + QStringLiteral("d.txt"))));
    m_f->navigateurSite().RafraichitSite(dossier);
    u->RecDelta[1]->click();
    QVERIFY(textes(u->List2).isEmpty());
    QCOMPARE(u->LabNB[1]->text(), QStringLiteral("0 fichiers."));
    QCOMPARE(textes(u->List1), (QStringList{"a.txt", "c.txt", "e.txt"}));

    // The hints: the local one to the right, the site one to the left.
    m_f->resize(Twips::EnPixels(12000), Twips::EnPixels(8205));
    QCoreApplication::processEvents();
    survole(u->RecDelta[0]);
    QCOMPARE(u->LTTT->text(), QStringLiteral("Liste des fichiers absents sur le site"));
    QVERIFY(!u->ttt->isHidden());
    QCOMPARE(u->ttt->pos(),
             u->RecDelta[0]->pos() + QPoint(u->fraLocal->x() + Twips::EnPixels(2000), -3));
    survole(u->RecDelta[1]);
    QCOMPARE(u->LTTT->text(), QStringLiteral("Liste des fichiers absents en local"));
    QCOMPARE(u->ttt->x(), u->RecDelta[1]->x() + u->fraSite->x() - Twips::EnPixels(4000));
}

void TstVues::comparaisonPendantQueLaListeSeRemplit() {
    // While a long site folder fills its list, the comparison can't be
    // computed again: the local pane keeps the comparison it showed after a
    // refresh or a local delete, instead of no list at all.
    const QString dossier = demarre({{"b.txt", 1}}, {{"a.txt", 1}, {"b.txt", 1}, {"c.txt", 1}});
    const QString longue = dossier + QStringLiteral("longue/");
    QVERIFY(m_srv.creeDossier(longue));
    const int n = 2 * NavigateurSite::EntreesParPas + 500;
    for (int i = 0; i < n; ++i)
        QVERIFY(EcritFichierLocal(m_srv.disque(longue) + QStringLiteral("/f%1").arg(i), ""));
    u->RecDelta[0]->click();
    QCOMPARE(textes(u->List1), (QStringList{"a.txt", "c.txt"}));

    const auto listeLocaleVisible = [&] {
        return !u->List1->isHidden() || !u->List3->isHidden() || !u->filLocal->isHidden();
    };
    int partielle = -1;
    QStringList vues;
    {
        Espion espion([&] {
            if (partielle >= 0 || !m_f->navigateurSite().ListeEnCours() || u->List5->count() == 0)
                return;
            partielle = u->List5->count();
            u->Vert[2]->click();
            vues << (listeLocaleVisible() ? textes(u->List1).join(',') : QString());
            choisis(u->List1, QStringLiteral("a.txt"));
            u->BTL[4]->click();
            vues << (listeLocaleVisible() ? textes(u->List1).join(',') : QString());
        });
        m_f->navigateurSite().RafraichitSite(longue);
    }
    QVERIFY(partielle > 0 && partielle < n);
    QCOMPARE(vues, (QStringList{"a.txt,c.txt", "a.txt,c.txt"}));
    // The delete itself was done; the list is computed again afterwards.
    QVERIFY(!QFileInfo::exists(m_banc.Local(QStringLiteral("a.txt"))));
    QVERIFY(!u->List1->isHidden() && u->filLocal->isHidden());
    // Once filled, the comparison is computed against the new folder.
    u->Vert[2]->click();
    QCOMPARE(textes(u->List1), (QStringList{"b.txt", "c.txt"}));
}

void TstVues::vuesTriees() {
    demarre({{"b.txt", 1}}, {{"a", 10}, {"b", 30}, {"c", 20}, {"d", 20}});
    // Dates: c newest, then a, d, b.
    const QDateTime base = QDateTime::currentDateTime().addDays(-1);
    const QMap<QString, int> age{{"c", 0}, {"a", 1}, {"d", 2}, {"b", 3}};
    for (auto it = age.cbegin(); it != age.cend(); ++it) {
        QFile f(m_banc.Local(it.key()));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(base.addSecs(-3600 * it.value()), QFileDevice::FileModificationTime));
    }

    u->Vert[1]->click();
    QCOMPARE(Tag(u->List3), QStringLiteral("TAILLE"));
    QVERIFY(!u->List3->isHidden());
    // Largest first; c and d (20 each) in the file list's order.
    QCOMPARE(textes(u->List3), (QStringList{"b", "c", "d", "a"}));
    QCOMPARE(u->LabNB[0]->text(), QStringLiteral("4 fichiers."));
    QCOMPARE(boutonsLocauxVisibles(), (QStringList{"4", "10"}));

    // The other button switches order at once; the same one ends the view.
    u->Vert[0]->click();
    QCOMPARE(Tag(u->List3), QStringLiteral("DATE"));
    QCOMPARE(textes(u->List3), (QStringList{"c", "a", "d", "b"}));
    u->Vert[1]->click();
    QCOMPARE(Tag(u->List3), QStringLiteral("TAILLE"));
    u->Vert[1]->click();
    QVERIFY(u->List3->isHidden());
    QCOMPARE(Tag(u->List3), QString());
    QVERIFY(!u->filLocal->isHidden());
    QCOMPARE(boutonsLocauxVisibles(), (QStringList{"1", "2", "3", "4", "5", "10"}));
    u->Vert[3]->click();
    QVERIFY(u->List3->isHidden());

    // Refresh reads the disk again and keeps the view.
    u->Vert[0]->click();
    QVERIFY(EcritFichierLocal(m_banc.Local(QStringLiteral("e")), "e"));
    u->Vert[2]->click();
    QCOMPARE(Tag(u->List3), QStringLiteral("DATE"));
    QCOMPARE(textes(u->List3), (QStringList{"e", "c", "a", "d", "b"}));
    QCOMPARE(u->LabNB[0]->text(), QStringLiteral("5 fichiers."));

    // A sort ends the comparison; the comparison ends the sort.
    u->RecDelta[0]->click();
    QVERIFY(u->List3->isHidden());
    QCOMPARE(Tag(u->List3), QString());
    QVERIFY(!u->List1->isHidden());
    u->Vert[1]->click();
    QVERIFY(u->List1->isHidden() && u->List2->isHidden());
    QVERIFY(!u->List4->isHidden());
    QVERIFY(filtreVisible());
    QCOMPARE(textes(u->List3), (QStringList{"b", "c", "d", "a", "e"}));

    // A change of folder ends it; Vert(2) then does nothing.
    QVERIFY(QDir().mkdir(m_banc.Local(QStringLiteral("vide"))));
    u->dirLocal->setPath(m_banc.Local(QStringLiteral("vide")));
    QVERIFY(u->List3->isHidden());
    u->Vert[2]->click();
    QVERIFY(u->List3->isHidden() && u->List1->isHidden());
    // An empty folder sorts to an empty list.
    u->Vert[0]->click();
    QVERIFY(!u->List3->isHidden());
    QCOMPARE(u->List3->count(), 0);
    QCOMPARE(u->LabNB[0]->text(), QStringLiteral("0 fichiers."));

    // The common hint, from the local frame.
    survole(u->Vert[1]);
    QCOMPARE(u->LTTT->text(), QStringLiteral("Trier par taille de fichier"));
    QCOMPARE(u->ttt->pos(),
             u->Vert[1]->pos() + QPoint(u->fraLocal->x() + Twips::EnPixels(1000), -3));
    survole(u->Vert[4]);
    QCOMPARE(u->LTTT->text(), QStringLiteral("Ouvrir avec..."));
}

void TstVues::filtre() {
    const QString dossier = demarre({{"a.txt", 100}, {"b.doc", 200}, {"readme.TXT", 300}}, {});
    const QStringList complet = textes(u->List4);
    QCOMPARE(complet.size(), 3);
    const QString compte = u->LabNB[1]->text();
    // The size the full list shows for readme.TXT.
    choisis(u->List4, QStringLiteral("readme.TXT"));
    m_f->navigateurSite().List4_MouseDown();
    const QString taille = u->LTTT->text();

    // The listing's order is the server's: the kept names keep it.
    QStringList gardes = complet;
    gardes.removeOne(QStringLiteral("b.doc"));
    QStringList chemins;
    for (const QString &n : gardes)
        chemins << dossier + n;
    u->Text1->setText(QStringLiteral("TXT"));
    u->Command7->click();
    QCOMPARE(textes(u->List4), gardes);
    QCOMPARE(textes(u->List5), chemins);
    QCOMPARE(u->Text1->text(), QString());
    QCOMPARE(u->LabNB[1]->text(), compte);
    u->LTTT->clear();
    choisis(u->List4, QStringLiteral("readme.TXT"));
    m_f->navigateurSite().List4_MouseDown();
    QCOMPARE(u->LTTT->text(), taille);
    QCOMPARE(derniereLigne(u->TxtAction), QStringLiteral("readme.TXT (sur site): ") + taille);

    // Empty text: nothing changes; another text narrows further.
    u->Command7->click();
    QCOMPARE(textes(u->List4), gardes);
    u->Text1->setText(QStringLiteral("A."));
    u->Command7->click();
    QCOMPARE(textes(u->List4), QStringList{"a.txt"});
    QCOMPARE(textes(u->List5), QStringList{dossier + QStringLiteral("a.txt")});

    // "Reset" lists the folder again.
    u->Command8->click();
    QCOMPARE(textes(u->List4), complet);
    QCOMPARE(u->List5->count(), 3);
}

void TstVues::ouvrirAvec() {
    demarre({}, {{"editeur", 1}, {"mes notes.txt", 2}, {"z.txt", 3}});
    QCOMPARE(Reglages::Lit(Reglages::AutreProg), QString());
    u->filLocal->setFileName(QStringLiteral("editeur"));

    // First use asks; "Non" stores nothing and opens nothing.
    m_banc.prompts.reponses << Prompts::Bouton::Non;
    u->Vert[4]->click();
    QCOMPARE(m_banc.prompts.demandes.size(), 1);
    QCOMPARE(m_banc.prompts.demandes[0].titre, QStringLiteral("Choix de programme alternatif"));
    QCOMPARE(m_banc.prompts.demandes[0].texte,
             QStringLiteral(
                 "Le programme executable est séléctionné dessous dans la liste blanche ???"));
    QCOMPARE(Reglages::Lit(Reglages::AutreProg), QString());
    // "Oui" stores the selected file; this click still opens nothing.
    m_banc.prompts.reponses << Prompts::Bouton::Oui;
    u->Vert[4]->click();
    const QString programme = m_banc.Local(QStringLiteral("editeur"));
    QCOMPARE(Reglages::Lit(Reglages::AutreProg), programme);
    QVERIFY(m_banc.shell.appels.isEmpty());

    // The file is one argument, spaces and all.
    u->filLocal->setFileName(QStringLiteral("mes notes.txt"));
    u->Vert[4]->click();
    QCOMPARE(m_banc.shell.appels.size(), 1);
    QCOMPARE(m_banc.shell.appels[0].operation, QStringLiteral("LanceProgramme"));
    QCOMPARE(m_banc.shell.appels[0].arguments,
             (QStringList{programme, m_banc.Local(QStringLiteral("mes notes.txt"))}));

    // A sorted view: the file from List3, and the view stays.
    u->Vert[1]->click();
    choisis(u->List3, QStringLiteral("z.txt"));
    u->Vert[4]->click();
    QCOMPARE(m_banc.shell.appels.last().arguments.value(1), m_banc.Local(QStringLiteral("z.txt")));
    QVERIFY(!u->List3->isHidden());
    QCOMPARE(u->LabNB[0]->text(), QStringLiteral("3 fichiers."));
    u->Vert[1]->click();

    // The comparison: the file from List1, and the comparison ends.
    u->RecDelta[0]->click();
    choisis(u->List1, QStringLiteral("editeur"));
    u->Vert[4]->click();
    QCOMPARE(m_banc.shell.appels.last().arguments.value(1), programme);
    QVERIFY(u->List1->isHidden() && u->List2->isHidden());
    QVERIFY(!u->filLocal->isHidden() && !u->List4->isHidden());
    QVERIFY(filtreVisible());

    // A program that can't start: a red line, the setting kept.
    m_banc.shell.resultat = false;
    u->Vert[4]->click();
    QVERIFY(derniereLigne(u->TxtAction).endsWith(QStringLiteral(" > Une erreur s'est produite")));
    QCOMPARE(couleurDerniereLigne(u->TxtAction), QColor(255, 0, 0));
    QCOMPARE(Reglages::Lit(Reglages::AutreProg), programme);

    // A right-click chooses again; a left press does not ask.
    const int demandes = m_banc.prompts.demandes.size();
    u->filLocal->setFileName(QStringLiteral("z.txt"));
    QTest::mousePress(u->Vert[4], Qt::LeftButton);
    QTest::mouseRelease(u->Vert[4], Qt::LeftButton);
    QCOMPARE(m_banc.prompts.demandes.size(), demandes);
    m_banc.prompts.reponses << Prompts::Bouton::Oui;
    QTest::mousePress(u->Vert[4], Qt::RightButton);
    QTest::mouseRelease(u->Vert[4], Qt::RightButton);
    QCOMPARE(m_banc.prompts.demandes.size(), demandes + 1);
    QCOMPARE(Reglages::Lit(Reglages::AutreProg), m_banc.Local(QStringLiteral("z.txt")));
    // With no file selected the choice keeps the program.
    u->filLocal->setCurrentRow(-1);
    m_banc.prompts.reponses << Prompts::Bouton::Oui;
    QTest::mousePress(u->Vert[4], Qt::RightButton);
    QCOMPARE(Reglages::Lit(Reglages::AutreProg), m_banc.Local(QStringLiteral("z.txt")));
}

// The real shell: a path with spaces reaches the program as one argument.
void TstVues::ouvrirAvecUnVraiProgramme() {
    demarre({}, {{"mes notes.txt", 2}});
    const QString script = m_banc.Local(QStringLiteral("prog.sh"));
    const QString sortie = m_banc.Config(QStringLiteral("arguments.txt"));
    QVERIFY(EcritFichierLocal(script, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > \"$0.tmp\" && mv "
                                      "\"$0.tmp\" '" +
                                          sortie.toUtf8() + "'\n"));
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(Reglages::Ecrit(Reglages::AutreProg, script));
    u->filLocal->Refresh();
    u->filLocal->setFileName(QStringLiteral("mes notes.txt"));
    DefinitShell(nullptr);
    u->Vert[4]->click();
    DefinitShell(&m_banc.shell);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(sortie), 10000);
    QCOMPARE(LitFichierLocal(sortie),
             "1\n" + m_banc.Local(QStringLiteral("mes notes.txt")).toUtf8() + "\n");
}

QTEST_MAIN(TstVues)
#include "tst_vues.moc"
