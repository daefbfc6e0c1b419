#include "window/BulleAide.h"

#include "platform/LocalLists.h"
#include "window/Form1Ui.h"
#include "window/Twips.h"

#include <QAbstractScrollArea>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

namespace {

constexpr double LargeurDesign = 3690; // twips
constexpr double Marge = 240;          // twips around the text

void nommeDepuisTag(QWidget *w) {
    const QString texte = Tag(w);
    if (!texte.isEmpty())
        w->setAccessibleName(texte);
}

} // namespace

BulleAide::BulleAide(Form1Ui &ui, QObject *parent) : QObject(parent), m_ui(ui) {
    // The hiding table.
    for (QListWidget *l : {ui.List1, ui.List2, ui.List3, ui.List4})
        surveille(l->viewport(), CacheBulle | Marine);
    surveille(ui.centre, CacheBulle | Marine);
    surveille(ui.List6->viewport(), Marine);
    for (QWidget *w : {static_cast<QWidget *>(ui.fraLocal), static_cast<QWidget *>(ui.fraSite),
                       static_cast<QWidget *>(ui.LTTT), static_cast<QWidget *>(ui.LabMove[0]),
                       static_cast<QWidget *>(ui.LabMove[1])})
        surveille(w, CacheBulle);

    // What a screen reader announces: the hint, not the pane's title.
    for (const auto *rangee : {&ui.BTL, &ui.BTs, &ui.Vert, &ui.RecDelta}) {
        for (QToolButton *b : *rangee) {
            nommeDepuisTag(b);
            b->installEventFilter(this);
        }
    }
    for (QLabel *l : std::as_const(ui.LabBou))
        nommeDepuisTag(l);
    ui.Command6->setAccessibleName(ui.Command6->toolTip());
    ui.Command4->setAccessibleName(QStringLiteral("Aide"));
    // The lists have no label of their own: each says what it holds.
    const struct {
        QWidget *liste;
        const char *nom;
    } listes[] = {
        {ui.dirLocal, "Dossiers locaux"},        {ui.filLocal, "Fichiers locaux"},
        {ui.List1, "Fichiers locaux comparés"},  {ui.List3, "Fichiers locaux triés"},
        {ui.trvSiteDir, "Dossiers du site"},     {ui.List4, "Fichiers du site"},
        {ui.List2, "Fichiers du site comparés"},
    };
    for (const auto &l : listes)
        l.liste->setAccessibleName(QString::fromUtf8(l.nom));
}

void BulleAide::surveille(QWidget *w, int effets) {
    if (!w)
        return;
    w->setMouseTracking(true);
    w->installEventFilter(this);
    m_effets.insert(w, effets);
}

bool BulleAide::eventFilter(QObject *objet, QEvent *evenement) {
    const QEvent::Type type = evenement->type();
    if (type == QEvent::DynamicPropertyChange) {
        if (static_cast<QDynamicPropertyChangeEvent *>(evenement)->propertyName() == "Tag")
            nommeDepuisTag(static_cast<QWidget *>(objet));
        return false;
    }
    // Moves only: showing or moving the box sends an Enter to whatever comes
    // to lie under a still pointer, the box itself included.
    if (type != QEvent::MouseMove)
        return false;
    const auto it = m_effets.constFind(objet);
    if (it == m_effets.constEnd())
        return false;
    // A move over a child reaches its parent when the child ignores it: only
    // the control itself, not what lies on it, belongs to the table.
    auto *w = static_cast<QWidget *>(objet);
    const QPoint pos = static_cast<QMouseEvent *>(evenement)->position().toPoint();
    if (!w->rect().contains(pos) || w->childAt(pos))
        return false;
    if (*it & CacheBulle)
        Cache(m_ui);
    if (*it & Marine)
        RemetActionsRapides(m_ui);
    return false;
}

void BulleAide::Montre(Form1Ui &ui, const QWidget *controle, double gauche, double haut,
                       bool finADroite) {
    ui.LTTT->setText(Tag(controle));
    const double texte =
        Twips::DePixels(ui.LTTT->fontMetrics().horizontalAdvance(ui.LTTT->text())) + Marge;
    const double largeur = std::max(LargeurDesign, texte);
    Twips::DefinitLargeur(ui.ttt, largeur);
    Twips::DefinitLargeur(ui.LTTT, largeur);
    if (finADroite)
        gauche -= Twips::Largeur(ui.ttt);
    const double largeurZone = Twips::Largeur(ui.centre);
    const double hauteurZone = Twips::Hauteur(ui.centre);
    gauche = std::max(0.0, std::min(gauche, largeurZone - Twips::Largeur(ui.ttt)));
    haut = std::max(0.0, std::min(haut, hauteurZone - Twips::Hauteur(ui.ttt)));
    Twips::DefinitGauche(ui.ttt, gauche);
    Twips::DefinitHaut(ui.ttt, haut);
    ui.ttt->show();
    ui.ttt->raise();
}

void BulleAide::Cache(Form1Ui &ui) {
    ui.ttt->hide();
}

void BulleAide::RemetActionsRapides(Form1Ui &ui) {
    for (QLabel *l : std::as_const(ui.LabBou)) {
        QPalette p = l->palette();
        p.setColor(QPalette::Window, QColor(0, 0, 128));
        l->setPalette(p);
    }
}
