#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Parsers of the lines a server sends for a folder listing: MLSD facts
// (RFC 3659), Unix "ls -l" and DOS/IIS. Only names and the folder bit are
// needed by the program; the size is kept for diagnostics.
namespace ListingParser {

struct Entree {
    QString nom;
    bool dossier = false;
    bool lien = false;
    qint64 taille = -1;
};

// One MLSD line: "type=file;size=12;modify=...; name". Entries of type cdir
// and pdir (the folder itself and its parent) give nothing.
std::optional<Entree> LigneMlsd(const QString &ligne);
// One LIST line in Unix or DOS form; "total N" and unrecognised lines give
// nothing. A symbolic link gives the name before " -> ".
std::optional<Entree> LigneList(const QString &ligne);

// A name that may be used as one path component here and on the server:
// not empty, not "." or "..", no '/', '\\', NUL, CR or LF.
bool NomAcceptable(const QString &nom);

} // namespace ListingParser
