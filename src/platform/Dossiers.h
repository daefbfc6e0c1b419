#pragma once

#include <QString>

// The program's folders.
//
// Files opened for viewing are copied to the user's cache folder
// ($XDG_CACHE_HOME/<program name>, by default ~/.cache/quillon), never beside
// the executable: that folder may be /usr/bin, and writable for root.
// QUILLON_TEMP_DIR, when set, takes its place (tests). The compiled help file
// becomes "AideFTP.html".

// The folder that holds the executable, without a trailing '/'.
QString DossierProgramme();
// Where downloaded files are kept for viewing; empty when the user has no
// cache folder. Not created here: see CreeDossierTemp.
QString DossierTemp();
// Creates DossierTemp() if needed, private to the user (mode 0700), and
// makes an existing one private again. Refused, with the reason in `raison`,
// when it is a link or anything but a folder of this user.
bool CreeDossierTemp(QString *raison = nullptr);
// The help file: the first of <exe>/AideFTP.html, <exe>/help/AideFTP.html,
// <exe>/resources/help/AideFTP.html, <exe>/../share/quillon/help/AideFTP.html
// that exists, else the first of them.
QString AideFichier();
