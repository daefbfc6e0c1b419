#pragma once

#include <QHash>
#include <QString>

#include <deque>

// Insertion-ordered string map with unique keys, filled by EnumereFichier.
class Dictionnaire {
public:
    struct Entree {
        QString cle;
        QString element;
    };

    // False (and nothing added) when the key is already present.
    bool Ajoute(const QString &cle, const QString &element) {
        if (m_index.contains(cle))
            return false;
        m_index.insert(cle, m_entrees.size());
        m_entrees.push_back({cle, element});
        return true;
    }
    // Adds entries in order, skipping keys already present (first one wins).
    // The index is sized once for all of them.
    void AjouteEnBloc(std::deque<Entree> &&entrees) {
        m_index.reserve(m_index.size() + qsizetype(entrees.size()));
        for (Entree &e : entrees) {
            const qsizetype avant = m_index.size();
            int &position = m_index[e.cle]; // one look-up: inserts when absent
            if (m_index.size() == avant)
                continue;
            position = int(m_entrees.size());
            m_entrees.push_back(std::move(e));
        }
    }
    bool Existe(const QString &cle) const { return m_index.contains(cle); }
    QString Element(const QString &cle) const {
        auto it = m_index.constFind(cle);
        return it == m_index.constEnd() ? QString() : m_entrees[*it].element;
    }
    int Count() const { return int(m_entrees.size()); }
    const std::deque<Entree> &Entrees() const { return m_entrees; }

private:
    QHash<QString, int> m_index;
    std::deque<Entree> m_entrees; // grows without moving what it holds
};
