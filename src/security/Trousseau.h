#pragma once

#include <QString>

#include <functional>

class QObject;

// The desktop's Secret Service keyring, where the stored passwords go when one
// is reachable (service "Quillon", accounts "data/txtMDP", "3/txtMDP",
// "LDC/txtMDP5"...). Without one, they stay in the owner-only settings file.
//
// A keyring may show a system prompt (locked, or not set up) that nobody
// answers: no call here waits for it on the window's thread. The passwords are
// read once at start-up in the background; reads before that come from the
// file; writes go to the file at once and leave it only when the keyring
// confirmed it holds them.
namespace Trousseau {

enum class Etat {
    NonCherche,  // Demarre has not run
    EnAttente,   // asked; the start-up reads are still under way
    Present,     // the password keys of the settings go through the keyring
    Absent,      // no keyring on the session bus (or no session bus)
    SansReponse, // it did not answer in time, or its prompt was dismissed
    Desactive,   // QUILLON_TROUSSEAU=0: the file on purpose
};

// Looks for the keyring (no bus is started) and routes the password keys of
// the settings through it. With `deplacer` (the window), returns at once and
// goes on in the background; the passwords still in the file move into it
// once the keyring answered. Without (a recorded transfer, which has no window
// to keep responsive), waits for the answer, DelaiReponseMs at most.
Etat Demarre(bool deplacer);
Etat EtatCourant();

// Runs `suite` once the keyring answered or was given up on (at once when
// nothing is awaited), on the event loop, unless `contexte` is gone by then.
void QuandPret(QObject *contexte, std::function<void()> suite);

// Orange lines, given to `alerte` (one receiver: the window's log) when the
// keyring is given up on or refuses a password; those raised before a
// receiver exists are handed to it when it registers.
void SurAlerte(QObject *contexte, std::function<void(const QString &)> alerte);

// The orange line of a start-up without a keyring.
QString LigneAbsent();
// The keyring did not answer (an unanswered or dismissed prompt).
QString LigneSansReponse();
// The keyring refused to store a password.
QString LigneRefus();
// A connection waits for its password from the keyring.
QString LigneAttente();

// Longest wait for one keyring answer; a prompt left open longer gives the
// keyring up for the rest of the run (what follows would queue behind it).
inline constexpr int DelaiReponseMs = 30000;
// For tests: another bound (0 restores DelaiReponseMs).
void DefinitDelai(int ms);

// Forgets the passwords read so far and reads them again (bounded wait).
void OublieLectures();
// Back to the file, as before Demarre.
void Arrete();

} // namespace Trousseau
