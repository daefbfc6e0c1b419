#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

// The pure part of the alternative views: comparison of two lists of names,
// the remote-list filter and the order of the sorted local views. All run in
// linear (or n log n) time, whatever the folder sizes.

// The entries of `liste` whose name is not in `autre` (exact, case-sensitive
// comparison), in their order.
QStringList Absents(const QStringList &liste, const QStringList &autre);

// Positions of the names that contain `texte` anywhere, ignoring case (the
// empty text is in every name), ascending.
QVector<int> PositionsGardees(const QStringList &noms, const QString &texte);

// The elements of `liste` at `positions` (ascending), in their order;
// positions beyond the list are skipped.
QStringList ElementsAux(const QStringList &liste, const QVector<int> &positions);

// The positions of `cles` from the largest key to the smallest; entries with
// equal keys keep their order.
QVector<int> OrdreDecroissant(const QVector<qint64> &cles);
