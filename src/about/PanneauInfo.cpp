#include "about/PanneauInfo.h"

#include "about/InfoProduit.h"
#include "layout/Twips.h"
#include "mainwindow/Form1Ui.h"
#include "platform/Shell.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

namespace {

void fond(QLabel *l, const QColor &couleur) {
    QPalette p = l->palette();
    p.setColor(QPalette::Window, couleur);
    l->setPalette(p);
    l->setAutoFillBackground(true);
}

const QColor Bleu(0, 0, 255);
const QColor JauneClair(255, 255, 128);

} // namespace

PanneauInfo::PanneauInfo(QMainWindow &form, Form1Ui &ui, std::function<QString()> fichierAide,
                         QObject *parent)
    : QObject(parent), m_form(form), m_ui(ui), m_fichierAide(std::move(fichierAide)) {
    connect(ui.Command3, &QPushButton::clicked, this, &PanneauInfo::Command3_Click);
    connect(ui.Command4, &QPushButton::clicked, this, &PanneauInfo::AfficheAide);
    connect(ui.Timer1, &QTimer::timeout, this, &PanneauInfo::Timer1_Timer);
    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), &form);
    f1->setObjectName(QStringLiteral("F1"));
    connect(f1, &QShortcut::activated, this, &PanneauInfo::AfficheAide);

    ui.Frame3->setMouseTracking(true);
    ui.Frame3->installEventFilter(this);
    for (QLabel *l : std::as_const(ui.Label1)) {
        l->setMouseTracking(true);
        l->installEventFilter(this);
    }
    for (QLabel *l : {ui.LabeSite, ui.Labcoucou}) {
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
    }
    const QString site = InfoProduit::SiteAuteur();
    ui.LabeSite->setToolTip(site.isEmpty() ? QStringLiteral("Aide de Quillon") : site);
    ui.Labcoucou->setToolTip(site.isEmpty() ? QStringLiteral("Aide de Quillon")
                                            : InfoProduit::ContactAuteur());
}

bool PanneauInfo::eventFilter(QObject *objet, QEvent *evenement) {
    const QEvent::Type type = evenement->type();
    if (type == QEvent::MouseButtonRelease) {
        const auto *souris = static_cast<QMouseEvent *>(evenement);
        auto *w = static_cast<QWidget *>(objet);
        if (souris->button() != Qt::LeftButton || !w->rect().contains(souris->position().toPoint()))
            return false;
        // A release the labels ignore reaches the panel too: only its own
        // background closes it.
        if (objet == m_ui.Frame3 && w->childAt(souris->position().toPoint()))
            return false;
        if (objet == m_ui.LabeSite)
            LabeSite_Click();
        else if (objet == m_ui.Labcoucou)
            Labcoucou_Click();
        else if (objet == m_ui.Label1.value(0))
            AfficheAide();
        else
            Ferme();
        return true;
    }
    if (type == QEvent::MouseMove || type == QEvent::Enter) {
        if (objet == m_ui.Label1.value(4) || objet == m_ui.Label1.value(0)) {
            fond(static_cast<QLabel *>(objet), Bleu);
        } else if (objet == m_ui.Frame3 && type == QEvent::MouseMove) {
            // Moves the entries ignore reach the panel too.
            const QPoint pos = static_cast<QMouseEvent *>(evenement)->position().toPoint();
            if (m_ui.Frame3->childAt(pos))
                return false;
            fond(m_ui.Label1[4], Qt::white);
            fond(m_ui.Label1[0], JauneClair);
        }
    }
    return false;
}

void PanneauInfo::Command3_Click() {
    if (m_ui.Frame3->isVisible()) {
        Ferme();
        return;
    }
    m_ui.Frame3->show();
    m_ui.Frame3->raise();
    m_ui.Timer1->start();
    m_ui.Label1[3]->setText(InfoProduit::LigneVersion());
    m_ui.Image3->setPixmap(m_form.windowIcon().pixmap(32, 32));
    const double largeur = Twips::Largeur(m_ui.centre);
    Twips::DefinitLargeur(m_ui.Frame3, largeur);
    Twips::DefinitGauche(m_ui.Image3, largeur);
    for (int i : {4, 0})
        Twips::DefinitGauche(m_ui.Label1[i], largeur / 2 - Twips::Largeur(m_ui.Label1[i]) / 2);
    for (QLabel *l :
         {m_ui.Label1[1], m_ui.Label1[2], m_ui.Label1[3], m_ui.LabeSite, m_ui.Labcoucou})
        Twips::DefinitLargeur(l, largeur - 400);
    Twips::DefinitHauteur(m_ui.Frame3, Twips::Haut(m_ui.fraAction));
}

void PanneauInfo::Timer1_Timer() {
    double gauche = Twips::Gauche(m_ui.Image3) - Pas;
    if (gauche < Limite)
        gauche = Twips::Largeur(m_ui.Frame3);
    Twips::DefinitGauche(m_ui.Image3, gauche);
}

void PanneauInfo::Ferme() {
    m_ui.Frame3->hide();
    m_ui.Timer1->stop();
}

void PanneauInfo::AfficheAide() {
    ShellCourant().AfficheAide(m_fichierAide ? m_fichierAide() : QString());
}

// Without an address from the build, the links lead to the help rather than
// to a made-up address.
void PanneauInfo::ouvreAdresse(const QString &adresse) {
    if (adresse.isEmpty())
        AfficheAide();
    else
        ShellCourant().OuvreAdresseWeb(adresse);
}

void PanneauInfo::LabeSite_Click() {
    ouvreAdresse(InfoProduit::SiteAuteur());
}

void PanneauInfo::Labcoucou_Click() {
    ouvreAdresse(InfoProduit::ContactAuteur());
}
