#include "browsing/NavigateurSite.h"

#include "browsing/CheminsSite.h"
#include "browsing/NavigateurLocal.h"
#include "browsing/TextesTaille.h"
#include "ftp/Dictionnaire.h"
#include "ftp/SessionDistante.h"
#include "platform/LocalLists.h"
#include "platform/Prompts.h"
#include "platform/Sablier.h"
#include "settings/Reglages.h"
#include "window/CedeDurantFTP.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/Globales.h"
#include "window/JournalActivite.h"
#include "window/TableDepot.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

const QColor Marine(0, 0, 128);

} // namespace

NavigateurSite::NavigateurSite(Form1Ui &ui, JournalActivite &journal, EtatFenetre &etat,
                               QWidget &fenetre, LienGlisser glisser, QObject *parent)
    : QObject(parent), m_ui(ui), m_journal(journal), m_etat(etat), m_fenetre(fenetre),
      m_glisser(std::move(glisser)) {
    m_ui.ilsIcone.insert(ImageSousDossier, DirListBox::ImageDossier(false));
    m_ui.ilsIcone.insert(ImageDossierOuvert, DirListBox::ImageDossier(true));
    m_ui.ilsIcone.insert(ImageSite, QIcon(QStringLiteral(":/navigation/site.svg")));

    BTs_Click = [this](int index) {
        if (QToolButton *b = m_ui.BTs.value(index))
            b->click();
    };

    QTreeWidget *arbre = m_ui.trvSiteDir;
    // Every node is rebuilt by a refresh: a double-click navigates, it does
    // not fold.
    arbre->setExpandsOnDoubleClick(false);
    arbre->viewport()->setMouseTracking(true);
    arbre->viewport()->installEventFilter(this);
    // The refresh rebuilds the tree: it runs after the double-click is over.
    connect(arbre, &QTreeWidget::itemDoubleClicked, this,
            [this] { QTimer::singleShot(0, this, &NavigateurSite::trvSiteDir_DblClick); });

    connect(m_ui.List4, &QListWidget::pressed, this, &NavigateurSite::List4_MouseDown);
    connect(m_ui.List2, &QListWidget::pressed, this, &NavigateurSite::List2_MouseDown);
    connect(m_ui.List4, &QListWidget::itemDoubleClicked, this, &NavigateurSite::List4_DblClick);
    connect(m_ui.List2, &QListWidget::itemDoubleClicked, this, &NavigateurSite::List2_DblClick);

    for (QLineEdit *t : std::as_const(m_ui.TCop)) {
        t->setMouseTracking(true);
        t->installEventFilter(this);
    }
    m_ui.List6->viewport()->setMouseTracking(true);
    m_ui.List6->viewport()->installEventFilter(this);

    m_attente.setInterval(50);
    connect(&m_attente, &QTimer::timeout, this, [this] {
        if (m_enCours || (oFTP && oFTP->EnCours()))
            return;
        m_attente.stop();
        if (!m_demandeEnAttente)
            return;
        m_demandeEnAttente = false;
        liste(m_demande);
    });
    m_attenteTaille.setInterval(50);
    connect(&m_attenteTaille, &QTimer::timeout, this, [this] {
        if (m_enCours || (oFTP && oFTP->EnCours()))
            return;
        m_attenteTaille.stop();
        // Only if that file is still the one selected.
        const QListWidgetItem *chemin = m_ui.List5->item(m_ui.List4->currentRow());
        if (chemin && chemin->text() == m_tailleDemandee && m_ui.List4->isVisible())
            afficheTaille();
    });
}

NavigateurSite::~NavigateurSite() = default;

bool NavigateurSite::eventFilter(QObject *objet, QEvent *evenement) {
    const QEvent::Type type = evenement->type();
    if (objet == m_ui.trvSiteDir->viewport()) {
        const auto *souris = static_cast<QMouseEvent *>(evenement);
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
            const QTreeWidgetItem *presse = m_ui.trvSiteDir->itemAt(souris->position().toPoint());
            m_clePressee = presse ? presse->data(0, Form1Ui::RoleCle).toString() : QString();
            trvSiteDir_MouseDown();
        } else if (type == QEvent::MouseMove) {
            trvSiteDir_MouseMove(souris->buttons(), souris->globalPosition().toPoint());
            // The press is the start of a folder drag: the selection stays on
            // the pressed node, whatever rows the pointer crosses.
            return m_etat.CaDrague() && souris->buttons() != Qt::NoButton;
        } else if (type == QEvent::MouseButtonRelease) {
            // A release that ended a folder drag is not the tree's: left to the
            // tree, it would clear the selection that the copy's listing set.
            return trvSiteDir_MouseUp(souris->globalPosition().toPoint());
        }
        return false;
    }
    if (objet == m_ui.List6->viewport()) {
        if (type == QEvent::MouseMove)
            List6_MouseMove();
        return false;
    }
    for (auto it = m_ui.TCop.cbegin(); it != m_ui.TCop.cend(); ++it) {
        if (objet != it.value())
            continue;
        if (type == QEvent::MouseButtonDblClick)
            TCop_DblClick(it.key());
        else if (type == QEvent::MouseMove)
            TCop_MouseMove();
    }
    return false;
}

// ------------------------------------------------------------ RafraichitSite

bool NavigateurSite::RafraichitSite(const QString &chemin) {
    // One FTP operation at a time: a refresh asked while one runs (from a
    // click handled during its yields) comes once it is over.
    if (m_enCours || (oFTP && oFTP->EnCours())) {
        m_demande = chemin;
        m_demandeEnAttente = true;
        m_attente.start();
        return false;
    }
    return liste(chemin);
}

bool NavigateurSite::liste(const QString &chemin) {
    m_enCours = true;
    const QString dossier = DossierSiteNormalise(chemin);
    Dictionnaire dictionnaire;
    m_ui.List4->hide();
    Sablier sablier;
    int incomprises = 0;
    QString raison;
    const bool lue = litDossier(dossier, dictionnaire, incomprises, raison);

    QStringList noms, chemins;
    remplitArbre(dossier, dictionnaire, noms, chemins);
    remplitListes(noms, chemins);
    termineListe(dossier, incomprises, raison);
    m_enCours = false;
    return lue;
}

// Reads the folder from the session; `raison` says why it could not.
bool NavigateurSite::litDossier(const QString &dossier, Dictionnaire &dictionnaire,
                                int &incomprises, QString &raison) {
    bool lue = false;
    // Without a session there is nothing to list and nothing to report.
    const bool connecte = oFTP && oFTP->hConnexion();
    if (oFTP) {
        CedeDurantFTP cede;
        lue = oFTP->EnumereFichier(dictionnaire, dossier) != 0;
        incomprises = oFTP->LignesIncomprises();
        if (!lue)
            raison = oFTP->DerniereErreur();
    }
    m_listeEchouee = !lue && connecte;
    return lue;
}

// The tree rebuilt: the chain from the root to the folder, every node
// expanded, and the sub-folders below the folder's node. The files go to
// `noms` and `chemins`, in the listing's order; the views are emptied.
void NavigateurSite::remplitArbre(const QString &dossier, const Dictionnaire &dictionnaire,
                                  QStringList &noms, QStringList &chemins) {
    QTreeWidget *arbre = m_ui.trvSiteDir;
    arbre->setUpdatesEnabled(false);
    arbre->clear();
    m_ui.List4->clear();
    m_ui.List5->clear();

    QTreeWidgetItem *parent = nullptr;
    QList<QTreeWidgetItem *> noeuds;
    for (const NoeudChaine &n : ChaineDossiers(dossier, sSite)) {
        auto *noeud = new QTreeWidgetItem(QStringList{n.texte});
        noeud->setData(0, Form1Ui::RoleCle, n.cle);
        noeud->setIcon(0, m_ui.ilsIcone.value(n.image));
        if (parent)
            parent->addChild(noeud);
        else
            arbre->addTopLevelItem(noeud);
        noeud->setExpanded(true);
        noeuds << noeud;
        parent = noeud;
    }

    QList<QTreeWidgetItem *> sousDossiers;
    noms.reserve(dictionnaire.Count());
    chemins.reserve(dictionnaire.Count());
    const QIcon imageDossier = m_ui.ilsIcone.value(ImageSousDossier);
    for (const Dictionnaire::Entree &e : dictionnaire.Entrees()) {
        const QStringView cle = e.cle();
        if (cle.startsWith(u'?')) {
            auto *noeud = new QTreeWidgetItem(QStringList{e.element().toString()});
            noeud->setData(0, Form1Ui::RoleCle, cle.mid(1).toString());
            noeud->setIcon(0, imageDossier);
            sousDossiers << noeud;
        } else {
            // What follows the key's last "/" is normally the listed name.
            const QStringView element = e.element();
            const qsizetype n = element.size();
            const bool nomSeul = cle.size() > n && cle.endsWith(element) &&
                                 cle.at(cle.size() - n - 1) == u'/' && !element.contains(u'/');
            chemins << cle.toString();
            noms << (nomSeul ? element.toString() : NomDeCle(cle.toString()));
        }
    }
    if (parent)
        parent->addChildren(sousDossiers);
    else
        qDeleteAll(sousDossiers);
    // The folder's node is selected before the lists fill: a drop handled
    // during the yields that follow finds the folder it belongs to.
    for (QTreeWidgetItem *n : std::as_const(noeuds)) {
        if (n->data(0, Form1Ui::RoleCle).toString() == dossier)
            arbre->setCurrentItem(n);
    }
    arbre->setUpdatesEnabled(true);
}

// In steps, yielding between them, so that the window stays alive while a
// large folder fills the lists.
void NavigateurSite::remplitListes(const QStringList &noms, const QStringList &chemins) {
    QListWidget *liste = m_ui.List4;
    liste->setUpdatesEnabled(false);
    const qsizetype total = noms.size();
    for (qsizetype debut = 0; debut < total; debut += EntreesParPas) {
        m_ui.List5->addItems(chemins.mid(debut, EntreesParPas));
        liste->addItems(noms.mid(debut, EntreesParPas));
        QCoreApplication::processEvents();
    }
    liste->setUpdatesEnabled(true);
}

// The count, the list shown again, the frame's and window's titles, and the
// log lines of what the listing missed.
void NavigateurSite::termineListe(const QString &dossier, int incomprises, const QString &raison) {
    m_ui.AfficheNombreFichiers(1, m_ui.List4->count());
    m_ui.List4->show();
    m_ui.fraSite->setTitle(QStringLiteral("Site: ") + sSite + QStringLiteral(" (") + sUtilisateur +
                           QLatin1Char(')'));
    if (InstancePrecedente)
        m_fenetre.setWindowTitle(TitreInstance(dossier));
    // Lines no parser read are entries the user would otherwise miss.
    if (incomprises > 0)
        m_journal.EcritAction(
            QStringLiteral(" > %1 lignes de la liste n'ont pas été comprises").arg(incomprises),
            QStringLiteral("Am"));
    // An empty list would otherwise read as an empty folder.
    if (m_listeEchouee)
        m_journal.Ecrit(QStringLiteral(" > Liste du dossier ") + dossier +
                            QStringLiteral(" impossible : ") +
                            (raison.isEmpty() ? QStringLiteral("erreur inconnue") : raison),
                        "Ro");
}

bool NavigateurSite::RefusePendantListe() {
    if (!m_enCours)
        return false;
    m_journal.Ecrit(LigneListeEnCours, "Am");
    return true;
}

bool NavigateurSite::RefuseSansListe() {
    if (!m_listeEchouee)
        return false;
    m_journal.Ecrit(QStringLiteral(" > Comparaison impossible : la liste du site n'a "
                                   "pas pu être lue"),
                    "Ro");
    return true;
}

void NavigateurSite::QuitteListesComparees(Form1Ui &ui) {
    ui.List1->hide();
    ui.List2->hide();
    ui.Text1->show();
    ui.Command7->show();
    ui.Command8->show();
    ui.List4->show();
}

void NavigateurSite::AfficheListesNormales() {
    m_ui.List3->hide();
    DefinitTag(m_ui.List3, QString());
    QuitteListesComparees(m_ui);
    for (int i = 1; i <= 6; ++i) {
        if (QToolButton *b = m_ui.BTL.value(i))
            b->show();
    }
    m_ui.filLocal->show();
}

// --------------------------------------------------------------------- tree

void NavigateurSite::trvSiteDir_DblClick() {
    const QString cle = m_ui.CleNoeudSelectionne();
    if (!cle.isEmpty())
        RafraichitSite(cle);
}

void NavigateurSite::pointeurArbre(const QString &image) {
    QWidget *vue = m_ui.trvSiteDir->viewport();
    m_ui.trvSiteDir->setProperty("MouseIcon", image);
    if (image.isEmpty())
        vue->unsetCursor();
    else
        vue->setCursor(QCursor(m_glisser.Image(image)));
}

bool NavigateurSite::auDessusDe(const QWidget *w, const QPoint &global) const {
    return w && w->isVisible() && w->rect().contains(w->mapFromGlobal(global));
}

void NavigateurSite::trvSiteDir_MouseDown() {
    AfficheListesNormales();
    pointeurArbre(ImageDossierGlisse);
    m_etat.DefinitCaDrague(true);
}

void NavigateurSite::trvSiteDir_MouseMove(Qt::MouseButtons boutons, const QPoint &global) {
    m_ui.ttt->hide();
    if (boutons == Qt::NoButton)
        m_etat.DefinitCaDrague(false);
    if (!m_etat.CaDrague()) {
        pointeurArbre(QString());
        return;
    }
    // The press holds the mouse: moves over the folder list reach the tree.
    if (auDessusDe(m_ui.dirLocal, global)) {
        if (m_local)
            m_local->dirLocal_MouseMove(boutons);
        pointeurArbre(ImageDossierAccepte);
    } else {
        pointeurArbre(ImageDossierGlisse);
    }
}

bool NavigateurSite::trvSiteDir_MouseUp(const QPoint &global) {
    // Released over the folder list: that list's release, as if it had the
    // mouse. The folder copied is the one pressed, selected again should
    // anything have moved the selection meanwhile; gone (the tree was listed
    // again), nothing is copied.
    const bool depose = auDessusDe(m_ui.dirLocal, global) && m_etat.CaDrague();
    if (depose) {
        if (!m_clePressee.isEmpty() && m_ui.CleNoeudSelectionne() != m_clePressee) {
            QTreeWidgetItem *presse = nullptr;
            for (QTreeWidgetItemIterator it(m_ui.trvSiteDir); *it && !presse; ++it) {
                if ((*it)->data(0, Form1Ui::RoleCle).toString() == m_clePressee)
                    presse = *it;
            }
            if (presse)
                m_ui.trvSiteDir->setCurrentItem(presse);
            else
                m_etat.DefinitCaDrague(false);
        }
        if (m_local)
            m_local->dirLocal_MouseUp();
    }
    pointeurArbre(QString());
    m_etat.DefinitCaDrague(false);
    return depose;
}

// ------------------------------------------------------------------- lists

void NavigateurSite::List2_MouseDown() {
    m_glisser.CommenceGlisser(m_ui.List2, ImageFichierRefuse);
}

void NavigateurSite::List4_MouseDown() {
    QListWidget *liste = m_ui.List4;
    const QListWidgetItem *chemin = m_ui.List5->item(liste->currentRow());
    if (!m_etat.ModeChoix()) {
        m_glisser.CommenceGlisser(liste, ImageFichierRefuse);
        // A transfer that yields lets this click in, and the session refuses
        // a second command meanwhile: that says nothing about the connection.
        // The size comes once the transfer is over.
        if (chemin && oFTP && oFTP->EnCours()) {
            m_tailleDemandee = chemin->text();
            m_attenteTaille.start();
            return;
        }
        m_attenteTaille.stop();
        afficheTaille();
        return;
    }

    // File-pick mode: the remote folder is picked after the local file.
    if (!FichierLocalChoisi)
        return;
    FichierSiteChoisi = true;
    const QString dossier = DossierDuChemin(chemin ? chemin->text() : QString());
    LienAutomatisation::ChoixSite choix;
    choix.ficDist = dossier + m_ui.filLocal->FileName();
    m_etat.DefinitModeChoix(false);
    choix.site = sSite;
    choix.utilisateur = sUtilisateur;
    choix.motDePasse = sMotDePasse;
    choix.info = QStringLiteral("Choisissez un bouton pour enregistrer la commande");
    if (Automatisation.RemplitEtMontre)
        Automatisation.RemplitEtMontre(choix);
}

// The size of List4's current file, in LTTT and the log.
void NavigateurSite::afficheTaille() {
    const QListWidget *liste = m_ui.List4;
    const QListWidgetItem *chemin = m_ui.List5->item(liste->currentRow());
    double t = -1;
    if (chemin && oFTP)
        t = TailleFichierSite(*oFTP, chemin->text());
    m_ui.LTTT->setText(TexteTailleSite(t));
    if (t > 0) {
        const QListWidgetItem *nom = liste->currentItem();
        m_journal.EcritAction((nom ? nom->text() : QString()) + QStringLiteral(" (sur site): ") +
                                  m_ui.LTTT->text(),
                              QStringLiteral("Pi"));
    } else {
        m_journal.EcritAction(m_ui.LTTT->text(), QStringLiteral("Ro"));
    }
}

void NavigateurSite::surDoubleClicListe() {
    BTs_Click(DoubleClicOuvre ? 6 : 10);
}

void NavigateurSite::List4_DblClick() {
    surDoubleClicListe();
}

void NavigateurSite::List2_DblClick() {
    surDoubleClicListe();
}

// ------------------------------------------------------------ address box

void NavigateurSite::TCop_DblClick(int index) {
    if (index != 1)
        return;
    const QString stockee = Reglages::Lit(Reglages::ADSITE);
    // Cancelling gives an empty answer, stored like any other.
    const QString reponse = PromptsCourant()
                                .Saisie(QString(), QStringLiteral("Racine du site ?"), stockee)
                                .value_or(QString());
    m_ui.TCop[1]->setText(reponse);
    Reglages::Ecrit(Reglages::ADSITE, m_ui.TCop[1]->text());
}

void NavigateurSite::TCop_MouseMove() {
    for (QLabel *l : std::as_const(m_ui.LabBou)) {
        QPalette p = l->palette();
        p.setColor(QPalette::Window, Marine);
        l->setPalette(p);
    }
}

void NavigateurSite::List6_MouseMove() {
    TCop_MouseMove();
}
