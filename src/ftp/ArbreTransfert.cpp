#include "ftp/ArbreTransfert.h"

#include "ftp/Destination.h"
#include "ftp/Dictionnaire.h"
#include "ftp/ListingParser.h"

#include <QDir>
#include <QFileInfo>

#include <deque>

namespace {

// A folder waiting to be listed, and how deep under the root it is.
struct Attente {
    QString relatif;
    int profondeur;
};

QString dossierDe(const QString &racine, const QString &relatif) {
    return relatif.isEmpty() ? racine : racine + relatif + QLatin1Char('/');
}

// True when `relatif` lies in one of `echoues` (or is one of them).
bool sousUnEchec(const QSet<QString> &echoues, const QString &relatif) {
    if (echoues.isEmpty())
        return false;
    for (qsizetype i = relatif.indexOf(u'/'); i >= 0; i = relatif.indexOf(u'/', i + 1)) {
        if (echoues.contains(relatif.left(i)))
            return true;
    }
    return echoues.contains(relatif);
}

} // namespace

ArbreTransfert::ArbreTransfert(Journal journal) : m_journal(std::move(journal)) {}

void ArbreTransfert::setLimites(int profondeur, int entrees) {
    m_profondeurMax = profondeur;
    m_entreesMax = entrees;
}

void ArbreTransfert::setAnnulation(std::function<bool()> annule) {
    m_annule = std::move(annule);
}

QString ArbreTransfert::Joins(const QString &relatif, const QString &nom) {
    // The parser already refuses such names in a listing; a name joined here
    // is checked again, whoever gave it.
    if (!ListingParser::NomAcceptable(nom))
        return QString();
    return relatif.isEmpty() ? nom : relatif + QLatin1Char('/') + nom;
}

bool ArbreTransfert::CreeDossierLocal(const QString &destination, const QString &relatif) {
    const QString chemin = destination + QLatin1Char('/') + relatif;
    const QFileInfo existant(chemin);
    if (existant.isSymLink())
        return false;
    if (existant.isDir())
        return true;
    return !existant.exists() && QDir().mkdir(chemin);
}

void ArbreTransfert::echec(const QString &ligne) {
    m_incomplet = true;
    if (m_journal)
        m_journal(ligne, true);
}

bool ArbreTransfert::annule() {
    if (!m_annulee && m_annule && m_annule())
        m_annulee = true;
    return m_annulee;
}

// Past the bound nothing more is gathered and nothing is copied: a copy of
// part of the tree would read as the whole.
bool ArbreTransfert::compteEntree() {
    if (++m_entrees <= m_entreesMax)
        return true;
    echec(QStringLiteral(" > Arborescence trop grande : plus de %1 entrées, copie arrêtée")
              .arg(m_entreesMax));
    return false;
}

void ArbreTransfert::recommence() {
    m_dossiers.clear();
    m_fichiers.clear();
    m_entrees = 0;
    m_incomplet = m_annulee = false;
}

// A sub-folder found at `profondeur`: kept for the copy, or the walk stops
// past the depth bound.
bool ArbreTransfert::entreDossier(const QString &relatif, int profondeur) {
    if (profondeur > m_profondeurMax) {
        echec(QStringLiteral(" > Arborescence trop profonde : plus de %1 niveaux sous ")
                  .arg(m_profondeurMax) +
              relatif + QStringLiteral(", copie arrêtée"));
        return false;
    }
    m_dossiers << relatif;
    return true;
}

bool ArbreTransfert::ParcoursSite(const QString &racine, const ListeSite &liste) {
    recommence();
    // Breadth first: parents are listed (and later made) before their
    // sub-folders, and the root's own files come first.
    std::deque<Attente> aLister{{QString(), 0}};
    while (!aLister.empty()) {
        if (annule())
            return false;
        const Attente courant = aLister.front();
        aLister.pop_front();
        const QString dossier = dossierDe(racine, courant.relatif);
        Dictionnaire dic;
        QString raison;
        if (!liste(dic, dossier, raison)) {
            echec(QStringLiteral(" > Liste du dossier ") + dossier +
                  QStringLiteral(" impossible : ") +
                  (raison.isEmpty() ? QStringLiteral("erreur inconnue") : raison));
            continue;
        }
        for (const Dictionnaire::Entree &e : dic.Entrees()) {
            // Keys are "?" + folder + name + "/" for a sub-folder, folder +
            // name for anything else. A link is listed as a file (its target
            // is not known): never entered, and a download that fails says so.
            const bool sousDossier = e.cle().startsWith(u'?');
            const QString relatif = Joins(courant.relatif, e.element().toString());
            if (relatif.isEmpty()) {
                echec(QStringLiteral(" > Nom refusé dans le dossier ") + dossier);
                continue;
            }
            if (!compteEntree())
                return false;
            if (!sousDossier) {
                m_fichiers << relatif;
                continue;
            }
            if (!entreDossier(relatif, courant.profondeur + 1))
                return false;
            aLister.push_back({relatif, courant.profondeur + 1});
        }
    }
    return true;
}

bool ArbreTransfert::ParcoursLocal(const QString &racine) {
    recommence();
    QString base = racine;
    if (!base.endsWith(u'/'))
        base += QLatin1Char('/');
    std::deque<Attente> aLister{{QString(), 0}};
    while (!aLister.empty()) {
        if (annule())
            return false;
        const Attente courant = aLister.front();
        aLister.pop_front();
        const QString chemin = dossierDe(base, courant.relatif);
        const QDir dir(chemin);
        if (!QFileInfo(chemin).isReadable() || !dir.exists()) {
            echec(QStringLiteral(" > Liste du dossier ") + chemin +
                  QStringLiteral(" impossible : lecture refusée"));
            continue;
        }
        const QFileInfoList entrees = dir.entryInfoList(
            QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
        for (const QFileInfo &fi : entrees) {
            const QString relatif = Joins(courant.relatif, fi.fileName());
            if (relatif.isEmpty()) {
                echec(QStringLiteral(" > Nom refusé dans le dossier ") + chemin);
                continue;
            }
            if (!compteEntree())
                return false;
            if (fi.isSymLink() && fi.isDir()) {
                // Followed, a link to a folder may lead back up the tree.
                if (m_journal)
                    m_journal(QStringLiteral(" > Lien symbolique ") + relatif +
                                  QStringLiteral(" non suivi"),
                              false);
            } else if (fi.isDir()) {
                if (!entreDossier(relatif, courant.profondeur + 1))
                    return false;
                aLister.push_back({relatif, courant.profondeur + 1});
            } else if (fi.isFile() && !fi.isSymLink() &&
                       Destination::EstFichierDeReprise(fi.fileName())) {
                continue; // an unfinished download of this program's
            } else if (fi.isFile() || fi.isSymLink()) {
                // A link to a file is sent as the file; a dangling one fails
                // when it is read, and is named then.
                m_fichiers << relatif;
            } else {
                // A pipe or a device would never end, or block the read.
                echec(QStringLiteral(" > Fichier spécial non copié : ") + relatif);
            }
        }
    }
    return true;
}

bool ArbreTransfert::creeDossiers(const std::function<bool(const QString &relatif)> &creeDossier,
                                  QSet<QString> &echoues) {
    for (const QString &relatif : std::as_const(m_dossiers)) {
        if (annule())
            return false;
        // Inside a folder that could not be made: that folder is named.
        if (sousUnEchec(echoues, relatif))
            continue;
        if (!creeDossier(relatif)) {
            echoues.insert(relatif);
            echec(QStringLiteral(" > Création échouée du répertoire ") + relatif);
        }
    }
    return true;
}

ArbreTransfert::Bilan
ArbreTransfert::Copie(const std::function<bool(const QString &relatif)> &creeDossier,
                      const std::function<bool(const QString &relatif)> &copieFichier,
                      const QString &ligneEchecFichier,
                      const std::function<void(int, int, const QString &)> &apresFichier) {
    Bilan bilan;
    QSet<QString> echoues;
    if (!creeDossiers(creeDossier, echoues)) {
        bilan.annule = true;
        return bilan;
    }
    const int total = int(m_fichiers.size());
    for (int i = 0; i < total; ++i) {
        if (annule()) {
            bilan.annule = true;
            break;
        }
        const QString &relatif = m_fichiers.at(i);
        if (sousUnEchec(echoues, relatif))
            continue;
        if (copieFichier(relatif)) {
            ++bilan.copies;
            if (apresFichier)
                apresFichier(i, total, relatif);
        } else {
            m_incomplet = true;
            if (m_journal)
                m_journal(ligneEchecFichier + relatif, true);
        }
    }
    bilan.erreur = m_incomplet;
    return bilan;
}

ArbreTransfert::Bilan ArbreTransfert::CopieLot(
    const std::function<bool(const QString &relatif)> &creeDossier,
    const std::function<bool(const QStringList &fichiers, const FinFichier &fin)> &copieLot,
    const QString &ligneEchecFichier,
    const std::function<void(int, int, const QString &)> &apresFichier) {
    Bilan bilan;
    QSet<QString> echoues;
    if (!creeDossiers(creeDossier, echoues)) {
        bilan.annule = true;
        return bilan;
    }
    QStringList lot;
    for (const QString &relatif : std::as_const(m_fichiers))
        if (!sousUnEchec(echoues, relatif))
            lot << relatif;
    const int total = int(m_fichiers.size());
    int faits = 0;
    const bool complet = lot.isEmpty() || copieLot(lot, [&](const QString &relatif, bool ok) {
                             ++faits;
                             if (ok) {
                                 ++bilan.copies;
                                 if (apresFichier)
                                     apresFichier(faits, total, relatif);
                             } else {
                                 m_incomplet = true;
                                 if (m_journal)
                                     m_journal(ligneEchecFichier + relatif, true);
                             }
                         });
    if (!complet)
        bilan.annule = m_annulee = true;
    bilan.erreur = m_incomplet;
    return bilan;
}
