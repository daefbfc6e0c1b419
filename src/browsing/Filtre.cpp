#include "browsing/Filtre.h"

#include "browsing/NavigateurSite.h"
#include "browsing/Vues.h"
#include "mainwindow/Form1.h"
#include "mainwindow/Form1Ui.h"
#include "platform/Sablier.h"

#include <QLineEdit>
#include <QListWidget>

namespace {

QStringList textes(const QListWidget *liste) {
    QStringList t;
    t.reserve(liste->count());
    for (int i = 0; i < liste->count(); ++i)
        t << liste->item(i)->text();
    return t;
}

// One rewrite of the list: removing rows one by one shifts the rest each time.
void remplace(QListWidget *liste, const QStringList &elements) {
    liste->setUpdatesEnabled(false);
    liste->clear();
    liste->addItems(elements);
    liste->setUpdatesEnabled(true);
}

} // namespace

Filtre::Filtre(Form1 &form, Form1Ui &ui, QObject *parent)
    : QObject(parent), m_form(form), m_ui(ui) {}

void Filtre::Command7_Click() {
    // A listing still appending to the lists would add unfiltered rows.
    if (m_form.navigateurSite().RefusePendantListe())
        return;
    {
        Sablier sablier;
        const QStringList noms = textes(m_ui.List4);
        const QVector<int> gardees = PositionsGardees(noms, m_ui.Text1->text());
        if (gardees.size() != noms.size()) {
            remplace(m_ui.List5, ElementsAux(textes(m_ui.List5), gardees));
            remplace(m_ui.List4, ElementsAux(noms, gardees));
        }
    }
    m_ui.Text1->clear();
}

void Filtre::Command8_Click() {
    m_form.Reconnecte(0);
}
