#include "automation/Automatisation.h"

#include "automation/Form3.h"
#include "browsing/NavigateurSite.h"
#include "ftp/clsFTP.h"
#include "mainwindow/Form1.h"
#include "platform/LocalLists.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

Automatisation::Automatisation(Form1 &form, Form1Ui &ui, QObject *parent)
    : QObject(parent), m_form(form), m_ui(ui) {
    LienAutomatisation &lien = m_form.navigateurSite().Automatisation;
    lien.DefinitFichierLocal = [this](const QString &fic) { form3().ficLoc->setText(fic); };
    lien.RemplitEtMontre = [this](const LienAutomatisation::ChoixSite &choix) {
        Form3 &f = form3();
        f.ficDist->setText(choix.ficDist);
        f.TxtSite->setText(choix.site);
        f.txtUtilisateur->setText(choix.utilisateur);
        f.txtMDP->setText(choix.motDePasse);
        f.chiffrement = sChiffrement;
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
        m_form3 = new Form3(&m_form);
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
    m_form.etat().DefinitModeChoix(true);
    // The comparison and sorted views would cover the red lists.
    m_form.navigateurSite().AfficheListesNormales();
}
