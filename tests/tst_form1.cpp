// The real main window, offscreen, against a real FTP server on loopback: first
// start, connecting through the dialog, automatic connection, the last-location
// button, losing the connection and getting it back, Command6's retry loop,
// quitting and starting again, the activity log and the layout rules.
// Prompts are answered by a stand-in and shell calls are recorded.

#include "connection/GestionConnexion.h"
#include "dialogs/Form2.h"
#include "ftp/clsFTP.h"
#include "layout/Disposition.h"
#include "mainwindow/Demarrage.h"
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
#include "window/JournalActivite.h"
#include "window/Twips.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

using Dialogue = std::function<int(Form2 &)>;

const QColor BleuFonce(0, 0, 64);
const QColor Rouge(255, 0, 0);

// Closes the dialog as Cancel would.
int annule(Form2 &d) {
    d.Command2_Click();
    return QDialog::Rejected;
}

// Fills the three boxes and presses OK.
Dialogue valide(const QString &site, const QString &utilisateur, const QString &motDePasse) {
    return [=](Form2 &d) {
        d.TxtSite->setText(site);
        d.txtUtilisateur->setText(utilisateur);
        d.txtMDP->setText(motDePasse);
        d.btnOK_Click();
        return QDialog::Accepted;
    };
}

quint16 portLibre() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

bool accepteConnexions(quint16 port) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    return s.waitForConnected(200);
}

// The lines of the log with the colour each was written in.
struct Ligne {
    QString texte;
    QColor couleur;
};

QVector<Ligne> lignes(const QTextEdit *log) {
    QVector<Ligne> resultat;
    for (QTextBlock b = log->document()->begin(); b.isValid(); b = b.next()) {
        if (!b.next().isValid() && b.text().isEmpty())
            break; // the empty block after the last line end
        QColor couleur;
        if (b.begin() != b.end())
            couleur = b.begin().fragment().charFormat().foreground().color();
        resultat.push_back({b.text(), couleur});
    }
    return resultat;
}

int compte(const QTextEdit *log, const QString &morceau) {
    int n = 0;
    for (const Ligne &l : lignes(log))
        n += l.texte.contains(morceau) ? 1 : 0;
    return n;
}

QColor couleurDe(const QTextEdit *log, const QString &morceau) {
    for (const Ligne &l : lignes(log)) {
        if (l.texte.contains(morceau))
            return l.couleur;
    }
    return QColor();
}

bool estUneHeure(const QString &ligne) {
    return QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d > ")).match(ligne).hasMatch();
}

// A pyftpdlib server of the test's own on a fixed port, so that it can be killed
// and started again where the client expects it.
class ServeurRelancable {
public:
    ServeurRelancable() : m_port(portLibre()) {}
    ~ServeurRelancable() { arrete(); }

    quint16 port() const { return m_port; }
    QString site() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

    bool demarre() {
        const QString python = interprete();
        if (python.isEmpty())
            return false;
        m_process.setProgram(python);
        m_process.setArguments(
            {QStringLiteral("-m"), QStringLiteral("pyftpdlib"), QStringLiteral("-i"),
             QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(m_port),
             QStringLiteral("-u"), QStringLiteral("relance"), QStringLiteral("-P"),
             QStringLiteral("motdepasse"), QStringLiteral("-d"), m_racine.path()});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000) {
            if (accepteConnexions(m_port))
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    void arrete() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    static QString interprete() {
        for (const QString &candidat :
             {QStringLiteral(QUILLON_PYTHON), QStringLiteral("/usr/bin/python3")}) {
            QProcess p;
            p.start(candidat, {QStringLiteral("-c"), QStringLiteral("import pyftpdlib")});
            if (p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit &&
                p.exitCode() == 0)
                return candidat;
        }
        return QString();
    }

    quint16 m_port;
    QTemporaryDir m_racine;
    QProcess m_process;
};

} // namespace

class TstForm1 : public QObject {
    Q_OBJECT

    TestServeur &m_srv = TestServeur::instance();
    BancFenetre m_banc;
    int m_dialogues = 0; // showings of the connection dialog
    int m_fins = 0;      // ends of the program requested

    // A Form1 as the program makes it, with its dialog answered by `dialogue`.
    std::unique_ptr<Form1> nouvelleFenetre(Dialogue dialogue = annule) {
        auto f = std::make_unique<Form1>();
        f->programme().FinProgramme = [this] { ++m_fins; };
        f->gestionConnexion().MontreDialogue = [this, dialogue](Form2 &d) {
            ++m_dialogues;
            return dialogue(d);
        };
        f->gestionConnexion().DelaiEntreEssaisMs = 300;
        return f;
    }
    std::unique_ptr<Form1> demarre(Dialogue dialogue = annule) {
        auto f = nouvelleFenetre(std::move(dialogue));
        f->Form_Load();
        return f;
    }
    void stockeSite(const QString &site, const QString &utilisateur, const QString &motDePasse,
                    bool conAuto, bool recAuto = false) {
        Reglages::Ecrit(Reglages::TxtSite, site);
        Reglages::Ecrit(Reglages::TxtUtilisateur, utilisateur);
        Reglages::Ecrit(Reglages::TxtMDP, motDePasse);
        Reglages::EcritBooleen(Reglages::ConAuto, conAuto);
        Reglages::Ecrit(Reglages::RecAuto, recAuto ? QStringLiteral("1") : QStringLiteral("0"));
    }
    static QString statut(Form1 &f) { return f.journal().TexteStatut(); }

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void premierDemarrage();
    void premierDemarrageDansLeDossierPersonnel();
    void connexionParLeDialogue_data();
    void connexionParLeDialogue();
    void connexionAutomatique();
    void dernierEmplacementNeConnectePasDeuxFois();
    void connexionPerdueEtRetrouvee();
    void connexionPerdueSansReconnexionAuto();
    void sondeSuspendueDuranteUneOperation();
    void fermetureAttendLaFinDuTransfert_data();
    void fermetureAttendLaFinDuTransfert();
    void command6RetenteAvecPauseEtSAnnule();
    void command6ReconnecteEtSArrete();
    void quitterPuisRedemarrer_data();
    void quitterPuisRedemarrer();
    void optionsSeulementALaSouris();
    void ligneDeCommande_data();
    void ligneDeCommande();
    void ecritAction_data();
    void ecritAction();
    void ecritActionRespecteLaSelection();
    void dispositionRedimensionnement_data();
    void dispositionRedimensionnement();
    void barreDeSeparationLimites();
    void secondeInstance();
};

void TstForm1::initTestCase() {
    QVERIFY2(m_srv.valide(), qPrintable(m_srv.erreur()));
}

void TstForm1::init() {
    QVERIFY(m_banc.Renouvelle());
    m_dialogues = 0;
    m_fins = 0;
    sSite.clear();
    sUtilisateur.clear();
    sMotDePasse.clear();
    DernierEmplacement = 0;
}

void TstForm1::cleanup() {
    QVERIFY2(m_banc.shell.appels.isEmpty(), "no shell call is expected from the main window core");
}

void TstForm1::premierDemarrage() {
    // Empty settings store: no connection attempt, the dialog with its
    // last-location button hinted "/".
    bool boutonVisible = false;
    QString indice;
    auto f = demarre([&](Form2 &d) {
        boutonVisible = d.Command4->isVisibleTo(&d);
        indice = d.Command4->toolTip();
        return annule(d);
    });
    Form1Ui &u = f->Ui();
    QCOMPARE(m_dialogues, 1);
    QVERIFY(boutonVisible);
    QCOMPARE(indice, QStringLiteral("/"));
    QCOMPARE(f->etat().CO(), short(0));
    QVERIFY(lignes(u.TxtAction).isEmpty());
    QCOMPARE(statut(*f), QStringLiteral("Statut : Déconnecté"));
    QCOMPARE(u.TCop[1]->text(),
             QStringLiteral("Double-Cliquez pour modifier l'adresse du site..."));
    QVERIFY(f->isVisible());
    // Window 8445 x 8205 twips, wider when this machine's fonts need it for the
    // address invitation; splitter at its design place.
    QCOMPARE(f->height(), 547);
    QVERIFY(f->width() >= 563);
    QCOMPARE(u.LabMove[0]->y(), 210);
    QCOMPARE(u.LabMove[1]->y(), 210);
    // Local views on the user's home folder, with the file count.
    QCOMPARE(f->Ui().dirLocal->Path(), QDir::homePath());
    QCOMPARE(u.LabNB[0]->text(),
             QString::number(f->Ui().filLocal->ListCount()) + QStringLiteral(" fichiers."));
    // Hints stored at start-up; the other refresh buttons got the reload picture.
    QCOMPARE(Tag(u.BTs[6]), QStringLiteral("Télécharger pour voir le fichier"));
    QCOMPARE(Tag(u.BTL[10]), QStringLiteral("Copier les fichiers sélectionnés sur le serveur"));
    QCOMPARE(Tag(u.BTs[0]), QStringLiteral("Rafraichir"));
    QVERIFY(!u.Vert[3]->icon().isNull());
    // Cancel emptied the session parameters: Command6 does nothing.
    QVERIFY(sSite.isEmpty());
    u.Command6->click();
    QVERIFY(lignes(u.TxtAction).isEmpty());
}

// With no folder saved yet the local pane opens on the user's home folder,
// not on the program's (/usr/bin once installed); a saved one wins.
void TstForm1::premierDemarrageDansLeDossierPersonnel() {
    const QString maison = m_banc.Local(QStringLiteral("maison"));
    QVERIFY(QDir().mkpath(maison));
    QVERIFY(EcritFichierLocal(maison + QStringLiteral("/note.txt"), "n"));
    const QByteArray ancien = qgetenv("HOME");
    qputenv("HOME", maison.toLocal8Bit());
    auto f = demarre();
    qputenv("HOME", ancien);
    QCOMPARE(f->Ui().dirLocal->Path(), maison);
    QCOMPARE(f->Ui().filLocal->Path(), maison);
    QCOMPARE(f->Ui().filLocal->ListCount(), 1);
    QCOMPARE(f->Ui().LabNB[0]->text(), QStringLiteral("1 fichiers."));
    f.reset();

    Reglages::Ecrit(Reglages::DirLoc, m_banc.Local());
    Reglages::Ecrit(Reglages::FilLoc, m_banc.Local());
    qputenv("HOME", maison.toLocal8Bit());
    f = demarre();
    qputenv("HOME", ancien);
    QCOMPARE(f->Ui().dirLocal->Path(), m_banc.Local());
    QCOMPARE(f->Ui().filLocal->Path(), m_banc.Local());
}

void TstForm1::connexionParLeDialogue_data() {
    QTest::addColumn<bool>("bonMotDePasse");
    QTest::addColumn<int>("chiffrement");
    QTest::newRow("bon mot de passe") << true << int(Chiffrement::SiDisponible);
    QTest::newRow("bon mot de passe, sans chiffrement") << true << int(Chiffrement::Aucun);
    QTest::newRow("mauvais mot de passe") << false << int(Chiffrement::SiDisponible);
}

void TstForm1::connexionParLeDialogue() {
    QFETCH(bool, bonMotDePasse);
    QFETCH(int, chiffrement);
    const QString mdp = bonMotDePasse ? m_srv.motDePasse() : QStringLiteral("faux");
    const Dialogue ok = valide(m_srv.site(), m_srv.utilisateur(), mdp);
    auto f = demarre([&](Form2 &d) {
        d.cboChiffrement->setCurrentIndex(chiffrement);
        return ok(d);
    });
    Form1Ui &u = f->Ui();
    QCOMPARE(m_dialogues, 1);
    QCOMPARE(int(sChiffrement), chiffrement);
    const QVector<Ligne> journal = lignes(u.TxtAction);
    QVERIFY2(estUneHeure(journal[0].texte), qPrintable(journal[0].texte));
    if (bonMotDePasse) {
        QCOMPARE(f->etat().CO(), short(-1));
        // The TLS version when the session is encrypted; otherwise, unless no
        // encryption was asked for, an orange line says so.
        const QString version = dynamic_cast<clsFTP &>(*oFTP).VersionTls();
        QCOMPARE(journal[0].texte.mid(8),
                 QStringLiteral(" > Connecté à ") + m_srv.site() + QStringLiteral(" :") +
                     m_srv.utilisateur() +
                     (version.isEmpty() ? QString() : QStringLiteral(" (") + version + u')'));
        QCOMPARE(journal[0].couleur, BleuFonce);
        const bool enClair = version.isEmpty() && chiffrement != int(Chiffrement::Aucun);
        QCOMPARE(journal.size(), enClair ? 2 : 1);
        if (enClair) {
            QCOMPARE(journal[1].texte.mid(8),
                     QStringLiteral(" > Connexion non chiffrée à ") + m_srv.site());
            QCOMPARE(journal[1].couleur, QColor(255, 128, 0));
        }
        QCOMPARE(statut(*f), QStringLiteral("Statut : Connecté à ") + m_srv.site());
        QVERIFY(u.Command6->property("Connecte").toBool());
    } else {
        QCOMPARE(f->etat().CO(), short(0));
        QCOMPARE(journal.size(), 1);
        QCOMPARE(journal[0].texte.mid(8), QStringLiteral(" > Connexion échouée à ") + m_srv.site());
        QCOMPARE(journal[0].couleur, Rouge);
        QCOMPARE(statut(*f), QStringLiteral("Statut : Déconnecté"));
        QCOMPARE(u.fraSite->title(), QStringLiteral("Pas de site"));
        QVERIFY(!u.Command6->property("Connecte").toBool());
    }

    // "Nouvelle connexion" again, closed by OK: it connects again.
    f->gestionConnexion().MontreDialogue =
        valide(m_srv.site(), m_srv.utilisateur(), m_srv.motDePasse());
    u.mnuConnexion->trigger();
    QCOMPARE(f->etat().CO(), short(-1));
    QCOMPARE(compte(u.TxtAction, QStringLiteral(" > Connecté à ")), bonMotDePasse ? 2 : 1);
}

void TstForm1::connexionAutomatique() {
    // Stored site and "Connexion Auto": connected at start, no dialog.
    stockeSite(m_srv.site(), m_srv.utilisateur(), m_srv.motDePasse(), true);
    {
        auto f = demarre();
        QCOMPARE(m_dialogues, 0);
        QCOMPARE(f->etat().CO(), short(-1));
        QVERIFY(f->Ui().MconAuto->isChecked());
        QCOMPARE(couleurDe(f->Ui().TxtAction, QStringLiteral(" > Connecté à ")), BleuFonce);
        QVERIFY(oFTP && oFTP->hConnexion());
    }
    QVERIFY(oFTP == nullptr); // released with its window

    // "Connexion Auto" with no stored host: no attempt and no dialog.
    stockeSite(QString(), QString(), QString(), true);
    auto f = demarre();
    QCOMPARE(m_dialogues, 0);
    QCOMPARE(f->etat().CO(), short(0));
    QVERIFY(lignes(f->Ui().TxtAction).isEmpty());
    QVERIFY(f->isVisible());
}

void TstForm1::dernierEmplacementNeConnectePasDeuxFois() {
    stockeSite(m_srv.site(), m_srv.utilisateur(), m_srv.motDePasse(), false);
    auto f = demarre([](Form2 &d) {
        d.Command4_Click(); // connects at once through Komavant
        return QDialog::Rejected;
    });
    QCOMPARE(f->etat().CO(), short(-1));
    QCOMPARE(DernierEmplacement, short(-1));
    QCOMPARE(compte(f->Ui().TxtAction, QStringLiteral(" > Connecté à ")), 1);
    QCOMPARE(sSite, m_srv.site());
}

void TstForm1::connexionPerdueEtRetrouvee() {
    ServeurRelancable serveur;
    if (!serveur.demarre())
        QSKIP("pyftpdlib cannot be started on a fixed port here");
    stockeSite(serveur.site(), QStringLiteral("relance"), QStringLiteral("motdepasse"), true, true);
    auto f = demarre();
    Form1Ui &u = f->Ui();
    // The periodic check, every 100 ms rather than every 3 s.
    u.Timer2->setInterval(100);
    QCOMPARE(f->etat().CO(), short(-1));
    QVERIFY(u.Check1->isChecked());

    serveur.arrete();
    // The next checks notice it (and try in vain while the server is away).
    QTRY_VERIFY_WITH_TIMEOUT(!u.Command6->property("Connecte").toBool(), 10000);
    QVERIFY(serveur.demarre());
    QTRY_VERIFY_WITH_TIMEOUT(compte(u.TxtAction, QStringLiteral(" > Reconnecté à ")) == 1, 15000);
    QCOMPARE(couleurDe(u.TxtAction, QStringLiteral(" > Reconnecté à ")), BleuFonce);
    QCOMPARE(f->etat().CO(), short(-1));
    QCOMPARE(statut(*f), QStringLiteral("Statut : Connecté à ") + serveur.site());
    QVERIFY(u.Command6->property("Connecte").toBool());
    // Alive again: the following checks stay quiet.
    const int avant = lignes(u.TxtAction).size();
    QSignalSpy verifications(u.Timer2, &QTimer::timeout);
    QTRY_VERIFY(verifications.count() >= 3);
    QCOMPARE(lignes(u.TxtAction).size(), avant);
}

void TstForm1::connexionPerdueSansReconnexionAuto() {
    ServeurRelancable serveur;
    if (!serveur.demarre())
        QSKIP("pyftpdlib cannot be started on a fixed port here");
    stockeSite(serveur.site(), QStringLiteral("relance"), QStringLiteral("motdepasse"), true,
               false);
    auto f = demarre();
    Form1Ui &u = f->Ui();
    u.Timer2->setInterval(100); // the periodic check, rather than every 3 s
    QCOMPARE(f->etat().CO(), short(-1));
    QVERIFY(u.Command6->property("Connecte").toBool());
    const int avant = lignes(u.TxtAction).size();
    serveur.arrete();
    // Only the picture changes.
    QTRY_VERIFY_WITH_TIMEOUT(!u.Command6->property("Connecte").toBool(), 10000);
    QCOMPARE(lignes(u.TxtAction).size(), avant);
    QCOMPARE(f->etat().CO(), short(-1));
}

void TstForm1::sondeSuspendueDuranteUneOperation() {
    // A check that falls during a transfer (the transfer's progress lets the
    // event loop run) must neither probe nor conclude that the link is lost;
    // nor must Command6 or the connection dialog, whose attempts could only
    // fail while the session is in use.
    const QString dossier = m_srv.nouveauDossier(QStringLiteral("form1-sonde"));
    QVERIFY(m_srv.ecrisFichier(dossier + QStringLiteral("gros.bin"), OctetsTest(8 << 20)));
    stockeSite(m_srv.site(), m_srv.utilisateur(), m_srv.motDePasse(), true, true);
    // The dialog closed as by OK, the parameters unchanged.
    auto f = demarre([](Form2 &) { return int(QDialog::Accepted); });
    Form1Ui &u = f->Ui();
    QCOMPARE(f->etat().CO(), short(-1));
    const QString titre = u.fraSite->title();
    const int avant = lignes(u.TxtAction).size();

    int appels = 0;
    oFTP->setProgression([&](qint64, qint64) {
        if (appels++ == 0) {
            // Ends a retry loop that would otherwise fail for ever below the
            // stalled transfer.
            QTimer::singleShot(1000, f.get(), [&] { f->etat().DefinitS(-1); });
            u.Command6->click();
            u.mnuConnexion->trigger();
        }
        f->gestionConnexion().Timer2_Timer();
    });
    const QString local = m_banc.Local() + QStringLiteral("/gros.bin");
    QVERIFY(oFTP->DownloadFichier(dossier + QStringLiteral("gros.bin"), local) != 0);
    oFTP->setProgression({});
    QVERIFY(appels > 0);
    QCOMPARE(m_dialogues, 1);
    QCOMPARE(QFileInfo(local).size(), qint64(8 << 20));
    const QVector<Ligne> nouvelles = lignes(u.TxtAction).mid(avant);
    QCOMPARE(nouvelles.size(), 1);
    QVERIFY2(nouvelles[0].texte.endsWith(
                 QStringLiteral(" > Connexion refusée : une opération est en cours")),
             qPrintable(nouvelles[0].texte));
    QCOMPARE(nouvelles[0].couleur, QColor(255, 128, 0));
    QCOMPARE(f->etat().CO(), short(-1));
    QVERIFY(u.Command6->property("Connecte").toBool());
    QCOMPARE(statut(*f), QStringLiteral("Statut : Connecté à ") + m_srv.site());
    QCOMPARE(u.fraSite->title(), titre);
}

void TstForm1::fermetureAttendLaFinDuTransfert_data() {
    QTest::addColumn<bool>("parQuitter");
    QTest::newRow("case de fermeture") << false;
    QTest::newRow("Quitter") << true;
}

void TstForm1::fermetureAttendLaFinDuTransfert() {
    // Closing the window or quitting while a transfer yields must not pull
    // the connection from under it, nor end the program unsaved: both happen
    // once the transfer has finished, with the state saved as usual.
    QFETCH(bool, parQuitter);
    const QString dossier = m_srv.nouveauDossier(QStringLiteral("form1-fermeture"));
    QVERIFY(m_srv.ecrisFichier(dossier + QStringLiteral("gros.bin"), OctetsTest(8 << 20)));
    stockeSite(m_srv.site(), m_srv.utilisateur(), m_srv.motDePasse(), true, false);
    Reglages::Ecrit(Reglages::PathSite, dossier);
    auto f = demarre();
    QCOMPARE(f->etat().CO(), short(-1));
    QCOMPARE(f->Ui().CleNoeudSelectionne(), dossier);
    f->resize(700, 600);
    // Asked twice, as an impatient user would: still one end.
    bool demande = false;
    oFTP->setProgression([&](qint64, qint64) {
        for (int i = 0; i < 2 && !demande; ++i) {
            if (parQuitter)
                f->Ui().mnuQuitter->trigger();
            else
                f->close();
        }
        demande = true;
    });
    const QString local = m_banc.Local() + QStringLiteral("/gros.bin");
    QVERIFY(oFTP->DownloadFichier(dossier + QStringLiteral("gros.bin"), local) != 0);
    oFTP->setProgression({});
    QVERIFY(demande);
    QVERIFY(f->isVisible());
    QCOMPARE(m_fins, 0);
    QCOMPARE(Reglages::Lit(Reglages::PosW), QStringLiteral("8445"));
    QCOMPARE(QFileInfo(local).size(), qint64(8 << 20));
    QTRY_VERIFY_WITH_TIMEOUT(!f->isVisible(), 5000);
    QTest::qWait(500);
    QCOMPARE(m_fins, parQuitter ? 1 : 0);
    QVERIFY(oFTP == nullptr);
    QCOMPARE(Reglages::Lit(Reglages::PosW), QStringLiteral("10500"));
    QCOMPARE(Reglages::Lit(Reglages::PathSite), dossier);
    QCOMPARE(Reglages::Lit(Reglages::DirLoc), f->Ui().dirLocal->Path());
}

void TstForm1::command6RetenteAvecPauseEtSAnnule() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    const quint16 ferme = portLibre(); // nothing listens there
    sSite = QStringLiteral("127.0.0.1:%1").arg(ferme);
    sUtilisateur = QStringLiteral("x");

    // Both clicks come from the event loop, as a person's would: the first
    // starts the loop, the second (during a pause) stops it.
    bool termine = false;
    bool enBoucle = false, toujoursReactive = false;
    QElapsedTimer duree;
    QTimer::singleShot(0, this, [&] {
        duree.start();
        u.Command6->click();
        termine = true;
    });
    QTimer::singleShot(1000, this, [&] {
        enBoucle = Tag(u.Command6) == QLatin1String("R") && !termine;
        toujoursReactive = true;
        u.Command6->click();
    });
    QTRY_VERIFY_WITH_TIMEOUT(termine, 10000);
    QVERIFY(toujoursReactive);
    QVERIFY(enBoucle);
    QCOMPARE(Tag(u.Command6), QString());
    QCOMPARE(f->etat().CO(), short(0));
    const int echecs = compte(u.TxtAction, QStringLiteral(" > Connexion échouée à "));
    // ~1 s at one attempt per 300 ms pause, plus the cancelling click's own.
    QVERIFY2(echecs >= 3 && echecs <= 7, qPrintable(QString::number(echecs)));
    QVERIFY(duree.elapsed() >= 900);
    QCOMPARE(u.fraSite->title(), QStringLiteral("Pas de site"));
}

void TstForm1::command6ReconnecteEtSArrete() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    m_srv.parametres();
    u.Command6->click();
    QCOMPARE(Tag(u.Command6), QStringLiteral("C"));
    QCOMPARE(f->etat().CO(), short(-1));
    QCOMPARE(compte(u.TxtAction, QStringLiteral(" > Reconnecté à ")), 1);
    QCOMPARE(couleurDe(u.TxtAction, QStringLiteral(" > Reconnecté à ")), BleuFonce);
    QVERIFY(u.Command6->property("Connecte").toBool());
}

void TstForm1::quitterPuisRedemarrer_data() {
    QTest::addColumn<bool>("parQuitter");
    QTest::newRow("Quitter") << true;
    QTest::newRow("case de fermeture") << false;
}

void TstForm1::quitterPuisRedemarrer() {
    QFETCH(bool, parQuitter);
    const QString temp = QString::fromLocal8Bit(qgetenv("QUILLON_TEMP_DIR"));
    QVERIFY(QDir().mkpath(temp));
    QFile fichier(temp + QStringLiteral("/vu.txt"));
    QVERIFY(fichier.open(QIODevice::WriteOnly));
    fichier.close();

    {
        auto f = demarre();
        Form1Ui &u = f->Ui();
        f->resize(700, 600);
        QTRY_COMPARE(u.centre->width(), 700);
        f->disposition().LabMove_MouseDown(1, 1, 0, 0, 45);
        f->disposition().LabMove_MouseUp(1, 1, 0, 0, 645);
        QCOMPARE(u.LabMove[0]->y(), 250);
        f->Ui().MconAuto->trigger();
        QVERIFY(f->Ui().MconAuto->isChecked());
        QTest::mouseClick(u.Check1, Qt::LeftButton);
        QTRY_COMPARE(Reglages::Lit(Reglages::RecAuto), QStringLiteral("1"));
        if (parQuitter)
            u.mnuQuitter->trigger();
        else
            f->close();
        QCOMPARE(m_fins, parQuitter ? 1 : 0);
        QVERIFY(oFTP == nullptr);
    }
    QCOMPARE(QFileInfo::exists(temp), !parQuitter);
    QCOMPARE(Reglages::Lit(Reglages::PosW), QStringLiteral("10500"));
    QCOMPARE(Reglages::Lit(Reglages::PosH), QStringLiteral("9000"));
    QCOMPARE(Reglages::Lit(Reglages::PosLM), QStringLiteral("600"));

    auto f = demarre();
    Form1Ui &u = f->Ui();
    QCOMPARE(m_dialogues, 1); // "Connexion Auto" with no stored site: no dialog
    QCOMPARE(f->size(), QSize(700, 600));
    QCOMPARE(u.LabMove[0]->y(), 250);
    QCOMPARE(u.LabMove[1]->y(), 250);
    QCOMPARE(u.List4->y(), 270);
    QCOMPARE(u.filLocal->y(), 270);
    QVERIFY(f->Ui().MconAuto->isChecked());
    QVERIFY(u.Check1->isChecked());
}

void TstForm1::optionsSeulementALaSouris() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    f->activateWindow();
    // The space bar changes the box but not the stored option.
    u.Check1->setFocus();
    QTest::keyClick(u.Check1, Qt::Key_Space);
    QVERIFY(u.Check1->isChecked());
    QTest::qWait(50);
    QCOMPARE(Reglages::Lit(Reglages::RecAuto), QStringLiteral("0"));
    QTest::mouseClick(u.Check1, Qt::LeftButton);
    QVERIFY(!u.Check1->isChecked());
    QTRY_COMPARE(Reglages::Lit(Reglages::RecAuto), QStringLiteral("0"));
    QTest::mouseClick(u.Check1, Qt::LeftButton);
    QTRY_COMPARE(Reglages::Lit(Reglages::RecAuto), QStringLiteral("1"));

    f->Ui().MconAuto->trigger();
    QCOMPARE(Reglages::Lit(Reglages::ConAuto), QStringLiteral("True"));
    f->gestionConnexion().MconAuto_Click();
    QVERIFY(!f->Ui().MconAuto->isChecked());
    QCOMPARE(Reglages::Lit(Reglages::ConAuto), QStringLiteral("False"));
}

void TstForm1::ligneDeCommande_data() {
    QTest::addColumn<QString>("commande");
    QTest::addColumn<bool>("transfert");
    QTest::newRow("L3") << "L3" << true;
    QTest::newRow("D0") << "D0" << true;
    QTest::newRow("L") << "L" << false;
    QTest::newRow("vide") << "" << false;
    QTest::newRow("3L") << "3L" << false;
    QTest::newRow("chiffre non latin") << QStringLiteral("L\u0663") << false;
}

void TstForm1::ligneDeCommande() {
    QFETCH(QString, commande);
    QFETCH(bool, transfert);
    QCOMPARE(Demarrage::ModeLigneDeCommande(commande), transfert);
    if (!transfert)
        return;
    // Until the recorded transfer exists this mode only ends the program,
    // without a window and without saving anything.
    auto f = nouvelleFenetre();
    f->programme().Commande = commande;
    f->Ui().Timer3->setInterval(100); // the end state shows 100 ms, not 4 s
    f->Form_Load();
    QVERIFY(!f->isVisible());
    QCOMPARE(m_dialogues, 0);
    QTRY_COMPARE(m_fins, 1);
    QVERIFY(oFTP == nullptr);
    QVERIFY(!QFileInfo::exists(Reglages::CheminFichier()));
}

void TstForm1::ecritAction_data() {
    QTest::addColumn<QStringList>("appels"); // "texte|code"
    QTest::addColumn<QVector<QColor>>("couleurs");
    const QVector<QColor> tous = {QColor(0, 0, 64), QColor(0, 64, 0), QColor(255, 0, 0),
                                  QColor(255, 128, 0), QColor(255, 0, 255)};
    QTest::newRow("les cinq codes") << QStringList{"a|BF", "b|Ve", "c|Ro", "d|Am", "e|Pi"} << tous;
    QTest::newRow("code inconnu garde la couleur")
        << QStringList{"a|Pi", "b|??", "c|pi", "d|"} << QVector<QColor>(4, QColor(255, 0, 255));
    QTest::newRow("ordre des appels") << QStringList{"premier|Ro", "second|Ve"}
                                      << QVector<QColor>{QColor(255, 0, 0), QColor(0, 64, 0)};
    QTest::newRow("texte vide") << QStringList{"|Ve", "x|Ro"}
                                << QVector<QColor>{QColor(), QColor(255, 0, 0)};
}

void TstForm1::ecritAction() {
    QFETCH(QStringList, appels);
    QFETCH(QVector<QColor>, couleurs);
    Form1 f;
    QString attendu;
    for (const QString &a : appels) {
        const QStringList parts = a.split(QLatin1Char('|'));
        f.journal().EcritAction(parts[0], parts[1]);
        attendu += parts[0] + QStringLiteral("\r\n");
    }
    QCOMPARE(f.journal().Texte(), attendu);
    const QVector<Ligne> journal = lignes(f.Ui().TxtAction);
    QCOMPARE(journal.size(), appels.size());
    for (int i = 0; i < journal.size(); ++i) {
        if (couleurs[i].isValid())
            QCOMPARE(journal[i].couleur, couleurs[i]);
    }
    // The caret is left at the end.
    QCOMPARE(f.Ui().TxtAction->textCursor().position(),
             f.Ui().TxtAction->document()->characterCount() - 1);
}

void TstForm1::ecritActionRespecteLaSelection() {
    // A selection made in the log is neither replaced nor written into.
    Form1 f;
    f.journal().EcritAction(QStringLiteral("10:00:00 > un"), QStringLiteral("Ve"));
    f.journal().EcritAction(QStringLiteral("10:00:01 > deux"), QStringLiteral("Ve"));
    QTextCursor selection(f.Ui().TxtAction->document());
    selection.setPosition(3);
    selection.setPosition(8, QTextCursor::KeepAnchor);
    f.Ui().TxtAction->setTextCursor(selection);
    f.journal().EcritAction(QStringLiteral("10:00:02 > trois"), QStringLiteral("Ro"));
    QCOMPARE(f.journal().Texte(),
             QStringLiteral("10:00:00 > un\r\n10:00:01 > deux\r\n10:00:02 > trois\r\n"));
}

void TstForm1::dispositionRedimensionnement_data() {
    QTest::addColumn<QSize>("taille");
    QTest::addColumn<bool>("parLeSysteme");
    QTest::newRow("conception") << QSize(563, 547) << false;
    QTest::newRow("grande") << QSize(1024, 768) << false;
    QTest::newRow("impaire") << QSize(801, 633) << false;
    QTest::newRow("trop petite") << QSize(100, 100) << false;
    // Without a window manager nothing holds the window to its minimum: the
    // window system's own resize reaches it as is.
    QTest::newRow("trop petite sans gestionnaire") << QSize(100, 100) << true;
    QTest::newRow("trop étroite sans gestionnaire") << QSize(200, 700) << true;
}

void TstForm1::dispositionRedimensionnement() {
    QFETCH(QSize, taille);
    QFETCH(bool, parLeSysteme);
    auto f = demarre();
    Form1Ui &u = f->Ui();
    QVERIFY(QTest::qWaitForWindowExposed(f.get()));
    if (parLeSysteme)
        f->windowHandle()->resize(taille);
    else
        f->resize(taille);
    const QSize attendue = taille.expandedTo(QSize(247, 411)); // 3700 x 6165 twips
    QTRY_COMPARE(f->size(), attendue);
    QTRY_COMPARE(u.centre->size().width(), attendue.width());

    const int largeur = u.centre->width();
    const int hauteurInterne = u.centre->height() + u.stbEtat->height();
    // Two panes of equal width, (ScaleWidth - 240) / 2, 180 twips apart.
    const int volet = qRound((largeur * 15 - 240) / 2.0 / 15);
    QVERIFY(qAbs(u.fraLocal->width() - volet) <= 1);
    QCOMPARE(u.fraSite->width(), u.fraLocal->width());
    QCOMPARE(u.fraSite->x() - u.fraLocal->width(), 12);
    // The log area at the bottom, above the status bar, the full width less 120.
    QCOMPARE(u.fraAction->width(), largeur - 8);
    QCOMPARE(u.fraAction->y() + u.fraAction->height() + 4 + u.stbEtat->height(), hauteurInterne);
    QCOMPARE(u.fraLocal->height(), u.fraAction->y() - 4);
    QCOMPARE(u.fraSite->height(), u.fraLocal->height());
    // The log box leaves 1800 twips on its right for the buttons.
    QCOMPARE(u.fraAction->width() - u.TxtAction->x() - u.TxtAction->width(), 120);
    const int boutons = u.TxtAction->x() + u.TxtAction->width() + 7;
    QVERIFY(qAbs(u.Command1->x() - boutons) <= 1);
    QCOMPARE(u.Command3->x(), u.Command1->x());
    QCOMPARE(u.Command2->x(), u.Command1->x());
    QCOMPARE(u.Command4->x(), u.Command3->x() + u.Command3->width() + 1);
    QCOMPARE(u.Command6->x(), u.Command1->x() + u.Command1->width() + 1);
    QCOMPARE(u.Check1->x() + u.Check1->width(), u.Command6->x() + u.Command6->width());
    // Lists: the overlays cover them exactly; site and local columns match.
    QCOMPARE(u.List1->geometry(), u.filLocal->geometry());
    QCOMPARE(u.List3->geometry(), u.filLocal->geometry());
    QCOMPARE(u.List2->geometry(), u.List4->geometry());
    QCOMPARE(u.List4->height(), u.filLocal->height());
    QCOMPARE(u.trvSiteDir->width(), u.drvLocal->width());
    // A size that would become negative is refused and the list keeps its own.
    if (u.fraLocal->height() - u.filLocal->y() - 20 >= 0)
        QCOMPARE(u.filLocal->y() + u.filLocal->height() + 20, u.fraLocal->height());
    // Address row under the lists, quick-action labels on it.
    QCOMPARE(u.TCop[0]->y(), u.List4->y() + u.List4->height() + 2);
    QCOMPARE(u.TCop[1]->y(), u.TCop[0]->y());
    QCOMPARE(u.LabBou[0]->y(), u.TCop[0]->y());
    QVERIFY(u.TCop[0]->x() + u.TCop[0]->width() <= u.LabBou[0]->x());
    QVERIFY(u.LabBou[0]->x() + u.LabBou[0]->width() <= u.LabBou[2]->x());
    QVERIFY(u.TCop[1]->x() + u.TCop[1]->width() <= u.LabBou[1]->x());
    QCOMPARE(u.LabMove[0]->width(), u.fraSite->width());
}

void TstForm1::barreDeSeparationLimites() {
    auto f = demarre();
    Form1Ui &u = f->Ui();
    Disposition &d = f->disposition();
    const int haut = u.LabMove[0]->y();
    const int arbre = u.trvSiteDir->height();
    // Too close to the tree's top: refused, nothing saved.
    d.LabMove_MouseDown(0, 1, 0, 0, 150);
    d.LabMove_MouseUp(0, 1, 0, 0, 150 - (3150 - 660) + 1000);
    QCOMPARE(u.LabMove[0]->y(), haut);
    QCOMPARE(Reglages::Lit(Reglages::PosLM), QStringLiteral("0"));
    // Too low for the file lists: refused too.
    d.LabMove_MouseDown(0, 1, 0, 0, 0);
    d.LabMove_MouseUp(0, 1, 0, 0, Twips::DePixels(u.fraSite->height()));
    QCOMPARE(u.LabMove[0]->y(), haut);
    QCOMPARE(u.trvSiteDir->height(), arbre);
    // A move within the limits moves both bars, the tree, the folder list and the lists.
    d.LabMove_MouseDown(1, 1, 0, 0, 0);
    d.LabMove_MouseUp(1, 1, 0, 0, -600);
    QCOMPARE(u.LabMove[0]->y(), haut - 40);
    QCOMPARE(u.LabMove[1]->y(), haut - 40);
    QCOMPARE(u.trvSiteDir->height(), arbre - 40);
    QCOMPARE(u.dirLocal->y() + u.dirLocal->height(), u.trvSiteDir->y() + u.trvSiteDir->height());
    QCOMPARE(u.List4->y(), u.LabMove[0]->y() + u.LabMove[0]->height());
    QCOMPARE(u.filLocal->y(), u.List4->y());
    QCOMPARE(u.Text1->y(), u.LabMove[0]->y() - 1);
    QCOMPARE(Reglages::Lit(Reglages::PosLM), QStringLiteral("-600"));
    // A real drag with the mouse on the local bar.
    QTest::mousePress(u.LabMove[1], Qt::LeftButton, {}, QPoint(30, 5));
    QTest::mouseRelease(u.LabMove[1], Qt::LeftButton, {}, QPoint(30, 25));
    QCOMPARE(u.LabMove[0]->y(), haut - 20);
    QCOMPARE(Reglages::Lit(Reglages::PosLM), QStringLiteral("-300"));
}

void TstForm1::secondeInstance() {
    auto premiere = demarre();
    QCOMPARE(InstancePrecedente, short(0));
    auto seconde = demarre();
    QCOMPARE(InstancePrecedente, short(-1));
    seconde.reset();
    premiere.reset();
    auto troisieme = demarre();
    QCOMPARE(InstancePrecedente, short(0));
}

QTEST_MAIN(TstForm1)
#include "tst_form1.moc"
