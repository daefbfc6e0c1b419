#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>

#include <optional>

// Parsers of the lines a server sends for a folder listing: MLSD facts
// (RFC 3659), Unix "ls -l" and DOS/IIS. Only names and the folder bit are
// needed by the program; the size is kept for diagnostics.
namespace ListingParser {

// nom points into the line it was read from.
struct Entree {
    QStringView nom;
    bool dossier = false;
    bool lien = false;
    qint64 taille = -1;
};

// One MLSD line: "type=file;size=12;modify=...; name". Entries of type cdir
// and pdir (the folder itself and its parent) give nothing.
std::optional<Entree> LigneMlsd(QStringView ligne);
// One LIST line in Unix or DOS form; "total N" and unrecognised lines give
// nothing. A symbolic link gives the name before " -> ".
std::optional<Entree> LigneList(QStringView ligne);

// Every entry of a whole listing as the server sent it (lines ending in LF or
// CR LF). The text is decoded once: UTF-8, or Latin-1 for a line that is not
// valid UTF-8 (an older server).
void Analyse(QByteArrayView brut, bool mlsd, const std::function<void(const Entree &)> &rappel);

// A name that may be used as one path component here and on the server:
// not empty, not "." or "..", no '/', '\\', NUL, CR or LF.
bool NomAcceptable(QStringView nom);

} // namespace ListingParser
