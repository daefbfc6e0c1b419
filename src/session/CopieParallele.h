#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

#include "ftp/SessionDistante.h"

// What makes one more connection like the browsing one: taken on the thread
// that owns the session parameters and the browsing session, then used on
// any thread without reading a global.
struct ModeleConnexion {
    Protocole protocole = Protocole::FTP;
    ParametresConnexion parametres;
    // The certificate (FTP) or host key (SFTP) the browsing session accepted:
    // the one a transfer connection takes, nobody being asked.
    QString empreinte;
    int delaiMs = 30000;

    // From a logged-in session and the current parameters.
    static ModeleConnexion De(const SessionDistante &session);
};

// A new session logged in as `modele` says; null, with the reason in
// `raison`, when it could not connect.
std::unique_ptr<SessionDistante> ConnecteComme(const ModeleConnexion &modele, QString &raison);

// The files of a folder copy spread over several connections of their own,
// each made, used and closed on a thread of its own; the caller's thread
// keeps the lines, the counts and the cancel request. A connection lost
// during a file fails that file (named by the caller) and is made again for
// the next; the other connections go on. A server that takes fewer
// connections than asked gets the copy over the ones it took.
class CopieParallele {
public:
    static constexpr int ConnexionsMax = 10;

    enum class Sens { Rapatrie, Envoie };
    struct Fichier {
        QString relatif; // as the copy names it
        QString distant;
        QString local;
    };
    struct Rappels {
        // About every 50 ms on the caller's thread; true stops every
        // connection, each abandoning its file (no target left half-written).
        std::function<bool()> attente;
        // Each file as it ends, on the caller's thread, with the reason of a
        // failure.
        std::function<void(const QString &relatif, bool ok, const QString &raison)> fin;
        // Bytes moved so far by all the connections, files under way included.
        std::function<void(qint64 octets)> octets;
        // A connection that could not be made (or made again), with why.
        // Its file goes back to the others; only when none is left are the
        // files not copied ended as failed.
        std::function<void(const QString &raison)> connexionImpossible;
        // Copies a file on the caller's own session, on the caller's thread:
        // when set, the files no connection was left to take go through it
        // one by one (a server that takes a single connection per address
        // still gets the whole copy) instead of failing.
        std::function<bool(const Fichier &fichier)> surLaSessionCourante;
    };

    // `connexions` is brought into 1..ConnexionsMax.
    CopieParallele(ModeleConnexion modele, int connexions);

    // Returns when every file has ended, or when `attente` asked to stop
    // (false then: the files not ended are not named).
    bool Execute(Sens sens, const QList<Fichier> &fichiers, const Rappels &rappels);

private:
    ModeleConnexion m_modele;
    int m_connexions;
};
