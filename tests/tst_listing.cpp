// The listing parsers, line by line: Unix "ls -l" in many locales, DOS/IIS,
// VShell, EPLF and MLSD lines as real servers send them, and garbage that must
// give nothing without crashing; then whole listings through the Analyseur:
// line ends, legacy encodings, the count of lines not understood, its buffer.

#include "ftp/Dictionnaire.h"
#include "ftp/ListingParser.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QtTest>

namespace {

// Ignore: no entry on purpose ("total N", cdir); Incompris: counted as a line
// that no parser read.
enum Genre { Ignore, Incompris, Fichier, Dossier, Lien };
constexpr qint64 TailleIgnoree = -2;

struct Cas {
    const char *id;
    bool mlsd;
    const char *ligne; // UTF-8, or legacy bytes read as Latin-1 as the Analyseur does
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
    {"U08 total line", false, "total 123", Ignore, "", 0},
    {"U09 total zero", false, "total 0", Ignore, "", 0},
    {"U10 size beyond 4 GiB", false, "-rw-r--r--   1 owner group 5368709120 Dec 31 23:59 big.iso", Fichier, "big.iso", 5368709120LL},
    {"U11 size beyond 64 bits", false, "-rw-r--r--   1 owner group 99999999999999999999 Dec 31 23:59 huge", Fichier, "huge", TailleIgnoree},
    {"U12 group missing", false, "-rw-r--r--   1 owner     1234 Jan  1 12:00 nogroup.txt", Fichier, "nogroup.txt", 1234},
    {"U13 owner and group missing", false, "-rw-r--r--   1     1234 Jan  1 12:00 noowner.txt", Fichier, "noowner.txt", 1234},
    {"U14 name that looks like a date", false, "-rw-r--r--   1 owner group       10 Jan  1 12:00 Jan  2 12:00 x", Fichier, "Jan  2 12:00 x", 10},
    {"U15 name that is a year", false, "-rw-r--r--   1 owner group       10 Jan  1  2020 2021", Fichier, "2021", 10},
    {"U16 ISO date", false, "-rw-r--r--   1 owner group       10 2020-01-31 12:00 iso.txt", Fichier, "iso.txt", 10},
    {"U17 ACL mark", false, "drwxrwxrwt+  2 owner group     4096 Jan  1 12:00 tmp", Dossier, "tmp", 4096},
    {"U18 extended attribute mark", false, "-rw-r--r--@  1 owner staff      10 Jan  1 12:00 mac.txt", Fichier, "mac.txt", 10},
    {"U19a owner named like a month", false, "-rw-r--r--   1 jun   staff      512 Jan  1 12:00 june notes.txt", Fichier, "june notes.txt", 512},
    {"U19b numeric owner, group named like a month", false, "-rw-r--r--   1 1000  mar        512 Jan  1  2021 m.txt", Fichier, "m.txt", 512},
    {"U19c tabs between columns", false, "-rw-r--r--\t1\towner\tgroup\t77\tJan\t1\t12:00\ttabbed name", Fichier, "tabbed name", 77},
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
    {"U30 no name", false, "-rw-r--r--   1 owner group       10 Jan  1 12:00", Incompris, "", 0},
    {"U31 only a blank after the date", false, "-rw-r--r--   1 owner group       10 Jan  1 12:00 ", Incompris, "", 0},
    {"U32 unknown type letter", false, "xrw-r--r--   1 owner group       10 Jan  1 12:00 x", Incompris, "", 0},
    {"U33 mode alone", false, "-rw-r--r--", Incompris, "", 0},
    {"U34 no size before the date", false, "-rw-r--r--   1 owner group Jan  1 12:00 x", Fichier, "x", -1},

    // Unix, month names of other locales and punctuation
    {"L01 German month with a dot", false, "-rw-r--r--   1 root     other      2304 Okt.  6 17:33 nl.mo", Fichier, "nl.mo", 2304},
    {"L02 German day first, month with a comma", false, "dr-xr-xr-x   2 root     other      2235 26. Juli, 20:10 Ordner", Dossier, "Ordner", 2235},
    {"L03 German day, month with dot and comma, year", false, "-rw-r--r--   1 hans     users       512 30. Jan., 2004 Bericht 2004.pdf", Fichier, "Bericht 2004.pdf", 512},
    {"L04 German day first, year", false, "-r-xr-xr-x   2 root     other      2235 2.   Okt.  2003 datei", Fichier, "datei", 2235},
    {"L05 German umlaut month", false, "-rw-r--r--   1 hans     users        10 Mär 15 09:05 märz.txt", Fichier, "märz.txt", 10},
    {"L06 German Mrz", false, "-rw-r--r--   1 hans     users        11 Mrz 15  2019 a b", Fichier, "a b", 11},
    {"L07 French abbreviation with a dot", false, "-rw-r--r--   1 jean     staff      1024 févr. 12 11:30 rapport final.odt", Fichier, "rapport final.odt", 1024},
    {"L08 French août, folder", false, "drwxr-xr-x   3 jean     staff      4096 août  15  2018 vacances", Dossier, "vacances", 4096},
    {"L09 French day first", false, "-rw-r--r--   1 jean     staff        99 3 juil. 2018 note", Fichier, "note", 99},
    {"L10 Spanish lower case", false, "-rw-r--r--   1 pepe     users       300 ene  5  2020 enero.txt", Fichier, "enero.txt", 300},
    {"L11 Spanish ago, link", false, "lrwxrwxrwx   1 pepe     users         7 ago 30 23:59 enlace -> destino", Lien, "enlace", 7},
    {"L12 Italian gen, mag", false, "-rw-r--r--   1 luca     users        42 mag 12  2021 maggio", Fichier, "maggio", 42},
    {"L13 Italian set", false, "drwxr-xr-x   2 luca     users      4096 set  4 08:00 cartella", Dossier, "cartella", 4096},
    {"L14 Dutch mrt, mei", false, "-rw-r--r--   1 jan      users        15 mrt  3  2020 maart.txt", Fichier, "maart.txt", 15},
    {"L15 Dutch okt", false, "-rw-r--r--   1 jan      users        16 okt 17 12:00 oktober", Fichier, "oktober", 16},
    {"L16 English month in capitals", false, "-rw-r--r--   1 owner group        17 DEC 31  2020 upper", Fichier, "upper", 17},
    {"L17 full month name", false, "-rw-r--r--   1 owner group        18 September  5  2003 full", Fichier, "full", 18},
    {"L18 two-digit year", false, "-rw-r--r--   1 owner group        19 Jan 31 03 short year", Fichier, "short year", 19},
    {"L19 day before an English month", false, "-rw-r--r--   1 owner group        20 15 Jan 2020 dmy", Fichier, "dmy", 20},
    {"L20 month, day with a comma, year and time", false, "-rwxr-xr-x    1 user group        9 Oct 08, 2002 09:47 vshell new", Fichier, "vshell new", 9},
    {"L21 Russian month", false, "-rw-r--r--   1 ivan     users      2048 янв 12 12:00 файл.txt", Fichier, "файл.txt", 2048},
    {"L22 Greek month, year", false, "-rw-r--r--   1 nikos    users      2049 Μαΐ 12  2019 αρχείο", Fichier, "αρχείο", 2049},
    {"L23 owner named like a German month", false, "-rw-r--r--   1 mai      users        21 Okt.  6 17:33 mai-owner", Fichier, "mai-owner", 21},
    {"L24 owner named like a month, numeric date", false, "-rw-r--r--   1 mar      1234 09-26 13:45 x", Fichier, "x", 1234},

    // Unix, numeric dates in any order and separator
    {"N01 year/month/day, time", false, "-r-xr-xr-x   2 root     other      2235 1999/10/12 17:12 slashes", Fichier, "slashes", 2235},
    {"N02 day-month-year, time", false, "-r-xr-xr-x   2 root     other      2236 24-04-2003 17:12 dashes", Fichier, "dashes", 2236},
    {"N03 year.month.day, time", false, "-rw-r--r--   1 root     other      2237 2004.07.15 10:00 dots", Fichier, "dots", 2237},
    {"N04 month-day then year", false, "-rw-r--r--   1 root     other       531 09-26 2000 md year", Fichier, "md year", 531},
    {"N05 month-day then time", false, "-rw-r--r--   1 root     other       532 09-26 13:45 md time", Fichier, "md time", 532},
    {"N06 day-month name-year, no time", false, "-r-xr-xr-x   2 owner    group      4512 01-jun-99 shortdate", Fichier, "shortdate", 4512},
    {"N07 ISO date, time with seconds", false, "-rw-r--r--   1 root     other       533 2005-06-07 21:22:59 seconds", Fichier, "seconds", 533},
    {"N08 day.month.year, folder", false, "drwxr-xr-x   2 root     other      4096 15.07.2004 10:00 Ordner 2", Dossier, "Ordner 2", 4096},
    // Unix, numeric dates without a year
    {"N09 month and day as two numbers, time", false, "-rw-r--r--   1 u        g           123 12 31 23:59 name", Fichier, "name", 123},
    {"N10 one-digit month and day, folder", false, "drwxr-xr-x   2 u        g          4096  1  2 10:00 two words", Dossier, "two words", 4096},
    {"N11 day before month, time with seconds", false, "-rw-r--r--   1 u        g           124 31 12 23:59:59 dmy", Fichier, "dmy", 124},
    {"N12 numbers, no group, name that starts with a date", false, "-rw-r--r--   1 u    125 3 4 09:05 3 4 09:05 x", Fichier, "3 4 09:05 x", 125},
    {"N13 month-day, 12-hour time", false, "-rw-r--r--   1 u        g           126 12-31 11:59PM pm", Fichier, "pm", 126},
    {"N14 month/day, 12-hour time", false, "-rw-r--r--   1 u        g           127 01/02 10:00am am", Fichier, "am", 127},
    {"N15 English month, 12-hour time", false, "-rw-r--r--   1 u        g           128 Jan  2 10:00AM am2", Fichier, "am2", 128},
    {"N16 not a month and day: the name keeps them", false, "-rw-r--r--   1 u        g           129 40 41 10:00 x", Fichier, "40 41 10:00 x", 129},

    // Unix, CJK dates, in UTF-8 and in legacy encodings
    {"C01 Japanese month, UTF-8", false, "-rw-r--r--   1 taro     staff      1234 10月 12 12:00 ファイル.txt", Fichier, "ファイル.txt", 1234},
    {"C02 Japanese month, day, year marks", false, "-rw-r--r--   1 taro     staff      8473  4月 18日 2003年 報告書", Fichier, "報告書", 8473},
    {"C03 Chinese month and year", false, "drwxr-xr-x   2 wang     users      4096  3月 20  2019 文件夹", Dossier, "文件夹", 4096},
    {"C04 Chinese date in one word", false, "-rw-r--r--   1 wang     users        77 2003年10月12日 12:00 一个文件", Fichier, "一个文件", 77},
    {"C05 Korean month", false, "-rw-r--r--   1 kim      users      1500 10월 12 12:00 파일", Fichier, "파일", 1500},
    {"C06 Korean month, year", false, "-rw-r--r--   1 kim      users      1501  1월  30  2020 보고서.hwp", Fichier, "보고서.hwp", 1501},
    {"C07 Shift-JIS month, day, year", false, "-rw-r--r--   1 root       sys           8473  4\x8c\x8e 18\x93\xfa 2003\x94\x4e sjis date", Fichier, "sjis date", 8473},
    {"C08 Shift-JIS name", false, "-rw-r--r--   1 root       sys             10 12\x8c\x8e  1 09:00 \x83\x74\x83\x40\x83\x43\x83\x8b", Fichier, "\x83\x74\x83\x40\x83\x43\x83\x8b", 10},
    {"C09 GBK month", false, "-rw-r--r--   1 wang     users        100 3\xd4\xc2 20 12:00 gbk month", Fichier, "gbk month", 100},
    {"C10 EUC-KR month", false, "drwxr-xr-x   2 kim      users       4096 10\xbf\xf9 12 12:00 euckr dir", Dossier, "euckr dir", 4096},
    {"C11 year before a legacy month", false, "-rwxrwxrwx   1 root     staff          0 2003   3\xed\xef 20 asian date file", Fichier, "asian date file", 0},
    {"C12 legacy month, time", false, "-r--r--r-- 1 root root 2096 8\xed 17 08:52 asian time", Fichier, "asian time", 2096},

    {"C13 legacy month word without digits", false, "-rw-r--r--   1 wang     users        200 \xca\xae\xd4\xc2 12 12:00 gbk word month", Fichier, "gbk word month", 200},

    // Unix, columns out of the usual shape
    {"X01 no date", false, "-rw-r--r--   1 owner    group      1234 nodate.txt", Fichier, "nodate.txt", 1234},
    {"X02 no date, folder with spaces", false, "drwxr-xr-x   2 owner    group      4096 no date dir", Dossier, "no date dir", 4096},
    {"X03 no date, no group", false, "-rw-r--r--   1 owner      77 file", Fichier, "file", 77},
    {"X04 no date, no link count", false, "-rw-r--r-- owner group 78 no links", Fichier, "no links", 78},
    {"X05 no date, numeric owner and group", false, "-rw-r--r--   1 1000     1000         79 2021 report", Fichier, "2021 report", 79},
    {"X06 group runs into the size", false, "-r-xr-xr-x longowner longgroup123456 Feb 12 17:20 concat", Fichier, "concat", 123456},
    {"X07 owner runs into the size", false, "-rw-r--r--   1 verylongownername12345678 Jan  1 12:00 merged", Fichier, "merged", 12345678},
    {"X08 size in kilobytes", false, "-rw-r--r--   1 root     other  33.5k Oct 5 21:22 unit k", Fichier, "unit k", 34304},
    {"X09 size in megabytes", false, "-rw-r--r--   1 root     other     2M Okt. 5 21:22 unit M", Fichier, "unit M", 2097152},
    {"X10 size in gigabytes, folder", false, "drwxr-xr-x   1 root     other   1.5G Oct 5 21:22 unit G", Dossier, "unit G", 1610612736},
    {"X11 numeric mode, file", false, "0100644   500  101   12345    123456789       numeric file", Fichier, "numeric file", 12345},
    {"X12 numeric mode, folder", false, "040755 500 101 4096 1234567890 numeric dir", Dossier, "numeric dir", 4096},
    {"X13 numeric mode, link", false, "0120777 500 101 7 1234567890 numeric link -> target", Lien, "numeric link", 7},
    {"X14 numeric mode with a date", false, "0100644 1 owner group 12 Jan  1 12:00 numeric dated", Fichier, "numeric dated", 12},
    {"X15 folder marked with a slash", false, "drwxr-xr-x   2 owner group     4096 Jan  1 12:00 slashed/", Dossier, "slashed", 4096},
    {"X16 total in German", false, "insgesamt 123", Ignore, "", 0},
    {"X17 total in Japanese", false, "合計 8", Ignore, "", 0},
    {"X18 mode and one word", false, "-rw-r--r-- garbage", Incompris, "", 0},
    {"X19 mode and words, no size", false, "-rw-r--r-- this is not an entry", Incompris, "", 0},
    {"X20 sentence", false, "this is not a listing line", Incompris, "", 0},

    // The old VShell form: size, "Apr 04, 2000 21:06", name
    {"W01 file", false, "206876  Apr 04, 2000 21:06 vshell file", Fichier, "vshell file", 206876},
    {"W02 folder ends with a slash", false, "0  Dec 12, 2002 02:13 vshell dir/", Dossier, "vshell dir", -1},
    {"W03 leading blanks", false, "   1024 Jan 01, 2021 00:00 spaced.txt", Fichier, "spaced.txt", 1024},
    {"W04 no name", false, "206876  Apr 04, 2000 21:06", Incompris, "", 0},

    // DOS / IIS
    {"D01 folder", false, "01-16-02  11:14AM       <DIR>          epsgroup", Dossier, "epsgroup", -1},
    {"D02 file with spaces", false, "01-16-02  11:14PM                 1234 file name.txt", Fichier, "file name.txt", 1234},
    {"D03 four-digit year, beyond 4 GiB", false, "06-05-2002  03:09PM           5368709120 big.bin", Fichier, "big.bin", 5368709120LL},
    {"D04 ISO date, 24 h", false, "2002-06-05  15:09       <DIR>          iso dir", Dossier, "iso dir", -1},
    {"D05 lower-case dir mark", false, "01-16-02  11:14AM       <dir>          lower", Dossier, "lower", -1},
    {"D06 accents", false, "01-16-02  11:14AM                   12 é à ü.txt", Fichier, "é à ü.txt", 12},
    {"D07 no name", false, "01-16-02  11:14AM       <DIR>", Incompris, "", 0},
    {"D08 date alone", false, "01-16-02", Incompris, "", 0},
    {"D09 no time", false, "01-16-02  garbage", Incompris, "", 0},
    {"D10 neither size nor dir", false, "01-16-02  11:14AM  huh name", Incompris, "", 0},
    {"D11 digits only", false, "99999999999999999999999999999999", Incompris, "", 0},
    {"D12 four-digit year, month first", false, "04-27-2000  09:09PM                  589 year4 file", Fichier, "year4 file", 589},
    {"D13 thousands with a comma", false, "2002-09-02  19:06                9,730 comma.txt", Fichier, "comma.txt", 9730},
    {"D14 thousands with a dot", false, "2002-09-02  19:06                9.730 dot.txt", Fichier, "dot.txt", 9730},
    {"D15 thousands with a no-break space", false, "2002-09-02  19:06                9\u00a0730 nbsp.txt", Fichier, "nbsp.txt", 9730},
    {"D16 thousands with a space, aligned", false, "2002-09-02  19:06                9 730 space thousands.txt", Fichier, "space thousands.txt", 9730},
    {"D17 name starting with a number", false, "2002-09-02  19:06                   12 100 Days.mp3", Fichier, "100 Days.mp3", 12},
    {"D18 millions with commas", false, "2002-09-02  19:06            1,234,567 million", Fichier, "million", 1234567},
    {"D19 AM apart from the time", false, "01-16-02  11:14 AM      <DIR>          apart", Dossier, "apart", -1},
    {"D20 time with seconds", false, "2002-06-05  15:09:32          1234 secs", Fichier, "secs", 1234},
    {"D21 day.month.year", false, "16.01.2002  11:14       <DIR>          punkt", Dossier, "punkt", -1},
    {"D22 bad thousands group", false, "2002-09-02  19:06                9,73 bad", Incompris, "", 0},

    // EPLF
    {"E01 file", false, "+i8388621.48594,m825718503,r,s280,\teplf file", Fichier, "eplf file", 280},
    {"E02 folder", false, "+i8388621.50690,m824255907,/,\teplf dir", Dossier, "eplf dir", -1},
    {"E03 permissions fact", false, "+m825718503,r,s5368709120,up755\tbig eplf", Fichier, "big eplf", 5368709120LL},
    {"E04 name with commas and blanks", false, "+r,s1,\t a,b c ", Fichier, " a,b c ", 1},
    {"E05 no TAB", false, "+i1,m2,r,s3, name", Incompris, "", 0},

    // MLSD
    {"M01 file", true, "type=file;size=123;modify=20200101120000; file.txt", Fichier, "file.txt", 123},
    {"M02 folder", true, "type=dir;modify=20200101120000; docs", Dossier, "docs", -1},
    {"M03 current folder", true, "type=cdir;modify=20200101120000; .", Ignore, "", 0},
    {"M04 parent folder", true, "type=pdir;modify=20200101120000; ..", Ignore, "", 0},
    {"M05 fact names in capitals", true, "Type=DIR;Size=0; Upper", Dossier, "Upper", 0},
    {"M06 symlink", true, "type=OS.unix=slink:/target;size=7; link", Lien, "link", 7},
    {"M07 size beyond 4 GiB", true, "type=file;size=5368709120; big", Fichier, "big", 5368709120LL},
    {"M08 leading space kept", true, "type=file;size=1;  two", Fichier, " two", 1},
    {"M09 semicolons in the name", true, "type=file;size=1; name;with;semicolons", Fichier, "name;with;semicolons", 1},
    {"M10 spaces in the name", true, "type=file;size=1; name with spaces.txt", Fichier, "name with spaces.txt", 1},
    {"M11 no name", true, "type=file;size=1;", Incompris, "", 0},
    {"M12 no facts", true, " nofacts", Fichier, "nofacts", -1},
    {"M13 equals sign in the name", true, "type=dir;unique=801U1; with=equals", Dossier, "with=equals", -1},
    {"M14 trailing space kept", true, "type=file;size=1; trailing ", Fichier, "trailing ", 1},
    {"M15 facts in another order", true, "modify=20200101120000;perm=adfrw;size=5;type=file;unique=1; reordered", Fichier, "reordered", 5},
    {"M16 accents", true, "size=10;type=file;perm=r; é à ü.txt", Fichier, "é à ü.txt", 10},
    {"M17 unreadable size", true, "type=file;size=abc; badsize", Fichier, "badsize", -1},
    {"M18 dot-dot given as a folder", true, "type=dir; ..", Dossier, "..", -1},
    {"M19 TAB ends the facts", true, "type=file;size=3;\ttabbed name", Fichier, "tabbed name", 3},
    {"M20 name with space, semicolon and equals", true, "type=file;size=4; a b;c=d.txt", Fichier, "a b;c=d.txt", 4},
    {"M21 symlink spelled out", true, "type=OS.unix=symlink;size=2; sl", Lien, "sl", 2},
    {"M22 words, not facts", true, "no facts at all", Incompris, "", 0},
    {"M23 blanks only", true, "   ", Ignore, "", 0},
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
    void tableEnUnSeulFlux();
    void analyseurParBlocs();
    void octetsAuHasard();
    void dictionnaire();
    void dictionnaireVolumineux();
    void remplisseur();
};

namespace {

// A line as the Analyseur reads it: UTF-8, or Latin-1 when it is not UTF-8.
QString decode(const QByteArray &octets) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString texte = utf8.decode(octets);
    return utf8.hasError() ? QString::fromLatin1(octets) : texte;
}

} // namespace

void TstListing::lignes_data() {
    QTest::addColumn<bool>("mlsd");
    QTest::addColumn<QByteArray>("octets");
    QTest::addColumn<int>("genre");
    QTest::addColumn<QString>("nom");
    QTest::addColumn<qint64>("taille");
    for (const Cas &c : Table)
        QTest::newRow(c.id) << c.mlsd << QByteArray(c.ligne) << int(c.genre)
                            << decode(QByteArray(c.nom)) << c.taille;
}

// Each line alone, then the same bytes as a listing of one line through the
// Analyseur: same entry, and counted when no parser read it.
void TstListing::lignes() {
    QFETCH(bool, mlsd);
    QFETCH(QByteArray, octets);
    QFETCH(int, genre);
    QFETCH(QString, nom);
    QFETCH(qint64, taille);
    const QString ligne = decode(octets);
    ListingParser::Entree e;
    const auto lecture =
        mlsd ? ListingParser::LigneMlsd(ligne, e) : ListingParser::LigneList(ligne, e);
    const auto attendue = genre == Ignore      ? ListingParser::Lecture::Ignoree
                          : genre == Incompris ? ListingParser::Lecture::Incomprise
                                               : ListingParser::Lecture::Entree;
    QVERIFY2(lecture == attendue,
             qPrintable(QStringLiteral("lecture %1, nom \"%2\"")
                            .arg(int(lecture))
                            .arg(lecture == ListingParser::Lecture::Entree ? e.nom : u"")));

    ListingParser::Analyseur analyseur;
    QStringList noms;
    analyseur.Analyse(octets + "\r\n", mlsd, [&](const ListingParser::Entree &lue) {
        noms << lue.nom.toString();
        QCOMPARE(lue.dossier, e.dossier);
        QCOMPARE(lue.taille, e.taille);
    });
    QCOMPARE(analyseur.LignesIncomprises(), genre == Incompris ? 1 : 0);
    if (genre == Ignore || genre == Incompris) {
        QCOMPARE(noms, QStringList());
        return;
    }
    QCOMPARE(noms, QStringList{nom});
    QCOMPARE(e.nom.toString(), nom);
    QCOMPARE(e.dossier, genre == Dossier);
    QCOMPARE(e.lien, genre == Lien);
    if (taille != TailleIgnoree)
        QCOMPARE(e.taille, taille);
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

// Every prefix of every line, as text and as bytes cut inside a multi-byte
// character, and every line with blanks inserted at random places (fixed
// seed, so a failure can be replayed): no crash, no hang, no name with a line
// end in it.
void TstListing::lignesTronqueesOuBruitees() {
    QRandomGenerator alea(20240611);
    int analysees = 0;
    ListingParser::Analyseur analyseur;
    const auto verifie = [](const ListingParser::Entree &e) {
        QVERIFY(!e.nom.contains(u'\n') && !e.nom.contains(u'\r'));
    };
    for (const Cas &c : Table) {
        const QString ligne = decode(c.ligne);
        for (qsizetype n = 0; n <= ligne.size(); ++n) {
            const QString debut = ligne.left(n);
            ListingParser::LigneList(debut);
            ListingParser::LigneMlsd(debut);
            ++analysees;
        }
        const QByteArray octets(c.ligne);
        for (qsizetype n = 0; n <= octets.size(); ++n)
            analyseur.Analyse(octets.left(n), c.mlsd, verifie);
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

// The whole table as one listing, LIST lines and MLSD lines apart, each line
// ending its own way: every entry comes out in order, and each line that no
// parser read is counted once.
void TstListing::tableEnUnSeulFlux() {
    for (const bool mlsd : {false, true}) {
        static const char *const Fins[] = {"\n", "\r\n", "\r", "\r\n\r\n"};
        QByteArray flux;
        QStringList attendus;
        int incompris = 0, i = 0;
        for (const Cas &c : Table) {
            if (c.mlsd != mlsd)
                continue;
            flux += QByteArray(c.ligne) + Fins[i++ % 4];
            if (c.genre == Incompris)
                ++incompris;
            else if (c.genre != Ignore)
                attendus << decode(c.nom);
        }
        ListingParser::Analyseur analyseur;
        QStringList lus;
        analyseur.Analyse(flux, mlsd,
                          [&](const ListingParser::Entree &e) { lus << e.nom.toString(); });
        QCOMPARE(lus, attendus);
        QCOMPARE(analyseur.LignesIncomprises(), incompris);
    }
}

// Blocks as the data connection hands them over: many slices' worth of lines
// whose CR LF ends fall on every slice boundary, a line far longer than a
// slice, one line in Latin-1 among UTF-8 ones. Nothing is lost or counted
// twice, and the decode buffer holds no more than a couple of slices after a
// block, however long its lines; the next listing reads as well.
void TstListing::analyseurParBlocs() {
    ListingParser::Analyseur analyseur;
    QStringList lus;
    const auto garde = [&](const ListingParser::Entree &e) { lus << e.nom.toString(); };
    QByteArray bloc;
    QStringList attendus;
    for (int i = 0; bloc.size() < 5 * ListingParser::Analyseur::Tranche; ++i) {
        const QByteArray nom = "f" + QByteArray(i % 97, 'x') + QByteArray::number(i);
        bloc += "-rw-r--r-- 1 o g " + QByteArray::number(i) + " Jan  1 12:00 " + nom + "\r\n";
        attendus << QString::fromLatin1(nom);
    }
    const QByteArray geant(3 * 1024 * 1024, 'g');
    bloc += "type-less line\r\n-rw-r--r-- 1 o g 1 Jan  1 12:00 " + geant + "\n";
    attendus << QString::fromLatin1(geant);
    bloc += "-rw-r--r-- 1 o g 1 Jan  1 12:00 caf\xe9\r-rw-r--r-- 1 o g 1 Jan  1 12:00 "
            "th\xc3\xa9\r\n";
    attendus << QStringLiteral("café") << QStringLiteral("thé");
    analyseur.Analyse(bloc, false, garde);
    QCOMPARE(lus.size(), attendus.size());
    QCOMPARE(lus, attendus);
    QCOMPARE(analyseur.LignesIncomprises(), 1);
    QVERIFY2(analyseur.Capacite() <= 2 * ListingParser::Analyseur::Tranche,
             qPrintable(QString::number(analyseur.Capacite())));

    lus.clear();
    analyseur.Analyse("type=dir; après\r\n", true, garde);
    QCOMPARE(lus, QStringList{QStringLiteral("après")});
    QCOMPARE(analyseur.LignesIncomprises(), 1);
}

void TstListing::octetsAuHasard() {
    QRandomGenerator alea(7);
    const QString alphabet =
        QStringLiteral(" \t-drwxlJanDecOkt,0123456789:;=<>DIR/.\\AMPtypefilesize\x7f+"
                       "年月日월\u008c\u00e4");
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
    // Words that look like date parts, far too many or far too long: the
    // line is read once, not once per word.
    QString mois = QStringLiteral("-rw-r--r-- 1 o g 1 ");
    for (int i = 0; i < 100000; ++i)
        mois += QStringLiteral("Okt. 1月 ");
    ListingParser::LigneList(mois);
    for (const QChar c : {u'.', u'1', u':', u'-'}) {
        const QString mot(1 << 20, c);
        ListingParser::LigneList(QStringLiteral("-rw-r--r-- 1 o g ") + mot + u' ' + mot +
                                 QStringLiteral(" x"));
        ListingParser::LigneList(QStringLiteral("2002-09-02  19:06 ") + mot + u' ' + mot);
        ListingParser::LigneList(mot + u' ' + mot);
    }
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
