#include "ftp/ListingParser.h"

#include <QList>
#include <QStringDecoder>
#include <QStringView>
#include <QVarLengthArray>

namespace ListingParser {

namespace {

struct Jeton {
    int debut;
    int fin; // one past the last character
};

bool estBlanc(QChar c) {
    return c == u' ' || c == u'\t';
}

bool tousChiffres(QStringView s, int min, int max) {
    if (s.size() < min || s.size() > max)
        return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

bool estMois(QStringView s) {
    if (s.size() != 3)
        return false;
    // Three ASCII letters folded to lower case, compared as one number.
    quint32 cle = 0;
    for (QChar c : s) {
        const char16_t u = c.unicode() | 0x20;
        if (u < u'a' || u > u'z')
            return false;
        cle = cle << 8 | u;
    }
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

// "12:00" or "9:05"
bool estHeure(QStringView s) {
    const auto deuxPoints = s.indexOf(u':');
    return deuxPoints > 0 && tousChiffres(s.left(deuxPoints), 1, 2) &&
           tousChiffres(s.mid(deuxPoints + 1), 2, 2);
}

// "2020-01-31"
bool estDateIso(QStringView s) {
    return s.size() == 10 && s[4] == u'-' && s[7] == u'-' && tousChiffres(s.left(4), 4, 4) &&
           tousChiffres(s.mid(5, 2), 2, 2) && tousChiffres(s.mid(8, 2), 2, 2);
}

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
    for (int i = 1; i < 10; ++i) {
        switch (s[i].unicode()) {
        case u'-':
        case u'r':
        case u'w':
        case u'x':
        case u's':
        case u'S':
        case u't':
        case u'T':
        case u'l':
        case u'L':
            break;
        default:
            return false;
        }
    }
    return s.size() == 10 || s[10] == u'+' || s[10] == u'@' || s[10] == u'.';
}

std::optional<Entree> ligneUnix(QStringView ligne) {
    // Tokens are cut only as far as the date: the name after it may hold
    // blanks and is taken whole.
    QVarLengthArray<Jeton, 16> jetons;
    int i = 0;
    const int n = int(ligne.size());
    const char16_t *texte = ligne.utf16();
    auto assure = [&](int k) {
        int j = i; // a local cursor keeps the scan in registers
        while (jetons.size() <= k && jetons.size() < 16) {
            while (j < n && (texte[j] == u' ' || texte[j] == u'\t'))
                ++j;
            if (j >= n)
                break;
            const int debut = j;
            while (j < n && texte[j] != u' ' && texte[j] != u'\t')
                ++j;
            jetons.push_back({debut, j});
        }
        i = j;
        return jetons.size() > k;
    };
    auto jeton = [&](int k) { return ligne.mid(jetons[k].debut, jetons[k].fin - jetons[k].debut); };
    if (!assure(0) || !estModeUnix(jeton(0)) || !assure(3))
        return std::nullopt;

    // The name starts one blank after the date; the date is the leftmost
    // "Mon DD HH:MM|YYYY" (or ISO "YYYY-MM-DD HH:MM") preceded by the size.
    for (int k = 2; assure(k + 1); ++k) {
        if (!tousChiffres(jeton(k - 1), 1, 20))
            continue; // the size always comes just before the date
        int finDate = -1;
        if (estDateIso(jeton(k)) && estHeure(jeton(k + 1)))
            finDate = k + 1;
        else if (estMois(jeton(k)) && tousChiffres(jeton(k + 1), 1, 2) && assure(k + 2) &&
                 (estHeure(jeton(k + 2)) || tousChiffres(jeton(k + 2), 4, 4)))
            finDate = k + 2;
        if (finDate < 0)
            continue;
        const int debutNom = jetons[finDate].fin + 1;
        if (debutNom >= n)
            return std::nullopt;
        Entree e;
        e.nom = ligne.mid(debutNom);
        e.dossier = ligne[0] == u'd' || ligne[0] == u'D';
        e.lien = ligne[0] == u'l';
        bool ok = false;
        e.taille = jeton(k - 1).toLongLong(&ok);
        if (!ok)
            e.taille = -1;
        if (e.lien) {
            const auto fleche = e.nom.indexOf(QLatin1String(" -> "));
            if (fleche >= 0)
                e.nom.truncate(fleche);
        }
        return e;
    }
    return std::nullopt;
}

// "01-16-02  11:14AM       <DIR>          epsgroup"
// "2002-06-05  15:09             1234 file name.txt"
std::optional<Entree> ligneDos(QStringView ligne) {
    int i = 0;
    const int n = int(ligne.size());
    auto suivant = [&]() -> QStringView {
        while (i < n && estBlanc(ligne[i]))
            ++i;
        const int debut = i;
        while (i < n && !estBlanc(ligne[i]))
            ++i;
        return ligne.mid(debut, i - debut);
    };
    const QStringView date = suivant();
    if (date.size() < 6 || date.size() > 10 || !date[0].isDigit() ||
        !(date.contains(u'-') || date.contains(u'/') || date.contains(u'.')))
        return std::nullopt;
    for (QChar c : date)
        if (!c.isDigit() && c != u'-' && c != u'/' && c != u'.')
            return std::nullopt;
    QStringView heure = suivant();
    if (heure.endsWith(u"AM", Qt::CaseInsensitive) || heure.endsWith(u"PM", Qt::CaseInsensitive))
        heure.chop(2);
    if (!estHeure(heure))
        return std::nullopt;
    const QStringView genre = suivant();
    Entree e;
    if (genre.compare(u"<DIR>", Qt::CaseInsensitive) == 0) {
        e.dossier = true;
    } else if (tousChiffres(genre, 1, 20)) {
        e.taille = genre.toLongLong();
    } else {
        return std::nullopt;
    }
    while (i < n && estBlanc(ligne[i]))
        ++i;
    if (i >= n)
        return std::nullopt;
    e.nom = ligne.mid(i);
    return e;
}

} // namespace

std::optional<Entree> LigneMlsd(QStringView ligne) {
    const auto espace = ligne.indexOf(u' ');
    if (espace < 0)
        return std::nullopt;
    Entree e;
    e.nom = ligne.mid(espace + 1);
    const QStringView faits = ligne.left(espace);
    for (QStringView fait : faits.split(u';', Qt::SkipEmptyParts)) {
        const auto egal = fait.indexOf(u'=');
        if (egal <= 0)
            continue;
        const QStringView nom = fait.left(egal);
        const QStringView valeur = fait.mid(egal + 1);
        if (nom.compare(u"type", Qt::CaseInsensitive) == 0) {
            if (valeur.compare(u"cdir", Qt::CaseInsensitive) == 0 ||
                valeur.compare(u"pdir", Qt::CaseInsensitive) == 0)
                return std::nullopt;
            e.dossier = valeur.compare(u"dir", Qt::CaseInsensitive) == 0;
            e.lien = valeur.startsWith(u"OS.unix=slink", Qt::CaseInsensitive);
        } else if (nom.compare(u"size", Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const qint64 t = valeur.toLongLong(&ok);
            e.taille = ok ? t : -1;
        }
    }
    return e;
}

std::optional<Entree> LigneList(QStringView ligne) {
    if (ligne.isEmpty())
        return std::nullopt;
    if (ligne[0].isDigit())
        return ligneDos(ligne);
    return ligneUnix(ligne);
}

void Analyse(QByteArrayView brut, bool mlsd, const std::function<void(const Entree &)> &rappel) {
    auto analyseLigne = [&](QStringView ligne) {
        if (ligne.endsWith(u'\r'))
            ligne.chop(1);
        const auto e = mlsd ? LigneMlsd(ligne) : LigneList(ligne);
        if (e)
            rappel(*e);
    };
    // Decoded into a buffer kept from one block to the next: a fresh one per
    // block would cost a page fault for every few lines.
    thread_local QString texte;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const qsizetype requis = utf8.requiredSpace(brut.size());
    if (texte.size() < requis)
        texte.resize(requis);
    const QChar *fin = utf8.appendToBuffer(texte.data(), brut);
    if (!utf8.hasError()) {
        const QStringView decode(texte.constData(), fin - texte.constData());
        for (QStringView ligne : decode.tokenize(u'\n', Qt::SkipEmptyParts))
            analyseLigne(ligne);
        return;
    }
    for (qsizetype debut = 0; debut < brut.size();) {
        qsizetype fin = brut.indexOf('\n', debut);
        if (fin < 0)
            fin = brut.size();
        const QByteArrayView ligne = brut.sliced(debut, fin - debut);
        debut = fin + 1;
        QStringDecoder ligneUtf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString l = ligneUtf8.decode(ligne);
        if (ligneUtf8.hasError())
            l = QString::fromLatin1(ligne);
        analyseLigne(l);
    }
}

bool NomAcceptable(QStringView nom) {
    if (nom.isEmpty() || nom == u"." || nom == u"..")
        return false;
    for (QChar c : nom)
        if (c == u'/' || c == u'\\' || c == u'\0' || c == u'\r' || c == u'\n')
            return false;
    return true;
}

} // namespace ListingParser
