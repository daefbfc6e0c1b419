#include "window/TableDepot.h"

#include <initializer_list>

namespace {

// A test on the dragged control: one of these names or one of these kinds.
struct Test {
    std::initializer_list<const char *> noms;
    std::initializer_list<const char *> genres;

    bool tient(const QString &nom, const QString &genre) const {
        for (const char *n : noms)
            if (nom == QLatin1String(n))
                return true;
        for (const char *g : genres)
            if (genre == QLatin1String(g))
                return true;
        return false;
    }
};

struct Regle {
    const char *cible;
    Test depot;
    Test survol;
    const QString &imageOui;
    const QString &imageNon;
};

// List2 shows the accepting picture for more sources than its drop takes:
// only a comparison entry of the local side is uploaded from there.
const Regle Regles[] = {
    {"List1", {{"List2"}, {}}, {{"List2"}, {}}, ImageFichierAccepte, ImageFichierRefuse},
    {"List2",
     {{"List1"}, {}},
     {{"List1", "List3"}, {"FileListBox"}},
     ImageFichierAccepte,
     ImageFichierRefuse},
    {"List3", {{"List4"}, {}}, {{"List4"}, {}}, ImageFichierAccepte, ImageFichierRefuse},
    {"List4",
     {{"List3", "List1"}, {"FileListBox"}},
     {{"List1", "List3"}, {"FileListBox"}},
     ImageFichierAccepte,
     ImageFichierRefuse},
    {"filLocal", {{"List4"}, {}}, {{}, {"ListBox"}}, ImageFichierAccepte, ImageFichierRefuse},
    {"trvSiteDir", {{}, {"DirListBox"}}, {{}, {"DirListBox"}}, ImageDossierAccepte, ImageFenetre},
    {"dirLocal", {{}, {}}, {{}, {"TreeView"}}, ImageDossierAccepte, ImageFenetre},
};

const Regle *regle(const QString &cible) {
    for (const Regle &r : Regles)
        if (cible == QLatin1String(r.cible))
            return &r;
    return nullptr;
}

} // namespace

bool DepotAccepte(const QString &cible, const QString &nomSource, const QString &genreSource) {
    const Regle *r = regle(cible);
    return r && r->depot.tient(nomSource, genreSource);
}

QString ImageSurvol(const QString &cible, const QString &nomSource, const QString &genreSource) {
    const Regle *r = regle(cible);
    if (!r)
        return QString();
    return r->survol.tient(nomSource, genreSource) ? r->imageOui : r->imageNon;
}
