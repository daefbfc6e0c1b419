#include "ftp/Dictionnaire.h"

#include <QHashFunctions>

#include <algorithm>
#include <limits>
#include <utility>

namespace {
constexpr qsizetype TailleBloc = 128 * 1024; // characters
}

// The process's random seed: a server can't choose names that all collide.
Dictionnaire::Dictionnaire() : m_graine(QHashSeed::globalSeed()) {}

Dictionnaire::Dictionnaire(Dictionnaire &&autre) noexcept : Dictionnaire() {
    echange(autre);
}

Dictionnaire &Dictionnaire::operator=(Dictionnaire &&autre) noexcept {
    Dictionnaire vide;
    echange(vide);
    echange(autre);
    return *this;
}

Dictionnaire::~Dictionnaire() = default;

void Dictionnaire::echange(Dictionnaire &autre) noexcept {
    m_entrees.swap(autre.m_entrees);
    m_index.swap(autre.m_index);
    m_blocs.swap(autre.m_blocs);
    std::swap(m_libre, autre.m_libre);
    std::swap(m_resteBloc, autre.m_resteBloc);
    std::swap(m_graine, autre.m_graine);
}

quint32 Dictionnaire::hache(QStringView cle) const {
    return quint32(qHash(cle, m_graine));
}

// The slot holding cle, or the free slot where it belongs.
qsizetype Dictionnaire::case_(QStringView cle, quint32 hachage) const {
    const size_t masque = m_index.size() - 1;
    for (size_t i = hachage & masque;; i = (i + 1) & masque) {
        const Case &c = m_index[i];
        if (c.position == 0 || (c.hachage == hachage && m_entrees[c.position - 1].cle() == cle))
            return qsizetype(i);
    }
}

void Dictionnaire::agrandisIndex() {
    std::vector<Case> index(std::max<size_t>(64, 2 * m_index.size()), Case{0, 0});
    const size_t masque = index.size() - 1;
    for (const Case &c : m_index) {
        if (c.position == 0)
            continue;
        size_t i = c.hachage & masque;
        while (index[i].position != 0)
            i = (i + 1) & masque;
        index[i] = c;
    }
    m_index.swap(index);
}

char16_t *Dictionnaire::reserveTexte(qsizetype longueur) {
    if (longueur > TailleBloc) { // a block of its own; the current one stays open
        m_blocs.emplace_back(new char16_t[size_t(longueur)]);
        return m_blocs.back().get();
    }
    if (longueur > m_resteBloc) {
        m_blocs.emplace_back(new char16_t[TailleBloc]);
        m_libre = m_blocs.back().get();
        m_resteBloc = TailleBloc;
    }
    char16_t *texte = m_libre;
    m_libre += longueur;
    m_resteBloc -= longueur;
    return texte;
}

bool Dictionnaire::Ajoute(QStringView cle, QStringView element) {
    if (cle.size() + element.size() >= std::numeric_limits<int>::max())
        return false;
    if (2 * (m_entrees.size() + 1) > qsizetype(m_index.size()))
        agrandisIndex();
    const quint32 hachage = hache(cle);
    const qsizetype place = case_(cle, hachage);
    if (m_index[size_t(place)].position != 0)
        return false;

    // A name at the end of its key, before a folder's trailing "/" or not.
    qsizetype debut = -1;
    if (cle.endsWith(element))
        debut = cle.size() - element.size();
    else if (cle.endsWith(u'/') && cle.chopped(1).endsWith(element))
        debut = cle.size() - 1 - element.size();
    const qsizetype longueur = cle.size() + (debut < 0 ? element.size() : 0);
    char16_t *texte = reserveTexte(longueur);
    std::copy_n(cle.utf16(), cle.size(), texte);
    if (debut < 0) {
        debut = cle.size();
        std::copy_n(element.utf16(), element.size(), texte + debut);
    }

    Entree e;
    e.m_texte = texte;
    e.m_longueurCle = int(cle.size());
    e.m_debutElement = int(debut);
    e.m_longueurElement = int(element.size());
    m_entrees.append(e);
    m_index[size_t(place)] = Case{int(m_entrees.size()), hachage};
    return true;
}

void Dictionnaire::Fusionne(Dictionnaire &&autre) {
    if (m_entrees.isEmpty()) {
        *this = std::move(autre);
        return;
    }
    for (const Entree &e : autre.m_entrees)
        Ajoute(e.cle(), e.element());
}

bool Dictionnaire::Existe(QStringView cle) const {
    return !m_index.empty() && m_index[size_t(case_(cle, hache(cle)))].position != 0;
}

QString Dictionnaire::Element(QStringView cle) const {
    if (m_index.empty())
        return QString();
    const int position = m_index[size_t(case_(cle, hache(cle)))].position;
    return position == 0 ? QString() : m_entrees[position - 1].element().toString();
}
