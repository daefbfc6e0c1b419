#include "transfers/Progression.h"

#include "browsing/TextesTaille.h"
#include "ftp/SessionDistante.h"
#include "window/CedeDurantFTP.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/Twips.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>
#include <cmath>

namespace {

const QColor BleuBarre(0, 0, 128);

// Whole part grouped by three, one decimal, the user's separator.
QString uneDecimale(double valeur) {
    if (!std::isfinite(valeur) || valeur < 0)
        valeur = 0;
    const qint64 dixiemes = qint64(std::llround(valeur * 10.0));
    return NombreGroupe(dixiemes / 10) + QLocale().decimalPoint() + QString::number(dixiemes % 10);
}

// The session's progress callback while no transfer is shown: keep painting.
void cede(qint64, qint64) {
    QCoreApplication::processEvents();
}

} // namespace

// ------------------------------------------------------------------ texts

QString TexteNombre(double n) {
    if (std::isfinite(n) && n == std::floor(n) && std::fabs(n) < 1e15)
        return QString::number(qint64(n));
    return QString::number(n, 'g', 15).replace(QLatin1Char('.'), QLocale().decimalPoint());
}

QString TexteDebit(double koParSeconde) {
    return uneDecimale(koParSeconde);
}

QString TextePourcentage(double pourcent) {
    return uneDecimale(pourcent);
}

double DebitKoParSeconde(double octets, double secondes) {
    if (!(secondes > 0))
        return 0;
    return octets / 1024.0 / secondes;
}

QString LegendeProgression(double fait, int total, double octets, double secondes) {
    const QString compte = TexteNombre(fait) + QLatin1Char('/') + QString::number(total);
    if (secondes > 0)
        return compte + QStringLiteral(" (") + TexteDebit(DebitKoParSeconde(octets, secondes)) +
               QStringLiteral(" Ko/sec)");
    return compte + QLatin1Char('.');
}

double LargeurBarre(double fait, int total, double largeur) {
    if (total <= 0)
        return 0;
    const double unite = largeur / total;
    return std::clamp(fait * unite, 0.0, largeur);
}

QString TexteBarre(double fait, int total) {
    if (total == 0)
        return QString();
    return TextePourcentage(fait * 100.0 / total) + QStringLiteral(" %");
}

QColor CouleurTexteSuivante(double fait, int total) {
    if (total != 0 && fait / total < 0.5)
        return Qt::black;
    return QColor(255, 255, 255);
}

QString TexteOctetsEnCours(const QString &nom, qint64 fait, qint64 total, double secondes) {
    QString texte = nom + QStringLiteral(" : ") + NombreGroupe(fait) + QStringLiteral(" octets");
    if (total > 0)
        texte += QStringLiteral(" (") + TextePourcentage(double(fait) * 100.0 / double(total)) +
                 QStringLiteral(" %)");
    if (secondes > 0)
        texte += QStringLiteral(" à ") + TexteDebit(DebitKoParSeconde(double(fait), secondes)) +
                 QStringLiteral(" Ko/sec");
    return texte;
}

// ------------------------------------------------------------- the frame

Progression::Progression(Form1Ui &ui, EtatFenetre &etat, QObject *parent)
    : QObject(parent), m_ui(ui), m_etat(etat) {
    m_panneau = new QLabel(m_ui.stbEtat);
    m_panneau->setObjectName(QStringLiteral("stbEtat.Panels(2)"));
    m_panneau->setFrameShape(QFrame::StyledPanel);
    m_panneau->setFrameShadow(QFrame::Sunken);
    m_ui.stbEtat->addPermanentWidget(m_panneau);
    m_panneau->hide();

    connect(m_ui.Command5, &QPushButton::clicked, this, &Progression::Command5_Click);
    // A screen reader's press clicks only 100 ms later, on a timer that a
    // transfer in progress does not run before its file ends: the press itself
    // asks for the stop.
    connect(m_ui.Command5, &QPushButton::pressed, this, &Progression::Command5_Click);
}

Progression::~Progression() = default;

void Progression::Command5_Click() {
    m_etat.DefinitCnDl(-1);
}

void Progression::InitProgression() {
    m_ui.Pprog->clear();
    m_dessinValide = false;
    m_pourcentage.clear();
    m_largeurBarre = 0;
    // A new operation: its first percentage is not written white on an
    // empty surface because the previous operation ended past the half.
    m_couleurTexte = Qt::black;
    m_ui.Label2->setText(QString());
}

void Progression::CentreCadre() {
    const double largeurFenetre = Twips::Largeur(m_ui.centre);
    Twips::DefinitGauche(m_ui.Frame1, largeurFenetre / 2 - Twips::Largeur(m_ui.Frame1) / 2);
}

void Progression::MontreCadre() {
    m_ui.Frame1->show();
}

void Progression::CacheCadre() {
    m_ui.Frame1->hide();
}

void Progression::AfficheProgression(double fait, int total, double octets, double secondes) {
    // Called for every entry of long lists: a call that would draw exactly
    // what is shown only keeps the frame in place.
    const Dessin dessin{fait, total, octets, secondes};
    if (m_dessinValide && dessin == m_dernierDessin && m_couleurTexte == m_couleurEcrite &&
        total != 0) {
        CentreCadre();
        MontreCadre();
        return;
    }
    m_dernierDessin = dessin;
    m_dessinValide = true;
    m_ui.Pprog->clear();
    m_pourcentage.clear();
    m_largeurBarre = 0;
    CentreCadre();
    MontreCadre();
    if (total == 0)
        return;
    m_ui.Label2->setText(LegendeProgression(fait, total, octets, secondes));
    dessine(fait, total);
    m_couleurTexte = CouleurTexteSuivante(fait, total);
}

void Progression::dessine(double fait, int total) {
    QLabel *surface = m_ui.Pprog;
    const QSize taille = surface->contentsRect().size();
    if (taille.isEmpty())
        return;
    QPixmap image(taille);
    image.fill(surface->palette().color(QPalette::Window));
    QPainter peintre(&image);
    const double largeur = Twips::DePixels(taille.width());
    m_largeurBarre = Twips::EnPixels(LargeurBarre(fait, total, largeur));
    if (m_largeurBarre > 0)
        peintre.fillRect(QRect(0, 0, m_largeurBarre, taille.height()), BleuBarre);
    m_pourcentage = TexteBarre(fait, total);
    m_couleurEcrite = m_couleurTexte;
    peintre.setPen(m_couleurEcrite);
    peintre.setFont(surface->font());
    const int x = std::max(0, Twips::EnPixels(largeur / 2 - 200));
    peintre.drawText(QRect(x, 0, taille.width() - x, taille.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, m_pourcentage);
    peintre.end();
    surface->setPixmap(image);
}

// -------------------------------------------------------- bytes in flight

short Progression::Transfert(const QString &nom, const std::function<short()> &operation,
                             bool interruptible) {
    SessionDistante *session = oFTP;
    if (!session)
        return 0;
    CedeDurantFTP cedeur;
    QElapsedTimer chrono;
    chrono.start();
    QLabel *panneau = m_panneau;
    panneau->setText(TexteOctetsEnCours(nom, 0, -1, 0));
    panneau->show();
    EtatFenetre &etat = m_etat;
    session->setProgression(
        [panneau, &nom, &chrono, &etat, session, interruptible](qint64 fait, qint64 total) {
            panneau->setText(TexteOctetsEnCours(nom, fait, total, chrono.nsecsElapsed() / 1e9));
            QCoreApplication::processEvents();
            if (interruptible && etat.CnDl() != 0)
                session->Interromps();
        });
    const short resultat = operation();
    // The callback refers to this frame: back to the plain one before leaving
    // (the guard removes it when it is the outermost).
    if (oFTP == session)
        session->setProgression(cede);
    return resultat;
}

void Progression::AfficheOctets(const QString &nom, qint64 fait, qint64 total, double secondes) {
    m_panneau->setText(TexteOctetsEnCours(nom, fait, total, secondes));
    m_panneau->show();
}

short Progression::Appel(const std::function<short()> &operation) {
    if (!oFTP)
        return 0;
    CedeDurantFTP cedeur;
    return operation();
}

Progression::Occupation::Occupation(Progression &p) : m_p(p) {
    ++m_p.m_occupe;
}

Progression::Occupation::~Occupation() {
    if (--m_p.m_occupe == 0) {
        m_p.m_panneau->clear();
        m_p.m_panneau->hide();
    }
}
