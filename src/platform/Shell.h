#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// The shell services: open a document, a folder or a web address, start a
// program, show the help, put text on the clipboard. The boolean results are
// false when the request could not even be handed over; ShellCourant()
// reports such a failure to open anything (see DefinitRapportShell).
class ServicesShell {
public:
    virtual ~ServicesShell() = default;
    virtual bool OuvreDocument(const QString &chemin) = 0;
    virtual bool OuvreDossier(const QString &chemin) = 0;
    virtual bool OuvreAdresseWeb(const QString &adresse) = 0;
    // The arguments are handed to the program as they are, never re-split.
    virtual bool LanceProgramme(const QString &programme, const QStringList &arguments) = 0;
    virtual bool AfficheAide(const QString &fichierAide) = 0;
    virtual void CopieDansPressePapiers(const QString &texte) = 0;
};

// The real services: xdg-open (its failure, once it has ended, is reported
// too), QDesktopServices where it is absent or a sandbox's portal is the
// way, QProcess::startDetached, QClipboard.
class ShellSysteme : public ServicesShell {
public:
    bool OuvreDocument(const QString &chemin) override;
    bool OuvreDossier(const QString &chemin) override;
    bool OuvreAdresseWeb(const QString &adresse) override;
    bool LanceProgramme(const QString &programme, const QStringList &arguments) override;
    bool AfficheAide(const QString &fichierAide) override;
    void CopieDansPressePapiers(const QString &texte) override;
};

// The process-wide service: the system one unless replaced. DefinitShell does
// not take ownership; nullptr restores the system service.
ServicesShell &ServiceShell();
void DefinitShell(ServicesShell *service);
// What the program calls: that service, seen through a layer that reports
// every document, folder, address or help it could not open.
ServicesShell &ShellCourant();

// Where those failures go (the window's activity log, as a red line); without
// a receiver, a warning on stderr. An empty function removes the receiver.
void DefinitRapportShell(std::function<void(const QString &ligne)> rapport);
void SignaleEchecShell(const QString &ligne);
