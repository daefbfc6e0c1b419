#pragma once

#include <QString>
#include <QtGlobal>

// The size texts of a clicked file, as shown in the hint label and logged.
// Numbers are grouped by three digits with a space ("1 024"); the decimal
// separator is the user's.

// A site file: `kilooctets` is its size / 1024, negative when it could not be
// read. Megabytes keep up to two decimals.
QString TexteTailleSite(double kilooctets);

// A local file of `octets` bytes. Megabytes are whole (rounded).
QString TexteTailleLocale(qint64 octets);

// The text shown for a site file whose size can't be read.
QString TexteNonConnecte();

// Digits of `n` grouped by three with spaces; "0" for zero.
QString NombreGroupe(qint64 n);
