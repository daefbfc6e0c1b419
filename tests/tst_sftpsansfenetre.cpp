// SFTP without a window: quillon-ftp's sftp:// URLs and a recorded SFTP slot
// run headless, both as real programs against OpenSSH's sshd on loopback
// (tests/fixtures/sshd.py). Host keys come from a known_hosts file named by
// QUILLON_KNOWN_HOSTS or from --pin; nothing may ever be asked.

#include "automation/LigneCommande.h"
#include "settings/Reglages.h"
#include "support/TestServeur.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Execution {
    int code = -1;
    QByteArray sortie, erreurs;
};

Execution lance(const QString &programme, const QStringList &arguments,
                const QProcessEnvironment &ajouts) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No agent, no display: only what the test names, and never a question.
    for (const char *v : {"SSH_AUTH_SOCK", "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                          "QUILLON_KNOWN_HOSTS", "QUILLON_FTP_PASSWORD"})
        env.remove(QLatin1String(v));
    env.insert(ajouts);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(programme, arguments);
    Execution e;
    // A bound, not a measure.
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        e.erreurs = "<did not end>";
        return e;
    }
    e.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    e.sortie = p.readAllStandardOutput();
    e.erreurs = p.readAllStandardError();
    return e;
}

} // namespace

class TstSftpSansFenetre : public QObject {
    Q_OBJECT

    QMap<QString, QString> m_info;
    QTemporaryDir m_tmp;
    QString m_hotesVides; // a known_hosts file that knows no one

    // A fresh folder in the account's home that the account may write to.
    QString nouveauDossier(const QString &nom) {
        const QString chemin = m_info["root"] + u'/' + nom + u'/';
        QDir(chemin).removeRecursively();
        QDir().mkpath(chemin);
        QFile::setPermissions(chemin, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::WriteOther | QFileDevice::ExeOther);
        return chemin;
    }
    QString url(const QString &chemin) const {
        return QStringLiteral("sftp://%1@127.0.0.1:%2%3")
            .arg(m_info["user"], m_info["port"], chemin);
    }
    Execution outil(const QStringList &arguments, const QString &hotesConnus) {
        QProcessEnvironment env;
        env.insert(QStringLiteral("QUILLON_FTP_PASSWORD"), m_info["password"]);
        env.insert(QStringLiteral("QUILLON_KNOWN_HOSTS"), hotesConnus);
        env.insert(QStringLiteral("QUILLON_FTP_TIMEOUT"), QStringLiteral("20"));
        return lance(QStringLiteral(QUILLON_BUILD_DIR "/quillon-ftp"), arguments, env);
    }

private slots:
    void initTestCase() {
        m_info = LitInfoSshd();
        QVERIFY(m_tmp.isValid());
        m_hotesVides = m_tmp.filePath("known_hosts_vide");
        QVERIFY(EcritFichierLocal(m_hotesVides, {}));
    }

    void outilSftp();
    void transfertEnregistre();
    void transfertServeurHostile();
};

// The tests that need the sshd fixture skip without it.
#define EXIGE_SSHD()                                                                               \
    do {                                                                                           \
        if (m_info.contains("skip"))                                                               \
            QSKIP(qPrintable(m_info["skip"]));                                                     \
        QVERIFY2(m_info.contains("port"), "QUILLON_TEST_SSHD_INFO: no sshd fixture");              \
    } while (0)

// Every command over sftp://, the key pinned; then the key rules: unknown
// without a pin, a wrong pin, a known key, and options that don't apply.
void TstSftpSansFenetre::outilSftp() {
    EXIGE_SSHD();
    const QString pin = QStringLiteral("--pin=") + m_info["fingerprint"];
    const QString d = nouveauDossier("outil");
    const QByteArray contenu = OctetsTest(3 * 1024 * 1024 + 17);
    const QString source = m_tmp.filePath("source.bin");
    QVERIFY(EcritFichierLocal(source, contenu));

    Execution x = outil({pin, "put", source, url(d + "a.bin")}, m_hotesVides);
    QVERIFY2(x.code == 0 && x.erreurs.isEmpty(), x.erreurs.constData());
    QCOMPARE(LitFichierLocal(d + "a.bin"), contenu);

    x = outil({pin, "mkdir", url(d + "sous")}, m_hotesVides);
    QCOMPARE(x.code, 0);
    x = outil({pin, "mv", url(d + "a.bin"), d + "sous/b.bin"}, m_hotesVides);
    QVERIFY2(x.code == 0, x.erreurs.constData());
    QVERIFY(!QFile::exists(d + "a.bin"));

    x = outil({pin, "ls", url(d)}, m_hotesVides);
    QCOMPARE(x.code, 0);
    QCOMPARE(x.sortie, ('?' + d + "sous/\tsous\n").toUtf8());
    x = outil({pin, "size", url(d + "sous/b.bin")}, m_hotesVides);
    QCOMPARE(x.sortie, QByteArray::number(contenu.size()) + '\n');

    const QString copie = m_tmp.filePath("copie");
    x = outil({pin, "get", "-r", url(d), copie}, m_hotesVides);
    QVERIFY2(x.code == 0 && x.erreurs.isEmpty(), x.erreurs.constData());
    QCOMPARE(LitFichierLocal(copie + "/sous/b.bin"), contenu);
    x = outil({pin, "get", url(d + "sous/b.bin"), m_tmp.filePath("b.bin")}, m_hotesVides);
    QCOMPARE(x.code, 0);
    QCOMPARE(LitFichierLocal(m_tmp.filePath("b.bin")), contenu);

    x = outil({pin, "rm", url(d + "sous/b.bin")}, m_hotesVides);
    QCOMPARE(x.code, 0);
    QVERIFY(!QFile::exists(d + "sous/b.bin"));
    // Gone: a failure with the reason, nothing on stdout.
    x = outil({pin, "rm", url(d + "sous/b.bin")}, m_hotesVides);
    QCOMPARE(x.code, 1);
    QVERIFY(x.sortie.isEmpty());
    QVERIFY2(x.erreurs.startsWith("quillon-ftp: rm: "), x.erreurs.constData());

    // Unknown key, no pin: refused, with what the user needs to pin it.
    x = outil({"ls", url(d)}, m_hotesVides);
    QCOMPARE(x.code, 1);
    QVERIFY(x.sortie.isEmpty());
    QVERIFY2(x.erreurs.startsWith("quillon-ftp: connexion: ") &&
                 x.erreurs.contains("ssh-ed25519 " + m_info["fingerprint"].toUtf8()),
             x.erreurs.constData());

    // Another key pinned: refused, whatever known_hosts says.
    const QString autre = QStringLiteral("SHA256:") + QString(43, u'A');
    for (const QString &hotes : {m_hotesVides, m_info["known_hosts"]}) {
        x = outil({"--pin", autre, "ls", url(d)}, hotes);
        QCOMPARE(x.code, 1);
        QVERIFY2(x.erreurs.contains(autre.toUtf8()), x.erreurs.constData());
    }

    // Known key: no pin needed.
    x = outil({"pwd", url(d + "sous")}, m_info["known_hosts"]);
    QVERIFY2(x.code == 0, x.erreurs.constData());
    QCOMPARE(x.sortie, (m_info["root"] + u'\n' + d + "sous\n").toUtf8());

    // A tree over three connections each way, the key known: every extra
    // connection takes the key the first one accepted.
    QVERIFY(QDir().mkpath(d + "p/q"));
    for (int i = 0; i < 7; ++i)
        QVERIFY(EcritFichierLocal(d + QString(QLatin1String(i % 2 ? "p/q/f%1" : "p/f%1")).arg(i),
                                  OctetsTest(30000 * i + 1)));
    const QString copieP = m_tmp.filePath("copieP");
    x = outil({"get", "-r", "-P", "3", url(d + "p"), copieP}, m_info["known_hosts"]);
    QVERIFY2(x.code == 0 && x.erreurs.isEmpty(), x.erreurs.constData());
    x = outil({"put", "-r", "-P", "3", copieP, url(d + "retourP")}, m_info["known_hosts"]);
    QVERIFY2(x.code == 0 && x.erreurs.isEmpty(), x.erreurs.constData());
    for (int i = 0; i < 7; ++i) {
        const QString nom = QString(QLatin1String(i % 2 ? "q/f%1" : "f%1")).arg(i);
        QCOMPARE(LitFichierLocal(copieP + u'/' + nom), OctetsTest(30000 * i + 1));
        QCOMPARE(LitFichierLocal(d + "retourP/" + nom), OctetsTest(30000 * i + 1));
    }

    // Options of the other protocol: usage errors, nothing tried.
    for (const QStringList &args :
         {QStringList{"--tls=off", "ls", url(d)}, QStringList{"--tls=required", "ls", url(d)},
          QStringList{"--pin", "AB:CD", "ls", url(d)},
          QStringList{"--pin", "SHA256:court", "ls", url(d)}}) {
        x = outil(args, m_info["known_hosts"]);
        QCOMPARE(x.code, 2);
        QVERIFY(x.erreurs.startsWith("usage: "));
    }
}

// A slot recorded over SFTP, run by the real program without a display: a
// known key uploads and downloads; an unknown one fails with the reason and
// leaves the local file alone.
void TstSftpSansFenetre::transfertEnregistre() {
    EXIGE_SSHD();
    const QString config = m_tmp.filePath("config");
    QVERIFY(QDir().mkpath(config + "/quillon"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    Reglages::Relit();
    const QString d = nouveauDossier("enregistre");
    const QString local = m_tmp.filePath("copie de nuit.bin");
    const QByteArray contenu = OctetsTest(700000);
    QVERIFY(EcritFichierLocal(local, contenu));
    EmplacementTransfert e;
    e.site = QStringLiteral("127.0.0.1:") + m_info["port"];
    e.utilisateur = m_info["user"];
    e.motDePasse = m_info["password"];
    e.distant = d + "nuit.bin";
    e.local = local;
    e.protocole = Protocole::SFTP;
    EcritEmplacement(6, e);
    const QString ini = config + "/quillon/quillon.ini";
    QVERIFY(QFile::copy(Reglages::CheminFichier(), ini));

    const auto programme = [&](const QString &argument, const QString &hotesConnus) {
        QProcessEnvironment env;
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("QUILLON_KNOWN_HOSTS"), hotesConnus);
        return lance(QStringLiteral(QUILLON_BUILD_DIR "/quillon"), {argument}, env);
    };
    Execution x = programme("L6", m_info["known_hosts"]);
    QCOMPARE(QString::fromUtf8(x.erreurs),
             QStringLiteral("Initialisation ...\nUpload en cours ...\nUpload terminé.\n"));
    QCOMPARE(x.code, 0);
    QCOMPARE(LitFichierLocal(d + "nuit.bin"), contenu);

    QVERIFY(QFile::remove(local));
    x = programme("N6", m_info["known_hosts"]);
    QCOMPARE(QString::fromUtf8(x.erreurs),
             QStringLiteral("Initialisation ...\nDownload en cours ...\nDownload terminé.\n"));
    QCOMPARE(x.code, 0);
    QCOMPARE(LitFichierLocal(local), contenu);

    // A key nobody knows: no question, the reason names it.
    QVERIFY(EcritFichierLocal(d + "nuit.bin", "autre"));
    x = programme("N6", m_hotesVides);
    QVERIFY2(x.erreurs.startsWith("Initialisation ...\nEchec à la connexion.\nRaison : "),
             x.erreurs.constData());
    QVERIFY2(x.erreurs.contains(m_info["fingerprint"].toUtf8()), x.erreurs.constData());
    QCOMPARE(x.code, 1);
    QCOMPARE(LitFichierLocal(local), contenu);
}

// A recorded download from a server that drops the connection half-way
// with a parting message full of escape sequences: the old file stays, and
// the reason reaches the terminal without them.
void TstSftpSansFenetre::transfertServeurHostile() {
    ServeurScripte serveur(QStringLiteral("drop"), {}, QStringLiteral("sftp_hostile.py"));
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    const QString cle = serveur.journal().section(u'\n', 1, 1).section(u'=', 1);
    const QString hotesConnus = m_tmp.filePath("known_hosts_hostile");
    QVERIFY(EcritFichierLocal(
        hotesConnus,
        QStringLiteral("[127.0.0.1]:%1 %2\n").arg(serveur.port()).arg(cle).toLatin1()));
    const QString config = m_tmp.filePath("config-hostile");
    QVERIFY(QDir().mkpath(config + "/quillon"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    Reglages::Relit();
    const QString local = m_tmp.filePath("garde.bin");
    QVERIFY(EcritFichierLocal(local, "ancien"));
    EmplacementTransfert e;
    e.site = serveur.site();
    e.utilisateur = QStringLiteral("quillon");
    e.motDePasse = QStringLiteral("secret");
    e.distant = QStringLiteral("/d/f.bin");
    e.local = local;
    e.protocole = Protocole::SFTP;
    EcritEmplacement(5, e);
    QVERIFY(QFile::copy(Reglages::CheminFichier(), config + "/quillon/quillon.ini"));

    QProcessEnvironment env;
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("QUILLON_KNOWN_HOSTS"), hotesConnus);
    const Execution x = lance(QStringLiteral(QUILLON_BUILD_DIR "/quillon"), {"N5"}, env);
    QVERIFY2(x.erreurs.startsWith("Initialisation ...\nDownload en cours ...\nEchec au "
                                  "download.\nRaison : connexion interrompue : ") &&
                 x.erreurs.contains("au revoir"),
             x.erreurs.constData());
    for (const char c : x.erreurs)
        QVERIFY2(c == '\n' || (uchar(c) >= 0x20 && c != 0x7f), x.erreurs.toHex().constData());
    QCOMPARE(x.code, 2);
    QCOMPARE(LitFichierLocal(local), QByteArray("ancien"));
}

QTEST_GUILESS_MAIN(TstSftpSansFenetre)
#include "tst_sftpsansfenetre.moc"
