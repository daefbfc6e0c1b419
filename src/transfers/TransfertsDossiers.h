#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

#include "ftp/ArbreTransfert.h"
#include "session/CopieParallele.h"

class EtatFenetre;
class JournalActivite;
class NavigateurSite;
class Progression;
class QTreeWidgetItem;
struct Form1Ui;

// The line of every failure that has no message of its own.
inline const QString LigneErreur = QStringLiteral(" > Une erreur s'est produite");
// The line of a multi-file operation stopped by "Annuler".
inline const QString LigneAnnulation = QStringLiteral(" > Déplacement annulé par l'utilisateur");

// A name that stands for one entry inside its folder: not empty, not "." or
// "..", without "/" or "\" (nor a NUL). Anything else would reach outside the
// folder it is joined to.
bool NomSimpleValide(const QString &nom);
// The own name of a local folder path: what follows its last "/" ("" for "/").
QString NomPropre(const QString &chemin);
// The question asked before a folder is copied.
QString TexteConfirmationCopie(const QString &source, const QString &destination);
// The line of how one file's download ended; a success also reads filLocal
// again with its count. Returns `ok`.
bool RapporteTelechargement(JournalActivite &journal, Form1Ui &ui, bool ok, const QString &nom);
// The line of how one file's upload ended. Returns `ok`.
bool RapporteEnvoi(JournalActivite &journal, bool ok, const QString &nom);

// Copies a folder with all its sub-folders between the two sides: the site
// tree's selected folder into a new folder under the local folder highlighted
// in dirLocal, or the highlighted local folder into a new folder under the
// site tree's selected folder (the walk is ArbreTransfert's). With the
// setting "Connexions simultanées" at 1, file after file on the browsing
// session, "Annuler" taking effect between two files; above 1, the files go
// over that many connections of their own (CopieParallele), the browsing
// session left alone, and "Annuler" stops each of them at once.
class TransfertsDossiers : public QObject {
    Q_OBJECT
public:
    TransfertsDossiers(Form1Ui &ui, JournalActivite &journal, EtatFenetre &etat,
                       NavigateurSite &navigateurSite, Progression &progression,
                       QObject *parent = nullptr);
    ~TransfertsDossiers() override;

    void RapatrieDossierSite();
    void EnvoieDossierLocal();

private:
    void lance(void (TransfertsDossiers::*copie)());
    void rapatrie();
    void envoie();
    bool confirme(const QString &source, const QString &destination) const;
    // The local folder `source` under `parent`, made if missing; "" (with the
    // lines of a failure) when the copy can't land there.
    QString creeDossierLocal(const QString &parent, const QString &source);
    // The site folder `source` under `cle`, made if missing, with its "/";
    // "" (frame hidden, lines of a failure) when it is neither made nor there.
    QString creeDossierSite(const QString &cle, const QString &source);
    // The walk with the window's log and cancel request.
    ArbreTransfert nouvelArbre();
    // The tree's folders, then its files: over the connections the setting
    // asks for, or one by one on the browsing session.
    ArbreTransfert::Bilan copieArbre(
        ArbreTransfert &arbre, CopieParallele::Sens sens, const QString &distant,
        const QString &local, const std::function<bool(const QString &relatif)> &creeDossier,
        const QString &ligneEchec,
        const std::function<void(int index, int total, const QString &relatif)> &apresFichier);
    // One file of a folder copy on the browsing session.
    bool copieUnFichier(CopieParallele::Sens sens, const CopieParallele::Fichier &f);
    // The files of the tree over `connexions` connections; false when
    // "Annuler" stopped them.
    bool copieParallele(CopieParallele::Sens sens, int connexions, const QStringList &fichiers,
                        const QString &distant, const QString &local,
                        const ArbreTransfert::FinFichier &fin);
    void echoue(const QString &source);
    void resume(bool annule, bool erreur, int nombre, const QString &source);

    Form1Ui &m_ui;
    JournalActivite &m_journal;
    EtatFenetre &m_etat;
    NavigateurSite &m_navigateurSite;
    Progression &m_progression;
};
