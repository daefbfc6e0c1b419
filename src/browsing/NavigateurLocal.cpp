#include "browsing/NavigateurLocal.h"

#include "browsing/NavigateurSite.h"
#include "browsing/TextesTaille.h"
#include "platform/LocalLists.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/Globales.h"
#include "window/JournalActivite.h"
#include "window/TableDepot.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

namespace {

const QColor Marine(0, 0, 128);

// The size text of a local file; false when the file is no longer there (it
// went after the list was read).
bool texteTaille(const QString &chemin, QString &texte) {
    const QFileInfo fichier(chemin);
    if (!fichier.isFile()) {
        texte = QStringLiteral("Fichier introuvable.");
        return false;
    }
    texte = TexteTailleLocale(fichier.size());
    return true;
}

QString elementCourant(const QListWidget *liste) {
    const QListWidgetItem *courant = liste->currentItem();
    return courant ? courant->text() : QString();
}

} // namespace

NavigateurLocal::NavigateurLocal(Form1Ui &ui, JournalActivite &journal, EtatFenetre &etat,
                                 NavigateurSite &site, LienGlisser glisser, QObject *parent)
    : QObject(parent), m_ui(ui), m_journal(journal), m_etat(etat), m_site(site),
      m_glisser(std::move(glisser)) {
    m_site.RelieNavigateurLocal(this);
    BTL_Click = [this](int index) {
        if (QToolButton *b = m_ui.BTL.value(index))
            b->click();
    };

    DirListBox *dossiers = m_ui.dirLocal;
    FileListBox *fichiers = m_ui.filLocal;
    dossiers->viewport()->setMouseTracking(true);
    fichiers->viewport()->setMouseTracking(true);
    connect(dossiers, &DirListBox::MouseDown, this, &NavigateurLocal::dirLocal_MouseDown);
    connect(dossiers, &DirListBox::MouseMove, this,
            [this](Qt::MouseButtons boutons) { dirLocal_MouseMove(boutons); });
    connect(dossiers, &DirListBox::MouseUp, this, &NavigateurLocal::dirLocal_MouseUp);
    connect(fichiers, &FileListBox::MouseDown, this, &NavigateurLocal::filLocal_MouseDown);
    connect(fichiers, &FileListBox::MouseMove, this, &NavigateurLocal::filLocal_MouseMove);
    connect(fichiers, &FileListBox::DblClick, this, &NavigateurLocal::filLocal_DblClick);
    connect(m_ui.List1, &QListWidget::pressed, this, &NavigateurLocal::List1_MouseDown);
    connect(m_ui.List3, &QListWidget::pressed, this, &NavigateurLocal::List3_MouseDown);
    connect(m_ui.List1, &QListWidget::itemDoubleClicked, this, &NavigateurLocal::List1_DblClick);
    connect(m_ui.List3, &QListWidget::itemDoubleClicked, this, &NavigateurLocal::List3_DblClick);
}

NavigateurLocal::~NavigateurLocal() {
    m_site.RelieNavigateurLocal(nullptr);
}

QString NavigateurLocal::CheminLocal(const QString &nom) const {
    return JoindreChemin(m_ui.filLocal->Path(), nom);
}

void NavigateurLocal::pointeur(QWidget *w, const QString &image) {
    QWidget *vue = w;
    if (auto *v = qobject_cast<QAbstractItemView *>(w))
        vue = v->viewport();
    w->setProperty("MouseIcon", image);
    if (image.isEmpty())
        vue->unsetCursor();
    else
        vue->setCursor(QCursor(m_glisser.Image(image)));
}

void NavigateurLocal::drvLocal_Change() {
    NavigateurSite::QuitteListesComparees(m_ui);
    m_ui.filLocal->show();
    // An unreadable drive leaves the folder list where it was.
    m_ui.dirLocal->setPath(m_ui.drvLocal->Drive());
}

void NavigateurLocal::dirLocal_Change() {
    m_ui.filLocal->setPath(m_ui.dirLocal->Path());
    m_ui.AfficheNombreLocal();
    m_site.AfficheListesNormales();
    m_ui.List3->hide();
    DefinitTag(m_ui.List3, QString());
}

void NavigateurLocal::dirLocal_MouseDown() {
    NavigateurSite::QuitteListesComparees(m_ui);
    m_ui.filLocal->show();
    m_glisser.CommenceGlisser(m_ui.dirLocal, ImageDossierGlisse);
}

void NavigateurLocal::dirLocal_MouseMove(Qt::MouseButtons) {
    m_ui.ttt->hide();
    if (m_etat.CaDrague()) {
        pointeur(m_ui.dirLocal, ImageDossierAccepte);
    } else {
        pointeur(m_ui.dirLocal, QString());
        pointeur(m_ui.trvSiteDir, QString());
    }
}

void NavigateurLocal::dirLocal_MouseUp() {
    if (m_etat.CaDrague())
        m_glisser.RapatrieDossierSite();
    m_etat.DefinitCaDrague(false);
}

void NavigateurLocal::filLocal_MouseDown() {
    FileListBox *fichiers = m_ui.filLocal;
    const int i = fichiers->ListIndex();
    if (m_etat.ModeChoix()) {
        // File-pick mode: the local file comes first.
        if (i < 0)
            return;
        FichierLocalChoisi = true;
        const LienAutomatisation &lien = m_site.Automatisation;
        if (lien.DefinitFichierLocal)
            lien.DefinitFichierLocal(fichiers->CheminComplet(i));
        if (FichierSiteChoisi) {
            m_etat.DefinitModeChoix(false);
            if (lien.Montre)
                lien.Montre();
        }
        return;
    }
    if (i < 0 || !fichiers->Selected(i))
        return;
    m_glisser.CommenceGlisser(fichiers, ImageFichierRefuse);
    QString texte;
    const bool trouve = texteTaille(fichiers->CheminComplet(i), texte);
    m_ui.LTTT->setText(texte);
    m_journal.EcritAction(fichiers->List(i) + QStringLiteral(" (en local): ") + m_ui.LTTT->text(),
                          QLatin1String(trouve ? "Pi" : "Ro"));
}

void NavigateurLocal::filLocal_MouseMove() {
    m_ui.ttt->hide();
    for (QLabel *l : std::as_const(m_ui.LabBou)) {
        QPalette p = l->palette();
        p.setColor(QPalette::Window, Marine);
        l->setPalette(p);
    }
}

void NavigateurLocal::doubleClic() {
    BTL_Click(DoubleClicOuvre ? 6 : 10);
}

void NavigateurLocal::filLocal_DblClick() {
    doubleClic();
}

void NavigateurLocal::List1_DblClick() {
    doubleClic();
}

void NavigateurLocal::List3_DblClick() {
    doubleClic();
}

void NavigateurLocal::List1_MouseDown() {
    m_glisser.CommenceGlisser(m_ui.List1, ImageFichierRefuse);
}

void NavigateurLocal::List3_MouseDown() {
    m_glisser.CommenceGlisser(m_ui.List3, ImageFichierRefuse);
    const QString nom = elementCourant(m_ui.List3);
    if (nom.isEmpty())
        return;
    const QString chemin = CheminLocal(nom);
    QString texte;
    const bool trouve = texteTaille(chemin, texte);
    m_ui.LTTT->setText(texte);
    if (!trouve) {
        m_journal.EcritAction(nom + QStringLiteral(" : ") + m_ui.LTTT->text(),
                              QStringLiteral("Ro"));
        return;
    }
    const QString date = QLocale().toString(QFileInfo(chemin).lastModified(), QLocale::ShortFormat);
    m_journal.EcritAction(nom + QStringLiteral(" : ") + m_ui.LTTT->text() +
                              QStringLiteral(" (Version du ") + date + QLatin1Char(')'),
                          QStringLiteral("Pi"));
}
