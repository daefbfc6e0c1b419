#include "transfers/ActionsSite.h"

#include "browsing/CheminsSite.h"
#include "browsing/NavigateurSite.h"
#include "connection/GestionConnexion.h"
#include "ftp/SessionDistante.h"
#include "platform/Dossiers.h"
#include "platform/LocalLists.h"
#include "platform/Prompts.h"
#include "platform/Sablier.h"
#include "platform/Shell.h"
#include "settings/Reglages.h"
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
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>
#include <QTreeWidget>

namespace {

// A full path from List5 that names exactly the file shown in List4.
bool cheminCorrespond(const QString &chemin, const QString &nom) {
    return NomSimpleValide(nom) && chemin.startsWith(u'/') && NomDeCle(chemin) == nom;
}

// Unselected entries are many and cheap: the loop yields every few
// milliseconds for them rather than after each one.
class Cedeur {
public:
    Cedeur() { m_chrono.start(); }
    void cede() {
        QCoreApplication::processEvents();
        m_chrono.restart();
    }
    void cedeParfois() {
        if (m_chrono.elapsed() >= 15)
            cede();
    }

private:
    QElapsedTimer m_chrono;
};

} // namespace

ActionsSite::ActionsSite(Form1Ui &ui, JournalActivite &journal, EtatFenetre &etat,
                         NavigateurSite &navigateurSite, Progression &progression,
                         GestionConnexion &connexion, QObject *parent)
    : QObject(parent), m_ui(ui), m_journal(journal), m_etat(etat), m_navigateurSite(navigateurSite),
      m_progression(progression), m_connexion(connexion) {
    RecDelta_Click = [this](int index) {
        if (QToolButton *b = m_ui.RecDelta.value(index))
            b->click();
    };
    new RangeeBoutons(
        m_ui.BTs, [this](int indice) { BTs_Click(indice); },
        [this](int indice) { BTs_MouseMove(indice); }, this);
}

ActionsSite::~ActionsSite() = default;

void ActionsSite::BTs_MouseMove(int Index) {
    const QToolButton *bouton = m_ui.BTs.value(Index);
    if (!bouton)
        return;
    // Past the window's right edge, the hint box ends at that edge.
    MontreBulle(m_ui, bouton, Twips::Gauche(bouton) + Twips::Gauche(m_ui.fraSite));
}

QString ActionsSite::cleChoisie() const {
    const QTreeWidgetItem *noeud = m_ui.NoeudSelectionne();
    return noeud ? noeud->data(0, Form1Ui::RoleCle).toString() : QString();
}

// The folder whose files the site list shows: the one last listed. Names of
// the list are joined to it, never to a node merely clicked since.
QString ActionsSite::dossierAffiche() const {
    if (const QListWidgetItem *chemin = m_ui.List5->item(0))
        return DossierDuChemin(chemin->text());
    return cleChoisie();
}

bool ActionsSite::vueComparaison() const {
    return !m_ui.List1->isHidden();
}

void ActionsSite::BTs_Click(int Index) {
    // A click taken while another operation yields waits for nothing: it is
    // dropped (a second FTP command can't run meanwhile anyway).
    if (m_progression.OperationEnCours() || (oFTP && oFTP->EnCours()))
        return;
    if (vueComparaison() && Index != 4 && Index != 6 && Index != 10)
        return;
    // Every action but the reconnection reads the site views; the
    // reconnection's listing waits for the running one by itself.
    if (Index != 0 && m_navigateurSite.RefusePendantListe())
        return;
    Progression::Occupation occupation(m_progression);
    switch (Index) {
    case 0:
        m_connexion.Reconnecte(0);
        break;
    case 1:
        remonte();
        break;
    case 2:
        creeDossier();
        break;
    case 3:
        renomme();
        break;
    case 4:
        supprimeFichiers();
        break;
    case 5:
        supprimeDossier();
        break;
    case 6:
        ouvre();
        break;
    case 10:
        telechargeSelection();
        break;
    case 11:
        effaceCache();
        break;
    default:
        break;
    }
}

// ------------------------------------------------------------- the actions

void ActionsSite::remonte() {
    const QTreeWidgetItem *noeud = m_ui.NoeudSelectionne();
    if (!noeud) {
        m_journal.Ecrit(LigneErreur, "Ro");
        return;
    }
    if (const QTreeWidgetItem *parent = noeud->parent())
        m_navigateurSite.RafraichitSite(parent->data(0, Form1Ui::RoleCle).toString());
}

void ActionsSite::creeDossier() {
    const QString cle = cleChoisie();
    if (cle.isEmpty())
        return;
    const QString nom =
        PromptsCourant()
            .Saisie(QStringLiteral("Création"), QStringLiteral("Nom du nouveau répertoire:"))
            .value_or(QString());
    if (nom.isEmpty())
        return;
    // A name with a separator or ".." would create a folder elsewhere.
    if (!NomSimpleValide(nom) ||
        !m_progression.Appel([&] { return oFTP->CreeRepertoire(cle + nom); })) {
        m_journal.Ecrit(LigneErreur, "Ro");
        return;
    }
    m_journal.Ecrit(QStringLiteral(" > Création du répertoire ") + nom, "Am");
    m_navigateurSite.RafraichitSite(cle);
}

void ActionsSite::renomme() {
    const int ligne = m_ui.List4->currentRow();
    const QListWidgetItem *element = m_ui.List4->item(ligne);
    const QListWidgetItem *cheminElement = m_ui.List5->item(ligne);
    if (!element || !cheminElement)
        return;
    const QString nom = element->text();
    const QString chemin = cheminElement->text();
    if (!cheminCorrespond(chemin, nom)) {
        m_journal.Ecrit(LigneErreur, "Ro");
        return;
    }
    const QString dossier = DossierDuChemin(chemin);
    const QString nouveau =
        PromptsCourant()
            .Saisie(QStringLiteral("Renommer"), QStringLiteral("Nouveau nom du fichier:"), nom)
            .value_or(QString());
    if (nouveau.isEmpty())
        return;
    // The server would replace a file of the new name without a word: a name
    // the folder already lists is refused like a name that leaves the folder.
    const QString cible = dossier + nouveau;
    bool occupe = false;
    for (int i = 0; i < m_ui.List5->count() && !occupe; ++i)
        occupe = m_ui.List5->item(i)->text() == cible;
    if (const QTreeWidgetItem *noeud = m_ui.NoeudSelectionne()) {
        for (int i = 0; i < noeud->childCount() && !occupe; ++i)
            occupe =
                noeud->child(i)->data(0, Form1Ui::RoleCle).toString() == cible + QLatin1Char('/');
    }
    // The list may be filtered: the server is asked too.
    if (!occupe && NomSimpleValide(nouveau))
        occupe = m_progression.Appel([&] { return short(oFTP->TailleOctets(cible) >= 0); });
    if (!NomSimpleValide(nouveau) || occupe ||
        !m_progression.Appel([&] { return oFTP->RenommeFichier(chemin, cible); })) {
        m_journal.Ecrit(LigneErreur, "Ro");
        return;
    }
    m_journal.Ecrit(QStringLiteral(" > ") + nom + QStringLiteral(" renommé en ") + nouveau, "Am");
    m_navigateurSite.RafraichitSite(dossier);
}

void ActionsSite::supprimeFichiers() {
    if (vueComparaison()) {
        if (m_ui.List2->currentRow() < 0)
            return;
        const QString dossier = dossierAffiche();
        for (const EntreeListe &e : EntreesListe(m_ui.List2, nullptr)) {
            if (!e.choisie)
                continue;
            if (NomSimpleValide(e.nom) &&
                m_progression.Appel([&] { return oFTP->EffaceFichier(dossier + e.nom); }))
                m_journal.Ecrit(QStringLiteral(" > Suppresion du fichier ") + e.nom, "Am");
            else
                m_journal.Ecrit(LigneErreur, "Ro");
        }
        m_navigateurSite.RafraichitSite(dossier);
        m_ui.List1->hide();
        RecDelta_Click(m_etat.ListeCliquee());
        return;
    }

    QString dernierDossier;
    for (const EntreeListe &e : EntreesListe(m_ui.List4, m_ui.List5)) {
        if (!e.choisie)
            continue;
        // Only the very file the list shows.
        if (!cheminCorrespond(e.chemin, e.nom)) {
            m_journal.Ecrit(LigneErreur, "Ro");
            continue;
        }
        dernierDossier = DossierDuChemin(e.chemin);
        if (m_progression.Appel([&] { return oFTP->EffaceFichier(e.chemin); }))
            m_journal.Ecrit(QStringLiteral(" > Suppresion du fichier ") + e.nom, "Am");
        else
            m_journal.Ecrit(LigneErreur, "Ro");
    }
    // Nothing handled: the view stays as it is.
    if (!dernierDossier.isEmpty())
        m_navigateurSite.RafraichitSite(dernierDossier);
}

void ActionsSite::supprimeDossier() {
    const QTreeWidgetItem *noeud = m_ui.NoeudSelectionne();
    if (!noeud)
        return;
    const QString cle = noeud->data(0, Form1Ui::RoleCle).toString();
    // The site's root can't be deleted.
    if (cle.isEmpty() || cle == QLatin1String("/"))
        return;
    const QString texte = noeud->text(0);
    const QTreeWidgetItem *parent = noeud->parent();
    const QString cleParent =
        parent ? parent->data(0, Form1Ui::RoleCle).toString() : DossierDuChemin(cle.chopped(1));
    if (PromptsCourant().Question(QStringLiteral("Suppression"),
                                  QStringLiteral("Etes-vous sûr de vouloir supprimer ") + texte +
                                      QStringLiteral(" ?"),
                                  Prompts::Choix::OuiNon) != Prompts::Bouton::Oui)
        return;
    if (!m_progression.Appel([&] { return oFTP->EffaceRepertoire(cle); })) {
        m_journal.Ecrit(LigneErreur, "Ro");
        return;
    }
    m_journal.Ecrit(QStringLiteral(" > Suppresion du répertoire ") + texte, "Am");
    m_navigateurSite.RafraichitSite(cleParent);
}

bool ActionsSite::PrepareDossierTemp() {
    QString raison;
    if (CreeDossierTemp(&raison))
        return true;
    m_journal.Ecrit(QStringLiteral(" > ") + raison, "Ro");
    return false;
}

void ActionsSite::ouvre() {
    // Refused, nothing is written there (it may be a link put in its place).
    const bool pret = PrepareDossierTemp();
    QString nom, distant;
    if (vueComparaison()) {
        const QListWidgetItem *element = m_ui.List2->currentItem();
        if (!element)
            return;
        nom = element->text();
        QString dossier = dossierAffiche();
        if (!dossier.endsWith(u'/'))
            dossier += QLatin1Char('/');
        distant = dossier + nom;
    } else {
        const int ligne = m_ui.List4->currentRow();
        const QListWidgetItem *element = m_ui.List4->item(ligne);
        const QListWidgetItem *chemin = m_ui.List5->item(ligne);
        if (!element || !chemin)
            return;
        nom = element->text();
        distant = chemin->text();
        if (!cheminCorrespond(distant, nom)) {
            m_journal.Ecrit(LigneErreur, "Ro");
            return;
        }
    }
    // The copy must land inside the temporary folder.
    if (!NomSimpleValide(nom)) {
        m_journal.Ecrit(LigneErreur, "Ro");
        return;
    }
    m_journal.Ecrit(QStringLiteral(" > Chargement en répertoire temporaire de ") + nom, "Ve");
    const QString local = JoindreChemin(DossierTemp(), nom);
    if (!pret || !m_progression.Transfert(
                     nom, [&] { return oFTP->DownloadFichierDansDossier(distant, local); })) {
        m_journal.Ecrit(QStringLiteral(" > Impossible d'ouvrir le fichier"), "Ro");
        return;
    }
    m_journal.Ecrit(QStringLiteral(" > Ouverture du fichier..."), "Ve");
    ShellCourant().OuvreDocument(local);
}

bool ActionsSite::telecharge(const QString &distant, const QString &nom) {
    short ok = 0;
    if (NomSimpleValide(nom)) {
        const QString local = JoindreChemin(m_ui.filLocal->Path(), nom);
        ok = m_progression.Transfert(
            nom, [&] { return oFTP->DownloadFichierDansDossier(distant, local); }, true);
    }
    return RapporteTelechargement(m_journal, m_ui, ok != 0, nom);
}

void ActionsSite::telechargeSelection() {
    Sablier sablier;
    m_progression.InitProgression();
    // "Annuler" is shown: it stops before the next file.
    m_etat.DefinitCnDl(0);
    bool annule = false;
    const QString dossier = dossierAffiche();
    Cedeur cedeur;
    if (vueComparaison()) {
        const QVector<EntreeListe> liste = EntreesListe(m_ui.List2, nullptr);
        const int total = NombreChoisies(liste);
        int fait = 0;
        for (const EntreeListe &e : liste) {
            if (e.choisie) {
                ++fait;
                cedeur.cede();
                if ((annule = m_etat.CnDl() != 0))
                    break;
                if (telecharge(dossier + e.nom, e.nom))
                    Deselectionne(m_ui.List2, e.ligne, e.nom);
            }
            m_progression.AfficheProgression(fait, total, 0, 0);
            if (e.choisie)
                cedeur.cede();
            else
                cedeur.cedeParfois();
        }
        // "Annuler" during the last file stopped that one.
        if (annule || m_etat.CnDl() != 0)
            m_journal.Ecrit(LigneAnnulation, "Am");
        m_navigateurSite.RafraichitSite(dossier);
        m_ui.List1->hide();
        RecDelta_Click(m_etat.ListeCliquee());
    } else {
        const QVector<EntreeListe> liste = EntreesListe(m_ui.List4, m_ui.List5);
        const int total = NombreChoisies(liste);
        int fait = 0;
        for (const EntreeListe &e : liste) {
            if (e.choisie) {
                ++fait;
                m_progression.AfficheProgression(fait, total, 0, 0);
                cedeur.cede();
                if ((annule = m_etat.CnDl() != 0))
                    break;
                // The listed file itself, from the folder the list shows.
                const QString distant =
                    cheminCorrespond(e.chemin, e.nom) ? e.chemin : dossier + e.nom;
                if (telecharge(distant, e.nom))
                    Deselectionne(m_ui.List4, e.ligne, e.nom);
                cedeur.cede();
            } else {
                cedeur.cedeParfois();
            }
        }
        // "Annuler" during the last file stopped that one.
        if (annule || m_etat.CnDl() != 0)
            m_journal.Ecrit(LigneAnnulation, "Am");
        m_navigateurSite.RafraichitSite(dossier);
    }
    m_progression.CacheCadre();
}

void ActionsSite::effaceCache() {
    const QString site = Reglages::Lit(Reglages::ADSITE);
    if (site.isEmpty())
        return;
    for (const EntreeListe &e : EntreesListe(m_ui.List4, m_ui.List5)) {
        if (!e.choisie)
            continue;
        const QString adresse = site + e.chemin;
        if (EffaceCache(adresse) == 1)
            m_journal.Ecrit(QStringLiteral(" > Cache supprimé pour ") + adresse, "Ve");
        else
            m_journal.Ecrit(QStringLiteral(" > ") + adresse + QStringLiteral(" absent du cache"),
                            "Am");
    }
}
