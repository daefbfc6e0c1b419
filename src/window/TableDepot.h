#pragma once

#include <QString>

// Which dragged control each list of the main window takes, and which picture
// a drag shows while it passes over it. Controls are named by their name
// ("List4") and their kind ("ListBox", "FileListBox", "DirListBox",
// "TreeView"); both are compared exactly, case included.

// Pictures a drag can show: the picture holders of the local action buttons,
// or the window's icon.
inline const QString ImageFichierRefuse = QStringLiteral("BTL(0)");
inline const QString ImageFichierAccepte = QStringLiteral("BTL(7)");
inline const QString ImageDossierGlisse = QStringLiteral("BTL(8)");
inline const QString ImageDossierAccepte = QStringLiteral("BTL(9)");
inline const QString ImageFenetre = QStringLiteral("Form1");

// True when a drop of `source` on `cible` starts a transfer. The folder list
// "dirLocal" takes no drop: its folder download runs on a mouse release.
bool DepotAccepte(const QString &cible, const QString &nomSource, const QString &genreSource);

// The picture of a drag of `source` over `cible`; empty for a control that
// has no drag-over handler.
QString ImageSurvol(const QString &cible, const QString &nomSource, const QString &genreSource);
