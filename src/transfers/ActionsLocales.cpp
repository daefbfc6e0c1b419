#include "transfers/ActionsLocales.h"

#include "browsing/NavigateurSite.h"
#include "ftp/SessionDistante.h"
#include "platform/LocalLists.h"
#include "platform/Prompts.h"
#include "platform/Sablier.h"
#include "platform/Shell.h"
#include "transfers/EntreesListe.h"
#include "transfers/Progression.h"
#include "transfers/TransfertsDossiers.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/JournalActivite.h"
#include "window/RangeeBoutons.h"
#include "window/Twips.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>
#include <QTreeWidget>

namespace {

bool visible(const QWidget *w) {
    return !w->isHidden();
}

QString elementCourant(const QListWidget *liste) {
    const QListWidgetItem *e = liste->currentItem();
    return e ? e->text() : QString();
}

} // namespace

ActionsLocales::ActionsLocales(Form1Ui &ui, JournalActivite &journal, EtatFenetre &etat,
                               NavigateurSite &navigateurSite, Progression &progression,
                               QObject *parent)
    : QObject(parent), m_ui(ui), m_journal(journal), m_etat(etat), m_navigateurSite(navigateurSite),
      m_progression(progression) {
    RecDelta_Click = [this](int index) {
        if (QToolButton *b = m_ui.RecDelta.value(index))
            b->click();
    };
    Vert_Click = [this](int index) {
        if (QToolButton *b = m_ui.Vert.value(index))
            b->click();
    };
    QMap<int, QToolButton *> boutons;
    for (int indice : {1, 2, 3, 4, 5, 6, 10, 11}) {
        if (QToolButton *bouton = m_ui.BTL.value(indice))
            boutons.insert(indice, bouton);
    }
    new RangeeBoutons(
        boutons, [this](int indice) { BTL_Click(indice); },
        [this](int indice) { BTL_MouseMove(indice); }, this);
}

ActionsLocales::~ActionsLocales() = default;

void ActionsLocales::BTL_MouseMove(int Index) {
    const QToolButton *bouton = m_ui.BTL.value(Index);
    if (!bouton)
        return;
    MontreBulle(m_ui, bouton, Twips::Gauche(bouton) + Twips::Gauche(m_ui.fraLocal));
}

void ActionsLocales::metAJourCompte() {
    m_ui.AfficheNombreLocal();
}

void ActionsLocales::BTL_Click(int Index) {
    if (m_progression.OperationEnCours())
        return;
    const bool vueAlternative = visible(m_ui.List1) || visible(m_ui.List3);
    if (vueAlternative && (Index == 1 || Index == 2 || Index == 3 || Index == 5))
        return;
    // The upload can't start while another transfer is on its way.
    if (Index == 10 && oFTP && oFTP->EnCours())
        return;
    // It sends into the site tree's folder and lists it again after.
    if (Index == 10 && m_navigateurSite.RefusePendantListe())
        return;
    Progression::Occupation occupation(m_progression);
    bool ok = true;
    switch (Index) {
    case 1:
        ok = remonte();
        break;
    case 2:
        ok = creeDossier();
        break;
    case 3:
        ok = renomme();
        break;
    case 4:
        ok = supprimeFichiers();
        break;
    case 5:
        ok = supprimeDossier();
        break;
    case 6:
        ouvre();
        break;
    case 10:
        envoieSelection();
        break;
    case 11:
        recharge();
        break;
    default:
        break;
    }
    if (!ok)
        m_journal.Ecrit(LigneErreur, "Ro");
}

// ------------------------------------------------------------- the actions

bool ActionsLocales::remonte() {
    DirListBox *dossiers = m_ui.dirLocal;
    const int i = dossiers->ListIndex();
    // One level above the highlighted folder. A highlighted sub-folder's
    // parent is the current folder: the list stays where it is.
    const QString cible = i < 0 ? dossiers->List(i - 1) : dossiers->Path();
    if (cible.isEmpty() || cible == dossiers->Path())
        return true; // at the root
    return dossiers->setPath(cible);
}

bool ActionsLocales::creeDossier() {
    const QString nom =
        PromptsCourant()
            .Saisie(QStringLiteral("Création"), QStringLiteral("Nom du nouveau répertoire:"))
            .value_or(QString());
    if (nom.isEmpty())
        return true;
    // A separator or ".." would create the folder somewhere else.
    if (!NomSimpleValide(nom) || !QDir().mkdir(JoindreChemin(m_ui.filLocal->Path(), nom)))
        return false;
    m_journal.Ecrit(QStringLiteral(" > Création du répertoire ") + nom, "Am");
    m_ui.dirLocal->Refresh();
    return true;
}

bool ActionsLocales::renomme() {
    FileListBox *fichiers = m_ui.filLocal;
    const int i = fichiers->ListIndex();
    if (i < 0)
        return true;
    const QString ancien = fichiers->List(i);
    const QString nouveau =
        PromptsCourant()
            .Saisie(QStringLiteral("Renommer"), QStringLiteral("Nouveau nom du fichier:"), ancien)
            .value_or(QString());
    if (nouveau.isEmpty())
        return true;
    const QString dossier = fichiers->Path();
    const QString cible = JoindreChemin(dossier, nouveau);
    // Never over an existing file or folder.
    if (!NomSimpleValide(nouveau) || QFileInfo::exists(cible) ||
        !QFile::rename(JoindreChemin(dossier, ancien), cible))
        return false;
    m_journal.Ecrit(QStringLiteral(" > ") + ancien + QStringLiteral(" renommé en ") + nouveau,
                    "Am");
    fichiers->Refresh();
    metAJourCompte();
    return true;
}

bool ActionsLocales::supprime(const QString &nom) {
    const QString chemin = JoindreChemin(m_ui.filLocal->Path(), nom);
    // Only a file of the listed folder.
    if (!NomSimpleValide(nom) || QFileInfo(chemin).isDir() || !QFile::remove(chemin))
        return false;
    m_journal.Ecrit(QStringLiteral(" > Suppresion du fichier ") + nom, "Am");
    return true;
}

bool ActionsLocales::supprimeChoisis(QListWidget *liste, bool compteApresChacun) {
    for (const EntreeListe &e : EntreesListe(liste)) {
        if (!e.choisie)
            continue;
        if (!supprime(e.nom))
            return false;
        if (compteApresChacun) {
            m_ui.filLocal->Refresh();
            metAJourCompte();
        }
    }
    return true;
}

bool ActionsLocales::supprimeFichiers() {
    // The view shown when the button was pressed decides which selection is
    // meant; a hidden list's selection is never touched.
    const bool comparaison = visible(m_ui.List1);
    const bool tri = visible(m_ui.List3);
    bool ok = true;
    if (comparaison && m_ui.List1->currentRow() >= 0) {
        ok = supprimeChoisis(m_ui.List1, false);
        if (ok) {
            m_ui.filLocal->Refresh();
            m_ui.List1->hide();
            RecDelta_Click(m_etat.ListeCliquee());
        }
    }
    if (ok && tri && m_ui.List3->currentRow() >= 0) {
        ok = supprimeChoisis(m_ui.List3, true);
        if (ok)
            Vert_Click(2);
    }
    if (ok && !comparaison && !tri && m_ui.filLocal->ListIndex() >= 0)
        ok = supprimeChoisis(m_ui.filLocal, false);
    // Also after a failure: the list shows what is left on the disk.
    m_ui.filLocal->Refresh();
    metAJourCompte();
    return ok;
}

bool ActionsLocales::supprimeDossier() {
    const QString dossier = m_ui.dirLocal->List(m_ui.dirLocal->ListIndex());
    if (dossier.isEmpty())
        return true;
    if (PromptsCourant().Question(QStringLiteral("Suppression"),
                                  QStringLiteral("Etes-vous sûr de vouloir supprimer ") + dossier +
                                      QStringLiteral(" ?"),
                                  Prompts::Choix::OuiNon) != Prompts::Bouton::Oui)
        return true;
    // An empty folder only.
    if (!QDir().rmdir(dossier))
        return false;
    m_journal.Ecrit(QStringLiteral(" > Suppresion du répertoire ") + dossier, "Am");
    m_ui.dirLocal->Refresh();
    m_ui.filLocal->Refresh();
    metAJourCompte();
    return true;
}

void ActionsLocales::ouvre() {
    const auto ouvreFichier = [this](const QString &nom) {
        if (NomSimpleValide(nom))
            ShellCourant().OuvreDocument(JoindreChemin(m_ui.filLocal->Path(), nom));
    };
    if (visible(m_ui.List1) && m_ui.List1->currentRow() >= 0)
        ouvreFichier(elementCourant(m_ui.List1));
    if (!visible(m_ui.List1) && !visible(m_ui.List3) && m_ui.filLocal->ListIndex() >= 0)
        ouvreFichier(m_ui.filLocal->List(m_ui.filLocal->ListIndex()));
    if (visible(m_ui.List3) && m_ui.List3->currentRow() >= 0)
        ouvreFichier(elementCourant(m_ui.List3));
}

bool ActionsLocales::envoie(const QString &cle, const QString &nom) {
    short ok = 0;
    if (NomSimpleValide(nom)) {
        const QString local = JoindreChemin(m_ui.filLocal->Path(), nom);
        const QString distant = cle + nom;
        ok = m_progression.Transfert(nom, [&] { return oFTP->UploadFichier(local, distant); });
    }
    return RapporteEnvoi(m_journal, ok != 0, nom);
}

void ActionsLocales::envoieSelection() {
    Sablier sablier;
    m_progression.InitProgression();
    const QString cle = m_ui.CleNoeudSelectionne();
    // Without a selected site folder there is nowhere to send to.
    if (cle.isEmpty()) {
        m_progression.CacheCadre();
        return;
    }
    // "Annuler" is shown: it stops before the next file.
    m_etat.DefinitCnDl(0);
    bool annule = false;
    const bool comparaison = visible(m_ui.List1);
    const bool tri = visible(m_ui.List3);
    // A list covered by a shown view keeps a selection the user no longer sees.
    const bool normale = visible(m_ui.filLocal) && !comparaison && !tri;
    int total = 0;

    // The alternative lists count the files already handled.
    const auto envoieListe = [&](QListWidget *liste) {
        const QVector<EntreeListe> noms = EntreesListe(liste);
        total += NombreChoisies(noms);
        int fait = 0;
        for (const EntreeListe &e : noms) {
            if (!e.choisie)
                continue;
            m_progression.AfficheProgression(fait, total, 0, 0);
            ++fait;
            QCoreApplication::processEvents();
            if ((annule = m_etat.CnDl() != 0))
                break;
            if (envoie(cle, e.nom))
                Deselectionne(liste, e.ligne, e.nom);
        }
        if (annule)
            m_journal.Ecrit(LigneAnnulation, "Am");
        m_navigateurSite.RafraichitSite(cle);
    };
    if (comparaison) {
        envoieListe(m_ui.List1);
        m_ui.List1->hide();
        RecDelta_Click(m_etat.ListeCliquee());
    }
    if (tri && !annule)
        envoieListe(m_ui.List3);
    if (normale) {
        // The file list counts the file being handled, and redraws for
        // every entry.
        const QVector<EntreeListe> noms = EntreesListe(m_ui.filLocal);
        total += NombreChoisies(noms);
        int fait = 0;
        QElapsedTimer depuisCession;
        depuisCession.start();
        for (const EntreeListe &e : noms) {
            if (e.choisie) {
                // The click was taken by the yield after the previous entry.
                if ((annule = m_etat.CnDl() != 0))
                    break;
                ++fait;
                if (envoie(cle, e.nom))
                    Deselectionne(m_ui.filLocal, e.ligne, e.nom);
            }
            m_progression.AfficheProgression(fait, total, 0, 0);
            if (e.choisie || depuisCession.elapsed() >= 15) {
                QCoreApplication::processEvents();
                depuisCession.restart();
            }
        }
        if (annule)
            m_journal.Ecrit(LigneAnnulation, "Am");
        m_navigateurSite.RafraichitSite(cle);
    }
    m_progression.CacheCadre();
}

void ActionsLocales::recharge() {
    m_ui.filLocal->Refresh();
    m_ui.dirLocal->Refresh();
    m_navigateurSite.AfficheListesNormales();
    metAJourCompte();
}
