#pragma once

#include <QString>
#include <QStringList>

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

// Why a launcher for `programme` can't be written, or an empty text. A
// control character in its path would be lost or turned into another
// character on the way through the desktop file, and so would bytes that are
// not valid text: the launcher would silently start another path.
QString RefusRaccourci(const QString &programme);

// Writes (or replaces) the launcher for `programme` (by default this
// executable) and makes it executable. False when it could not be written,
// with the reason in `raison`. On a desktop that asks for it the launcher is
// then marked trusted in the background.
bool CreeRaccourci(int emplacement, const QString &nom, const QString &direction,
                   QString *raison = nullptr, const QString &programme = QString());

// Removes from the desktop folder the launchers of slot `emplacement`: only
// regular files named as this program names them whose text is the one it
// writes for that slot and `programme` (by default this executable). Returns
// the names of the files removed.
QStringList SupprimeRaccourcis(int emplacement, const QString &programme = QString());
