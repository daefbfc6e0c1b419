#include "ftp/Prise.h"

#include <QUrl>

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <mutex>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t AdressesMax = 16; // of one name
constexpr qint64 VidageMax = 1 << 20;   // bytes read after our close_notify

QString texteErrno(int e) {
    return QString::fromLocal8Bit(strerror(e));
}

int delaiPoll(const QDeadlineTimer &limite) {
    const qint64 reste = limite.remainingTime();
    return reste < 0 ? -1 : int(std::min<qint64>(reste, INT_MAX));
}

bool versSockaddr(const QHostAddress &hote, quint16 port, sockaddr_storage &adresse,
                  socklen_t &longueur) {
    adresse = {};
    bool v4 = false;
    const quint32 ip4 = hote.toIPv4Address(&v4);
    if (v4) {
        auto *a = reinterpret_cast<sockaddr_in *>(&adresse);
        a->sin_family = AF_INET;
        a->sin_port = htons(port);
        a->sin_addr.s_addr = htonl(ip4);
        longueur = sizeof(sockaddr_in);
        return true;
    }
    if (hote.protocol() != QAbstractSocket::IPv6Protocol)
        return false;
    auto *a = reinterpret_cast<sockaddr_in6 *>(&adresse);
    a->sin6_family = AF_INET6;
    a->sin6_port = htons(port);
    const Q_IPV6ADDR ip6 = hote.toIPv6Address();
    std::memcpy(&a->sin6_addr, &ip6, sizeof ip6);
    if (!hote.scopeId().isEmpty())
        a->sin6_scope_id = if_nametoindex(hote.scopeId().toLatin1().constData());
    longueur = sizeof(sockaddr_in6);
    return true;
}

// getaddrinfo has no time-out of its own: it runs on a thread of its own,
// which the caller stops waiting for at its deadline.
struct Resolution {
    std::mutex verrou;
    std::condition_variable fini;
    bool terminee = false;
    int code = 0;
    std::vector<QHostAddress> adresses;
};

bool resous(const QString &hote, const QDeadlineTimer &limite, std::vector<QHostAddress> &adresses,
            QString &erreur) {
    const QByteArray nom = QUrl::toAce(hote);
    if (nom.isEmpty()) {
        erreur = QStringLiteral("nom de serveur invalide");
        return false;
    }
    auto etat = std::make_shared<Resolution>();
    try {
        std::thread([etat, nom] {
            addrinfo indices{};
            indices.ai_family = AF_UNSPEC;
            indices.ai_socktype = SOCK_STREAM;
            indices.ai_flags = AI_ADDRCONFIG;
            addrinfo *liste = nullptr;
            const int code = ::getaddrinfo(nom.constData(), nullptr, &indices, &liste);
            std::vector<QHostAddress> trouvees;
            for (addrinfo *p = liste; p && trouvees.size() < AdressesMax; p = p->ai_next)
                trouvees.emplace_back(p->ai_addr);
            if (liste)
                ::freeaddrinfo(liste);
            const std::lock_guard<std::mutex> garde(etat->verrou);
            etat->code = code;
            etat->adresses = std::move(trouvees);
            etat->terminee = true;
            etat->fini.notify_all();
        }).detach();
    } catch (const std::system_error &) {
        erreur = QStringLiteral("résolution du nom impossible");
        return false;
    }
    std::unique_lock<std::mutex> verrou(etat->verrou);
    const auto echeance = limite.deadline<std::chrono::steady_clock>();
    if (!etat->fini.wait_until(verrou, echeance, [&] { return etat->terminee; })) {
        erreur = QStringLiteral("résolution du nom trop longue (délai dépassé)");
        return false;
    }
    if (etat->code != 0 || etat->adresses.empty()) {
        erreur = QString::fromLocal8Bit(gai_strerror(etat->code));
        return false;
    }
    adresses = etat->adresses;
    return true;
}

// An end of stream without close_notify, as OpenSSL 3 reports it (or as an
// older one did).
bool estFinAbrupte(int erreurSsl) {
    return (erreurSsl == SSL_ERROR_SSL &&
            ERR_GET_REASON(ERR_peek_error()) == SSL_R_UNEXPECTED_EOF_WHILE_READING) ||
           (erreurSsl == SSL_ERROR_SYSCALL && ERR_peek_error() == 0 && errno == 0);
}

} // namespace

SansSigpipe::SansSigpipe() {
    sigemptyset(&m_pipe);
    sigaddset(&m_pipe, SIGPIPE);
    sigset_t enAttente;
    sigpending(&enAttente);
    m_dejaEnAttente = sigismember(&enAttente, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &m_pipe, &m_avant);
}

SansSigpipe::~SansSigpipe() {
    sigset_t enAttente;
    if (!m_dejaEnAttente && sigpending(&enAttente) == 0 && sigismember(&enAttente, SIGPIPE) == 1) {
        const timespec aucun{};
        sigtimedwait(&m_pipe, nullptr, &aucun);
    }
    pthread_sigmask(SIG_SETMASK, &m_avant, nullptr);
}

Prise::~Prise() {
    Ferme();
}

void Prise::Ferme() {
    m_tls.reset();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_finSignee = true;
    m_finEnAttente = m_erreurEnAttente = false;
}

bool Prise::attend(short evenements, const QDeadlineTimer &limite) {
    pollfd p{m_fd, evenements, 0};
    for (;;) {
        const int r = ::poll(&p, 1, delaiPoll(limite));
        if (r > 0)
            return true;
        if (r == 0) {
            m_erreur = QStringLiteral("délai dépassé");
            return false;
        }
        if (errno != EINTR) {
            m_erreur = QStringLiteral("poll : %1").arg(texteErrno(errno));
            return false;
        }
    }
}

bool Prise::Connecte(const QString &hote, quint16 port, const QDeadlineTimer &limite) {
    QHostAddress litterale;
    if (litterale.setAddress(hote))
        return Connecte(litterale, port, limite);
    std::vector<QHostAddress> adresses;
    if (!resous(hote, limite, adresses, m_erreur))
        return false;
    for (const QHostAddress &a : adresses) {
        if (Connecte(a, port, limite))
            return true;
        if (limite.hasExpired())
            break;
    }
    return false;
}

bool Prise::Connecte(const QHostAddress &hote, quint16 port, const QDeadlineTimer &limite) {
    Ferme();
    sockaddr_storage adresse{};
    socklen_t longueur = 0;
    if (!versSockaddr(hote, port, adresse, longueur)) {
        m_erreur = QStringLiteral("adresse invalide");
        return false;
    }
    m_fd = ::socket(adresse.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_fd < 0) {
        m_erreur = QStringLiteral("socket : %1").arg(texteErrno(errno));
        return false;
    }
    if (::connect(m_fd, reinterpret_cast<sockaddr *>(&adresse), longueur) != 0) {
        if (errno != EINPROGRESS) {
            m_erreur = texteErrno(errno);
            Ferme();
            return false;
        }
        if (!attend(POLLOUT, limite)) {
            Ferme();
            return false;
        }
        int erreur = 0;
        socklen_t l = sizeof erreur;
        ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &erreur, &l);
        if (erreur != 0) {
            m_erreur = texteErrno(erreur);
            Ferme();
            return false;
        }
    }
    m_pair = hote;
    return true;
}

bool Prise::attendTls(int resultat, const QDeadlineTimer &limite, const char *quoi) {
    const int e = SSL_get_error(m_tls->ssl(), resultat);
    if (e == SSL_ERROR_WANT_READ)
        return attend(POLLIN, limite);
    if (e == SSL_ERROR_WANT_WRITE)
        return attend(POLLOUT, limite);
    const int systeme = errno;
    QString detail = ErreurOpenSsl();
    if (detail.isEmpty())
        detail = e == SSL_ERROR_SYSCALL && systeme != 0 ? texteErrno(systeme)
                                                        : QStringLiteral("connexion interrompue");
    m_erreur = QStringLiteral("%1 : %2").arg(QString::fromUtf8(quoi), detail);
    return false;
}

bool Prise::CommenceTls(SSL_CTX *ctx, const QString &hote, SSL_SESSION *reprise) {
    m_tls = std::make_unique<LienTls>(ctx, m_fd, hote, reprise);
    if (!m_tls->valide()) {
        m_erreur = QStringLiteral("TLS : %1").arg(ErreurOpenSsl());
        m_tls.reset();
        return false;
    }
    return true;
}

bool Prise::Poignee(const QDeadlineTimer &limite) {
    if (!m_tls)
        return false;
    const SansSigpipe sansSigpipe;
    for (;;) {
        ERR_clear_error();
        const int r = SSL_do_handshake(m_tls->ssl());
        if (r == 1)
            return true;
        if (!attendTls(r, limite, "négociation TLS impossible"))
            return false;
    }
}

qint64 Prise::Lit(char *tampon, qint64 taille, const QDeadlineTimer &limite) {
    if (m_fd < 0) {
        m_erreur = QStringLiteral("connexion fermée");
        return -1;
    }
    if (!m_tls) {
        for (;;) {
            const ssize_t n = ::recv(m_fd, tampon, size_t(taille), 0);
            if (n >= 0) {
                m_finSignee = true;
                return n;
            }
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                m_erreur = texteErrno(errno);
                return -1;
            }
            if (!attend(POLLIN, limite))
                return -1;
        }
    }
    if (m_finEnAttente)
        return m_erreurEnAttente ? -1 : 0;
    // A record holds at most 16 KB: the call goes on while more is already
    // there, so that the caller's buffer is filled as a plain read fills it.
    const SansSigpipe sansSigpipe; // a read may have to write (an alert)
    qint64 total = 0;
    for (;;) {
        ERR_clear_error();
        std::size_t lus = 0;
        const int r = SSL_read_ex(m_tls->ssl(), tampon + total, size_t(taille - total), &lus);
        if (r == 1) {
            total += qint64(lus);
            if (total == taille)
                return total;
            continue;
        }
        const int e = SSL_get_error(m_tls->ssl(), r);
        if (total > 0 && e != SSL_ERROR_SSL && e != SSL_ERROR_SYSCALL)
            return total; // nothing more at once, or the end: seen on the next call
        if (total > 0) {
            // The end or the error is for the next call, once these bytes
            // are taken: the connection can't tell it twice.
            const bool abrupte = estFinAbrupte(e);
            if (abrupte)
                ERR_clear_error();
            else
                attendTls(r, limite, "lecture TLS");
            m_finEnAttente = true;
            m_erreurEnAttente = !abrupte;
            m_finSignee = false;
            return total;
        }
        if (e == SSL_ERROR_ZERO_RETURN) {
            m_finSignee = true;
            return 0;
        }
        // The stream ended without close_notify: the end is the caller's to
        // judge (a data connection's, against a size the server announced).
        if (estFinAbrupte(e)) {
            ERR_clear_error();
            m_finSignee = false;
            return 0;
        }
        if (!attendTls(r, limite, "lecture TLS"))
            return -1;
    }
}

bool Prise::Ecrit(const char *donnees, qint64 taille, const QDeadlineTimer &limite) {
    if (m_fd < 0) {
        m_erreur = QStringLiteral("connexion fermée");
        return false;
    }
    if (!m_tls) {
        while (taille > 0) {
            const ssize_t n = ::send(m_fd, donnees, size_t(taille), MSG_NOSIGNAL);
            if (n > 0) {
                donnees += n;
                taille -= n;
            } else if (n < 0 && errno != EINTR) {
                if (errno != EAGAIN && errno != EWOULDBLOCK) {
                    m_erreur = texteErrno(errno);
                    return false;
                }
                if (!attend(POLLOUT, limite))
                    return false;
            }
        }
        return true;
    }
    // OpenSSL writes with write(), which raises SIGPIPE on a closed peer.
    const SansSigpipe sansSigpipe;
    while (taille > 0) {
        ERR_clear_error();
        std::size_t ecrits = 0;
        const int r = SSL_write_ex(m_tls->ssl(), donnees, size_t(taille), &ecrits);
        if (r == 1) {
            donnees += ecrits;
            taille -= qint64(ecrits);
        } else if (!attendTls(r, limite, "envoi TLS")) {
            return false;
        }
    }
    return true;
}

void Prise::TermineTls(const QDeadlineTimer &limite) {
    if (!m_tls || m_fd < 0)
        return;
    {
        const SansSigpipe sansSigpipe;
        for (;;) {
            ERR_clear_error();
            const int r = SSL_shutdown(m_tls->ssl());
            if (r >= 0)
                break;
            if (!attendTls(r, limite, "fin TLS"))
                return;
        }
    }
    ::shutdown(m_fd, SHUT_WR);
    // Whatever the server still sends (its close_notify, a late session
    // ticket) is read and dropped: closing with unread bytes would send a
    // reset, which can make the server discard the end of an upload.
    char poubelle[16 * 1024];
    for (qint64 total = 0; total < VidageMax;) {
        const ssize_t n = ::recv(m_fd, poubelle, sizeof poubelle, 0);
        if (n == 0)
            break;
        if (n > 0) {
            total += n;
            continue;
        }
        if (errno == EINTR)
            continue;
        if ((errno != EAGAIN && errno != EWOULDBLOCK) || !attend(POLLIN, limite))
            break;
    }
}
