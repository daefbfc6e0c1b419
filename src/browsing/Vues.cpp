#include "browsing/Vues.h"

#include <QSet>

#include <algorithm>
#include <numeric>

QStringList Absents(const QStringList &liste, const QStringList &autre) {
    const QSet<QString> presents(autre.cbegin(), autre.cend());
    QStringList resultat;
    resultat.reserve(liste.size());
    for (const QString &nom : liste) {
        if (!presents.contains(nom))
            resultat << nom;
    }
    return resultat;
}

QVector<int> PositionsGardees(const QStringList &noms, const QString &texte) {
    // Both sides folded the same way, so that "TXT" finds "readme.txt".
    const QString cherche = texte.toLower();
    QVector<int> gardees;
    gardees.reserve(noms.size());
    for (int i = 0; i < noms.size(); ++i) {
        if (noms[i].toLower().contains(cherche))
            gardees << i;
    }
    return gardees;
}

QStringList ElementsAux(const QStringList &liste, const QVector<int> &positions) {
    QStringList resultat;
    resultat.reserve(positions.size());
    for (const int i : positions) {
        if (i >= 0 && i < liste.size())
            resultat << liste[i];
    }
    return resultat;
}

QVector<int> OrdreDecroissant(const QVector<qint64> &cles) {
    QVector<int> ordre(cles.size());
    std::iota(ordre.begin(), ordre.end(), 0);
    std::stable_sort(ordre.begin(), ordre.end(), [&](int a, int b) { return cles[a] > cles[b]; });
    return ordre;
}
