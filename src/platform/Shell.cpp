#include "platform/Shell.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QUrl>

bool ShellSysteme::OuvreDocument(const QString &chemin) {
    if (chemin.isEmpty())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(chemin));
}

bool ShellSysteme::OuvreDossier(const QString &chemin) {
    if (chemin.isEmpty())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(chemin));
}

bool ShellSysteme::OuvreAdresseWeb(const QString &adresse) {
    const QUrl url = QUrl::fromUserInput(adresse);
    if (!url.isValid())
        return false;
    return QDesktopServices::openUrl(url);
}

bool ShellSysteme::LanceProgramme(const QString &programme, const QStringList &arguments) {
    if (programme.isEmpty())
        return false;
    return QProcess::startDetached(programme, arguments);
}

bool ShellSysteme::AfficheAide(const QString &fichierAide) {
    if (!QFileInfo(fichierAide).isFile())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(fichierAide));
}

void ShellSysteme::CopieDansPressePapiers(const QString &texte) {
    if (QClipboard *pp = QGuiApplication::clipboard())
        pp->setText(texte);
}

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

namespace {
ServicesShell *g_shell = nullptr;
}

ServicesShell &ShellCourant() {
    static ShellSysteme systeme;
    return g_shell ? *g_shell : systeme;
}

void DefinitShell(ServicesShell *service) {
    g_shell = service;
}
