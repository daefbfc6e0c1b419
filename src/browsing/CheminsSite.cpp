#include "browsing/CheminsSite.h"

QVector<NoeudChaine> ChaineDossiers(const QString &dossier, const QString &hote) {
    QVector<NoeudChaine> chaine;
    QString reste = dossier;
    for (qsizetype barre = reste.indexOf(QLatin1Char('/')); barre >= 0;
         barre = reste.indexOf(QLatin1Char('/'))) {
        if (chaine.isEmpty()) {
            // The root's key is what precedes the first "/" and the "/" itself:
            // "/" for an absolute path.
            chaine.push_back({dossier.left(barre + 1), hote, ImageSite});
        } else {
            const QString nom = reste.left(barre);
            chaine.push_back({chaine.last().cle + nom + QLatin1Char('/'), nom, ImageDossierOuvert});
        }
        reste = reste.mid(barre + 1);
    }
    return chaine;
}

QString DossierSiteNormalise(const QString &dossier) {
    QString d = dossier;
    if (!d.startsWith(QLatin1Char('/')))
        d.prepend(QLatin1Char('/'));
    if (!d.endsWith(QLatin1Char('/')))
        d.append(QLatin1Char('/'));
    return d;
}

QString NomDeCle(const QString &cle) {
    return cle.mid(cle.lastIndexOf(QLatin1Char('/')) + 1);
}

QString DossierDuChemin(const QString &chemin) {
    const qsizetype barre = chemin.lastIndexOf(QLatin1Char('/'));
    return barre < 0 ? QStringLiteral("/") : chemin.left(barre + 1);
}

QString TitreInstance(const QString &dossier) {
    QString titre = dossier;
    return titre.replace(QLatin1Char('/'), QLatin1Char(' '));
}
