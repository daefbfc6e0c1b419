#pragma once

#include <QString>

#include <functional>
#include <optional>

// The per-user settings store: one INI file per application name (the
// executable's base name) in the user's config folder, readable by its owner
// only since it holds passwords. Section (and key) names are case-insensitive:
// they are folded to lower case in the file.
namespace Reglages {

enum class DefautDynamique { Aucun, DossierProgramme };

// One key of the store with its read default. Every key the program uses is
// declared below; a default that depends on the run (the executable's folder)
// is given by `dynamique` instead of `defaut`.
struct Cle {
    const char *section;
    const char *nom;
    const char *defaut;
    DefautDynamique dynamique = DefautDynamique::Aucun;
};

// "data"
inline constexpr Cle TxtSite{"data", "TxtSite", ""};
inline constexpr Cle TxtUtilisateur{"data", "txtUtilisateur", ""};
inline constexpr Cle TxtMDP{"data", "txtMDP", ""};
inline constexpr Cle ConAuto{"data", "ConAuto", "0"};
inline constexpr Cle RecAuto{"data", "RecAuto", "0"};
inline constexpr Cle DBC{"data", "DBC", "True"};
inline constexpr Cle ADSITE{"data", "ADSITE", ""};
inline constexpr Cle AutreProg{"Data", "AutreProg", ""};
// How the connection is protected: ChiffrementEnTexte, read with ChiffrementDeTexte.
inline constexpr Cle Chiffrement{"data", "Chiffrement", "0"};
// The protocol spoken to the host: ProtocoleEnTexte, read with ProtocoleDeTexte.
inline constexpr Cle Protocole{"data", "Protocole", "0"};
// How many connections a folder copy uses at once: 1 (file after file, on the
// browsing session) to 10; read with ConnexionsSimultanees.
inline constexpr Cle Connexions{"data", "Connexions", "3"};
// "path" (drvloc, dirloc, filloc default to the executable's folder)
inline constexpr Cle PathSite{"path", "PathSite", "/"};
inline constexpr Cle DrvLoc{"path", "drvloc", "", DefautDynamique::DossierProgramme};
inline constexpr Cle DirLoc{"path", "dirloc", "", DefautDynamique::DossierProgramme};
inline constexpr Cle FilLoc{"path", "filloc", "", DefautDynamique::DossierProgramme};
// "pos" (twips)
inline constexpr Cle PosW{"pos", "w", "8445"};
inline constexpr Cle PosH{"pos", "h", "8205"};
inline constexpr Cle PosLM{"pos", "LM", "0"};

// Keys of connection memory n (section "0".."8"; note "TxtUtil" here).
QString SectionMemoire(int n);
inline constexpr const char *MemNomBout = "NomBout";
inline constexpr const char *MemTxtSite = "TxtSite";
inline constexpr const char *MemTxtUtil = "TxtUtil";
inline constexpr const char *MemTxtMDP = "txtMDP";
inline constexpr const char *MemDrvLoc = "drvloc";
inline constexpr const char *MemDirLoc = "dirloc";
inline constexpr const char *MemFilLoc = "filloc";
inline constexpr const char *MemChiffrement = "Chiffrement";
inline constexpr const char *MemProtocole = "Protocole";

// Keys of recorded transfer n (section "LDC", key name directly followed by n).
inline constexpr const char *SectionLDC = "LDC";
QString CleLDC(const char *nom, int n); // CleLDC("TxtSite", 3) == "TxtSite3"

// Certificates accepted for good: key DecisionsCertificats::Cle(host, port),
// value the SHA-256 fingerprint.
inline constexpr const char *SectionCertificats = "Certificats";

// The folder that holds the executable (default of drvloc, dirloc, filloc).
QString DossierProgramme();

// Raw access: reading never creates a key; a missing key yields the default.
// Section and key names are compared without regard to case. The file is read
// once, at the first access, and kept in memory: later reads cost no file
// access, whatever its size. Outside a Groupe, every write is on disk when
// Ecrit returns (merged with what another instance may have written meanwhile;
// such keys are seen here only after Relit); false (and a warning on stderr)
// when it could not be saved (unwritable folder, full disk).
QString Lit(const QString &section, const QString &cle, const QString &defaut = QString());
bool Ecrit(const QString &section, const QString &cle, const QString &valeur);
// Forgets what was read: the next access reads the file again (after the file
// was edited by hand or by another instance).
void Relit();

// Passwords kept elsewhere than in the file (the desktop's keyring), when the
// program found such a place at start-up. Their keys stay in the file, empty
// once the vault confirmed it holds the password.
class Coffre {
public:
    virtual ~Coffre() = default;
    // The password stored for `compte`; nullopt when there is none (the
    // file's value is read then).
    virtual std::optional<QString> Lit(const QString &compte) = 0;
    // Stores `valeur` (an empty value removes the entry); `fin` runs once,
    // at once or later, with true once the vault holds it.
    virtual void Stocke(const QString &compte, const QString &valeur,
                        std::function<void(bool)> fin) {
        fin(Ecrit(compte, valeur));
    }
    // The same for a vault that answers at once: true once stored.
    virtual bool Ecrit(const QString &, const QString &) { return false; }
};
// Routes the password keys through `coffre` (nullptr: the file again). The
// caller keeps it alive while installed.
void DefinitCoffre(Coffre *coffre);
// The vault account of a password key: "data/txtMDP", "3/txtMDP" (memories),
// "LDC/txtMDP5" (recorded transfers); empty for every other key.
QString CompteMotDePasse(const QString &section, const QString &cle);
// Moves the passwords still in the file into the vault, each blanked in the
// file only once the vault holds it (when it answers later, then). False when
// the vault refused one of them at once.
bool DeplaceMotsDePasse();

// Each write rewrites the whole file. Writes made while a Groupe lives reach
// the file together when the last one ends: Ecrit then returns true at once,
// and Termine (or the destructor) saves and tells whether that worked; on
// failure the values of the group are forgotten (a warning on stderr).
class Groupe {
public:
    Groupe();
    ~Groupe();
    Groupe(const Groupe &) = delete;
    Groupe &operator=(const Groupe &) = delete;
    bool Termine();

private:
    bool m_termine = false;
    bool m_enregistre = false;
};

// Typed access to the declared keys.
QString Lit(const Cle &cle); // DefautDynamique::DossierProgramme keys default to it
bool Ecrit(const Cle &cle, const QString &valeur);
// Booleans are written "True"/"False"; read from those words (any case) or from a
// number (0 false, anything else true). Text that is neither gives `ok` false.
// When `ok` is false the result is the key's default.
bool LitBooleen(const Cle &cle, bool *ok = nullptr);
bool EcritBooleen(const Cle &cle, bool valeur);
// Numbers: decimal text ("8445", "8445.5", surrounding blanks ignored, a decimal
// comma accepted); `ok` false (result 0) when the text does not convert.
double LitNombre(const Cle &cle, bool *ok = nullptr);
// Writes the shortest decimal text of a single-precision number ("8445", "8445.5").
bool EcritNombre(const Cle &cle, double valeur);
// The Connexions key brought into 1..10; its default when it does not read.
int ConnexionsSimultanees();

// Text forms used by the store, exposed for the callers that write raw keys.
QString TexteBooleen(bool valeur); // "True" / "False"
// "True"/"False" in any case, or a number (0 false, anything else true).
bool ConvertitBooleen(const QString &texte, bool *ok);
double ConvertitNombre(const QString &texte, bool *ok);

// The application name: the executable's file name without its extension.
QString NomApplication();
// The file in use: <XDG config folder>/<name>/<name>.ini (for tests and diagnostics).
QString CheminFichier();

} // namespace Reglages
