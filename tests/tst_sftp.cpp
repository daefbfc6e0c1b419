// SessionSftp against OpenSSH's sshd on loopback (tests/fixtures/sshd.py, a
// throw-away account whose home is the SFTP root). Files are prepared and
// checked on that home's disk. The user's own ~/.ssh is never read or written:
// every session is pointed at a temporary SSH folder and known_hosts file.

#include "sftp/SessionSftp.h"
#include "support/TestServeur.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A relay between the client and sshd that stops passing the server's bytes
// after `limite` of them, keeping both connections open: a server that stalls
// mid-transfer.
class RelaisMuet {
public:
    RelaisMuet(quint16 portServeur, qint64 limite) : m_limite(limite) {
        m_ecoute = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t l = sizeof a;
        ::bind(m_ecoute, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::listen(m_ecoute, 1);
        ::getsockname(m_ecoute, reinterpret_cast<sockaddr *>(&a), &l);
        m_port = ntohs(a.sin_port);
        m_fil = std::thread([this, portServeur] { relaie(portServeur); });
    }
    ~RelaisMuet() {
        m_fin = true;
        m_fil.join();
        for (int fd : {m_ecoute, m_client, m_serveur})
            if (fd >= 0)
                ::close(fd);
    }
    quint16 port() const { return m_port; }

private:
    void relaie(quint16 portServeur) {
        pollfd p{m_ecoute, POLLIN, 0};
        while (!m_fin && ::poll(&p, 1, 50) == 0) {
        }
        if (m_fin)
            return;
        m_client = ::accept4(m_ecoute, nullptr, nullptr, SOCK_CLOEXEC);
        m_serveur = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(portServeur);
        if (::connect(m_serveur, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
            return;
        char tampon[16384];
        qint64 passes = 0;
        while (!m_fin) {
            pollfd fds[2] = {{m_client, POLLIN, 0},
                             {m_serveur, short(passes < m_limite ? POLLIN : 0), 0}};
            if (::poll(fds, 2, 50) <= 0)
                continue;
            if (fds[0].revents) {
                const ssize_t n = ::read(m_client, tampon, sizeof tampon);
                if (n <= 0 || ::write(m_serveur, tampon, size_t(n)) != n)
                    return;
            }
            if (fds[1].revents) {
                const ssize_t n = ::read(m_serveur, tampon, sizeof tampon);
                if (n <= 0 || ::write(m_client, tampon, size_t(n)) != n)
                    return;
                passes += n;
            }
        }
    }

    qint64 m_limite;
    int m_ecoute = -1;
    int m_client = -1;
    int m_serveur = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_fin{false};
    std::thread m_fil;
};

QStringList clesTriees(const Dictionnaire &dic) {
    QStringList liste;
    for (const auto &e : dic.Entrees())
        liste << e.cle().toString();
    liste.sort();
    return liste;
}

} // namespace

class TestSftp : public QObject {
    Q_OBJECT

    QMap<QString, QString> m_info;
    QTemporaryDir m_sansCle; // an SSH folder with no key in it
    int m_compteur = 0;

    QString site() const { return QStringLiteral("sftp://127.0.0.1:%1").arg(m_info["port"]); }
    // A session that reads keys from dossierSsh and known_hosts from hotesConnus.
    void prepare(SessionSftp &s, const QString &hotesConnus, const QString &dossierSsh = {}) {
        s.setDelaiMs(10000);
        s.setDossierSsh(dossierSsh.isEmpty() ? m_sansCle.path() : dossierSsh);
        s.setFichierHotesConnus(hotesConnus);
    }
    // A fresh folder in the account's home, named "/abs/path/" and on disk.
    QString nouveauDossier(const QString &prefixe) {
        const QString chemin =
            QStringLiteral("%1/%2-%3/").arg(m_info["root"], prefixe).arg(++m_compteur);
        QDir().mkpath(chemin);
        QFile::setPermissions(chemin, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::WriteOther | QFileDevice::ExeOther);
        return chemin;
    }

private slots:
    void initTestCase() {
        m_info = LitInfoSshd();
        if (m_info.contains("skip"))
            QSKIP(qPrintable(m_info["skip"]));
        QVERIFY2(m_info.contains("port"), "QUILLON_TEST_SSHD_INFO: no sshd fixture");
        QVERIFY(m_sansCle.isValid());
        // No agent: only the paths each test names.
        qunsetenv("SSH_AUTH_SOCK");
    }

    // Password login, then every operation once, checked on the server's disk.
    void allerRetour() {
        SessionSftp s;
        prepare(s, m_info["known_hosts"]);
        QVERIFY2(s.Connecte(site(), m_info["user"], m_info["password"]), qPrintable(s.Erreur()));
        QCOMPARE(s.DerniereCle().etat, SessionSftp::EtatCle::Connue);
        QCOMPARE(s.DossierCourant().value_or(QString()), m_info["root"]);

        const QString dossier = nouveauDossier("aller");
        // Several windows of reads and a tail that is not a whole read.
        const QByteArray contenu = OctetsTest(5 * 1024 * 1024 + 4321);
        QVERIFY(EcritFichierLocal(dossier + "a.bin", contenu));
        QVERIFY(EcritFichierLocal(dossier + "vide", {}));
        QVERIFY(QDir().mkdir(dossier + "sous"));
        QVERIFY(QDir().mkdir(dossier + ".cache"));              // a hidden folder: not listed
        QVERIFY(EcritFichierLocal(dossier + "mau\nvais", "x")); // a control character
        QVERIFY(EcritFichierLocal(dossier + "contre\\barre", "x"));
        QVERIFY(QFile::link(dossier + "a.bin", dossier + "lien"));
        // 64-bit sizes: a sparse file of 5 GiB.
        {
            QFile gros(dossier + "gros");
            QVERIFY(gros.open(QIODevice::WriteOnly));
            QVERIFY(gros.resize(5LL << 30));
        }

        Dictionnaire dic;
        QVERIFY2(s.Liste(dic, dossier), qPrintable(s.Erreur()));
        QCOMPARE(clesTriees(dic),
                 QStringList({dossier + "a.bin", dossier + "gros", dossier + "lien",
                              dossier + "vide", u'?' + dossier + "sous/"}));
        QCOMPARE(s.DossierCourant().value_or(QString()), dossier.chopped(1));
        QCOMPARE(s.Taille("gros"), 5LL << 30);
        QCOMPARE(s.Taille(dossier + "a.bin"), qint64(contenu.size()));
        QCOMPARE(s.Taille("sous"), qint64(-1));

        // Download, relative to the folder listed, with progress up to the end.
        QTemporaryDir local;
        qint64 dernierFait = -1, dernierTotal = -2;
        s.setProgression([&](qint64 fait, qint64 total) {
            dernierFait = fait;
            dernierTotal = total;
        });
        QVERIFY2(s.Telecharge("a.bin", local.filePath("a.bin")), qPrintable(s.Erreur()));
        QCOMPARE(LitFichierLocal(local.filePath("a.bin")), contenu);
        QCOMPARE(dernierFait, qint64(contenu.size()));
        QCOMPARE(dernierTotal, qint64(contenu.size()));
        QVERIFY2(s.Telecharge("vide", local.filePath("vide"), FtpSession::Cible::DansDossier),
                 qPrintable(s.Erreur()));
        QCOMPARE(LitFichierLocal(local.filePath("vide")), QByteArray());

        // A failed download leaves the file already there as it was, and no
        // temporary file beside it.
        QVERIFY(EcritFichierLocal(local.filePath("garde"), "ancien"));
        QVERIFY(!s.Telecharge("absent", local.filePath("garde"), FtpSession::Cible::DansDossier));
        QCOMPARE(s.Erreur(), QStringLiteral("absent : fichier ou dossier introuvable"));
        QCOMPARE(LitFichierLocal(local.filePath("garde")), QByteArray("ancien"));
        QCOMPARE(QDir(local.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({"a.bin", "garde", "vide"}));
        QVERIFY(s.Connectee());

        // Upload, rename, delete, make and remove a folder.
        const QByteArray envoi = OctetsTest(3 * 1024 * 1024 + 7);
        QVERIFY(EcritFichierLocal(local.filePath("envoi"), envoi));
        QVERIFY2(s.Envoie(local.filePath("envoi"), "envoye.bin"), qPrintable(s.Erreur()));
        QCOMPARE(LitFichierLocal(dossier + "envoye.bin"), envoi);
        QCOMPARE(dernierFait, qint64(envoi.size()));
        QVERIFY2(s.Renomme("envoye.bin", "renomme.bin"), qPrintable(s.Erreur()));
        QVERIFY(!QFile::exists(dossier + "envoye.bin"));
        QCOMPARE(LitFichierLocal(dossier + "renomme.bin"), envoi);
        QVERIFY2(s.CreeDossier("nouveau"), qPrintable(s.Erreur()));
        QVERIFY(QFileInfo(dossier + "nouveau").isDir());
        QVERIFY2(s.SupprimeDossier(dossier + "nouveau"), qPrintable(s.Erreur()));
        QVERIFY(!QFileInfo::exists(dossier + "nouveau"));
        QVERIFY2(s.Supprime("renomme.bin"), qPrintable(s.Erreur()));
        QVERIFY(!QFileInfo::exists(dossier + "renomme.bin"));
        QVERIFY(!s.Supprime("renomme.bin"));
        QCOMPARE(s.Erreur(), QStringLiteral("renomme.bin : fichier ou dossier introuvable"));
        QVERIFY(!s.ChangeDossier("a.bin"));
        QVERIFY(s.Connectee());
        s.Deconnecte();
        QVERIFY(!s.Connectee());
        QVERIFY(!s.CreeDossier("x"));
        QCOMPARE(s.Erreur(), QStringLiteral("pas de connexion"));
    }

    // Uploads keep many writes in flight: the file arrives byte for byte
    // whatever its size, and a server that refuses them leaves the session
    // usable once every reply has been read back.
    void envoisEnVol() {
        SessionSftp s;
        prepare(s, m_info["known_hosts"]);
        QVERIFY2(s.Connecte(site(), m_info["user"], m_info["password"]), qPrintable(s.Erreur()));
        const QString dossier = nouveauDossier("envois");
        QTemporaryDir local;
        // Empty, one whole window and more, several windows and a tail.
        for (const qsizetype taille :
             {qsizetype(0), qsizetype(4 << 20), qsizetype(9 << 20) + 333}) {
            const QByteArray contenu = OctetsTest(taille);
            const QString nom = QStringLiteral("f%1").arg(taille);
            QVERIFY(EcritFichierLocal(local.filePath(nom), contenu));
            QVERIFY(EcritFichierLocal(dossier + nom, "ancien contenu, plus long que rien"));
            QFile::setPermissions(dossier + nom, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ReadOther |
                                                     QFileDevice::WriteOther);
            QVERIFY2(s.Envoie(local.filePath(nom), dossier + nom), qPrintable(s.Erreur()));
            QCOMPARE(LitFichierLocal(dossier + nom), contenu);
        }
        // Every write fails on /dev/full.
        QVERIFY(!s.Envoie(local.filePath(QStringLiteral("f%1").arg((9 << 20) + 333)), "/dev/full"));
        QCOMPARE(s.Erreur(), QStringLiteral("/dev/full : échec de l'opération"));
        QVERIFY(s.Connectee());
        QCOMPARE(s.Taille(dossier + "f4194304"), qint64(4 << 20));
        QVERIFY2(s.Envoie(local.filePath("f4194304"), dossier + "encore"), qPrintable(s.Erreur()));
        QCOMPARE(LitFichierLocal(dossier + "encore"), OctetsTest(4 << 20));
    }

    // A folder whose names come in many replies, several asked at once:
    // every entry once, and the session in step afterwards.
    void listeEnVol() {
        SessionSftp s;
        prepare(s, m_info["known_hosts"]);
        QVERIFY2(s.Connecte(site(), m_info["user"], m_info["password"]), qPrintable(s.Erreur()));
        const QString dossier = nouveauDossier("grand");
        QStringList attendues;
        for (int i = 0; i < 1234; ++i) {
            const QString nom = QStringLiteral("fichier-%1.txt").arg(i);
            QVERIFY(EcritFichierLocal(dossier + nom, {}));
            attendues << dossier + nom;
        }
        for (int i = 0; i < 7; ++i) {
            QVERIFY(QDir().mkdir(dossier + QStringLiteral("d%1").arg(i)));
            attendues << QStringLiteral("?%1d%2/").arg(dossier).arg(i);
        }
        attendues.sort();
        Dictionnaire dic;
        QVERIFY2(s.Liste(dic, dossier), qPrintable(s.Erreur()));
        QCOMPARE(clesTriees(dic), attendues);
        QVERIFY(EcritFichierLocal(dossier + "d0/x", "abc"));
        QCOMPARE(s.Taille("d0/x"), qint64(3));
    }

    // Unknown key: the judge decides; always accepted: written to
    // known_hosts; changed: refused without asking, naming both
    // fingerprints; a pinned fingerprint replaces known_hosts.
    void cleHote() {
        QTemporaryDir dossier;
        const QString hotesConnus = dossier.filePath("known_hosts");
        const QString attendue = m_info["fingerprint"];
        QList<SessionSftp::CleHote> vues;
        SessionSftp::Decision reponse = SessionSftp::Decision::Refuser;
        const auto juge = [&](const SessionSftp::CleHote &cle) {
            vues << cle;
            return reponse;
        };

        SessionSftp s;
        prepare(s, hotesConnus);
        s.setJugeCle(juge);
        QVERIFY(!s.Connecte(site(), m_info["user"], m_info["password"]));
        QCOMPARE(vues.size(), 1);
        QCOMPARE(vues[0].etat, SessionSftp::EtatCle::Inconnue);
        QCOMPARE(vues[0].type, QStringLiteral("ssh-ed25519"));
        QCOMPARE(vues[0].empreinte, attendue);
        QCOMPARE(vues[0].port, quint16(m_info["port"].toUInt()));
        QVERIFY2(s.Erreur().contains(attendue), qPrintable(s.Erreur()));
        QVERIFY(!QFile::exists(hotesConnus));

        reponse = SessionSftp::Decision::ToujoursAccepter;
        QVERIFY2(s.Connecte(site(), m_info["user"], m_info["password"]), qPrintable(s.Erreur()));
        QCOMPARE(vues.size(), 2);
        QVERIFY(
            LitFichierLocal(hotesConnus)
                .startsWith(
                    QStringLiteral("[127.0.0.1]:%1 ssh-ed25519 ").arg(m_info["port"]).toLatin1()));
        QVERIFY2(s.Connecte(site(), m_info["user"], m_info["password"]), qPrintable(s.Erreur()));
        QCOMPARE(vues.size(), 2); // known now: not asked again
        QCOMPARE(s.DerniereCle().etat, SessionSftp::EtatCle::Connue);

        // Another key for this host: refused, whatever the judge would say.
        QVERIFY(EcritFichierLocal(hotesConnus, QStringLiteral("[127.0.0.1]:%1 %2\n")
                                                   .arg(m_info["port"], m_info["other_key"])
                                                   .toLatin1()));
        QVERIFY(!s.Connecte(site(), m_info["user"], m_info["password"]));
        QCOMPARE(vues.size(), 2);
        QCOMPARE(s.DerniereCle().etat, SessionSftp::EtatCle::Changee);
        const QString ancienne = EmpreinteSsh(m_info["other_key"]);
        QCOMPARE(s.DerniereCle().empreinteConnue, ancienne);
        QCOMPARE(s.Erreur(),
                 QStringLiteral("clé de [127.0.0.1]:%1 refusée : elle a changé (connue : %2, "
                                "reçue : %3)")
                     .arg(m_info["port"], ancienne, attendue));
        QVERIFY(!s.Connectee());

        // A pinned fingerprint: that key only, with or without known_hosts.
        SessionSftp epingle;
        prepare(epingle, dossier.filePath("absent"));
        epingle.setEmpreinteImposee(attendue.mid(7) + "=");
        QVERIFY2(epingle.Connecte(site(), m_info["user"], m_info["password"]),
                 qPrintable(epingle.Erreur()));
        epingle.setEmpreinteImposee(ancienne);
        QVERIFY(!epingle.Connecte(site(), m_info["user"], m_info["password"]));
        QVERIFY2(epingle.Erreur().contains(ancienne) && epingle.Erreur().contains(attendue),
                 qPrintable(epingle.Erreur()));

        // Accepted once: nothing written, and not asked again in this run.
        const QString vierge = dossier.filePath("vierge");
        SessionSftp uneFois;
        prepare(uneFois, vierge);
        reponse = SessionSftp::Decision::AccepterUneFois;
        uneFois.setJugeCle(juge);
        QVERIFY2(uneFois.Connecte(site(), m_info["user"], m_info["password"]),
                 qPrintable(uneFois.Erreur()));
        QCOMPARE(vues.size(), 3);
        QVERIFY(!QFile::exists(vierge));
        uneFois.setJugeCle({});
        QVERIFY2(uneFois.Connecte(site(), m_info["user"], m_info["password"]),
                 qPrintable(uneFois.Erreur()));
    }

    // A key in the SSH folder logs in without a password; a wrong password
    // is refused with the methods the server offered.
    void authentification() {
        SessionSftp s;
        prepare(s, m_info["known_hosts"], m_info["keydir"]);
        QVERIFY2(s.Connecte(site(), m_info["user"], QString()), qPrintable(s.Erreur()));
        QCOMPARE(s.DossierCourant().value_or(QString()), m_info["root"]);

        // A key under a passphrase: asked for it; without an answer the key
        // is skipped and the password is tried.
        QStringList demandes;
        std::optional<QString> phrase = m_info["passphrase"];
        const auto demande = [&](const QString &cle) {
            demandes << cle;
            return phrase;
        };
        SessionSftp avecPhrase;
        prepare(avecPhrase, m_info["known_hosts"], m_info["keydir_phrase"]);
        avecPhrase.setDemandePhrase(demande);
        QVERIFY2(avecPhrase.Connecte(site(), m_info["user"], QString()),
                 qPrintable(avecPhrase.Erreur()));
        QCOMPARE(demandes, QStringList({m_info["keydir_phrase"] + "/id_ed25519"}));
        phrase.reset();
        QVERIFY(!avecPhrase.Connecte(site(), m_info["user"], QString()));
        QCOMPARE(demandes.size(), 2);
        QVERIFY2(avecPhrase.Connecte(site(), m_info["user"], m_info["password"]),
                 qPrintable(avecPhrase.Erreur()));

        // With no one to ask (a headless run), such a key is skipped quietly.
        SessionSftp sansQuestion;
        prepare(sansQuestion, m_info["known_hosts"], m_info["keydir_phrase"]);
        QVERIFY(!sansQuestion.Connecte(site(), m_info["user"], QString()));
        QCOMPARE(
            sansQuestion.Erreur(),
            QStringLiteral("identification refusée (méthodes offertes : publickey, password)"));
        QVERIFY2(sansQuestion.Connecte(site(), m_info["user"], m_info["password"]),
                 qPrintable(sansQuestion.Erreur()));

        // Three keys the server does not know, then the password: each key is
        // tried once (twice would use up OpenSSH's six attempts first).
        QTemporaryDir inconnues;
        for (const char *type : {"ed25519", "ecdsa", "rsa"}) {
            QProcess cle;
            cle.start(QStringLiteral("ssh-keygen"), {"-q", "-t", type, "-N", "", "-f",
                                                     inconnues.filePath("id_" + QString(type))});
            QVERIFY(cle.waitForFinished(30000) && cle.exitCode() == 0);
        }
        SessionSftp troisCles;
        prepare(troisCles, m_info["known_hosts"], inconnues.path());
        QVERIFY2(troisCles.Connecte(site(), m_info["user"], m_info["password"]),
                 qPrintable(troisCles.Erreur()));

        SessionSftp refuse;
        prepare(refuse, m_info["known_hosts"]);
        QVERIFY(!refuse.Connecte(site(), m_info["user"], QStringLiteral("faux")));
        QCOMPARE(
            refuse.Erreur(),
            QStringLiteral("identification refusée (méthodes offertes : publickey, password)"));
        QVERIFY(!refuse.Connectee());
    }

    // A server that accepts the connection and never speaks: the deadline ends it.
    void serveurMuet() {
        QTcpServer muet;
        QVERIFY(muet.listen(QHostAddress::LocalHost, 0));
        SessionSftp s;
        prepare(s, m_info["known_hosts"]);
        s.setDelaiMs(300);
        QVERIFY(!s.Connecte(QStringLiteral("127.0.0.1:%1").arg(muet.serverPort()), "x", "y"));
        QVERIFY2(s.Erreur().startsWith(QStringLiteral("connexion à 127.0.0.1 impossible")),
                 qPrintable(s.Erreur()));
        QVERIFY(!s.Connectee());
    }

    // A server that stops answering in the middle of a download: the
    // request's deadline ends it, the old file is left as it was.
    void serveurArreteEnCours() {
        const QString dossier = nouveauDossier("arret");
        QVERIFY(EcritFichierLocal(dossier + "gros.bin", OctetsTest(8 * 1024 * 1024)));
        RelaisMuet relais(quint16(m_info["port"].toUInt()), 2 * 1024 * 1024);
        SessionSftp s;
        // Through the relay, the host is 127.0.0.1 on the relay's port.
        prepare(s, QString());
        s.setEmpreinteImposee(m_info["fingerprint"]);
        s.setDelaiMs(2000);
        QVERIFY2(s.Connecte(QStringLiteral("127.0.0.1:%1").arg(relais.port()), m_info["user"],
                            m_info["password"]),
                 qPrintable(s.Erreur()));
        s.setDelaiMs(400);
        QTemporaryDir local;
        QVERIFY(EcritFichierLocal(local.filePath("gros.bin"), "ancien"));
        QVERIFY(!s.Telecharge(dossier + "gros.bin", local.filePath("gros.bin"),
                              FtpSession::Cible::DansDossier));
        QCOMPARE(s.Erreur(), QStringLiteral("le serveur ne répond plus (délai dépassé)"));
        QVERIFY(!s.Connectee());
        QCOMPARE(LitFichierLocal(local.filePath("gros.bin")), QByteArray("ancien"));
        // What arrived waits in the hidden partial file, for a resume.
        QCOMPARE(
            QDir(local.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
            QStringList({".gros.bin.quillon-partiel", ".gros.bin.quillon-reprise", "gros.bin"}));
        const QByteArray partiel = LitFichierLocal(local.filePath(".gros.bin.quillon-partiel"));
        QVERIFY(partiel.size() < 8 * 1024 * 1024);
        QCOMPARE(partiel, OctetsTest(partiel.size()));
    }

    // A download stopped half-way (as "Annuler" does) continues from its
    // partial file, seeking the remote file, and ends as the server's file;
    // a file changed on the server meanwhile is downloaded whole.
    void reprise() {
        SessionSftp s;
        prepare(s, m_info["known_hosts"]);
        QVERIFY2(s.Connecte(site(), m_info["user"], m_info["password"]), qPrintable(s.Erreur()));
        const QString dossier = nouveauDossier("reprise");
        const QByteArray contenu = OctetsTest(8 * 1024 * 1024 + 3);
        QVERIFY(EcritFichierLocal(dossier + "gros.bin", contenu));
        QTemporaryDir local;
        const QString cible = local.filePath("gros.bin");
        const QString partiel = local.filePath(".gros.bin.quillon-partiel");
        QList<qint64> annonces;
        s.setAnnonceReprise([&](const QString &, qint64 depuis) { annonces << depuis; });
        const auto coupe = [&] {
            // Asked at the first report, before any byte: the stop comes
            // after the first block however fast the file arrives.
            s.setProgression([&](qint64, qint64) { s.Interromps(); });
            const bool ok =
                s.Telecharge(dossier + "gros.bin", cible, FtpSession::Cible::DansDossier);
            s.setProgression({});
            return ok;
        };
        QVERIFY(!coupe());
        QCOMPARE(s.Erreur(), "téléchargement de " + dossier + "gros.bin interrompu");
        const qint64 recus = QFileInfo(partiel).size();
        QVERIFY2(recus > 0 && recus < contenu.size(), qPrintable(QString::number(recus)));
        QCOMPARE(LitFichierLocal(partiel), contenu.left(recus));
        QVERIFY(!QFile::exists(cible));
        QVERIFY2(s.Telecharge(dossier + "gros.bin", cible, FtpSession::Cible::DansDossier),
                 qPrintable(s.Erreur()));
        QCOMPARE(LitFichierLocal(cible), contenu);
        QCOMPARE(annonces, QList<qint64>{recus});
        QCOMPARE(QDir(local.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"gros.bin"});

        QVERIFY(QFile::remove(cible));
        QVERIFY(!coupe());
        const QByteArray nouveau = contenu.right(5 * 1024 * 1024) + "nouveau";
        QVERIFY(EcritFichierLocal(dossier + "gros.bin", nouveau));
        annonces.clear();
        QVERIFY2(s.Telecharge(dossier + "gros.bin", cible, FtpSession::Cible::DansDossier),
                 qPrintable(s.Erreur()));
        QCOMPARE(LitFichierLocal(cible), nouveau);
        QCOMPARE(annonces, QList<qint64>{-1});
        QCOMPARE(QDir(local.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"gros.bin"});
    }

    void analyseHote() {
        QString hote;
        quint16 port = 0;
        QVERIFY(SessionSftp::AnalyseHote("sftp://exemple.org", hote, port));
        QCOMPARE(hote, QStringLiteral("exemple.org"));
        QCOMPARE(port, quint16(22));
        QVERIFY(SessionSftp::AnalyseHote("SFTP://[::1]:2222/chemin", hote, port));
        QCOMPARE(hote, QStringLiteral("::1"));
        QCOMPARE(port, quint16(2222));
        QVERIFY(!SessionSftp::AnalyseHote("hote:99999", hote, port));
        QVERIFY(!SessionSftp::AnalyseHote("hote:", hote, port)); // as for FTP: no port written
        QVERIFY(!SessionSftp::AnalyseHote("sftp://", hote, port));
        QCOMPARE(SessionSftp::NormaliseEmpreinte(" sha256:AbC= "), QStringLiteral("SHA256:AbC"));
    }
};

QTEST_GUILESS_MAIN(TestSftp)
#include "tst_sftp.moc"
