#include "ftp/CanalDonnees.h"

#include <QByteArray>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Measured on loopback: larger blocks only make each send wait longer for room.
constexpr qint64 TailleBloc = 64 * 1024;

QString texteErrno(const char *quoi) {
    return QStringLiteral("%1 : %2").arg(QLatin1String(quoi),
                                         QString::fromLocal8Bit(strerror(errno)));
}

} // namespace

CanalDonnees::~CanalDonnees() {
    Ferme();
}

void CanalDonnees::Ferme() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool CanalDonnees::attend(short evenements, int delaiMs) {
    pollfd p{m_fd, evenements, 0};
    for (;;) {
        const int r = ::poll(&p, 1, delaiMs);
        if (r > 0)
            return true;
        if (r == 0) {
            m_erreur = QStringLiteral("connexion de données inactive (délai dépassé)");
            return false;
        }
        if (errno != EINTR) {
            m_erreur = texteErrno("poll");
            return false;
        }
    }
}

bool CanalDonnees::Connecte(const QHostAddress &hote, quint16 port, int delaiMs) {
    Ferme();
    sockaddr_storage adresse{};
    socklen_t longueur = 0;
    bool v4 = false;
    const quint32 ip4 = hote.toIPv4Address(&v4);
    if (v4) {
        auto *a = reinterpret_cast<sockaddr_in *>(&adresse);
        a->sin_family = AF_INET;
        a->sin_port = htons(port);
        a->sin_addr.s_addr = htonl(ip4);
        longueur = sizeof(sockaddr_in);
    } else if (hote.protocol() == QAbstractSocket::IPv6Protocol) {
        auto *a = reinterpret_cast<sockaddr_in6 *>(&adresse);
        a->sin6_family = AF_INET6;
        a->sin6_port = htons(port);
        const Q_IPV6ADDR ip6 = hote.toIPv6Address();
        std::memcpy(&a->sin6_addr, &ip6, sizeof ip6);
        if (!hote.scopeId().isEmpty())
            a->sin6_scope_id = if_nametoindex(hote.scopeId().toLatin1().constData());
        longueur = sizeof(sockaddr_in6);
    } else {
        m_erreur = QStringLiteral("adresse de données invalide");
        return false;
    }

    m_fd = ::socket(adresse.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_fd < 0) {
        m_erreur = texteErrno("socket");
        return false;
    }
    if (::connect(m_fd, reinterpret_cast<sockaddr *>(&adresse), longueur) != 0) {
        if (errno != EINPROGRESS) {
            m_erreur = texteErrno("connexion de données");
            Ferme();
            return false;
        }
        if (!attend(POLLOUT, delaiMs)) {
            Ferme();
            return false;
        }
        int erreur = 0;
        socklen_t l = sizeof erreur;
        ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &erreur, &l);
        if (erreur != 0) {
            errno = erreur;
            m_erreur = texteErrno("connexion de données");
            Ferme();
            return false;
        }
    }
    return true;
}

qint64 CanalDonnees::Lit(char *tampon, qint64 taille, int delaiMs) {
    for (;;) {
        const ssize_t n = ::recv(m_fd, tampon, size_t(taille), 0);
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            m_erreur = texteErrno("lecture des données");
            return -1;
        }
        if (!attend(POLLIN, delaiMs))
            return -1;
    }
}

bool CanalDonnees::ecritTout(const char *donnees, qint64 taille, int delaiMs) {
    while (taille > 0) {
        const ssize_t n = ::send(m_fd, donnees, size_t(taille), MSG_NOSIGNAL);
        if (n > 0) {
            donnees += n;
            taille -= n;
        } else if (n < 0 && errno != EINTR) {
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                m_erreur = texteErrno("envoi des données");
                return false;
            }
            if (!attend(POLLOUT, delaiMs))
                return false;
        }
    }
    return true;
}

bool CanalDonnees::EnvoieFichier(int fd, qint64 taille, int delaiMs,
                                 const std::function<void(qint64)> &avance) {
    // Plain reads and sends: on loopback they beat sendfile, whose page
    // pinning costs more than the copy it saves.
    QByteArray tampon(TailleBloc, Qt::Uninitialized);
    qint64 envoye = 0;
    const bool jusquALaFin = taille < 0;
    while (jusquALaFin || envoye < taille) {
        const qint64 voulu =
            jusquALaFin ? tampon.size() : std::min<qint64>(taille - envoye, tampon.size());
        const ssize_t n = ::read(fd, tampon.data(), size_t(voulu));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            m_erreur = texteErrno("lecture du fichier local");
            return false;
        }
        if (n == 0 && jusquALaFin)
            break;
        if (n == 0) {
            m_erreur = QStringLiteral("le fichier local a changé pendant l'envoi");
            return false;
        }
        if (!ecritTout(tampon.constData(), n, delaiMs))
            return false;
        envoye += n;
        avance(envoye);
    }
    return true;
}
