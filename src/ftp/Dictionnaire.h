#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Insertion-ordered map of keys to items, keys unique, filled by
// EnumereFichier. A listing may hold hundreds of thousands of entries, so
// their text is copied into a few large blocks and indexed by position:
// adding an entry allocates nothing of its own, and an item that ends its key
// (a name after its folder) is not stored twice.
class Dictionnaire {
public:
    class Entree {
    public:
        QStringView cle() const { return {m_texte, m_longueurCle}; }
        QStringView element() const { return {m_texte + m_debutElement, m_longueurElement}; }
        // True when the item is a part of the key's own text (a name after
        // its folder), not a copy of its own.
        bool elementDansCle() const { return m_debutElement + m_longueurElement <= m_longueurCle; }

    private:
        friend class Dictionnaire;
        const char16_t *m_texte;
        int m_longueurCle;
        int m_debutElement;
        int m_longueurElement;
        quint32 m_hachage; // fills what would be padding
    };

    Dictionnaire();
    Dictionnaire(Dictionnaire &&autre) noexcept;
    Dictionnaire &operator=(Dictionnaire &&autre) noexcept;
    Dictionnaire(const Dictionnaire &) = delete;
    Dictionnaire &operator=(const Dictionnaire &) = delete;
    ~Dictionnaire();

    // False (and nothing added) when the key is already present.
    bool Ajoute(QStringView cle, QStringView element);
    // For a long series of additions (a listing): the key's hash, which
    // depends on nothing the dictionary changes (any thread may ask for it);
    // Precharge starts bringing its slot into the cache, so that Ajoute with
    // that hash, called a little later, rarely waits for memory.
    quint32 Hachage(QStringView cle) const;
    void Precharge(quint32 hachage) const;
    bool Ajoute(QStringView cle, QStringView element, quint32 hachage);
    // Adds every entry of autre in order, skipping keys already present.
    void Fusionne(Dictionnaire &&autre);
    bool Existe(QStringView cle) const;
    QString Element(QStringView cle) const;
    int Count() const { return int(m_entrees.size()); }
    // Characters of text held for keys and items, to bound what a listing keeps.
    qsizetype TailleTexte() const { return m_tailleTexte; }
    // The views an entry gives stay valid as long as the dictionary lives.
    const QList<Entree> &Entrees() const { return m_entrees; }

private:
    size_t case_(QStringView cle, quint32 hachage) const;
    quint32 hache(QStringView cle) const;
    void agrandisIndex();
    void conseilleEntrees();
    char16_t *reserveTexte(qsizetype longueur);
    void echange(Dictionnaire &autre) noexcept;

    QList<Entree> m_entrees;
    // Open addressing, linear probing. Each slot has a one-byte tag, 0 when
    // free, else seven bits of the key's hash: probing mostly reads the
    // compact tags, and an entry only when its tag matches. Tags and
    // positions share one allocation (in huge pages once it is large).
    struct LibereBloc {
        void operator()(void *bloc) const;
    };
    std::unique_ptr<void, LibereBloc> m_index;
    quint8 *m_etiquettes = nullptr;
    int *m_positions = nullptr;
    size_t m_cases = 0; // a power of two, or 0
    std::vector<std::unique_ptr<char16_t, LibereBloc>> m_blocs;
    char16_t *m_libre = nullptr; // the unused end of the current block
    qsizetype m_resteBloc = 0;
    qsizetype m_tailleBloc; // of the next block, in characters
    qsizetype m_tailleTexte = 0;
    size_t m_graine;
};

// Fills a dictionary on a thread of its own while the caller produces the
// entries (parses a listing), so that the two overlap on two cores. Entries
// are handed over in batches and added in order, as by Ajoute; the
// dictionary must not be used until Termine has returned. A few entries are
// added on the caller's thread, without starting one.
class Remplisseur {
public:
    explicit Remplisseur(Dictionnaire &dic);
    ~Remplisseur(); // drops what is not added yet
    Remplisseur(const Remplisseur &) = delete;
    Remplisseur &operator=(const Remplisseur &) = delete;

    // Key prefixe + nom + suffixe, item nom.
    void Ajoute(QStringView prefixe, QStringView nom, QStringView suffixe);
    void Termine();
    // What was handed over so far: bounds Count() and TailleTexte() of the
    // dictionary once done.
    qsizetype EntreesDonnees() const { return m_entreesDonnees; }
    qsizetype TexteDonne() const { return m_texteDonne; }

private:
    struct Lot {
        struct Cle {
            qsizetype debut;
            qsizetype longueur;
            qsizetype debutElement;
            qsizetype longueurElement;
            quint32 hachage;
        };
        QString texte; // grows without clearing what it will overwrite
        std::vector<Cle> cles;
    };
    void envoie();
    void insere(Lot &lot);
    void boucle();

    Dictionnaire &m_dic;
    std::unique_ptr<Lot> m_courant;
    qsizetype m_entreesDonnees = 0;
    qsizetype m_texteDonne = 0;
    int m_lotsCrees = 0;

    std::mutex m_verrou;
    std::condition_variable m_aFaireSignal;
    std::condition_variable m_libreSignal;
    std::deque<std::unique_ptr<Lot>> m_aFaire;
    std::vector<std::unique_ptr<Lot>> m_libres;
    bool m_fin = false;
    bool m_abandon = false;
    bool m_sansFil = false;
    std::thread m_fil;
};
