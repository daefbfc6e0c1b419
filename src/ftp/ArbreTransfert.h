#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

class Dictionnaire;

// A whole folder tree copied between the disk and a site, in two steps: the
// walk lists every folder of the source (iteratively, bounded in depth and
// in entries) and gathers its sub-folders and files as paths relative to its
// root; the copy then makes each folder on the other side, parents first,
// and copies each file. No window here: the lines, the cancel request and
// the FTP calls come through callbacks, so the window and quillon-ftp share
// the same walk.
class ArbreTransfert {
public:
    static constexpr int ProfondeurMax = 64;
    static constexpr int EntreesMax = 100'000;

    // A line for the user: `echec` ones name what was not copied.
    using Journal = std::function<void(const QString &ligne, bool echec)>;
    // Lists a site folder ("/a/b/") into the dictionary as clsFTP::EnumereFichier
    // does; false when it can't be read (`raison` then says why, if known).
    using ListeSite =
        std::function<bool(Dictionnaire &dic, const QString &dossier, QString &raison)>;

    explicit ArbreTransfert(Journal journal);

    // Bounds for the next walk (tests make them small).
    void setLimites(int profondeur, int entrees);
    // Checked before each listing and each copy; true stops there.
    void setAnnulation(std::function<bool()> annule);

    // The tree under the site folder `racine` (ending in "/"). False when the
    // walk must not lead to a copy: a bound passed or a cancel (lines said).
    // A folder that can't be listed is named and left out.
    bool ParcoursSite(const QString &racine, const ListeSite &liste);
    // The tree under the local folder `racine`. A link to a file counts as
    // the file; a link to a folder is named and not followed.
    bool ParcoursLocal(const QString &racine);

    // What the walk found, relative to the root with "/" between names:
    // folders parents first, then the files in the order they were listed.
    const QStringList &Dossiers() const { return m_dossiers; }
    const QStringList &Fichiers() const { return m_fichiers; }
    int NombreFichiers() const { return int(m_fichiers.size()); }

    struct Bilan {
        bool annule = false;
        bool erreur = false; // something was named as not copied
        int copies = 0;
    };
    // Makes each folder with `creeDossier(relatif)` and copies each file with
    // `copieFichier(relatif)`; a file that fails gets `ligneEchecFichier` +
    // its path, a folder that can't be made a line of its own (its files are
    // not tried). `apresFichier(index, total, relatif)` follows each copy.
    Bilan Copie(
        const std::function<bool(const QString &relatif)> &creeDossier,
        const std::function<bool(const QString &relatif)> &copieFichier,
        const QString &ligneEchecFichier,
        const std::function<void(int index, int total, const QString &relatif)> &apresFichier = {});

    // The same with the files handed over all at once (those not under a
    // folder that could not be made) to `copieLot`, which copies them in any
    // order, calls `fin(relatif, ok)` for each as it ends and returns false
    // when it was cancelled. `apresFichier` gets the count of files ended.
    using FinFichier = std::function<void(const QString &relatif, bool ok)>;
    Bilan CopieLot(
        const std::function<bool(const QString &relatif)> &creeDossier,
        const std::function<bool(const QStringList &fichiers, const FinFichier &fin)> &copieLot,
        const QString &ligneEchecFichier,
        const std::function<void(int fait, int total, const QString &relatif)> &apresFichier = {});

    // True when the walk itself named folders it could not read or links it
    // did not follow as failures (the copy's summary must then say so).
    bool ParcoursIncomplet() const { return m_incomplet; }
    // The walk or the copy stopped on the cancel request.
    bool Annulee() const { return m_annulee; }

    // "a/b" + "c": a path relative to the root; "" when `nom` is not one plain
    // name (empty, ".", "..", a separator, a control character), which would
    // reach outside the folder it is joined to.
    static QString Joins(const QString &relatif, const QString &nom);
    // The folder `relatif` under the local copy `destination`, made if
    // missing; false for a link (it would take the files wherever it points)
    // or a file in its place.
    static bool CreeDossierLocal(const QString &destination, const QString &relatif);

private:
    void recommence();
    bool entreDossier(const QString &relatif, int profondeur);
    bool compteEntree();
    bool annule();
    void echec(const QString &ligne);
    // Makes the folders; false on a cancel. `echoues` gets those not made.
    bool creeDossiers(const std::function<bool(const QString &relatif)> &creeDossier,
                      QSet<QString> &echoues);

    Journal m_journal;
    std::function<bool()> m_annule;
    int m_profondeurMax = ProfondeurMax;
    int m_entreesMax = EntreesMax;
    int m_entrees = 0;
    bool m_incomplet = false;
    bool m_annulee = false;
    QStringList m_dossiers;
    QStringList m_fichiers;
};
