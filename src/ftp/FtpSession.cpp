#include "ftp/FtpSession.h"

#include "ftp/CanalDonnees.h"
#include "ftp/Destination.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <openssl/ssl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr qint64 LigneMax = 64 * 1024;     // one control line
constexpr int LignesMaxParReponse = 10000; // a multi-line reply
constexpr qint64 ReponseMax = 1 << 20;     // all the lines of one reply
// "125"/"150" before a transfer, "120" before a greeting: one or two are
// normal, a stream of them comes from a server that will never answer.
constexpr int PreliminairesMax = 8;
constexpr int ErreurServeurMax = 500;       // characters of a reply quoted in an error
constexpr qint64 TamponTransfert = 1 << 20; // data read size
constexpr int IntervalleProgressionMs = 20;

bool estRefusDeCommande(int code) {
    return code == 500 || code == 501 || code == 502 || code == 504;
}

QString texteErrno() {
    return QString::fromLocal8Bit(strerror(errno));
}

} // namespace

FtpSession::~FtpSession() {
    Deconnecte();
}

bool FtpSession::AnalyseHote(const QString &texte, QString &hote, quint16 &port) {
    bool implicite = false;
    return AnalyseHote(texte, hote, port, implicite);
}

bool FtpSession::AnalyseHote(const QString &texte, QString &hote, quint16 &port, bool &implicite) {
    QString t = texte.trimmed();
    implicite = false;
    port = 21;
    if (t.startsWith(QLatin1String("ftps://"), Qt::CaseInsensitive)) {
        implicite = true;
        port = 990;
        t = t.mid(7);
    } else if (t.startsWith(QLatin1String("ftp://"), Qt::CaseInsensitive)) {
        t = t.mid(6);
    }
    if (t.size() != texte.trimmed().size()) {
        // A URL's path has no meaning here: "ftp://host/" is the host.
        const auto barre = t.indexOf(u'/');
        if (barre >= 0)
            t.truncate(barre);
    }
    return AnalyseHotePort(t, hote, port);
}

bool FtpSession::AnalyseHotePort(const QString &t, QString &hote, quint16 &port) {
    QString partiePort;
    if (t.startsWith(u'[')) {
        const auto ferme = t.indexOf(u']');
        if (ferme < 0)
            return false;
        hote = t.mid(1, ferme - 1);
        const QString reste = t.mid(ferme + 1);
        if (!reste.isEmpty()) {
            if (!reste.startsWith(u':'))
                return false;
            partiePort = reste.mid(1);
        }
    } else if (t.count(u':') == 1) {
        const auto deuxPoints = t.indexOf(u':');
        hote = t.left(deuxPoints);
        partiePort = t.mid(deuxPoints + 1);
    } else {
        hote = t; // a name, an IPv4 address or a bare IPv6 address
    }
    if (!partiePort.isNull()) {
        bool ok = false;
        const uint p = partiePort.toUInt(&ok);
        if (!ok || p == 0 || p > 65535)
            return false;
        port = quint16(p);
    }
    return !hote.isEmpty();
}

bool FtpSession::Connectee() const {
    return m_connectee && m_controle.Ouverte();
}

QString FtpSession::VersionTls() const {
    return Connectee() && m_controle.Tls() ? m_controle.Tls()->version() : QString();
}

bool FtpSession::echec(const QString &raison) {
    m_erreur = raison;
    return false;
}

bool FtpSession::perdue(const QString &raison) {
    m_erreur = raison;
    m_connectee = false;
    m_controle.Ferme();
    return false;
}

namespace {

// Length of the well-formed UTF-8 sequence at p[0..reste), or 0.
int sequenceUtf8(const uchar *p, qsizetype reste) {
    const uchar b = p[0];
    int n = 0;
    uchar bas = 0x80, haut = 0xbf; // bounds of the second byte
    if (b < 0x80)
        return 1;
    if (b >= 0xc2 && b <= 0xdf) {
        n = 2;
    } else if (b >= 0xe0 && b <= 0xef) {
        n = 3;
        if (b == 0xe0)
            bas = 0xa0; // overlong
        else if (b == 0xed)
            haut = 0x9f; // surrogates
    } else if (b >= 0xf0 && b <= 0xf4) {
        n = 4;
        if (b == 0xf0)
            bas = 0x90;
        else if (b == 0xf4)
            haut = 0x8f; // beyond U+10FFFF
    } else {
        return 0;
    }
    if (reste < n || p[1] < bas || p[1] > haut)
        return 0;
    for (int i = 2; i < n; ++i)
        if (p[i] < 0x80 || p[i] > 0xbf)
            return 0;
    return n;
}

} // namespace

QString FtpSession::NomDepuisOctets(QByteArrayView octets) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString texte = utf8.decode(octets);
    if (!utf8.hasError() && !texte.contains(QChar(MarqueOctet)))
        return texte;
    texte.clear();
    texte.reserve(2 * octets.size());
    const auto *p = reinterpret_cast<const uchar *>(octets.data());
    const qsizetype taille = octets.size();
    const auto octetSeul = [&](uchar b) {
        texte += QChar(b);
        texte += QChar(MarqueOctet);
    };
    for (qsizetype i = 0; i < taille;) {
        const int n = sequenceUtf8(p + i, taille - i);
        if (n == 0) {
            octetSeul(p[i++]);
            continue;
        }
        const QString c = QString::fromUtf8(reinterpret_cast<const char *>(p + i), n);
        if (c == QChar(MarqueOctet)) {
            for (int k = 0; k < n; ++k)
                octetSeul(p[i + k]);
        } else {
            texte += c;
        }
        i += n;
    }
    return texte;
}

QByteArray FtpSession::NomEnOctets(QStringView nom) {
    if (!nom.contains(QChar(MarqueOctet)))
        return nom.toUtf8();
    QByteArray octets;
    octets.reserve(3 * nom.size());
    for (qsizetype i = 0; i < nom.size();) {
        const char16_t c = nom[i].unicode();
        if (c >= 0x80 && c <= 0xff && i + 1 < nom.size() && nom[i + 1] == QChar(MarqueOctet)) {
            octets += char(c);
            i += 2;
            continue;
        }
        const qsizetype n = nom[i].isHighSurrogate() && i + 1 < nom.size() ? 2 : 1;
        octets += nom.mid(i, n).toUtf8();
        i += n;
    }
    return octets;
}

QByteArray FtpSession::encode(const QString &texte) const {
    return NomEnOctets(texte);
}

// UTF-8 is what servers send today (RFC 2640); bytes that are not valid UTF-8
// come from an older server and are kept as they came (see NomDepuisOctets).
QString FtpSession::decode(const QByteArray &octets) const {
    return NomDepuisOctets(octets);
}

QString FtpSession::texteServeur(const QByteArray &octets) const {
    // Escape sequences must not reach the terminal or log that shows the error;
    // a byte that is not UTF-8 shows as its Latin-1 character.
    QString texte = decode(octets.left(4 * ErreurServeurMax)).remove(QChar(MarqueOctet));
    for (QChar &c : texte) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            c = u' ';
    }
    texte = texte.simplified();
    if (texte.size() > ErreurServeurMax) {
        texte.truncate(ErreurServeurMax);
        texte += u'…';
    }
    return texte;
}

void FtpSession::Deconnecte() {
    // Over TLS when the session is encrypted; a connection that failed half-way
    // through its handshake is no longer m_connectee and gets nothing.
    if (m_connectee && m_controle.Ouverte())
        m_controle.Ecrit("QUIT\r\n", 6, QDeadlineTimer(200));
    m_controle.Ferme();
    m_empreinte.clear();
    m_connectee = false;
    m_recu.clear();
    m_debutRecu = m_examine = 0;
}

bool FtpSession::envoieLigne(const QByteArray &commande, const QDeadlineTimer &limite) {
    if (!m_controle.Ouverte())
        return perdue(QStringLiteral("connexion fermée"));
    // One write, so that a command never leaves in two packets (or records).
    const QByteArray ligne = commande + "\r\n";
    if (!m_controle.Ecrit(ligne.constData(), ligne.size(), limite))
        return perdue(QStringLiteral("envoi impossible sur la connexion de contrôle"));
    return true;
}

// Bytes are taken from the socket into m_recu and each is searched for a line
// end once; only the unfinished line is ever moved, once per read.
bool FtpSession::litLigne(QByteArray &ligne, const QDeadlineTimer &limite) {
    for (;;) {
        const qsizetype fin = m_recu.indexOf('\n', m_examine);
        if (fin >= 0) {
            qsizetype longueur = fin - m_debutRecu;
            if (longueur > LigneMax)
                break;
            if (longueur > 0 && m_recu[fin - 1] == '\r')
                --longueur;
            ligne = m_recu.mid(m_debutRecu, longueur);
            m_debutRecu = m_examine = fin + 1;
            return true;
        }
        m_examine = m_recu.size();
        // Never cut: the tail of a cut line would be read as the next reply.
        if (m_recu.size() - m_debutRecu > LigneMax)
            break;
        if (m_debutRecu > 0) {
            m_recu.remove(0, m_debutRecu);
            m_examine -= m_debutRecu;
            m_debutRecu = 0;
        }
        if (limite.hasExpired()) // silent, or a server that never stops talking
            return perdue(QStringLiteral("le serveur ne répond plus (délai dépassé)"));
        const qsizetype avant = m_recu.size();
        m_recu.resize(avant + LigneMax + 1);
        const qint64 lus = m_controle.Lit(m_recu.data() + avant, LigneMax + 1, limite);
        m_recu.resize(avant + std::max<qint64>(lus, 0));
        if (lus == 0)
            return perdue(QStringLiteral("le serveur a fermé la connexion"));
        if (lus < 0)
            return perdue(
                limite.hasExpired()
                    ? QStringLiteral("le serveur ne répond plus (délai dépassé)")
                    : QStringLiteral("connexion de contrôle : %1").arg(m_controle.Erreur()));
    }
    return perdue(QStringLiteral("réponse du serveur illisible (ligne trop longue)"));
}

bool FtpSession::litReponse(Reponse::Complete &reponse, const QDeadlineTimer &limite) {
    QByteArray ligne;
    if (!litLigne(ligne, limite))
        return false;
    reponse.code = Reponse::CodeDeLigne(ligne);
    if (reponse.code < 100 || reponse.code > 599)
        return perdue(
            QStringLiteral("réponse du serveur illisible : %1").arg(texteServeur(ligne.left(80))));
    reponse.texte = ligne;
    if (Reponse::OuvreMultiligne(ligne)) {
        for (int n = 0;; ++n) {
            if (n > LignesMaxParReponse || reponse.texte.size() > ReponseMax)
                return perdue(QStringLiteral("réponse du serveur sans fin"));
            if (!litLigne(ligne, limite))
                return false;
            reponse.texte += '\n';
            reponse.texte += ligne;
            if (Reponse::TermineReponse(ligne, reponse.code))
                break;
        }
    }
    if (reponse.code == 421) // service closing: nothing more will come
        return perdue(texteServeur(reponse.texte));
    return true;
}

bool FtpSession::litFinale(Reponse::Complete &reponse, const QDeadlineTimer &limite) {
    for (int n = 0;; ++n) {
        if (!litReponse(reponse, limite))
            return false;
        if (!reponse.preliminaire())
            return true;
        if (n >= PreliminairesMax)
            return perdue(QStringLiteral("le serveur ne donne pas de réponse finale "
                                         "(réponses préliminaires sans fin)"));
    }
}

bool FtpSession::argumentSur(const QString &argument) {
    // A line end would let a name carry a second command.
    for (QChar c : argument)
        if (c == u'\r' || c == u'\n' || c == u'\0')
            return echec(QStringLiteral("nom refusé : il contient un caractère de contrôle"));
    return true;
}

bool FtpSession::envoieCommande(const char *verbe, const QString &argument,
                                Reponse::Complete &reponse, const QDeadlineTimer &limite) {
    QByteArray ligne(verbe);
    if (!argument.isNull()) {
        ligne += ' ';
        ligne += encode(argument);
    }
    return envoieLigne(ligne, limite) && litReponse(reponse, limite);
}

bool FtpSession::commande(const char *verbe, const QString &argument, Reponse::Complete &reponse) {
    if (!Connectee())
        return echec(QStringLiteral("pas de connexion"));
    if (!argumentSur(argument))
        return false;
    const QDeadlineTimer limite(m_delaiMs);
    if (!envoieCommande(verbe, argument, reponse, limite))
        return false;
    // A stray preliminary reply: the final one follows.
    return !reponse.preliminaire() || litFinale(reponse, limite);
}

bool FtpSession::commandeSimple(const char *verbe, const QString &argument, int classeAttendue) {
    Reponse::Complete r;
    if (!commande(verbe, argument, r))
        return false;
    if (r.code / 100 != classeAttendue)
        return echec(texteServeur(r.texte));
    return true;
}

bool FtpSession::Connecte(const QString &texteHote, const QString &utilisateur,
                          const QString &motDePasse) {
    Deconnecte();
    m_mlst = m_sansEpsv = m_listeSansOption = m_enClairRefuse = false;
    QString hote;
    quint16 port = 21;
    bool implicite = false;
    if (!AnalyseHote(texteHote, hote, port, implicite))
        return echec(QStringLiteral("nom de serveur vide ou invalide"));
    if (!argumentSur(utilisateur) || !argumentSur(motDePasse))
        return false;

    // Connecting and, for implicit TLS, the handshake share one deadline.
    const QDeadlineTimer limite(m_delaiMs);
    if (!m_controle.Connecte(hote, port, limite))
        return echec(QStringLiteral("connexion à %1 impossible : %2")
                         .arg(texteHote.trimmed(), m_controle.Erreur()));
    const int oui = 1;
    ::setsockopt(m_controle.Descripteur(), IPPROTO_TCP, TCP_NODELAY, &oui, sizeof oui);
    m_connectee = true;
    if (implicite && !chiffreControle(hote, port, limite))
        return false;

    Reponse::Complete r;
    // "120 Service ready in 5 minutes" may come first, within the same time.
    if (!litFinale(r, QDeadlineTimer(m_delaiMs)))
        return false;
    if (r.code != 220)
        return perdue(texteServeur(r.texte));
    if (!negocieTls(implicite, hote, port))
        return false;

    const bool anonyme = utilisateur.isEmpty();
    const QString user = anonyme ? QStringLiteral("anonymous") : utilisateur;
    // An empty password is sent as "PASS " with an empty argument, never as a
    // bare "PASS", which some servers take for a syntax error.
    QString pass = (anonyme && motDePasse.isEmpty()) ? QStringLiteral("anonymous@") : motDePasse;
    if (pass.isNull())
        pass = QStringLiteral("");
    if (!commande("USER", user, r))
        return false;
    if (r.code == 331 || r.code == 332) {
        if (!commande("PASS", pass, r))
            return false;
    }
    if (r.code != 230 && r.code != 202)
        return perdue(QStringLiteral("identification refusée : %1").arg(texteServeur(r.texte)));
    m_source = QStringLiteral("%1://%2@%3:%4")
                   .arg(implicite ? QStringLiteral("ftps") : QStringLiteral("ftp"), user,
                        hote.contains(u':') ? u'[' + hote + u']' : hote)
                   .arg(port);

    if (commande("FEAT", QString(), r) && r.code == 211) {
        bool utf8 = false;
        for (const QByteArray &ligne : r.texte.split('\n')) {
            const QByteArray f = ligne.trimmed().toUpper();
            if (f == "MLST" || f.startsWith("MLST "))
                m_mlst = true;
            else if (f == "UTF8")
                utf8 = true;
        }
        if (utf8 && !commande("OPTS", QStringLiteral("UTF8 ON"), r))
            return false;
    } else if (!Connectee()) {
        return false;
    }
    if (!commandeSimple("TYPE", QStringLiteral("I")))
        return Connectee() ? perdue(QStringLiteral("mode binaire refusé : %1").arg(m_erreur))
                           : false;
    return true;
}

std::optional<QString> FtpSession::Pwd() {
    Reponse::Complete r;
    if (!commande("PWD", QString(), r))
        return std::nullopt;
    if (r.code != 257) {
        echec(texteServeur(r.texte));
        return std::nullopt;
    }
    const QByteArray chemin = Reponse::AnalysePwd(r.texte);
    if (chemin.isEmpty()) {
        echec(
            QStringLiteral("dossier courant absent de la réponse : %1").arg(texteServeur(r.texte)));
        return std::nullopt;
    }
    return decode(chemin);
}

bool FtpSession::Cwd(const QString &chemin) {
    return commandeSimple("CWD", chemin);
}

bool FtpSession::Mkd(const QString &chemin) {
    return commandeSimple("MKD", chemin);
}

bool FtpSession::Rmd(const QString &chemin) {
    return commandeSimple("RMD", chemin);
}

bool FtpSession::Dele(const QString &chemin) {
    return commandeSimple("DELE", chemin);
}

bool FtpSession::Renomme(const QString &ancien, const QString &nouveau) {
    if (!argumentSur(nouveau))
        return false;
    return commandeSimple("RNFR", ancien, 3) && commandeSimple("RNTO", nouveau);
}

qint64 FtpSession::Taille(const QString &chemin) {
    Reponse::Complete r;
    if (!commande("SIZE", chemin, r))
        return -1;
    if (r.code != 213) {
        echec(texteServeur(r.texte));
        return -1;
    }
    bool ok = false;
    const qint64 n = r.texte.mid(4).trimmed().toLongLong(&ok);
    if (!ok || n < 0) {
        echec(QStringLiteral("taille illisible : %1").arg(texteServeur(r.texte)));
        return -1;
    }
    return n;
}

QString FtpSession::DateModification(const QString &chemin) {
    Reponse::Complete r;
    if (!commande("MDTM", chemin, r))
        return {};
    if (r.code != 213) {
        echec(texteServeur(r.texte));
        return {};
    }
    // "YYYYMMDDhhmmss", optionally with a fraction of a second (RFC 3659).
    const QByteArray date = r.texte.mid(4).trimmed();
    const qsizetype point = date.indexOf('.');
    const qsizetype chiffres = point < 0 ? date.size() : point;
    bool valide = chiffres == 14 && date.size() <= 24 && (point < 0 || date.size() > point + 1);
    for (qsizetype i = 0; valide && i < date.size(); ++i)
        valide = (date[i] >= '0' && date[i] <= '9') || i == point;
    if (!valide) {
        echec(QStringLiteral("date illisible : %1").arg(texteServeur(r.texte)));
        return {};
    }
    return QString::fromLatin1(date);
}

bool FtpSession::chiffreControle(const QString &hote, quint16 port, const QDeadlineTimer &limite) {
    if (!m_contexte)
        m_contexte = std::make_unique<ContexteTls>();
    if (!m_contexte->valide())
        return perdue(QStringLiteral("TLS indisponible : %1").arg(m_contexte->erreur()));
    if (!m_controle.CommenceTls(m_contexte->ctx(), hote, nullptr) || !m_controle.Poignee(limite))
        return perdue(limite.hasExpired()
                          ? QStringLiteral("négociation TLS sans réponse (délai dépassé)")
                          : m_controle.Erreur());
    const LienTls &tls = *m_controle.Tls();
    m_empreinte = tls.empreinte();
    if (!m_empreinteImposee.isEmpty()) {
        if (m_empreinte == m_empreinteImposee)
            return true;
        return perdue(QStringLiteral("certificat refusé : son empreinte SHA-256 %1 n’est pas "
                                     "celle attendue")
                          .arg(m_empreinte));
    }
    if (tls.certificatVerifie())
        return true;
    const Certificat certificat = tls.certificat(hote, port);
    // The judge may take its time (a person answering a question): the
    // exchanges that follow have deadlines of their own.
    if (m_juge && m_juge(certificat))
        return true;
    return perdue(QStringLiteral("certificat refusé : %1").arg(certificat.raison));
}

bool FtpSession::negocieTls(bool implicite, const QString &hote, quint16 port) {
    Reponse::Complete r;
    if (!implicite) {
        if (m_chiffrement == Chiffrement::Aucun)
            return true;
        const QDeadlineTimer limite(m_delaiMs);
        if (!envoieLigne("AUTH TLS", limite) || !litReponse(r, limite))
            return false;
        if (r.code >= 400) {
            // A refusal may come from a man in the middle: where TLS is
            // known to be expected, going on would hand him the password.
            const QString exige = !m_empreinteImposee.isEmpty()
                                      ? QStringLiteral("une empreinte de certificat est imposée")
                                      : m_tlsExige;
            if (m_chiffrement == Chiffrement::SiDisponible && exige.isEmpty())
                return true;
            if (exige.isEmpty())
                return perdue(QStringLiteral("le serveur ne propose pas TLS : %1")
                                  .arg(texteServeur(r.texte)));
            m_enClairRefuse = true;
            return perdue(QStringLiteral("connexion en clair refusée : le serveur ne propose pas "
                                         "TLS (%1) alors qu'%2")
                              .arg(texteServeur(r.texte), exige));
        }
        if (r.code != 234)
            return perdue(
                QStringLiteral("réponse inattendue à AUTH TLS : %1").arg(texteServeur(r.texte)));
        // Bytes that came in clear behind the reply would be read later as
        // if they had come under TLS: a man in the middle's injection.
        if (m_debutRecu != m_recu.size())
            return perdue(
                QStringLiteral("le serveur a envoyé des données en clair après AUTH TLS"));
        if (!chiffreControle(hote, port, limite))
            return false;
    }
    // Reading these two replies also takes in the session tickets that a TLS
    // 1.3 server sends after its handshake, which the data connections resume.
    if (!commande("PBSZ", QStringLiteral("0"), r))
        return false;
    if (r.code / 100 == 2 && !commande("PROT", QStringLiteral("P"), r))
        return false;
    if (r.code / 100 != 2)
        return perdue(QStringLiteral("le serveur refuse de chiffrer les transferts : %1")
                          .arg(texteServeur(r.texte)));
    return true;
}

bool FtpSession::ouvreDonnees(CanalDonnees &canal) {
    const QHostAddress pair = m_controle.Pair();
    Reponse::Complete r;
    if (!m_sansEpsv) {
        if (!commande("EPSV", QString(), r))
            return false;
        if (r.code == 229) {
            if (const auto adresse = Reponse::AdresseDonnees(r, pair)) {
                if (canal.Connecte(adresse->hote, adresse->port, m_delaiMs))
                    return true;
            }
        } else if (!estRefusDeCommande(r.code)) {
            return echec(texteServeur(r.texte));
        }
        m_sansEpsv = true; // refused or unusable: PASV from now on
    }
    if (!commande("PASV", QString(), r))
        return false;
    if (r.code != 227)
        return echec(texteServeur(r.texte));
    const auto adresse = Reponse::AdresseDonnees(r, pair);
    if (!adresse)
        return echec(QStringLiteral("réponse PASV illisible : %1").arg(texteServeur(r.texte)));
    if (!canal.Connecte(adresse->hote, adresse->port, m_delaiMs))
        return echec(canal.Erreur());
    return true;
}

bool FtpSession::lanceTransfert(const char *verbe, const QString &argument, CanalDonnees &canal,
                                Reponse::Complete &premiere, qint64 *depuis, const char *siRefus) {
    if (!argumentSur(argument) || !ouvreDonnees(canal))
        return false;
    // Right before the transfer command, as RFC 3659 wants it; 350 is the
    // only acceptance.
    if (depuis && *depuis > 0) {
        Reponse::Complete r;
        if (!commande("REST", QString::number(*depuis), r))
            return false;
        if (r.code != 350) {
            if (siRefus)
                verbe = siRefus;
            else
                *depuis = 0;
        }
    }
    if (const LienTls *tls = m_controle.Tls()) {
        // Servers that insist on resumption (vsftpd's require_ssl_reuse)
        // refuse a data connection that starts a session of its own.
        SSL_SESSION *session = tls->session();
        const bool commence = canal.CommenceTls(m_contexte->ctx(), session, m_empreinte);
        SSL_SESSION_free(session);
        if (!commence)
            return echec(canal.Erreur());
    }
    if (!envoieCommande(verbe, argument, premiere, QDeadlineTimer(m_delaiMs)))
        return false;
    if (premiere.code >= 400)
        return echec(texteServeur(premiere.texte));
    // The server accepts the handshake once it has taken the command.
    if (canal.Chiffre() && !canal.TermineTls(m_delaiMs))
        return perdue(canal.Erreur());
    return true;
}

bool FtpSession::termineTransfert(CanalDonnees &canal, const Reponse::Complete &premiere) {
    canal.Ferme();
    Reponse::Complete fin = premiere;
    // The data took its own time: the final reply has a deadline of its own.
    if (premiere.preliminaire() && !litFinale(fin, QDeadlineTimer(m_delaiMs)))
        return false;
    if (fin.code / 100 != 2)
        return echec(texteServeur(fin.texte));
    return true;
}

// Under TLS, the end of the data is known only from the server's close_notify:
// a TCP close can come from anyone on the path, and a final "226" says
// nothing of what reached us. Without it, the data is whole only when its
// length matches a size the server gave over the (authenticated) control
// connection: the count in its 150 reply or, for a file, its SIZE. Asking
// SIZE only then costs servers that end properly nothing; its answer is as
// trustworthy after the transfer as before.
bool FtpSession::termineReception(CanalDonnees &canal, const Reponse::Complete &premiere,
                                  qint64 recu, const QString &distant, qint64 depuis) {
    const bool signee = !canal.Chiffre() || canal.FinSignee();
    if (!termineTransfert(canal, premiere))
        return false;
    if (signee)
        return true;
    // After REST, servers announce either what is left or the whole file.
    qint64 attendue = Reponse::TailleAnnoncee(premiere.texte);
    if (attendue >= 0 && (attendue == recu || attendue == depuis + recu))
        return true;
    if (attendue < 0 && !distant.isNull() && Taille(distant) == depuis + recu)
        return true;
    return echec(QStringLiteral("transfert coupé : la connexion de données chiffrée s'est fermée "
                                "sans close_notify"));
}

void FtpSession::signaleProgression(qint64 fait, qint64 total, bool forcer) {
    if (!m_progression)
        return;
    const qint64 maintenant = QDateTime::currentMSecsSinceEpoch();
    if (!forcer && maintenant - m_derniereProgression < IntervalleProgressionMs)
        return;
    m_derniereProgression = maintenant;
    m_progression(fait, total);
}

bool FtpSession::Telecharge(const QString &distant, const QString &local, Cible cible) {
    if (!Connectee())
        return echec(QStringLiteral("pas de connexion"));
    Destination fichier(local, cible);
    QString erreur;
    if (!fichier.prepare(erreur))
        return echec(erreur);
    m_interrompre = false;
    // The first block is always reported, however recent the last report of
    // another operation: a file that comes in a few milliseconds can still
    // be shown and stopped.
    m_derniereProgression = 0;
    // The file's state on the server, which a partial file must match. A
    // folder copy asks only where a partial file waits: two more replies
    // per file would weigh on a tree of small ones.
    Destination::Origine origine;
    if (fichier.reprenable() && (cible != Cible::DansCopieDossier || fichier.partielPresent())) {
        const qint64 taille = Taille(distant);
        const QString date = taille >= 0 ? DateModification(distant) : QString();
        if (!Connectee())
            return false;
        EffaceErreur();
        origine = {m_source + distant, taille, date};
    }
    qint64 depuis = 0;
    bool change = false;
    if (!fichier.ouvrePartiel(origine, m_reprise, depuis, change, erreur))
        return echec(erreur);
    if (change && m_annonceReprise)
        m_annonceReprise(local, -1);
    CanalDonnees canal;
    Reponse::Complete premiere;
    const qint64 partiel = depuis;
    if (!lanceTransfert("RETR", distant, canal, premiere, &depuis))
        return false;
    if (depuis != partiel && !fichier.recommence(erreur))
        return perdue(erreur);
    if (depuis > 0 && m_annonceReprise)
        m_annonceReprise(local, depuis);
    const qint64 annoncee = Reponse::TailleAnnoncee(premiere.texte);
    // What a partial file may hold: the size the server gave. Past it, a
    // resumed download is not the file it continues, and a new one is not
    // worth keeping (a file that grows, or a server that never stops).
    const qint64 limite = origine.connue() ? origine.taille : -1;
    const qint64 total = limite >= 0 ? limite : annoncee >= 0 ? depuis + annoncee : -1;
    QByteArray tampon(TamponTransfert, Qt::Uninitialized);
    const int fd = fichier.fd();
    const SansSigpipe sansSigpipe;
    qint64 recu = 0;
    for (;;) {
        const qint64 n = canal.Lit(tampon.data(), tampon.size(), m_delaiMs);
        if (n == 0)
            break;
        if (n < 0)
            return perdue(canal.Erreur());
        if (limite >= 0 && depuis + recu + n > limite) {
            fichier.jettePartiel();
            if (depuis > 0)
                return perdue(QStringLiteral("reprise de %1 refusée : le serveur envoie plus que "
                                             "les %2 octets annoncés")
                                  .arg(distant)
                                  .arg(limite));
        }
        for (qint64 ecrit = 0; ecrit < n;) {
            const ssize_t e = ::write(fd, tampon.constData() + ecrit, size_t(n - ecrit));
            if (e < 0 && errno == EINTR)
                continue;
            if (e <= 0) {
                const QString raison = texteErrno();
                // Leaving the transfer half-read would desynchronise the
                // control connection.
                return perdue(QStringLiteral("écriture de %1 impossible : %2").arg(local, raison));
            }
            ecrit += e;
        }
        recu += n;
        signaleProgression(depuis + recu, total);
        if (m_interrompre) {
            // The server's answer to the closed data connection (426, or
            // 226 when it had sent everything) keeps the session in step.
            canal.Ferme();
            Reponse::Complete fin = premiere;
            if (premiere.preliminaire() && !litFinale(fin, QDeadlineTimer(m_delaiMs)))
                return false;
            return echec(QStringLiteral("téléchargement de %1 interrompu").arg(distant));
        }
    }
    signaleProgression(depuis + recu, total, true);
    if (!termineReception(canal, premiere, recu, distant, depuis))
        return false;
    if (annoncee >= 0 && recu != annoncee && depuis + recu != annoncee)
        return echec(QStringLiteral("transfert incomplet : %1 octets reçus sur %2 annoncés")
                         .arg(recu)
                         .arg(annoncee));
    // A resumed file is whole only at the size it had when it was cut.
    if (depuis > 0 && depuis + recu != limite) {
        fichier.jettePartiel();
        return echec(QStringLiteral("reprise de %1 incomplète : %2 octets sur %3")
                         .arg(distant)
                         .arg(depuis + recu)
                         .arg(limite));
    }
    if (!fichier.termine(erreur))
        return echec(erreur);
    return true;
}

bool FtpSession::Envoie(const QString &local, const QString &distant, bool reprendre) {
    if (!Connectee())
        return echec(QStringLiteral("pas de connexion"));
    QFile fichier(local);
    if (QFileInfo(local).isDir() || !fichier.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return echec(QStringLiteral("%1 : %2").arg(local, fichier.errorString()));
    // A pipe or a device has no size: it is sent until its end.
    const qint64 taille = fichier.isSequential() ? -1 : fichier.size();
    // What the server holds already is taken as the file's start. A server
    // that gives no size (or no file) gets the whole file.
    qint64 depuis = 0;
    if (reprendre && taille >= 0) {
        depuis = std::max<qint64>(Taille(distant), 0);
        if (!Connectee())
            return false;
        EffaceErreur();
        if (depuis > taille)
            return echec(QStringLiteral("reprise impossible : %1 a %2 octets sur le serveur, "
                                        "plus que les %3 de %4")
                             .arg(distant)
                             .arg(depuis)
                             .arg(taille)
                             .arg(local));
        if (depuis == taille) {
            signaleProgression(taille, taille, true);
            return true;
        }
        if (::lseek(fichier.handle(), depuis, SEEK_SET) != depuis)
            return echec(QStringLiteral("%1 : %2").arg(local, texteErrno()));
    }
    CanalDonnees canal;
    Reponse::Complete premiere;
    // Without REST, APPE adds at the end, which is where the remote file stops.
    if (!lanceTransfert("STOR", distant, canal, premiere, &depuis, "APPE"))
        return false;
    qint64 fait = depuis;
    const bool envoye = canal.EnvoieFichier(fichier.handle(), taille < 0 ? -1 : taille - depuis,
                                            m_delaiMs, [&](qint64 n) {
                                                fait = depuis + n;
                                                signaleProgression(fait, taille);
                                            });
    signaleProgression(fait, taille < 0 ? fait : taille, true);
    if (!envoye) {
        canal.Ferme();
        return perdue(canal.Erreur());
    }
    canal.TermineEnvoi(m_delaiMs);
    return termineTransfert(canal, premiere);
}

namespace {

// Names are at most a few hundred bytes: a listing line longer than this is
// hostile, and waiting for its end would let the server grow the buffer.
constexpr qint64 LigneListeMax = 64 * 1024;
constexpr qint64 BlocListe = LigneListeMax; // so that a line read whole is never too long
// Raw bytes of one listing. What a listing keeps is bounded by its consumer;
// this ends a stream of lines that give no entry.
constexpr qint64 ListeBruteMax = 2LL << 30;

// Lines end with LF, CR LF or, on older servers, CR alone; a CR LF cut in two
// leaves an empty line, which parsers skip.
bool estFinDeLigne(char c) {
    return c == '\n' || c == '\r';
}

// Sends the acknowledgement of what the control connection received now
// rather than up to 40 ms later: a server that sends its final reply right
// after the data, with Nagle's algorithm on, waits for it.
void accuseReceptionSansDelai(qintptr descripteur) {
#ifdef TCP_QUICKACK
    const int oui = 1;
    if (descripteur >= 0)
        ::setsockopt(int(descripteur), IPPROTO_TCP, TCP_QUICKACK, &oui, sizeof oui);
#else
    Q_UNUSED(descripteur);
#endif
}

// The first line end in texte[debut, fin), or -1.
qint64 premiereFinDeLigne(const char *texte, qint64 debut, qint64 fin) {
    for (qint64 i = debut; i < fin; ++i)
        if (estFinDeLigne(texte[i]))
            return i;
    return -1;
}

// The last line end in texte[debut, fin), knowing there is one at debut.
qint64 derniereFinDeLigne(const char *texte, qint64 debut, qint64 fin) {
    for (qint64 i = fin - 1; i > debut; --i)
        if (estFinDeLigne(texte[i]))
            return i;
    return debut;
}

} // namespace

bool FtpSession::Liste(bool &mlsd, const std::function<bool(QByteArrayView lignes)> &bloc) {
    if (!Connectee())
        return echec(QStringLiteral("pas de connexion"));
    mlsd = m_mlst;
    CanalDonnees canal;
    Reponse::Complete premiere;
    bool lance = false;
    if (mlsd) {
        lance = lanceTransfert("MLSD", QString(), canal, premiere);
    } else {
        bool sansOption = m_listeSansOption;
        if (!sansOption) {
            // "-a" shows dot-files on servers that hide them; a server that
            // takes it for a file name refuses it, and plain LIST is used from
            // then on, once it has worked: a folder that refuses any listing
            // says nothing about the option.
            lance = lanceTransfert("LIST", QStringLiteral("-a"), canal, premiere);
            if (!lance && Connectee() && premiere.code >= 500) {
                sansOption = true;
                canal.Ferme();
            }
        }
        if (!lance && sansOption && Connectee()) {
            lance = lanceTransfert("LIST", QString(), canal, premiere);
            m_listeSansOption = m_listeSansOption || lance;
        }
    }
    if (!lance)
        return false;
    accuseReceptionSansDelai(m_controle.Descripteur());

    QByteArray tampon(LigneListeMax + BlocListe, Qt::Uninitialized);
    char *const debut = tampon.data();
    qint64 enAttente = 0; // bytes of an unfinished line at the start of tampon
    qint64 total = 0;
    for (;;) {
        const qint64 n = canal.Lit(debut + enAttente, BlocListe, m_delaiMs);
        if (n < 0)
            return perdue(canal.Erreur());
        total += n;
        if (total > ListeBruteMax)
            return perdue(QStringLiteral("liste du dossier démesurée"));
        if (n == 0) {
            if (enAttente > 0 && !bloc(QByteArrayView(debut, enAttente)))
                return perdue(QStringLiteral("liste du dossier démesurée"));
            break;
        }
        // Only the new bytes are searched, so the scan stays linear however
        // the server cuts its lines. A line that ends within them is shorter
        // than a read; only the pending one can be too long.
        const qint64 rempli = enAttente + n;
        const qint64 premiere = premiereFinDeLigne(debut, enAttente, rempli);
        if ((premiere < 0 ? rempli : premiere) > LigneListeMax)
            return perdue(
                QStringLiteral("ligne de la liste du dossier trop longue (plus de %1 octets)")
                    .arg(LigneListeMax));
        if (premiere < 0) {
            enAttente = rempli;
        } else {
            const qint64 fin = derniereFinDeLigne(debut, premiere, rempli) + 1;
            if (!bloc(QByteArrayView(debut, fin)))
                return perdue(QStringLiteral("liste du dossier démesurée"));
            enAttente = rempli - fin;
            std::memmove(debut, debut + fin, size_t(enAttente));
        }
        signaleProgression(total, -1);
    }
    return termineReception(canal, premiere, total, QString());
}
