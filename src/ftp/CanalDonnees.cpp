#include "ftp/CanalDonnees.h"

#include <QByteArray>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// Measured on loopback: larger blocks only make each send wait longer for room.
constexpr qint64 TailleBloc = 64 * 1024;

} // namespace

CanalDonnees::~CanalDonnees() {
    Ferme();
}

void CanalDonnees::Ferme() {
    m_prise.Ferme();
}

bool CanalDonnees::echec(const QString &prefixe) {
    const QString raison = m_prise.Erreur();
    m_erreur = raison == QLatin1String("délai dépassé")
                   ? QStringLiteral("connexion de données inactive (délai dépassé)")
                   : QStringLiteral("%1 : %2").arg(prefixe, raison);
    return false;
}

bool CanalDonnees::Connecte(const QHostAddress &hote, quint16 port, int delaiMs) {
    if (!m_prise.Connecte(hote, port, QDeadlineTimer(delaiMs)))
        return echec(QStringLiteral("connexion de données"));
    return true;
}

bool CanalDonnees::CommenceTls(SSL_CTX *ctx, SSL_SESSION *reprise, const QString &empreinte) {
    m_empreinte = empreinte;
    if (!m_prise.CommenceTls(ctx, QString(), reprise))
        return echec(QStringLiteral("connexion de données"));
    return true;
}

bool CanalDonnees::TermineTls(int delaiMs) {
    if (!m_prise.Poignee(QDeadlineTimer(delaiMs)))
        return echec(QStringLiteral("connexion de données"));
    // The data connection goes to the control peer already; it must also be
    // the same server, not one that got hold of the port in between.
    if (m_prise.Tls()->empreinte() != m_empreinte) {
        m_erreur = QStringLiteral("connexion de données : le certificat n’est pas celui de la "
                                  "connexion de contrôle");
        return false;
    }
    return true;
}

qint64 CanalDonnees::Lit(char *tampon, qint64 taille, int delaiMs) {
    const qint64 n = m_prise.Lit(tampon, taille, QDeadlineTimer(delaiMs));
    if (n < 0)
        echec(QStringLiteral("lecture des données"));
    return n;
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
            m_erreur = QStringLiteral("lecture du fichier local : %1")
                           .arg(QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        if (n == 0 && jusquALaFin)
            break;
        if (n == 0) {
            m_erreur = QStringLiteral("le fichier local a changé pendant l'envoi");
            return false;
        }
        if (!m_prise.Ecrit(tampon.constData(), n, QDeadlineTimer(delaiMs)))
            return echec(QStringLiteral("envoi des données"));
        envoye += n;
        avance(envoye);
    }
    return true;
}

void CanalDonnees::TermineEnvoi(int delaiMs) {
    m_prise.TermineTls(QDeadlineTimer(delaiMs));
    Ferme();
}
