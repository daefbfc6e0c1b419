#include "platform/Shell.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

const QString LigneAide = QStringLiteral(" > Impossible d'ouvrir l'aide ");
const QString LigneDossier = QStringLiteral(" > Impossible d'ouvrir le dossier ");
const QString LigneFichier = QStringLiteral(" > Impossible d'ouvrir le fichier ");
const QString LigneAdresse = QStringLiteral(" > Impossible d'ouvrir l'adresse ");
const QString SansProgramme =
    QStringLiteral(" : aucun programme pour l'ouvrir (xdg-open ou un navigateur)");

// Through xdg-open when it is there: QDesktopServices only says whether the
// opener started, and xdg-open ends with an error when nothing on the desktop
// can open the address. Inside a sandbox the portal is the way.
bool ouvre(const QUrl &url, const QString &ligneEchec) {
    const bool portail =
        QFileInfo::exists(QStringLiteral("/.flatpak-info")) || qEnvironmentVariableIsSet("SNAP");
    const QString xdg = portail ? QString() : QStandardPaths::findExecutable("xdg-open");
    if (xdg.isEmpty())
        return QDesktopServices::openUrl(url);
    // Left alive past the window if the opener waits for the program it
    // started: deleting it would end that program.
    auto *processus = new QProcess;
    processus->setProgram(xdg);
    processus->setArguments({url.isLocalFile() ? url.toLocalFile() : url.toString()});
    processus->setStandardOutputFile(QProcess::nullDevice());
    processus->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(processus, &QProcess::finished, processus,
                     [processus, ligneEchec](int code, QProcess::ExitStatus etat) {
                         if (etat != QProcess::NormalExit || code != 0)
                             SignaleEchecShell(ligneEchec + SansProgramme);
                         processus->deleteLater();
                     });
    QObject::connect(processus, &QProcess::errorOccurred, processus,
                     [processus, ligneEchec](QProcess::ProcessError erreur) {
                         if (erreur != QProcess::FailedToStart)
                             return;
                         SignaleEchecShell(ligneEchec + SansProgramme);
                         processus->deleteLater();
                     });
    processus->start();
    return true;
}

} // namespace

bool ShellSysteme::OuvreDocument(const QString &chemin) {
    if (chemin.isEmpty())
        return false;
    return ouvre(QUrl::fromLocalFile(chemin), LigneFichier + chemin);
}

bool ShellSysteme::OuvreDossier(const QString &chemin) {
    if (chemin.isEmpty())
        return false;
    return ouvre(QUrl::fromLocalFile(chemin), LigneDossier + chemin);
}

bool ShellSysteme::OuvreAdresseWeb(const QString &adresse) {
    const QUrl url = QUrl::fromUserInput(adresse);
    if (!url.isValid())
        return false;
    return ouvre(url, LigneAdresse + adresse);
}

bool ShellSysteme::LanceProgramme(const QString &programme, const QStringList &arguments) {
    if (programme.isEmpty())
        return false;
    return QProcess::startDetached(programme, arguments);
}

bool ShellSysteme::AfficheAide(const QString &fichierAide) {
    if (!QFileInfo(fichierAide).isFile())
        return false;
    return ouvre(QUrl::fromLocalFile(fichierAide), LigneAide + fichierAide);
}

void ShellSysteme::CopieDansPressePapiers(const QString &texte) {
    if (QClipboard *pp = QGuiApplication::clipboard())
        pp->setText(texte);
}

namespace {

ServicesShell *g_shell = nullptr;
std::function<void(const QString &)> g_rapport;

// Every caller gets the report of a failure to open something, whichever
// service answers; a program that does not start is its caller's to report.
class ShellSignalant : public ServicesShell {
public:
    bool OuvreDocument(const QString &chemin) override {
        return signale(ServiceShell().OuvreDocument(chemin), LigneFichier + chemin);
    }
    bool OuvreDossier(const QString &chemin) override {
        return signale(ServiceShell().OuvreDossier(chemin), LigneDossier + chemin);
    }
    bool OuvreAdresseWeb(const QString &adresse) override {
        return signale(ServiceShell().OuvreAdresseWeb(adresse), LigneAdresse + adresse);
    }
    bool LanceProgramme(const QString &programme, const QStringList &arguments) override {
        return ServiceShell().LanceProgramme(programme, arguments);
    }
    bool AfficheAide(const QString &fichierAide) override {
        // A help file missing from the installation is no opener's fault.
        if (!QFileInfo(fichierAide).isFile()) {
            ServiceShell().AfficheAide(fichierAide);
            SignaleEchecShell(LigneAide + fichierAide + QStringLiteral(" : fichier absent"));
            return false;
        }
        return signale(ServiceShell().AfficheAide(fichierAide), LigneAide + fichierAide);
    }
    void CopieDansPressePapiers(const QString &texte) override {
        ServiceShell().CopieDansPressePapiers(texte);
    }

private:
    static bool signale(bool ok, const QString &ligne) {
        if (!ok)
            SignaleEchecShell(ligne + SansProgramme);
        return ok;
    }
};

} // namespace

ServicesShell &ServiceShell() {
    static ShellSysteme systeme;
    return g_shell ? *g_shell : systeme;
}

ServicesShell &ShellCourant() {
    static ShellSignalant signalant;
    return signalant;
}

void DefinitRapportShell(std::function<void(const QString &ligne)> rapport) {
    g_rapport = std::move(rapport);
}

void SignaleEchecShell(const QString &ligne) {
    if (g_rapport)
        g_rapport(ligne);
    else
        qWarning("%s", qPrintable(ligne.trimmed()));
}

void DefinitShell(ServicesShell *service) {
    g_shell = service;
}
