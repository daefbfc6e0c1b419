#include "ftp/ListingParser.h"

#include <QStringDecoder>
#include <QVarLengthArray>

#include <array>
#include <climits>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace ListingParser {

namespace {

bool estBlanc(char16_t c) {
    return c == u' ' || c == u'\t';
}

bool estChiffre(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool tousChiffres(QStringView s, int min, int max) {
    if (s.size() < min || s.size() > max)
        return false;
    for (QChar c : s)
        if (!estChiffre(c.unicode()))
            return false;
    return true;
}

bool estVide(QStringView s) {
    for (QChar c : s)
        if (!estBlanc(c.unicode()))
            return false;
    return true;
}

// The first character from p on that is one of a and b (dedans) or neither
// (!dedans), or fin. Eight characters at a time where the processor allows:
// every line end and every run of padding blanks in a listing is found this
// way, and a call into Qt's search or a character loop costs more than the
// parse of a short line.
template <char16_t a, char16_t b, bool dedans>
const char16_t *premier(const char16_t *p, const char16_t *fin) {
#ifdef __SSE2__
    const __m128i va = _mm_set1_epi16(short(a));
    const __m128i vb = _mm_set1_epi16(short(b));
    for (; fin - p >= 8; p += 8) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        int masque =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(c, va), _mm_cmpeq_epi16(c, vb)));
        if (!dedans)
            masque ^= 0xffff;
        if (masque != 0)
            return p + __builtin_ctz(unsigned(masque)) / 2;
    }
#endif
    while (p < fin && (*p == a || *p == b) != dedans)
        ++p;
    return p;
}

// The first LF or CR from p on, or fin.
const char16_t *finDeLigne(const char16_t *p, const char16_t *fin) {
    return premier<u'\n', u'\r', true>(p, fin);
}

// The first blank (blanc) or non-blank (!blanc) character from p on, or fin.
template <bool blanc> const char16_t *saute(const char16_t *p, const char16_t *fin) {
    return premier<u' ', u'\t', blanc>(p, fin);
}

// The blank-separated words of a line, cut only as far as asked: the name
// after the date may hold blanks and is taken whole from the line.
class Decoupe {
public:
    static constexpr int Max = 16;

    explicit Decoupe(QStringView ligne) : m_ligne(ligne) {}

    // True when word k exists.
    Q_ALWAYS_INLINE bool existe(int k) {
        const char16_t *const texte = m_ligne.utf16();
        const char16_t *const fin = texte + m_ligne.size();
        const char16_t *j = texte + m_curseur;
        while (m_jetons.size() <= k && m_jetons.size() < Max) {
            j = saute<false>(j, fin);
            if (j == fin)
                break;
            const char16_t *debut = j;
            j = saute<true>(j, fin);
            m_jetons.push_back({int(debut - texte), int(j - texte)});
        }
        m_curseur = int(j - texte);
        return m_jetons.size() > k;
    }
    Q_ALWAYS_INLINE QStringView operator[](int k) const {
        return QStringView(m_ligne.utf16() + m_jetons[k].debut,
                           m_jetons[k].fin - m_jetons[k].debut);
    }
    int debut(int k) const { return m_jetons[k].debut; }
    int fin(int k) const { return m_jetons[k].fin; } // one past the last character
    // True when some text follows word k (the name may still be there).
    bool suiteApres(int k) const { return m_jetons[k].fin < m_ligne.size(); }
    // The text from the first non-blank after word k.
    QStringView apres(int k) const {
        int i = m_jetons[k].fin;
        while (i < m_ligne.size() && estBlanc(m_ligne[i].unicode()))
            ++i;
        return m_ligne.mid(i);
    }

private:
    struct Jeton {
        int debut;
        int fin;
    };
    QStringView m_ligne;
    QVarLengthArray<Jeton, Max> m_jetons;
    int m_curseur = 0;
};

// ------------------------------------------------------------ date words

// "Jan" ... "Dec", any case: the month of nearly every server.
bool estMoisAnglais(QStringView s) {
    if (s.size() != 3)
        return false;
    // Three ASCII letters folded to lower case, compared as one number.
    const char16_t a = s[0].unicode() | 0x20, b = s[1].unicode() | 0x20, c = s[2].unicode() | 0x20;
    auto lettre = [](char16_t u) { return u >= u'a' && u <= u'z'; };
    if (!lettre(a) || !lettre(b) || !lettre(c))
        return false;
    const quint32 cle = quint32(a) << 16 | quint32(b) << 8 | quint32(c);
    constexpr auto m = [](const char(&t)[4]) {
        return quint32(t[0]) << 16 | quint32(t[1]) << 8 | quint32(t[2]);
    };
    switch (cle) {
    case m("jan"):
    case m("feb"):
    case m("mar"):
    case m("apr"):
    case m("may"):
    case m("jun"):
    case m("jul"):
    case m("aug"):
    case m("sep"):
    case m("oct"):
    case m("nov"):
    case m("dec"):
        return true;
    default:
        return false;
    }
}

// Month names of the locales "ls" servers run under. A word is a month when
// it is one of these or a prefix of three letters or more of one ("Okt",
// "janv", "févr", "sept"); the date itself is never needed, only where it
// ends.
constexpr std::u16string_view NomsMois[] = {
    // English
    u"january", u"february", u"march", u"april", u"may", u"june", u"july", u"august", u"september",
    u"october", u"november", u"december",
    // German, Austrian
    u"januar", u"februar", u"märz", u"mai", u"juni", u"juli", u"oktober", u"dezember", u"jänner",
    u"mrz",
    // French, with and without accents
    u"janvier", u"février", u"fevrier", u"mars", u"avril", u"juin", u"juillet", u"août", u"aout",
    u"septembre", u"octobre", u"novembre", u"décembre", u"decembre",
    // Spanish
    u"enero", u"febrero", u"marzo", u"abril", u"mayo", u"junio", u"julio", u"agosto", u"septiembre",
    u"setiembre", u"octubre", u"noviembre", u"diciembre",
    // Italian
    u"gennaio", u"febbraio", u"aprile", u"maggio", u"giugno", u"luglio", u"settembre", u"ottobre",
    u"dicembre",
    // Dutch
    u"januari", u"februari", u"maart", u"mrt", u"mei", u"augustus",
    // Portuguese, Scandinavian
    u"janeiro", u"fevereiro", u"março", u"maio", u"junho", u"julho", u"setembro", u"outubro",
    u"dezembro", u"maj"};

// Trailing '.' and ',' of a date part: "Okt.", "Juli,", "30.", "Jan.,".
QStringView sansPonctuation(QStringView s) {
    for (int i = 0; i < 2 && !s.isEmpty() && (s.back() == u'.' || s.back() == u','); ++i)
        s.chop(1);
    return s;
}

bool estNomMois(QStringView s) {
    s = sansPonctuation(s);
    if (s.size() < 3 || s.size() > 10)
        return false;
    char16_t plie[10];
    for (qsizetype i = 0; i < s.size(); ++i) {
        char16_t c = s[i].unicode();
        // ASCII and Latin-1 capitals (À..Þ but ×) folded by one bit.
        if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
            c |= 0x20;
        plie[i] = c;
    }
    const std::u16string_view mot(plie, size_t(s.size()));
    for (const std::u16string_view nom : NomsMois)
        if (nom.size() >= mot.size() && nom.compare(0, mot.size(), mot) == 0)
            return true;
    return false;
}

// A short word without digits ("янв", "Στε", or a month's legacy bytes read
// as Latin-1): a month when the line's shape says so.
bool estMot(QStringView s) {
    s = sansPonctuation(s);
    if (s.size() < 2 || s.size() > 12)
        return false;
    for (QChar c : s)
        if (estChiffre(c.unicode()) || c == u':' || c == u'/' || c == u'-')
            return false;
    return true;
}

// "12:00", "9:05", "23:59:59", "11:59PM"
bool estHeure(QStringView s) {
    if (s.size() > 2 &&
        (s.endsWith(u"AM", Qt::CaseInsensitive) || s.endsWith(u"PM", Qt::CaseInsensitive)))
        s.chop(2);
    if (s.size() > 8)
        return false;
    qsizetype deuxPoints = 0; // at most eight characters: no call into a search
    while (deuxPoints < s.size() && s[deuxPoints] != u':')
        ++deuxPoints;
    if (deuxPoints == 0 || deuxPoints == s.size() || !tousChiffres(s.left(deuxPoints), 1, 2))
        return false;
    const QStringView reste = s.mid(deuxPoints + 1);
    if (reste.size() == 5 && reste[2] == u':')
        return tousChiffres(reste.left(2), 2, 2) && tousChiffres(reste.mid(3), 2, 2);
    return tousChiffres(reste, 2, 2);
}

// "2020-01-31"
bool estDateIso(QStringView s) {
    return s.size() == 10 && s[4] == u'-' && s[7] == u'-' && tousChiffres(s.left(4), 4, 4) &&
           tousChiffres(s.mid(5, 2), 2, 2) && tousChiffres(s.mid(8, 2), 2, 2);
}

// A date in one word, with one separator throughout: "2003/10/12",
// "24-04-2003", "2004.07.15", "09-26", "01-jun-99", "Feb-28-1998".
// Returns its number of parts (2 or 3), 0 when it is not one.
int partiesDateNumerique(QStringView s) {
    if (s.size() < 3 || s.size() > 12)
        return 0;
    char16_t separateur = 0;
    int parties = 0, lettres = 0;
    for (qsizetype i = 0; i <= s.size();) {
        qsizetype j = i;
        while (j < s.size() && s[j] != u'-' && s[j] != u'/' && s[j] != u'.')
            ++j;
        const QStringView partie = s.mid(i, j - i);
        if (tousChiffres(partie, 1, 4)) {
        } else if (estNomMois(partie) && ++lettres == 1) {
        } else {
            return 0;
        }
        ++parties;
        if (j == s.size())
            break;
        if (separateur && s[j] != separateur)
            return 0;
        separateur = s[j].unicode();
        i = j + 1;
        if (i == s.size())
            return 0; // "12-"
    }
    return parties >= 2 && parties <= 3 ? parties : 0;
}

// Digits followed by something that is not ASCII: "10月", "12日", "2003年",
// "1월", or the same in Shift-JIS, GBK or EUC-KR bytes read as Latin-1.
bool estPartieCjk(QStringView s) {
    if (s.size() < 2 || s.size() > 20)
        return false;
    qsizetype i = 0;
    while (i < s.size() && estChiffre(s[i].unicode()))
        ++i;
    return i >= 1 && i <= 4 && i < s.size() && s[i].unicode() >= 0x80;
}

int groupesDeChiffres(QStringView s) {
    int groupes = 0;
    for (qsizetype i = 0; i < s.size(); ++i)
        if (estChiffre(s[i].unicode()) && (i == 0 || !estChiffre(s[i - 1].unicode())))
            ++groupes;
    return groupes;
}

enum class Classe { Autre, Petit, Annee, Heure, Mois, Cjk, DateNumerique, DateComplete };

Classe classe(QStringView s) {
    if (s.isEmpty())
        return Classe::Autre;
    const QStringView nu = sansPonctuation(s);
    if (tousChiffres(nu, 1, 2))
        return Classe::Petit;
    if (tousChiffres(nu, 4, 4))
        return Classe::Annee;
    if (estChiffre(s[0].unicode())) {
        if (estHeure(s))
            return Classe::Heure;
        if (estPartieCjk(s))
            return Classe::Cjk;
        switch (partiesDateNumerique(nu)) {
        case 2:
            return Classe::DateNumerique;
        case 3:
            return Classe::DateComplete;
        default:
            return Classe::Autre;
        }
    }
    if (estNomMois(s))
        return Classe::Mois;
    if (partiesDateNumerique(nu) == 3) // "Feb-28-1998"
        return Classe::DateComplete;
    return Classe::Autre;
}

// A size as "ls" may write it: "1234", or with a unit as "ls -h" does
// ("33.5k", "2M", "1.1GiB"). -1 when s is not one.
qint64 taille(QStringView s) {
    if (tousChiffres(s, 1, 19))
        return s.toLongLong();
    qsizetype i = 0;
    qint64 entier = 0;
    while (i < s.size() && estChiffre(s[i].unicode()) && i < 15)
        entier = entier * 10 + (s[i++].unicode() - u'0');
    if (i == 0)
        return -1;
    double valeur = double(entier);
    if (i < s.size() && (s[i] == u'.' || s[i] == u',')) {
        double rang = 0.1;
        for (++i; i < s.size() && estChiffre(s[i].unicode()); ++i, rang /= 10)
            valeur += rang * (s[i].unicode() - u'0');
    }
    if (i >= s.size())
        return -1;
    int puissance = 0;
    switch (s[i].unicode() | 0x20) {
    case u'b':
        puissance = 0;
        break;
    case u'k':
        puissance = 1;
        break;
    case u'm':
        puissance = 2;
        break;
    case u'g':
        puissance = 3;
        break;
    case u't':
        puissance = 4;
        break;
    default:
        return -1;
    }
    const QStringView suffixe = s.mid(i + 1);
    if (!(suffixe.isEmpty() || suffixe.compare(u"b", Qt::CaseInsensitive) == 0 ||
          suffixe.compare(u"ib", Qt::CaseInsensitive) == 0))
        return -1;
    for (int p = 0; p < puissance; ++p)
        valeur *= 1024;
    return valeur < 9e18 ? qint64(valeur + 0.5) : -1;
}

// The size just before the date. When the group ran into the size column
// ("longgroup123456") the digits at its end are the size.
qint64 tailleAvantDate(QStringView s) {
    const qint64 t = taille(s);
    if (t >= 0)
        return t;
    qsizetype i = s.size();
    while (i > 0 && estChiffre(s[i - 1].unicode()))
        --i;
    if (i == s.size() || i == 0 || s.size() - i > 19)
        return -1;
    return s.mid(i).toLongLong();
}

// Month and day as two numbers, in either order: "12 31", "31 12", "1 2".
bool estJourEtMoisNumeriques(QStringView a, QStringView b) {
    if (!tousChiffres(a, 1, 2) || !tousChiffres(b, 1, 2))
        return false;
    const int x = a.toInt(), y = b.toInt();
    return x >= 1 && y >= 1 && x <= 31 && y <= 31 && (x <= 12 || y <= 12);
}

// A date of any locale that starts with word k, a word that carries the month
// (a month name, a numeric date, a CJK part). premier is the lowest word the
// date may take back for a day or year written before the month ("26. Juli,",
// "2003 3月 20"). On success debut and fin are its first and last words, and
// the result says how sure the date is.
enum class Date { Aucune, Faible, Forte };

Date lisDate(Decoupe &j, int k, int premier, int &debut, int &fin) {
    bool jour = false, mois = false, annee = false, heure = false;
    int cjk = 0;
    fin = -1;
    for (int i = k; i - k < 5 && j.existe(i); ++i) {
        if (heure)
            break; // the time always ends the date
        const Classe c = classe(j[i]);
        // The last word of the line is the name ("2021"), not a part of the
        // date; a time is never taken for a name.
        if (c != Classe::Heure && !j.existe(i + 1) && !j.suiteApres(i))
            break;
        if (annee && c != Classe::Heure)
            break; // "Apr 04, 2000 21:06": only a time after the year
        bool pris = true;
        switch (c) {
        case Classe::Mois:
            pris = !mois;
            mois = true;
            break;
        case Classe::Cjk:
            pris = cjk < 3;
            if (!pris)
                break;
            ++cjk;
            mois = true;
            if (groupesDeChiffres(j[i]) >= 2)
                jour = annee = true; // "2003年10月12日"
            break;
        case Classe::DateNumerique:
        case Classe::DateComplete:
            pris = !mois && !jour;
            if (!pris)
                break;
            mois = jour = true;
            annee = c == Classe::DateComplete;
            break;
        case Classe::Heure:
            heure = true;
            break;
        case Classe::Annee:
            annee = true;
            break;
        case Classe::Petit:
            if (!jour)
                jour = true;
            else if (!annee)
                annee = true; // "Jan 31 03"
            else
                pris = false;
            break;
        case Classe::Autre:
            // An unknown month word is met only as the first word, when the
            // caller has checked that a day and a time or year follow it.
            pris = i == k && estMot(j[i]);
            mois = mois || pris;
            break;
        }
        if (!pris)
            break;
        fin = i;
    }
    if (fin < 0 || !mois || !(jour || annee || heure || cjk >= 2))
        return Date::Aucune;
    debut = k;
    if (k - 1 >= premier && cjk < 2) {
        const Classe avant = classe(j[k - 1]);
        if (!jour && avant == Classe::Petit) {
            debut = k - 1; // "26. Juli, 20:10", "2. Okt. 2003"
            jour = true;
        } else if (!annee && !heure && avant == Classe::Annee) {
            debut = k - 1; // "2003 3月 20"
            annee = true;
        }
    }
    // A month with only a year or only a day may be an owner named "mar"
    // followed by a size: a fuller date further on is preferred.
    return (jour && (annee || heure)) || cjk >= 2 ? Date::Forte : Date::Faible;
}

// ------------------------------------------------------------ Unix

// Drwxr-xr-x and friends, with an optional ACL/extended-attribute mark.
bool estModeUnix(QStringView s) {
    if (s.size() < 10 || s.size() > 11)
        return false;
    switch (s[0].unicode()) {
    case u'-':
    case u'd':
    case u'l':
    case u'b':
    case u'c':
    case u'p':
    case u's':
    case u'D':
        break;
    default:
        return false;
    }
    // The permission letters, as one lookup per character.
    static constexpr auto permissions = [] {
        std::array<bool, 128> t{};
        for (char c : std::string_view("-rwxsStTlL"))
            t[size_t(c)] = true;
        return t;
    }();
    for (int i = 1; i < 10; ++i) {
        const char16_t c = s[i].unicode();
        if (c >= 128 || !permissions[c])
            return false;
    }
    return s.size() == 10 || s[10] == u'+' || s[10] == u'@' || s[10] == u'.';
}

// "0100644": st_mode in octal. Gives the kind as the first letter of the
// symbolic mode ('-', 'd', 'l'), 0 when s is not one.
char16_t modeNumerique(QStringView s) {
    if (s.size() < 6 || s.size() > 7)
        return 0;
    unsigned valeur = 0;
    for (QChar c : s) {
        if (c < u'0' || c > u'7')
            return 0;
        valeur = valeur << 3 | unsigned(c.unicode() - u'0');
    }
    switch (valeur >> 12) {
    case 004:
        return u'd';
    case 012:
        return u'l';
    case 001: // fifo
    case 002: // character device
    case 006: // block device
    case 010: // regular file
    case 014: // socket
        return u'-';
    default:
        return 0;
    }
}

void termine(Entree &e, QStringView nom, char16_t genre) {
    e.nom = nom;
    e.dossier = genre == u'd' || genre == u'D';
    e.lien = genre == u'l';
    if (e.lien) {
        const auto fleche = e.nom.indexOf(QLatin1String(" -> "));
        if (fleche >= 0)
            e.nom.truncate(fleche);
    }
    // "ls -F" marks folders with a slash.
    if (e.dossier && e.nom.size() > 1 && e.nom.endsWith(u'/'))
        e.nom.chop(1);
}

bool estTaille(QStringView s) {
    return taille(s) >= 0;
}

// No date anywhere: the columns tell where the name starts. Forms met:
//   mode links owner group size name    (the usual one, tried first)
//   mode links owner size name          (no group)
//   mode owner group size name          (no link count)
//   mode links size name, mode owner size name
//   0100644 uid gid size mtime name     (numeric mode, mtime in seconds)
// A name that starts with a number, after a line that lacks a column, is
// read as the size: nothing on the line tells the two apart.
bool lisColonnes(Decoupe &j, bool numerique, Entree &e, int &motTaille) {
    if (numerique && j.existe(5) && tousChiffres(j[1], 1, 10) && tousChiffres(j[2], 1, 10) &&
        estTaille(j[3]) && tousChiffres(j[4], 1, 12)) {
        motTaille = 3;
        e.nom = j.apres(4);
        e.taille = taille(j[3]);
        return true;
    }
    // With a link count the size is the 4th, 3rd or 2nd word, without one
    // the 3rd or 2nd.
    const bool liens = j.existe(1) && tousChiffres(j[1], 1, 10);
    for (int k = liens ? 4 : 3; k >= 2; --k) {
        if (j.existe(k + 1) && estTaille(j[k])) {
            motTaille = k;
            e.nom = j.apres(k);
            e.taille = taille(j[k]);
            return true;
        }
    }
    return false;
}

// The form of nearly every server, "-rw-r--r--  1 owner group  1234 Jan 31 12:00
// name" (or "... Jan 31  2020 name"), read in one pass over the characters.
// False for anything else, which then goes the general way below; an owner
// or group that looks like a date also goes there, so that the leftmost date
// is taken as it is there.
bool ligneUnixUsuelle(QStringView ligne, Entree &e) {
    const char16_t *p = ligne.utf16();
    const char16_t *const fin = p + ligne.size();
    if (ligne.size() < 11 || !estModeUnix(QStringView(p, 10)))
        return false;
    const char16_t genre = p[0];
    p += 10;
    if (*p == u'+' || *p == u'@' || *p == u'.')
        ++p;
    auto blancs = [&] {
        const char16_t *debut = p;
        p = saute<false>(p, fin);
        return p > debut && p < fin;
    };
    auto mot = [&] {
        const char16_t *debut = p;
        p = saute<true>(p, fin);
        return QStringView(debut, p);
    };
    auto date = [](QStringView m) { return estMoisAnglais(m) || estDateIso(m); };
    if (!blancs() || !tousChiffres(mot(), 1, 10) || !blancs())
        return false;
    const QStringView proprietaire = mot();
    if (!blancs())
        return false;
    const QStringView groupe = mot();
    if (date(proprietaire) || date(groupe) || !blancs())
        return false;
    const QStringView taille = mot();
    if (!tousChiffres(taille, 1, 18) || !blancs() || !estMoisAnglais(mot()) || !blancs() ||
        !tousChiffres(mot(), 1, 2) || !blancs())
        return false;
    const QStringView heure = mot();
    if (!(estHeure(heure) || tousChiffres(heure, 4, 4)) || fin - p < 2)
        return false;
    termine(e, QStringView(p + 1, fin), genre);
    qint64 octets = 0;
    for (QChar c : taille)
        octets = octets * 10 + (c.unicode() - u'0');
    e.taille = octets;
    return true;
}

Lecture ligneUnix(QStringView ligne, Entree &e) {
    if (ligneUnixUsuelle(ligne, e))
        return Lecture::Entree;
    Decoupe j(ligne);
    if (!j.existe(0))
        return Lecture::Ignoree;
    char16_t genre = 0;
    if (estModeUnix(j[0]))
        genre = j[0][0].unicode();
    else
        genre = modeNumerique(j[0]);
    if (!genre || !j.existe(2))
        return Lecture::Incomprise;

    // The usual "size Mon DD HH:MM|YYYY" (or "size YYYY-MM-DD HH:MM") first:
    // the leftmost one, so that a name that looks like a date stays whole.
    for (int k = 2; j.existe(k + 1); ++k) {
        if (!tousChiffres(j[k - 1], 1, 20))
            continue; // the size always comes just before the date
        int finDate = -1;
        if (estDateIso(j[k]) && estHeure(j[k + 1]))
            finDate = k + 1;
        else if (estMoisAnglais(j[k]) && tousChiffres(j[k + 1], 1, 2) && j.existe(k + 2) &&
                 (estHeure(j[k + 2]) || tousChiffres(j[k + 2], 4, 4)))
            finDate = k + 2;
        else if (estJourEtMoisNumeriques(j[k], j[k + 1]) && j.existe(k + 2) && estHeure(j[k + 2]))
            finDate = k + 2; // "12 31 23:59": only with a time, which no owner,
                             // group or size column looks like
        if (finDate < 0)
            continue;
        const int debutNom = j.fin(finDate) + 1;
        if (debutNom >= ligne.size())
            return Lecture::Incomprise;
        termine(e, ligne.mid(debutNom), genre);
        bool ok = false;
        e.taille = j[k - 1].toLongLong(&ok);
        if (!ok)
            e.taille = -1;
        return Lecture::Entree;
    }

    // Any other locale: the first word that carries a month starts the date,
    // and the name starts one blank after it ends.
    int debut = 0, fin = -1;
    for (int k = 1; j.existe(k + 1); ++k) {
        const Classe c = classe(j[k]);
        bool candidat = c == Classe::Mois || c == Classe::Cjk || c == Classe::DateNumerique ||
                        c == Classe::DateComplete;
        if (!candidat && c == Classe::Autre && k >= 2 && estMot(j[k]) && j.existe(k + 2)) {
            // A month in a language not listed ("янв"): only in the usual
            // shape, size before and day then time or year after.
            const Classe suivante = classe(j[k + 2]);
            candidat = estTaille(j[k - 1]) && classe(j[k + 1]) == Classe::Petit &&
                       (suivante == Classe::Heure || suivante == Classe::Annee);
        }
        if (!candidat)
            continue;
        int d = 0, f = 0;
        const Date date = lisDate(j, k, 2, d, f);
        if (date == Date::Aucune || (date == Date::Faible && fin >= 0))
            continue;
        debut = d;
        fin = f;
        if (date == Date::Forte)
            break;
    }
    if (fin >= 0) {
        const int debutNom = j.fin(fin) + 1;
        if (debutNom >= ligne.size())
            return Lecture::Incomprise;
        termine(e, ligne.mid(debutNom), genre);
        e.taille = debut >= 2 ? tailleAvantDate(j[debut - 1]) : -1;
        return Lecture::Entree;
    }

    int motTaille = 0;
    const bool numerique = j[0][0].isDigit();
    if (!lisColonnes(j, numerique, e, motTaille) || e.nom.isEmpty())
        return Lecture::Incomprise;
    const qint64 t = e.taille;
    termine(e, e.nom, genre);
    e.taille = t;
    return Lecture::Entree;
}

// ------------------------------------------------------------ DOS / IIS

// "1234", "9,730", "9.730", "1 234 567" with a no-break space, "1'234".
qint64 tailleDos(QStringView s) {
    if (tousChiffres(s, 1, 19))
        return s.toLongLong();
    if (s.isEmpty() || s.size() > 26)
        return -1;
    qsizetype i = 0;
    while (i < s.size() && estChiffre(s[i].unicode()))
        ++i;
    if (i == 0 || i > 3)
        return -1;
    const char16_t separateur = i < s.size() ? s[i].unicode() : 0;
    if (separateur != u',' && separateur != u'.' && separateur != 0xA0 && separateur != 0x202F &&
        separateur != u'\'')
        return -1;
    qint64 valeur = s.left(i).toLongLong();
    while (i < s.size()) {
        if (s[i] != separateur || !tousChiffres(s.mid(i + 1, 3), 3, 3))
            return -1;
        valeur = valeur * 1000 + s.mid(i + 1, 3).toLongLong();
        i += 4;
    }
    return valeur;
}

// "01-16-02  11:14AM       <DIR>          epsgroup"
// "2002-06-05  15:09             1234 file name.txt"
// "2002-09-02  19:06                9,730 thousands"
Lecture ligneDos(QStringView ligne, Entree &e) {
    Decoupe j(ligne);
    if (!j.existe(2))
        return Lecture::Incomprise;
    const QStringView date = j[0];
    if (date.size() < 6 || date.size() > 10 || !date[0].isDigit() ||
        !(date.contains(u'-') || date.contains(u'/') || date.contains(u'.')))
        return Lecture::Incomprise;
    for (QChar c : date)
        if (!c.isDigit() && c != u'-' && c != u'/' && c != u'.')
            return Lecture::Incomprise;
    QStringView heure = j[1];
    int k = 2;
    if (heure.endsWith(u"AM", Qt::CaseInsensitive) || heure.endsWith(u"PM", Qt::CaseInsensitive)) {
        heure.chop(2);
    } else if (j[2].compare(u"AM", Qt::CaseInsensitive) == 0 ||
               j[2].compare(u"PM", Qt::CaseInsensitive) == 0) {
        k = 3; // "11:14 AM"
    }
    if (!estHeure(heure) || !j.existe(k + 1))
        return Lecture::Incomprise;
    const int finHeure = j.fin(k - 1);
    const QStringView genre = j[k];
    e = Entree();
    if (genre.compare(u"<DIR>", Qt::CaseInsensitive) == 0) {
        e.dossier = true;
    } else {
        e.taille = tailleDos(genre);
        if (e.taille < 0)
            return Lecture::Incomprise;
        // "9 730" with a plain space: IIS right-aligns sizes on the 21st
        // column after the time, so the groups are one size only when they
        // end there and the first alone does not ("12 100 Days.mp3" stays
        // a size of 12).
        constexpr int FinColonneTaille = 21;
        int g = k;
        qint64 valeur = e.taille;
        while (j.existe(g + 2) && tousChiffres(j[g + 1], 3, 3) && j.debut(g + 1) == j.fin(g) + 1 &&
               g - k < 6) {
            valeur = valeur * 1000 + j[g + 1].toLongLong();
            ++g;
            if (j.fin(g) - finHeure == FinColonneTaille &&
                j.fin(k) - finHeure != FinColonneTaille && j[k].size() <= 3) {
                e.taille = valeur;
                k = g;
                break;
            }
        }
    }
    const QStringView nom = j.apres(k);
    if (nom.isEmpty())
        return Lecture::Incomprise;
    e.nom = nom;
    return Lecture::Entree;
}

// The old VShell form: "206876  Apr 04, 2000 21:06 name", a folder's name
// ending with a slash.
Lecture ligneTailleDate(QStringView ligne, Entree &e) {
    Decoupe j(ligne);
    if (!j.existe(2) || !tousChiffres(j[0], 1, 19))
        return Lecture::Incomprise;
    const Classe c = classe(j[1]);
    if (c != Classe::Mois && c != Classe::DateNumerique && c != Classe::DateComplete &&
        c != Classe::Cjk)
        return Lecture::Incomprise;
    int debut = 0, fin = 0;
    if (lisDate(j, 1, 1, debut, fin) == Date::Aucune)
        return Lecture::Incomprise;
    const int debutNom = j.fin(fin) + 1;
    if (debutNom >= ligne.size())
        return Lecture::Incomprise;
    e = Entree();
    e.nom = ligne.mid(debutNom);
    e.taille = j[0].toLongLong();
    if (e.nom.size() > 1 && e.nom.endsWith(u'/')) {
        e.nom.chop(1);
        e.dossier = true;
        e.taille = -1;
    }
    return Lecture::Entree;
}

// ------------------------------------------------------------ EPLF

// "+i8388621.48594,m825718503,r,s280,\tname": facts up to the TAB, "/" for a
// folder, "s" the size.
Lecture ligneEplf(QStringView ligne, Entree &e) {
    const auto tab = ligne.indexOf(u'\t');
    if (tab < 1 || tab + 1 >= ligne.size())
        return Lecture::Incomprise;
    e = Entree();
    for (QStringView fait : ligne.mid(1, tab - 1).tokenize(u',', Qt::SkipEmptyParts)) {
        if (fait == u"/")
            e.dossier = true;
        else if (fait[0] == u's' && tousChiffres(fait.mid(1), 1, 19))
            e.taille = fait.mid(1).toLongLong();
    }
    e.nom = ligne.mid(tab + 1);
    return Lecture::Entree;
}

// "total 123", and its translations ("insgesamt 12", "合計 8").
bool estTotal(QStringView ligne) {
    Decoupe j(ligne);
    if (!j.existe(1) || j.existe(2))
        return false;
    for (QChar c : j[0])
        if (!c.isLetter())
            return false;
    return taille(j[1]) >= 0;
}

} // namespace

Lecture LigneMlsd(QStringView ligne, Entree &e) {
    // The facts end at the first blank (RFC 3659); the name is everything
    // after it, spaces, semicolons and '=' included.
    if (!ligne.isEmpty() && estBlanc(ligne[0].unicode()) && estVide(ligne))
        return Lecture::Ignoree;
    qsizetype espace = 0;
    while (espace < ligne.size() && !estBlanc(ligne[espace].unicode()))
        ++espace;
    if (espace >= ligne.size() - 1)
        return Lecture::Incomprise;
    e = Entree();
    e.nom = ligne.mid(espace + 1);
    for (QStringView fait : ligne.left(espace).tokenize(u';', Qt::SkipEmptyParts)) {
        const auto egal = fait.indexOf(u'=');
        if (egal <= 0)
            return Lecture::Incomprise; // not a fact: not an MLSD line
        const QStringView nom = fait.left(egal);
        const QStringView valeur = fait.mid(egal + 1);
        if (nom.compare(u"type", Qt::CaseInsensitive) == 0) {
            if (valeur.compare(u"cdir", Qt::CaseInsensitive) == 0 ||
                valeur.compare(u"pdir", Qt::CaseInsensitive) == 0)
                return Lecture::Ignoree;
            e.dossier = valeur.compare(u"dir", Qt::CaseInsensitive) == 0;
            e.lien = valeur.startsWith(u"OS.unix=slink", Qt::CaseInsensitive) ||
                     valeur.startsWith(u"OS.unix=symlink", Qt::CaseInsensitive);
        } else if (nom.compare(u"size", Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const qint64 t = valeur.toLongLong(&ok);
            e.taille = ok ? t : -1;
        }
    }
    return Lecture::Entree;
}

std::optional<Entree> LigneMlsd(QStringView ligne) {
    Entree e;
    if (LigneMlsd(ligne, e) != Lecture::Entree)
        return std::nullopt;
    return e;
}

Lecture LigneList(QStringView ligne, Entree &e) {
    qsizetype i = 0;
    while (i < ligne.size() && estBlanc(ligne[i].unicode()))
        ++i;
    if (i == ligne.size())
        return Lecture::Ignoree;
    Lecture lecture = Lecture::Incomprise;
    if (ligne[i] == u'+') {
        lecture = ligneEplf(ligne, e);
    } else if (ligne[i].isDigit()) {
        lecture = ligneDos(ligne, e);
        if (lecture == Lecture::Incomprise)
            lecture = ligneTailleDate(ligne, e);
        if (lecture == Lecture::Incomprise)
            lecture = ligneUnix(ligne, e); // numeric mode
    } else {
        lecture = ligneUnix(ligne, e);
    }
    if (lecture == Lecture::Incomprise && estTotal(ligne))
        return Lecture::Ignoree;
    return lecture;
}

std::optional<Entree> LigneList(QStringView ligne) {
    Entree e;
    if (LigneList(ligne, e) != Lecture::Entree)
        return std::nullopt;
    return e;
}

void Analyseur::analyseLigne(QStringView ligne, bool mlsd,
                             const std::function<void(const Entree &)> &rappel) {
    Entree e;
    switch (mlsd ? LigneMlsd(ligne, e) : LigneList(ligne, e)) {
    case Lecture::Entree:
        e.latin1 = m_ligneLatin1;
        rappel(e);
        break;
    case Lecture::Ignoree:
        break;
    case Lecture::Incomprise:
        if (m_incomprises < INT_MAX)
            ++m_incomprises;
        break;
    }
}

void Analyseur::analyseTranche(QByteArrayView octets, bool mlsd,
                               const std::function<void(const Entree &)> &rappel) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const qsizetype requis = utf8.requiredSpace(octets.size());
    if (m_texte.size() < requis)
        m_texte.resize(requis);
    const QChar *fin = utf8.appendToBuffer(m_texte.data(), octets);
    if (!utf8.hasError()) {
        // A line ends at LF, CR LF or a lone CR; the empty line between CR
        // and LF is skipped like any blank one.
        const char16_t *p = reinterpret_cast<const char16_t *>(m_texte.constData());
        const char16_t *const finTexte = reinterpret_cast<const char16_t *>(fin);
        while (p < finTexte) {
            const char16_t *finLigne = finDeLigne(p, finTexte);
            if (finLigne > p)
                analyseLigne(QStringView(p, finLigne), mlsd, rappel);
            p = finLigne + 1;
        }
        return;
    }
    // Some line is not UTF-8: each one decoded alone, Latin-1 for those.
    for (qsizetype debut = 0; debut < octets.size();) {
        qsizetype f = debut;
        while (f < octets.size() && octets[f] != '\n' && octets[f] != '\r')
            ++f;
        const QByteArrayView ligne = octets.sliced(debut, f - debut);
        debut = f + 1;
        if (ligne.isEmpty())
            continue;
        QStringDecoder ligneUtf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QChar *d = m_texte.data();
        QChar *finLigne = ligneUtf8.appendToBuffer(d, ligne);
        m_ligneLatin1 = ligneUtf8.hasError();
        if (m_ligneLatin1) {
            for (char c : ligne)
                *d++ = QChar(uchar(c));
            finLigne = d;
            d = m_texte.data();
        }
        analyseLigne(QStringView(d, finLigne), mlsd, rappel);
        m_ligneLatin1 = false;
    }
}

void Analyseur::Analyse(QByteArrayView brut, bool mlsd,
                        const std::function<void(const Entree &)> &rappel) {
    // Decoded a slice of whole lines at a time, so that the buffer stays
    // small whatever the size of the block.
    auto finDeLigne = [](char c) { return c == '\n' || c == '\r'; };
    for (qsizetype debut = 0; debut < brut.size();) {
        qsizetype fin = brut.size();
        if (fin - debut > Tranche) {
            fin = debut + Tranche;
            while (fin > debut && !finDeLigne(brut[fin - 1]))
                --fin;
            if (fin == debut) {
                // One line longer than a slice: up to its end.
                fin = debut + Tranche;
                while (fin < brut.size() && !finDeLigne(brut[fin]))
                    ++fin;
            }
        }
        analyseTranche(brut.sliced(debut, fin - debut), mlsd, rappel);
        debut = fin;
    }
    // A very long line needed a buffer its size: not kept for the next block.
    if (m_texte.capacity() > 2 * Tranche)
        m_texte = QString();
}

bool NomAcceptable(QStringView nom) {
    if (nom.isEmpty() || nom == u"." || nom == u"..")
        return false;
    const char16_t *p = nom.utf16();
    const char16_t *const fin = p + nom.size();
#ifdef __SSE2__
    // Eight at a time: every name of a listing passes here.
    const __m128i barre = _mm_set1_epi16(u'/');
    const __m128i contreBarre = _mm_set1_epi16(u'\\');
    const __m128i controle = _mm_set1_epi16(u'\r'); // NUL, LF and CR are all <= CR
    const __m128i zero = _mm_setzero_si128();
    for (; fin - p >= 8; p += 8) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i refuse =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(c, barre), _mm_cmpeq_epi16(c, contreBarre)),
                         _mm_cmpeq_epi16(_mm_subs_epu16(c, controle), zero));
        if (_mm_movemask_epi8(refuse) != 0)
            break; // the loop below tells which
    }
#endif
    for (; p < fin; ++p)
        if (*p == u'/' || *p == u'\\' || *p == u'\0' || *p == u'\r' || *p == u'\n')
            return false;
    return true;
}

} // namespace ListingParser
