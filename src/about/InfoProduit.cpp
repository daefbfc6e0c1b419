#include "about/InfoProduit.h"

#ifndef QUILLON_VERSION_MAJEURE
#define QUILLON_VERSION_MAJEURE 3
#define QUILLON_VERSION_MINEURE 3
#define QUILLON_VERSION_REVISION 0
#endif
#ifndef QUILLON_SITE_AUTEUR
#define QUILLON_SITE_AUTEUR ""
#endif

namespace InfoProduit {

int VersionMajeure() {
    return QUILLON_VERSION_MAJEURE;
}
int VersionMineure() {
    return QUILLON_VERSION_MINEURE;
}
int VersionRevision() {
    return QUILLON_VERSION_REVISION;
}

QString LigneVersion() {
    return QStringLiteral("Version: %1.%2").arg(VersionMajeure()).arg(VersionMineure());
}

QString SiteAuteur() {
    QString site = QString::fromUtf8(QUILLON_SITE_AUTEUR).trimmed();
    while (site.endsWith(QLatin1Char('/')))
        site.chop(1);
    return site;
}

QString ContactAuteur() {
    const QString site = SiteAuteur();
    if (site.isEmpty())
        return QString();
    return site + QStringLiteral("/contacter.php?sub=Quillon V %1.%2.%3")
                      .arg(VersionMajeure())
                      .arg(VersionMineure())
                      .arg(VersionRevision());
}

} // namespace InfoProduit
