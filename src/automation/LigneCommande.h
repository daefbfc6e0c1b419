#pragma once

#include <QString>

#include "ftp/SessionDistante.h"
#include "security/Chiffrement.h"

class SessionDistante;

// A recorded transfer asked for on the command line: the first character is
// the direction ("L" exactly: upload; anything else: download), the last one
// the slot digit. An argument that does not end with a digit asks for nothing.
struct DemandeTransfert {
    bool valide = false;
    bool upload = false;
    int emplacement = -1;
    QChar lettre;
};
DemandeTransfert AnalyseCommande(const QString &commande);

// One recorded transfer, section "LDC", keys stem + slot digit.
struct EmplacementTransfert {
    QString site, utilisateur, motDePasse;
    QString distant;                                     // "FicDis": remote folder + file name
    QString local;                                       // "FicLoc": full local path
    Chiffrement chiffrement = Chiffrement::SiDisponible; // "Chiffrement"
    Protocole protocole = Protocole::FTP;                // "Protocole"
};
EmplacementTransfert LitEmplacement(int n);
void EcritEmplacement(int n, const EmplacementTransfert &e);

// The states a command-line run shows, in Form4 or as lines on stderr. Only
// the window turns them into colours, so the command-line rules need no GUI.
enum class Voyant { Blanc, Jaune, Vert, Rouge };

class AfficheurEtat {
public:
    virtual ~AfficheurEtat() = default;
    // The light and the text; shown at once (the caller blocks afterwards).
    virtual void Affiche(Voyant lumiere, const QString &texte) = 0;
    // The cache square: green when an entry was deleted, blue otherwise.
    virtual void AfficheCache(bool supprime) = 0;
    // A warning that changes no state (clear text where TLS was asked for).
    virtual void Avertit(const QString &) {}
};

// Removes the slot's web address from the URL cache: the result of
// EffaceCache, 0 when no site address or no remote path is stored.
short VideCacheTransfert(int n);

// Runs slot `d` on `ftp` in the given direction and reports each state.
// Nobody is there to judge a certificate: only a valid one or the one
// accepted for good for that host and port is trusted.
// Returns the process exit status: 0 done, 1 no connection, 2 transfer failed.
int LanceTransfert(int d, QChar lettre, SessionDistante &ftp, AfficheurEtat &afficheur,
                   short cacheVide);

// The whole run for a valid argument: cache, then transfer. Stored settings
// are only read.
int ExecuteLigneCommande(const QString &commande, SessionDistante &ftp, AfficheurEtat &afficheur,
                         short &cacheVide);

// The protocol stored with the slot a command names (FTP when none is).
Protocole ProtocoleDuTransfert(const QString &commande);

// Without any display: each state is one line on stderr; returns the status.
int TransfertSansFenetre(const QString &commande);
// True when no window can be opened (no X11 or Wayland display and no Qt
// platform chosen), so the command-line run must not build any widget.
bool SansAffichage();
