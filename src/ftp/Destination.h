#pragma once

#include "ftp/FtpSession.h"

#include <QByteArrayList>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QString>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

// Where a download is written (prepare, then ouvrePartiel). A regular file,
// or a new one, is replaced only once the whole file has arrived. Any other
// target that exists, a device, a FIFO or a terminal, is written in place:
// renaming a file over /dev/null or a FIFO would destroy it.
//
// A path the user chose (one file, "get f /dev/stdout") is followed through
// its symbolic links, as cp and curl do. A file named after the server's in a
// folder never is: a link already there, even one pointing nowhere, is
// refused rather than written through, and the partial file is created anew
// in that folder. A folder copy's folder must not be a link either; the
// folder the user is in may be one (they chose it).
//
// The partial file has a stable hidden name beside the target,
// ".NAME.quillon-partiel", and is described by ".NAME.quillon-reprise": where
// the bytes came from (protocol, user, host, port, path), the file's size and
// date on the server then, and the partial file's device and inode. A later
// download continues it only when all of that still holds, and starts it
// over otherwise; a partial file without a matching description is never
// continued. The description is a file of its own rather than an extended
// attribute (tmpfs, FAT and many network file systems have none) or a part
// of the name (which must be found again from the target's name alone).
// While a download writes the partial file it holds a lock on it.
class Destination {
public:
    // A partial download or its description, by name: what a folder sent
    // upwards leaves out, being no file of the user's.
    static constexpr char SuffixePartiel[] = ".quillon-partiel";
    static constexpr char SuffixeInfo[] = ".quillon-reprise";
    static bool EstFichierDeReprise(const QString &nom) {
        return nom.startsWith(u'.') && (nom.endsWith(QLatin1String(SuffixePartiel)) ||
                                        nom.endsWith(QLatin1String(SuffixeInfo)));
    }

    // Where a download's bytes come from, and the file's state on the server.
    struct Origine {
        QString source; // protocol, user, host, port and path
        qint64 taille = -1;
        QString date; // modification time, as the server gives it
        bool connue() const { return !source.isEmpty() && taille >= 0 && !date.isEmpty(); }
    };

    Destination(const QString &chemin, FtpSession::Cible cible)
        : m_chemin(chemin), m_cible(cible) {}
    ~Destination() { abandonne(); }
    Destination(const Destination &) = delete;
    Destination &operator=(const Destination &) = delete;

    // Checks the target and opens its folder, creating nothing yet: a device
    // or FIFO is opened to be written in place. A path the user chose is
    // followed through its links first.
    bool prepare(QString &erreur) {
        if (m_cible != FtpSession::Cible::Choisie)
            return verifieDansDossier(erreur) && nommePartiel();
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
        QString reel = m_chemin;
        for (int n = 0; QFileInfo(reel).isSymLink(); ++n) {
            if (n == 40) {
                erreur = QStringLiteral("%1 : %2").arg(m_chemin,
                                                       QString::fromLocal8Bit(strerror(ELOOP)));
                return false;
            }
            reel = QFileInfo(reel).symLinkTarget();
        }
        return verifieDansDossier(erreur, reel) && nommePartiel();
    }

    // After prepare: the target is a regular file (or a new one), which a
    // partial file may stand for.
    bool reprenable() const { return m_enPlace < 0 && m_dossier >= 0; }

    // A description of a partial file lies beside the target.
    bool partielPresent() const {
        struct stat st {};
        return reprenable() &&
               ::fstatat(m_dossier, m_nomInfo.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    }

    // Opens the partial file for a download of `origine`. With `reprendre`,
    // the one an earlier download of the same origin left is continued and
    // `depuis` gets its size; any other is removed and a new one started.
    // `change` tells that the one removed came from the same file in another
    // state. Without a known origin (no size or date from the server), a
    // temporary file of a random name is used instead, removed on failure.
    // A target written in place needs nothing more.
    bool ouvrePartiel(const Origine &origine, bool reprendre, qint64 &depuis, bool &change,
                      QString &erreur) {
        depuis = 0;
        change = false;
        if (!reprenable())
            return true; // written in place
        if (!origine.connue()) {
            m_nettoie = partielPresent();
            return creeTemporaire(erreur);
        }
        // A partial file another download holds (its lock) is left to it.
        const int existant = ::openat(m_dossier, m_nomPartiel.constData(),
                                      O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (existant >= 0 && ::flock(existant, LOCK_EX | LOCK_NB) != 0) {
            ::close(existant);
            return creeTemporaire(erreur);
        }
        struct stat st {};
        Origine lue;
        const bool valide = existant >= 0 && ::fstat(existant, &st) == 0 && S_ISREG(st.st_mode) &&
                            st.st_nlink == 1 && litInfo(lue, st);
        const bool meme = valide && lue.source == origine.source && lue.taille == origine.taille &&
                          lue.date == origine.date;
        change = valide && !meme && lue.source == origine.source && st.st_size > 0;
        if (reprendre && meme && st.st_size > 0 && st.st_size < origine.taille) {
            const off_t fin = ::lseek(existant, 0, SEEK_END);
            if (fin > 0) {
                ::fcntl(existant, F_SETFL, ::fcntl(existant, F_GETFL) & ~O_NONBLOCK);
                m_temporaire = existant;
                m_nomTemporaire = m_nomPartiel;
                m_partiel = true;
                depuis = fin;
                return true;
            }
        }
        if (existant >= 0)
            ::close(existant);
        ::unlinkat(m_dossier, m_nomInfo.constData(), 0);
        ::unlinkat(m_dossier, m_nomPartiel.constData(), 0);
        m_temporaire = ::openat(m_dossier, m_nomPartiel.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_temporaire < 0)
            return creeTemporaire(erreur); // taken meanwhile: not resumable
        ::flock(m_temporaire, LOCK_EX | LOCK_NB);
        m_nomTemporaire = m_nomPartiel;
        m_partiel = true;
        if (m_droits != 0)
            ::fchmod(m_temporaire, m_droits);
        if (!ecritInfo(origine))
            m_garde = false;
        return true;
    }

    // Empties the partial file: the server would not start where it ends.
    bool recommence(QString &erreur) {
        if (m_temporaire < 0)
            return true;
        if (::ftruncate(m_temporaire, 0) != 0 || ::lseek(m_temporaire, 0, SEEK_SET) != 0) {
            erreur =
                QStringLiteral("%1 : %2").arg(m_chemin, QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        return true;
    }

    // The partial file is not to be continued: removed when the download fails.
    void jettePartiel() { m_garde = false; }

    int fd() const {
        if (m_enPlace >= 0)
            return m_enPlace;
        return m_temporaire;
    }

    void abandonne() {
        if (m_enPlace >= 0) {
            ::close(m_enPlace);
            m_enPlace = -1;
        } else if (m_temporaire >= 0) {
            // What a failed download received stays, for the next one.
            struct stat st {};
            const bool garde =
                m_partiel && m_garde && ::fstat(m_temporaire, &st) == 0 && st.st_size > 0;
            ::close(m_temporaire);
            m_temporaire = -1;
            if (!garde) {
                ::unlinkat(m_dossier, m_nomTemporaire.constData(), 0);
                if (m_partiel)
                    ::unlinkat(m_dossier, m_nomInfo.constData(), 0);
            }
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
                if (m_partiel)
                    ::unlinkat(m_dossier, m_nomInfo.constData(), 0);
                return false;
            }
            // The target is whole: a partial file of it has no use any more.
            if (m_partiel || m_nettoie) {
                ::unlinkat(m_dossier, m_nomInfo.constData(), 0);
                if (m_nettoie)
                    ::unlinkat(m_dossier, m_nomPartiel.constData(), 0);
            }
            return true;
        }
        erreur = QStringLiteral("%1 : non ouvert").arg(m_chemin);
        return false;
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

    // Opens the target's folder and checks the target: a link or a folder is
    // refused, a device or FIFO is opened to be written in place.
    bool verifieDansDossier(QString &erreur, const QString &chemin = QString()) {
        const QFileInfo info(chemin.isNull() ? m_chemin : chemin);
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
            m_droits = st.st_mode & 07777;
        } else if (errno != ENOENT) {
            erreur =
                QStringLiteral("%1 : %2").arg(m_chemin, QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        return true;
    }

    bool creeTemporaire(QString &erreur) {
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
        if (m_droits != 0)
            ::fchmod(m_temporaire, m_droits);
        return true;
    }

    // The partial file's and its description's names: ".NAME.quillon-partiel"
    // and ".NAME.quillon-reprise", or a digest of NAME where that would be
    // longer than a file name may be.
    bool nommePartiel() {
        if (!reprenable())
            return true;
        QByteArray base = '.' + m_nom;
        if (base.size() + 16 > 255)
            base = ".quillon-" +
                   QCryptographicHash::hash(m_nom, QCryptographicHash::Sha256).toHex().left(32);
        m_nomPartiel = base + SuffixePartiel;
        m_nomInfo = base + SuffixeInfo;
        return true;
    }

    static constexpr qint64 InfoMax = 8192;

    // The description, bound to the partial file `st` by its device and inode.
    bool litInfo(Origine &lue, const struct stat &st) const {
        const int fd = ::openat(m_dossier, m_nomInfo.constData(),
                                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            return false;
        QByteArray texte(InfoMax + 1, Qt::Uninitialized);
        struct stat si {};
        qint64 lus = 0;
        if (::fstat(fd, &si) == 0 && S_ISREG(si.st_mode)) {
            for (ssize_t n = 0; lus <= InfoMax; lus += n) {
                n = ::read(fd, texte.data() + lus, size_t(InfoMax + 1 - lus));
                if (n <= 0)
                    break;
            }
        }
        ::close(fd);
        if (lus <= 0 || lus > InfoMax)
            return false;
        texte.truncate(lus);
        const QByteArrayList lignes = texte.split('\n');
        if (lignes.size() != 6 || lignes[0] != "quillon-reprise 1" || !lignes[5].isEmpty())
            return false;
        const auto valeur = [&](int i, const char *cle) {
            const QByteArray prefixe = QByteArray(cle) + ' ';
            return lignes[i].startsWith(prefixe) ? lignes[i].mid(prefixe.size()) : QByteArray();
        };
        bool ok = false;
        lue.source = QString::fromUtf8(QByteArray::fromPercentEncoding(valeur(1, "source")));
        lue.taille = valeur(2, "taille").toLongLong(&ok);
        lue.date = QString::fromLatin1(valeur(3, "date"));
        return ok && valeur(4, "fichier") == identite(st);
    }

    bool ecritInfo(const Origine &origine) const {
        struct stat st {};
        if (::fstat(m_temporaire, &st) != 0)
            return false;
        const QByteArray texte = "quillon-reprise 1\nsource " +
                                 origine.source.toUtf8().toPercentEncoding("/:@") + "\ntaille " +
                                 QByteArray::number(origine.taille) + "\ndate " +
                                 origine.date.toLatin1() + "\nfichier " + identite(st) + '\n';
        if (texte.size() > InfoMax)
            return false;
        ::unlinkat(m_dossier, m_nomInfo.constData(), 0);
        const int fd = ::openat(m_dossier, m_nomInfo.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        const bool ecrit = ::write(fd, texte.constData(), size_t(texte.size())) == texte.size();
        return ::close(fd) == 0 && ecrit;
    }

    static QByteArray identite(const struct stat &st) {
        return QByteArray::number(quint64(st.st_dev)) + ' ' +
               QByteArray::number(quint64(st.st_ino));
    }

    QString m_chemin;
    FtpSession::Cible m_cible;
    int m_enPlace = -1;
    // A folder download: the folder, the name in it and the temporary file.
    int m_dossier = -1;
    QByteArray m_nom;
    QByteArray m_nomTemporaire;
    int m_temporaire = -1;
    mode_t m_droits = 0; // of the file replaced
    // A download that may be resumed: the partial file and its description.
    QByteArray m_nomPartiel;
    QByteArray m_nomInfo;
    bool m_partiel = false; // m_temporaire is the partial file
    bool m_garde = true;    // kept when the download fails
    bool m_nettoie = false; // a partial file of an earlier download goes once the target is whole
};
