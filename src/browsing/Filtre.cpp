#include "browsing/Filtre.h"

#include "browsing/ContenuListe.h"
#include "browsing/NavigateurSite.h"
#include "browsing/Vues.h"
#include "connection/GestionConnexion.h"
#include "platform/Sablier.h"
#include "window/Form1Ui.h"

#include <QLineEdit>
#include <QListWidget>

Filtre::Filtre(Form1Ui &ui, NavigateurSite &site, GestionConnexion &connexion, QObject *parent)
    : QObject(parent), m_ui(ui), m_site(site), m_connexion(connexion) {}

void Filtre::Command7_Click() {
    // A listing still appending to the lists would add unfiltered rows.
    if (m_site.RefusePendantListe())
        return;
    {
        Sablier sablier;
        const QStringList noms = TextesDe(m_ui.List4);
        const QVector<int> gardees = PositionsGardees(noms, m_ui.Text1->text());
        if (gardees.size() != noms.size()) {
            RemplaceContenu(m_ui.List5, ElementsAux(TextesDe(m_ui.List5), gardees));
            RemplaceContenu(m_ui.List4, ElementsAux(noms, gardees));
        }
    }
    m_ui.Text1->clear();
}

void Filtre::Command8_Click() {
    m_connexion.Reconnecte(0);
}
