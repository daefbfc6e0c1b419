#pragma once

#include <QString>

// Desktop launchers of a recorded transfer: freedesktop ".desktop" files in
// the user's desktop folder that start this program with "L" or "N" followed
// by the slot digit.

// The file name: "Upload de NAME.desktop" for direction "L", "Download de
// NAME.desktop" otherwise. A "/" or NUL of NAME, which no file name can hold,
// becomes "_"; a name too long for the file system is shortened.
QString NomRaccourci(const QString &nom, const QString &direction);

// The launcher's text. `programme` is the executable's absolute path; the
// icons are looked for beside it.
QString ContenuRaccourci(int emplacement, const QString &nom, const QString &direction,
                         const QString &programme);

// One argument of an Exec line, quoted by the desktop-entry rules.
QString ArgumentExec(const QString &argument);

// XDG_DESKTOP_DIR when set, else the desktop folder of the user's folders.
QString DossierBureau();

// Writes (or replaces) the launcher and makes it executable; false when it
// could not be written. The automation dialog ignores the result.
bool CreeRaccourci(int emplacement, const QString &nom, const QString &direction);
