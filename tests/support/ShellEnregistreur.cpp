#include "support/ShellEnregistreur.h"

bool ShellEnregistreur::OuvreDocument(const QString &chemin) {
    appels.push_back({QStringLiteral("OuvreDocument"), {chemin}});
    return resultat;
}

bool ShellEnregistreur::OuvreDossier(const QString &chemin) {
    appels.push_back({QStringLiteral("OuvreDossier"), {chemin}});
    return resultat;
}

bool ShellEnregistreur::OuvreAdresseWeb(const QString &adresse) {
    appels.push_back({QStringLiteral("OuvreAdresseWeb"), {adresse}});
    return resultat;
}

bool ShellEnregistreur::LanceProgramme(const QString &programme, const QStringList &arguments) {
    appels.push_back({QStringLiteral("LanceProgramme"), QStringList{programme} + arguments});
    return resultat;
}

bool ShellEnregistreur::AfficheAide(const QString &fichierAide) {
    appels.push_back({QStringLiteral("AfficheAide"), {fichierAide}});
    return resultat;
}

void ShellEnregistreur::CopieDansPressePapiers(const QString &texte) {
    appels.push_back({QStringLiteral("CopieDansPressePapiers"), {texte}});
    pressePapiers = texte;
}
