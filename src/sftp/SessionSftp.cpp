#include "sftp/SessionSftp.h"

#include "ftp/Destination.h"
#include "ftp/ListingParser.h"
#include "ftp/Prise.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QtEndian>

#include <libssh/callbacks.h>
#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <limits>
#include <mutex>
#include <pwd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// What one listing may keep, as for FTP: an endless listing ends well before
// the memory runs out, and entries read are bounded too.
constexpr qsizetype EntreesMax = 5'000'000;
constexpr qsizetype TexteMax = 128LL << 20;
constexpr qsizetype LuesMax = 2 * EntreesMax;
// Folder reads in flight during a listing: the server reads the next names
// while the last ones are sorted out. A name reply is at most NomsMax long
// (OpenSSH's are 256 KiB at most), and at most VidesMax in a row are empty.
constexpr int LecturesDossierEnVol = 4;
constexpr uint32_t NomsMax = 8 << 20;
constexpr int VidesMax = 100;
// Reads in flight during a download, as OpenSSH's client keeps them.
constexpr int LecturesEnVol = 32;
constexpr uint32_t TailleLecture = 64 * 1024;
// Writes in flight during an upload. Every server takes 32 KiB; OpenSSH's
// takes up to 256 KiB.
constexpr int EcrituresEnVol = 32;
constexpr qint64 TailleEcriture = 64 * 1024;
// A write's status is a code and two short texts.
constexpr uint32_t StatutMax = 64 * 1024;
constexpr int IntervalleProgressionMs = 20;
constexpr int ToursClavierMax = 8;

// Keys the user accepted once, for the rest of the run: "host:port" → fingerprint.
QMutex verrouAcceptees;
QSet<QString> &acceptees() {
    static QSet<QString> s;
    return s;
}

QString texteSftp(int code) {
    switch (code) {
    case SSH_FX_EOF:
        return QStringLiteral("fin de fichier");
    case SSH_FX_NO_SUCH_FILE:
        return QStringLiteral("fichier ou dossier introuvable");
    case SSH_FX_PERMISSION_DENIED:
        return QStringLiteral("permission refusée");
    case SSH_FX_BAD_MESSAGE:
        return QStringLiteral("message mal formé");
    case SSH_FX_NO_CONNECTION:
    case SSH_FX_CONNECTION_LOST:
        return QStringLiteral("connexion interrompue");
    case SSH_FX_OP_UNSUPPORTED:
        return QStringLiteral("opération non prise en charge par le serveur");
    case SSH_FX_FILE_ALREADY_EXISTS:
        return QStringLiteral("le fichier existe déjà");
    case SSH_FX_WRITE_PROTECT:
        return QStringLiteral("support protégé en écriture");
    default:
        return QStringLiteral("échec de l'opération");
    }
}

// libssh's last error may quote the server (its banner, its parting
// message): control characters are blanked, as in an FTP reply, so that none
// reaches a terminal or the log, and the length is bounded.
QString texteSsh(ssh_session s) {
    constexpr qsizetype ErreurSshMax = 512;
    QString texte = QString::fromUtf8(ssh_get_error(s)).left(ErreurSshMax);
    for (QChar &c : texte) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            c = u' ';
    }
    return texte.simplified();
}

QString methodes(int masque) {
    QStringList noms;
    if (masque & SSH_AUTH_METHOD_PUBLICKEY)
        noms << QStringLiteral("publickey");
    if (masque & SSH_AUTH_METHOD_PASSWORD)
        noms << QStringLiteral("password");
    if (masque & SSH_AUTH_METHOD_INTERACTIVE)
        noms << QStringLiteral("keyboard-interactive");
    if (masque & SSH_AUTH_METHOD_HOSTBASED)
        noms << QStringLiteral("hostbased");
    if (masque & SSH_AUTH_METHOD_GSSAPI_MIC)
        noms << QStringLiteral("gssapi-with-mic");
    return noms.isEmpty() ? QStringLiteral("aucune") : noms.join(QStringLiteral(", "));
}

QString empreinte(ssh_key cle) {
    unsigned char *hache = nullptr;
    size_t longueur = 0;
    if (cle == nullptr ||
        ssh_get_publickey_hash(cle, SSH_PUBLICKEY_HASH_SHA256, &hache, &longueur) != 0)
        return {};
    const QByteArray b64 =
        QByteArray(reinterpret_cast<const char *>(hache), qsizetype(longueur))
            .toBase64(QByteArray::Base64Encoding | QByteArray::OmitTrailingEquals);
    ssh_clean_pubkey_hash(&hache);
    return QStringLiteral("SHA256:") + QString::fromLatin1(b64);
}

// The fingerprint known_hosts holds for host:port, preferring a key of the
// type received (libssh 0.10 gives no entry for a changed key). Hashed
// entries match too: libssh parses each line.
QString empreinteConnue(ssh_session s, const QString &hote, quint16 port, const QString &type) {
    char *chemin = nullptr;
    if (ssh_options_get(s, SSH_OPTIONS_KNOWNHOSTS, &chemin) != SSH_OK || chemin == nullptr)
        return {};
    QFile fichier(QFile::decodeName(chemin));
    ssh_string_free_char(chemin);
    if (!fichier.open(QIODevice::ReadOnly))
        return {};
    const QByteArray nom =
        (port == 22 ? hote : QStringLiteral("[%1]:%2").arg(hote).arg(port)).toUtf8();
    QString trouvee;
    constexpr int LignesMax = 100000; // a known_hosts file is the user's own, but bounded
    for (int i = 0; i < LignesMax && !fichier.atEnd(); ++i) {
        const QByteArray ligne = fichier.readLine(64 * 1024).trimmed();
        if (ligne.isEmpty() || ligne.startsWith('#'))
            continue;
        ssh_knownhosts_entry *entree = nullptr;
        if (ssh_known_hosts_parse_line(nom.constData(), ligne.constData(), &entree) == SSH_OK &&
            entree != nullptr && entree->publickey != nullptr) {
            const QString e = empreinte(entree->publickey);
            const bool memeType =
                QString::fromLatin1(ssh_key_type_to_char(ssh_key_type(entree->publickey))) == type;
            if (memeType || trouvee.isEmpty())
                trouvee = e;
            if (memeType) {
                ssh_knownhosts_entry_free(entree);
                break;
            }
        }
        ssh_knownhosts_entry_free(entree);
    }
    return trouvee;
}

} // namespace

struct SessionSftp::Etat {
    ssh_session ssh = nullptr;
    sftp_session sftp = nullptr;
    int fd = -1;
    ssh_callbacks_struct rappels{};
    SessionSftp *proprietaire = nullptr;

    ~Etat() {
        if (sftp != nullptr)
            sftp_free(sftp);
        if (ssh != nullptr) {
            ssh_disconnect(ssh);
            ssh_free(ssh);
        }
    }
};

// One deadline per request. libssh 0.10's SFTP calls block without a limit of
// their own; when the deadline passes this shuts the socket down from a
// thread of its own, so the call waiting on it returns with an error.
class SessionSftp::Minuterie {
public:
    Minuterie() : m_fil([this] { boucle(); }) {}
    ~Minuterie() {
        {
            std::lock_guard<std::mutex> l(m_verrou);
            m_fin = true;
        }
        m_signal.notify_one();
        m_fil.join();
    }

    void arme(int fd, int ms) {
        {
            std::lock_guard<std::mutex> l(m_verrou);
            m_fd = fd;
            m_limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
            m_arme = true;
            m_expire = false;
        }
        m_signal.notify_one();
    }
    // The next reply has as long again.
    void relance(int ms) {
        std::lock_guard<std::mutex> l(m_verrou);
        m_limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    }
    void desarme() {
        std::lock_guard<std::mutex> l(m_verrou);
        m_arme = false;
    }
    bool expire() {
        std::lock_guard<std::mutex> l(m_verrou);
        return m_expire;
    }

private:
    void boucle() {
        std::unique_lock<std::mutex> l(m_verrou);
        while (!m_fin) {
            if (!m_arme) {
                m_signal.wait(l);
                continue;
            }
            m_signal.wait_until(l, m_limite);
            if (m_arme && !m_fin && std::chrono::steady_clock::now() >= m_limite) {
                ::shutdown(m_fd, SHUT_RDWR);
                m_expire = true;
                m_arme = false;
            }
        }
    }

    std::mutex m_verrou;
    std::condition_variable m_signal;
    std::chrono::steady_clock::time_point m_limite;
    int m_fd = -1;
    bool m_arme = false;
    bool m_expire = false;
    bool m_fin = false;
    std::thread m_fil;
};

// One operation: marks the session busy and bounds its first reply.
class RequeteSftp {
public:
    explicit RequeteSftp(SessionSftp &s) : m_s(s), m_libre(!s.m_occupee) {
        if (!m_libre)
            return;
        s.m_occupee = true;
        s.m_erreur.clear();
        if (s.Connectee())
            s.m_minuterie->arme(s.m_etat->fd, s.m_delaiMs);
    }
    ~RequeteSftp() {
        if (!m_libre)
            return;
        if (m_s.m_minuterie)
            m_s.m_minuterie->desarme();
        m_s.m_occupee = false;
        if (m_s.m_aFermer)
            m_s.Deconnecte();
    }
    RequeteSftp(const RequeteSftp &) = delete;
    RequeteSftp &operator=(const RequeteSftp &) = delete;
    // False (with the reason) when another operation runs or nothing is connected.
    bool possible() {
        if (!m_libre)
            return m_s.echec(QStringLiteral("une autre opération est en cours"));
        if (!m_s.Connectee())
            return m_s.echec(QStringLiteral("pas de connexion"));
        return true;
    }

private:
    SessionSftp &m_s;
    bool m_libre;
};

SessionSftp::SessionSftp() = default;

SessionSftp::~SessionSftp() {
    Deconnecte();
}

bool SessionSftp::Connectee() const {
    return m_etat && m_etat->sftp != nullptr && !m_aFermer;
}

void SessionSftp::Deconnecte() {
    if (m_minuterie)
        m_minuterie->desarme();
    m_aFermer = false;
    m_etat.reset();
    m_courant.clear();
}

bool SessionSftp::echec(const QString &raison) {
    m_erreur = raison;
    return false;
}

bool SessionSftp::perdue(const QString &raison) {
    const bool expire = m_minuterie && m_minuterie->expire();
    // Inside an operation, its open file or folder is closed first: the
    // session goes when the operation ends.
    if (m_occupee)
        m_aFermer = true;
    else
        Deconnecte();
    return echec(expire ? QStringLiteral("le serveur ne répond plus (délai dépassé)") : raison);
}

// After a failed SFTP call: the server's refusal, or a connection that can't be
// used any more.
bool SessionSftp::erreurSftp(const QString &chemin) {
    const int code = sftp_get_error(m_etat->sftp);
    if ((m_minuterie && m_minuterie->expire()) || !ssh_is_connected(m_etat->ssh) ||
        code == SSH_FX_CONNECTION_LOST || code == SSH_FX_NO_CONNECTION || code == SSH_FX_OK ||
        code == SSH_FX_BAD_MESSAGE)
        return perdue(QStringLiteral("connexion interrompue : %1").arg(texteSsh(m_etat->ssh)));
    return echec(QStringLiteral("%1 : %2").arg(chemin, texteSftp(code)));
}

QString SessionSftp::NormaliseEmpreinte(const QString &empreinte) {
    QString t = empreinte.trimmed();
    if (t.startsWith(QLatin1String("SHA256:"), Qt::CaseInsensitive))
        t = t.mid(7);
    while (t.endsWith(u'='))
        t.chop(1);
    return t.isEmpty() ? QString() : QStringLiteral("SHA256:") + t;
}

bool SessionSftp::AnalyseHote(const QString &texte, QString &hote, quint16 &port) {
    QString t = texte.trimmed();
    port = 22;
    if (t.startsWith(QLatin1String("sftp://"), Qt::CaseInsensitive)) {
        t = t.mid(7);
        const auto barre = t.indexOf(u'/');
        if (barre >= 0)
            t.truncate(barre);
    }
    return FtpSession::AnalyseHotePort(t, hote, port);
}

bool SessionSftp::Connecte(const QString &hoteTexte, const QString &utilisateur,
                           const QString &motDePasse) {
    if (m_occupee)
        return echec(QStringLiteral("une autre opération est en cours"));
    Deconnecte();
    m_erreur.clear();
    m_cle = CleHote();
    QString hote;
    quint16 port = 22;
    if (!AnalyseHote(hoteTexte, hote, port))
        return echec(QStringLiteral("nom de serveur vide ou invalide"));
    for (const QChar c : hote + utilisateur)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return echec(QStringLiteral("nom refusé : il contient un caractère de contrôle"));
    m_source = QStringLiteral("sftp://%1@%2:%3").arg(utilisateur, hote).arg(port);

    auto etat = std::make_unique<Etat>();
    etat->ssh = ssh_new();
    if (etat->ssh == nullptr)
        return echec(QStringLiteral("SSH indisponible"));
    ssh_session s = etat->ssh;
    const QByteArray hoteOctets = hote.toUtf8();
    const QByteArray utilisateurOctets = utilisateur.toUtf8();
    unsigned int portOption = port;
    long secondes = m_delaiMs / 1000;
    long microsecondes = long(m_delaiMs % 1000) * 1000;
    // The user's ~/.ssh/config is not read: the connection goes where the
    // dialog says, with what it says.
    bool sansConfig = false;
    ssh_options_set(s, SSH_OPTIONS_PROCESS_CONFIG, &sansConfig);
    ssh_options_set(s, SSH_OPTIONS_HOST, hoteOctets.constData());
    ssh_options_set(s, SSH_OPTIONS_PORT, &portOption);
    if (!utilisateur.isEmpty())
        ssh_options_set(s, SSH_OPTIONS_USER, utilisateurOctets.constData());
    // Each SFTP request waits for its reply: with Nagle's algorithm on, a
    // small request sits up to 40 ms behind the previous one's unacknowledged
    // bytes.
    int sansDelai = 1;
    ssh_options_set(s, SSH_OPTIONS_NODELAY, &sansDelai);
    ssh_options_set(s, SSH_OPTIONS_TIMEOUT, &secondes);
    ssh_options_set(s, SSH_OPTIONS_TIMEOUT_USEC, &microsecondes);
    if (!m_dossierSsh.isEmpty())
        ssh_options_set(s, SSH_OPTIONS_SSH_DIR, QFile::encodeName(m_dossierSsh).constData());
    if (!m_hotesConnus.isEmpty()) {
        const QByteArray fichier = QFile::encodeName(m_hotesConnus);
        ssh_options_set(s, SSH_OPTIONS_KNOWNHOSTS, fichier.constData());
        ssh_options_set(s, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, fichier.constData());
    }
    etat->proprietaire = this;
    ssh_callbacks_init(&etat->rappels);
    etat->rappels.userdata = etat.get();
    etat->rappels.auth_function = [](const char *, char *tampon, size_t longueur, int, int,
                                     void *donnees) -> int {
        auto *e = static_cast<Etat *>(donnees);
        SessionSftp *self = e->proprietaire;
        if (!self->m_demandePhrase || longueur == 0)
            return -1;
        char *identite = nullptr;
        ssh_userauth_publickey_auto_get_current_identity(e->ssh, &identite);
        const QString cle = identite != nullptr ? QFile::decodeName(identite) : QString();
        ssh_string_free_char(identite);
        // The answer stays on the user's thread: the judge may show a box.
        if (self->m_minuterie)
            self->m_minuterie->desarme();
        const std::optional<QString> phrase = self->m_demandePhrase(cle);
        if (self->m_minuterie)
            self->m_minuterie->arme(e->fd, self->m_delaiMs);
        if (!phrase)
            return -1;
        const QByteArray octets = phrase->toUtf8();
        if (size_t(octets.size()) >= longueur)
            return -1;
        memcpy(tampon, octets.constData(), size_t(octets.size()) + 1);
        return 0;
    };
    ssh_set_callbacks(s, &etat->rappels);

    const SansSigpipe sansSigpipe;
    if (ssh_connect(s) != SSH_OK)
        return echec(QStringLiteral("connexion à %1 impossible : %2").arg(hote, texteSsh(s)));
    etat->fd = ssh_get_fd(s);
    m_etat = std::move(etat);
    if (!m_minuterie)
        m_minuterie = std::make_unique<Minuterie>();
    m_occupee = true;
    m_minuterie->arme(m_etat->fd, m_delaiMs);
    const bool ok = verifieCle(hote, port) && authentifie(motDePasse);
    bool pret = false;
    if (ok) {
        m_etat->sftp = sftp_new(s);
        pret = m_etat->sftp != nullptr && sftp_init(m_etat->sftp) == SSH_OK;
        if (pret) {
            char *dossier = sftp_canonicalize_path(m_etat->sftp, ".");
            if (dossier != nullptr)
                m_courant = FtpSession::NomDepuisOctets(dossier);
            ssh_string_free_char(dossier);
            pret = !m_courant.isEmpty();
        }
    }
    m_minuterie->desarme();
    m_occupee = false;
    if (pret)
        return true;
    if (ok) {
        if (m_etat->sftp != nullptr) {
            sftp_free(m_etat->sftp);
            m_etat->sftp = nullptr;
        }
        const QString raison = texteSsh(s);
        return perdue(QStringLiteral("SFTP indisponible sur ce serveur : %1").arg(raison));
    }
    return perdue(m_erreur);
}

// A reply that matches no request, or a channel that fails under a request
// sent by hand: the stream can't be read any further. The connection goes,
// and closing the open file or folder fails at once.
bool SessionSftp::desaccordee() {
    const QString raison = QString::fromUtf8(ssh_get_error(m_etat->ssh));
    ::shutdown(m_etat->fd, SHUT_RDWR);
    return perdue(QStringLiteral("connexion interrompue : %1").arg(raison));
}

bool SessionSftp::verifieCle(const QString &hote, quint16 port) {
    ssh_session s = m_etat->ssh;
    ssh_key cle = nullptr;
    if (ssh_get_server_publickey(s, &cle) != SSH_OK)
        return echec(QStringLiteral("clé du serveur illisible : %1").arg(texteSsh(s)));
    m_cle.hote = hote;
    m_cle.port = port;
    m_cle.type = QString::fromLatin1(ssh_key_type_to_char(ssh_key_type(cle)));
    m_cle.empreinte = empreinte(cle);
    ssh_key_free(cle);
    if (m_cle.empreinte.isEmpty())
        return echec(QStringLiteral("clé du serveur illisible"));

    const enum ssh_known_hosts_e connu = ssh_session_is_known_server(s);
    if (connu == SSH_KNOWN_HOSTS_CHANGED || connu == SSH_KNOWN_HOSTS_OTHER) {
        m_cle.etat = EtatCle::Changee;
        m_cle.empreinteConnue = empreinteConnue(s, hote, port, m_cle.type);
    } else if (connu == SSH_KNOWN_HOSTS_OK) {
        m_cle.etat = EtatCle::Connue;
    } else if (connu == SSH_KNOWN_HOSTS_ERROR) {
        return echec(QStringLiteral("known_hosts illisible : %1").arg(texteSsh(s)));
    } else {
        m_cle.etat = EtatCle::Inconnue;
    }

    const QString nomHote = port == 22 ? hote : QStringLiteral("[%1]:%2").arg(hote).arg(port);
    if (!m_empreinteImposee.isEmpty()) {
        if (NormaliseEmpreinte(m_empreinteImposee) == m_cle.empreinte)
            return true;
        return echec(QStringLiteral("clé de %1 refusée : son empreinte %2 n'est pas %3")
                         .arg(nomHote, m_cle.empreinte, NormaliseEmpreinte(m_empreinteImposee)));
    }
    if (m_cle.etat == EtatCle::Connue)
        return true;
    if (m_cle.etat == EtatCle::Changee)
        return echec(
            QStringLiteral("clé de %1 refusée : elle a changé (connue : %2, reçue : %3)")
                .arg(nomHote,
                     m_cle.empreinteConnue.isEmpty() ? QStringLiteral("?") : m_cle.empreinteConnue,
                     m_cle.empreinte));
    const QString memo = QStringLiteral("%1:%2 %3").arg(hote).arg(port).arg(m_cle.empreinte);
    {
        QMutexLocker l(&verrouAcceptees);
        if (acceptees().contains(memo))
            return true;
    }
    Decision decision = Decision::Refuser;
    if (m_juge) {
        // The judge may take as long as the user needs.
        m_minuterie->desarme();
        decision = m_juge(m_cle);
        m_minuterie->arme(m_etat->fd, m_delaiMs);
    }
    switch (decision) {
    case Decision::Refuser:
        return echec(QStringLiteral("clé de %1 inconnue, refusée (%2 %3)")
                         .arg(nomHote, m_cle.type, m_cle.empreinte));
    case Decision::ToujoursAccepter:
        if (ssh_session_update_known_hosts(s) != SSH_OK)
            return echec(QStringLiteral("known_hosts : écriture impossible : %1").arg(texteSsh(s)));
        return true;
    case Decision::AccepterUneFois: {
        QMutexLocker l(&verrouAcceptees);
        acceptees().insert(memo);
        return true;
    }
    }
    return false;
}

int SessionSftp::clesSansPhrase(bool &resteAEssayer) const {
    resteAEssayer = true;
    QString dossier = m_dossierSsh;
    if (dossier.isEmpty()) {
        // The account's home, as libssh takes it (HOME may be another's).
        struct passwd compte {};
        struct passwd *trouve = nullptr;
        char tampon[4096];
        if (getpwuid_r(getuid(), &compte, tampon, sizeof tampon, &trouve) != 0 || !trouve)
            return SSH_AUTH_DENIED;
        dossier = QFile::decodeName(trouve->pw_dir) + QStringLiteral("/.ssh");
    }
    resteAEssayer = false;
    for (const char *nom : {"id_ed25519", "id_ecdsa", "id_rsa"}) {
        const QString fichier = dossier + QLatin1Char('/') + QLatin1String(nom);
        if (!QFileInfo::exists(fichier))
            continue;
        ssh_key cle = nullptr;
        // No passphrase and no callback: a key under a passphrase (or one
        // that can't be read here) does not load, and is left to the loop
        // that asks for it.
        if (ssh_pki_import_privkey_file(QFile::encodeName(fichier).constData(), nullptr, nullptr,
                                        nullptr, &cle) != SSH_OK) {
            resteAEssayer = true;
            continue;
        }
        const int r = ssh_userauth_publickey(m_etat->ssh, nullptr, cle);
        ssh_key_free(cle);
        if (r != SSH_AUTH_DENIED)
            return r;
    }
    return SSH_AUTH_DENIED;
}

bool SessionSftp::authentifie(const QString &motDePasse) {
    ssh_session s = m_etat->ssh;
    int r = ssh_userauth_none(s, nullptr);
    if (r == SSH_AUTH_SUCCESS)
        return true;
    if (r == SSH_AUTH_ERROR)
        return echec(QStringLiteral("identification impossible : %1").arg(texteSsh(s)));
    const int offertes = ssh_userauth_list(s, nullptr);
    // The agent first, then the keys in the SSH folder (the user is asked
    // for a passphrase through the callback; without an answer the key is
    // skipped).
    if (offertes & SSH_AUTH_METHOD_PUBLICKEY) {
        // Without an agent to ask first, the keys under no passphrase are
        // signed with at once (libssh's own loop first asks whether the
        // server would take each key: one more round trip per login).
        // A key tried twice would count twice against the server's limit
        // of attempts (6 for OpenSSH): the loop runs only when there is
        // something left to try.
        bool resteAEssayer = true;
        r = qEnvironmentVariableIsEmpty("SSH_AUTH_SOCK") ? clesSansPhrase(resteAEssayer)
                                                         : SSH_AUTH_DENIED;
        if (r != SSH_AUTH_SUCCESS && r != SSH_AUTH_ERROR && resteAEssayer)
            r = ssh_userauth_publickey_auto(s, nullptr, nullptr);
        if (r == SSH_AUTH_SUCCESS)
            return true;
        if (r == SSH_AUTH_ERROR && !ssh_is_connected(s))
            return echec(QStringLiteral("identification impossible : %1").arg(texteSsh(s)));
    }
    const QByteArray mot = motDePasse.toUtf8();
    if (!motDePasse.isEmpty() && (offertes & SSH_AUTH_METHOD_PASSWORD)) {
        r = ssh_userauth_password(s, nullptr, mot.constData());
        if (r == SSH_AUTH_SUCCESS)
            return true;
    }
    if (!motDePasse.isEmpty() && (offertes & SSH_AUTH_METHOD_INTERACTIVE) && ssh_is_connected(s)) {
        r = ssh_userauth_kbdint(s, nullptr, nullptr);
        for (int tour = 0; r == SSH_AUTH_INFO && tour < ToursClavierMax; ++tour) {
            const int questions = ssh_userauth_kbdint_getnprompts(s);
            for (int i = 0; i < questions; ++i) {
                char echo = 0;
                ssh_userauth_kbdint_getprompt(s, unsigned(i), &echo);
                // Only hidden prompts get the password; the others a blank.
                ssh_userauth_kbdint_setanswer(s, unsigned(i), echo ? "" : mot.constData());
            }
            r = ssh_userauth_kbdint(s, nullptr, nullptr);
        }
        if (r == SSH_AUTH_SUCCESS)
            return true;
    }
    return echec(
        QStringLiteral("identification refusée (méthodes offertes : %1)").arg(methodes(offertes)));
}

QByteArray SessionSftp::cheminDistant(const QString &chemin) const {
    QString complet = chemin;
    if (!chemin.startsWith(u'/'))
        complet = m_courant.endsWith(u'/') ? m_courant + chemin : m_courant + u'/' + chemin;
    return FtpSession::NomEnOctets(complet);
}

namespace {

// libssh takes C strings: a NUL would cut the path short, a line end has no
// business in a name.
bool cheminSur(const QString &chemin) {
    return !chemin.contains(QChar(0)) && !chemin.contains(u'\n') && !chemin.contains(u'\r');
}

} // namespace

#define QUILLON_REQUETE(valeur, chemin)                                                            \
    RequeteSftp requete(*this);                                                                    \
    if (!requete.possible())                                                                       \
        return valeur;                                                                             \
    if (!cheminSur(chemin)) {                                                                      \
        echec(QStringLiteral("nom refusé : il contient un caractère de contrôle"));                \
        return valeur;                                                                             \
    }

std::optional<QString> SessionSftp::DossierCourant() {
    if (!Connectee()) {
        echec(QStringLiteral("pas de connexion"));
        return std::nullopt;
    }
    return m_courant;
}

bool SessionSftp::ChangeDossier(const QString &chemin) {
    QUILLON_REQUETE(false, chemin)
    char *reel = sftp_canonicalize_path(m_etat->sftp, cheminDistant(chemin).constData());
    if (reel == nullptr)
        return erreurSftp(chemin);
    const QByteArray octets(reel);
    ssh_string_free_char(reel);
    sftp_attributes a = sftp_stat(m_etat->sftp, octets.constData());
    if (a == nullptr)
        return erreurSftp(chemin);
    const bool dossier = a->type == SSH_FILEXFER_TYPE_DIRECTORY;
    sftp_attributes_free(a);
    if (!dossier)
        return echec(QStringLiteral("%1 : ce n'est pas un dossier").arg(chemin));
    m_courant = FtpSession::NomDepuisOctets(octets);
    return true;
}

namespace {

// libssh 0.10 sends one request at a time and waits for its reply. Listings
// and uploads put many requests in flight on the session's channel instead,
// with ids from libssh's counter, and read every reply back themselves
// before libssh reads the channel again.

// Exactly n bytes from the channel, or false: an error, the channel's end, or
// the deadline (the watchdog shuts the socket down).
bool litCanal(ssh_channel canal, char *p, uint32_t n) {
    while (n > 0) {
        const int r = ssh_channel_read(canal, p, n, 0);
        if (r < 0)
            return false;
        if (r == 0 && (ssh_channel_is_eof(canal) || ssh_channel_is_closed(canal)))
            return false;
        p += r;
        n -= uint32_t(r);
    }
    return true;
}

// The fields of one reply, each checked against what is left of it.
class Champs {
public:
    explicit Champs(QByteArrayView octets) : m_octets(octets) {}
    bool u8(uint8_t &v) {
        if (reste() < 1)
            return false;
        v = uint8_t(m_octets[m_pos++]);
        return true;
    }
    bool u32(uint32_t &v) {
        if (reste() < 4)
            return false;
        v = qFromBigEndian<uint32_t>(m_octets.data() + m_pos);
        m_pos += 4;
        return true;
    }
    bool chaine(QByteArrayView &v) {
        uint32_t n = 0;
        if (!u32(n) || n > quint64(reste()))
            return false;
        v = m_octets.sliced(m_pos, n);
        m_pos += n;
        return true;
    }
    bool saute(qsizetype n) {
        if (reste() < n)
            return false;
        m_pos += n;
        return true;
    }

private:
    qsizetype reste() const { return m_octets.size() - m_pos; }
    QByteArrayView m_octets;
    qsizetype m_pos = 0;
};

// One reply, from its type on; false on a broken channel or a length out of
// bounds (type and id at least, at most max).
bool litReponse(ssh_channel canal, QByteArray &reponse, uint32_t max) {
    char l[4];
    if (!litCanal(canal, l, 4))
        return false;
    const uint32_t longueur = qFromBigEndian<uint32_t>(l);
    if (longueur < 5 || longueur > max)
        return false;
    reponse.resize(qsizetype(longueur));
    return litCanal(canal, reponse.data(), longueur);
}

// Where the reply's id is among those in flight; -1 when it is not one of them.
qsizetype rang(const std::vector<uint32_t> &enVol, uint32_t id) {
    const auto e = std::find(enVol.begin(), enVol.end(), id);
    return e == enVol.end() ? -1 : qsizetype(e - enVol.begin());
}

// The attributes of a version 3 name: false when they run past the reply.
bool litAttributs(Champs &c, bool &dossier) {
    uint32_t drapeaux = 0;
    if (!c.u32(drapeaux))
        return false;
    dossier = false;
    if ((drapeaux & SSH_FILEXFER_ATTR_SIZE) && !c.saute(8))
        return false;
    if ((drapeaux & SSH_FILEXFER_ATTR_UIDGID) && !c.saute(8))
        return false;
    if (drapeaux & SSH_FILEXFER_ATTR_PERMISSIONS) {
        uint32_t permissions = 0;
        if (!c.u32(permissions))
            return false;
        dossier = (permissions & 0170000) == 0040000;
    }
    if ((drapeaux & SSH_FILEXFER_ATTR_ACMODTIME) && !c.saute(8))
        return false;
    if (drapeaux & SSH_FILEXFER_ATTR_EXTENDED) {
        uint32_t n = 0;
        if (!c.u32(n))
            return false;
        // Each pair takes 8 bytes at least: the reply's length bounds the loop.
        QByteArrayView type, donnees;
        for (uint32_t i = 0; i < n; ++i)
            if (!c.chaine(type) || !c.chaine(donnees))
                return false;
    }
    return true;
}

} // namespace

bool SessionSftp::Liste(Dictionnaire &dic, const QString &dossier) {
    if (!ChangeDossier(dossier))
        return false;
    QUILLON_REQUETE(false, dossier)
    sftp_session sftp = m_etat->sftp;
    // Attributes are read in the layout of version 3, the one libssh asks for.
    if (sftp->version != 3)
        return echec(QStringLiteral("version SFTP %1 non prise en charge").arg(sftp->version));
    sftp_dir d = sftp_opendir(sftp, FtpSession::NomEnOctets(m_courant).constData());
    if (d == nullptr)
        return erreurSftp(dossier);
    std::unique_ptr<sftp_dir_struct, int (*)(sftp_dir)> ferme(d, sftp_closedir);
    ssh_channel canal = sftp->channel;
    const uint32_t longueurPoignee = ssh_string_len(d->handle);
    // READDIR: length, type, id, handle.
    QByteArray lecture(4 + 1 + 4 + 4 + qsizetype(longueurPoignee), Qt::Uninitialized);
    qToBigEndian(uint32_t(lecture.size() - 4), lecture.data());
    lecture[4] = char(SSH_FXP_READDIR);
    qToBigEndian(longueurPoignee, lecture.data() + 9);
    memcpy(lecture.data() + 13, ssh_string_data(d->handle), longueurPoignee);

    // Entries are gathered aside: a listing that fails half-way adds nothing.
    Dictionnaire lus;
    Remplisseur remplisseur(lus);
    const QString prefixeDossier = u'?' + dossier;
    qsizetype lues = 0;
    bool plein = false;
    bool fin = false;
    int vides = 0;
    uint32_t refus = SSH_FX_OK;
    std::vector<uint32_t> enVol;
    QByteArray reponse;
    const auto perdu = [this]() { return desaccordee(); };
    const SansSigpipe sansSigpipe;
    for (;;) {
        // The server reads the next names while these are sorted out.
        while (!fin && !plein && refus == SSH_FX_OK && int(enVol.size()) < LecturesDossierEnVol) {
            const uint32_t id = ++sftp->id_counter;
            qToBigEndian(id, lecture.data() + 5);
            if (ssh_channel_write(canal, lecture.constData(), uint32_t(lecture.size())) !=
                int(lecture.size()))
                return perdu();
            enVol.push_back(id);
        }
        if (enVol.empty())
            break;
        if (!litReponse(canal, reponse, NomsMax))
            return perdu();
        Champs c(reponse);
        uint8_t type = 0;
        uint32_t id = 0;
        c.u8(type);
        c.u32(id);
        const qsizetype r = rang(enVol, id);
        if (r < 0)
            return perdu();
        enVol.erase(enVol.begin() + r);
        m_minuterie->relance(m_delaiMs);
        if (type == SSH_FXP_STATUS) {
            uint32_t code = 0;
            if (!c.u32(code))
                return perdu();
            if (code == SSH_FX_EOF)
                fin = true;
            else if (refus == SSH_FX_OK)
                refus = code;
            continue;
        }
        uint32_t n = 0;
        if (type != SSH_FXP_NAME || !c.u32(n))
            return perdu();
        // Empty replies that never end would keep the loop going for ever.
        vides = n == 0 ? vides + 1 : 0;
        if (vides > VidesMax)
            plein = true;
        // Each name takes 12 bytes at least: the reply's length bounds the loop.
        for (uint32_t i = 0; i < n; ++i) {
            QByteArrayView octets, ligne;
            bool estDossier = false;
            if (!c.chaine(octets) || !c.chaine(ligne) || !litAttributs(c, estDossier))
                return perdu();
            if (plein || ++lues > LuesMax || remplisseur.EntreesDonnees() >= EntreesMax ||
                remplisseur.TexteDonne() >= TexteMax) {
                plein = true;
                continue;
            }
            // The attributes tell a folder; a link is listed as a file, as
            // in an FTP listing.
            const QString nom = FtpSession::NomDepuisOctets(octets);
            // A name that is not one plain path component never reaches
            // the caller, which builds local paths from it.
            if (ListingParser::NomAcceptable(nom) && !(estDossier && nom.startsWith(u'.'))) {
                if (estDossier)
                    remplisseur.Ajoute(prefixeDossier, nom, u"/");
                else
                    remplisseur.Ajoute(dossier, nom, {});
            }
        }
    }
    if (plein)
        return echec(QStringLiteral("liste du dossier démesurée"));
    if (refus != SSH_FX_OK)
        return echec(QStringLiteral("%1 : %2").arg(dossier, texteSftp(int(refus))));
    remplisseur.Termine();
    dic.Fusionne(std::move(lus));
    return true;
}

bool SessionSftp::CreeDossier(const QString &chemin) {
    QUILLON_REQUETE(false, chemin)
    if (sftp_mkdir(m_etat->sftp, cheminDistant(chemin).constData(), 0755) != 0)
        return erreurSftp(chemin);
    return true;
}

bool SessionSftp::SupprimeDossier(const QString &chemin) {
    QUILLON_REQUETE(false, chemin)
    if (sftp_rmdir(m_etat->sftp, cheminDistant(chemin).constData()) != 0)
        return erreurSftp(chemin);
    return true;
}

bool SessionSftp::Supprime(const QString &chemin) {
    QUILLON_REQUETE(false, chemin)
    if (sftp_unlink(m_etat->sftp, cheminDistant(chemin).constData()) != 0)
        return erreurSftp(chemin);
    return true;
}

bool SessionSftp::Renomme(const QString &ancien, const QString &nouveau) {
    QUILLON_REQUETE(false, ancien + nouveau)
    // libssh uses OpenSSH's posix-rename when offered: an existing target
    // is replaced, as an FTP server's RNTO does.
    if (sftp_rename(m_etat->sftp, cheminDistant(ancien).constData(),
                    cheminDistant(nouveau).constData()) != 0)
        return erreurSftp(ancien);
    return true;
}

qint64 SessionSftp::Taille(const QString &chemin) {
    QUILLON_REQUETE(-1, chemin)
    sftp_attributes a = sftp_stat(m_etat->sftp, cheminDistant(chemin).constData());
    if (a == nullptr) {
        erreurSftp(chemin);
        return -1;
    }
    qint64 taille = -1;
    if (a->type == SSH_FILEXFER_TYPE_REGULAR && (a->flags & SSH_FILEXFER_ATTR_SIZE) &&
        a->size <= quint64(std::numeric_limits<qint64>::max()))
        taille = qint64(a->size);
    sftp_attributes_free(a);
    if (taille < 0)
        echec(QStringLiteral("%1 : taille inconnue").arg(chemin));
    return taille;
}

void SessionSftp::signaleProgression(qint64 fait, qint64 total, bool forcer) {
    if (!m_progression)
        return;
    const qint64 maintenant = QDateTime::currentMSecsSinceEpoch();
    if (!forcer && maintenant - m_derniereProgression < IntervalleProgressionMs)
        return;
    m_derniereProgression = maintenant;
    m_progression(fait, total);
}

bool SessionSftp::Telecharge(const QString &distant, const QString &local,
                             FtpSession::Cible cible) {
    QUILLON_REQUETE(false, distant)
    Destination fichier(local, cible);
    QString erreur;
    if (!fichier.prepare(erreur))
        return echec(erreur);
    m_interrompre = false;
    sftp_file f = sftp_open(m_etat->sftp, cheminDistant(distant).constData(), O_RDONLY, 0);
    if (f == nullptr)
        return erreurSftp(distant);
    std::unique_ptr<sftp_file_struct, int (*)(sftp_file)> ferme(f, sftp_close);
    qint64 annoncee = -1;
    QString date;
    if (sftp_attributes a = sftp_fstat(f)) {
        if (a->type == SSH_FILEXFER_TYPE_DIRECTORY) {
            sftp_attributes_free(a);
            return echec(QStringLiteral("%1 : c'est un dossier").arg(distant));
        }
        if ((a->flags & SSH_FILEXFER_ATTR_SIZE) &&
            a->size <= quint64(std::numeric_limits<qint64>::max()))
            annoncee = qint64(a->size);
        if (a->flags & SSH_FILEXFER_ATTR_ACMODTIME)
            date = QString::number(a->mtime);
        sftp_attributes_free(a);
    }
    // A partial file is continued only from the same file with the same size
    // and modification time; nothing past that size is kept.
    Destination::Origine origine;
    if (annoncee >= 0 && !date.isEmpty())
        origine = {m_source + distant, annoncee, date};
    qint64 depuis = 0;
    bool change = false;
    if (!fichier.ouvrePartiel(origine, m_reprise, depuis, change, erreur))
        return echec(erreur);
    if (change && m_annonceReprise)
        m_annonceReprise(local, -1);
    if (depuis > 0) {
        if (sftp_seek64(f, quint64(depuis)) != 0)
            return erreurSftp(distant);
        if (m_annonceReprise)
            m_annonceReprise(local, depuis);
    }
    // Reads stay in flight, each for the next 64 KiB; a short reply (a
    // server may send less than asked) leaves a gap, so the requests still
    // out are drained and reading starts again after what arrived.
    struct Lecture {
        int id;
        qint64 debut;
    };
    std::deque<Lecture> enVol;
    QByteArray tampon(TailleLecture, Qt::Uninitialized);
    const int fd = fichier.fd();
    qint64 recu = depuis; // the offset reached in the file
    qint64 demande = depuis;
    bool fin = false;
    const auto lance = [&]() {
        // Past the announced size, one request is enough to see the end.
        while (!fin && int(enVol.size()) < LecturesEnVol && (annoncee < 0 || demande <= annoncee)) {
            const int id = sftp_async_read_begin(f, TailleLecture);
            if (id < 0)
                return false;
            enVol.push_back({id, demande});
            demande += TailleLecture;
        }
        return true;
    };
    const auto vide = [&]() {
        while (!enVol.empty()) {
            const int id = enVol.front().id;
            enVol.pop_front();
            // Once it has seen the end, libssh answers 0 without taking the
            // reply off its queue, where it would stay for the session's life.
            f->eof = 0;
            if (sftp_async_read(f, tampon.data(), TailleLecture, uint32_t(id)) < 0)
                return false;
        }
        return true;
    };
    const SansSigpipe sansSigpipe;
    signaleProgression(recu, annoncee, true);
    while (!(fin && enVol.empty())) {
        if (!lance())
            return erreurSftp(distant);
        const Lecture l = enVol.front();
        enVol.pop_front();
        const int n = sftp_async_read(f, tampon.data(), TailleLecture, uint32_t(l.id));
        if (n < 0)
            return erreurSftp(distant);
        m_minuterie->relance(m_delaiMs);
        if (n == 0) {
            // End of file: what is still out reads nothing.
            fin = true;
            if (!vide())
                return erreurSftp(distant);
            break;
        }
        for (qint64 ecrit = 0; ecrit < n;) {
            const ssize_t e = ::write(fd, tampon.constData() + ecrit, size_t(n - ecrit));
            if (e < 0 && errno == EINTR)
                continue;
            if (e <= 0) {
                const QString raison = QString::fromLocal8Bit(strerror(errno));
                if (!vide())
                    return erreurSftp(distant);
                return echec(QStringLiteral("écriture de %1 impossible : %2").arg(local, raison));
            }
            ecrit += e;
        }
        recu += n;
        if (origine.connue() && recu > annoncee)
            fichier.jettePartiel();
        signaleProgression(recu, annoncee);
        // Past the announced size nothing more is asked for, and the size
        // check below fails such a file anyway: stop here.
        if (annoncee >= 0 && recu > annoncee) {
            if (!vide())
                return erreurSftp(distant);
            break;
        }
        if (m_interrompre) {
            if (!vide())
                return erreurSftp(distant);
            return echec(QStringLiteral("téléchargement de %1 interrompu").arg(distant));
        }
        if (uint32_t(n) < TailleLecture) {
            if (!vide())
                return erreurSftp(distant);
            demande = recu;
            sftp_seek64(f, quint64(recu));
            f->eof = 0;
        }
    }
    signaleProgression(recu, annoncee, true);
    if (annoncee >= 0 && recu != annoncee)
        return echec(QStringLiteral("transfert incomplet : %1 octets reçus sur %2 annoncés")
                         .arg(recu)
                         .arg(annoncee));
    if (!fichier.termine(erreur))
        return echec(erreur);
    return true;
}

bool SessionSftp::Envoie(const QString &local, const QString &distant) {
    QUILLON_REQUETE(false, distant)
    QFile fichier(local);
    if (QFileInfo(local).isDir() || !fichier.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return echec(QStringLiteral("%1 : %2").arg(local, fichier.errorString()));
    const qint64 taille = fichier.isSequential() ? -1 : fichier.size();
    sftp_file f = sftp_open(m_etat->sftp, cheminDistant(distant).constData(),
                            O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (f == nullptr)
        return erreurSftp(distant);
    std::unique_ptr<sftp_file_struct, int (*)(sftp_file)> ferme(f, sftp_close);

    // libssh 0.10 waits for each write's status before sending the next one.
    // The writes go out from here instead, many in flight on the session's
    // channel with ids from its counter, and every status is read back here:
    // when the loop ends the channel holds nothing libssh would not expect.
    ssh_channel canal = m_etat->sftp->channel;
    const uint32_t longueurPoignee = ssh_string_len(f->handle);
    // WRITE: length, type, id, handle, offset, data length, data.
    const qsizetype entete = 4 + 1 + 4 + 4 + qsizetype(longueurPoignee) + 8 + 4;
    QByteArray paquet(entete + TailleEcriture, Qt::Uninitialized);
    char *const p = paquet.data();
    p[4] = char(SSH_FXP_WRITE);
    qToBigEndian(longueurPoignee, p + 9);
    memcpy(p + 13, ssh_string_data(f->handle), longueurPoignee);
    char *const position = p + 13 + longueurPoignee;
    std::vector<uint32_t> enVol; // ids
    std::vector<qint64> tailles; // and the size each one writes
    enVol.reserve(EcrituresEnVol);
    tailles.reserve(EcrituresEnVol);
    QByteArray reponse;
    uint32_t refus = SSH_FX_OK; // the first status that was not OK
    qint64 confirme = 0;
    // One status off the channel; false when the stream can't be trusted.
    const auto litStatut = [&]() {
        if (!litReponse(canal, reponse, StatutMax))
            return false;
        Champs c(reponse);
        uint8_t type = 0;
        uint32_t id = 0;
        uint32_t code = 0;
        c.u8(type);
        c.u32(id);
        const qsizetype r = rang(enVol, id);
        if (type != SSH_FXP_STATUS || r < 0 || !c.u32(code))
            return false;
        confirme += tailles[size_t(r)];
        enVol.erase(enVol.begin() + r);
        tailles.erase(tailles.begin() + r);
        if (code != SSH_FX_OK && refus == SSH_FX_OK)
            refus = code;
        m_minuterie->relance(m_delaiMs);
        return true;
    };
    const auto perdu = [this]() { return desaccordee(); };

    const SansSigpipe sansSigpipe;
    qint64 envoye = 0;
    bool finLocale = false;
    QString erreurLocale;
    signaleProgression(0, taille, true);
    for (;;) {
        // After a refusal or a local error nothing more is sent; what is out
        // is still read back.
        while (!finLocale && refus == SSH_FX_OK && int(enVol.size()) < EcrituresEnVol) {
            const qint64 n = fichier.read(p + entete, TailleEcriture);
            if (n <= 0) {
                if (n < 0)
                    erreurLocale =
                        QStringLiteral("lecture du fichier local : %1").arg(fichier.errorString());
                finLocale = true;
                break;
            }
            const uint32_t id = ++m_etat->sftp->id_counter;
            qToBigEndian(uint32_t(entete - 4 + n), p);
            qToBigEndian(id, p + 5);
            qToBigEndian(quint64(envoye), position);
            qToBigEndian(uint32_t(n), position + 8);
            if (ssh_channel_write(canal, p, uint32_t(entete + n)) != int(entete + n))
                return perdu();
            enVol.push_back(id);
            tailles.push_back(n);
            envoye += n;
        }
        if (enVol.empty())
            break;
        if (!litStatut())
            return perdu();
        signaleProgression(confirme, taille);
    }
    if (!erreurLocale.isEmpty())
        return echec(erreurLocale);
    if (refus != SSH_FX_OK)
        return echec(QStringLiteral("%1 : %2").arg(distant, texteSftp(int(refus))));
    signaleProgression(confirme, taille < 0 ? confirme : taille, true);
    // The server's status of the close says whether the file was stored.
    if (sftp_close(ferme.release()) != SSH_OK)
        return erreurSftp(distant);
    if (taille >= 0 && envoye != taille)
        return echec(QStringLiteral("le fichier local a changé pendant l'envoi"));
    return true;
}

#undef QUILLON_REQUETE
