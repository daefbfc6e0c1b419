#include "platform/Dossiers.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "settings/Reglages.h"

QString DossierProgramme() {
    return Reglages::DossierProgramme();
}

QString DossierTemp() {
    const QString force = qEnvironmentVariable("QUILLON_TEMP_DIR");
    if (!force.isEmpty())
        return QDir::cleanPath(force);
    const QString programme = DossierProgramme();
    const QString temp = programme + QStringLiteral("/Temp");
    const QFileInfo fi(temp);
    const bool utilisable =
        fi.exists() ? fi.isDir() && fi.isWritable() : QFileInfo(programme).isWritable();
    if (utilisable)
        return temp;
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QLatin1Char('/') + Reglages::NomApplication() + QStringLiteral("/Temp");
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
