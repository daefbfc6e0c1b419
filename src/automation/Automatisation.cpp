#include "automation/Automatisation.h"

#include "automation/Form3.h"
#include "browsing/NavigateurSite.h"
#include "ftp/SessionDistante.h"
#include "platform/LocalLists.h"
#include "window/EtatFenetre.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

Automatisation::Automatisation(EtatFenetre &etat, NavigateurSite &site, QWidget &fenetre,
                               QObject *parent)
    : QObject(parent), m_etat(etat), m_site(site), m_fenetre(fenetre) {
    LienAutomatisation &lien = m_site.Automatisation;
    lien.DefinitFichierLocal = [this](const QString &fic) { form3().ficLoc->setText(fic); };
    lien.RemplitEtMontre = [this](const LienAutomatisation::ChoixSite &choix) {
        Form3 &f = form3();
        f.ficDist->setText(choix.ficDist);
        f.TxtSite->setText(choix.site);
        f.txtUtilisateur->setText(choix.utilisateur);
        f.txtMDP->setText(choix.motDePasse);
        f.chiffrement = sChiffrement;
        f.protocole = sProtocole;
        // Selected by program, even while the option is still disabled.
        f.Option1[1]->setChecked(true);
        f.LabInfo->setText(choix.info);
        f.show();
        f.raise();
    };
    lien.Montre = [this] {
        form3().show();
        form3().raise();
    };
}

Form3 &Automatisation::form3() {
    if (!m_form3) {
        m_form3 = new Form3(&m_fenetre);
        m_form3->CommenceChoix = [this] { CommenceChoix(); };
    }
    return *m_form3;
}

void Automatisation::Ouvre() {
    Form3 &f = form3();
    f.LabInfo->setText(QStringLiteral("Appuyez sur le bouton ''Selectionner les fichiers'' pour "
                                      "enregistrer une commande."));
    f.show();
    f.raise();
}

void Automatisation::CommenceChoix() {
    m_etat.DefinitModeChoix(true);
    // The comparison and sorted views would cover the red lists.
    m_site.AfficheListesNormales();
}
