#pragma once

#include "browsing/LienGlisser.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class Dictionnaire;
class EtatFenetre;
class JournalActivite;
class NavigateurLocal;
class QListWidget;
class QPoint;
class QTreeWidgetItem;
class QWidget;
struct Form1Ui;

// The line of an operation refused while the site list is still filling.
inline const QString LigneListeEnCours =
    QStringLiteral(" > Opération refusée : la liste du site est en cours de chargement");

// The automation dialog as the file-pick mode sees it. The dialog plugs itself
// in here; until it does, a pick only changes the flags and the backgrounds.
struct LienAutomatisation {
    // The local file picked in filLocal goes into the dialog's local-file box.
    std::function<void(const QString &ficLoc)> DefinitFichierLocal;
    // The site pick fills the dialog and shows it.
    struct ChoixSite {
        QString ficDist; // remote folder of the pick + the local file's name
        QString site;    // the session's host, user and password
        QString utilisateur;
        QString motDePasse;
        QString info; // text of the dialog's information label
    };
    std::function<void(const ChoixSite &)> RemplitEtMontre;
    // Shows the dialog again (a local pick made after the site pick).
    std::function<void()> Montre;
};

// The site pane: the folder tree trvSiteDir, the file list List4 and its
// hidden twin List5 (full remote paths, same order), List2 and the web-address
// box TCop(1). RafraichitSite is the one procedure that lists a remote folder
// into these views. `fenetre` is the window whose title names the folder
// when another instance runs.
class NavigateurSite : public QObject {
    Q_OBJECT
public:
    NavigateurSite(Form1Ui &ui, JournalActivite &journal, EtatFenetre &etat, QWidget &fenetre,
                   LienGlisser glisser, QObject *parent = nullptr);
    ~NavigateurSite() override;

    // The local pane, which a tree folder is dragged onto; it links itself
    // here when it is built (null: unlinked).
    void RelieNavigateurLocal(NavigateurLocal *local) { m_local = local; }

    // Lists the remote folder `chemin` (a path beginning and ending with "/")
    // into the tree (the chain from the root, then the sub-folders) and into
    // List4/List5. A listing that fails leaves the lists empty and logs a red
    // line; false then, and when the listing waits for the end of another
    // FTP operation (asked while one runs) and so has not happened yet.
    bool RafraichitSite(const QString &chemin);
    // Both panes back to their normal display.
    void AfficheListesNormales();
    // The comparison lists List1 and List2 hidden, List4 and the filter back.
    static void QuitteListesComparees(Form1Ui &ui);

    // True while a listing fills the site views (they yield between steps, so
    // handlers run meanwhile with a partial List4/List5).
    bool ListeEnCours() const { return m_enCours; }
    // For the operations that read the site views: true, with a log line,
    // when they must not start because the views are still filling.
    bool RefusePendantListe();
    // For the comparison: true, with a red line, when the last listing
    // failed, so that the empty site list is not taken for an empty folder.
    bool RefuseSansListe();

    // Handlers
    void trvSiteDir_DblClick();
    void trvSiteDir_MouseDown();
    void trvSiteDir_MouseMove(Qt::MouseButtons boutons, const QPoint &global);
    // True when the release ended a folder drag over the local folder list.
    bool trvSiteDir_MouseUp(const QPoint &global);
    void List2_MouseDown();
    void List4_MouseDown();
    void List4_DblClick();
    void List2_DblClick();
    void TCop_DblClick(int index);
    void TCop_MouseMove();
    void List6_MouseMove();

    // The site actions (open a remote file, download the selected files) run
    // by a double-click; by default they press the buttons BTs(6) and BTs(10).
    std::function<void(int index)> BTs_Click;
    LienAutomatisation Automatisation;

    // Entries added to the views between two yields to the event loop.
    static constexpr int EntreesParPas = 1000;

    bool eventFilter(QObject *objet, QEvent *evenement) override;

private:
    bool liste(const QString &chemin);
    bool litDossier(const QString &dossier, Dictionnaire &dictionnaire, int &incomprises,
                    QString &raison);
    void remplitArbre(const QString &dossier, const Dictionnaire &dictionnaire, QStringList &noms,
                      QStringList &chemins);
    void remplitListes(const QStringList &noms, const QStringList &chemins);
    void termineListe(const QString &dossier, int incomprises, const QString &raison);
    void surDoubleClicListe();
    void afficheTaille();
    void pointeurArbre(const QString &image);
    bool auDessusDe(const QWidget *w, const QPoint &global) const;

    Form1Ui &m_ui;
    JournalActivite &m_journal;
    EtatFenetre &m_etat;
    QWidget &m_fenetre;
    LienGlisser m_glisser;
    NavigateurLocal *m_local = nullptr;
    bool m_enCours = false;
    bool m_listeEchouee = false;
    QString m_demande; // a folder asked for while a listing or transfer ran
    bool m_demandeEnAttente = false;
    QTimer m_attente;
    QString m_clePressee;     // key of the tree node the last press was on
    QString m_tailleDemandee; // a file clicked while the session was busy
    QTimer m_attenteTaille;
};
