#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The loopback FTP server started by the CTest fixture (tests/fixtures/ftpserver.py).
// It runs on this machine, so tests prepare and check files directly on its disk.
class TestServeur {
public:
    // Reads the file named by QUILLON_TEST_SERVER_INFO once per process.
    static TestServeur &instance();

    bool valide() const { return m_erreur.isEmpty(); }
    QString erreur() const { return m_erreur; }

    quint16 port() const { return m_port; }
    QString racine() const { return m_racine; } // the server's root folder on disk
    QString utilisateur() const { return m_utilisateur; }
    QString motDePasse() const { return m_motDePasse; }
    QString site() const; // "127.0.0.1:PORT"

    // Sets sSite, sUtilisateur and sMotDePasse for the test user, or for an
    // anonymous login (empty user and password).
    void parametres(bool anonyme = false) const;
    // "ftp://[quillon:secret@]127.0.0.1:PORT" + remote path, for quillon-ftp.
    QString url(const QString &distant, bool anonyme = false) const;

    // A fresh empty folder under the root; returns its remote path "/name/".
    QString nouveauDossier(const QString &prefixe);
    // The on-disk path of a remote path.
    QString disque(const QString &distant) const;
    bool ecrisFichier(const QString &distant, const QByteArray &contenu) const;
    QByteArray litFichier(const QString &distant) const;
    bool existe(const QString &distant) const;
    bool creeDossier(const QString &distant) const;
    // Names in a folder on disk, sorted, "." and ".." excluded.
    QStringList contenu(const QString &distant) const;

private:
    TestServeur();
    QString m_erreur;
    quint16 m_port = 0;
    QString m_racine;
    QString m_utilisateur;
    QString m_motDePasse;
    int m_compteur = 0;
};

// tests/fixtures/scripted_server.py (or another script there, such as
// sftp_hostile.py) in one of its modes, for faults that a real server can't be
// made to produce. The server stops itself after 60 s.
class ServeurScripte {
public:
    explicit ServeurScripte(const QString &mode, const QStringList &options = {},
                            const QString &script = QStringLiteral("scripted_server.py"));
    ~ServeurScripte();
    ServeurScripte(const ServeurScripte &) = delete;
    ServeurScripte &operator=(const ServeurScripte &) = delete;

    // Starts it and waits for its port; false (see erreur()) on failure.
    bool demarre();
    void arrete();

    quint16 port() const { return m_port; }
    QString site() const; // "127.0.0.1:PORT"
    // Sets sSite, sUtilisateur and sMotDePasse for this server.
    void parametres() const;
    QString erreur() const { return m_erreur; }
    // What the server saw: "+conn N", "N> COMMAND ...", "-conn N" lines.
    QString journal() const;

private:
    QString m_mode;
    QStringList m_options;
    QString m_script;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_erreur;
    QTemporaryDir m_dossier;
};

// tests/fixtures/tls_server.py serving with the given arguments ("vsftpd" or
// "pyftpdlib", mode, certificate, root); stopped with the object.
class ServeurTls {
public:
    static const QString Fixture;

    explicit ServeurTls(const QStringList &arguments);
    ~ServeurTls();
    ServeurTls(const ServeurTls &) = delete;
    ServeurTls &operator=(const ServeurTls &) = delete;

    quint16 port() const { return m_port; }
    QString site() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    QString erreur() const { return m_erreur; }

private:
    QProcess m_process;
    quint16 m_port = 0;
    QString m_erreur;
};

// 256 byte values, repeated and cut to the given length.
QByteArray OctetsTest(qsizetype taille);

// A local file's bytes, or "<absent>" when it can't be read (so that a
// missing file never compares equal to an empty one).
QByteArray LitFichierLocal(const QString &chemin);
bool EcritFichierLocal(const QString &chemin, const QByteArray &contenu);

// The key=value lines of the sshd fixture's info file (QUILLON_TEST_SSHD_INFO);
// empty when there is none.
QMap<QString, QString> LitInfoSshd();
// OpenSSH's fingerprint ("SHA256:…") of a public key line "type base64".
QString EmpreinteSsh(const QString &ligneCle);
