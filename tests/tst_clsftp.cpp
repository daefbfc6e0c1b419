// clsFTP against a real FTP server on loopback (pyftpdlib, started by the CTest
// fixture) and, for the faults a real server won't produce, the scripted server.
// Files are prepared and checked directly on the server's disk.

#include "ftp/ArbreTransfert.h"
#include "ftp/FtpSession.h"
#include "ftp/Reponse.h"
#include "ftp/clsFTP.h"
#include "support/TestServeur.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// The in-memory site of the scripted server's normal mode.
const QByteArray AlphaScripte = OctetsTest(3000);

quint16 portFerme() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const quint16 port = s.serverPort();
    s.close();
    return port;
}

// What a reader of a FIFO gets once its writer has closed it.
QByteArray litTout(int fd) {
    QByteArray lu;
    char tampon[65536];
    for (;;) {
        const ssize_t n = ::read(fd, tampon, sizeof tampon);
        if (n <= 0)
            return lu;
        lu.append(tampon, n);
    }
}

// Every name in a folder, FIFOs, devices and links included.
QStringList tousLesNoms(const QString &dossier) {
    return QDir(dossier).entryList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList cles(const Dictionnaire &dic) {
    QStringList liste;
    for (const auto &e : dic.Entrees())
        liste << e.cle().toString();
    return liste;
}

} // namespace

class TstClsFtp : public QObject {
    Q_OBJECT

    TestServeur &m_srv = TestServeur::instance();
    std::unique_ptr<clsFTP> m_ftp;
    std::unique_ptr<QTemporaryDir> m_local;
    QString m_dossier; // the test's own remote folder, "/name/"

    short connecte(bool anonyme = false) {
        m_srv.parametres(anonyme);
        return m_ftp->Connexion();
    }
    QString local(const QString &nom) const { return m_local->filePath(nom); }
    QStringList fichiersLocaux() const {
        return QDir(m_local->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    // Every operation fails, as after a failed or missing Connexion.
    void verifieToutEchoue();

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void connexion_data();
    void connexion();
    void anonymeEcritDansLaMemeRacine();
    void nouvelleConnexionRemplaceLAncienne();
    void nouvelleConnexionRepartDeLaRacine();
    void connexionEchoueeFaitEchouerLaSuite();
    void sansConnexionToutEchoue();

    void dossiers();
    void fichiers();
    void renommage();
    void dossierCourantPersiste();

    void allerRetour_data();
    void allerRetour();
    void telechargementRemplaceLeFichierLocal();
    void telechargementEchoueGardeLeFichierLocal_data();
    void telechargementEchoueGardeLeFichierLocal();
    void telechargementRepris_data();
    void telechargementRepris();
    void partielTenuParUnAutre();
    void envoiRepris();
    void telechargementEcritSurPlace_data();
    void telechargementEcritSurPlace();
    void telechargementVersTubeAbandonne();
    void envoiEchoueNeCreeRien();
    void appelPendantUnTransfertEchoue();

    void enumereRegles();
    void enumereOrdreDuServeur();
    void enumereFormats_data();
    void enumereFormats();
    void enumereVideOuAbsent();
    void enumereListeHostile_data();
    void enumereListeHostile();
    void arbreLocalBorne();

    void tailles();
    void repertoireCourantLong();
    void repertoireCourantAccentue();
    void nomsGardentLeursOctets();
    void reponsesMultilignes();
    void motDePasseVide();

    void retourALaLigneRefuse_data();
    void retourALaLigneRefuse();
    void retourALaLigneJamaisEnvoye();

    void serveurBloque_data();
    void serveurBloque();
    void serveurMuetALaConnexion_data();
    void serveurMuetALaConnexion();
    void reponsesIllisibles();
    void reponsesSansFin_data();
    void reponsesSansFin();
    void adresseDonnees_data();
    void adresseDonnees();
    void adressePasvInjoignable_data();
    void adressePasvInjoignable();
};

void TstClsFtp::initTestCase() {
    QVERIFY2(m_srv.valide(), qPrintable(m_srv.erreur()));
}

void TstClsFtp::init() {
    m_ftp = std::make_unique<clsFTP>();
    // Bounds a hang caused by a fault of the layer; fault tests lower it.
    m_ftp->setDelaiMs(10000);
    m_local = std::make_unique<QTemporaryDir>();
    QVERIFY(m_local->isValid());
    m_dossier = m_srv.nouveauDossier(QString::fromLatin1(QTest::currentTestFunction()));
    QVERIFY(!m_dossier.isEmpty());
}

void TstClsFtp::cleanup() {
    m_ftp.reset();
    m_local.reset();
    if (!m_dossier.isEmpty())
        QDir(m_srv.disque(m_dossier)).removeRecursively();
}

void TstClsFtp::verifieToutEchoue() {
    QVERIFY(!m_ftp->hConnexion());
    QCOMPARE(m_ftp->DonneRepertoireCourant(), QString());
    QCOMPARE(m_ftp->CreeRepertoire(m_dossier + "n"), short(0));
    QVERIFY(!m_srv.existe(m_dossier + "n"));
    QCOMPARE(m_ftp->AttribueRepertoireCourant(m_dossier), short(0));
    QVERIFY(EcritFichierLocal(local("envoi"), "x"));
    QCOMPARE(m_ftp->UploadFichier(local("envoi"), m_dossier + "envoi"), short(0));
    QVERIFY(!m_srv.existe(m_dossier + "envoi"));
    QVERIFY(m_srv.ecrisFichier(m_dossier + "f", "contenu"));
    QCOMPARE(m_ftp->DownloadFichier(m_dossier + "f", local("f")), short(0));
    QVERIFY(!QFile::exists(local("f")));
    QCOMPARE(m_ftp->RenommeFichier(m_dossier + "f", m_dossier + "g"), short(0));
    QCOMPARE(m_ftp->EffaceFichier(m_dossier + "f"), short(0));
    QVERIFY(m_srv.existe(m_dossier + "f"));
    QVERIFY(m_srv.creeDossier(m_dossier + "d"));
    QCOMPARE(m_ftp->EffaceRepertoire(m_dossier + "d"), short(0));
    QVERIFY(m_srv.existe(m_dossier + "d"));
    Dictionnaire dic;
    m_ftp->EnumereFichier(dic, m_dossier);
    QCOMPARE(dic.Count(), 0);
    QVERIFY(TailleFichierSite(*m_ftp, m_dossier + "f") < 0);
}

void TstClsFtp::connexion_data() {
    QTest::addColumn<QString>("site");
    QTest::addColumn<QString>("utilisateur");
    QTest::addColumn<QString>("motDePasse");
    QTest::addColumn<short>("attendu");

    const TestServeur &s = TestServeur::instance();
    const QString ferme = QStringLiteral("127.0.0.1:%1").arg(portFerme());
    QTest::newRow("utilisateur") << s.site() << s.utilisateur() << s.motDePasse() << short(-1);
    QTest::newRow("anonyme") << s.site() << QString() << QString() << short(-1);
    QTest::newRow("nom d'hôte") << QStringLiteral("localhost:%1").arg(s.port()) << s.utilisateur()
                                << s.motDePasse() << short(-1);
    QTest::newRow("anonyme nommé") << s.site() << "anonymous"
                                   << "moi@exemple.fr" << short(-1);
    QTest::newRow("mauvais mot de passe") << s.site() << s.utilisateur() << "faux" << short(0);
    QTest::newRow("mot de passe vide") << s.site() << s.utilisateur() << QString() << short(0);
    QTest::newRow("utilisateur inconnu") << s.site() << "personne"
                                         << "secret" << short(0);
    QTest::newRow("port fermé") << ferme << s.utilisateur() << s.motDePasse() << short(0);
    QTest::newRow("hôte vide") << QString() << s.utilisateur() << s.motDePasse() << short(0);
    QTest::newRow("hôte blanc") << "   " << s.utilisateur() << s.motDePasse() << short(0);
    QTest::newRow("port hors limites")
        << "127.0.0.1:70000" << s.utilisateur() << s.motDePasse() << short(0);
    QTest::newRow("port illisible")
        << "127.0.0.1:ftp" << s.utilisateur() << s.motDePasse() << short(0);
}

void TstClsFtp::connexion() {
    QFETCH(QString, site);
    QFETCH(QString, utilisateur);
    QFETCH(QString, motDePasse);
    QFETCH(short, attendu);
    sSite = site;
    sUtilisateur = utilisateur;
    sMotDePasse = motDePasse;
    QCOMPARE(m_ftp->Connexion(), attendu);
    if (attendu == -1) {
        QVERIFY(m_ftp->hConnexion());
        QCOMPARE(m_ftp->DonneRepertoireCourant(), QStringLiteral("/"));
    } else {
        QVERIFY(!m_ftp->DerniereErreur().isEmpty());
        verifieToutEchoue();
    }
}

void TstClsFtp::anonymeEcritDansLaMemeRacine() {
    QCOMPARE(connecte(true), short(-1));
    QVERIFY(EcritFichierLocal(local("a.txt"), "anonyme"));
    QCOMPARE(m_ftp->UploadFichier(local("a.txt"), m_dossier + "a.txt"), short(1));
    QCOMPARE(m_srv.litFichier(m_dossier + "a.txt"), QByteArray("anonyme"));
}

void TstClsFtp::nouvelleConnexionRemplaceLAncienne() {
    ServeurScripte serveur(QStringLiteral("normal"));
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    serveur.parametres();
    QCOMPARE(m_ftp->Connexion(), short(-1));
    QCOMPARE(m_ftp->Connexion(), short(-1));
    // The first control connection is closed, not left behind.
    QTRY_VERIFY2_WITH_TIMEOUT(serveur.journal().contains("-conn 1"), qPrintable(serveur.journal()),
                              5000);
    QVERIFY(!serveur.journal().contains("-conn 2"));
    QCOMPARE(m_ftp->DonneRepertoireCourant(), QStringLiteral("/"));
    QVERIFY2(serveur.journal().contains("2> PWD"), qPrintable(serveur.journal()));
}

void TstClsFtp::nouvelleConnexionRepartDeLaRacine() {
    QCOMPARE(connecte(), short(-1));
    QCOMPARE(m_ftp->AttribueRepertoireCourant(m_dossier), short(1));
    QCOMPARE(m_ftp->DonneRepertoireCourant() + '/', m_dossier);
    QCOMPARE(connecte(true), short(-1));
    QCOMPARE(m_ftp->DonneRepertoireCourant(), QStringLiteral("/"));
}

void TstClsFtp::connexionEchoueeFaitEchouerLaSuite() {
    QCOMPARE(connecte(), short(-1));
    QVERIFY(m_ftp->hConnexion());
    sSite = QStringLiteral("127.0.0.1:%1").arg(portFerme());
    QCOMPARE(m_ftp->Connexion(), short(0));
    verifieToutEchoue();
    // ...until the next successful Connexion.
    QCOMPARE(connecte(), short(-1));
    QCOMPARE(m_ftp->EffaceFichier(m_dossier + "f"), short(1));
}

void TstClsFtp::sansConnexionToutEchoue() {
    m_srv.parametres();
    verifieToutEchoue();
}

void TstClsFtp::dossiers() {
    QCOMPARE(connecte(), short(-1));
    const QString d = m_dossier + "nouveau dossier";
    QCOMPARE(m_ftp->CreeRepertoire(d), short(1));
    QVERIFY(QFileInfo(m_srv.disque(d)).isDir());
    QCOMPARE(m_ftp->CreeRepertoire(d), short(0)); // already there
    QCOMPARE(m_ftp->CreeRepertoire(m_dossier + "absent/sous"), short(0));
    QCOMPARE(m_ftp->AttribueRepertoireCourant(d), short(1));
    QCOMPARE(m_ftp->AttribueRepertoireCourant(m_dossier + "absent"), short(0));
    QVERIFY(m_srv.ecrisFichier(m_dossier + "fichier", "x"));
    QCOMPARE(m_ftp->AttribueRepertoireCourant(m_dossier + "fichier"), short(0));

    QVERIFY(m_srv.ecrisFichier(d + "/dedans", "x"));
    QCOMPARE(m_ftp->EffaceRepertoire(d), short(0)); // not empty
    QVERIFY(m_srv.existe(d + "/dedans"));
    QVERIFY(QFile::remove(m_srv.disque(d + "/dedans")));
    QCOMPARE(m_ftp->EffaceRepertoire(d), short(1));
    QVERIFY(!m_srv.existe(d));
    QCOMPARE(m_ftp->EffaceRepertoire(d), short(0));
    QCOMPARE(m_ftp->EffaceRepertoire(m_dossier + "fichier"), short(0));
    QVERIFY(m_srv.existe(m_dossier + "fichier"));
}

void TstClsFtp::fichiers() {
    QCOMPARE(connecte(), short(-1));
    QVERIFY(m_srv.ecrisFichier(m_dossier + "a.txt", "a"));
    QVERIFY(m_srv.creeDossier(m_dossier + "d"));
    QCOMPARE(m_ftp->EffaceFichier(m_dossier + "d"), short(0)); // a folder
    QVERIFY(m_srv.existe(m_dossier + "d"));
    QCOMPARE(m_ftp->EffaceFichier(m_dossier + "a.txt"), short(1));
    QVERIFY(!m_srv.existe(m_dossier + "a.txt"));
    QCOMPARE(m_ftp->EffaceFichier(m_dossier + "a.txt"), short(0));
    QCOMPARE(m_ftp->DownloadFichier(m_dossier + "a.txt", local("a.txt")), short(0));
    QVERIFY(!QFile::exists(local("a.txt")));
    QCOMPARE(m_ftp->DownloadFichier(m_dossier + "d", local("d")), short(0));
    QCOMPARE(fichiersLocaux(), QStringList());
}

void TstClsFtp::renommage() {
    QCOMPARE(connecte(), short(-1));
    QVERIFY(m_srv.ecrisFichier(m_dossier + "a.txt", "contenu"));
    QCOMPARE(m_ftp->RenommeFichier(m_dossier + "a.txt", m_dossier + "é à ü.txt"), short(1));
    QVERIFY(!m_srv.existe(m_dossier + "a.txt"));
    QCOMPARE(m_srv.litFichier(m_dossier + "é à ü.txt"), QByteArray("contenu"));
    QCOMPARE(m_ftp->RenommeFichier(m_dossier + "a.txt", m_dossier + "b.txt"), short(0));
    QVERIFY(!m_srv.existe(m_dossier + "b.txt"));
    QCOMPARE(m_ftp->RenommeFichier(m_dossier + "é à ü.txt", m_dossier + "absent/b.txt"), short(0));
    QVERIFY(m_srv.existe(m_dossier + "é à ü.txt"));
    // A folder is renamed the same way.
    QVERIFY(m_srv.creeDossier(m_dossier + "d1"));
    QCOMPARE(m_ftp->RenommeFichier(m_dossier + "d1", m_dossier + "d2"), short(1));
    QVERIFY(QFileInfo(m_srv.disque(m_dossier + "d2")).isDir());
}

void TstClsFtp::dossierCourantPersiste() {
    QCOMPARE(connecte(), short(-1));
    QCOMPARE(m_ftp->AttribueRepertoireCourant(m_dossier), short(1));
    QCOMPARE(m_ftp->DonneRepertoireCourant() + '/', m_dossier);

    // Relative names refer to the folder set above, call after call.
    QVERIFY(EcritFichierLocal(local("l.txt"), "relatif"));
    QCOMPARE(m_ftp->UploadFichier(local("l.txt"), "rel.txt"), short(1));
    QCOMPARE(m_srv.litFichier(m_dossier + "rel.txt"), QByteArray("relatif"));
    QCOMPARE(m_ftp->RenommeFichier("rel.txt", "rel2.txt"), short(1));
    QCOMPARE(TailleFichierSite(*m_ftp, "rel2.txt"), 7.0 / 1024);
    QCOMPARE(m_ftp->DownloadFichier("rel2.txt", local("r.txt")), short(1));
    QCOMPARE(LitFichierLocal(local("r.txt")), QByteArray("relatif"));
    QCOMPARE(m_ftp->CreeRepertoire("sous"), short(1));
    QVERIFY(QFileInfo(m_srv.disque(m_dossier + "sous")).isDir());
    QCOMPARE(m_ftp->AttribueRepertoireCourant("sous"), short(1));
    QCOMPARE(m_ftp->DonneRepertoireCourant(), m_dossier + "sous");
    QCOMPARE(m_ftp->EffaceFichier("../rel2.txt"), short(1));
    QVERIFY(!m_srv.existe(m_dossier + "rel2.txt"));
    QCOMPARE(m_ftp->AttribueRepertoireCourant(".."), short(1));
    QCOMPARE(m_ftp->EffaceRepertoire("sous"), short(1));
    QCOMPARE(m_srv.contenu(m_dossier), QStringList());
}

void TstClsFtp::allerRetour_data() {
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QByteArray>("contenu");
    QTest::newRow("vide") << "vide" << QByteArray();
    QTest::newRow("un octet") << "un" << QByteArray(1, '\0');
    QTest::newRow("256 valeurs") << "octets.bin" << OctetsTest(256);
    QTest::newRow("fins de ligne") << "texte.txt" << QByteArray("a\r\nb\nc\rd\r\n\x1a\x04");
    // Larger than any transfer buffer, and not a multiple of one.
    QTest::newRow("3 Mio") << "gros.bin" << OctetsTest(3 * 1024 * 1024 + 17);
    QTest::newRow("nom accentué") << "é à ü.txt" << QByteArray("accents");
}

void TstClsFtp::allerRetour() {
    QFETCH(QString, nom);
    QFETCH(QByteArray, contenu);
    QCOMPARE(connecte(), short(-1));

    QVERIFY(EcritFichierLocal(local("source"), contenu));
    qint64 dernier = -1;
    m_ftp->setProgression([&](qint64 fait, qint64) { dernier = fait; });
    QCOMPARE(m_ftp->UploadFichier(local("source"), m_dossier + nom), short(1));
    QCOMPARE(m_srv.litFichier(m_dossier + nom), contenu);
    QVERIFY(dernier == -1 || dernier == contenu.size());

    // Sent again: the server's copy is replaced, not appended to.
    QCOMPARE(m_ftp->UploadFichier(local("source"), m_dossier + nom), short(1));
    QCOMPARE(m_srv.litFichier(m_dossier + nom), contenu);

    dernier = -1;
    QCOMPARE(m_ftp->DownloadFichier(m_dossier + nom, local("retour")), short(1));
    QCOMPARE(LitFichierLocal(local("retour")), contenu);
    QVERIFY(dernier == -1 || dernier == contenu.size());
    QCOMPARE(fichiersLocaux(), QStringList({"retour", "source"}));
}

void TstClsFtp::telechargementRemplaceLeFichierLocal() {
    QCOMPARE(connecte(), short(-1));
    QVERIFY(m_srv.ecrisFichier(m_dossier + "f.txt", "court"));
    QVERIFY(EcritFichierLocal(local("f.txt"), "un ancien contenu bien plus long que le nouveau"));
    QCOMPARE(m_ftp->DownloadFichier(m_dossier + "f.txt", local("f.txt")), short(1));
    QCOMPARE(LitFichierLocal(local("f.txt")), QByteArray("court"));
    QCOMPARE(fichiersLocaux(), QStringList({"f.txt"}));
}

void TstClsFtp::telechargementEchoueGardeLeFichierLocal_data() {
    QTest::addColumn<QString>("mode"); // empty: the real server
    QTest::addColumn<QString>("distant");
    QTest::addColumn<int>("recus"); // bytes a partial file keeps, -1 for none
    QTest::newRow("fichier absent") << QString() << "absent.bin" << -1;
    QTest::newRow("dossier au lieu d'un fichier") << QString() << "dossier" << -1;
    QTest::newRow("coupure en cours") << "drop-download"
                                      << "f.bin" << 65536;
    QTest::newRow("données bloquées") << "stall-data"
                                      << "f.bin" << 65536;
    QTest::newRow("taille annoncée non tenue") << "lying-size"
                                               << "f.bin" << 500;
    QTest::newRow("serveur bloqué") << "stall"
                                    << "f.bin" << -1;
}

void TstClsFtp::telechargementEchoueGardeLeFichierLocal() {
    QFETCH(QString, mode);
    QFETCH(QString, distant);
    QFETCH(int, recus);
    std::unique_ptr<ServeurScripte> serveur;
    if (mode.isEmpty()) {
        QVERIFY(m_srv.creeDossier(m_dossier + "dossier"));
        distant = m_dossier + distant;
        QCOMPARE(connecte(), short(-1));
    } else {
        serveur = std::make_unique<ServeurScripte>(mode);
        QVERIFY2(serveur->demarre(), qPrintable(serveur->erreur()));
        serveur->parametres();
        QCOMPARE(m_ftp->Connexion(), short(-1));
        // Short once connected: the stalled rows end at this time-out.
        m_ftp->setDelaiMs(500);
    }
    const QByteArray ancien("le fichier local d'avant, à garder");
    QVERIFY(EcritFichierLocal(local("cible.bin"), ancien));
    QElapsedTimer chrono;
    chrono.start();
    QCOMPARE(m_ftp->DownloadFichier(distant, local("cible.bin")), short(0));
    QVERIFY2(chrono.elapsed() < 20000, "the call must end soon after the time-out");
    QVERIFY(!m_ftp->DerniereErreur().isEmpty());
    QCOMPARE(LitFichierLocal(local("cible.bin")), ancien);
    // What arrived waits beside it in the hidden partial file, for a resume;
    // otherwise no partial or temporary file is left.
    if (recus < 0) {
        QCOMPARE(fichiersLocaux(), QStringList({"cible.bin"}));
    } else {
        QCOMPARE(fichiersLocaux(), QStringList({".cible.bin.quillon-partiel",
                                                ".cible.bin.quillon-reprise", "cible.bin"}));
        QCOMPARE(LitFichierLocal(local(".cible.bin.quillon-partiel")), OctetsTest(recus));
    }
}

void TstClsFtp::telechargementRepris_data() {
    QTest::addColumn<QStringList>("options"); // of the scripted server's resume mode
    QTest::addColumn<qint64>("reprise");      // what the second download is told
    QTest::addColumn<bool>("change");
    const qint64 moitie = (3 * 1024 * 1024 + 17) / 2;
    QTest::newRow("même fichier") << QStringList() << moitie << false;
    QTest::newRow("coupé au premier Mio") << QStringList{"cut=1048576"} << qint64(1048576) << false;
    QTest::newRow("fichier changé entre-temps") << QStringList{"change=yes"} << qint64(-1) << true;
    QTest::newRow("REST refusé") << QStringList{"rest=no"} << qint64(0) << false;
    // Without a date the file may have changed unseen: nothing is kept.
    QTest::newRow("sans MDTM") << QStringList{"mdtm=no"} << qint64(0) << false;
    // Past the size it gave, the server's bytes are not the file continued.
    QTest::newRow("plus d'octets que la taille") << QStringList{"extra=10"} << moitie << false;
}

// A download cut half-way leaves its bytes in the hidden partial file; the
// next download of the same file continues it with REST when the server
// shows the same size and date, and starts over otherwise. Either way the
// result is the server's file, byte for byte, and nothing else is left.
void TstClsFtp::telechargementRepris() {
    QFETCH(QStringList, options);
    QFETCH(qint64, reprise);
    QFETCH(bool, change);
    ServeurScripte serveur(QStringLiteral("resume"), options);
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    serveur.parametres();
    QCOMPARE(m_ftp->Connexion(), short(-1));
    QList<qint64> annonces;
    m_ftp->setAnnonceReprise([&](const QString &chemin, qint64 depuis) {
        QCOMPARE(chemin, local("gros.bin"));
        annonces << depuis;
    });
    const QByteArray premier = OctetsTest(3 * 1024 * 1024 + 17);
    QByteArray second = premier;
    if (change) {
        second = QByteArray(2 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < second.size(); ++i)
            second[i] = char(255 - (i & 0xFF));
        second += "changed";
    }

    QCOMPARE(m_ftp->DownloadFichier(QStringLiteral("/gros.bin"), local("gros.bin")), short(0));
    QVERIFY(!QFile::exists(local("gros.bin")));
    const QString partiel = local(".gros.bin.quillon-partiel");
    if (options.contains("mdtm=no")) {
        QCOMPARE(fichiersLocaux(), QStringList());
    } else {
        const qint64 coupe = options.contains("cut=1048576") ? 1048576 : premier.size() / 2;
        QCOMPARE(LitFichierLocal(partiel), premier.left(coupe));
        QCOMPARE(fichiersLocaux(),
                 QStringList({".gros.bin.quillon-partiel", ".gros.bin.quillon-reprise"}));
    }
    QVERIFY(annonces.isEmpty());

    if (options.contains("extra=10")) {
        QCOMPARE(m_ftp->DownloadFichier(QStringLiteral("/gros.bin"), local("gros.bin")), short(0));
        QVERIFY2(m_ftp->DerniereErreur().contains(QStringLiteral("plus que les 3145745 octets")),
                 qPrintable(m_ftp->DerniereErreur()));
        QCOMPARE(annonces, QList<qint64>{reprise});
        // Nothing of it kept: the next try starts over.
        QCOMPARE(fichiersLocaux(), QStringList());
        return;
    }
    qint64 dernier = 0;
    m_ftp->setProgression([&](qint64 fait, qint64) { dernier = fait; });
    QCOMPARE(m_ftp->DownloadFichier(QStringLiteral("/gros.bin"), local("gros.bin")), short(1));
    QCOMPARE(LitFichierLocal(local("gros.bin")), second);
    QCOMPARE(fichiersLocaux(), QStringList({"gros.bin"}));
    QCOMPARE(dernier, qint64(second.size()));
    QCOMPARE(annonces, reprise ? QList<qint64>{reprise} : QList<qint64>());
    // REST only where a partial file matched, and at its size.
    const QString journal = serveur.journal();
    QCOMPARE(journal.contains("> REST "), reprise > 0 || options.contains("rest=no"));
    if (reprise > 0)
        QVERIFY2(journal.contains(QStringLiteral("> REST %1\n").arg(reprise)), qPrintable(journal));
}

// A partial file another download is writing (it holds its lock) is neither
// continued nor removed: this download goes through a temporary file.
void TstClsFtp::partielTenuParUnAutre() {
    ServeurScripte serveur(QStringLiteral("resume"));
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    serveur.parametres();
    QCOMPARE(m_ftp->Connexion(), short(-1));
    QCOMPARE(m_ftp->DownloadFichier(QStringLiteral("/gros.bin"), local("gros.bin")), short(0));
    const QByteArray contenu = OctetsTest(3 * 1024 * 1024 + 17);
    const QString partiel = local(".gros.bin.quillon-partiel");
    QCOMPARE(LitFichierLocal(partiel), contenu.left(contenu.size() / 2));
    const int fd = ::open(QFile::encodeName(partiel).constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    const auto ferme = qScopeGuard([fd] { ::close(fd); });
    QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);
    QCOMPARE(m_ftp->DownloadFichier(QStringLiteral("/gros.bin"), local("gros.bin")), short(1));
    QCOMPARE(LitFichierLocal(local("gros.bin")), contenu);
    QCOMPARE(LitFichierLocal(partiel), contenu.left(contenu.size() / 2));
    QVERIFY(!serveur.journal().contains("> REST "));
}

// put after an interrupted upload: the bytes on the server are not sent
// again (here they differ from the local file's start, which shows it), only
// the rest; a remote file larger than the local one is left as it is.
void TstClsFtp::envoiRepris() {
    QCOMPARE(connecte(), short(-1));
    const QByteArray contenu = OctetsTest(3 * 1024 * 1024 + 5);
    QVERIFY(EcritFichierLocal(local("envoi"), contenu));
    const QByteArray debut(1000000, 'x');
    QVERIFY(m_srv.ecrisFichier(m_dossier + "envoi", debut));
    QCOMPARE(m_ftp->ReprendUpload(local("envoi"), m_dossier + "envoi"), short(1));
    QCOMPARE(m_srv.litFichier(m_dossier + "envoi"), debut + contenu.mid(debut.size()));

    // Absent on the server: sent whole. Already whole: nothing to send.
    QCOMPARE(m_ftp->ReprendUpload(local("envoi"), m_dossier + "neuf"), short(1));
    QCOMPARE(m_srv.litFichier(m_dossier + "neuf"), contenu);
    QCOMPARE(m_ftp->ReprendUpload(local("envoi"), m_dossier + "neuf"), short(1));
    QCOMPARE(m_srv.litFichier(m_dossier + "neuf"), contenu);

    const QByteArray plusGrand = contenu + "de trop";
    QVERIFY(m_srv.ecrisFichier(m_dossier + "grand", plusGrand));
    QCOMPARE(m_ftp->ReprendUpload(local("envoi"), m_dossier + "grand"), short(0));
    QVERIFY2(m_ftp->DerniereErreur().startsWith(QStringLiteral("reprise impossible")),
             qPrintable(m_ftp->DerniereErreur()));
    QCOMPARE(m_srv.litFichier(m_dossier + "grand"), plusGrand);
    QVERIFY(m_ftp->hConnexion());

    // The rest goes after REST with STOR, or with APPE where REST is refused.
    const QByteArray quatre = OctetsTest(4 * 1024 * 1024);
    QVERIFY(EcritFichierLocal(local("envoi"), quatre));
    for (const bool rest : {true, false}) {
        ServeurScripte serveur(QStringLiteral("resume"),
                               rest ? QStringList() : QStringList{"rest=no"});
        QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
        serveur.parametres();
        QCOMPARE(m_ftp->Connexion(), short(-1));
        QCOMPARE(m_ftp->ReprendUpload(local("envoi"), QStringLiteral("/gros.bin")), short(1));
        const QString journal = serveur.journal();
        QVERIFY2(journal.contains(rest ? "> REST 3145745\n1> STOR /gros.bin"
                                       : "> REST 3145745\n1> APPE /gros.bin"),
                 qPrintable(journal));
        QVERIFY2(journal.contains(QStringLiteral("stored %1 bytes").arg(quatre.size() - 3145745)),
                 qPrintable(journal));
    }
}

void TstClsFtp::telechargementEcritSurPlace_data() {
    QTest::addColumn<QString>("cible");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("lien vers un FIFO") << "lien-fifo";
    QTest::newRow("périphérique") << "peripherique";
    QTest::newRow("lien vers un fichier") << "lien-fichier";
}

// A target that is not a regular file is written in place, never replaced by
// one; through a link, the link stays and its target gets the content.
void TstClsFtp::telechargementEcritSurPlace() {
    QFETCH(QString, cible);
    // Less than a pipe holds: the FIFO can be read once the call is over.
    const QByteArray contenu = OctetsTest(40000);
    QVERIFY(m_srv.ecrisFichier(m_dossier + "f.bin", contenu));
    const QString chemin = local("cible");
    const QByteArray natif = QFile::encodeName(chemin);
    const QByteArray tube = QFile::encodeName(local("tube"));
    int lecteur = -1;
    const auto fermeLecteur = qScopeGuard([&] {
        if (lecteur >= 0)
            ::close(lecteur);
    });
    QStringList noms{"cible"};
    if (cible == "fifo" || cible == "lien-fifo") {
        const QByteArray fifo = cible == "fifo" ? natif : tube;
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        lecteur = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(lecteur >= 0);
        if (cible == "lien-fifo") {
            QCOMPARE(::symlink("tube", natif.constData()), 0);
            noms << "tube";
        }
    } else if (cible == "peripherique") {
        // A null device of our own: the system's /dev/null is never put at risk.
        if (::mknod(natif.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
            QSKIP("creating a device node needs privileges");
    } else {
        QVERIFY(EcritFichierLocal(local("vrai"), "ancien contenu"));
        QCOMPARE(::symlink("vrai", natif.constData()), 0);
        noms << "vrai";
    }
    QCOMPARE(connecte(), short(-1));
    QCOMPARE(m_ftp->DownloadFichier(m_dossier + "f.bin", chemin), short(1));

    struct stat st {};
    QCOMPARE(::stat(natif.constData(), &st), 0);
    if (cible == "fifo" || cible == "lien-fifo") {
        QVERIFY(S_ISFIFO(st.st_mode));
        QCOMPARE(litTout(lecteur), contenu);
    } else if (cible == "peripherique") {
        QVERIFY(S_ISCHR(st.st_mode));
        QCOMPARE(st.st_rdev, makedev(1, 3));
    } else {
        QCOMPARE(LitFichierLocal(local("vrai")), contenu);
    }
    if (cible.startsWith("lien")) {
        QCOMPARE(::lstat(natif.constData(), &st), 0);
        QVERIFY(S_ISLNK(st.st_mode));
    }
    // Nothing left beside it.
    QCOMPARE(tousLesNoms(m_local->path()), noms);
}

void TstClsFtp::telechargementVersTubeAbandonne() {
    // More than a pipe holds: the download waits for its reader.
    QVERIFY(m_srv.ecrisFichier(m_dossier + "gros.bin", OctetsTest(4 * 1024 * 1024)));
    const QString tube = local("tube");
    const QByteArray natif = QFile::encodeName(tube);
    QCOMPARE(::mkfifo(natif.constData(), 0600), 0);
    QCOMPARE(connecte(), short(-1));

    // Nobody reads it: the call fails at once rather than wait for a reader,
    // and the session stays in step.
    QCOMPARE(m_ftp->DownloadFichier(m_dossier + "gros.bin", tube), short(0));
    QVERIFY2(m_ftp->DerniereErreur().contains("aucun programme"),
             qPrintable(m_ftp->DerniereErreur()));
    QCOMPARE(m_ftp->CreeRepertoire(m_dossier + "d"), short(1));

    // The reader leaves after its first bytes: the download fails, and the
    // program is not killed by SIGPIPE.
    const int lecteur = ::open(natif.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(lecteur >= 0);
    std::thread partant([lecteur] {
        pollfd p{lecteur, POLLIN, 0};
        if (::poll(&p, 1, 30000) > 0) {
            char tampon[1024];
            [[maybe_unused]] const ssize_t n = ::read(lecteur, tampon, sizeof tampon);
        }
        ::close(lecteur);
    });
    const short resultat = m_ftp->DownloadFichier(m_dossier + "gros.bin", tube);
    partant.join();
    QCOMPARE(resultat, short(0));
    QVERIFY2(m_ftp->DerniereErreur().contains("écriture"), qPrintable(m_ftp->DerniereErreur()));
    struct stat st {};
    QCOMPARE(::stat(natif.constData(), &st), 0);
    QVERIFY(S_ISFIFO(st.st_mode));
    QCOMPARE(connecte(), short(-1));
    QCOMPARE(m_ftp->EffaceRepertoire(m_dossier + "d"), short(1));
}

void TstClsFtp::envoiEchoueNeCreeRien() {
    QCOMPARE(connecte(), short(-1));
    QCOMPARE(m_ftp->UploadFichier(local("absent"), m_dossier + "envoi"), short(0));
    QCOMPARE(m_ftp->UploadFichier(m_local->path(), m_dossier + "envoi"), short(0));
    QCOMPARE(m_srv.contenu(m_dossier), QStringList());
    QVERIFY(EcritFichierLocal(local("f"), "x"));
    QCOMPARE(m_ftp->UploadFichier(local("f"), m_dossier + "absent/envoi"), short(0));
    QVERIFY(m_srv.creeDossier(m_dossier + "d"));
    QCOMPARE(m_ftp->UploadFichier(local("f"), m_dossier + "d"), short(0)); // onto a folder
    QVERIFY(QFileInfo(m_srv.disque(m_dossier + "d")).isDir());
    // The connection is still good after these failures.
    QCOMPARE(m_ftp->UploadFichier(local("f"), m_dossier + "f"), short(1));
}

void TstClsFtp::appelPendantUnTransfertEchoue() {
    QCOMPARE(connecte(), short(-1));
    const QByteArray contenu = OctetsTest(4 * 1024 * 1024);
    QVERIFY(m_srv.ecrisFichier(m_dossier + "gros.bin", contenu));
    int appels = 0;
    int refus = 0;
    m_ftp->setProgression([&](qint64, qint64) {
        ++appels;
        QVERIFY(m_ftp->EnCours());
        // A handler re-entered from the event loop must not mix commands in.
        if (m_ftp->CreeRepertoire(m_dossier + "pendant") == 0)
            ++refus;
    });
    QCOMPARE(m_ftp->DownloadFichier(m_dossier + "gros.bin", local("gros.bin")), short(1));
    QCOMPARE(LitFichierLocal(local("gros.bin")), contenu);
    QVERIFY(appels > 0);
    QCOMPARE(refus, appels);
    QVERIFY(!m_srv.existe(m_dossier + "pendant"));
    QVERIFY(!m_ftp->EnCours());
    m_ftp->setProgression({});
    QCOMPARE(m_ftp->CreeRepertoire(m_dossier + "après"), short(1));
}

void TstClsFtp::arbreLocalBorne() {
    // Past either bound the walk stops with its line and nothing is left to
    // copy; a pipe is named, never read; a link back up is not followed.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString racine = dir.path();
    QVERIFY(QDir().mkpath(racine + QStringLiteral("/a/b/c")));
    for (const char *f : {"1", "a/2", "a/b/3", "a/b/c/4"})
        QVERIFY(EcritFichierLocal(racine + u'/' + QLatin1String(f), "x"));
    QVERIFY(QFile::link(QStringLiteral(".."), racine + QStringLiteral("/a/b/haut")));
    QVERIFY(::mkfifo(QFile::encodeName(racine + QStringLiteral("/a/tube")).constData(), 0600) == 0);
    QList<QPair<QString, bool>> lignes;
    ArbreTransfert arbre([&](const QString &l, bool echec) { lignes.append({l, echec}); });

    QVERIFY(arbre.ParcoursLocal(racine));
    QCOMPARE(arbre.Dossiers(), (QStringList{"a", "a/b", "a/b/c"}));
    QCOMPARE(arbre.Fichiers(), (QStringList{"1", "a/2", "a/b/3", "a/b/c/4"}));
    QCOMPARE(lignes, (QList<QPair<QString, bool>>{
                         {QStringLiteral(" > Fichier spécial non copié : a/tube"), true},
                         {QStringLiteral(" > Lien symbolique a/b/haut non suivi"), false}}));
    QVERIFY(arbre.ParcoursIncomplet());

    lignes.clear();
    arbre.setLimites(2, 100);
    QVERIFY(!arbre.ParcoursLocal(racine));
    QCOMPARE(lignes.last(),
             (QPair<QString, bool>{
                 QStringLiteral(" > Arborescence trop profonde : plus de 2 niveaux sous a/b/c, "
                                "copie arrêtée"),
                 true}));
    lignes.clear();
    arbre.setLimites(64, 4);
    QVERIFY(!arbre.ParcoursLocal(racine));
    QCOMPARE(lignes.last(),
             (QPair<QString, bool>{
                 QStringLiteral(" > Arborescence trop grande : plus de 4 entrées, copie arrêtée"),
                 true}));

    // A name that would leave the folder is never joined.
    for (const char *nom : {"", ".", "..", "a/b", "..\\x", "x\ny"})
        QCOMPARE(ArbreTransfert::Joins(QStringLiteral("a"), QString::fromUtf8(nom)), QString());
    QCOMPARE(ArbreTransfert::Joins(QStringLiteral("a"), QStringLiteral("b c")),
             QStringLiteral("a/b c"));
}

void TstClsFtp::enumereRegles() {
    for (const char *d : {".cache", ".hidden", "docs", "dossier à espaces"})
        QVERIFY(m_srv.creeDossier(m_dossier + d));
    for (const char *f : {".profile", "a.txt", "é à ü.txt", "deux  espaces.txt", "_"})
        QVERIFY(m_srv.ecrisFichier(m_dossier + f, "x"));
    // Legal on the server's disk, but a path separator here.
    QVERIFY(m_srv.ecrisFichier(m_dossier + "oblique\\inverse", "x"));
    QCOMPARE(connecte(), short(-1));
    Dictionnaire dic;
    m_ftp->EnumereFichier(dic, m_dossier);

    QMap<QString, QString> attendu;
    attendu["?" + m_dossier + "docs/"] = "docs";
    attendu["?" + m_dossier + "dossier à espaces/"] = "dossier à espaces";
    for (const char *f : {".profile", "a.txt", "é à ü.txt", "deux  espaces.txt", "_"})
        attendu[m_dossier + f] = f;
    QMap<QString, QString> obtenu;
    for (const auto &e : dic.Entrees())
        obtenu[e.cle().toString()] = e.element().toString();
    QCOMPARE(obtenu, attendu);

    // The server's current folder is now the listed one: relative names work.
    QCOMPARE(m_ftp->DonneRepertoireCourant() + '/', m_dossier);
    QCOMPARE(m_ftp->EffaceFichier("a.txt"), short(1));
    QVERIFY(!m_srv.existe(m_dossier + "a.txt"));
}

void TstClsFtp::enumereOrdreDuServeur() {
    // pyftpdlib lists a folder in the order the file system gives: the
    // dictionary keeps exactly that order, without sorting.
    const QStringList noms = {"m", "b", "zz", "a", "k", "c", "y", "d"};
    for (const QString &n : noms)
        QVERIFY(m_srv.ecrisFichier(m_dossier + n, "x"));
    QCOMPARE(connecte(), short(-1));
    Dictionnaire dic;
    m_ftp->EnumereFichier(dic, m_dossier);
    QStringList ordreDisque = QDir(m_srv.disque(m_dossier)).entryList(QDir::Files, QDir::Unsorted);
    for (QString &n : ordreDisque)
        n.prepend(m_dossier);
    QCOMPARE(cles(dic), ordreDisque);
}

void TstClsFtp::enumereFormats_data() {
    QTest::addColumn<QStringList>("options");
    QTest::newRow("LIST Unix") << QStringList();
    QTest::newRow("LIST DOS") << QStringList{"listing=dos"};
    QTest::newRow("MLSD") << QStringList{"feat=mlst,utf8"};
    QTest::newRow("sans FEAT UTF8") << QStringList{"feat="};
}

void TstClsFtp::enumereFormats() {
    QFETCH(QStringList, options);
    ServeurScripte serveur(QStringLiteral("normal"), options);
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    serveur.parametres();
    QCOMPARE(m_ftp->Connexion(), short(-1));
    Dictionnaire dic;
    m_ftp->EnumereFichier(dic, QStringLiteral("/pub/"));
    // The server's order (not sorted), dot-folder skipped, dot-file kept.
    QCOMPARE(cles(dic),
             QStringList({"?/pub/mid/", "/pub/zeta.txt", "/pub/alpha.bin", "/pub/.dotfile"}));
    QCOMPARE(dic.Element(u"/pub/alpha.bin"), QStringLiteral("alpha.bin"));
    QCOMPARE(dic.Element(u"?/pub/mid/"), QStringLiteral("mid"));
    QVERIFY2(serveur.journal().contains(options.contains("feat=mlst,utf8") ? "> MLSD" : "> LIST"),
             qPrintable(serveur.journal()));
}

void TstClsFtp::enumereVideOuAbsent() {
    QCOMPARE(connecte(), short(-1));
    Dictionnaire dic;
    m_ftp->EnumereFichier(dic, m_dossier);
    QCOMPARE(dic.Count(), 0);

    // A folder that can't be entered lists as nothing, not as the content of
    // whatever folder the server stayed in.
    QVERIFY(m_srv.ecrisFichier(m_dossier + "ici.txt", "x"));
    QCOMPARE(m_ftp->AttribueRepertoireCourant(m_dossier), short(1));
    m_ftp->EnumereFichier(dic, m_dossier + "absent/");
    QCOMPARE(dic.Count(), 0);

    // Only adds: what the dictionary held stays.
    dic.Ajoute(u"avant", u"avant");
    m_ftp->EnumereFichier(dic, m_dossier);
    QCOMPARE(cles(dic), QStringList({"avant", m_dossier + "ici.txt"}));
}

void TstClsFtp::enumereListeHostile_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("attendus"); // in this order, each once
    QTest::newRow("LIST Unix") << QStringList()
                               << QStringList{"?/h/good/", "/h/ok.txt", "/h/last.txt"};
    QTest::newRow("LIST DOS") << QStringList{"listing=dos"}
                              << QStringList{"?/h/dosdir/", "/h/dos ok.txt", "/h/last.txt"};
    QTest::newRow("MLSD") << QStringList{"feat=mlst,utf8"}
                          << QStringList{"?/h/good/", "/h/ok.txt", "/h/last.txt"};
}

void TstClsFtp::enumereListeHostile() {
    QFETCH(QStringList, options);
    QFETCH(QStringList, attendus);
    ServeurScripte serveur(QStringLiteral("hostile-list"), options);
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    serveur.parametres();
    m_ftp->setDelaiMs(5000);
    QCOMPARE(m_ftp->Connexion(), short(-1));
    Dictionnaire dic;
    m_ftp->EnumereFichier(dic, QStringLiteral("/h/"));

    int position = -1;
    for (const QString &cle : attendus) {
        const int i = int(cles(dic).indexOf(cle));
        QVERIFY2(i > position,
                 qPrintable(cle + " missing or out of order: " + cles(dic).join(" | ").left(2000)));
        position = i;
    }
    // No name that could lead out of the folder, or be taken for two names.
    for (const auto &e : dic.Entrees()) {
        const QString nom = e.element().toString();
        QVERIFY2(!nom.isEmpty() && nom != "." && nom != ".." && !nom.contains('/') &&
                     !nom.contains('\\') && !nom.contains(QChar(0)) && !nom.contains('\r') &&
                     !nom.contains('\n'),
                 qPrintable(nom.left(200)));
        QVERIFY(e.cle() == QString("/h/" + nom) || e.cle() == QString("?/h/" + nom + "/"));
    }
    QVERIFY(!dic.Existe(u"?/h/../"));
    // A name listed twice is kept once, and every key finds its own entry.
    QStringList toutes = cles(dic);
    QCOMPARE(toutes.removeDuplicates(), 0);
    for (const auto &e : dic.Entrees())
        QCOMPARE(dic.Element(e.cle()), e.element().toString());
    // The connection is still in step with the server after such a listing.
    QCOMPARE(m_ftp->DonneRepertoireCourant(), QStringLiteral("/h/"));
}

void TstClsFtp::tailles() {
    QVERIFY(m_srv.ecrisFichier(m_dossier + "1536.bin", OctetsTest(1536)));
    QVERIFY(m_srv.ecrisFichier(m_dossier + "vide", QByteArray()));
    // 5 GiB without using the disk: a sparse file on the server's side.
    QFile gros(m_srv.disque(m_dossier + "5 Gio.iso"));
    QVERIFY(gros.open(QIODevice::WriteOnly));
    QVERIFY(gros.resize(5LL * 1024 * 1024 * 1024));
    gros.close();

    QCOMPARE(connecte(), short(-1));
    QCOMPARE(TailleFichierSite(*m_ftp, m_dossier + "1536.bin"), 1.5);
    QCOMPARE(TailleFichierSite(*m_ftp, "  " + m_dossier + "1536.bin  "), 1.5);
    QCOMPARE(TailleFichierSite(*m_ftp, m_dossier + "vide"), 0.0);
    QCOMPARE(TailleFichierSite(*m_ftp, m_dossier + "5 Gio.iso"), 5.0 * 1024 * 1024);
    QCOMPARE(m_ftp->TailleOctets(m_dossier + "5 Gio.iso"), 5LL * 1024 * 1024 * 1024);
    QVERIFY(TailleFichierSite(*m_ftp, m_dossier + "absent") < 0);
    QCOMPARE(m_ftp->TailleOctets(m_dossier + "absent"), -1LL);
    QVERIFY(m_srv.creeDossier(m_dossier + "d"));
    QVERIFY(TailleFichierSite(*m_ftp, m_dossier + "d") < 0);
    // A failed size leaves the connection usable.
    QCOMPARE(TailleFichierSite(*m_ftp, m_dossier + "1536.bin"), 1.5);
}

void TstClsFtp::repertoireCourantLong() {
    ServeurScripte serveur(QStringLiteral("long-pwd"));
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    serveur.parametres();
    QCOMPARE(m_ftp->Connexion(), short(-1));
    const QString attendu = '/' + QStringList(8, QString(49, 'd')).join('/');
    QCOMPARE(attendu.size(), 400);
    QCOMPARE(m_ftp->DonneRepertoireCourant(), attendu);
}

void TstClsFtp::repertoireCourantAccentue() {
    const QString d = m_dossier + "é à ü \"cité\"";
    QVERIFY(m_srv.creeDossier(d));
    QCOMPARE(connecte(), short(-1));
    QCOMPARE(m_ftp->AttribueRepertoireCourant(d), short(1));
    QCOMPARE(m_ftp->DonneRepertoireCourant(), d);
}

// A name is sent back as the bytes it came in, whatever they are: no two
// byte strings share a text, and the text of UTF-8 bytes is the plain one.
void TstClsFtp::nomsGardentLeursOctets() {
    const QByteArray latin1("\xe9t\xe9.txt"), utf8("\xc3\xa9t\xc3\xa9.txt");
    QCOMPARE(FtpSession::NomDepuisOctets(utf8), QStringLiteral("été.txt"));
    const QString texte = FtpSession::NomDepuisOctets(latin1);
    QVERIFY(texte != QStringLiteral("été.txt"));
    QCOMPARE(QString(texte).remove(QChar(FtpSession::MarqueOctet)), QStringLiteral("été.txt"));
    QCOMPARE(FtpSession::NomEnOctets(texte), latin1);
    QCOMPARE(FtpSession::NomEnOctets(QStringLiteral("été.txt")), utf8);
    // Random names, mostly high bytes and the marker's own UTF-8 bytes: each
    // text gives back its bytes, so no two names are ever merged.
    QRandomGenerator alea(3);
    for (int i = 0; i < 20000; ++i) {
        QByteArray octets(int(alea.bounded(1, 8)), Qt::Uninitialized);
        for (char &c : octets)
            c = alea.bounded(4) == 0 ? "\xcd\x8f"[alea.bounded(2)]
                                     : char(alea.bounded(0x60, 0x100));
        QCOMPARE(FtpSession::NomEnOctets(FtpSession::NomDepuisOctets(octets)), octets);
    }
}

void TstClsFtp::reponsesMultilignes() {
    ServeurScripte serveur(QStringLiteral("multiline"));
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    serveur.parametres();
    m_ftp->setDelaiMs(5000);
    QCOMPARE(m_ftp->Connexion(), short(-1));
    QCOMPARE(m_ftp->CreeRepertoire("x"), short(1));
    QCOMPARE(m_ftp->AttribueRepertoireCourant("/y"), short(1));
    QCOMPARE(m_ftp->RenommeFichier("a", "b"), short(1));
    QCOMPARE(m_ftp->DownloadFichier("alpha.bin", local("alpha.bin")), short(1));
    QCOMPARE(LitFichierLocal(local("alpha.bin")), AlphaScripte);
    Dictionnaire dic;
    m_ftp->EnumereFichier(dic, "/m/");
    QCOMPARE(dic.Count(), 4);
    // The 257 reply is multi-line too: the quoted path is on its last line.
    QCOMPARE(m_ftp->DonneRepertoireCourant(), QStringLiteral("/dir with \"quotes\" inside"));
    // Replies stay paired with their commands all along.
    QCOMPARE(m_ftp->CreeRepertoire("z"), short(1));
    QVERIFY2(serveur.journal().contains("> MKD z"), qPrintable(serveur.journal()));
}

void TstClsFtp::motDePasseVide() {
    ServeurScripte serveur(QStringLiteral("normal"));
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    serveur.parametres();
    sMotDePasse = QString();
    QCOMPARE(m_ftp->Connexion(), short(-1));
    // "PASS " with an empty argument, as other clients send it; a bare "PASS"
    // is a syntax error to some servers.
    QVERIFY2(serveur.journal().contains("1> PASS \n"), qPrintable(serveur.journal()));
}

void TstClsFtp::retourALaLigneRefuse_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("fin"); // the line end that tries to smuggle a command in
    for (const char *op : {"CreeRepertoire", "AttribueRepertoireCourant", "EffaceRepertoire",
                           "EffaceFichier", "RenommeAncien", "RenommeNouveau", "UploadFichier",
                           "DownloadFichier", "EnumereFichier", "TailleFichierSite"}) {
        QTest::addRow("%s CRLF", op) << op << "\r\n";
        QTest::addRow("%s LF", op) << op << "\n";
        QTest::addRow("%s CR", op) << op << "\r";
    }
}

void TstClsFtp::retourALaLigneRefuse() {
    QFETCH(QString, operation);
    QFETCH(QString, fin);
    QVERIFY(m_srv.ecrisFichier(m_dossier + "victime", "à garder"));
    QVERIFY(m_srv.ecrisFichier(m_dossier + "a", "a"));
    QVERIFY(EcritFichierLocal(local("l"), "l"));
    QCOMPARE(connecte(), short(-1));
    QCOMPARE(m_ftp->AttribueRepertoireCourant(m_dossier), short(1));

    const QString piege = "a" + fin + "DELE victime";
    short r = 0;
    if (operation == "CreeRepertoire")
        r = m_ftp->CreeRepertoire(piege);
    else if (operation == "AttribueRepertoireCourant")
        r = m_ftp->AttribueRepertoireCourant(piege);
    else if (operation == "EffaceRepertoire")
        r = m_ftp->EffaceRepertoire(piege);
    else if (operation == "EffaceFichier")
        r = m_ftp->EffaceFichier(piege);
    else if (operation == "RenommeAncien")
        r = m_ftp->RenommeFichier(piege, "b");
    else if (operation == "RenommeNouveau")
        r = m_ftp->RenommeFichier("a", piege);
    else if (operation == "UploadFichier")
        r = m_ftp->UploadFichier(local("l"), piege);
    else if (operation == "DownloadFichier")
        r = m_ftp->DownloadFichier(piege, local("d"));
    else if (operation == "EnumereFichier") {
        Dictionnaire dic;
        m_ftp->EnumereFichier(dic, m_dossier + piege + "/");
        QCOMPARE(dic.Count(), 0);
    } else if (operation == "TailleFichierSite")
        QVERIFY(TailleFichierSite(*m_ftp, piege) < 0);
    QCOMPARE(r, short(0));
    QCOMPARE(m_srv.litFichier(m_dossier + "victime"), QByteArray("à garder"));
    QCOMPARE(m_srv.contenu(m_dossier), QStringList({"a", "victime"}));
    QCOMPARE(fichiersLocaux(), QStringList({"l"}));
    // Refused before anything was sent: the connection is still in step.
    QCOMPARE(m_ftp->DonneRepertoireCourant() + '/', m_dossier);
}

void TstClsFtp::retourALaLigneJamaisEnvoye() {
    ServeurScripte serveur(QStringLiteral("normal"));
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    serveur.parametres();
    m_ftp->setDelaiMs(5000);

    // In the login too.
    sUtilisateur = QStringLiteral("quillon\r\nDELE victime");
    QCOMPARE(m_ftp->Connexion(), short(0));
    serveur.parametres();
    sMotDePasse = QStringLiteral("secret\nDELE victime");
    QCOMPARE(m_ftp->Connexion(), short(0));

    serveur.parametres();
    QCOMPARE(m_ftp->Connexion(), short(-1));
    QVERIFY(EcritFichierLocal(local("l"), "l"));
    for (const QString &fin :
         {QStringLiteral("\r\n"), QStringLiteral("\n"), QStringLiteral("\r")}) {
        const QString piege = "a" + fin + "DELE victime";
        QCOMPARE(m_ftp->EffaceFichier(piege), short(0));
        QCOMPARE(m_ftp->CreeRepertoire(piege), short(0));
        QCOMPARE(m_ftp->RenommeFichier("zeta.txt", piege), short(0));
        QCOMPARE(m_ftp->UploadFichier(local("l"), piege), short(0));
        QCOMPARE(m_ftp->DownloadFichier(piege, local("d")), short(0));
        Dictionnaire dic;
        m_ftp->EnumereFichier(dic, "/" + piege + "/");
        QCOMPARE(dic.Count(), 0);
    }
    QCOMPARE(m_ftp->DonneRepertoireCourant(), QStringLiteral("/"));
    const QString journal = serveur.journal();
    QVERIFY2(!journal.contains("victime"), qPrintable(journal));
    // Nor was half a command sent: nothing but the logins and the final PWD.
    QVERIFY2(!journal.contains("> DELE") && !journal.contains("> MKD") &&
                 !journal.contains("> RNFR") && !journal.contains("> STOR") &&
                 !journal.contains("> RETR") && !journal.contains("> CWD"),
             qPrintable(journal));
}

void TstClsFtp::serveurBloque_data() {
    QTest::addColumn<QString>("operation");
    for (const char *op : {"DonneRepertoireCourant", "CreeRepertoire", "EnumereFichier",
                           "UploadFichier", "TailleFichierSite"})
        QTest::newRow(op) << op;
}

void TstClsFtp::serveurBloque() {
    QFETCH(QString, operation);
    ServeurScripte serveur(QStringLiteral("stall"));
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    serveur.parametres();
    QCOMPARE(m_ftp->Connexion(), short(-1));
    QVERIFY(EcritFichierLocal(local("l"), OctetsTest(100000)));
    // Short once connected: the stalled operation ends at this time-out.
    m_ftp->setDelaiMs(500);

    QElapsedTimer chrono;
    chrono.start();
    if (operation == "DonneRepertoireCourant") {
        QCOMPARE(m_ftp->DonneRepertoireCourant(), QString());
    } else if (operation == "CreeRepertoire") {
        QCOMPARE(m_ftp->CreeRepertoire("x"), short(0));
    } else if (operation == "EnumereFichier") {
        Dictionnaire dic;
        m_ftp->EnumereFichier(dic, "/");
        QCOMPARE(dic.Count(), 0);
    } else if (operation == "UploadFichier") {
        QCOMPARE(m_ftp->UploadFichier(local("l"), "l"), short(0));
    } else {
        QVERIFY(TailleFichierSite(*m_ftp, "alpha.bin") < 0);
    }
    QVERIFY2(chrono.elapsed() < 20000, "the call must end soon after the time-out");
    QVERIFY(!m_ftp->DerniereErreur().isEmpty());
    // The connection can't be trusted any more, and says so quickly.
    chrono.restart();
    QCOMPARE(m_ftp->CreeRepertoire("y"), short(0));
    QVERIFY(chrono.elapsed() < 20000);
}

void TstClsFtp::serveurMuetALaConnexion_data() {
    QTest::addColumn<QString>("mode");
    QTest::newRow("sans accueil") << "stall-greeting";
    QTest::newRow("accueil illisible") << "garbage-greeting";
}

void TstClsFtp::serveurMuetALaConnexion() {
    QFETCH(QString, mode);
    ServeurScripte serveur(mode);
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    serveur.parametres();
    m_ftp->setDelaiMs(500);
    QElapsedTimer chrono;
    chrono.start();
    QCOMPARE(m_ftp->Connexion(), short(0));
    QVERIFY(chrono.elapsed() < 20000);
    QVERIFY(!m_ftp->hConnexion());
    QVERIFY(!m_ftp->DerniereErreur().isEmpty());
}

void TstClsFtp::reponsesIllisibles() {
    ServeurScripte serveur(QStringLiteral("garbage"));
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    serveur.parametres();
    m_ftp->setDelaiMs(1500);
    QCOMPARE(m_ftp->Connexion(), short(-1));
    QVERIFY(EcritFichierLocal(local("cible"), "ancien"));
    QCOMPARE(m_ftp->DonneRepertoireCourant(), QString());
    QCOMPARE(m_ftp->CreeRepertoire("x"), short(0));
    QCOMPARE(m_ftp->DownloadFichier("alpha.bin", local("cible")), short(0));
    Dictionnaire dic;
    m_ftp->EnumereFichier(dic, "/");
    QCOMPARE(dic.Count(), 0);
    QCOMPARE(LitFichierLocal(local("cible")), QByteArray("ancien"));
    QCOMPARE(fichiersLocaux(), QStringList({"cible"}));
}

void TstClsFtp::reponsesSansFin_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("raison");
    const QString delai = QStringLiteral("délai dépassé");
    const QString preliminaires = QStringLiteral("préliminaires sans fin");
    // Each line, or each byte, comes well within the time-out (800 ms): only
    // one deadline for the whole reply ends these.
    QTest::newRow("accueil : préliminaires en rafale")
        << "endless-preliminary" << QStringList{"at=greeting"} << preliminaires;
    QTest::newRow("accueil : préliminaires lents")
        << "endless-preliminary" << QStringList{"at=greeting", "interval=0.2"} << delai;
    QTest::newRow("accueil : multiligne lent")
        << "slow-multiline" << QStringList{"at=greeting", "interval=0.2"} << delai;
    QTest::newRow("commande : préliminaires en rafale")
        << "endless-preliminary" << QStringList() << preliminaires;
    QTest::newRow("commande : préliminaires lents")
        << "endless-preliminary" << QStringList{"interval=0.2"} << delai;
    QTest::newRow("commande : un octet à la fois")
        << "slow-multiline" << QStringList{"step=byte"} << delai;
    QTest::newRow("commande : ligne trop longue")
        << "overlong-line" << QStringList() << QStringLiteral("trop longue");
}

void TstClsFtp::reponsesSansFin() {
    QFETCH(QString, mode);
    QFETCH(QStringList, options);
    QFETCH(QString, raison);
    ServeurScripte serveur(mode, options);
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    serveur.parametres();
    if (options.contains("at=greeting")) {
        m_ftp->setDelaiMs(800);
        // The window's automatic connection makes this same call.
        QCOMPARE(m_ftp->Connexion(), short(0));
    } else {
        QCOMPARE(m_ftp->Connexion(), short(-1));
        m_ftp->setDelaiMs(800);
        // Never a path made of part of a reply.
        QCOMPARE(m_ftp->DonneRepertoireCourant(), QString());
    }
    QVERIFY2(m_ftp->DerniereErreur().contains(raison), qPrintable(m_ftp->DerniereErreur()));
    // Nothing of that reply is left to be read as the answer to a later command.
    QVERIFY(!m_ftp->hConnexion());
    QCOMPARE(m_ftp->CreeRepertoire("x"), short(0));
    QVERIFY2(!serveur.journal().contains("> MKD"), qPrintable(serveur.journal()));
}

void TstClsFtp::adresseDonnees_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("texte");
    QTest::addColumn<QString>("pair");
    QTest::addColumn<QString>("hote"); // empty: no usable address
    QTest::addColumn<int>("port");
    const QString publique = QStringLiteral("203.0.113.5");
    QTest::newRow("227 nommant un autre hôte public")
        << 227 << QByteArray("227 Entering Passive Mode (198,51,100,7,4,1).") << publique
        << publique << 1025;
    QTest::newRow("227 derrière un NAT")
        << 227 << QByteArray("227 Entering Passive Mode (10,0,0,5,195,80).") << publique << publique
        << 50000;
    QTest::newRow("227 en boucle locale nommant un hôte public")
        << 227 << QByteArray("227 =198,51,100,7,0,21") << "127.0.0.1"
        << "127.0.0.1" << 21;
    QTest::newRow("227 sur une connexion IPv6")
        << 227 << QByteArray("227 Entering Passive Mode (10,1,2,3,4,1)") << "2001:db8::5"
        << "2001:db8::5" << 1025;
    QTest::newRow("229") << 229 << QByteArray("229 Entering Extended Passive Mode (|||50000|)")
                         << publique << publique << 50000;
    QTest::newRow("227 port nul") << 227 << QByteArray("227 Entering Passive Mode (1,2,3,4,0,0)")
                                  << publique << QString() << 0;
}

// The data connection goes to the control connection's peer, whatever host a
// PASV reply names.
void TstClsFtp::adresseDonnees() {
    QFETCH(int, code);
    QFETCH(QByteArray, texte);
    QFETCH(QString, pair);
    QFETCH(QString, hote);
    QFETCH(int, port);
    Reponse::Complete r;
    r.code = code;
    r.texte = texte;
    const auto adresse = Reponse::AdresseDonnees(r, QHostAddress(pair));
    if (hote.isEmpty()) {
        QVERIFY(!adresse);
        return;
    }
    QVERIFY(adresse);
    QCOMPARE(adresse->hote, QHostAddress(hote));
    QCOMPARE(int(adresse->port), port);
}

void TstClsFtp::adressePasvInjoignable_data() {
    QTest::addColumn<QString>("adresse");
    QTest::newRow("privée") << "10.1.2.3";
    QTest::newRow("non spécifiée") << "0.0.0.0";
    QTest::newRow("publique") << "198.51.100.7";
}

void TstClsFtp::adressePasvInjoignable() {
    QFETCH(QString, adresse);
    ServeurScripte serveur(QStringLiteral("pasv-unroutable"), {"pasv=" + adresse});
    QVERIFY2(serveur.demarre(), qPrintable(serveur.erreur()));
    serveur.parametres();
    // Short, so that a client that tries the announced address fails fast.
    m_ftp->setDelaiMs(3000);
    QCOMPARE(m_ftp->Connexion(), short(-1));
    QCOMPARE(m_ftp->DownloadFichier("alpha.bin", local("alpha.bin")), short(1));
    QCOMPARE(LitFichierLocal(local("alpha.bin")), AlphaScripte);
    Dictionnaire dic;
    m_ftp->EnumereFichier(dic, "/p/");
    QCOMPARE(dic.Count(), 4);
    QVERIFY(EcritFichierLocal(local("envoi"), "envoi"));
    QCOMPARE(m_ftp->UploadFichier(local("envoi"), "envoi"), short(1));
    QVERIFY2(serveur.journal().contains("stored 5 bytes"), qPrintable(serveur.journal()));
}

QTEST_GUILESS_MAIN(TstClsFtp)
#include "tst_clsftp.moc"
