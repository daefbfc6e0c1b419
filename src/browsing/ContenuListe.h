#pragma once

#include <QListWidget>
#include <QStringList>

// The texts of a list box's rows, in order.
inline QStringList TextesDe(const QListWidget *liste) {
    QStringList t;
    t.reserve(liste->count());
    for (int i = 0; i < liste->count(); ++i)
        t << liste->item(i)->text();
    return t;
}

// One rewrite of the list: removing rows one by one shifts the rest each time.
inline void RemplaceContenu(QListWidget *liste, const QStringList &elements) {
    liste->setUpdatesEnabled(false);
    liste->clear();
    liste->addItems(elements);
    liste->setUpdatesEnabled(true);
}
