#pragma once

#include <QString>

// The desktop's Secret Service keyring, where the stored passwords go when one
// is reachable (service "Quillon", accounts "data/txtMDP", "3/txtMDP",
// "LDC/txtMDP5"...). Without one, they stay in the owner-only settings file.
namespace Trousseau {

enum class Etat {
    NonCherche, // Demarre has not run
    Present,    // the password keys of the settings go through the keyring
    Absent,     // no keyring answered (no session bus, no service, too slow)
    Desactive,  // QUILLON_TROUSSEAU=0: the file on purpose
};

// Looks for the keyring once (a bounded wait; no bus is started, nothing pops
// up) and, when found, routes the password keys of the settings through it;
// with `deplacer`, the passwords still in the file move into it.
Etat Demarre(bool deplacer);
Etat EtatCourant();

// The orange line of a start-up without a keyring.
QString LigneAbsent();

// Longest wait for the availability check, and for any later keyring call
// (one that takes longer turns the keyring off for the rest of the run: what
// follows would queue behind it).
inline constexpr int DelaiSondeMs = 2000;
inline constexpr int DelaiOperationMs = 5000;

// Forgets the passwords read so far (the next reads ask the keyring again).
void OublieLectures();
// Back to the file, as before Demarre.
void Arrete();

} // namespace Trousseau
