#pragma once

#include "ftp/FtpSession.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

// Where a download is written. A regular file, or a new one, is replaced only
// once the whole file has arrived. Any other target that exists, a device, a
// FIFO or a terminal, is written in place: renaming a file over /dev/null or a
// FIFO would destroy it.
//
// A path the user chose (one file, "get f /dev/stdout") is followed through
// its symbolic links, as cp and curl do. A file named after the server's in a
// folder never is: a link already there, even one pointing nowhere, is
// refused rather than written through, and the temporary file is created
// anew in that folder. A folder copy's folder must not be a link either; the
// folder the user is in may be one (they chose it).
class Destination {
public:
    Destination(const QString &chemin, FtpSession::Cible cible)
        : m_chemin(chemin), m_fichier(chemin), m_cible(cible) {}
    ~Destination() { abandonne(); }
    Destination(const Destination &) = delete;
    Destination &operator=(const Destination &) = delete;

    bool ouvre(QString &erreur) {
        if (m_cible != FtpSession::Cible::Choisie)
            return ouvreDansDossier(erreur);
        const QByteArray natif = QFile::encodeName(m_chemin);
        struct stat st {};
        if (::stat(natif.constData(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
            const int fd = ::open(natif.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            if (fd < 0) {
                erreur = texteOuverture();
                return false;
            }
            if (garde(fd))
                return true;
        }
        if (!m_fichier.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            erreur = QStringLiteral("%1 : %2").arg(m_chemin, m_fichier.errorString());
            return false;
        }
        return true;
    }

    int fd() const {
        if (m_enPlace >= 0)
            return m_enPlace;
        return m_temporaire >= 0 ? m_temporaire : m_fichier.handle();
    }

    void abandonne() {
        if (m_enPlace >= 0) {
            ::close(m_enPlace);
            m_enPlace = -1;
        } else if (m_temporaire >= 0) {
            ::close(m_temporaire);
            m_temporaire = -1;
            ::unlinkat(m_dossier, m_nomTemporaire.constData(), 0);
        } else if (m_fichier.isOpen()) {
            m_fichier.cancelWriting();
        }
        if (m_dossier >= 0) {
            ::close(m_dossier);
            m_dossier = -1;
        }
    }

    bool termine(QString &erreur) {
        if (m_enPlace >= 0) {
            const int fd = std::exchange(m_enPlace, -1);
            if (::close(fd) != 0 && errno != EINTR) {
                erreur = QStringLiteral("%1 : %2").arg(m_chemin,
                                                       QString::fromLocal8Bit(strerror(errno)));
                return false;
            }
            return true;
        }
        if (m_temporaire >= 0) {
            // renameat replaces whatever holds the name now, a link that
            // appeared meanwhile included, and never writes through it.
            if (::fsync(m_temporaire) != 0 || ::close(std::exchange(m_temporaire, -1)) != 0 ||
                ::renameat(m_dossier, m_nomTemporaire.constData(), m_dossier, m_nom.constData()) !=
                    0) {
                erreur = QStringLiteral("%1 : %2").arg(m_chemin,
                                                       QString::fromLocal8Bit(strerror(errno)));
                if (m_temporaire >= 0)
                    ::close(std::exchange(m_temporaire, -1));
                ::unlinkat(m_dossier, m_nomTemporaire.constData(), 0);
                return false;
            }
            return true;
        }
        if (!m_fichier.commit()) {
            erreur = QStringLiteral("%1 : %2").arg(m_chemin, m_fichier.errorString());
            return false;
        }
        return true;
    }

    static QString texteLienRefuse(const QString &chemin) {
        return QStringLiteral("%1 : lien symbolique refusé").arg(chemin);
    }

private:
    // Why an in-place open failed. Those opens are non-blocking, so that a
    // FIFO that nobody reads fails at once (ENXIO) instead of waiting forever
    // for a reader; a link refused by O_NOFOLLOW gives ELOOP.
    QString texteOuverture() const {
        return errno == ENXIO   ? QStringLiteral("%1 : aucun programme ne le lit").arg(m_chemin)
               : errno == ELOOP ? texteLienRefuse(m_chemin)
                                : QStringLiteral("%1 : %2").arg(
                                      m_chemin, QString::fromLocal8Bit(strerror(errno)));
    }

    // Keeps an opened device or FIFO for writing in place; false (and closed)
    // when it has become a regular file meanwhile, to be replaced safely.
    bool garde(int fd) {
        struct stat ouvert {};
        if (::fstat(fd, &ouvert) == 0 && !S_ISREG(ouvert.st_mode)) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            m_enPlace = fd;
            return true;
        }
        ::close(fd);
        return false;
    }

    bool ouvreDansDossier(QString &erreur) {
        const QFileInfo info(m_chemin);
        m_nom = QFile::encodeName(info.fileName());
        const QString dossier = info.path();
        const int sansLien = m_cible == FtpSession::Cible::DansCopieDossier ? O_NOFOLLOW : 0;
        m_dossier = ::open(QFile::encodeName(dossier).constData(),
                           O_RDONLY | O_DIRECTORY | sansLien | O_CLOEXEC);
        if (m_dossier < 0) {
            erreur = errno == ELOOP || errno == ENOTDIR
                         ? texteLienRefuse(dossier)
                         : QStringLiteral("%1 : %2").arg(dossier,
                                                         QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        struct stat st {};
        mode_t droits = 0;
        if (::fstatat(m_dossier, m_nom.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISLNK(st.st_mode)) {
                erreur = texteLienRefuse(m_chemin);
                return false;
            }
            if (S_ISDIR(st.st_mode)) {
                erreur = QStringLiteral("%1 : %2").arg(m_chemin,
                                                       QString::fromLocal8Bit(strerror(EISDIR)));
                return false;
            }
            if (!S_ISREG(st.st_mode)) {
                const int fd = ::openat(m_dossier, m_nom.constData(),
                                        O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
                if (fd < 0) {
                    erreur = texteOuverture();
                    return false;
                }
                if (garde(fd))
                    return true;
            }
            droits = st.st_mode & 07777;
        } else if (errno != ENOENT) {
            erreur =
                QStringLiteral("%1 : %2").arg(m_chemin, QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        // O_EXCL: a name that exists, a link included, is never opened.
        for (int essai = 0; essai < 100 && m_temporaire < 0; ++essai) {
            m_nomTemporaire =
                ".quillon-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
            m_temporaire = ::openat(m_dossier, m_nomTemporaire.constData(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (m_temporaire < 0 && errno != EEXIST)
                break;
        }
        if (m_temporaire < 0) {
            erreur =
                QStringLiteral("%1 : %2").arg(m_chemin, QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        // A file replaced keeps its permissions, as a rewrite would.
        if (droits != 0)
            ::fchmod(m_temporaire, droits);
        return true;
    }

    QString m_chemin;
    QSaveFile m_fichier;
    FtpSession::Cible m_cible;
    int m_enPlace = -1;
    // A folder download: the folder, the name in it and the temporary file.
    int m_dossier = -1;
    QByteArray m_nom;
    QByteArray m_nomTemporaire;
    int m_temporaire = -1;
};
