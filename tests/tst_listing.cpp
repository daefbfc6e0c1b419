// The listing parsers, line by line: Unix "ls -l", DOS/IIS and MLSD lines as
// real servers send them, and garbage that must give nothing without crashing.

#include "ftp/Dictionnaire.h"
#include "ftp/ListingParser.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

enum Genre { Aucun, Fichier, Dossier, Lien };
constexpr qint64 TailleIgnoree = -2;

struct Cas {
    const char *id;
    bool mlsd;
    const char *ligne; // UTF-8
    Genre genre;
    const char *nom;
    qint64 taille;
};

// clang-format off
const Cas Table[] = {
    // Unix ls -l
    {"U01 plain file", false, "-rw-r--r--   1 owner group     1234 Jan  1 12:00 file.txt", Fichier, "file.txt", 1234},
    {"U02 folder, year form", false, "drwxr-xr-x   2 owner group     4096 Jan  1  2020 docs", Dossier, "docs", 4096},
    {"U03 inner spaces kept", false, "-rw-r--r--   1 owner group       10 Mar 15 09:05 name with  spaces.txt", Fichier, "name with  spaces.txt", 10},
    {"U04 leading space kept", false, "-rw-r--r--   1 owner group       10 Mar 15 09:05  leading space", Fichier, " leading space", 10},
    {"U05 trailing space kept", false, "-rw-r--r--   1 owner group       10 Mar 15 09:05 trailing ", Fichier, "trailing ", 10},
    {"U06 symlink", false, "lrwxrwxrwx   1 owner group       11 Feb  2 03:04 link -> target/file", Lien, "link", 11},
    {"U07 symlink with spaces", false, "lrwxrwxrwx   1 owner group       11 Feb  2  2021 spaced name -> other name", Lien, "spaced name", 11},
    {"U08 total line", false, "total 123", Aucun, "", 0},
    {"U09 total zero", false, "total 0", Aucun, "", 0},
    {"U10 size beyond 4 GiB", false, "-rw-r--r--   1 owner group 5368709120 Dec 31 23:59 big.iso", Fichier, "big.iso", 5368709120LL},
    {"U11 size beyond 64 bits", false, "-rw-r--r--   1 owner group 99999999999999999999 Dec 31 23:59 huge", Fichier, "huge", TailleIgnoree},
    {"U12 group missing", false, "-rw-r--r--   1 owner     1234 Jan  1 12:00 nogroup.txt", Fichier, "nogroup.txt", 1234},
    {"U13 owner and group missing", false, "-rw-r--r--   1     1234 Jan  1 12:00 noowner.txt", Fichier, "noowner.txt", 1234},
    {"U14 name that looks like a date", false, "-rw-r--r--   1 owner group       10 Jan  1 12:00 Jan  2 12:00 x", Fichier, "Jan  2 12:00 x", 10},
    {"U15 name that is a year", false, "-rw-r--r--   1 owner group       10 Jan  1  2020 2021", Fichier, "2021", 10},
    {"U16 ISO date", false, "-rw-r--r--   1 owner group       10 2020-01-31 12:00 iso.txt", Fichier, "iso.txt", 10},
    {"U17 ACL mark", false, "drwxrwxrwt+  2 owner group     4096 Jan  1 12:00 tmp", Dossier, "tmp", 4096},
    {"U18 extended attribute mark", false, "-rw-r--r--@  1 owner staff      10 Jan  1 12:00 mac.txt", Fichier, "mac.txt", 10},
    {"U19 setuid", false, "-rwsr-xr-x   1 root  root        10 Jan  1 12:00 setuid", Fichier, "setuid", 10},
    {"U20 device", false, "crw-rw----   1 root  tty      4,   0 Jan  1 12:00 tty0", Fichier, "tty0", TailleIgnoree},
    {"U21 lower-case month", false, "-rw-r--r--   1 owner group       10 jan  1 12:00 lower.txt", Fichier, "lower.txt", 10},
    {"U22 one-digit day", false, "-rw-r--r-- 1 owner group 10 Jan 1 12:00 one-digit-day", Fichier, "one-digit-day", 10},
    {"U23 accents", false, "drwxr-xr-x   2 owner group     4096 Jan  1 12:00 é à ü", Dossier, "é à ü", 4096},
    {"U24 arrow in a file name", false, "-rw-r--r--   1 owner group       10 Jan  1 12:00 a -> b", Fichier, "a -> b", 10},
    {"U25 group with a space", false, "-rw-r--r--   1 owner Domain Users    10 Jan  1 12:00 f", Fichier, "f", 10},
    {"U26 numeric owner and group", false, "drwxr-xr-x   2 1000     1000         4096 Jan  1 12:00 numeric", Dossier, "numeric", 4096},
    {"U27 owner named like a month", false, "-rw-r--r--   1 dec      2020         10 Jan  1 12:00 month-owner", Fichier, "month-owner", 10},
    {"U28 dot folder", false, "drwxr-xr-x   2 owner group     4096 Jan  1 12:00 .hidden", Dossier, ".hidden", 4096},
    {"U29 dot-dot", false, "drwxr-xr-x   2 owner group     4096 Jan  1 12:00 ..", Dossier, "..", 4096},
    {"U30 no name", false, "-rw-r--r--   1 owner group       10 Jan  1 12:00", Aucun, "", 0},
    {"U31 only a blank after the date", false, "-rw-r--r--   1 owner group       10 Jan  1 12:00 ", Aucun, "", 0},
    {"U32 unknown type letter", false, "xrw-r--r--   1 owner group       10 Jan  1 12:00 x", Aucun, "", 0},
    {"U33 mode alone", false, "-rw-r--r--", Aucun, "", 0},
    {"U34 no size before the date", false, "-rw-r--r--   1 owner group Jan  1 12:00 x", Aucun, "", 0},

    // DOS / IIS
    {"D01 folder", false, "01-16-02  11:14AM       <DIR>          epsgroup", Dossier, "epsgroup", -1},
    {"D02 file with spaces", false, "01-16-02  11:14PM                 1234 file name.txt", Fichier, "file name.txt", 1234},
    {"D03 four-digit year, beyond 4 GiB", false, "06-05-2002  03:09PM           5368709120 big.bin", Fichier, "big.bin", 5368709120LL},
    {"D04 ISO date, 24 h", false, "2002-06-05  15:09       <DIR>          iso dir", Dossier, "iso dir", -1},
    {"D05 lower-case dir mark", false, "01-16-02  11:14AM       <dir>          lower", Dossier, "lower", -1},
    {"D06 accents", false, "01-16-02  11:14AM                   12 é à ü.txt", Fichier, "é à ü.txt", 12},
    {"D07 no name", false, "01-16-02  11:14AM       <DIR>", Aucun, "", 0},
    {"D08 date alone", false, "01-16-02", Aucun, "", 0},
    {"D09 no time", false, "01-16-02  garbage", Aucun, "", 0},
    {"D10 neither size nor dir", false, "01-16-02  11:14AM  huh name", Aucun, "", 0},
    {"D11 digits only", false, "99999999999999999999999999999999", Aucun, "", 0},

    // MLSD
    {"M01 file", true, "type=file;size=123;modify=20200101120000; file.txt", Fichier, "file.txt", 123},
    {"M02 folder", true, "type=dir;modify=20200101120000; docs", Dossier, "docs", -1},
    {"M03 current folder", true, "type=cdir;modify=20200101120000; .", Aucun, "", 0},
    {"M04 parent folder", true, "type=pdir;modify=20200101120000; ..", Aucun, "", 0},
    {"M05 fact names in capitals", true, "Type=DIR;Size=0; Upper", Dossier, "Upper", 0},
    {"M06 symlink", true, "type=OS.unix=slink:/target;size=7; link", Lien, "link", 7},
    {"M07 size beyond 4 GiB", true, "type=file;size=5368709120; big", Fichier, "big", 5368709120LL},
    {"M08 leading space kept", true, "type=file;size=1;  two", Fichier, " two", 1},
    {"M09 semicolons in the name", true, "type=file;size=1; name;with;semicolons", Fichier, "name;with;semicolons", 1},
    {"M10 spaces in the name", true, "type=file;size=1; name with spaces.txt", Fichier, "name with spaces.txt", 1},
    {"M11 no name", true, "type=file;size=1;", Aucun, "", 0},
    {"M12 no facts", true, " nofacts", Fichier, "nofacts", -1},
    {"M13 equals sign in the name", true, "type=dir;unique=801U1; with=equals", Dossier, "with=equals", -1},
    {"M14 trailing space kept", true, "type=file;size=1; trailing ", Fichier, "trailing ", 1},
    {"M15 facts in another order", true, "modify=20200101120000;perm=adfrw;size=5;type=file;unique=1; reordered", Fichier, "reordered", 5},
    {"M16 accents", true, "size=10;type=file;perm=r; é à ü.txt", Fichier, "é à ü.txt", 10},
    {"M17 unreadable size", true, "type=file;size=abc; badsize", Fichier, "badsize", -1},
    {"M18 dot-dot given as a folder", true, "type=dir; ..", Dossier, "..", -1},
};
// clang-format on

} // namespace

class TstListing : public QObject {
    Q_OBJECT

private slots:
    void lignes_data();
    void lignes();
    void nomAcceptable_data();
    void nomAcceptable();
    void lignesTronqueesOuBruitees();
    void octetsAuHasard();
    void dictionnaire();
    void dictionnaireVolumineux();
    void remplisseur();
};

void TstListing::lignes_data() {
    QTest::addColumn<bool>("mlsd");
    QTest::addColumn<QString>("ligne");
    QTest::addColumn<int>("genre");
    QTest::addColumn<QString>("nom");
    QTest::addColumn<qint64>("taille");
    for (const Cas &c : Table)
        QTest::newRow(c.id) << c.mlsd << QString::fromUtf8(c.ligne) << int(c.genre)
                            << QString::fromUtf8(c.nom) << c.taille;
}

void TstListing::lignes() {
    QFETCH(bool, mlsd);
    QFETCH(QString, ligne);
    QFETCH(int, genre);
    QFETCH(QString, nom);
    QFETCH(qint64, taille);
    const auto e = mlsd ? ListingParser::LigneMlsd(ligne) : ListingParser::LigneList(ligne);
    if (genre == Aucun) {
        QVERIFY2(!e, e ? qPrintable(e->nom.toString()) : "");
        return;
    }
    QVERIFY(e);
    QCOMPARE(e->nom.toString(), nom);
    QCOMPARE(e->dossier, genre == Dossier);
    QCOMPARE(e->lien, genre == Lien);
    if (taille != TailleIgnoree)
        QCOMPARE(e->taille, taille);
}

void TstListing::nomAcceptable_data() {
    QTest::addColumn<QString>("nom");
    QTest::addColumn<bool>("acceptable");
    QTest::newRow("plain") << "a.txt" << true;
    QTest::newRow("dot-file") << ".profile" << true;
    QTest::newRow("three dots") << "..." << true;
    QTest::newRow("spaces and accents") << " é à ü " << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot-dot") << ".." << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("climbing") << "../evil" << false;
    QTest::newRow("absolute") << "/etc/passwd" << false;
    QTest::newRow("backslash") << "..\\evil" << false;
    QTest::newRow("NUL") << QString::fromUtf8("a\0b", 3) << false;
    QTest::newRow("CR") << "a\rb" << false;
    QTest::newRow("LF") << "a\nDELE x" << false;
}

void TstListing::nomAcceptable() {
    QFETCH(QString, nom);
    QFETCH(bool, acceptable);
    QCOMPARE(ListingParser::NomAcceptable(nom), acceptable);
}

// Every prefix of every line, and every line with blanks inserted at random
// places (fixed seed, so a failure can be replayed): no crash, no name with a
// line end in it.
void TstListing::lignesTronqueesOuBruitees() {
    QRandomGenerator alea(20240611);
    int analysees = 0;
    for (const Cas &c : Table) {
        const QString ligne = QString::fromUtf8(c.ligne);
        for (qsizetype n = 0; n <= ligne.size(); ++n) {
            const QString debut = ligne.left(n);
            ListingParser::LigneList(debut);
            ListingParser::LigneMlsd(debut);
            ++analysees;
        }
        for (int essai = 0; essai < 50; ++essai) {
            QString bruitee = ligne;
            const int insertions = 1 + int(alea.bounded(4));
            for (int k = 0; k < insertions; ++k)
                bruitee.insert(alea.bounded(int(bruitee.size()) + 1),
                               QString(1 + int(alea.bounded(3)), alea.bounded(2) ? ' ' : '\t'));
            for (const auto &e :
                 {ListingParser::LigneList(bruitee), ListingParser::LigneMlsd(bruitee)})
                if (e)
                    QVERIFY(!e->nom.contains('\n'));
            ++analysees;
        }
    }
    QVERIFY(analysees > 1000);
}

void TstListing::octetsAuHasard() {
    QRandomGenerator alea(7);
    const QString alphabet =
        QStringLiteral(" \t-drwxlJanDec0123456789:;=<>DIR/.\\AMPtypefilesize\x7f");
    for (int i = 0; i < 5000; ++i) {
        QString ligne;
        const int longueur = int(alea.bounded(120));
        for (int k = 0; k < longueur; ++k)
            ligne += alphabet[int(alea.bounded(int(alphabet.size())))];
        for (const auto &e : {ListingParser::LigneList(ligne), ListingParser::LigneMlsd(ligne)})
            if (e)
                ListingParser::NomAcceptable(e->nom);
    }
    // Lines far longer than any real one.
    const QString longue =
        QStringLiteral("-rw-r--r-- 1 o g 10 Jan  1 12:00 ") + QString(1 << 20, 'x');
    const auto e = ListingParser::LigneList(longue);
    QVERIFY(e);
    QCOMPARE(e->nom.size(), 1 << 20);
    ListingParser::LigneList(QString(1 << 20, ' '));
    ListingParser::LigneMlsd(QString(1 << 20, ';'));
}

void TstListing::dictionnaire() {
    Dictionnaire dic;
    QVERIFY(!dic.Existe(u"/a"));
    QCOMPARE(dic.Element(u"/a"), QString());
    QVERIFY(dic.Ajoute(u"/d/b.txt", u"b.txt"));
    QVERIFY(dic.Ajoute(u"?/d/sous/", u"sous"));
    QVERIFY(dic.Ajoute(u"/d/x", u"sans rapport")); // not the end of its key
    QVERIFY(dic.Ajoute(u"", u""));
    QVERIFY(!dic.Ajoute(u"/d/b.txt", u"autre")); // the first one stays
    QCOMPARE(dic.Count(), 4);
    QCOMPARE(dic.Element(u"/d/b.txt"), QStringLiteral("b.txt"));
    QCOMPARE(dic.Element(u"?/d/sous/"), QStringLiteral("sous"));
    QCOMPARE(dic.Element(u"/d/x"), QStringLiteral("sans rapport"));
    QVERIFY(dic.Existe(u""));
    QVERIFY(!dic.Existe(u"/d/B.txt"));
    QStringList ordre;
    for (const auto &e : dic.Entrees())
        ordre << e.cle().toString() + '=' + e.element().toString();
    QCOMPARE(ordre, QStringList({"/d/b.txt=b.txt", "?/d/sous/=sous", "/d/x=sans rapport", "="}));

    // Merging keeps the order and the first entry of a key; into an empty
    // dictionary it takes everything over.
    Dictionnaire autre;
    autre.Ajoute(u"/d/x", u"doublon");
    autre.Ajoute(u"/d/y", u"y");
    dic.Fusionne(std::move(autre));
    QCOMPARE(dic.Count(), 5);
    QCOMPARE(dic.Element(u"/d/x"), QStringLiteral("sans rapport"));
    QCOMPARE(dic.Entrees().last().cle(), u"/d/y");
    Dictionnaire vide;
    vide.Fusionne(std::move(dic));
    QCOMPARE(vide.Count(), 5);
    QCOMPARE(vide.Element(u"/d/y"), QStringLiteral("y"));
    QVERIFY(dic.Ajoute(u"/d/y", u"y")); // a moved-from dictionary is empty and usable
    QCOMPARE(dic.Count(), 1);
}

// Enough entries for the index to grow many times and the text to span many
// blocks, and keys longer than a block: every key still finds its own entry,
// and views taken early stay valid.
void TstListing::dictionnaireVolumineux() {
    Dictionnaire dic;
    const QString geante(1536 * 1024, u'g');
    QVERIFY(dic.Ajoute(u"/premier", u"premier"));
    const QStringView premiere = dic.Entrees().first().cle();
    constexpr int N = 200000;
    for (int i = 0; i < N; ++i) {
        const QString nom = QString::number(i, 36);
        QVERIFY(dic.Ajoute(QStringLiteral("/d/") + nom, nom));
        if (i == N / 2)
            QVERIFY(dic.Ajoute(geante, u"g"));
    }
    QVERIFY(!dic.Ajoute(geante, u"g"));
    QCOMPARE(dic.Count(), N + 2);
    QCOMPARE(premiere, u"/premier");
    for (int i = 0; i < N; i += 997)
        QCOMPARE(dic.Element(QStringLiteral("/d/") + QString::number(i, 36)),
                 QString::number(i, 36));
    QCOMPARE(dic.Element(geante), QStringLiteral("g"));
    QCOMPARE(dic.Entrees()[N / 2 + 2].cle().size(), geante.size());
    QVERIFY(!dic.Existe(QStringLiteral("/d/") + QString::number(N, 36)));
}

// Filled on another thread, in batches: the same entries in the same order as
// one Ajoute after another, duplicates across batches included, whether the
// run is short (no thread) or spans more batches than are ever in flight.
void TstListing::remplisseur() {
    for (const int n : {10, 60000}) {
        Dictionnaire attendu;
        Dictionnaire rempli;
        Remplisseur r(rempli);
        for (int i = 0; i < n; ++i) {
            const QString nom = QString::number(i * 7919 % (n / 2 + 1), 36);
            const bool dossier = i % 3 == 0;
            r.Ajoute(dossier ? u"?/d/" : u"/d/", nom, dossier ? u"/" : u"");
            attendu.Ajoute(dossier ? "?/d/" + nom + "/" : "/d/" + nom, nom);
        }
        QCOMPARE(r.EntreesDonnees(), n);
        r.Termine();
        QCOMPARE(rempli.Count(), attendu.Count());
        QVERIFY(rempli.Count() < n);
        for (int i = 0; i < attendu.Count(); ++i) {
            QCOMPARE(rempli.Entrees()[i].cle(), attendu.Entrees()[i].cle());
            QCOMPARE(rempli.Entrees()[i].element(), attendu.Entrees()[i].element());
            QCOMPARE(rempli.Element(attendu.Entrees()[i].cle()),
                     attendu.Entrees()[i].element().toString());
        }
        QCOMPARE(rempli.TailleTexte(), attendu.TailleTexte());
    }
    // Given up half-way (a failed listing): the filler stops, and the
    // dictionary stays usable.
    Dictionnaire abandonne;
    {
        Remplisseur r(abandonne);
        for (int i = 0; i < 50000; ++i)
            r.Ajoute(u"/d/", QString::number(i), {});
    }
    abandonne.Ajoute(u"/apres", u"apres");
    QVERIFY(abandonne.Existe(u"/apres"));
}

QTEST_GUILESS_MAIN(TstListing)
#include "tst_listing.moc"
