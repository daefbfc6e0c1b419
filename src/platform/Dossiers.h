#pragma once

#include <QString>

// Folders beside the executable.
//
// Linux adaptation: the executable often lives in a read-only folder (/usr/bin),
// so "Temp" beside it is used only when it can be written; otherwise a per-user
// folder (the cache location + "/Temp") takes its place. QUILLON_TEMP_DIR, when
// set, overrides both (tests). The compiled help file becomes "AideFTP.html".

// The folder that holds the executable, without a trailing '/'.
QString DossierProgramme();
// Where downloaded files are kept for viewing. Not created here: callers do
// QDir().mkpath(DossierTemp()) before use.
QString DossierTemp();
// The help file: the first of <exe>/AideFTP.html, <exe>/help/AideFTP.html,
// <exe>/resources/help/AideFTP.html, <exe>/../share/quillon/help/AideFTP.html
// that exists, else the first of them.
QString AideFichier();
