// Stored passwords in a Secret Service keyring: a private session bus and
// gnome-keyring started for this program, the settings file checked for the
// passwords it must no longer hold, a "restart" read back from the keyring,
// and the command-line transfer using a slot's password from it. Without a
// keyring, or with one whose prompt nobody answers, the file keeps them and
// the window says so without ever waiting for it.

#include "automation/Automatisation.h"
#include "automation/Form3.h"
#include "automation/LigneCommande.h"
#include "connection/GestionConnexion.h"
#include "dialogs/Form2.h"
#include "ftp/clsFTP.h"
#include "mainwindow/Form1.h"
#include "security/Trousseau.h"
#include "settings/Reglages.h"
#include "support/BancFenetre.h"
#include "support/TestServeur.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/Globales.h"
#include "window/JournalActivite.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

namespace {

QByteArray fichierReglages() {
    QFile f(Reglages::CheminFichier());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What the program finds at its next start: nothing read so far is kept.
void redemarre() {
    Trousseau::OublieLectures();
    Reglages::Relit();
}

QString motDePasseMemoire(int n) {
    return Reglages::Lit(Reglages::SectionMemoire(n), QLatin1String(Reglages::MemTxtMDP));
}

QString motDePasseEmplacement(int n) {
    return Reglages::Lit(QLatin1String(Reglages::SectionLDC), Reglages::CleLDC("txtMDP", n));
}

class AfficheurMuet : public AfficheurEtat {
public:
    void Affiche(Voyant, const QString &t) override { textes << t; }
    void AfficheCache(bool) override {}
    QStringList textes;
};

} // namespace

class TstTrousseau : public QObject {
    Q_OBJECT
    TestServeur &m_srv = TestServeur::instance();
    BancFenetre m_banc;
    QTemporaryDir m_session;
    QProcess m_bus, m_trousseau;

    // A session bus and an unlocked keyring of this program's own; empty
    // when they can't run here.
    QString demarreTrousseau() {
        const QString dbus = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        const QString gk = QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon"));
        const QString envoi = QStandardPaths::findExecutable(QStringLiteral("dbus-send"));
        if (dbus.isEmpty() || gk.isEmpty() || envoi.isEmpty())
            return QStringLiteral("dbus-daemon, dbus-send or gnome-keyring-daemon missing");
        QDir(m_session.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(m_session.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_session.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_session.filePath(QStringLiteral("run")));
        env.remove(QStringLiteral("DISPLAY")); // no prompt can open
        m_bus.setProcessEnvironment(env);
        m_bus.start(dbus, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                           QStringLiteral("--address=unix:path=") +
                               m_session.filePath(QStringLiteral("run/bus")),
                           QStringLiteral("--print-address=1")});
        if (!m_bus.waitForStarted(5000))
            return QStringLiteral("dbus-daemon does not start");
        QByteArray adresse;
        while (!adresse.contains('\n') && m_bus.waitForReadyRead(5000))
            adresse += m_bus.readAllStandardOutput();
        adresse = adresse.trimmed();
        if (adresse.isEmpty())
            return QStringLiteral("dbus-daemon gives no address");
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(adresse));
        m_trousseau.setProcessEnvironment(env);
        m_trousseau.start(gk, {QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                               QStringLiteral("--components=secrets")});
        if (!m_trousseau.waitForStarted(5000))
            return QStringLiteral("gnome-keyring-daemon does not start");
        // The login keyring is created, unlocked, with this password.
        m_trousseau.write("essai");
        m_trousseau.closeWriteChannel();
        for (int essai = 0; essai < 50; ++essai) {
            QProcess q;
            q.setProcessEnvironment(env);
            q.start(envoi, {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                            QStringLiteral("--dest=org.freedesktop.DBus"),
                            QStringLiteral("/org/freedesktop/DBus"),
                            QStringLiteral("org.freedesktop.DBus.NameHasOwner"),
                            QStringLiteral("string:org.freedesktop.secrets")});
            q.waitForFinished(5000);
            if (q.readAllStandardOutput().contains("boolean true")) {
                qputenv("DBUS_SESSION_BUS_ADDRESS", adresse);
                return QString();
            }
            QTest::qWait(100);
        }
        return QStringLiteral("the keyring never appears on the bus");
    }

private slots:
    void initTestCase() {
        QVERIFY2(m_srv.valide(), qPrintable(m_srv.erreur()));
        QVERIFY(m_session.isValid());
        qunsetenv("QUILLON_TROUSSEAU");
    }

    void init() {
        QVERIFY(m_banc.Renouvelle());
        Reglages::Relit();
        Trousseau::Arrete();
    }

    void cleanup() {
        Trousseau::Arrete();
        Trousseau::DefinitDelai(0);
    }

    void cleanupTestCase() {
        for (QProcess *p : {&m_trousseau, &m_bus}) {
            p->kill();
            p->waitForFinished(5000);
        }
    }

    // No session bus: the file keeps the passwords, the window says so once.
    void sansTrousseau() {
        const QByteArray adresse = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        QCOMPARE(Trousseau::Demarre(true), Trousseau::Etat::Absent);
        if (!adresse.isEmpty())
            qputenv("DBUS_SESSION_BUS_ADDRESS", adresse);
        EcritReglagesConnexion(m_srv, QStringLiteral("/"), m_banc.Local());
        auto f = DemarreFenetre();
        QCOMPARE(f->etat().CO(), short(-1));
        const QString journal = f->Ui().TxtAction->toPlainText();
        QCOMPARE(journal.count(Trousseau::LigneAbsent()), 1);
        QVERIFY(fichierReglages().contains(m_srv.motDePasse().toUtf8()));
    }

    void avecTrousseau() {
        const QString raison = demarreTrousseau();
        if (!raison.isEmpty())
            QSKIP(qPrintable(raison));

        // Passwords written while no keyring was known.
        const QString distant =
            m_srv.nouveauDossier(QStringLiteral("trousseau")) + QStringLiteral("nuit.txt");
        QVERIFY(m_srv.ecrisFichier(distant, "contenu de nuit"));
        const QString local = m_banc.Local(QStringLiteral("nuit.txt"));
        EcritReglagesConnexion(m_srv, QStringLiteral("/"), m_banc.Local());
        Reglages::Ecrit(Reglages::SectionMemoire(3), QLatin1String(Reglages::MemTxtMDP),
                        QStringLiteral("mémoire trois"));
        EcritEmplacement(5,
                         {m_srv.site(), m_srv.utilisateur(), m_srv.motDePasse(), distant, local});
        QVERIFY(fichierReglages().contains(m_srv.motDePasse().toUtf8()));

        // The first start with a keyring moves them there, in the background;
        // the keys stay, empty.
        QCOMPARE(Trousseau::Demarre(true), Trousseau::Etat::EnAttente);
        QTRY_COMPARE(Trousseau::EtatCourant(), Trousseau::Etat::Present);
        QTRY_VERIFY(!fichierReglages().contains(QStringLiteral("mémoire trois").toUtf8()));
        QTRY_VERIFY2(!fichierReglages().contains(m_srv.motDePasse().toUtf8()),
                     fichierReglages().constData());
        QByteArray fichier;
        {
            QSettings brut(Reglages::CheminFichier(), QSettings::IniFormat);
            QCOMPARE(brut.value(QStringLiteral("data/txtmdp"), QStringLiteral("<absent>")),
                     QVariant(QString()));
            QCOMPARE(brut.value(QStringLiteral("ldc/txtmdp5"), QStringLiteral("<absent>")),
                     QVariant(QString()));
        }
        redemarre();
        QCOMPARE(Reglages::Lit(Reglages::TxtMDP), m_srv.motDePasse());
        QCOMPARE(motDePasseMemoire(3), QStringLiteral("mémoire trois"));
        QCOMPARE(motDePasseEmplacement(5), m_srv.motDePasse());

        // The window connects with the password from the keyring, and writes
        // new ones there: the dialog's OK, a memory, a recorded slot.
        auto f = DemarreFenetre();
        QCOMPARE(f->etat().CO(), short(-1));
        QVERIFY(!f->Ui().TxtAction->toPlainText().contains(Trousseau::LigneAbsent()));
        const QString nouveau = QStringLiteral("nouveau, secret");
        {
            Form2 d(LiensDialogueConnexion(*f));
            d.txtMDP->setText(nouveau);
            m_banc.prompts.saisies.append(std::optional<QString>(QStringLiteral("Six")));
            d.Check1->setChecked(true);
            d.Command1_Click(6);
            d.btnOK_Click();
        }
        QCOMPARE(sMotDePasse, nouveau);
        Form3 &auto3 = f->automatisation().form3();
        auto3.txtMDP->setText(nouveau);
        auto3.ficDist->setText(distant);
        auto3.ficLoc->setText(local);
        auto3.Option1[1]->setChecked(true);
        auto3.Command2_Click(7);
        // Each leaves the file once the keyring confirmed it holds it.
        QTRY_VERIFY2(!fichierReglages().contains(nouveau.toUtf8()), fichierReglages().constData());
        fichier = fichierReglages();
        QVERIFY(!fichier.contains(m_srv.motDePasse().toUtf8()));
        f.reset();

        redemarre();
        QCOMPARE(Reglages::Lit(Reglages::TxtMDP), nouveau);
        QCOMPARE(motDePasseMemoire(6), nouveau);
        QCOMPARE(motDePasseMemoire(3), QStringLiteral("mémoire trois"));
        QCOMPARE(motDePasseEmplacement(7), nouveau);

        // A recorded transfer reads its slot's password from the keyring.
        redemarre();
        clsFTP ftp;
        AfficheurMuet afficheur;
        short cache = 0;
        QCOMPARE(ExecuteLigneCommande(QStringLiteral("N5"), ftp, afficheur, cache), 0);
        QCOMPARE(LitFichierLocal(local), QByteArray("contenu de nuit"));

        // An erased password leaves the keyring too.
        Reglages::Ecrit(Reglages::TxtMDP, QString());
        redemarre();
        QCOMPARE(Reglages::Lit(Reglages::TxtMDP), QString());
    }

    // A keyring whose unlock prompt nobody answers: the window stays usable,
    // the connection says it waits, then goes on with the file's password
    // under an orange line; a recorded transfer gives up in bounded time.
    void promptSansReponse() {
        // GDBus and the keyring library keep the first session bus a process
        // uses: this case runs in a process of its own.
        if (qEnvironmentVariableIsEmpty("QUILLON_TST_PROCESSUS_SEUL")) {
            QProcess seul;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QUILLON_TST_PROCESSUS_SEUL"), QStringLiteral("1"));
            seul.setProcessEnvironment(env);
            seul.setProcessChannelMode(QProcess::MergedChannels);
            seul.start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("promptSansReponse")});
            QVERIFY(seul.waitForFinished(120000));
            QVERIFY2(seul.exitStatus() == QProcess::NormalExit && seul.exitCode() == 0,
                     seul.readAll().constData());
            return;
        }
        const QString dbus = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (dbus.isEmpty())
            QSKIP("dbus-daemon missing");
        QTemporaryDir dossier;
        QProcess bus, faux;
        const auto arrete = qScopeGuard([&] {
            for (QProcess *p : {&faux, &bus}) {
                p->kill();
                p->waitForFinished(5000);
            }
        });
        bus.start(dbus, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                         QStringLiteral("--address=unix:path=") + dossier.filePath("bus"),
                         QStringLiteral("--print-address=1")});
        QVERIFY(bus.waitForStarted(5000));
        QByteArray adresse;
        while (!adresse.contains('\n') && bus.waitForReadyRead(5000))
            adresse += bus.readAllStandardOutput();
        adresse = adresse.trimmed();
        QVERIFY(!adresse.isEmpty());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(adresse));
        faux.setProcessEnvironment(env);
        faux.start(QStringLiteral(QUILLON_PYTHON),
                   {QStringLiteral(QUILLON_TESTS_DIR "/fixtures/trousseau_verrouille.py")});
        QByteArray sortie;
        while (!sortie.contains("pret") && faux.waitForReadyRead(10000))
            sortie += faux.readAllStandardOutput();
        if (!sortie.contains("pret"))
            QSKIP("python3-dbus or python3-gi missing");
        const QByteArray ancienne = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("DBUS_SESSION_BUS_ADDRESS", adresse);
        const auto restaure = qScopeGuard([&] { qputenv("DBUS_SESSION_BUS_ADDRESS", ancienne); });

        EcritReglagesConnexion(m_srv, QStringLiteral("/"), m_banc.Local());
        EcritEmplacement(4, {m_srv.site(), m_srv.utilisateur(), QStringLiteral("quatre"),
                             QStringLiteral("/a"), m_banc.Local(QStringLiteral("a"))});
        // Long enough for the window to start and the prompt to come up first.
        Trousseau::DefinitDelai(2000);
        QCOMPARE(Trousseau::Demarre(true), Trousseau::Etat::EnAttente);
        auto f = DemarreFenetre();
        QCOMPARE(f->etat().CO(), short(0));
        QTRY_VERIFY((sortie += faux.readAllStandardOutput()).contains("prompt"));

        // The prompt is up: a click on the window is handled at once.
        QCOMPARE(Trousseau::EtatCourant(), Trousseau::Etat::EnAttente);
        const bool avant = f->Ui().Check1->isChecked();
        QTest::mouseClick(f->Ui().Check1, Qt::LeftButton);
        QCOMPARE(f->Ui().Check1->isChecked(), !avant);
        QCOMPARE(Trousseau::EtatCourant(), Trousseau::Etat::EnAttente);
        QCOMPARE(f->Ui().TxtAction->toPlainText().count(Trousseau::LigneAttente()), 1);

        // Unanswered: the file's password, an orange line, nothing moved.
        QTRY_COMPARE_WITH_TIMEOUT(f->etat().CO(), short(-1), 20000);
        QCOMPARE(Trousseau::EtatCourant(), Trousseau::Etat::SansReponse);
        const QString journal = f->Ui().TxtAction->toPlainText();
        QCOMPARE(journal.count(Trousseau::LigneSansReponse()), 1);
        QVERIFY(!journal.contains(Trousseau::LigneAbsent()));
        QVERIFY(fichierReglages().contains(m_srv.motDePasse().toUtf8()));
        QVERIFY(fichierReglages().contains("quatre"));
        f.reset();

        // A recorded transfer waits for its read, then takes the file's.
        Trousseau::Arrete();
        Reglages::Relit();
        Trousseau::DefinitDelai(300);
        QCOMPARE(Trousseau::Demarre(false), Trousseau::Etat::SansReponse);
        QCOMPARE(motDePasseEmplacement(4), QStringLiteral("quatre"));
    }
};

QTEST_MAIN(TstTrousseau)
#include "tst_trousseau.moc"
