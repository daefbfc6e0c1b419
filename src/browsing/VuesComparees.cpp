#include "browsing/VuesComparees.h"

#include "browsing/ContenuListe.h"
#include "browsing/NavigateurSite.h"
#include "browsing/Vues.h"
#include "platform/LocalLists.h"
#include "platform/Sablier.h"
#include "window/BulleAide.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

VuesComparees::VuesComparees(Form1Ui &ui, EtatFenetre &etat, NavigateurSite &site, QObject *parent)
    : QObject(parent), m_ui(ui), m_etat(etat), m_site(site) {}

void VuesComparees::RecDelta_Click(int Index) {
    // A list still filling would be compared half-read; compared with a
    // listing that failed, every local file would look absent. A caller
    // asking for the comparison again hid List1 first: the previous
    // comparison comes back rather than leaving the local pane without a list.
    if (m_site.RefusePendantListe() || (m_ui.List1->isHidden() && m_site.RefuseSansListe())) {
        if (m_ui.List1->isHidden() && !m_ui.List2->isHidden())
            m_ui.List1->show();
        return;
    }
    m_etat.DefinitListeCliquee(Index);
    Sablier sablier;
    m_ui.List3->hide();
    DefinitTag(m_ui.List3, QString());

    QListWidget *locale = m_ui.List1;
    QListWidget *site = m_ui.List2;
    if (locale->isHidden()) {
        m_ui.filLocal->Refresh();
        locale->setGeometry(m_ui.filLocal->geometry());
        site->setGeometry(m_ui.List4->geometry());
        QStringList noms = TextesDe(m_ui.filLocal);
        QStringList nomsSite = TextesDe(m_ui.List4);
        // The copies are taken now; only one side is reduced.
        if (Index == 0)
            noms = Absents(noms, nomsSite);
        else
            nomsSite = Absents(nomsSite, noms);
        RemplaceContenu(locale, noms);
        RemplaceContenu(site, nomsSite);
        locale->show();
        site->show();
        locale->raise();
        site->raise();
    } else {
        locale->hide();
        site->hide();
    }

    const bool comparaison = !locale->isHidden();
    m_ui.filLocal->setVisible(!comparaison);
    m_ui.List4->setVisible(site->isHidden());
    const bool filtre = site->isHidden();
    m_ui.Text1->setVisible(filtre);
    m_ui.Command7->setVisible(filtre);
    m_ui.Command8->setVisible(filtre);

    const int local = comparaison ? locale->count() : m_ui.filLocal->ListCount();
    const int distant = comparaison ? site->count() : m_ui.List4->count();
    m_ui.AfficheNombreFichiers(0, local);
    m_ui.AfficheNombreFichiers(1, distant);

    // Going up, making, renaming a folder or removing one make no sense on
    // a list of names from both sides.
    for (int i : {1, 2, 3, 5}) {
        if (QToolButton *b = m_ui.BTL.value(i))
            b->setVisible(!comparaison);
    }
    if (QToolButton *b = m_ui.BTL.value(4))
        b->show();
}

void VuesComparees::RecDelta_MouseMove(int Index) {
    const QToolButton *bouton = m_ui.RecDelta.value(Index);
    if (!bouton)
        return;
    const QWidget *cadre = bouton->parentWidget();
    // The site button's hint opens to its left; the box stays inside the window.
    const double gauche =
        Twips::Gauche(bouton) + (cadre ? Twips::Gauche(cadre) : 0) + 2000 - Index * 6000;
    BulleAide::Montre(m_ui, bouton, gauche, Twips::Haut(bouton) - 50);
}
