#include "platform/InstanceUnique.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtDebug>

#include "settings/Reglages.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

InstanceUnique::InstanceUnique(const QString &nom) {
    const QString n = nom.isEmpty() ? Reglages::NomApplication() : nom;
    // The runtime folder is per user already; the user id in the name keeps
    // users apart in the shared temporary folder used when there is none.
    QString dossier;
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        dossier = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dossier.isEmpty())
        dossier = QDir::tempPath();
    m_chemin = dossier + QLatin1Char('/') + n + QLatin1Char('-') + QString::number(::getuid()) +
               QStringLiteral(".lock");

    const QByteArray chemin = QFile::encodeName(m_chemin);
    const int fd = ::open(chemin.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        qWarning().noquote() << QStringLiteral("Instance unique : impossible d'ouvrir %1 (%2)")
                                    .arg(m_chemin, QString::fromLocal8Bit(strerror(errno)));
        return;
    }
    int r;
    do {
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (r < 0 && errno == EINTR);
    if (r == 0) {
        m_fd = fd;
        // For whoever looks: the holder's process id.
        const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
        if (::ftruncate(fd, 0) == 0 && ::write(fd, pid.constData(), size_t(pid.size())) < 0)
            qWarning("Instance unique : pid non écrit");
        return;
    }
    m_autre = errno == EWOULDBLOCK;
    ::close(fd);
}

InstanceUnique::~InstanceUnique() {
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock; the file stays, harmlessly
}
