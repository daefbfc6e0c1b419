#include "about/PanneauInfo.h"

#include "about/InfoProduit.h"
#include "platform/Shell.h"
#include "window/Form1Ui.h"
#include "window/Twips.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

void fond(QLabel *l, const QColor &couleur) {
    QPalette p = l->palette();
    p.setColor(QPalette::Window, couleur);
    l->setPalette(p);
    l->setAutoFillBackground(true);
}

// F1 pressed in any window of the program, wherever the focus is.
class ToucheAide : public QObject {
public:
    ToucheAide(std::function<void()> aide, QObject *parent)
        : QObject(parent), m_aide(std::move(aide)) {}

    bool eventFilter(QObject *objet, QEvent *evenement) override {
        if (evenement->type() != QEvent::KeyPress || !objet->isWidgetType())
            return false;
        const auto *touche = static_cast<QKeyEvent *>(evenement);
        if (touche->key() != Qt::Key_F1 || touche->modifiers() != Qt::NoModifier)
            return false;
        if (!touche->isAutoRepeat())
            m_aide();
        return true;
    }

private:
    std::function<void()> m_aide;
};

const QColor Bleu(0, 0, 255);
const QColor JauneClair(255, 255, 128);

} // namespace

PanneauInfo::PanneauInfo(QMainWindow &form, Form1Ui &ui, std::function<QString()> fichierAide,
                         QObject *parent)
    : QObject(parent), m_form(form), m_ui(ui), m_fichierAide(std::move(fichierAide)) {
    connect(ui.Command3, &QPushButton::clicked, this, &PanneauInfo::Command3_Click);
    connect(ui.Command4, &QPushButton::clicked, this, &PanneauInfo::AfficheAide);
    connect(ui.Timer1, &QTimer::timeout, this, &PanneauInfo::Timer1_Timer);
    // F1 in every window of the program: a modal dialog (the connection
    // dialog, the certificate question) keeps the main window's own
    // shortcuts and buttons out of reach.
    if (QCoreApplication *application = QCoreApplication::instance())
        application->installEventFilter(new ToucheAide([this] { AfficheAide(); }, this));

    // Every line wraps rather than being cut in a narrow window.
    for (QLabel *l : {ui.Label1[1], ui.Label1[3], ui.Label1[2], ui.LabeSite, ui.Labcoucou})
        l->setWordWrap(true);
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
    Ajuste(m_ui);
    // The icon starts again from the right edge.
    m_ui.Image3->move(m_ui.Frame3->width(), m_ui.Image3->y());
}

void PanneauInfo::Ajuste(Form1Ui &ui) {
    using Twips::EnPixels;
    QFrame *panneau = ui.Frame3;
    const QRect zone = ui.centre->rect();
    const int marge = EnPixels(200);
    const int ecart = EnPixels(90);
    const int largeur = zone.width();
    const int largeurLignes = std::max(1, largeur - 2 * marge);

    // One column of lines from a common left edge, each as tall as its text
    // needs at this width (the long sentence wraps): the panel is read
    // whole in the narrowest window.
    int y = EnPixels(90);
    const auto ligne = [&](QLabel *l) {
        const int hauteur =
            l->wordWrap() ? l->heightForWidth(largeurLignes) : l->sizeHint().height();
        l->setGeometry(marge, y, largeurLignes, hauteur);
        y += hauteur + ecart;
    };
    ligne(ui.Label1[1]);
    ligne(ui.Label1[3]);
    // The scrolling icon's own row: only its left moves.
    ui.Image3->setGeometry(ui.Image3->x(), y, EnPixels(555), EnPixels(510));
    y += ui.Image3->height() + ecart;
    ligne(ui.Label1[2]);
    ligne(ui.LabeSite);
    ligne(ui.Labcoucou);

    // "Retour" and "Aide" centred one above the other, the two connection
    // pictures at the right of "Aide".
    for (int i : {4, 0}) {
        QLabel *b = ui.Label1[i];
        const int l = std::min(EnPixels(1350), largeurLignes);
        const int h = std::max(EnPixels(375), b->sizeHint().height());
        b->setGeometry((largeur - l) / 2, y, l, h);
        y += h + ecart / 3;
    }
    const QLabel *aide = ui.Label1[0];
    for (int i = 0; i < ui.Image1.size(); ++i) {
        QLabel *image = ui.Image1.value(i);
        if (!image)
            continue;
        const int cote = EnPixels(360);
        const int x = largeur - marge - (ui.Image1.size() - i) * EnPixels(480);
        image->setGeometry(std::max(aide->geometry().right() + ecart, x), aide->y(), cote, cote);
    }
    const int fin = y + marge;

    // Down to the log area as designed, further when the lines need it, never
    // past the client area.
    const int hauteur = std::min(zone.height(), std::max(ui.fraAction->y(), fin));
    panneau->setGeometry(0, 0, largeur, hauteur);
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
