#include "transfers/TransfertsDossiers.h"

#include "browsing/NavigateurSite.h"
#include "ftp/Dictionnaire.h"
#include "ftp/SessionDistante.h"
#include "platform/LocalLists.h"
#include "platform/Prompts.h"
#include "settings/Reglages.h"
#include "transfers/Progression.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/JournalActivite.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QTreeWidget>

bool NomSimpleValide(const QString &nom) {
    if (nom.isEmpty() || nom == QLatin1String(".") || nom == QLatin1String(".."))
        return false;
    for (const QChar c : nom) {
        if (c == u'/' || c == u'\\' || c == QChar(0))
            return false;
    }
    return true;
}

QString NomPropre(const QString &chemin) {
    QString c = chemin;
    while (c.size() > 1 && c.endsWith(u'/'))
        c.chop(1);
    const qsizetype i = c.lastIndexOf(u'/');
    return i < 0 ? c : c.mid(i + 1);
}

QString TexteConfirmationCopie(const QString &source, const QString &destination) {
    return QStringLiteral("Voulez vous copier le répertoire ''") + source +
           QStringLiteral("'' dans le répertoire ''") + destination + QStringLiteral("'' ?");
}

bool RapporteTelechargement(JournalActivite &journal, Form1Ui &ui, bool ok, const QString &nom) {
    if (!ok) {
        journal.Ecrit(QStringLiteral(" > Téléchargement échoué de ") + nom, "Ro");
        return false;
    }
    journal.Ecrit(QStringLiteral(" > Téléchargement réussi de ") + nom, "Ve");
    ui.filLocal->Refresh();
    ui.AfficheNombreLocal();
    return true;
}

bool RapporteEnvoi(JournalActivite &journal, bool ok, const QString &nom) {
    if (!ok) {
        journal.Ecrit(QStringLiteral(" > ''Upload'' échoué de ") + nom, "Ro");
        return false;
    }
    journal.Ecrit(QStringLiteral(" > ''Upload'' réussi de ") + nom, "Ve");
    return true;
}

namespace {

const QString TitreConfirmation = QStringLiteral("Attention !!!");

double secondesDepuis(const QElapsedTimer &chrono) {
    return double(chrono.nsecsElapsed()) / 1e9;
}

} // namespace

TransfertsDossiers::TransfertsDossiers(Form1Ui &ui, JournalActivite &journal, EtatFenetre &etat,
                                       NavigateurSite &navigateurSite, Progression &progression,
                                       QObject *parent)
    : QObject(parent), m_ui(ui), m_journal(journal), m_etat(etat), m_navigateurSite(navigateurSite),
      m_progression(progression) {}

TransfertsDossiers::~TransfertsDossiers() = default;

void TransfertsDossiers::resume(bool annule, bool erreur, int nombre, const QString &source) {
    if (annule)
        m_journal.Ecrit(LigneAnnulation, "Am");
    else if (erreur)
        m_journal.Ecrit(QStringLiteral(" > Il y a eu des erreurs !!!"), "Ro");
    else
        m_journal.Ecrit(QStringLiteral(" > Déplacement réussi de ") + QString::number(nombre) +
                            QStringLiteral(" fichiers dans ") + source,
                        "Ve");
}

// Both copies start alike: one operation at a time, none while a listing
// runs, no cancel left from before, an empty bar.
void TransfertsDossiers::lance(void (TransfertsDossiers::*copie)()) {
    if (m_progression.OperationEnCours() || (oFTP && oFTP->EnCours()))
        return;
    // The copy takes the file names from the site list: never from a part.
    if (m_navigateurSite.RefusePendantListe())
        return;
    Progression::Occupation occupation(m_progression);
    m_etat.DefinitCnDl(0);
    m_progression.InitProgression();
    (this->*copie)();
}

bool TransfertsDossiers::confirme(const QString &source, const QString &destination) const {
    return PromptsCourant().Question(TitreConfirmation, TexteConfirmationCopie(source, destination),
                                     Prompts::Choix::OuiNon) == Prompts::Bouton::Oui;
}

bool TransfertsDossiers::copieUnFichier(CopieParallele::Sens sens,
                                        const CopieParallele::Fichier &f) {
    return m_progression.Transfert(f.relatif, [&] {
        // Every download through the folder copy's: a link in the
        // local tree is never written through.
        return sens == CopieParallele::Sens::Rapatrie
                   ? oFTP->DownloadFichierDansDossier(f.distant, f.local, true)
                   : oFTP->UploadFichier(f.local, f.distant);
    }) != 0;
}

ArbreTransfert::Bilan TransfertsDossiers::copieArbre(
    ArbreTransfert &arbre, CopieParallele::Sens sens, const QString &distant, const QString &local,
    const std::function<bool(const QString &relatif)> &creeDossier, const QString &ligneEchec,
    const std::function<void(int index, int total, const QString &relatif)> &apresFichier) {
    const int connexions = Reglages::ConnexionsSimultanees();
    if (connexions > 1)
        return arbre.CopieLot(
            creeDossier,
            [&](const QStringList &fichiers, const ArbreTransfert::FinFichier &fin) {
                return copieParallele(sens, connexions, fichiers, distant, local, fin);
            },
            ligneEchec, apresFichier);
    return arbre.Copie(
        creeDossier,
        [&](const QString &relatif) {
            return copieUnFichier(sens, {relatif, distant + relatif, local + relatif});
        },
        ligneEchec, apresFichier);
}

bool TransfertsDossiers::copieParallele(CopieParallele::Sens sens, int connexions,
                                        const QStringList &fichiers, const QString &distant,
                                        const QString &local,
                                        const ArbreTransfert::FinFichier &fin) {
    QList<CopieParallele::Fichier> liste;
    liste.reserve(fichiers.size());
    for (const QString &relatif : fichiers)
        liste.append({relatif, distant + relatif, local + relatif});
    // Read here, on the thread that writes the session parameters.
    CopieParallele copie(ModeleConnexion::De(*oFTP), connexions);
    const QString nom = QStringLiteral("%1 connexions").arg(connexions);
    QElapsedTimer chrono;
    chrono.start();
    CopieParallele::Rappels rappels;
    rappels.attente = [this] {
        QCoreApplication::processEvents();
        return m_etat.CnDl() != 0;
    };
    rappels.fin = [&fin](const QString &relatif, bool ok, const QString &) { fin(relatif, ok); };
    rappels.connexionImpossible = [this](const QString &raison) {
        // Not a failure: the files go over the connections that were made.
        m_journal.Ecrit(QStringLiteral(" > Connexion supplémentaire impossible : ") + raison, "Am");
    };
    rappels.octets = [&](qint64 octets) {
        m_progression.AfficheOctets(nom, octets, -1, secondesDepuis(chrono));
    };
    rappels.surLaSessionCourante = [this, sens](const CopieParallele::Fichier &f) {
        return copieUnFichier(sens, f);
    };
    m_progression.DefinitTransfertsParalleles(true);
    const bool complet = copie.Execute(sens, liste, rappels);
    m_progression.DefinitTransfertsParalleles(false);
    return complet;
}

void TransfertsDossiers::echoue(const QString &source) {
    m_journal.Ecrit(LigneErreur, "Ro");
    resume(false, true, 0, source);
}

ArbreTransfert TransfertsDossiers::nouvelArbre() {
    ArbreTransfert arbre(
        [this](const QString &ligne, bool echec) { m_journal.Ecrit(ligne, echec ? "Ro" : "Am"); });
    // "Annuler" is read between two listings and between two files.
    arbre.setAnnulation([this] {
        QCoreApplication::processEvents();
        return m_etat.CnDl() != 0;
    });
    return arbre;
}

// ------------------------------------------------------- site to local disk

void TransfertsDossiers::RapatrieDossierSite() {
    lance(&TransfertsDossiers::rapatrie);
}

QString TransfertsDossiers::creeDossierLocal(const QString &parent, const QString &source) {
    // The node's text names the local folder: it must stay under `parent`.
    if (!NomSimpleValide(source)) {
        echoue(source);
        return QString();
    }
    const QString destination = JoindreChemin(parent, source);
    const QFileInfo existant(destination);
    if (existant.isSymLink()) {
        // The copy would land wherever the link points: never entered.
        m_journal.Ecrit(QStringLiteral(" > Répertoire ") + source +
                            QStringLiteral(" refusé : c'est un lien symbolique"),
                        "Ro");
        resume(false, true, 0, source);
        return QString();
    }
    if (existant.isDir()) {
        m_journal.Ecrit(
            QStringLiteral(" > Répertoire ") + source + QStringLiteral(" déjà existant"), "Am");
    } else if (!existant.exists() && QDir().mkdir(destination)) {
        m_journal.Ecrit(QStringLiteral(" > Création du répertoire ") + source, "Am");
    } else {
        // A file of that name, or a folder that can't be written: nothing can
        // land there.
        echoue(source);
        return QString();
    }
    return destination;
}

void TransfertsDossiers::rapatrie() {
    // Without a selected folder there is nothing to copy.
    const QTreeWidgetItem *noeud = m_ui.NoeudSelectionne();
    if (!noeud)
        return;
    const QString cle = noeud->data(0, Form1Ui::RoleCle).toString();
    const QString source = noeud->text(0);
    const QString parent = m_ui.dirLocal->List(m_ui.dirLocal->ListIndex());
    if (cle.isEmpty() || parent.isEmpty() || !confirme(source, NomPropre(parent)))
        return;
    const QString destination = creeDossierLocal(parent, source);
    if (destination.isEmpty())
        return;
    m_ui.dirLocal->setPath(destination);

    // A site folder that can't be entered would list as empty and the copy
    // would report success with nothing copied; a listing that fails would
    // leave an empty list: not "0 files copied".
    if (!m_progression.Appel([&] { return oFTP->AttribueRepertoireCourant(cle); }) ||
        !m_navigateurSite.RafraichitSite(cle)) {
        echoue(source);
        return;
    }
    // The whole tree, listed before anything is copied: the count is the
    // tree's, and a tree past the bounds copies nothing.
    ArbreTransfert arbre = nouvelArbre();
    const bool parcouru =
        arbre.ParcoursSite(cle, [this](Dictionnaire &dic, const QString &dossier, QString &raison) {
            if (m_progression.Appel([&] { return oFTP->EnumereFichier(dic, dossier); }))
                return true;
            raison = oFTP ? oFTP->DerniereErreur() : QString();
            return false;
        });
    if (!parcouru) {
        resume(arbre.Annulee(), true, 0, source);
        return;
    }
    const int nombre = arbre.NombreFichiers();
    m_journal.Ecrit(QStringLiteral(" > Début du chargement des ") + QString::number(nombre) +
                        QStringLiteral(" fichiers."),
                    "Ve");
    if (nombre > 0) {
        // Shown from the first file on, so that a long first file can be
        // followed and cancelled after.
        m_progression.CentreCadre();
        m_progression.MontreCadre();
    }

    const QString base = destination + QLatin1Char('/');
    double octets = 0;
    QElapsedTimer chrono;
    chrono.start();
    const auto creeDossier = [&](const QString &relatif) {
        return ArbreTransfert::CreeDossierLocal(destination, relatif);
    };
    const QString ligneEchec = QStringLiteral(" > Téléchargement échoué de ");
    const auto apresFichier = [&](int i, int total, const QString &relatif) {
        octets += double(QFileInfo(base + relatif).size());
        m_progression.AfficheProgression(i, total, octets, secondesDepuis(chrono));
        m_ui.filLocal->Refresh();
        m_ui.AfficheNombreLocal();
    };
    const ArbreTransfert::Bilan bilan = copieArbre(arbre, CopieParallele::Sens::Rapatrie, cle, base,
                                                   creeDossier, ligneEchec, apresFichier);
    resume(bilan.annule, bilan.erreur, bilan.copies, source);
    m_progression.CacheCadre();
}

// ------------------------------------------------------ local disk to site

void TransfertsDossiers::EnvoieDossierLocal() {
    lance(&TransfertsDossiers::envoie);
}

QString TransfertsDossiers::creeDossierSite(const QString &cle, const QString &source) {
    // "/" has no name to give the remote folder.
    if (!NomSimpleValide(source)) {
        m_progression.CacheCadre();
        echoue(source);
        return QString();
    }
    const QString cible = cle + source + QLatin1Char('/');
    if (m_progression.Appel([&] { return oFTP->CreeRepertoire(cle + source); })) {
        m_journal.Ecrit(QStringLiteral(" > Création du répertoire ") + source, "Am");
    } else if (m_progression.Appel([&] { return oFTP->AttribueRepertoireCourant(cible); })) {
        m_journal.Ecrit(
            QStringLiteral(" > Répertoire ") + source + QStringLiteral(" déjà présent."), "Am");
    } else {
        // Neither created nor there (no right to write, connection lost).
        m_progression.CacheCadre();
        echoue(source);
        return QString();
    }
    return cible;
}

void TransfertsDossiers::envoie() {
    m_progression.CentreCadre();
    const QString dossier = m_ui.dirLocal->List(m_ui.dirLocal->ListIndex());
    if (dossier.isEmpty() || !m_ui.dirLocal->setPath(dossier))
        return;
    // The files of that folder as the file list shows them.
    FileListBox *fichiers = m_ui.filLocal;
    if (fichiers->Path() != dossier)
        fichiers->setPath(dossier);
    else
        fichiers->Refresh();
    const QString source = NomPropre(dossier);

    // Without a site folder there is nowhere to copy to.
    const QTreeWidgetItem *noeud = m_ui.NoeudSelectionne();
    if (!noeud)
        return;
    const QString cle = noeud->data(0, Form1Ui::RoleCle).toString();
    if (cle.isEmpty() || !confirme(source, noeud->text(0)))
        return;
    m_progression.MontreCadre();
    const QString cible = creeDossierSite(cle, source);
    if (cible.isEmpty())
        return;
    m_navigateurSite.RafraichitSite(cible);
    m_journal.Ecrit(QStringLiteral(" > Téléchargement vers site du dossier ") + source, "Ve");

    const QString chemin = fichiers->Path();
    const QString base = chemin.endsWith(u'/') ? chemin : chemin + QLatin1Char('/');
    ArbreTransfert arbre = nouvelArbre();
    if (!arbre.ParcoursLocal(chemin)) {
        m_progression.CacheCadre();
        resume(arbre.Annulee(), true, 0, source);
        return;
    }
    double octets = 0;
    QElapsedTimer chrono;
    chrono.start();
    // Folders on the browsing session, parents first, before any file.
    const auto creeDossier = [&](const QString &relatif) {
        // Made, or already there (a folder of a former copy).
        return m_progression.Appel([&] { return oFTP->CreeRepertoire(cible + relatif); }) ||
               m_progression.Appel([&] {
                   return oFTP->AttribueRepertoireCourant(cible + relatif + QLatin1Char('/'));
               });
    };
    const QString ligneEchec = QStringLiteral(" > ''Upload'' échoué de ");
    const auto apresFichier = [&](int i, int total, const QString &relatif) {
        octets += double(QFileInfo(base + relatif).size());
        m_progression.AfficheProgression(i, total, octets, secondesDepuis(chrono));
    };
    const ArbreTransfert::Bilan bilan = copieArbre(arbre, CopieParallele::Sens::Envoie, cible, base,
                                                   creeDossier, ligneEchec, apresFichier);
    m_navigateurSite.RafraichitSite(cible);
    m_progression.CacheCadre();
    resume(bilan.annule, bilan.erreur, bilan.copies, source);
}
