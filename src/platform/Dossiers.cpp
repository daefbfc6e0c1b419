#include "platform/Dossiers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "settings/Reglages.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString DossierProgramme() {
    return Reglages::DossierProgramme();
}

QString DossierTemp() {
    const QString force = qEnvironmentVariable("QUILLON_TEMP_DIR");
    if (!force.isEmpty())
        return QDir::cleanPath(force);
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return QString();
    return QDir::cleanPath(cache + QLatin1Char('/') + Reglages::NomApplication());
}

bool CreeDossierTemp(QString *raison) {
    const QString dossier = DossierTemp();
    const auto refus = [&](const QString &texte) {
        if (raison)
            *raison = texte;
        return false;
    };
    const auto erreurSysteme = [&](int numero) {
        return refus(QStringLiteral("Dossier temporaire « %1 » : %2")
                         .arg(dossier, QString::fromLocal8Bit(std::strerror(numero))));
    };
    if (dossier.isEmpty())
        return refus(QStringLiteral("Aucun dossier temporaire : ni XDG_CACHE_HOME ni HOME."));
    if (!QDir().mkpath(QFileInfo(dossier).absolutePath()))
        return refus(QStringLiteral("Impossible de créer le dossier ") +
                     QFileInfo(dossier).absolutePath());
    const QByteArray chemin = QFile::encodeName(dossier);
    if (::mkdir(chemin.constData(), 0700) != 0 && errno != EEXIST)
        return erreurSysteme(errno);
    // Checked and mended through the folder itself, never through a link.
    const int fd = ::open(chemin.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP || errno == ENOTDIR)
            return refus(QStringLiteral("Dossier temporaire « %1 » : ce n'est pas un dossier "
                                        "(un lien ?), rien n'y est copié.")
                             .arg(dossier));
        return erreurSysteme(errno);
    }
    struct stat etat {};
    bool bon = ::fstat(fd, &etat) == 0;
    int numero = bon ? 0 : errno;
    if (bon && etat.st_uid != ::geteuid()) {
        ::close(fd);
        return refus(QStringLiteral("Dossier temporaire « %1 » : il appartient à un autre "
                                    "utilisateur, rien n'y est copié.")
                         .arg(dossier));
    }
    if (bon && (etat.st_mode & 07777) != 0700 && ::fchmod(fd, 0700) != 0) {
        bon = false;
        numero = errno;
    }
    ::close(fd);
    return bon ? true : erreurSysteme(numero);
}

QString AideFichier() {
    const QString programme = DossierProgramme();
    const QStringList candidats{
        programme + QStringLiteral("/AideFTP.html"),
        programme + QStringLiteral("/help/AideFTP.html"),
        programme + QStringLiteral("/resources/help/AideFTP.html"),
        QDir::cleanPath(programme + QStringLiteral("/../share/quillon/help/AideFTP.html")),
    };
    for (const QString &c : candidats) {
        if (QFileInfo(c).isFile())
            return c;
    }
    return candidats.first();
}
