#include "transfers/EntreesListe.h"

#include <QListWidget>

QVector<EntreeListe> EntreesListe(const QListWidget *liste, const QListWidget *chemins) {
    QVector<EntreeListe> resultat;
    resultat.reserve(liste->count());
    for (int i = 0; i < liste->count(); ++i) {
        const QListWidgetItem *element = liste->item(i);
        const QListWidgetItem *chemin = chemins ? chemins->item(i) : nullptr;
        resultat.push_back(
            {i, element->text(), chemin ? chemin->text() : QString(), element->isSelected()});
    }
    return resultat;
}

int NombreChoisies(const QVector<EntreeListe> &entrees) {
    int n = 0;
    for (const EntreeListe &e : entrees)
        n += e.choisie ? 1 : 0;
    return n;
}

void Deselectionne(QListWidget *liste, int ligne, const QString &nom) {
    if (QListWidgetItem *element = liste->item(ligne); element && element->text() == nom)
        element->setSelected(false);
}
