#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>

#include <optional>

// Parsers of the lines a server sends for a folder listing: MLSD facts
// (RFC 3659), Unix "ls -l" in any locale, DOS/IIS, EPLF and the old VShell
// "size date name" form. Only names and the folder bit are needed by the
// program; the size is kept for diagnostics. A date is never needed: one that
// can't be read does not lose the entry.
namespace ListingParser {

// nom points into the line it was read from.
struct Entree {
    QStringView nom;
    bool dossier = false;
    bool lien = false;
    qint64 taille = -1;
    // Set by the Analyseur when the line was not UTF-8 and was read as
    // Latin-1: each character of nom is then one byte of the server's.
    bool latin1 = false;
};

// What a line turned out to be.
enum class Lecture {
    Entree,    // an entry (its name may still be refused by NomAcceptable)
    Ignoree,   // no entry on purpose: blank, "total N", MLSD cdir/pdir
    Incomprise // no parser recognised it
};

// One MLSD line: "type=file;size=12;modify=...; name". Entries of type cdir
// and pdir (the folder itself and its parent) give nothing.
Lecture LigneMlsd(QStringView ligne, Entree &entree);
std::optional<Entree> LigneMlsd(QStringView ligne);
// One LIST line in any of the LIST forms; "total N" and unrecognised lines
// give nothing. A symbolic link gives the name before " -> ".
Lecture LigneList(QStringView ligne, Entree &entree);
std::optional<Entree> LigneList(QStringView ligne);

// Reads one listing, block by block, as the data connection delivers it
// (whole lines ending in LF, CR LF or a lone CR), and counts the lines that
// no parser recognised. The text is decoded once per slice: UTF-8, or
// Latin-1 for a line that is not valid UTF-8 (an older server). One object
// per listing: its buffer goes with it.
class Analyseur {
public:
    // Bytes decoded at a time; a longer line is decoded alone, and the buffer
    // it needed is released once the block is done.
    static constexpr qsizetype Tranche = 64 * 1024;

    void Analyse(QByteArrayView brut, bool mlsd, const std::function<void(const Entree &)> &rappel);
    int LignesIncomprises() const { return m_incomprises; }
    // Characters held by the decode buffer between two blocks.
    qsizetype Capacite() const { return m_texte.capacity(); }

private:
    void analyseTranche(QByteArrayView octets, bool mlsd,
                        const std::function<void(const Entree &)> &rappel);
    void analyseLigne(QStringView ligne, bool mlsd,
                      const std::function<void(const Entree &)> &rappel);

    QString m_texte;
    int m_incomprises = 0;
    bool m_ligneLatin1 = false;
};

// A name that may be used as one path component here and on the server:
// not empty, not "." or "..", no '/', '\\', NUL, CR or LF.
bool NomAcceptable(QStringView nom);

} // namespace ListingParser
