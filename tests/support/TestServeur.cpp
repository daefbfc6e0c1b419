#include "support/TestServeur.h"

#include "ftp/clsFTP.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUrl>

TestServeur &TestServeur::instance() {
    static TestServeur serveur;
    return serveur;
}

TestServeur::TestServeur() {
    const QString chemin = qEnvironmentVariable("QUILLON_TEST_SERVER_INFO");
    if (chemin.isEmpty()) {
        m_erreur = QStringLiteral("QUILLON_TEST_SERVER_INFO is not set: run the tests with ctest");
        return;
    }
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::ReadOnly)) {
        m_erreur = QStringLiteral("cannot read the server info file %1: %2")
                       .arg(chemin, fichier.errorString());
        return;
    }
    while (!fichier.atEnd()) {
        const QString ligne = QString::fromUtf8(fichier.readLine()).trimmed();
        const auto egal = ligne.indexOf(u'=');
        if (egal <= 0)
            continue;
        const QString cle = ligne.left(egal);
        const QString valeur = ligne.mid(egal + 1);
        if (cle == QLatin1String("port"))
            m_port = quint16(valeur.toUInt());
        else if (cle == QLatin1String("root"))
            m_racine = valeur;
        else if (cle == QLatin1String("user"))
            m_utilisateur = valeur;
        else if (cle == QLatin1String("password"))
            m_motDePasse = valeur;
    }
    if (m_port == 0 || m_racine.isEmpty() || !QFileInfo(m_racine).isDir())
        m_erreur = QStringLiteral("the server info file %1 is incomplete or stale").arg(chemin);
}

QString TestServeur::site() const {
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

void TestServeur::parametres(bool anonyme) const {
    sSite = site();
    sUtilisateur = anonyme ? QString() : m_utilisateur;
    sMotDePasse = anonyme ? QString() : m_motDePasse;
}

QString TestServeur::url(const QString &distant, bool anonyme) const {
    QUrl u;
    u.setScheme(QStringLiteral("ftp"));
    u.setHost(QStringLiteral("127.0.0.1"));
    u.setPort(m_port);
    if (!anonyme) {
        u.setUserName(m_utilisateur);
        u.setPassword(m_motDePasse);
    }
    u.setPath(distant);
    return QString::fromLatin1(u.toEncoded());
}

QString TestServeur::nouveauDossier(const QString &prefixe) {
    // Several test programs share the root: names carry the pid and a random part.
    for (;;) {
        const QString nom = QStringLiteral("%1-%2-%3-%4")
                                .arg(prefixe)
                                .arg(QCoreApplication::applicationPid())
                                .arg(++m_compteur)
                                .arg(QRandomGenerator::global()->bounded(1000000));
        if (QDir(m_racine).mkdir(nom))
            return QLatin1Char('/') + nom + QLatin1Char('/');
        if (!QFileInfo(m_racine).isDir())
            return QString();
    }
}

QString TestServeur::disque(const QString &distant) const {
    return m_racine + (distant.startsWith(u'/') ? distant : QLatin1Char('/') + distant);
}

bool TestServeur::ecrisFichier(const QString &distant, const QByteArray &contenu) const {
    return EcritFichierLocal(disque(distant), contenu);
}

QByteArray TestServeur::litFichier(const QString &distant) const {
    QFile f(disque(distant));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool TestServeur::existe(const QString &distant) const {
    return QFileInfo::exists(disque(distant));
}

bool TestServeur::creeDossier(const QString &distant) const {
    return QDir().mkpath(disque(distant));
}

QStringList TestServeur::contenu(const QString &distant) const {
    return QDir(disque(distant))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                   QDir::Name);
}

ServeurScripte::ServeurScripte(const QString &mode, const QStringList &options,
                               const QString &script)
    : m_mode(mode), m_options(options), m_script(script) {}

ServeurScripte::~ServeurScripte() {
    arrete();
}

bool ServeurScripte::demarre() {
    const QString script = QStringLiteral(QUILLON_TESTS_DIR "/fixtures/") + m_script;
    m_process.setProgram(QStringLiteral(QUILLON_PYTHON));
    m_process.setArguments(QStringList{script, m_mode} + m_options);
    // Its journal goes to a file: a pipe nobody reads during a blocking call could fill up.
    m_process.setStandardErrorFile(m_dossier.filePath(QStringLiteral("journal")));
    m_process.start();
    if (!m_process.waitForStarted(5000)) {
        m_erreur = QStringLiteral("cannot start %1: %2").arg(script, m_process.errorString());
        return false;
    }
    QDeadlineTimer limite(10000);
    QByteArray sortie;
    while (!sortie.contains('\n') && !limite.hasExpired()) {
        if (m_process.state() != QProcess::Running)
            break;
        m_process.waitForReadyRead(100);
        sortie += m_process.readAllStandardOutput();
    }
    const QByteArray ligne = sortie.left(sortie.indexOf('\n')).trimmed();
    if (ligne.startsWith("port="))
        m_port = quint16(ligne.mid(5).toUInt());
    if (m_port == 0) {
        m_erreur = QStringLiteral("scripted server %1 gave no port: %2 %3")
                       .arg(m_mode, QString::fromUtf8(sortie), journal());
        arrete();
        return false;
    }
    return true;
}

void ServeurScripte::arrete() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString ServeurScripte::site() const {
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

void ServeurScripte::parametres() const {
    sSite = site();
    sUtilisateur = QStringLiteral("quillon");
    sMotDePasse = QStringLiteral("secret");
}

QString ServeurScripte::journal() const {
    QFile f(m_dossier.filePath(QStringLiteral("journal")));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QByteArray OctetsTest(qsizetype taille) {
    QByteArray octets(taille, Qt::Uninitialized);
    for (qsizetype i = 0; i < taille; ++i)
        octets[i] = char(i & 0xFF);
    return octets;
}

QByteArray LitFichierLocal(const QString &chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

bool EcritFichierLocal(const QString &chemin, const QByteArray &contenu) {
    QFile f(chemin);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(contenu) == contenu.size();
}

const QString ServeurTls::Fixture = QStringLiteral(QUILLON_TESTS_DIR "/fixtures/tls_server.py");

ServeurTls::ServeurTls(const QStringList &arguments) {
    m_process.setProgram(QStringLiteral(QUILLON_PYTHON));
    m_process.setArguments(QStringList{Fixture} + arguments);
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start();
    QDeadlineTimer limite(20000);
    QByteArray sortie;
    while (!sortie.contains('\n') && !limite.hasExpired() &&
           m_process.state() != QProcess::NotRunning) {
        m_process.waitForReadyRead(100);
        sortie += m_process.readAllStandardOutput();
    }
    const QByteArray ligne = sortie.left(sortie.indexOf('\n')).trimmed();
    if (ligne.startsWith("port="))
        m_port = quint16(ligne.mid(5).toUInt());
    else
        m_erreur = ligne.isEmpty() ? QStringLiteral("no port") : QString::fromUtf8(ligne);
}

ServeurTls::~ServeurTls() {
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QMap<QString, QString> LitInfoSshd() {
    QMap<QString, QString> info;
    QFile f(qEnvironmentVariable("QUILLON_TEST_SSHD_INFO"));
    if (!f.open(QIODevice::ReadOnly))
        return info;
    for (const QByteArray &ligne : f.readAll().split('\n')) {
        const auto egal = ligne.indexOf('=');
        if (egal > 0)
            info.insert(QString::fromUtf8(ligne.left(egal)),
                        QString::fromUtf8(ligne.mid(egal + 1)));
    }
    return info;
}

QString EmpreinteSsh(const QString &ligneCle) {
    const QByteArray blob = QByteArray::fromBase64(ligneCle.section(u' ', 1, 1).toLatin1());
    return QStringLiteral("SHA256:") +
           QString::fromLatin1(QCryptographicHash::hash(blob, QCryptographicHash::Sha256)
                                   .toBase64(QByteArray::OmitTrailingEquals));
}
