#pragma once

#include <QString>
#include <QVector>

// Remote folder paths begin and end with "/" ("/" is the site root); a remote
// file path is its folder's path immediately followed by the name.

// One node of the site tree's chain from the root to the current folder.
struct NoeudChaine {
    QString cle;   // the folder's path
    QString texte; // the host for the root, else the folder's own name
    int image;     // index in the tree's picture list
};

// Pictures of the tree's nodes.
enum ImageArbre { ImageSousDossier = 1, ImageDossierOuvert = 2, ImageSite = 11 };

// The chain of folders from the root down to `dossier`, root first: every
// node of it is expanded in the tree. "/" gives the root alone.
QVector<NoeudChaine> ChaineDossiers(const QString &dossier, const QString &hote);

// A folder path in the tree's form: a leading and a trailing "/" added when
// missing; empty gives "/".
QString DossierSiteNormalise(const QString &dossier);

// What follows the last "/" of a key ("/a/b/readme.txt" -> "readme.txt").
QString NomDeCle(const QString &cle);

// The folder part of a remote file path, up to and including its last "/";
// "/" when there is none.
QString DossierDuChemin(const QString &chemin);

// The window title that tells running instances apart: every "/" of the
// folder becomes a space.
QString TitreInstance(const QString &dossier);
