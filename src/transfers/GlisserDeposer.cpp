#include "transfers/GlisserDeposer.h"

#include "browsing/NavigateurSite.h"
#include "ftp/SessionDistante.h"
#include "platform/LocalLists.h"
#include "settings/Reglages.h"
#include "transfers/TransfertsDossiers.h"
#include "window/CedeDurantFTP.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/JournalActivite.h"
#include "window/TableDepot.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

// The pictures live in the static core library: referencing them keeps the
// linker from dropping them.
static void initialiseImagesNavigation() {
    Q_INIT_RESOURCE(navigation);
}

const QString GlisserDeposer::TypeMime = QStringLiteral("application/x-quillon-controle");

QString GenreControle(const QObject *controle) {
    if (!controle)
        return QString();
    if (qobject_cast<const FileListBox *>(controle))
        return QStringLiteral("FileListBox");
    if (qobject_cast<const DirListBox *>(controle))
        return QStringLiteral("DirListBox");
    if (qobject_cast<const QTreeView *>(controle))
        return QStringLiteral("TreeView");
    if (qobject_cast<const QListView *>(controle))
        return QStringLiteral("ListBox");
    return QString::fromLatin1(controle->metaObject()->className());
}

GlisserDeposer::GlisserDeposer(QWidget &fenetre, Form1Ui &ui, JournalActivite &journal,
                               EtatFenetre &etat, NavigateurSite &navigateurSite, QObject *parent)
    : QObject(parent), m_fenetre(fenetre), m_ui(ui), m_journal(journal), m_etat(etat),
      m_navigateurSite(navigateurSite) {
    initialiseImagesNavigation();
    const struct {
        int indice;
        const char *image;
    } images[] = {{0, ":/navigation/fichier_refuse.svg"},
                  {7, ":/navigation/fichier_accepte.svg"},
                  {8, ":/navigation/dossier_glisse.svg"},
                  {9, ":/navigation/dossier_accepte.svg"}};
    for (const auto &i : images) {
        if (QToolButton *b = m_ui.BTL.value(i.indice))
            b->setIcon(QIcon(QLatin1String(i.image)));
    }

    RecDelta_Click = [this](int index) {
        if (QToolButton *b = m_ui.RecDelta.value(index))
            b->click();
    };

    for (QWidget *w :
         {static_cast<QWidget *>(m_ui.List1), static_cast<QWidget *>(m_ui.List2),
          static_cast<QWidget *>(m_ui.List3), static_cast<QWidget *>(m_ui.List4),
          static_cast<QWidget *>(m_ui.filLocal), static_cast<QWidget *>(m_ui.dirLocal)})
        ecoute(w, true, true);
    ecoute(m_ui.trvSiteDir, false, true);
}

GlisserDeposer::~GlisserDeposer() = default;

void GlisserDeposer::ecoute(QWidget *controle, bool source, bool cible) {
    auto *vue = qobject_cast<QAbstractItemView *>(controle);
    if (!vue)
        return;
    m_vues.insert(vue->viewport(), controle);
    if (source)
        m_sources.insert(controle, true);
    if (cible) {
        vue->setAcceptDrops(true);
        vue->viewport()->setAcceptDrops(true);
    }
    vue->viewport()->installEventFilter(this);
}

// ------------------------------------------------------------------- pictures

QPixmap GlisserDeposer::Image(const QString &nom) const {
    if (nom == ImageFenetre)
        return m_fenetre.windowIcon().pixmap(32, 32);
    if (nom.startsWith(QLatin1String("BTL("))) {
        const int indice = nom.mid(4, nom.size() - 5).toInt();
        if (const QToolButton *b = m_ui.BTL.value(indice))
            return b->icon().pixmap(32, 32);
    }
    return QPixmap();
}

void GlisserDeposer::appliqueCurseur(QDrag *drag, const QString &image) const {
    const QPixmap p = Image(image);
    for (Qt::DropAction a : {Qt::CopyAction, Qt::MoveAction, Qt::LinkAction})
        drag->setDragCursor(p, a);
}

// ------------------------------------------------------------------ the drag

void GlisserDeposer::CommenceGlisser(QWidget *source, const QString &image) {
    if (!source)
        return;
    source->setProperty("DragIcon", image);
    m_arme = source;
}

void GlisserDeposer::lance(QWidget *source) {
    m_arme = nullptr;
    auto *donnees = new QMimeData;
    donnees->setData(TypeMime,
                     (source->objectName() + QLatin1Char('\n') + GenreControle(source)).toUtf8());
    auto *drag = new QDrag(source);
    drag->setMimeData(donnees);
    // The picture is the cursor, which each target changes; nothing else
    // follows the pointer.
    QPixmap vide(1, 1);
    vide.fill(Qt::transparent);
    drag->setPixmap(vide);
    appliqueCurseur(drag, source->property("DragIcon").toString());
    m_drag = drag;
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    m_drag = nullptr;
}

QWidget *GlisserDeposer::sourceDe(const QDropEvent *e) const {
    const QMimeData *donnees = e->mimeData();
    if (!donnees || !donnees->hasFormat(TypeMime))
        return nullptr;
    // Only our own lists: a drag from another program or another instance
    // names a control that is not here.
    auto *source = qobject_cast<QWidget *>(e->source());
    if (!source || !m_sources.contains(source))
        return nullptr;
    const QString nom = QString::fromUtf8(donnees->data(TypeMime)).section(QLatin1Char('\n'), 0, 0);
    return nom == source->objectName() ? source : nullptr;
}

// The handler runs once the drag is over, outside the drop event.
void GlisserDeposer::differe(QWidget *cible, QWidget *source) {
    QPointer<QWidget> c(cible), s(source);
    QTimer::singleShot(0, this, [this, c, s] {
        if (c && s)
            DragDrop(c, s);
    });
}

bool GlisserDeposer::eventFilter(QObject *objet, QEvent *evenement) {
    QWidget *controle = m_vues.value(objet);
    if (!controle)
        return false;
    switch (evenement->type()) {
    case QEvent::MouseButtonPress: {
        m_arme = nullptr;
        m_presse = static_cast<QMouseEvent *>(evenement)->globalPosition().toPoint();
        return false;
    }
    case QEvent::MouseMove: {
        if (m_arme != controle)
            return false;
        const auto *e = static_cast<QMouseEvent *>(evenement);
        if (e->buttons() == Qt::NoButton) {
            m_arme = nullptr;
            return false;
        }
        // While armed, a move drags the list instead of extending its selection.
        if ((e->buttons() & Qt::LeftButton) &&
            (e->globalPosition().toPoint() - m_presse).manhattanLength() >=
                QApplication::startDragDistance())
            lance(controle);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (m_arme == controle) {
            // Released without moving: the drag ends on the list itself.
            m_arme = nullptr;
            differe(controle, controle);
        }
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *e = static_cast<QDragMoveEvent *>(evenement);
        QWidget *source = sourceDe(e);
        if (!source)
            return false;
        DragOver(controle, source);
        e->setDropAction(Qt::CopyAction);
        e->accept();
        return true;
    }
    case QEvent::Drop: {
        auto *e = static_cast<QDropEvent *>(evenement);
        QWidget *source = sourceDe(e);
        if (!source)
            return false;
        e->setDropAction(Qt::CopyAction);
        e->accept();
        differe(controle, source);
        return true;
    }
    default:
        return false;
    }
}

void GlisserDeposer::DragOver(QWidget *cible, QWidget *Source) {
    if (!cible || !Source)
        return;
    const QString image =
        ImageSurvol(cible->objectName(), Source->objectName(), GenreControle(Source));
    if (image.isEmpty())
        return;
    Source->setProperty("DragIcon", image);
    if (m_drag && m_drag->source() == Source)
        appliqueCurseur(m_drag, image);
}

void GlisserDeposer::DragDrop(QWidget *cible, QWidget *Source) {
    if (!cible || !Source)
        return;
    // Every drop of one list on another transfers to or from the site
    // views: none while they fill. (A click ends as a drop on the list itself.)
    if (Source != cible && m_navigateurSite.RefusePendantListe())
        return;
    // Dropped while a transfer yields: the session would refuse the call,
    // which is no failed transfer to report.
    if (Source != cible && oFTP && oFTP->EnCours()) {
        m_journal.Ecrit(QStringLiteral(" > Opération refusée : un transfert est en cours"), "Am");
        return;
    }
    const QString nom = cible->objectName();
    if (nom == QLatin1String("List1"))
        List1_DragDrop(Source);
    else if (nom == QLatin1String("List2"))
        List2_DragDrop(Source);
    else if (nom == QLatin1String("List3"))
        List3_DragDrop(Source);
    else if (nom == QLatin1String("List4"))
        List4_DragDrop(Source);
    else if (nom == QLatin1String("filLocal"))
        filLocal_DragDrop(Source);
    else if (nom == QLatin1String("trvSiteDir"))
        trvSiteDir_DragDrop(Source);
}

// --------------------------------------------------------------- the drops

bool GlisserDeposer::accepte(const char *cible, const QWidget *source) const {
    return source &&
           DepotAccepte(QLatin1String(cible), source->objectName(), GenreControle(source));
}

QString GlisserDeposer::elementCourant(const QWidget *source) const {
    // Only lists of file names name a file; a folder list's entry is a path.
    if (qobject_cast<const DirListBox *>(source))
        return QString();
    if (const auto *liste = qobject_cast<const QListWidget *>(source)) {
        const QListWidgetItem *courant = liste->currentItem();
        return courant ? courant->text() : QString();
    }
    return QString();
}

QString GlisserDeposer::elementAccepte(const char *cible, const QWidget *source) const {
    return accepte(cible, source) ? elementCourant(source) : QString();
}

// Logs the start (the log's change handler yields, so the line shows before
// the transfer blocks), downloads into filLocal's folder, logs the outcome.
bool GlisserDeposer::telecharge(const QString &distant, const QString &element) {
    m_journal.Ecrit(QStringLiteral(" > Début du téléchargement de ") + element, "Ve");
    const QString local = JoindreChemin(m_ui.filLocal->Path(), element);
    short ok = 0;
    if (oFTP) {
        CedeDurantFTP cede;
        ok = oFTP->DownloadFichierDansDossier(distant, local);
    }
    return RapporteTelechargement(m_journal, m_ui, ok != 0, element);
}

bool GlisserDeposer::envoie(const QString &local, const QString &distant, const QString &element) {
    m_journal.Ecrit(QStringLiteral(" > Téléchargement vers site de ") + element, "Ve");
    short ok = 0;
    if (oFTP) {
        CedeDurantFTP cede;
        ok = oFTP->UploadFichier(local, distant);
    }
    return RapporteEnvoi(m_journal, ok != 0, element);
}

void GlisserDeposer::List1_DragDrop(QWidget *Source) {
    const QString element = elementAccepte("List1", Source);
    if (element.isEmpty())
        return;
    telecharge(m_ui.CleNoeudSelectionne() + element, element);
    // Successful or not, the comparison is computed again.
    m_ui.List1->hide();
    RecDelta_Click(m_etat.ListeCliquee());
}

void GlisserDeposer::List2_DragDrop(QWidget *Source) {
    const QString element = elementAccepte("List2", Source);
    if (element.isEmpty())
        return;
    const QString cle = m_ui.CleNoeudSelectionne();
    if (!envoie(JoindreChemin(m_ui.filLocal->Path(), element), cle + element, element))
        return;
    m_navigateurSite.RafraichitSite(cle);
    m_ui.List1->hide();
    RecDelta_Click(m_etat.ListeCliquee());
}

void GlisserDeposer::List3_DragDrop(QWidget *Source) {
    const QString element = elementAccepte("List3", Source);
    if (element.isEmpty())
        return;
    telecharge(m_ui.CleNoeudSelectionne() + element, element);
}

void GlisserDeposer::filLocal_DragDrop(QWidget *Source) {
    if (!accepte("filLocal", Source))
        return;
    // The full path from List5: the file may lie outside the tree's folder
    // (a filtered or compared list).
    const QString element = elementCourant(m_ui.List4);
    const QListWidgetItem *chemin = m_ui.List5->item(m_ui.List4->currentRow());
    if (element.isEmpty() || !chemin)
        return;
    telecharge(chemin->text(), element);
}

void GlisserDeposer::List4_DragDrop(QWidget *Source) {
    if (!Source)
        return;
    const QString element = elementCourant(Source);
    const QString cle = m_ui.CleNoeudSelectionne();
    if (element.isEmpty() || cle.isEmpty())
        return;
    if (accepte("List4", Source)) {
        // A file list uploads from its own folder; the alternative lists hold
        // names of filLocal's folder.
        const auto *fichiers = qobject_cast<const FileListBox *>(Source);
        const QString dossier = fichiers ? fichiers->Path() : m_ui.filLocal->Path();
        if (envoie(JoindreChemin(dossier, element), cle + element, element))
            m_navigateurSite.RafraichitSite(cle);
    }
    // Whatever was dropped (a plain click on List4 ends here too): the web
    // address of the file.
    m_ui.TCop[1]->setText(Reglages::Lit(Reglages::ADSITE) + cle + element);
    m_ui.TCop[1]->setCursorPosition(0);
}

void GlisserDeposer::trvSiteDir_DragDrop(QWidget *Source) {
    if (!accepte("trvSiteDir", Source))
        return;
    Source->setProperty("DragIcon", ImageDossierAccepte);
    EnvoieDossierLocal();
}
