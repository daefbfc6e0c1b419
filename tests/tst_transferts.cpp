// Folder transfers, the progress frame and the two rows of action buttons.
// The frame's texts and bar at their boundaries as pure functions, then the
// real main window against the loopback FTP server, with prompts answered by
// the answering machine and the shell recorded: folders copied both ways
// (into folders that exist, cancelled, with a failing file, declined), and
// every button of both rows with its log lines of success and failure, and
// the buttons that do nothing while a comparison or sorted view is shown.

#include "browsing/NavigateurLocal.h"
#include "browsing/NavigateurSite.h"
#include "connection/GestionConnexion.h"
#include "dialogs/Form2.h"
#include "ftp/ArbreTransfert.h"
#include "ftp/clsFTP.h"
#include "mainwindow/Form1.h"
#include "platform/LocalLists.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "settings/Reglages.h"
#include "support/BancFenetre.h"
#include "support/Espion.h"
#include "support/ShellEnregistreur.h"
#include "support/TestServeur.h"
#include "transfers/ActionsLocales.h"
#include "transfers/ActionsSite.h"
#include "transfers/GlisserDeposer.h"
#include "transfers/Progression.h"
#include "transfers/TransfertsDossiers.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/Twips.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QColor Vert(0, 64, 0), Rouge(255, 0, 0), Orange(255, 128, 0), Noir(Qt::black),
    Blanc(255, 255, 255);

struct Ligne {
    QString texte;
    QColor couleur;
    bool operator==(const Ligne &a) const { return texte == a.texte && couleur == a.couleur; }
};
using Lignes = QVector<Ligne>;
const Ligne Erreur{QStringLiteral(" > Une erreur s'est produite"), Rouge};
const Ligne DesErreurs{QStringLiteral(" > Il y a eu des erreurs !!!"), Rouge};
const Ligne Annule{QStringLiteral(" > Déplacement annulé par l'utilisateur"), Orange};

} // namespace

namespace QTest {
template <> char *toString(const Ligne &l) {
    return qstrdup(qPrintable(l.texte + QStringLiteral(" [") + l.couleur.name() + u']'));
}
} // namespace QTest

namespace {

// The log's lines from `debut` on, without their time of day.
Lignes lignes(const QTextEdit *log, int debut = 0) {
    Lignes resultat;
    int i = 0;
    for (QTextBlock b = log->document()->begin(); b.isValid(); b = b.next(), ++i) {
        if (!b.next().isValid() && b.text().isEmpty())
            break;
        if (i >= debut)
            resultat.push_back(
                {b.text().mid(8), b.begin() != b.end()
                                      ? b.begin().fragment().charFormat().foreground().color()
                                      : QColor()});
    }
    return resultat;
}

QStringList textes(const QListWidget *l) {
    QStringList t;
    for (int i = 0; i < l->count(); ++i)
        t << l->item(i)->text();
    return t;
}

// The names in the order the list shows them (the server's order).
QStringList dansLOrdre(const QListWidget *l, const QStringList &noms) {
    QStringList resultat;
    for (const QString &t : textes(l))
        if (noms.contains(t))
            resultat << t;
    return resultat;
}

// Selects the named entries, the first one highlighted.
void choisis(QListWidget *l, const QStringList &noms) {
    l->clearSelection();
    for (qsizetype i = noms.size() - 1; i >= 0; --i) {
        const auto trouves = l->findItems(noms[i], Qt::MatchExactly);
        QVERIFY2(!trouves.isEmpty(), qPrintable(noms[i]));
        l->setCurrentItem(trouves.first(), QItemSelectionModel::NoUpdate);
        trouves.first()->setSelected(true);
    }
}

} // namespace

class TstTransferts : public QObject {
    Q_OBJECT

    TestServeur &m_srv = TestServeur::instance();
    BancFenetre m_banc;
    QString m_dossier; // the remote folder of the test, listed
    QList<int> m_comparaisons, m_rafraichissements;
    std::unique_ptr<Form1> m_f;
    Form1Ui *u = nullptr;

    // The window on a remote folder holding a.txt to d.txt and a local folder
    // holding l1.txt to l4.txt and the sub-folder "sous".
    void demarre() {
        m_dossier = m_srv.nouveauDossier(QStringLiteral("transferts"));
        for (const char *n : {"a.txt", "b.txt", "c.txt", "d.txt"})
            m_srv.ecrisFichier(m_dossier + QLatin1String(n), OctetsTest(100 + n[0]));
        for (const char *n : {"l1.txt", "l2.txt", "l3.txt", "l4.txt"})
            EcritFichierLocal(m_banc.Local(QLatin1String(n)), OctetsTest(200 + n[1]));
        QDir().mkdir(m_banc.Local(QStringLiteral("sous")));
        EcritReglagesConnexion(m_srv, m_dossier, m_banc.Local());
        m_f = DemarreFenetre();
        u = &m_f->Ui();
        m_f->etat().DefinitListeCliquee(1);
        m_f->actionsSite().RecDelta_Click = [this](int i) { m_comparaisons << i; };
        m_f->actionsLocales().RecDelta_Click = [this](int i) { m_comparaisons << i; };
        m_f->actionsLocales().Vert_Click = [this](int i) { m_rafraichissements << i; };
    }

    // The window on `dossier` of a scripted server, the local folder empty.
    void demarreScripte(const ServeurScripte &serveur, const QString &dossier) {
        Reglages::Ecrit(Reglages::TxtSite, serveur.site());
        Reglages::Ecrit(Reglages::TxtUtilisateur, QStringLiteral("u"));
        Reglages::Ecrit(Reglages::TxtMDP, QStringLiteral("p"));
        Reglages::EcritBooleen(Reglages::ConAuto, true);
        Reglages::Ecrit(Reglages::PathSite, dossier);
        for (const Reglages::Cle &c : {Reglages::DrvLoc, Reglages::DirLoc, Reglages::FilLoc})
            Reglages::Ecrit(c, m_banc.Local());
        m_f = DemarreFenetre();
        u = &m_f->Ui();
    }
    // Selects the tree's node showing `texte`.
    bool choisisNoeud(const QString &texte) {
        for (QTreeWidgetItemIterator it(u->trvSiteDir); *it; ++it) {
            if ((*it)->text(0) == texte) {
                u->trvSiteDir->setCurrentItem(*it);
                return true;
            }
        }
        return false;
    }

    // The lines `action` logs.
    Lignes journal(const std::function<void()> &action) {
        const auto debut = int(lignes(u->TxtAction).size());
        action();
        return lignes(u->TxtAction, debut);
    }
    Lignes clicSite(int i) {
        return journal([&] { u->BTs.value(i)->click(); });
    }
    Lignes clicLocal(int i) {
        return journal([&] { u->BTL.value(i)->click(); });
    }

    // A remote folder under the test's folder holding `fichiers`, listed.
    QString dossierDistant(const QString &nom, const QMap<QString, int> &fichiers) {
        const QString cle = m_dossier + nom + QLatin1Char('/');
        m_srv.creeDossier(cle);
        for (auto it = fichiers.cbegin(); it != fichiers.cend(); ++it)
            m_srv.ecrisFichier(cle + it.key(), OctetsTest(it.value()));
        m_f->navigateurSite().RafraichitSite(cle);
        u->dirLocal->setPath(m_banc.Local());
        return cle;
    }
    // A local folder holding `fichiers`, highlighted in the folder list.
    QString dossierLocal(const QString &nom, const QMap<QString, int> &fichiers) {
        const QString chemin = m_banc.Local(nom);
        QDir().mkpath(chemin);
        for (auto it = fichiers.cbegin(); it != fichiers.cend(); ++it)
            EcritFichierLocal(chemin + QLatin1Char('/') + it.key(), OctetsTest(it.value()));
        m_f->navigateurSite().RafraichitSite(m_dossier);
        u->dirLocal->setPath(m_banc.Local());
        for (int i = 0; i < u->dirLocal->ListCount(); ++i)
            if (u->dirLocal->List(i) == chemin)
                u->dirLocal->setListIndex(i);
        return chemin;
    }
    // The folder transfers as the window starts them: a release over the
    // folder list after a press on the tree; a drop of the folder list on
    // the tree. The confirmation is answered `reponse`.
    Lignes rapatrie(Prompts::Bouton reponse = Prompts::Bouton::Oui) {
        m_banc.prompts.reponses << reponse;
        m_f->etat().DefinitCaDrague(true);
        return journal([&] { m_f->navigateurLocal().dirLocal_MouseUp(); });
    }
    Lignes envoie(Prompts::Bouton reponse = Prompts::Bouton::Oui) {
        m_banc.prompts.reponses << reponse;
        return journal([&] { m_f->glisserDeposer().trvSiteDir_DragDrop(u->dirLocal); });
    }
    // The comparison view as the comparison command leaves it.
    void vueComparaison(const QStringList &site) {
        u->List1->addItems({"l1.txt", "l4.txt"});
        u->List1->show();
        u->filLocal->hide();
        u->List2->clear();
        u->List2->addItems(site);
        u->List2->show();
        u->List4->hide();
    }

private slots:
    void initTestCase();
    void init();

    void legendes_data();
    void legendes();
    void barre_data();
    void barre();
    void autresTextes();
    void cadre();

    void rapatriement();
    void rapatriementEchoue();
    void rapatriementDuDossierPresse();
    void rapatriementListeEchouee();
    void rapatriementSansSuivreLesLiens();
    void arbreDansLesDeuxSens();
    void arbreHostileEtSansFin();
    void arbreAnnule();
    void arbreParallele();
    void arbreParalleleCoupeEtAnnule();
    void nomsEnDeuxCodages();
    void envoi();
    void envoiAnnuleAuTroisiemeFichier();
    void envoiEchoue();
    void grosFichierVisible();
    void telechargementInterrompuPuisRepris();
    void refus();
    void rienPendantQueLaListeSeRemplit();

    void siteNavigationEtDossiers();
    void siteRenommeEtSupprime();
    void siteOuvre();
    void siteTelechargeEtCache();
    void siteVueComparaison();
    void localDossiers();
    void localFichiers();
    void localEnvoiEtAnnulation();
    void vuesAlternativesEtIndices();
};

void TstTransferts::initTestCase() {
    QVERIFY2(m_srv.valide(), qPrintable(m_srv.erreur()));
    QLocale::setDefault(QLocale::c());
}

void TstTransferts::init() {
    m_f.reset();
    QVERIFY(m_banc.Renouvelle());
    // File after file on the browsing session; the tests of several
    // connections at once ask for them.
    QVERIFY(Reglages::EcritNombre(Reglages::Connexions, 1));
    m_comparaisons.clear();
    m_rafraichissements.clear();
}

// -------------------------------------------------------------- the texts

void TstTransferts::legendes_data() {
    QTest::addColumn<double>("fait");
    QTest::addColumn<int>("total");
    QTest::addColumn<double>("octets");
    QTest::addColumn<double>("secondes");
    QTest::addColumn<QString>("legende");
    QTest::newRow("no time") << 0.0 << 4 << 0.0 << 0.0 << "0/4.";
    QTest::newRow("100 Ko/sec") << 2.0 << 4 << 1024000.0 << 10.0 << "2/4 (100.0 Ko/sec)";
    QTest::newRow("12.5") << 3.0 << 10 << 12800.0 << 1.0 << "3/10 (12.5 Ko/sec)";
    QTest::newRow("grouped") << 9.0 << 10 << 1264189.0 << 1.0 << "9/10 (1 234.6 Ko/sec)";
    QTest::newRow("below one") << 0.0 << 1 << 512.0 << 1.0 << "0/1 (0.5 Ko/sec)";
    QTest::newRow("rounded") << 1.0 << 3 << 102399.0 << 1.0 << "1/3 (100.0 Ko/sec)";
    QTest::newRow("negative time") << 5.0 << 6 << 5000.0 << -3.0 << "5/6.";
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
    QTest::addColumn<double>("largeur"); // of a 4335-twip surface
    QTest::addColumn<QString>("pourcentage");
    QTest::addColumn<QColor>("suivante"); // colour of the next percentage
    QTest::newRow("0 of 4") << 0.0 << 4 << 0.0 << "0.0 %" << Noir;
    QTest::newRow("1 of 3") << 1.0 << 3 << 1445.0 << "33.3 %" << Noir;
    QTest::newRow("below half") << 49.0 << 100 << 2124.15 << "49.0 %" << Noir;
    QTest::newRow("half") << 2.0 << 4 << 2167.5 << "50.0 %" << Blanc;
    QTest::newRow("all") << 4.0 << 4 << 4335.0 << "100.0 %" << Blanc;
    QTest::newRow("beyond") << 6.0 << 4 << 4335.0 << "150.0 %" << Blanc;
    QTest::newRow("no files") << 0.0 << 0 << 0.0 << "" << Blanc;
}

void TstTransferts::barre() {
    QFETCH(double, fait);
    QFETCH(int, total);
    QFETCH(double, largeur);
    QFETCH(QString, pourcentage);
    QFETCH(QColor, suivante);
    QVERIFY(qAbs(LargeurBarre(fait, total, 4335) - largeur) < 0.01);
    QCOMPARE(TexteBarre(fait, total), pourcentage);
    QCOMPARE(CouleurTexteSuivante(fait, total), suivante);
}

void TstTransferts::autresTextes() {
    QCOMPARE(TexteOctetsEnCours(QStringLiteral("a.bin"), 1048576, 4194304, 2),
             QStringLiteral("a.bin : 1 048 576 octets (25.0 %) à 512.0 Ko/sec"));
    QCOMPARE(TexteOctetsEnCours(QStringLiteral("b"), 2048, -1, 0),
             QStringLiteral("b : 2 048 octets"));
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QCOMPARE(LegendeProgression(9, 10, 1264189, 1), QStringLiteral("9/10 (1 234,6 Ko/sec)"));
    QLocale::setDefault(QLocale::c());
    for (const char *nom : {"a.txt", "..a..b", " x "})
        QVERIFY(NomSimpleValide(QLatin1String(nom)));
    for (const char *nom : {"", ".", "..", "a/b", "/etc", "..\\x"})
        QVERIFY2(!NomSimpleValide(QLatin1String(nom)), nom);
}

void TstTransferts::cadre() {
    demarre();
    Progression &p = m_f->progression();
    QVERIFY(u->Frame1->isHidden());
    // Moved to the middle of the window's width, at its own height.
    const int haut = u->Frame1->y();
    m_f->progression().AfficheProgression(0, 4, 0, 0);
    QVERIFY(!u->Frame1->isHidden());
    QVERIFY(qAbs(u->Frame1->x() - (u->centre->width() - u->Frame1->width()) / 2) <= 1);
    QCOMPARE(u->Frame1->y(), haut);
    QCOMPARE(u->Label2->text(), QStringLiteral("0/4."));
    QCOMPARE(p.LargeurBarrePixels(), 0);
    QCOMPARE(p.PourcentageAffiche(), QStringLiteral("0.0 %"));
    QCOMPARE(p.CouleurPourcentage(), Noir);
    // Half: half the surface dark blue; the percentage turns white one call later.
    m_f->progression().AfficheProgression(2, 4, 1024000, 10);
    QCOMPARE(u->Label2->text(), QStringLiteral("2/4 (100.0 Ko/sec)"));
    const int largeur = u->Pprog->contentsRect().width();
    QVERIFY(qAbs(p.LargeurBarrePixels() - largeur / 2) <= 1);
    QCOMPARE(p.CouleurPourcentage(), Noir);
    const QImage image = u->Pprog->pixmap().toImage();
    QCOMPARE(image.pixelColor(2, image.height() / 2), QColor(0, 0, 128));
    QVERIFY(image.pixelColor(largeur - 2, image.height() / 2) != QColor(0, 0, 128));
    m_f->progression().AfficheProgression(3, 4, 0, 0);
    QCOMPARE(p.CouleurPourcentage(), Blanc);
    // No files: shown empty, the caption stays.
    m_f->progression().AfficheProgression(0, 0, 0, 0);
    QCOMPARE(u->Label2->text(), QStringLiteral("3/4."));
    QVERIFY(u->Pprog->pixmap().isNull());
    // A new operation starts empty and black.
    m_f->progression().InitProgression();
    QCOMPARE(u->Label2->text(), QString());
    m_f->progression().AfficheProgression(1, 4, 0, 0);
    QCOMPARE(p.CouleurPourcentage(), Noir);
    // "Annuler" only raises the request.
    u->Command5->click();
    QVERIFY(m_f->etat().CnDl() != 0);
    QVERIFY(!u->Frame1->isHidden());
}

// ---------------------------------------------------------------- folders

void TstTransferts::rapatriement() {
    demarre();
    const QString cle =
        dossierDistant(QStringLiteral("source"), {{"a.txt", 100}, {"b.bin", 70000}, {"c", 0}});
    QVERIFY(m_srv.creeDossier(cle + QStringLiteral("sous/")));
    QVERIFY(m_srv.ecrisFichier(cle + QStringLiteral("sous/profond.txt"), "x"));
    QCOMPARE(rapatrie(), (Lignes{{" > Création du répertoire source", Orange},
                                 {" > Début du chargement des 4 fichiers.", Vert},
                                 {" > Déplacement réussi de 4 fichiers dans source", Vert}}));
    QCOMPARE(m_banc.prompts.demandes[0].titre, QStringLiteral("Attention !!!"));
    QCOMPARE(m_banc.prompts.demandes[0].texte,
             QStringLiteral("Voulez vous copier le répertoire ''source'' dans le répertoire ''") +
                 QDir(m_banc.Local()).dirName() + QStringLiteral("'' ?"));
    // The files and the sub-folder with its own; the lists show the copy.
    const QString copie = m_banc.Local(QStringLiteral("source"));
    QCOMPARE(QDir(copie).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
             (QStringList{"a.txt", "b.bin", "c", "sous"}));
    QCOMPARE(LitFichierLocal(copie + QStringLiteral("/sous/profond.txt")), QByteArray("x"));
    QCOMPARE(LitFichierLocal(copie + QStringLiteral("/b.bin")), OctetsTest(70000));
    QCOMPARE(u->dirLocal->Path(), copie);
    QCOMPARE(u->LabNB[0]->text(), QStringLiteral("3 fichiers."));
    QVERIFY(u->Label2->text().startsWith(QStringLiteral("3/4 (")));
    QVERIFY(u->Frame1->isHidden());
    QVERIFY(m_f->progression().PanneauOctets()->isHidden());

    // Again: the folder exists, its files are replaced, others stay.
    QVERIFY(EcritFichierLocal(copie + QStringLiteral("/a.txt"), "ancien"));
    QVERIFY(EcritFichierLocal(copie + QStringLiteral("/garde"), "garde"));
    m_f->navigateurSite().RafraichitSite(cle);
    u->dirLocal->setPath(m_banc.Local());
    QCOMPARE(rapatrie().first(), (Ligne{" > Répertoire source déjà existant", Orange}));
    QCOMPARE(LitFichierLocal(copie + QStringLiteral("/a.txt")), OctetsTest(100));
    QCOMPARE(LitFichierLocal(copie + QStringLiteral("/garde")), QByteArray("garde"));

    // An empty folder: copied empty, the frame never shown.
    dossierDistant(QStringLiteral("vide"), {});
    bool montre = false;
    {
        Espion espion([&] { montre = montre || !u->Frame1->isHidden(); });
        QCOMPARE(rapatrie(), (Lignes{{" > Création du répertoire vide", Orange},
                                     {" > Début du chargement des 0 fichiers.", Vert},
                                     {" > Déplacement réussi de 0 fichiers dans vide", Vert}}));
    }
    QVERIFY(!montre);
}

void TstTransferts::rapatriementEchoue() {
    demarre();
    dossierDistant(QStringLiteral("site"), {{"a.txt", 10}, {"b.txt", 20}, {"c.txt", 30}});
    // A folder where b.txt should land: that file fails, the others come.
    const QString copie = m_banc.Local(QStringLiteral("site"));
    QVERIFY(QDir().mkpath(copie + QStringLiteral("/b.txt")));
    QCOMPARE(rapatrie(), (Lignes{{" > Répertoire site déjà existant", Orange},
                                 {" > Début du chargement des 3 fichiers.", Vert},
                                 {" > Téléchargement échoué de b.txt", Rouge},
                                 DesErreurs}));
    QCOMPARE(LitFichierLocal(copie + QStringLiteral("/c.txt")), OctetsTest(30));
    QVERIFY(u->Frame1->isHidden());
    // A file where the folder should be made: nothing is downloaded.
    QVERIFY(EcritFichierLocal(m_banc.Local(QStringLiteral("autre")), "fichier"));
    dossierDistant(QStringLiteral("autre"), {{"x.txt", 5}});
    QCOMPARE(rapatrie(), (Lignes{Erreur, DesErreurs}));
    QCOMPARE(LitFichierLocal(m_banc.Local(QStringLiteral("autre"))), QByteArray("fichier"));
    // A site folder that has gone: an error, not "0 files copied".
    const QString parti = dossierDistant(QStringLiteral("parti"), {{"y.txt", 5}});
    QVERIFY(QDir(m_srv.disque(parti)).removeRecursively());
    QCOMPARE(rapatrie(), (Lignes{{" > Création du répertoire parti", Orange}, Erreur, DesErreurs}));
}

void TstTransferts::rapatriementListeEchouee() {
    // The folder can be entered but its listing is refused (550) or cut
    // (426): the copy fails in red, nothing is said to be copied, and the
    // comparison refuses the empty list rather than call every file absent.
    ServeurScripte serveur(QStringLiteral("refused-list"));
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    demarreScripte(serveur, QStringLiteral("/d/"));
    QCOMPARE(u->List4->count(), 3);
    for (const QString nom : {"vide-550", "coupe-426"}) {
        m_f->navigateurSite().RafraichitSite(QStringLiteral("/d/"));
        u->dirLocal->setPath(m_banc.Local());
        QVERIFY(choisisNoeud(nom));
        const Lignes l = rapatrie();
        QCOMPARE(l.size(), 4);
        QCOMPARE(l[0], (Ligne{" > Création du répertoire " + nom, Orange}));
        QVERIFY2(l[1].texte.startsWith(" > Liste du dossier /d/" + nom +
                                       "/ impossible : " + nom.right(3)) &&
                     l[1].couleur == Rouge,
                 qPrintable(l[1].texte));
        QCOMPARE(l[2], Erreur);
        QCOMPARE(l[3], DesErreurs);
        QVERIFY(QDir(m_banc.Local(nom)).isEmpty());
    }
    QCOMPARE(u->List4->count(), 0);
    // Those refusals did not make the next listings drop "-a".
    QVERIFY(m_f->navigateurSite().RafraichitSite(QStringLiteral("/d/")));
    QVERIFY(serveur.journal().trimmed().endsWith(QStringLiteral("> LIST -a")));
    QVERIFY(!m_f->navigateurSite().RafraichitSite(QStringLiteral("/d/vide-550/")));
    QCOMPARE(journal([&] { u->RecDelta[1]->click(); }),
             (Lignes{{" > Comparaison impossible : la liste du site n'a pas pu être lue", Rouge}}));
    QVERIFY(u->List2->isHidden());
}

void TstTransferts::rapatriementSansSuivreLesLiens() {
    // Links already in the local folder, one pointing nowhere, one at a file
    // elsewhere: the copy writes neither through them nor outside, and names
    // the two files it refused. A folder that is itself a link is not entered.
    demarre();
    QTemporaryDir dehors;
    QVERIFY(dehors.isValid());
    const QString ailleurs = dehors.filePath(QStringLiteral("ailleurs"));
    const QString garde = dehors.filePath(QStringLiteral("garde"));
    QVERIFY(EcritFichierLocal(garde, "garde"));
    dossierDistant(QStringLiteral("source"), {{"a.txt", 10}, {"b.txt", 20}, {"x.txt", 30}});
    const QString copie = m_banc.Local(QStringLiteral("source"));
    QVERIFY(QDir().mkdir(copie));
    QVERIFY(QFile::link(ailleurs, copie + QStringLiteral("/x.txt")));
    QVERIFY(QFile::link(garde, copie + QStringLiteral("/b.txt")));
    Lignes attendues{{" > Répertoire source déjà existant", Orange},
                     {" > Début du chargement des 3 fichiers.", Vert}};
    for (const QString &n : dansLOrdre(u->List4, {"b.txt", "x.txt"}))
        attendues << Ligne{QStringLiteral(" > Téléchargement échoué de ") + n, Rouge};
    attendues << DesErreurs;
    QCOMPARE(rapatrie(), attendues);
    QVERIFY(!QFileInfo::exists(ailleurs));
    QCOMPARE(LitFichierLocal(garde), QByteArray("garde"));
    QCOMPARE(LitFichierLocal(copie + QStringLiteral("/a.txt")), OctetsTest(10));
    QCOMPARE(QDir(copie).entryList(
                 QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name),
             (QStringList{"a.txt", "b.txt", "x.txt"}));
    QVERIFY(QFileInfo(copie + QStringLiteral("/x.txt")).isSymLink());
    // The same for a file downloaded into the folder shown.
    u->filLocal->setPath(copie);
    choisis(u->List4, {"x.txt"});
    QCOMPARE(clicSite(10), (Lignes{{" > Téléchargement échoué de x.txt", Rouge}}));
    QVERIFY(!QFileInfo::exists(ailleurs));

    QVERIFY(QFile::link(dehors.path(), m_banc.Local(QStringLiteral("lien"))));
    dossierDistant(QStringLiteral("lien"), {{"f.txt", 5}});
    QCOMPARE(rapatrie(),
             (Lignes{{" > Répertoire lien refusé : c'est un lien symbolique", Rouge}, DesErreurs}));
    QCOMPARE(QDir(dehors.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"garde"});
}

void TstTransferts::arbreDansLesDeuxSens() {
    // Three levels down and back: every file of the tree comes with its
    // content, empty folders too; the count is the tree's.
    demarre();
    const QMap<QString, QByteArray> fichiers{{"a.txt", OctetsTest(10)},
                                             {"n1/b.txt", OctetsTest(20)},
                                             {"n1/n2/c.bin", OctetsTest(70000)},
                                             {"n1/n2/n3/d.txt", OctetsTest(1)},
                                             {"n1/autre/e.txt", OctetsTest(5)}};
    const QString cle = m_dossier + QStringLiteral("arbre/");
    for (auto it = fichiers.cbegin(); it != fichiers.cend(); ++it) {
        QVERIFY(m_srv.creeDossier(cle + it.key().section(u'/', 0, -2)));
        QVERIFY(m_srv.ecrisFichier(cle + it.key(), it.value()));
    }
    QVERIFY(m_srv.creeDossier(cle + QStringLiteral("vide/sous/")));
    m_f->navigateurSite().RafraichitSite(cle);
    u->dirLocal->setPath(m_banc.Local());
    QCOMPARE(rapatrie(), (Lignes{{" > Création du répertoire arbre", Orange},
                                 {" > Début du chargement des 5 fichiers.", Vert},
                                 {" > Déplacement réussi de 5 fichiers dans arbre", Vert}}));
    const QString copie = m_banc.Local(QStringLiteral("arbre"));
    for (auto it = fichiers.cbegin(); it != fichiers.cend(); ++it)
        QCOMPARE(LitFichierLocal(copie + u'/' + it.key()), it.value());
    QVERIFY(QFileInfo(copie + QStringLiteral("/vide/sous")).isDir());
    QVERIFY(u->Label2->text().startsWith(QStringLiteral("4/5 (")));

    // A file that can't land and a folder that can't be made are named, and
    // the summary is the error one, not a success over part of the tree.
    QVERIFY(QDir(copie).removeRecursively());
    QVERIFY(QDir().mkpath(copie + QStringLiteral("/n1/n2/c.bin")));
    QVERIFY(EcritFichierLocal(copie + QStringLiteral("/n1/n2/n3"), "bouchon"));
    m_f->navigateurSite().RafraichitSite(cle);
    u->dirLocal->setPath(m_banc.Local());
    QCOMPARE(rapatrie(), (Lignes{{" > Répertoire arbre déjà existant", Orange},
                                 {" > Début du chargement des 5 fichiers.", Vert},
                                 {" > Création échouée du répertoire n1/n2/n3", Rouge},
                                 {" > Téléchargement échoué de n1/n2/c.bin", Rouge},
                                 DesErreurs}));
    QCOMPARE(LitFichierLocal(copie + QStringLiteral("/n1/autre/e.txt")), OctetsTest(5));
    QCOMPARE(LitFichierLocal(copie + QStringLiteral("/n1/n2/n3")), QByteArray("bouchon"));

    // Up: a local tree with a link to a file (sent as the file) and a link
    // back up the tree (not followed: no loop).
    const QString local = m_banc.Local(QStringLiteral("montee"));
    QVERIFY(QDir().mkpath(local + QStringLiteral("/p1/p2/p3")));
    const QMap<QString, QByteArray> envoyes{{"x.txt", OctetsTest(3)},
                                            {"p1/y.txt", OctetsTest(4000)},
                                            {"p1/p2/z.bin", OctetsTest(300000)},
                                            {"p1/p2/p3/w.txt", OctetsTest(7)}};
    for (auto it = envoyes.cbegin(); it != envoyes.cend(); ++it)
        QVERIFY(EcritFichierLocal(local + u'/' + it.key(), it.value()));
    QVERIFY(QFile::link(QStringLiteral("../../../x.txt"),
                        local + QStringLiteral("/p1/p2/p3/lien.txt")));
    QVERIFY(QFile::link(QStringLiteral("../.."), local + QStringLiteral("/p1/p2/boucle")));
    // What a cut download of this program left is no file of the user's.
    QVERIFY(EcritFichierLocal(local + QStringLiteral("/p1/.v.txt.quillon-partiel"), "moitié"));
    QVERIFY(EcritFichierLocal(local + QStringLiteral("/p1/.v.txt.quillon-reprise"), "origine"));
    dossierLocal(QStringLiteral("montee"), {});
    QCOMPARE(envoie(), (Lignes{{" > Création du répertoire montee", Orange},
                               {" > Téléchargement vers site du dossier montee", Vert},
                               {" > Lien symbolique p1/p2/boucle non suivi", Orange},
                               {" > Déplacement réussi de 5 fichiers dans montee", Vert}}));
    const QString cible = m_dossier + QStringLiteral("montee/");
    for (auto it = envoyes.cbegin(); it != envoyes.cend(); ++it)
        QCOMPARE(m_srv.litFichier(cible + it.key()), it.value());
    QCOMPARE(m_srv.litFichier(cible + QStringLiteral("p1/p2/p3/lien.txt")), OctetsTest(3));
    QVERIFY(!QFileInfo(m_srv.disque(cible + QStringLiteral("p1/p2/p3/lien.txt"))).isSymLink());
    QCOMPARE(m_srv.contenu(cible + QStringLiteral("p1/p2")), (QStringList{"p3", "z.bin"}));
    QCOMPARE(m_srv.contenu(cible + QStringLiteral("p1")), (QStringList{"p2", "y.txt"}));
}

void TstTransferts::arbreHostileEtSansFin() {
    // Names at depth that would lead outside the copy are never used, a link
    // on the server pointing back up is tried as a file and named when it
    // fails; a tree without end stops at the depth bound, copying nothing.
    ServeurScripte serveur(QStringLiteral("tree"));
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    demarreScripte(serveur, QStringLiteral("/t/"));
    // A folder of its own, so that the one above it is private too: names
    // escaping upwards are looked for there, never in the shared /tmp.
    const QString racine = m_banc.Local(QStringLiteral("arbre"));
    QVERIFY(QDir().mkpath(racine));
    u->dirLocal->setPath(racine);
    QVERIFY(choisisNoeud(QStringLiteral("hostile")));
    QCOMPARE(rapatrie(), (Lignes{{" > Création du répertoire hostile", Orange},
                                 {" > Début du chargement des 3 fichiers.", Vert},
                                 {" > Téléchargement échoué de n1/n2/boucle", Rouge},
                                 DesErreurs}));
    QStringList ecrits;
    for (QDirIterator it(racine,
                         QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        ecrits << it.next();
    for (const char *dehors : {"evade.txt", "haut", "passwd", "b", "x"})
        QVERIFY(!QFileInfo::exists(QFileInfo(racine).path() + u'/' + QLatin1String(dehors)));
    const QString base = racine + QStringLiteral("/hostile");
    for (const QString &chemin : ecrits)
        QVERIFY2(chemin == base || chemin.startsWith(base + u'/'), qPrintable(chemin));
    QCOMPARE(LitFichierLocal(base + QStringLiteral("/haut.txt")), QByteArray("top of the tree"));
    QCOMPARE(LitFichierLocal(base + QStringLiteral("/n1/n2/ok.txt")), QByteArray("ok at depth"));
    QCOMPARE(QDir(base + QStringLiteral("/n1/n2"))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{"ok.txt"});
    QVERIFY(!serveur.journal().contains(QStringLiteral("RETR /t/hostile/n1/n2/..")));

    m_f->navigateurSite().RafraichitSite(QStringLiteral("/t/"));
    u->dirLocal->setPath(racine);
    QVERIFY(choisisNoeud(QStringLiteral("sans-fin")));
    const QString profond =
        QStringList(ArbreTransfert::ProfondeurMax + 1, QStringLiteral("d")).join(u'/');
    QCOMPARE(rapatrie(),
             (Lignes{{" > Création du répertoire sans-fin", Orange},
                     {QStringLiteral(" > Arborescence trop profonde : plus de 64 niveaux sous ") +
                          profond + QStringLiteral(", copie arrêtée"),
                      Rouge},
                     DesErreurs}));
    QVERIFY(QDir(racine + QStringLiteral("/sans-fin")).isEmpty());
}

void TstTransferts::arbreAnnule() {
    // "Annuler" during a file deep in the tree: that file completes, the
    // next ones are not sent, and the summary says it was cancelled.
    demarre();
    const QString chemin = m_banc.Local(QStringLiteral("annule"));
    QVERIFY(QDir().mkpath(chemin + QStringLiteral("/s1/s2")));
    for (const char *f : {"f1", "s1/f2", "s1/s2/f3", "s1/s2/f4"})
        QVERIFY(EcritFichierLocal(chemin + u'/' + QLatin1String(f), OctetsTest(1000)));
    dossierLocal(QStringLiteral("annule"), {});
    bool clique = false;
    Lignes vues;
    {
        Espion espion([&] {
            if (!clique && m_f->progression().PanneauOctets()->text().startsWith(
                               QStringLiteral("s1/s2/f3 : "))) {
                clique = true;
                u->Command5->click();
            }
        });
        vues = envoie();
    }
    QVERIFY(clique);
    const QString cible = m_dossier + QStringLiteral("annule/");
    QCOMPARE(m_srv.contenu(cible + QStringLiteral("s1/s2")), QStringList{"f3"});
    QCOMPARE(m_srv.litFichier(cible + QStringLiteral("s1/f2")), OctetsTest(1000));
    QCOMPARE(vues.last(), Annule);
    QVERIFY(u->Frame1->isHidden());
}

void TstTransferts::arbreParallele() {
    // Three connections at once, down and back up: every file byte for
    // byte, the count the tree's, the status bar adding the connections up.
    demarre();
    QVERIFY(Reglages::EcritNombre(Reglages::Connexions, 3));
    QMap<QString, QByteArray> fichiers{{"n1/n2/gros.bin", OctetsTest(3 * 1024 * 1024 + 1)},
                                       {"vide.txt", QByteArray()}};
    for (int i = 0; i < 10; ++i)
        fichiers.insert(QStringLiteral("n%1/f%2.bin").arg(i % 3).arg(i), OctetsTest(1000 * i + 7));
    const QString cle = m_dossier + QStringLiteral("para/");
    for (auto it = fichiers.cbegin(); it != fichiers.cend(); ++it) {
        QVERIFY(m_srv.creeDossier(cle + it.key().section(u'/', 0, -2)));
        QVERIFY(m_srv.ecrisFichier(cle + it.key(), it.value()));
    }
    m_f->navigateurSite().RafraichitSite(cle);
    u->dirLocal->setPath(m_banc.Local());
    QStringList panneau;
    const auto rapatrieEtVoit = [&] {
        Espion espion([&] {
            const QString t = m_f->progression().PanneauOctets()->text();
            if (!t.isEmpty() && (panneau.isEmpty() || panneau.last() != t))
                panneau << t;
        });
        return rapatrie();
    };
    QCOMPARE(rapatrieEtVoit(), (Lignes{{" > Création du répertoire para", Orange},
                                       {" > Début du chargement des 12 fichiers.", Vert},
                                       {" > Déplacement réussi de 12 fichiers dans para", Vert}}));
    const QString copie = m_banc.Local(QStringLiteral("para"));
    for (auto it = fichiers.cbegin(); it != fichiers.cend(); ++it)
        QCOMPARE(LitFichierLocal(copie + u'/' + it.key()), it.value());
    QVERIFY(u->Label2->text().startsWith(QStringLiteral("12/12 (")));
    QVERIFY2(!panneau.isEmpty() && panneau.last().startsWith(QStringLiteral("3 connexions : ")),
             qPrintable(panneau.join(u'|')));
    // The browsing session is left as it was: it still lists.
    QVERIFY(m_f->navigateurSite().RafraichitSite(cle));

    QVERIFY(QDir().rename(copie, m_banc.Local(QStringLiteral("retour"))));
    dossierLocal(QStringLiteral("retour"), {});
    QCOMPARE(envoie(), (Lignes{{" > Création du répertoire retour", Orange},
                               {" > Téléchargement vers site du dossier retour", Vert},
                               {" > Déplacement réussi de 12 fichiers dans retour", Vert}}));
    for (auto it = fichiers.cbegin(); it != fichiers.cend(); ++it)
        QCOMPARE(m_srv.litFichier(m_dossier + QStringLiteral("retour/") + it.key()), it.value());
}

void TstTransferts::arbreParalleleCoupeEtAnnule() {
    // A connection that drops during a file: that file is named, the other
    // connections bring the rest, and the summary is the error one. No
    // transfer goes over the browsing connection (the server's first).
    const QString racine = m_banc.Local(QStringLiteral("arbre"));
    QVERIFY(QDir().mkpath(racine));
    QMap<QString, QByteArray> fichiers;
    for (int i = 1; i <= 8; ++i)
        fichiers.insert((i > 6 ? QStringLiteral("sous/m%1.bin") : QStringLiteral("m%1.bin")).arg(i),
                        OctetsTest(50000 + i));
    QVERIFY(Reglages::EcritNombre(Reglages::Connexions, 3));
    {
        ServeurScripte serveur(QStringLiteral("tree"), {QStringLiteral("drop=m3.bin")});
        QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
        demarreScripte(serveur, QStringLiteral("/t/"));
        u->dirLocal->setPath(racine);
        QVERIFY(choisisNoeud(QStringLiteral("multi")));
        QCOMPARE(rapatrie(), (Lignes{{" > Création du répertoire multi", Orange},
                                     {" > Début du chargement des 8 fichiers.", Vert},
                                     {" > Téléchargement échoué de m3.bin", Rouge},
                                     DesErreurs}));
        const QString copie = racine + QStringLiteral("/multi/");
        for (auto it = fichiers.cbegin(); it != fichiers.cend(); ++it)
            QCOMPARE(LitFichierLocal(copie + it.key()),
                     it.key() == QLatin1String("m3.bin") ? QByteArray("<absent>") : it.value());
        QCOMPARE(QDir(copie).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 (QStringList{"m1.bin", "m2.bin", "m4.bin", "m5.bin", "m6.bin"}));
        const QString journal = serveur.journal();
        QSet<QString> connexions;
        for (const QString &ligne : journal.split(u'\n'))
            if (ligne.contains(QLatin1String("> RETR ")))
                connexions.insert(ligne.section(u'>', 0, 0));
        QVERIFY2(!connexions.contains(QStringLiteral("1")), qPrintable(journal));
        QVERIFY2(connexions.size() >= 2, qPrintable(journal));
        m_f.reset();
    }

    // "Annuler" while every connection is in the middle of a file: each
    // abandons its own, no file (whole, partial or temporary) is left, and
    // every transfer connection is closed.
    QVERIFY(QDir(racine).removeRecursively() && QDir().mkpath(racine));
    ServeurScripte lent(QStringLiteral("tree"), {QStringLiteral("slow=yes")});
    QVERIFY2(lent.demarre(), qPrintable(lent.erreur()));
    demarreScripte(lent, QStringLiteral("/t/"));
    u->dirLocal->setPath(racine);
    QVERIFY(choisisNoeud(QStringLiteral("multi")));
    bool clique = false;
    Lignes vues;
    {
        Espion espion([&] {
            const QString t = m_f->progression().PanneauOctets()->text();
            if (!clique && t.startsWith(QStringLiteral("3 connexions : ")) &&
                !t.startsWith(QStringLiteral("3 connexions : 0 octets"))) {
                clique = true;
                u->Command5->click();
            }
        });
        vues = rapatrie();
    }
    QVERIFY(clique);
    QCOMPARE(vues, (Lignes{{" > Création du répertoire multi", Orange},
                           {" > Début du chargement des 8 fichiers.", Vert},
                           Annule}));
    QStringList restes;
    for (QDirIterator it(racine, QDir::Files | QDir::Hidden | QDir::System,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        restes << it.next();
    QVERIFY2(restes.isEmpty(), qPrintable(restes.join(u' ')));
    QVERIFY(u->Frame1->isHidden());
    // Only the browsing connection stays.
    QTRY_COMPARE(lent.journal().count(QStringLiteral("-conn")),
                 lent.journal().count(QStringLiteral("+conn")) - 1);
    QVERIFY(lent.journal().count(QStringLiteral("+conn")) >= 3);

    // Closing the window meanwhile stops the copy the same way, then closes.
    QVERIFY(QDir(racine).removeRecursively() && QDir().mkpath(racine));
    m_f->navigateurSite().RafraichitSite(QStringLiteral("/t/"));
    u->dirLocal->setPath(racine);
    QVERIFY(choisisNoeud(QStringLiteral("multi")));
    bool ferme = false;
    {
        Espion espion([&] {
            const QString t = m_f->progression().PanneauOctets()->text();
            if (!ferme && t.startsWith(QStringLiteral("3 connexions : ")) &&
                !t.startsWith(QStringLiteral("3 connexions : 0 octets"))) {
                ferme = true;
                m_f->close();
            }
        });
        vues = rapatrie();
    }
    QVERIFY(ferme);
    QCOMPARE(vues.last(), Annule);
    QVERIFY(m_f->isVisible());
    QTRY_VERIFY(!m_f->isVisible());
    QDirIterator fichiersRestes(racine, QDir::Files | QDir::Hidden | QDir::System,
                                QDirIterator::Subdirectories);
    QVERIFY(!fichiersRestes.hasNext());
}

void TstTransferts::nomsEnDeuxCodages() {
    // "été.txt" in Latin-1 and in UTF-8 on the same server: two entries, each
    // copied with its own content under its own local name, and a delete
    // removes the one chosen.
    ServeurScripte serveur(QStringLiteral("two-encodings"));
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    demarreScripte(serveur, QStringLiteral("/n/"));
    const QString utf8 = QStringLiteral("été.txt");
    const QString latin1 = QStringLiteral("é\u034ft\u00e9\u034f.txt");
    QCOMPARE(textes(u->List4), (QStringList{latin1, utf8, "plain.txt"}));
    u->dirLocal->setPath(m_banc.Local());
    QVERIFY(choisisNoeud(QStringLiteral("n")));
    QCOMPARE(rapatrie().last(), (Ligne{" > Déplacement réussi de 3 fichiers dans n", Vert}));
    QCOMPARE(LitFichierLocal(m_banc.Local(QStringLiteral("n/")) + utf8),
             QByteArray("utf-8 content, longer"));
    QCOMPARE(LitFichierLocal(m_banc.Local(QStringLiteral("n/")) + latin1),
             QByteArray("latin-1 content"));

    m_f->navigateurSite().RafraichitSite(QStringLiteral("/n/"));
    choisis(u->List4, {latin1});
    QCOMPARE(clicSite(4), (Lignes{{" > Suppresion du fichier " + latin1, Orange}}));
    QCOMPARE(textes(u->List4), (QStringList{utf8, "plain.txt"}));
    QVERIFY(serveur.journal().contains(QStringLiteral("> DELE /n/\\udce9t\\udce9.txt")));
}

void TstTransferts::rapatriementDuDossierPresse() {
    // The mouse pressed on folder Y of the tree, dragged across folder X's
    // row onto the folder list: Y is the one asked about and copied.
    demarre();
    QVERIFY(QTest::qWaitForWindowExposed(m_f.get()));
    for (const char *nom : {"xdossier", "ydossier"}) {
        QVERIFY(m_srv.creeDossier(m_dossier + QLatin1String(nom) + u'/'));
        QVERIFY(m_srv.ecrisFichier(
            m_dossier + QLatin1String(nom) + QStringLiteral("/dans-") + QLatin1String(nom), "x"));
    }
    QTreeWidgetItem *x = nullptr, *y = nullptr;
    const auto liste = [&] {
        m_f->navigateurSite().RafraichitSite(m_dossier);
        u->dirLocal->setPath(m_banc.Local());
        for (QTreeWidgetItemIterator it(u->trvSiteDir); *it; ++it) {
            if ((*it)->text(0) == QLatin1String("xdossier"))
                x = *it;
            if ((*it)->text(0) == QLatin1String("ydossier"))
                y = *it;
        }
    };
    liste();
    QVERIFY(x && y);
    QWidget *vue = u->trvSiteDir->viewport();
    const auto centre = [&](QTreeWidgetItem *n) {
        return u->trvSiteDir->visualItemRect(n).center();
    };
    const QPoint surDossiers =
        vue->mapFromGlobal(u->dirLocal->mapToGlobal(u->dirLocal->rect().center()));
    // The moves go to the tree, which holds the mouse from the press on.
    const auto bouge = [&](const QPoint &p) {
        QMouseEvent e(QEvent::MouseMove, p, vue->mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(vue, &e);
    };
    m_banc.prompts.reponses << Prompts::Bouton::Oui;
    QTreeWidgetItem *surX = nullptr;
    const Lignes journalRapatriement = journal([&] {
        QTest::mousePress(vue, Qt::LeftButton, {}, centre(y));
        bouge(centre(y) + QPoint(0, 3));
        bouge(centre(x));
        surX = u->trvSiteDir->currentItem();
        bouge(surDossiers);
        QTest::mouseRelease(vue, Qt::LeftButton, {}, surDossiers);
    });
    QCOMPARE(m_banc.prompts.demandes.size(), 1);
    QVERIFY2(m_banc.prompts.demandes[0].texte.contains(QStringLiteral("''ydossier''")),
             qPrintable(m_banc.prompts.demandes[0].texte));
    QCOMPARE(journalRapatriement.last(),
             (Ligne{" > Déplacement réussi de 1 fichiers dans ydossier", Vert}));
    QCOMPARE(QDir(m_banc.Local(QStringLiteral("ydossier"))).entryList(QDir::Files),
             QStringList{"dans-ydossier"});
    QVERIFY(!QFileInfo::exists(m_banc.Local(QStringLiteral("xdossier"))));
    // The selection stayed on Y all along, and the site views end on Y with
    // its node selected: a file dropped on the site list next goes there.
    QCOMPARE(surX, y);
    QCOMPARE(m_f->Ui().CleNoeudSelectionne(), m_dossier + QStringLiteral("ydossier/"));

    // Pressed on X, the selection moved by the keyboard meanwhile: X still.
    liste();
    m_banc.prompts.reponses << Prompts::Bouton::Non;
    QTest::mousePress(vue, Qt::LeftButton, {}, centre(x));
    QTest::keyClick(u->trvSiteDir, Qt::Key_Down);
    QCOMPARE(u->trvSiteDir->currentItem(), y);
    bouge(surDossiers);
    QTest::mouseRelease(vue, Qt::LeftButton, {}, surDossiers);
    QCOMPARE(m_banc.prompts.demandes.size(), 2);
    QVERIFY2(m_banc.prompts.demandes[1].texte.contains(QStringLiteral("''xdossier''")),
             qPrintable(m_banc.prompts.demandes[1].texte));
}

void TstTransferts::envoi() {
    demarre();
    const QMap<QString, int> cinq{
        {"1.txt", 10}, {"2.txt", 2000}, {"3.bin", 300000}, {"4.txt", 0}, {"5.txt", 5}};
    const QString chemin = dossierLocal(QStringLiteral("envoi"), cinq);
    QDir().mkdir(chemin + QStringLiteral("/sous"));
    QCOMPARE(envoie(), (Lignes{{" > Création du répertoire envoi", Orange},
                               {" > Téléchargement vers site du dossier envoi", Vert},
                               {" > Déplacement réussi de 5 fichiers dans envoi", Vert}}));
    QCOMPARE(m_banc.prompts.demandes[0].texte,
             QStringLiteral("Voulez vous copier le répertoire ''envoi'' dans le répertoire ''") +
                 m_dossier.mid(1).chopped(1) + QStringLiteral("'' ?"));
    const QString cible = m_dossier + QStringLiteral("envoi/");
    // The empty sub-folder is made too.
    QCOMPARE(m_srv.contenu(cible), QStringList(cinq.keys()) << QStringLiteral("sous"));
    QCOMPARE(m_srv.litFichier(cible + QStringLiteral("3.bin")), OctetsTest(300000));
    QCOMPARE(m_f->Ui().CleNoeudSelectionne(), cible);
    QCOMPARE(u->List4->count(), 5);
    QCOMPARE(u->dirLocal->Path(), chemin);
    QVERIFY(u->Label2->text().startsWith(QStringLiteral("4/5 (")));
    QVERIFY(u->Frame1->isHidden());
    // Again: the site folder is reported, then used.
    dossierLocal(QStringLiteral("envoi"), {{"1.txt", 11}});
    QCOMPARE(envoie().first(), (Ligne{" > Répertoire envoi déjà présent.", Orange}));
    QCOMPARE(m_srv.litFichier(cible + QStringLiteral("1.txt")), OctetsTest(11));
}

void TstTransferts::envoiAnnuleAuTroisiemeFichier() {
    demarre();
    dossierLocal(QStringLiteral("cinq"),
                 {{"f1", 1000}, {"f2", 1000}, {"f3", 1000}, {"f4", 1000}, {"f5", 1000}});
    m_f->etat().DefinitCnDl(-1); // a request from before is forgotten at the start
    bool clique = false, visibleAuClic = false;
    Lignes vues;
    {
        Espion espion([&] {
            const QString enCours = m_f->progression().PanneauOctets()->text();
            // Other buttons wait for the end: pressed now, they do nothing.
            if (enCours.startsWith(QStringLiteral("f2 : ")))
                u->BTs[2]->click();
            if (!clique && enCours.startsWith(QStringLiteral("f3 : "))) {
                clique = true;
                visibleAuClic = !u->Frame1->isHidden() && u->Command5->isEnabled();
                u->Command5->click();
            }
        });
        vues = envoie();
    }
    QVERIFY(clique && visibleAuClic);
    QCOMPARE(m_banc.prompts.demandes.size(), 1);
    // The file on its way completes; the next ones are not sent.
    QCOMPARE(m_srv.contenu(m_dossier + QStringLiteral("cinq/")), (QStringList{"f1", "f2", "f3"}));
    QCOMPARE(vues.last(), Annule);
    QVERIFY(u->Frame1->isHidden());
    QVERIFY(m_f->etat().CnDl() != 0);
}

void TstTransferts::envoiEchoue() {
    demarre();
    dossierLocal(QStringLiteral("lot"), {{"a.txt", 1}, {"b.txt", 2}, {"c.txt", 3}});
    // A folder of that name on the site: b.txt can't be stored.
    QVERIFY(m_srv.creeDossier(m_dossier + QStringLiteral("lot/b.txt/")));
    QCOMPARE(envoie(), (Lignes{{" > Répertoire lot déjà présent.", Orange},
                               {" > Téléchargement vers site du dossier lot", Vert},
                               {" > ''Upload'' échoué de b.txt", Rouge},
                               DesErreurs}));
    QCOMPARE(m_srv.litFichier(m_dossier + QStringLiteral("lot/c.txt")), OctetsTest(3));
    // A file where the site folder should be: neither created nor present.
    QVERIFY(m_srv.ecrisFichier(m_dossier + QStringLiteral("bloque"), "fichier"));
    dossierLocal(QStringLiteral("bloque"), {{"a.txt", 1}});
    QCOMPARE(envoie(), (Lignes{Erreur, DesErreurs}));
    QCOMPARE(m_srv.litFichier(m_dossier + QStringLiteral("bloque")), QByteArray("fichier"));
    QVERIFY(u->Frame1->isHidden());
    // The root of the disk has no name to give a site folder.
    u->dirLocal->setPath(QStringLiteral("/"));
    QCOMPARE(envoie(), (Lignes{Erreur, DesErreurs}));
}

void TstTransferts::grosFichierVisible() {
    // One long file: its bytes show in the status bar while the frame and
    // "Annuler" are up.
    demarre();
    dossierLocal(QStringLiteral("gros"), {{"gros.bin", 24 * 1024 * 1024}});
    QStringList vus;
    bool cadre = true;
    {
        Espion espion([&] {
            if (!oFTP || !oFTP->EnCours())
                return;
            vus << m_f->progression().PanneauOctets()->text();
            cadre = cadre && !u->Frame1->isHidden();
        });
        envoie();
    }
    QVERIFY(!vus.isEmpty() && cadre);
    QVERIFY2(vus.last().startsWith(QStringLiteral("gros.bin : ")), qPrintable(vus.last()));
    QVERIFY2(vus.last().contains(QStringLiteral(" octets (")), qPrintable(vus.last()));
    QVERIFY(m_f->progression().PanneauOctets()->isHidden());
}

// "Annuler" during a download stops it: its bytes wait in the hidden partial
// file, and the next download continues from them, says so in the log and
// ends with the server's file. A cut connection, then a drop of the file,
// does the same; a file changed on the site meanwhile starts over.
void TstTransferts::telechargementInterrompuPuisRepris() {
    demarre();
    const QByteArray contenu = OctetsTest(48 * 1024 * 1024 + 5);
    QVERIFY(m_srv.ecrisFichier(m_dossier + QStringLiteral("gros.bin"), contenu));
    m_f->navigateurSite().RafraichitSite(m_dossier);
    const QString partiel = m_banc.Local(QStringLiteral(".gros.bin.quillon-partiel"));
    bool clique = false;
    Lignes vues;
    choisis(u->List4, {QStringLiteral("gros.bin")});
    {
        Espion espion([&] {
            if (!clique && QFileInfo(partiel).size() > 0) {
                clique = true;
                u->Command5->click();
            }
        });
        vues = clicSite(10);
    }
    QVERIFY(clique);
    QCOMPARE(vues, (Lignes{{" > Téléchargement échoué de gros.bin", Rouge}, Annule}));
    QVERIFY(!QFile::exists(m_banc.Local(QStringLiteral("gros.bin"))));
    const qint64 recus = QFileInfo(partiel).size();
    QVERIFY2(recus > 0 && recus < contenu.size(), qPrintable(QString::number(recus)));
    QCOMPARE(LitFichierLocal(partiel), contenu.left(recus));

    choisis(u->List4, {QStringLiteral("gros.bin")});
    QCOMPARE(clicSite(10),
             (Lignes{{QStringLiteral(" > Reprise de gros.bin à %1 octets").arg(recus), Vert},
                     {" > Téléchargement réussi de gros.bin", Vert}}));
    QCOMPARE(LitFichierLocal(m_banc.Local(QStringLiteral("gros.bin"))), contenu);
    QCOMPARE(QDir(m_banc.Local()).entryList(QDir::Files | QDir::Hidden).count(u".quillon-"), 0);
    m_f.reset();

    for (const bool change : {false, true}) {
        QVERIFY(m_banc.Renouvelle());
        ServeurScripte serveur(QStringLiteral("resume"),
                               change ? QStringList{"change=yes"} : QStringList{});
        QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
        demarreScripte(serveur, QStringLiteral("/"));
        const auto depose = [&] {
            choisis(u->List4, {QStringLiteral("gros.bin")});
            return journal([&] { m_f->glisserDeposer().filLocal_DragDrop(u->List4); });
        };
        const Ligne debut{" > Début du téléchargement de gros.bin", Vert};
        QCOMPARE(depose(), (Lignes{debut, {" > Téléchargement échoué de gros.bin", Rouge}}));
        const Ligne reprise =
            change ? Ligne{" > gros.bin a changé sur le site : téléchargement complet", Orange}
                   : Ligne{QStringLiteral(" > Reprise de gros.bin à %1 octets")
                               .arg((3 * 1024 * 1024 + 17) / 2),
                           Vert};
        QCOMPARE(depose(),
                 (Lignes{debut, reprise, {" > Téléchargement réussi de gros.bin", Vert}}));
        QByteArray attendu = OctetsTest(3 * 1024 * 1024 + 17);
        if (change) {
            attendu = QByteArray(2 << 20, Qt::Uninitialized);
            for (qsizetype i = 0; i < attendu.size(); ++i)
                attendu[i] = char(255 - (i & 0xFF));
            attendu += "changed";
        }
        QCOMPARE(LitFichierLocal(m_banc.Local(QStringLiteral("gros.bin"))), attendu);
        m_f.reset();
    }
}

void TstTransferts::refus() {
    demarre();
    // Download declined: nothing made, nothing logged.
    dossierDistant(QStringLiteral("non"), {{"a.txt", 1}});
    QCOMPARE(rapatrie(Prompts::Bouton::Non), Lignes{});
    QVERIFY(!QFileInfo::exists(m_banc.Local(QStringLiteral("non"))));
    // Upload declined: only the folder list has moved into the folder.
    const QString chemin = dossierLocal(QStringLiteral("local"), {{"a.txt", 1}});
    QCOMPARE(envoie(Prompts::Bouton::Non), Lignes{});
    QCOMPARE(m_srv.contenu(m_dossier).size(), 5);
    QCOMPARE(u->dirLocal->Path(), chemin);
    QVERIFY(u->Frame1->isHidden());
    // Without a site folder nothing is asked.
    u->trvSiteDir->clearSelection();
    rapatrie();
    QCOMPARE(m_banc.prompts.demandes.size(), 2);
}

void TstTransferts::rienPendantQueLaListeSeRemplit() {
    // A long folder fills the site list in steps; a folder copy, a drop, or
    // a button that reads the list, taken between two steps, is refused with
    // a line: none works on the part listed so far.
    demarre();
    const QString longue = m_dossier + QStringLiteral("longue/");
    QVERIFY(m_srv.creeDossier(longue));
    const int n = 2 * NavigateurSite::EntreesParPas + 500;
    for (int i = 0; i < n; ++i)
        QVERIFY(EcritFichierLocal(m_srv.disque(longue) + QStringLiteral("/f%1").arg(i), ""));
    dossierLocal(QStringLiteral("envoi"), {{"a.txt", 1}});
    u->filLocal->setPath(m_banc.Local());
    u->filLocal->setSelected(0, true);
    const Ligne refus{QStringLiteral(" > Opération refusée : la liste du site est en cours de "
                                     "chargement"),
                      Orange};
    Lignes pendant;
    int partielle = -1;
    {
        Espion espion([&] {
            // Between two steps of the filling (not during the listing's
            // own FTP call, which refuses everything anyway).
            if (partielle >= 0 || !m_f->navigateurSite().ListeEnCours() || oFTP->EnCours() ||
                u->List5->count() == 0)
                return;
            partielle = u->List5->count();
            pendant += rapatrie();
            pendant += envoie();
            for (int bouton : {1, 4, 10})
                pendant += clicSite(bouton);
            pendant += clicLocal(10);
            pendant += journal([&] { m_f->glisserDeposer().DragDrop(u->filLocal, u->List4); });
        });
        m_f->navigateurSite().RafraichitSite(longue);
    }
    QVERIFY(partielle > 0 && partielle < n);
    QCOMPARE(pendant, Lignes(7, refus));
    QVERIFY(m_banc.prompts.demandes.isEmpty());
    QVERIFY(!QFileInfo::exists(m_banc.Local(QStringLiteral("envoi/longue"))));
    QCOMPARE(m_srv.contenu(longue).size(), n);
    QCOMPARE(u->List4->count(), n);
    // Once filled, the same copy is asked for as usual.
    QVERIFY(!m_f->navigateurSite().ListeEnCours());
    m_banc.prompts.reponses.clear();
    rapatrie(Prompts::Bouton::Non);
    QCOMPARE(m_banc.prompts.demandes.size(), 1);
}

// --------------------------------------------------------------- site row

void TstTransferts::siteNavigationEtDossiers() {
    demarre();
    m_srv.creeDossier(m_dossier + QStringLiteral("existe/"));
    m_srv.ecrisFichier(m_dossier + QStringLiteral("existe/x"), "x");
    m_srv.creeDossier(m_dossier + QStringLiteral("vide/"));
    // Up one level; nothing above the root; no folder selected: the error.
    m_f->navigateurSite().RafraichitSite(m_dossier + QStringLiteral("vide/"));
    QCOMPARE(clicSite(1), Lignes{});
    QCOMPARE(m_f->Ui().CleNoeudSelectionne(), m_dossier);
    m_f->navigateurSite().RafraichitSite(QStringLiteral("/"));
    QCOMPARE(clicSite(1), Lignes{});
    QCOMPARE(m_f->Ui().CleNoeudSelectionne(), QStringLiteral("/"));
    u->trvSiteDir->clearSelection();
    QCOMPARE(clicSite(1), Lignes{Erreur});
    // "Rafraichir" lists the folder again.
    m_f->navigateurSite().RafraichitSite(m_dossier);
    m_srv.ecrisFichier(m_dossier + QStringLiteral("e.txt"), "e");
    clicSite(0);
    QVERIFY(textes(u->List4).contains(QStringLiteral("e.txt")));

    // Create: a plain name; a separator, "..", an existing folder refused;
    // an empty or cancelled prompt does nothing.
    m_banc.prompts.saisies << QStringLiteral("neuf") << QStringLiteral("x/y")
                           << QStringLiteral("..") << QStringLiteral("existe") << QString()
                           << std::nullopt;
    QCOMPARE(clicSite(2), (Lignes{{" > Création du répertoire neuf", Orange}}));
    QCOMPARE(m_banc.prompts.demandes[0].titre, QStringLiteral("Création"));
    QCOMPARE(m_banc.prompts.demandes[0].texte, QStringLiteral("Nom du nouveau répertoire:"));
    QVERIFY(m_srv.existe(m_dossier + QStringLiteral("neuf")));
    QCOMPARE(u->trvSiteDir->selectedItems().first()->childCount(), 3);
    for (const Lignes &attendues :
         {Lignes{Erreur}, Lignes{Erreur}, Lignes{Erreur}, Lignes{}, Lignes{}})
        QCOMPARE(clicSite(2), attendues);
    QVERIFY(!m_srv.existe(QStringLiteral("/y")) && !m_srv.existe(m_dossier + QStringLiteral("x")));

    // Delete a folder: declined changes nothing; one holding files fails;
    // an empty one goes and its parent is shown; the root is never offered.
    m_f->navigateurSite().RafraichitSite(m_dossier + QStringLiteral("vide/"));
    QCOMPARE(clicSite(5), Lignes{});
    QCOMPARE(m_banc.prompts.demandes.last().titre, QStringLiteral("Suppression"));
    QCOMPARE(m_banc.prompts.demandes.last().texte,
             QStringLiteral("Etes-vous sûr de vouloir supprimer vide ?"));
    QVERIFY(m_srv.existe(m_dossier + QStringLiteral("vide")));
    m_banc.prompts.reponses << Prompts::Bouton::Oui;
    QCOMPARE(clicSite(5), (Lignes{{" > Suppresion du répertoire vide", Orange}}));
    QVERIFY(!m_srv.existe(m_dossier + QStringLiteral("vide")));
    QCOMPARE(m_f->Ui().CleNoeudSelectionne(), m_dossier);
    m_f->navigateurSite().RafraichitSite(m_dossier + QStringLiteral("existe/"));
    m_banc.prompts.reponses << Prompts::Bouton::Oui;
    QCOMPARE(clicSite(5), Lignes{Erreur});
    QVERIFY(m_srv.existe(m_dossier + QStringLiteral("existe/x")));
    m_f->navigateurSite().RafraichitSite(QStringLiteral("/"));
    const auto demandes = m_banc.prompts.demandes.size();
    clicSite(5);
    QCOMPARE(m_banc.prompts.demandes.size(), demandes);
}

void TstTransferts::siteRenommeEtSupprime() {
    demarre();
    choisis(u->List4, {"a.txt"});
    m_banc.prompts.saisies << QStringLiteral("z.txt");
    QCOMPARE(clicSite(3), (Lignes{{" > a.txt renommé en z.txt", Orange}}));
    QCOMPARE(m_banc.prompts.demandes[0].titre, QStringLiteral("Renommer"));
    QCOMPARE(m_banc.prompts.demandes[0].texte, QStringLiteral("Nouveau nom du fichier:"));
    QCOMPARE(m_banc.prompts.demandes[0].defaut, QStringLiteral("a.txt"));
    QCOMPARE(m_srv.litFichier(m_dossier + QStringLiteral("z.txt")), OctetsTest(100 + 'a'));
    // Over an existing file (even one a filter hides), out of the folder:
    // refused; cancelled: nothing.
    for (QListWidget *l : {u->List4, u->List5})
        delete l->findItems(QStringLiteral("d.txt"), Qt::MatchEndsWith).value(0);
    for (const auto &r :
         {std::optional<QString>(QStringLiteral("c.txt")),
          std::optional<QString>(QStringLiteral("d.txt")),
          std::optional<QString>(QStringLiteral("../b.txt")), std::optional<QString>()}) {
        choisis(u->List4, {"b.txt"});
        m_banc.prompts.saisies << r;
        QCOMPARE(clicSite(3), r ? Lignes{Erreur} : Lignes{});
    }
    QCOMPARE(m_srv.contenu(m_dossier), (QStringList{"b.txt", "c.txt", "d.txt", "z.txt"}));
    QCOMPARE(m_srv.litFichier(m_dossier + QStringLiteral("d.txt")), OctetsTest(100 + 'd'));

    // Delete files, no question: one that fails does not stop the others.
    m_f->navigateurSite().RafraichitSite(m_dossier);
    const QStringList ordre = dansLOrdre(u->List4, {"b.txt", "c.txt", "z.txt"});
    choisis(u->List4, ordre);
    QVERIFY(QFile::remove(m_srv.disque(m_dossier + QStringLiteral("c.txt"))));
    Lignes attendues;
    for (const QString &n : ordre)
        attendues << (n == QLatin1String("c.txt")
                          ? Erreur
                          : Ligne{QStringLiteral(" > Suppresion du fichier ") + n, Orange});
    QCOMPARE(clicSite(4), attendues);
    QCOMPARE(textes(u->List4), QStringList{"d.txt"});
    QCOMPARE(m_banc.prompts.demandes.size(), 5);
}

void TstTransferts::siteOuvre() {
    demarre();
    const QString temp = m_banc.Config(QStringLiteral("Temp"));
    QVERIFY(QDir().mkpath(temp));
    QVERIFY(EcritFichierLocal(temp + QStringLiteral("/b.txt"), "ancien")); // replaced
    choisis(u->List4, {"b.txt"});
    QCOMPARE(clicSite(6), (Lignes{{" > Chargement en répertoire temporaire de b.txt", Vert},
                                  {" > Ouverture du fichier...", Vert}}));
    QCOMPARE(LitFichierLocal(temp + QStringLiteral("/b.txt")), OctetsTest(100 + 'b'));
    QCOMPARE(m_banc.shell.appels, (QVector<ShellEnregistreur::Appel>{
                                      {QStringLiteral("OuvreDocument"), {temp + "/b.txt"}}}));
    // A file that can't be fetched is not opened.
    QVERIFY(QFile::remove(m_srv.disque(m_dossier + QStringLiteral("c.txt"))));
    choisis(u->List4, {"c.txt"});
    QCOMPARE(clicSite(6), (Lignes{{" > Chargement en répertoire temporaire de c.txt", Vert},
                                  {" > Impossible d'ouvrir le fichier", Rouge}}));
    // The double-click opens too.
    choisis(u->List4, {"a.txt"});
    emit u->List4->itemDoubleClicked(u->List4->currentItem());
    QCOMPARE(m_banc.shell.appels.size(), 2);
    // A temporary folder that can't be made: the system's reason in red.
    QVERIFY(EcritFichierLocal(m_banc.Config(QStringLiteral("bouchon")), "x"));
    qputenv("QUILLON_TEMP_DIR", m_banc.Config(QStringLiteral("bouchon/Temp")).toLocal8Bit());
    const Lignes vues = clicSite(6);
    QCOMPARE(vues.size(), 3);
    QVERIFY(vues[0].couleur == Rouge && vues[0].texte.size() > 4 && !(vues[0] == Erreur));
    QCOMPARE(vues[2], (Ligne{" > Impossible d'ouvrir le fichier", Rouge}));
    QCOMPARE(m_banc.shell.appels.size(), 2);
}

void TstTransferts::siteTelechargeEtCache() {
    demarre();
    const QStringList ordre = dansLOrdre(u->List4, {"a.txt", "b.txt", "d.txt"});
    choisis(u->List4, ordre);
    QVERIFY(QFile::remove(m_srv.disque(m_dossier + QStringLiteral("b.txt"))));
    Lignes attendues;
    for (const QString &n : ordre)
        attendues << (n == QLatin1String("b.txt")
                          ? Ligne{QStringLiteral(" > Téléchargement échoué de b.txt"), Rouge}
                          : Ligne{QStringLiteral(" > Téléchargement réussi de ") + n, Vert});
    QStringList legendes;
    {
        Espion espion([&] {
            if (!u->Frame1->isHidden() && !legendes.contains(u->Label2->text()))
                legendes << u->Label2->text();
        });
        QCOMPARE(clicSite(10), attendues);
    }
    QCOMPARE(legendes, (QStringList{"1/3.", "2/3.", "3/3."}));
    QCOMPARE(LitFichierLocal(m_banc.Local(QStringLiteral("d.txt"))), OctetsTest(100 + 'd'));
    QCOMPARE(u->LabNB[0]->text(), QStringLiteral("6 fichiers."));
    QVERIFY(u->Frame1->isHidden());

    // The web cache: nothing without the site's address, else one line each.
    const QStringList deux = dansLOrdre(u->List4, {"a.txt", "c.txt"});
    choisis(u->List4, deux);
    QCOMPARE(clicSite(11), Lignes{});
    Reglages::Ecrit(Reglages::ADSITE, QStringLiteral("http://exemple.fr"));
    attendues.clear();
    for (const QString &n : deux)
        attendues << Ligne{" > http://exemple.fr" + m_dossier + n + " absent du cache", Orange};
    QCOMPARE(clicSite(11), attendues);
}

void TstTransferts::siteVueComparaison() {
    demarre();
    Reglages::Ecrit(Reglages::ADSITE, QStringLiteral("http://exemple.fr"));
    vueComparaison({"a.txt", "b.txt", "c.txt", "d.txt"});
    choisis(u->List4, {"a.txt"});
    choisis(u->List2, {"b.txt"});
    m_banc.prompts.reponses << Prompts::Bouton::Oui;
    m_banc.prompts.saisies << QStringLiteral("x") << QStringLiteral("y");
    for (int i : {0, 1, 2, 3, 5, 11})
        QCOMPARE(clicSite(i), Lignes{});
    QVERIFY(m_banc.prompts.demandes.isEmpty());
    // Open, download and delete act on List2, then compare again.
    clicSite(6);
    QCOMPARE(m_banc.shell.appels.value(0).arguments,
             QStringList{m_banc.Config(QStringLiteral("Temp/b.txt"))});
    choisis(u->List2, {"c.txt"});
    clicSite(10);
    QCOMPARE(LitFichierLocal(m_banc.Local(QStringLiteral("c.txt"))), OctetsTest(100 + 'c'));
    QCOMPARE(m_comparaisons, QList<int>{1});
    QVERIFY(u->List1->isHidden());
    vueComparaison({"d.txt"});
    choisis(u->List2, {"d.txt"});
    QCOMPARE(clicSite(4), (Lignes{{" > Suppresion du fichier d.txt", Orange}}));
    QCOMPARE(m_srv.contenu(m_dossier), (QStringList{"a.txt", "b.txt", "c.txt"}));
    QCOMPARE(m_comparaisons, (QList<int>{1, 1}));
}

// -------------------------------------------------------------- local row

void TstTransferts::localDossiers() {
    demarre();
    const QString sous = m_banc.Local(QStringLiteral("sous"));
    // Up one level; a highlighted sub-folder's parent is where the list is.
    u->dirLocal->setPath(sous);
    QCOMPARE(clicLocal(1), Lignes{});
    QCOMPARE(u->filLocal->Path(), m_banc.Local());
    u->dirLocal->setListIndex(0);
    clicLocal(1);
    QCOMPARE(u->dirLocal->Path(), m_banc.Local());

    // Create: a plain name; a separator, "..", an existing folder refused.
    m_banc.prompts.saisies << QStringLiteral("neuf") << QStringLiteral("x/y")
                           << QStringLiteral("..") << QStringLiteral("sous");
    QCOMPARE(clicLocal(2), (Lignes{{" > Création du répertoire neuf", Orange}}));
    QCOMPARE(u->dirLocal->ListCount(), 2);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(clicLocal(2), Lignes{Erreur});
    QCOMPARE(QDir(m_banc.Local()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name),
             (QStringList{"neuf", "sous"}));

    // Delete a folder: declined; holding a file, the error; empty, removed.
    u->dirLocal->setListIndex(1);
    QCOMPARE(u->dirLocal->List(1), sous);
    QVERIFY(EcritFichierLocal(sous + QStringLiteral("/x"), "x"));
    QCOMPARE(clicLocal(5), Lignes{});
    QCOMPARE(m_banc.prompts.demandes.last().texte,
             QStringLiteral("Etes-vous sûr de vouloir supprimer ") + sous + QStringLiteral(" ?"));
    m_banc.prompts.reponses << Prompts::Bouton::Oui;
    QCOMPARE(clicLocal(5), Lignes{Erreur});
    QVERIFY(QFileInfo::exists(sous + QStringLiteral("/x")));
    QVERIFY(QFile::remove(sous + QStringLiteral("/x")));
    u->dirLocal->setListIndex(1);
    m_banc.prompts.reponses << Prompts::Bouton::Oui;
    QCOMPARE(clicLocal(5), (Lignes{{" > Suppresion du répertoire " + sous, Orange}}));
    QVERIFY(!QFileInfo::exists(sous));
    QCOMPARE(u->dirLocal->ListCount(), 1);
}

void TstTransferts::localFichiers() {
    demarre();
    // Rename; over an existing file or out of the folder: refused.
    u->filLocal->setFileName(QStringLiteral("l1.txt"));
    m_banc.prompts.saisies << QStringLiteral("l0.txt") << QStringLiteral("l3.txt")
                           << QStringLiteral("../l2.txt");
    QCOMPARE(clicLocal(3), (Lignes{{" > l1.txt renommé en l0.txt", Orange}}));
    QCOMPARE(m_banc.prompts.demandes[0].defaut, QStringLiteral("l1.txt"));
    QCOMPARE(LitFichierLocal(m_banc.Local(QStringLiteral("l0.txt"))), OctetsTest(200 + '1'));
    for (int i = 0; i < 2; ++i) {
        u->filLocal->setFileName(QStringLiteral("l2.txt"));
        QCOMPARE(clicLocal(3), Lignes{Erreur});
    }
    QCOMPARE(LitFichierLocal(m_banc.Local(QStringLiteral("l3.txt"))), OctetsTest(200 + '3'));
    QVERIFY(QFileInfo::exists(m_banc.Local(QStringLiteral("l2.txt"))));

    // Delete; the first failure ends the action, the files after it stay.
    choisis(u->filLocal, {"l0.txt", "l2.txt", "l3.txt"});
    QVERIFY(QFile::remove(m_banc.Local(QStringLiteral("l2.txt"))));
    QCOMPARE(clicLocal(4), (Lignes{{" > Suppresion du fichier l0.txt", Orange}, Erreur}));
    QCOMPARE(textes(u->filLocal), (QStringList{"l3.txt", "l4.txt"}));
    QCOMPARE(u->LabNB[0]->text(), QStringLiteral("2 fichiers."));

    // Sorted view: only what List3 selects, then its refresh; comparison
    // view: List1, then the comparison again.
    choisis(u->filLocal, {"l4.txt"});
    u->List3->addItems({"l4.txt", "l3.txt"});
    u->List3->show();
    choisis(u->List3, {"l3.txt"});
    QCOMPARE(clicLocal(4), (Lignes{{" > Suppresion du fichier l3.txt", Orange}}));
    QCOMPARE(m_rafraichissements, QList<int>{2});
    u->List3->hide();
    vueComparaison({});
    choisis(u->List1, {"l4.txt"});
    QCOMPARE(clicLocal(4), (Lignes{{" > Suppresion du fichier l4.txt", Orange}}));
    QVERIFY(textes(u->filLocal).isEmpty());
    QCOMPARE(m_comparaisons, QList<int>{1});

    // Open with the file's program: the highlighted file of the view shown.
    QVERIFY(EcritFichierLocal(m_banc.Local(QStringLiteral("m.txt")), "m"));
    clicLocal(11);
    QCOMPARE(u->LabNB[0]->text(), QStringLiteral("1 fichiers."));
    u->filLocal->setCurrentRow(-1);
    clicLocal(6);
    QVERIFY(m_banc.shell.appels.isEmpty());
    u->filLocal->setFileName(QStringLiteral("m.txt"));
    clicLocal(6);
    QCOMPARE(m_banc.shell.appels,
             (QVector<ShellEnregistreur::Appel>{
                 {QStringLiteral("OuvreDocument"), {m_banc.Local(QStringLiteral("m.txt"))}}}));
}

void TstTransferts::localEnvoiEtAnnulation() {
    demarre();
    choisis(u->filLocal, {"l1.txt", "l2.txt", "l4.txt"});
    QStringList legendes;
    {
        Espion espion([&] {
            if (!u->Frame1->isHidden() && legendes.value(legendes.size() - 1) != u->Label2->text())
                legendes << u->Label2->text();
        });
        QCOMPARE(clicLocal(10), (Lignes{{" > ''Upload'' réussi de l1.txt", Vert},
                                        {" > ''Upload'' réussi de l2.txt", Vert},
                                        {" > ''Upload'' réussi de l4.txt", Vert}}));
    }
    QCOMPARE(legendes, (QStringList{"1/3.", "2/3.", "3/3."}));
    QCOMPARE(m_srv.litFichier(m_dossier + QStringLiteral("l4.txt")), OctetsTest(200 + '4'));
    QCOMPARE(u->List4->count(), 7);
    QVERIFY(u->filLocal->selectedItems().isEmpty());
    QVERIFY(u->Frame1->isHidden());

    // "Annuler" stops both selection transfers: a download in the file it
    // is in (what came waits in its partial file), an upload before the
    // next file.
    QString enCours;
    Espion espion([&] {
        if (!enCours.isEmpty() &&
            m_f->progression().PanneauOctets()->text().startsWith(enCours + " : ")) {
            enCours.clear();
            u->Command5->click();
        }
    });
    const QStringList ordre = dansLOrdre(u->List4, {"a.txt", "b.txt", "c.txt"});
    choisis(u->List4, ordre);
    enCours = ordre[1];
    QCOMPARE(clicSite(10).last(), Annule);
    QVERIFY(QFileInfo::exists(m_banc.Local(ordre[0])));
    QVERIFY(!QFileInfo::exists(m_banc.Local(ordre[1])));
    QVERIFY(QFileInfo::exists(m_banc.Local("." + ordre[1] + ".quillon-partiel")));
    QVERIFY(!QFileInfo::exists(m_banc.Local(ordre[2])));
    choisis(u->filLocal, {"l1.txt", "l2.txt", "l3.txt"});
    enCours = QStringLiteral("l2.txt");
    QCOMPARE(clicLocal(10).last(), Annule);
    QVERIFY(!m_srv.existe(m_dossier + QStringLiteral("l3.txt")));

    // Without a site folder nothing is sent.
    u->trvSiteDir->clearSelection();
    choisis(u->filLocal, {"l3.txt"});
    QCOMPARE(clicLocal(10), Lignes{});
    QVERIFY(!m_srv.existe(m_dossier + QStringLiteral("l3.txt")));
}

void TstTransferts::vuesAlternativesEtIndices() {
    demarre();
    // While List1 or List3 covers the file list, 1, 2, 3 and 5 do nothing.
    u->filLocal->setFileName(QStringLiteral("l1.txt"));
    u->dirLocal->setListIndex(0);
    for (QListWidget *vue : {u->List1, u->List3}) {
        vue->show();
        m_banc.prompts.reponses << Prompts::Bouton::Oui;
        m_banc.prompts.saisies << QStringLiteral("x") << QStringLiteral("y");
        for (int i : {1, 2, 3, 5})
            QCOMPARE(clicLocal(i), Lignes{});
        QVERIFY(m_banc.prompts.demandes.isEmpty());
        vue->hide();
    }
    QCOMPARE(u->dirLocal->Path(), m_banc.Local());
    // Reloading rereads the disk and ends the sorted view.
    u->List3->show();
    QVERIFY(EcritFichierLocal(m_banc.Local(QStringLiteral("l9.txt")), "9"));
    clicLocal(11);
    QVERIFY(textes(u->filLocal).contains(QStringLiteral("l9.txt")));
    QCOMPARE(u->LabNB[0]->text(), QStringLiteral("5 fichiers."));
    QVERIFY(u->List3->isHidden());

    // Hovering a button shows its hint below it.
    m_f->resize(Twips::EnPixels(16000), Twips::EnPixels(8205));
    QCoreApplication::processEvents();
    QEvent entree(QEvent::Enter);
    QCoreApplication::sendEvent(u->BTs[1], &entree);
    QVERIFY(!u->ttt->isHidden());
    QCOMPARE(u->LTTT->text(), QStringLiteral("Remonter d'un niveau"));
    QCOMPARE(u->ttt->pos(), u->BTs[1]->pos() + QPoint(u->fraSite->x(), Twips::EnPixels(500)));
    QCoreApplication::sendEvent(u->BTL[10], &entree);
    QCOMPARE(u->LTTT->text(), QStringLiteral("Copier les fichiers sélectionnés sur le serveur"));
    QCOMPARE(u->ttt->pos(), u->BTL[10]->pos() + QPoint(u->fraLocal->x(), Twips::EnPixels(500)));
    // A site hint that would leave the window ends at its right edge.
    m_f->resize(Twips::EnPixels(8445), Twips::EnPixels(8205));
    QCoreApplication::processEvents();
    QVERIFY(u->BTs[11]->x() + u->fraSite->x() + u->ttt->width() > u->centre->width());
    QCoreApplication::sendEvent(u->BTs[11], &entree);
    QCOMPARE(u->LTTT->text(), QStringLiteral("Effacer le cache"));
    QVERIFY(qAbs(u->ttt->x() + u->LTTT->width() - u->centre->width()) <= 1);
}

QTEST_MAIN(TstTransferts)
#include "tst_transferts.moc"
