// Command-line access to the FTP layer, for scripts, benchmarks and debugging.

#include "ftp/ArbreTransfert.h"
#include "ftp/clsFTP.h"
#include "session/CopieParallele.h"
#include "session/FabriqueSession.h"
#include "sftp/clsSFTP.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QUrl>

#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr int Reussite = 0;
constexpr int Echec = 1;
constexpr int ErreurUsage = 2;

const char Usage[] =
    "usage: quillon-ftp [--tls=auto|required|off] [--pin FINGERPRINT] COMMAND URL [ARG]\n"
    "  URL = ftp[s]://[user[:password]@]host[:port]/path (percent-decoded; no user = anonymous)\n"
    "     or sftp://[user[:password]@]host[:port]/path (port 22; no user = the local user)\n"
    "  path is absolute from the server's root\n"
    "  ls URL            list folder `path`: one line per entry, key TAB item\n"
    "  get URL FILE      download            put FILE URL    upload\n"
    "  get --continue URL FILE   resume the download an earlier get left unfinished (in\n"
    "                    a hidden partial file beside FILE) if the server shows the file\n"
    "                    with the same size and date (SIZE, MDTM); else start over\n"
    "  put --continue FILE URL   send only what the remote file lacks, its bytes taken as\n"
    "                    FILE's start (SIZE, then REST+STOR or APPE)\n"
    "  get -r URL DIR    download folder `path` with all its sub-folders into DIR (made if\n"
    "                    missing)            put -r DIR URL  the same upwards\n"
    "  get -r -P N ...   the same over N connections at once (1 to 10, default 1), each\n"
    "  put -r -P N ...   logged in alike and accepting only the first one's certificate\n"
    "  mkdir URL  rmdir URL  rm URL          mv URL NEWPATH  rename\n"
    "  pwd URL           current folder after login, then after changing to path\n"
    "  size URL          size in bytes\n"
    "encryption: ftps:// is implicit TLS (port 990 by default); for ftp://, --tls=auto\n"
    "  (default) uses TLS when the server offers it (AUTH TLS), required fails without it,\n"
    "  off never asks. The server's certificate must be trusted by the system for its\n"
    "  host name, unless --pin gives its SHA-256 fingerprint (hex, colons optional): then\n"
    "  that one certificate, and no other, is accepted, and TLS is required (a server\n"
    "  refusing AUTH TLS is left before the password is sent; --pin with --tls=off is an\n"
    "  error). Falling back to clear text under --tls=auto prints a warning on stderr\n"
    "sftp://: the server's host key must be in ~/.ssh/known_hosts (or the file\n"
    "  QUILLON_KNOWN_HOSTS names), unless --pin gives its fingerprint as ssh shows it\n"
    "  (SHA256:base64): then that one key, and no other, is accepted. Nothing is ever\n"
    "  asked: an unknown key fails, with its type and fingerprint on stderr. Keys from the\n"
    "  SSH agent and ~/.ssh are tried before the password; --tls does not apply\n"
    "output: UTF-8; in names and paths a control character prints as \\xNN (U+0000-U+001F\n"
    "  and U+007F, TAB included) or \\u{NN} (U+0080-U+009F), a backslash as \\\\\n"
    "password: from the URL, else QUILLON_FTP_PASSWORD (when the URL names a user), else\n"
    "  the netrc file ($NETRC or ~/.netrc, used only when no one else may read it), whose\n"
    "  entry for the host may also give the user; prefer these two to a URL that ps shows\n"
    "environment: QUILLON_FTP_TIMEOUT (seconds, default 30), QUILLON_FTP_PASSWORD, NETRC,\n"
    "  QUILLON_KNOWN_HOSTS\n";

int usage() {
    std::fputs(Usage, stderr);
    return ErreurUsage;
}

// Names and paths come from the server and may hold terminal escape
// sequences: they print with every control character escaped, and a
// backslash doubled so that the escapes stay unambiguous.
bool aEchapper(char16_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == u'\\';
}

// Where the first character to escape is, or texte.size(). Names almost never
// hold one, so the scan looks at eight characters at a time.
qsizetype premierAEchapper(QStringView texte) {
    const char16_t *const debut = texte.utf16();
    const char16_t *const fin = debut + texte.size();
    const char16_t *p = debut;
#ifdef __SSE2__
    const __m128i bas = _mm_set1_epi16(0x1f);
    const __m128i del = _mm_set1_epi16(0x7f);
    const __m128i largeurC1 = _mm_set1_epi16(0x9f - 0x7f);
    const __m128i barre = _mm_set1_epi16(u'\\');
    const __m128i zero = _mm_setzero_si128();
    auto propres = [&](const char16_t *q) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(q));
        // Unsigned "c <= max" is a saturated c - max equal to zero.
        const __m128i controle = _mm_cmpeq_epi16(_mm_subs_epu16(c, bas), zero);
        const __m128i c1 = _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(c, del), largeurC1), zero);
        const __m128i b = _mm_cmpeq_epi16(c, barre);
        return _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(controle, c1), b)) == 0;
    };
    for (; fin - p >= 8; p += 8)
        if (!propres(p))
            break;
    // Fewer than eight left: they are the end of the last eight.
    if (fin - p < 8 && fin - debut >= 8 && propres(fin - 8))
        return texte.size();
#endif
    for (; p < fin; ++p)
        if (aEchapper(*p))
            break;
    return p - debut;
}

// Output through one large buffer, in UTF-8, with escapes: no allocation and
// no system call per entry.
class Sortie {
public:
    explicit Sortie(FILE *flux = stdout)
        : m_flux(flux), m_tampon(64 * 1024, Qt::Uninitialized), m_fin(m_tampon.data()) {}

    // True when nothing needed escaping.
    bool ajoute(QStringView texte) {
        qsizetype i = premierAEchapper(texte);
        if (i == texte.size()) {
            ajouteTel(texte);
            return true;
        }
        for (qsizetype debut = 0;;) {
            place(m_utf8.requiredSpace(i - debut) + 8);
            m_fin = m_utf8.appendToBuffer(m_fin, texte.sliced(debut, i - debut));
            if (i == texte.size())
                return false;
            const char16_t c = texte[i].unicode();
            if (c == u'\\')
                m_fin += std::snprintf(m_fin, 8, "\\\\");
            else if (c < 0x80)
                m_fin += std::snprintf(m_fin, 8, "\\x%02x", unsigned(c));
            else
                m_fin += std::snprintf(m_fin, 8, "\\u{%02x}", unsigned(c));
            debut = i + 1;
            i = debut + premierAEchapper(texte.sliced(debut));
        }
    }
    // Text known to need no escape. Names are mostly ASCII: those characters
    // are narrowed eight at a time, the rest goes through the encoder.
    void ajouteTel(QStringView texte) {
        place(m_utf8.requiredSpace(texte.size()));
        const char16_t *p = texte.utf16();
        const char16_t *const fin = p + texte.size();
#ifdef __SSE2__
        const __m128i ascii = _mm_set1_epi16(0x7f);
        const __m128i zero = _mm_setzero_si128();
        for (; fin - p >= 8; p += 8, m_fin += 8) {
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_subs_epu16(c, ascii), zero)) != 0xffff)
                break;
            _mm_storel_epi64(reinterpret_cast<__m128i *>(m_fin), _mm_packus_epi16(c, c));
        }
#endif
        for (; p < fin && *p < 0x80; ++p)
            *m_fin++ = char(*p);
        if (p < fin)
            m_fin = m_utf8.appendToBuffer(m_fin, QStringView(p, fin));
    }
    void ajoute(char c) {
        place(1);
        *m_fin++ = c;
    }
    void ajoute(const char *texte) {
        ajoute(QString::fromUtf8(texte));
    }
    bool termine() {
        vide();
        return std::fflush(m_flux) == 0 && !std::ferror(m_flux);
    }

private:
    void place(qsizetype octets) {
        if (m_tampon.constData() + m_tampon.size() - m_fin >= octets)
            return;
        vide();
        if (m_tampon.size() < octets)
            m_tampon.resize(octets);
        m_fin = m_tampon.data();
    }
    void vide() {
        std::fwrite(m_tampon.constData(), 1, size_t(m_fin - m_tampon.constData()), m_flux);
        m_fin = m_tampon.data();
    }

    FILE *m_flux;
    QStringEncoder m_utf8{QStringEncoder::Utf8};
    QByteArray m_tampon;
    char *m_fin;
};

struct Cible {
    Protocole protocole = Protocole::FTP;
    QString chemin;
    QString hote; // as the URL names it, for the netrc lookup
    bool utilisateurDonne = false;
    bool motDePasseDonne = false;
};

// ------------------------------------------------------------ netrc

constexpr qint64 NetrcMax = 1 << 20; // a netrc is a few lines; a larger file is not one

struct EntreeNetrc {
    QString machine; // empty for "default"
    QString login;
    std::optional<QString> motDePasse;
};

// Tokens of a netrc file as curl and lftp read them: separated by blanks,
// "quoted" with \-escapes, "#" starting a comment to the end of its line,
// and the body of a "macdef" (up to the next empty line) skipped.
class LecteurNetrc {
public:
    explicit LecteurNetrc(const QByteArray &texte) : m_t(texte) {}

    bool jeton(QByteArray &jeton) {
        jeton.clear();
        for (;;) {
            while (m_i < m_t.size() && estBlanc(m_t[m_i]))
                ++m_i;
            if (m_i >= m_t.size())
                return false;
            if (m_t[m_i] != '#')
                break;
            while (m_i < m_t.size() && m_t[m_i] != '\n')
                ++m_i;
        }
        if (m_t[m_i] == '"') {
            for (++m_i; m_i < m_t.size() && m_t[m_i] != '"'; ++m_i) {
                if (m_t[m_i] == '\\' && m_i + 1 < m_t.size())
                    ++m_i;
                jeton += m_t[m_i];
            }
            ++m_i; // the closing quote
            return true;
        }
        while (m_i < m_t.size() && !estBlanc(m_t[m_i]))
            jeton += m_t[m_i++];
        return true;
    }

    // After "macdef NAME": the rest of its line and every line up to an empty one.
    void sauteMacro() {
        while (m_i < m_t.size() && m_t[m_i] != '\n')
            ++m_i;
        while (m_i < m_t.size()) {
            const qsizetype fin = m_t.indexOf('\n', m_i + 1);
            const QByteArray ligne = m_t.mid(m_i + 1, fin < 0 ? -1 : fin - m_i - 1).trimmed();
            m_i = fin < 0 ? m_t.size() : fin;
            if (ligne.isEmpty())
                return;
        }
    }

private:
    static bool estBlanc(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    const QByteArray &m_t;
    qsizetype m_i = 0;
};

QList<EntreeNetrc> analyseNetrc(const QByteArray &texte) {
    QList<EntreeNetrc> entrees;
    LecteurNetrc lecteur(texte);
    QByteArray mot, valeur;
    while (lecteur.jeton(mot)) {
        if (mot == "default") {
            entrees.append(EntreeNetrc{});
        } else if (mot == "macdef") {
            lecteur.jeton(valeur);
            lecteur.sauteMacro();
        } else if (mot == "machine" || mot == "login" || mot == "password" || mot == "account") {
            if (!lecteur.jeton(valeur))
                break;
            const QString v = QString::fromUtf8(valeur);
            if (mot == "machine")
                entrees.append(EntreeNetrc{v.isEmpty() ? QStringLiteral(" ") : v, {}, {}});
            else if (entrees.isEmpty())
                continue; // before any machine: belongs to nothing
            else if (mot == "login")
                entrees.last().login = v;
            else if (mot == "password")
                entrees.last().motDePasse = v;
        }
    }
    return entrees;
}

void avertit(const QString &texte) {
    Sortie erreur(stderr);
    erreur.ajoute("quillon-ftp: ");
    erreur.ajoute(texte);
    erreur.ajoute('\n');
    erreur.termine();
}

// $NETRC, or ~/.netrc. A file that others may read or write is not used: a
// password there is not the user's secret any more (as inetutils' ftp does).
QByteArray litNetrc() {
    QString chemin = qEnvironmentVariable("NETRC");
    if (chemin.isEmpty()) {
        const QString maison = qEnvironmentVariable("HOME");
        if (maison.isEmpty())
            return {};
        chemin = maison + QStringLiteral("/.netrc");
    }
    const QByteArray natif = QFile::encodeName(chemin);
    // Non-blocking: a FIFO put there must not hang the program.
    const int fd = ::open(natif.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return {};
    QByteArray texte;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        avertit(QStringLiteral("%1 n'est pas un fichier ordinaire : ignoré").arg(chemin));
    } else if (st.st_uid != ::getuid()) {
        avertit(QStringLiteral("%1 appartient à un autre utilisateur : ignoré").arg(chemin));
    } else if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        avertit(QStringLiteral("%1 est accessible à d'autres utilisateurs : ignoré (chmod 600)")
                    .arg(chemin));
    } else if (st.st_size > NetrcMax) {
        avertit(QStringLiteral("%1 est trop grand : ignoré").arg(chemin));
    } else {
        texte.resize(qsizetype(st.st_size));
        qsizetype lus = 0;
        while (lus < texte.size()) {
            const ssize_t n = ::read(fd, texte.data() + lus, size_t(texte.size() - lus));
            if (n <= 0)
                break;
            lus += n;
        }
        texte.truncate(lus);
    }
    ::close(fd);
    return texte;
}

// The entry for this host (the first "machine" of that name, else
// "default") whose login is `utilisateur`, or any login when none is given.
std::optional<EntreeNetrc> chercheNetrc(const QList<EntreeNetrc> &entrees, const QString &hote,
                                        const QString &utilisateur) {
    for (const bool parDefaut : {false, true}) {
        for (const EntreeNetrc &e : entrees) {
            const bool machine =
                parDefaut ? e.machine.isEmpty() : e.machine.compare(hote, Qt::CaseInsensitive) == 0;
            if (machine && (utilisateur.isEmpty() || e.login == utilisateur))
                return e;
        }
    }
    return std::nullopt;
}

// The password not given in the URL: QUILLON_FTP_PASSWORD, then the netrc
// (which may also give the login when the URL names none). The variable is
// never sent for an anonymous login.
void completeIdentite(const Cible &cible) {
    if (cible.motDePasseDonne)
        return;
    const QString variable = qEnvironmentVariable("QUILLON_FTP_PASSWORD");
    if (cible.utilisateurDonne && !variable.isEmpty()) {
        sMotDePasse = variable;
        return;
    }
    const QByteArray texte = litNetrc();
    if (texte.isEmpty())
        return;
    const auto entree = chercheNetrc(analyseNetrc(texte), cible.hote, sUtilisateur);
    if (!entree)
        return;
    if (!cible.utilisateurDonne) {
        if (entree->login.isEmpty())
            return; // a machine without a login leaves the anonymous login as it is
        sUtilisateur = entree->login;
        if (!variable.isEmpty()) {
            sMotDePasse = variable;
            return;
        }
    }
    if (entree->motDePasse)
        sMotDePasse = *entree->motDePasse;
}

// Fills the session parameters from the URL; false when it is not an ftp,
// ftps or sftp URL.
bool analyseUrl(const QString &texte, Cible &cible) {
    const QUrl url(texte, QUrl::StrictMode);
    const bool ftps = url.scheme() == QLatin1String("ftps");
    const bool sftp = url.scheme() == QLatin1String("sftp");
    if (!url.isValid() || (url.scheme() != QLatin1String("ftp") && !ftps && !sftp) ||
        url.host().isEmpty())
        return false;
    cible.protocole = sftp ? Protocole::SFTP : Protocole::FTP;
    // QUrl takes ":0" for a port; no server listens there, so it is a usage error.
    const int port = url.port(ftps ? 990 : sftp ? 22 : 21);
    if (port < 1)
        return false;
    QString hote = url.host(QUrl::FullyDecoded);
    if (hote.contains(u':'))
        hote = QLatin1Char('[') + hote + QLatin1Char(']');
    sSite = (ftps ? QStringLiteral("ftps://") : QString()) + hote + QLatin1Char(':') +
            QString::number(port);
    sUtilisateur = url.userName(QUrl::FullyDecoded);
    sMotDePasse = url.password(QUrl::FullyDecoded);
    cible.hote = url.host(QUrl::FullyDecoded);
    cible.utilisateurDonne = !sUtilisateur.isEmpty();
    cible.motDePasseDonne = !url.password(QUrl::FullyEncoded).isNull();
    cible.chemin = url.path(QUrl::FullyDecoded);
    if (cible.chemin.isEmpty())
        cible.chemin = QStringLiteral("/");
    return true;
}

struct Options {
    Chiffrement chiffrement = Chiffrement::SiDisponible;
    bool tlsDonne = false;
    QString epingle;   // --pin as given: its form depends on the protocol
    QString empreinte; // the pin in the session's own form
};

// An SSH host key's fingerprint as ssh prints it: "SHA256:" and the hash in
// base64 (padding optional); empty when it is not one.
QString EmpreinteSsh(const QString &texte) {
    const QString t = SessionSftp::NormaliseEmpreinte(texte);
    if (t.isEmpty())
        return {};
    const QString corps = t.mid(7);
    for (const QChar c : corps)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'+' && c != u'/')
            return {};
    const auto decode = QByteArray::fromBase64Encoding(corps.toLatin1());
    return decode && decode.decoded.size() == 32 ? t : QString();
}

// Takes the leading options off `args`; false on a malformed one.
bool analyseOptions(QStringList &args, Options &options) {
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option.startsWith(QLatin1String("--tls=")))
            options.tlsDonne = true;
        if (option == QLatin1String("--tls=auto")) {
            options.chiffrement = Chiffrement::SiDisponible;
        } else if (option == QLatin1String("--tls=required")) {
            options.chiffrement = Chiffrement::Obligatoire;
        } else if (option == QLatin1String("--tls=off")) {
            options.chiffrement = Chiffrement::Aucun;
        } else if (option == QLatin1String("--pin") || option.startsWith(QLatin1String("--pin="))) {
            QString valeur;
            if (option == QLatin1String("--pin")) {
                if (args.isEmpty())
                    return false;
                valeur = args.takeFirst();
            } else {
                valeur = option.mid(6);
            }
            options.epingle = valeur;
            if (valeur.trimmed().isEmpty())
                return false;
        } else {
            return false;
        }
    }
    return true;
}

int echoue(const SessionDistante &ftp, const char *quoi) {
    QString raison = ftp.DerniereErreur().simplified();
    if (raison.isEmpty())
        raison = QStringLiteral("échec");
    // The reason may quote the server's reply.
    Sortie erreur(stderr);
    erreur.ajoute("quillon-ftp: ");
    erreur.ajoute(quoi);
    erreur.ajoute(": ");
    erreur.ajoute(raison);
    erreur.ajoute('\n');
    erreur.termine();
    return Echec;
}

int resultat(const SessionDistante &ftp, short drapeau, const char *quoi) {
    return drapeau != 0 ? Reussite : echoue(ftp, quoi);
}

// The pin in the form of the URL's protocol; false when it is not one, or
// when an option does not apply to that protocol.
bool accordeOptions(Options &options, const Cible &cible) {
    if (cible.protocole == Protocole::SFTP) {
        // SSH has no TLS to choose.
        if (options.tlsDonne)
            return false;
        options.empreinte = EmpreinteSsh(options.epingle);
    } else {
        // A pin is a demand for TLS: it can't go with clear text.
        if (!options.epingle.isEmpty() && options.chiffrement == Chiffrement::Aucun)
            return false;
        options.empreinte = NormaliseEmpreinte(options.epingle);
    }
    return options.epingle.isEmpty() || !options.empreinte.isEmpty();
}

// The command and its URL, after the options; false on a usage error.
bool analyseLigne(const QStringList &args, Options &options, Cible &cible) {
    if (args.size() < 2)
        return false;
    const QString &commande = args[0];
    const bool fichierAvant = commande == QLatin1String("put");
    const int attendus = (commande == QLatin1String("get") || commande == QLatin1String("put") ||
                          commande == QLatin1String("mv"))
                             ? 3
                             : 2;
    static const QStringList connues = {
        QStringLiteral("ls"),    QStringLiteral("get"),   QStringLiteral("put"),
        QStringLiteral("mkdir"), QStringLiteral("rmdir"), QStringLiteral("rm"),
        QStringLiteral("mv"),    QStringLiteral("pwd"),   QStringLiteral("size")};
    if (!connues.contains(commande) || args.size() != attendus)
        return false;
    return analyseUrl(fichierAvant ? args[2] : args[1], cible) && accordeOptions(options, cible);
}

// "-r", "-P N" and "--continue" (any order) after get or put, taken off
// `args`: `connexions` is then the number of connections (1 without -P), 0
// without -r. False on a usage error: -P without -r, N not in 1..10,
// --continue with -r.
bool analyseTransfert(QStringList &args, int &connexions, bool &suite) {
    connexions = 0;
    suite = false;
    if (args.isEmpty() || (args[0] != QLatin1String("get") && args[0] != QLatin1String("put")))
        return true;
    bool recursif = false;
    int parallele = 0;
    while (args.size() > 1) {
        if (args[1] == QLatin1String("--continue") && !suite) {
            suite = true;
            args.removeAt(1);
        } else if (args[1] == QLatin1String("-r") && !recursif) {
            recursif = true;
            args.removeAt(1);
        } else if (args[1] == QLatin1String("-P") && parallele == 0 && args.size() > 2) {
            bool ok = false;
            parallele = args[2].toInt(&ok);
            if (!ok || parallele < 1 || parallele > CopieParallele::ConnexionsMax)
                return false;
            args.remove(1, 2);
        } else {
            break;
        }
    }
    // A tree is not resumed: each of its files starts over.
    if ((parallele > 0 && !recursif) || (suite && recursif))
        return false;
    if (recursif)
        connexions = parallele > 0 ? parallele : 1;
    return true;
}

// Connects and logs in with the session parameters; false when it failed.
bool connecte(SessionDistante &ftp, const Options &options) {
    sChiffrement = options.chiffrement;
    // No judge: an untrusted certificate ends the connection.
    clsFTP *const ftps = dynamic_cast<clsFTP *>(&ftp);
    if (ftps)
        ftps->setEmpreinteImposee(options.empreinte);
    // No judge either: a host key neither known nor pinned ends the connection.
    if (auto *const ssh = dynamic_cast<clsSFTP *>(&ftp)) {
        ssh->Sftp().setJugeCle(nullptr);
        ssh->Sftp().setEmpreinteImposee(options.empreinte);
    }
    bool ok = false;
    const int delai = qEnvironmentVariableIntValue("QUILLON_FTP_TIMEOUT", &ok);
    if (ok && delai > 0)
        ftp.setDelaiMs(delai * 1000);
    if (ftp.Connexion() == 0)
        return false;
    if (ftps && ftps->VersionTls().isEmpty() && options.chiffrement != Chiffrement::Aucun) {
        // The window says it in orange; a script's log is stderr.
        Sortie avertissement(stderr);
        avertissement.ajoute("quillon-ftp: Connexion non chiffrée à ");
        avertissement.ajoute(sSite);
        avertissement.ajoute('\n');
        avertissement.termine();
    }
    return true;
}

int liste(SessionDistante &ftp, const Cible &cible) {
    QString dossier = cible.chemin;
    if (!dossier.endsWith(u'/'))
        dossier += u'/';
    Dictionnaire dic;
    ftp.EnumereFichier(dic, dossier);
    // A folder that can't be entered or listed lists as empty: say why.
    if (dic.Count() == 0 && !ftp.DerniereErreur().isEmpty())
        return echoue(ftp, "ls");
    if (const int n = ftp.LignesIncomprises(); n > 0)
        std::fprintf(stderr, "quillon-ftp: ls: %d lignes de la liste n'ont pas été comprises\n", n);
    Sortie sortie;
    for (const auto &e : dic.Entrees()) {
        const bool cleSure = sortie.ajoute(e.cle());
        sortie.ajoute('\t');
        // The item is mostly a part of its key, already looked at.
        if (cleSure && e.elementDansCle())
            sortie.ajouteTel(e.element());
        else
            sortie.ajoute(e.element());
        sortie.ajoute('\n');
    }
    return sortie.termine() ? Reussite : Echec;
}

// The folder after login, then the one after changing to the URL's path.
int repertoireCourant(SessionDistante &ftp, const Cible &cible) {
    const QString depart = ftp.DonneRepertoireCourant();
    if (depart.isEmpty())
        return echoue(ftp, "pwd");
    if (ftp.AttribueRepertoireCourant(cible.chemin) == 0)
        return echoue(ftp, "pwd");
    const QString apres = ftp.DonneRepertoireCourant();
    if (apres.isEmpty())
        return echoue(ftp, "pwd");
    Sortie sortie;
    sortie.ajoute(depart);
    sortie.ajoute('\n');
    sortie.ajoute(apres);
    sortie.ajoute('\n');
    return sortie.termine() ? Reussite : Echec;
}

int taille(SessionDistante &ftp, const Cible &cible) {
    const qint64 octets = ftp.TailleOctets(cible.chemin);
    if (octets < 0)
        return echoue(ftp, "size");
    std::printf("%lld\n", static_cast<long long>(octets));
    return Reussite;
}

// ------------------------------------------------------------ folder trees

// The lines of a tree copy, on stderr: what was not copied, and links left
// alone.
ArbreTransfert::Journal journalArbre(const char *quoi) {
    return [quoi](const QString &ligne, bool) {
        Sortie erreur(stderr);
        erreur.ajoute("quillon-ftp: ");
        erreur.ajoute(quoi);
        erreur.ajoute(": ");
        erreur.ajoute(ligne.startsWith(QLatin1String(" > ")) ? ligne.mid(3) : ligne);
        erreur.ajoute('\n');
        erreur.termine();
    };
}

int finArbre(const ArbreTransfert &arbre, const ArbreTransfert::Bilan &bilan, const char *quoi) {
    if (!bilan.erreur && !bilan.annule)
        return Reussite;
    std::fprintf(stderr, "quillon-ftp: %s: %d fichiers copiés sur %d, il y a eu des erreurs\n",
                 quoi, bilan.copies, arbre.NombreFichiers());
    return Echec;
}

QString dossierSite(const Cible &cible) {
    return cible.chemin.endsWith(u'/') ? cible.chemin : cible.chemin + QLatin1Char('/');
}

// The files of a tree over `connexions` connections like `ftp`'s; false
// never (nothing cancels a command-line copy).
bool copieParallele(SessionDistante &ftp, int connexions, CopieParallele::Sens sens,
                    const QStringList &fichiers, const QString &racine, const QString &base,
                    const ArbreTransfert::FinFichier &fin) {
    QList<CopieParallele::Fichier> liste;
    liste.reserve(fichiers.size());
    for (const QString &relatif : fichiers)
        liste.append({relatif, racine + relatif, base + relatif});
    CopieParallele copie(ModeleConnexion::De(ftp), connexions);
    CopieParallele::Rappels rappels;
    rappels.fin = [&fin](const QString &relatif, bool ok, const QString &) { fin(relatif, ok); };
    rappels.connexionImpossible = [sens](const QString &raison) {
        journalArbre(sens == CopieParallele::Sens::Rapatrie ? "get" : "put")(
            QStringLiteral("Connexion supplémentaire impossible : ") + raison.simplified(), false);
    };
    rappels.surLaSessionCourante = [&ftp, sens](const CopieParallele::Fichier &f) {
        return (sens == CopieParallele::Sens::Rapatrie
                    ? ftp.DownloadFichierDansDossier(f.distant, f.local, true)
                    : ftp.UploadFichier(f.local, f.distant)) != 0;
    };
    return copie.Execute(sens, liste, rappels);
}

// get -r URL DIR: the site folder's tree into DIR.
int rapatrieArbre(SessionDistante &ftp, const Cible &cible, const QString &dossier,
                  int connexions) {
    const QString racine = dossierSite(cible);
    // DIR is the user's own choice: a link given there is followed once, and
    // nothing below it is.
    if (!QDir().mkpath(dossier)) {
        avertit(QStringLiteral("get: impossible de créer ") + dossier);
        return Echec;
    }
    const QString base = QFileInfo(dossier).canonicalFilePath();
    ArbreTransfert arbre(journalArbre("get"));
    const bool parcouru =
        arbre.ParcoursSite(racine, [&ftp](Dictionnaire &dic, const QString &d, QString &raison) {
            if (ftp.EnumereFichier(dic, d))
                return true;
            raison = ftp.DerniereErreur().simplified();
            return false;
        });
    if (!parcouru)
        return Echec;
    const auto creeDossier = [&](const QString &relatif) {
        return ArbreTransfert::CreeDossierLocal(base, relatif);
    };
    const QString ligneEchec = QStringLiteral(" > Téléchargement échoué de ");
    if (connexions > 1) {
        const ArbreTransfert::Bilan bilan = arbre.CopieLot(
            creeDossier,
            [&](const QStringList &fichiers, const ArbreTransfert::FinFichier &fin) {
                return copieParallele(ftp, connexions, CopieParallele::Sens::Rapatrie, fichiers,
                                      racine, base + QLatin1Char('/'), fin);
            },
            ligneEchec);
        return finArbre(arbre, bilan, "get");
    }
    const ArbreTransfert::Bilan bilan = arbre.Copie(
        creeDossier,
        [&](const QString &relatif) {
            return ftp.DownloadFichierDansDossier(racine + relatif,
                                                  base + QLatin1Char('/') + relatif, true) != 0;
        },
        ligneEchec);
    return finArbre(arbre, bilan, "get");
}

// put -r DIR URL: DIR's tree into the site folder, made if missing.
int envoieArbre(SessionDistante &ftp, const QString &dossier, const Cible &cible, int connexions) {
    const QString racine = dossierSite(cible);
    if (!QFileInfo(dossier).isDir()) {
        avertit(QStringLiteral("put: ") + dossier + QStringLiteral(" n'est pas un dossier"));
        return Echec;
    }
    const auto creeOuEntre = [&ftp](const QString &d) {
        return (d.size() > 1 && ftp.CreeRepertoire(d.chopped(1)) != 0) ||
               ftp.AttribueRepertoireCourant(d) != 0;
    };
    if (!creeOuEntre(racine))
        return echoue(ftp, "put");
    ArbreTransfert arbre(journalArbre("put"));
    if (!arbre.ParcoursLocal(dossier))
        return Echec;
    const QString base = dossier.endsWith(u'/') ? dossier : dossier + QLatin1Char('/');
    const auto creeDossier = [&](const QString &relatif) {
        return creeOuEntre(racine + relatif + QLatin1Char('/'));
    };
    const QString ligneEchec = QStringLiteral(" > ''Upload'' échoué de ");
    if (connexions > 1) {
        const ArbreTransfert::Bilan bilan = arbre.CopieLot(
            creeDossier,
            [&](const QStringList &fichiers, const ArbreTransfert::FinFichier &fin) {
                return copieParallele(ftp, connexions, CopieParallele::Sens::Envoie, fichiers,
                                      racine, base, fin);
            },
            ligneEchec);
        return finArbre(arbre, bilan, "put");
    }
    const ArbreTransfert::Bilan bilan = arbre.Copie(
        creeDossier,
        [&](const QString &relatif) {
            return ftp.UploadFichier(base + relatif, racine + relatif) != 0;
        },
        ligneEchec);
    return finArbre(arbre, bilan, "put");
}

// Runs the command (args[0]) on a logged-in session. `connexions` is 0 for
// anything but a tree; `suite` for --continue.
int execute(SessionDistante &ftp, const QStringList &args, const Cible &cible, int connexions,
            bool suite) {
    const QString &commande = args[0];
    // A download without --continue starts over, yet leaves its partial file
    // when it fails, for a later --continue.
    ftp.setReprise(suite);
    if (suite && commande == QLatin1String("put"))
        return resultat(ftp, ftp.ReprendUpload(args[1], cible.chemin), "put");
    if (connexions > 0)
        return commande == QLatin1String("get") ? rapatrieArbre(ftp, cible, args[2], connexions)
                                                : envoieArbre(ftp, args[1], cible, connexions);
    if (commande == QLatin1String("ls"))
        return liste(ftp, cible);
    if (commande == QLatin1String("get"))
        return resultat(ftp, ftp.DownloadFichier(cible.chemin, args[2]), "get");
    if (commande == QLatin1String("put"))
        return resultat(ftp, ftp.UploadFichier(args[1], cible.chemin), "put");
    if (commande == QLatin1String("mkdir"))
        return resultat(ftp, ftp.CreeRepertoire(cible.chemin), "mkdir");
    if (commande == QLatin1String("rmdir"))
        return resultat(ftp, ftp.EffaceRepertoire(cible.chemin), "rmdir");
    if (commande == QLatin1String("rm"))
        return resultat(ftp, ftp.EffaceFichier(cible.chemin), "rm");
    if (commande == QLatin1String("mv"))
        return resultat(ftp, ftp.RenommeFichier(cible.chemin, args[2]), "mv");
    if (commande == QLatin1String("pwd"))
        return repertoireCourant(ftp, cible);
    return taille(ftp, cible);
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    Options options;
    Cible cible;
    if (!analyseOptions(args, options))
        return usage();
    // "get -r", "put -r": the same arguments, a folder tree.
    int connexions = 0;
    bool suite = false;
    if (!analyseTransfert(args, connexions, suite) || !analyseLigne(args, options, cible))
        return usage();
    completeIdentite(cible);

    const std::unique_ptr<SessionDistante> ftp = CreeSession(cible.protocole);
    if (!connecte(*ftp, options))
        return echoue(*ftp, "connexion");
    return execute(*ftp, args, cible, connexions, suite);
}
