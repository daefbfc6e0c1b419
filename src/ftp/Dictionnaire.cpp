#include "ftp/Dictionnaire.h"

#include <QHashFunctions>

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>
#include <system_error>
#include <utility>

namespace {

// Text blocks grow from small ones, so that a folder of a few files costs
// little, to the size of a huge page, which a large listing fills with one
// page fault instead of 512.
constexpr size_t PageGeante = 2 * 1024 * 1024;
constexpr qsizetype PremierBloc = 16 * 1024; // characters
constexpr qsizetype DernierBloc = PageGeante / sizeof(char16_t);

// Batches of a Remplisseur: large enough that handing one over costs little
// per entry, few enough in flight that the caller waits for a slow filler
// rather than queue the whole listing.
constexpr size_t ClesParLot = 4096;
constexpr size_t TexteParLot = 128 * 1024; // characters
constexpr int LotsMax = 4;
constexpr size_t DistancePrecharge = 8; // entries ahead

// Large blocks are rounded up to whole huge pages.
void *alloue(size_t octets) {
    void *bloc = nullptr;
    if (octets >= PageGeante) {
        octets = (octets + PageGeante - 1) / PageGeante * PageGeante;
        bloc = std::aligned_alloc(PageGeante, octets);
#ifdef MADV_HUGEPAGE
        if (bloc)
            ::madvise(bloc, octets, MADV_HUGEPAGE); // only a hint: failure is harmless
#endif
    } else {
        bloc = std::malloc(octets);
    }
    if (!bloc)
        throw std::bad_alloc();
    return bloc;
}

char16_t *alloueBloc(qsizetype caracteres) {
    return static_cast<char16_t *>(alloue(size_t(caracteres) * sizeof(char16_t)));
}

quint8 etiquette(quint32 hachage) {
    return quint8(0x80 | hachage >> 25); // never 0; other bits than the slot's
}

} // namespace

void Dictionnaire::LibereBloc::operator()(void *bloc) const {
    std::free(bloc);
}

// The process's random seed: a server can't choose names that all collide.
Dictionnaire::Dictionnaire() : m_tailleBloc(PremierBloc), m_graine(QHashSeed::globalSeed()) {}

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
    std::swap(m_etiquettes, autre.m_etiquettes);
    std::swap(m_positions, autre.m_positions);
    std::swap(m_cases, autre.m_cases);
    m_blocs.swap(autre.m_blocs);
    std::swap(m_libre, autre.m_libre);
    std::swap(m_resteBloc, autre.m_resteBloc);
    std::swap(m_tailleBloc, autre.m_tailleBloc);
    std::swap(m_tailleTexte, autre.m_tailleTexte);
    std::swap(m_graine, autre.m_graine);
}

// Folded from 64 bits: the low half alone repeats far too often for names
// that differ only in a few digits ("file-000001.txt", ...), one in six for
// a million of them, which lengthens probes and compares whole keys.
quint32 Dictionnaire::hache(QStringView cle) const {
    const quint64 h = qHash(cle, m_graine);
    return quint32(h ^ (h >> 32));
}

// The slot holding cle, or the free slot where it belongs.
size_t Dictionnaire::case_(QStringView cle, quint32 hachage) const {
    const size_t masque = m_cases - 1;
    const quint8 cherchee = etiquette(hachage);
    for (size_t i = hachage & masque;; i = (i + 1) & masque) {
        const quint8 e = m_etiquettes[i];
        if (e == 0)
            return i;
        if (e == cherchee) {
            const Entree &entree = m_entrees[m_positions[i]];
            if (entree.m_hachage == hachage && entree.cle() == cle)
                return i;
        }
    }
}

void Dictionnaire::agrandisIndex() {
    const size_t taille = std::max<size_t>(64, 2 * m_cases);
    // Tags first, then positions (aligned: the tags are a power of two).
    std::unique_ptr<void, LibereBloc> index(alloue(taille * (1 + sizeof(int))));
    auto *etiquettes = static_cast<quint8 *>(index.get());
    auto *positions = reinterpret_cast<int *>(etiquettes + taille);
    std::fill_n(etiquettes, taille, quint8(0));
    const size_t masque = taille - 1;
    for (qsizetype p = 0; p < m_entrees.size(); ++p) {
        const quint32 hachage = m_entrees[p].m_hachage;
        size_t i = hachage & masque;
        while (etiquettes[i] != 0)
            i = (i + 1) & masque;
        etiquettes[i] = etiquette(hachage);
        positions[i] = int(p);
    }
    m_index = std::move(index);
    m_etiquettes = etiquettes;
    m_positions = positions;
    m_cases = taille;
}

// The entries' array is left to grow by itself (in place or by remapping, not
// by copying), then advised for huge pages once large: a large listing would
// otherwise take a page fault for every 170 entries.
void Dictionnaire::conseilleEntrees() {
#ifdef MADV_HUGEPAGE
    const quintptr debut = quintptr(m_entrees.constData());
    const quintptr fin = debut + quintptr(m_entrees.capacity()) * sizeof(Entree);
    const quintptr alignes = (debut + PageGeante - 1) & ~quintptr(PageGeante - 1);
    if (fin > alignes + PageGeante)
        ::madvise(reinterpret_cast<void *>(alignes), (fin - alignes) & ~quintptr(PageGeante - 1),
                  MADV_HUGEPAGE);
#endif
}

char16_t *Dictionnaire::reserveTexte(qsizetype longueur) {
    m_tailleTexte += longueur;
    if (longueur > DernierBloc) { // a block of its own; the current one stays open
        m_blocs.emplace_back(alloueBloc(longueur));
        return m_blocs.back().get();
    }
    if (longueur > m_resteBloc) {
        while (m_tailleBloc < longueur)
            m_tailleBloc *= 4;
        m_blocs.emplace_back(alloueBloc(m_tailleBloc));
        m_libre = m_blocs.back().get();
        m_resteBloc = m_tailleBloc;
        m_tailleBloc = std::min(4 * m_tailleBloc, DernierBloc);
    }
    char16_t *texte = m_libre;
    m_libre += longueur;
    m_resteBloc -= longueur;
    return texte;
}

quint32 Dictionnaire::Hachage(QStringView cle) const {
    return hache(cle);
}

void Dictionnaire::Precharge(quint32 hachage) const {
    if (m_cases > 0)
        __builtin_prefetch(m_etiquettes + (hachage & (m_cases - 1)));
}

bool Dictionnaire::Ajoute(QStringView cle, QStringView element) {
    return Ajoute(cle, element, hache(cle));
}

bool Dictionnaire::Ajoute(QStringView cle, QStringView element, quint32 hachage) {
    if (cle.size() + element.size() >= std::numeric_limits<int>::max())
        return false;
    // Up to 5/8 full: probes stay short (they read contiguous tags), and the
    // index of 5,000,000 entries takes 40 MiB rather than 80.
    if (8 * (size_t(m_entrees.size()) + 1) > 5 * m_cases)
        agrandisIndex();
    const size_t place = case_(cle, hachage);
    if (m_etiquettes[place] != 0)
        return false;

    // A name at the end of its key, before a folder's trailing "/" or not.
    qsizetype debut = -1;
    const quintptr dansCle = quintptr(element.utf16()) - quintptr(cle.utf16());
    if (dansCle <= quintptr(cle.size() - element.size()) * sizeof(char16_t) &&
        element.size() <= cle.size())
        debut = qsizetype(dansCle / sizeof(char16_t)); // a view into the key itself
    else if (cle.endsWith(element))
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
    e.m_hachage = hachage;
    m_etiquettes[place] = etiquette(hachage);
    m_positions[place] = int(m_entrees.size());
    const qsizetype capacite = m_entrees.capacity();
    m_entrees.append(e);
    if (m_entrees.capacity() != capacite)
        conseilleEntrees();
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
    return m_cases > 0 && m_etiquettes[case_(cle, hache(cle))] != 0;
}

QString Dictionnaire::Element(QStringView cle) const {
    if (m_cases == 0)
        return QString();
    const size_t place = case_(cle, hache(cle));
    return m_etiquettes[place] == 0 ? QString()
                                    : m_entrees[m_positions[place]].element().toString();
}

Remplisseur::Remplisseur(Dictionnaire &dic) : m_dic(dic) {}

Remplisseur::~Remplisseur() {
    if (m_fil.joinable()) {
        {
            std::lock_guard<std::mutex> verrou(m_verrou);
            m_abandon = true;
            m_fin = true;
        }
        m_aFaireSignal.notify_one();
        m_fil.join();
    }
}

void Remplisseur::Ajoute(QStringView prefixe, QStringView nom, QStringView suffixe) {
    if (!m_courant) {
        std::unique_lock<std::mutex> verrou(m_verrou);
        if (!m_libres.empty()) {
            m_courant = std::move(m_libres.back());
            m_libres.pop_back();
        } else if (m_lotsCrees < LotsMax) {
            ++m_lotsCrees;
            verrou.unlock();
            m_courant = std::make_unique<Lot>();
            m_courant->texte.reserve(TexteParLot);
            m_courant->cles.reserve(ClesParLot);
        } else {
            m_libreSignal.wait(verrou, [this] { return !m_libres.empty(); });
            m_courant = std::move(m_libres.back());
            m_libres.pop_back();
        }
    }
    Lot &lot = *m_courant;
    const qsizetype debut = qsizetype(lot.texte.size());
    const qsizetype longueur = prefixe.size() + nom.size() + suffixe.size();
    lot.texte.resize(debut + longueur);
    char16_t *texte = reinterpret_cast<char16_t *>(lot.texte.data()) + debut;
    std::copy_n(prefixe.utf16(), prefixe.size(), texte);
    std::copy_n(nom.utf16(), nom.size(), texte + prefixe.size());
    std::copy_n(suffixe.utf16(), suffixe.size(), texte + prefixe.size() + nom.size());
    lot.cles.push_back({debut, longueur, debut + prefixe.size(), nom.size(), 0});
    ++m_entreesDonnees;
    m_texteDonne += longueur;
    if (lot.cles.size() >= ClesParLot || size_t(lot.texte.size()) >= TexteParLot)
        envoie();
}

void Remplisseur::envoie() {
    if (!m_courant)
        return;
    if (!m_fil.joinable() && !m_sansFil) {
        try {
            m_fil = std::thread([this] { boucle(); });
        } catch (const std::system_error &) {
            m_sansFil = true; // no thread to be had: everything on this one
        }
    }
    if (m_sansFil) {
        insere(*m_courant);
        m_courant->texte.truncate(0);
        m_courant->cles.clear();
        return;
    }
    {
        std::lock_guard<std::mutex> verrou(m_verrou);
        m_aFaire.push_back(std::move(m_courant));
    }
    m_aFaireSignal.notify_one();
}

void Remplisseur::Termine() {
    if (!m_fil.joinable()) { // a short listing: no thread
        if (m_courant)
            insere(*m_courant);
        m_courant.reset();
        return;
    }
    envoie();
    {
        std::lock_guard<std::mutex> verrou(m_verrou);
        m_fin = true;
    }
    m_aFaireSignal.notify_one();
    m_fil.join();
}

// The hashes first, so that each slot can be asked for a few entries ahead.
void Remplisseur::insere(Lot &lot) {
    const char16_t *texte = reinterpret_cast<const char16_t *>(lot.texte.constData());
    for (Lot::Cle &c : lot.cles)
        c.hachage = m_dic.Hachage(QStringView(texte + c.debut, c.longueur));
    const size_t n = lot.cles.size();
    for (size_t i = 0; i < n; ++i) {
        if (i + DistancePrecharge < n)
            m_dic.Precharge(lot.cles[i + DistancePrecharge].hachage);
        const Lot::Cle &c = lot.cles[i];
        m_dic.Ajoute(QStringView(texte + c.debut, c.longueur),
                     QStringView(texte + c.debutElement, c.longueurElement), c.hachage);
    }
}

void Remplisseur::boucle() {
    for (;;) {
        std::unique_ptr<Lot> lot;
        {
            std::unique_lock<std::mutex> verrou(m_verrou);
            m_aFaireSignal.wait(verrou, [this] { return !m_aFaire.empty() || m_fin; });
            if (m_abandon || m_aFaire.empty())
                return;
            lot = std::move(m_aFaire.front());
            m_aFaire.pop_front();
        }
        insere(*lot);
        lot->texte.truncate(0);
        lot->cles.clear();
        {
            std::lock_guard<std::mutex> verrou(m_verrou);
            m_libres.push_back(std::move(lot));
        }
        m_libreSignal.notify_one();
    }
}
