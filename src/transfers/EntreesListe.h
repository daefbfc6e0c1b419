#pragma once

#include <QString>
#include <QVector>

class QListWidget;

// One entry of a list as it was when an action began: the lists may be
// rebuilt while the action yields.
struct EntreeListe {
    int ligne;
    QString nom;
    QString chemin; // the full remote path (List5), when the list has one
    bool choisie;
};

// The entries of `liste`, with the paths of `chemins` row for row when given.
QVector<EntreeListe> EntreesListe(const QListWidget *liste, const QListWidget *chemins = nullptr);
int NombreChoisies(const QVector<EntreeListe> &entrees);
// Unselects the handled entry, only when the list still holds it there.
void Deselectionne(QListWidget *liste, int ligne, const QString &nom);
