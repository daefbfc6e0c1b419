#pragma once

#include <QString>

#include <functional>

#include "ftp/Dictionnaire.h"
#include "security/Chiffrement.h"

// The protocol a session speaks. Stored as its number ("0", "1") beside the
// host; a connection stored without it is FTP.
enum class Protocole {
    FTP = 0,
    SFTP = 1,
};

// "0"/"1" and back; any other text (an empty key, a later version's value)
// reads as FTP.
QString ProtocoleEnTexte(Protocole p);
Protocole ProtocoleDeTexte(const QString &texte);

// Session parameters, process-wide: written by the main window, the connection
// dialog and the command-line transfer before each Connexion.
extern QString sSite;
extern QString sUtilisateur;
extern QString sMotDePasse;
// How the next FTP Connexion protects the session (TLS when offered, by
// default). A host text "ftps://host[:port]" means implicit TLS (port 990 by
// default) whatever this says: such a server speaks nothing else.
extern Chiffrement sChiffrement;
// Which protocol the connection code asks the next session for.
extern Protocole sProtocole;

// What a Connexion logs in with: the globals above, copied on the thread that
// writes them, so that a session connecting on another thread never reads them.
struct ParametresConnexion {
    QString site;
    QString utilisateur;
    QString motDePasse;
    Chiffrement chiffrement = Chiffrement::SiDisponible;
    // False for a transfer connection beside the browsing one: the certificate
    // decisions kept in the settings are not read (that connection is given
    // the certificate or host key the browsing one accepted instead).
    bool consulteDecisions = true;
};
// sSite, sUtilisateur, sMotDePasse and sChiffrement as they are now.
ParametresConnexion ParametresCourants();

// What the window, the recorded transfers and quillon-ftp do with a remote
// site, whatever the protocol. Every operation blocks until the server has
// answered or the time-out has expired, and reports only a flag: Connexion
// returns -1 on success, every other operation 1 (0 on failure).
// Protocol-specific knobs (TLS certificates, ...) stay on the implementation
// and are set by the connection code only.
class SessionDistante {
public:
    SessionDistante() = default;
    virtual ~SessionDistante() = default; // closes the connection
    SessionDistante(const SessionDistante &) = delete;
    SessionDistante &operator=(const SessionDistante &) = delete;

    virtual Protocole protocole() const = 0;

    // Connects and logs in with sSite, sUtilisateur, sMotDePasse.
    virtual short Connexion() = 0;
    // The same with the parameters given; reads no global.
    virtual short ConnexionAvec(const ParametresConnexion &parametres) = 0;
    // Empty on failure.
    virtual QString DonneRepertoireCourant() = 0;
    virtual short AttribueRepertoireCourant(const QString &sRepertoire) = 0;
    virtual short CreeRepertoire(const QString &sRepertoire) = 0;
    virtual short EffaceRepertoire(const QString &sRepertoire) = 0;
    // Adds the entries of a folder to Pdic: "?" + folder + name + "/" for a
    // sub-folder, folder + name for a file; 0 (and nothing added) when the
    // folder can't be entered or its listing fails or is cut.
    virtual short EnumereFichier(Dictionnaire &Pdic, const QString &sRepertoire) = 0;
    // Through a temporary file that replaces the target only when whole.
    virtual short DownloadFichier(const QString &sNomSurSite, const QString &sCheminLocal) = 0;
    // For a file named after the site's in a local folder: a symbolic link of
    // that name is refused, never written through; with `copieDossier` (the
    // folder a folder copy made or entered), so is a folder that is a link.
    virtual short DownloadFichierDansDossier(const QString &sNomSurSite,
                                             const QString &sCheminLocal,
                                             bool copieDossier = false) = 0;
    virtual short UploadFichier(const QString &sCheminLocal, const QString &sNomSurSite) = 0;
    // Sends only what the remote file lacks of the local one, the bytes the
    // server holds taken as its start; 0 when the remote file is larger. A
    // session that can't resume sends the whole file.
    virtual short ReprendUpload(const QString &sCheminLocal, const QString &sNomSurSite) {
        return UploadFichier(sCheminLocal, sNomSurSite);
    }
    virtual short RenommeFichier(const QString &sAncienNom, const QString &sNouveauNom) = 0;
    virtual short EffaceFichier(const QString &sNomSurSite) = 0;
    // Size of a remote file in bytes, or -1 when it can't be read.
    virtual qint64 TailleOctets(const QString &sNomSurSite) = 0;

    // Nonzero while a logged-in connection is held.
    virtual bool hConnexion() const = 0;
    // True while an operation is running (a progress callback may yield to the
    // event loop); any other call made meanwhile fails at once.
    virtual bool EnCours() const = 0;

    // Called during transfers with bytes done and the total (-1 when unknown);
    // the window may repaint from it but must not call the session again.
    // A callback may throw to abandon the transfer at once: the target is
    // left as it was (a download's temporary file goes), and the session,
    // its connection in an unknown state, must only be destroyed.
    using Progression = std::function<void(qint64 fait, qint64 total)>;
    virtual void setProgression(Progression rappel) = 0;
    // An interrupted download leaves a hidden partial file beside its target;
    // the next download of the same file continues it when this is on (the
    // default) and the server shows the file unchanged. A session that can't
    // resume always starts over.
    virtual void setReprise(bool permise) { Q_UNUSED(permise); }
    // Told, before a download's bytes come, those it continues from, or -1
    // when it starts over because the file has changed on the server since.
    using AnnonceReprise = std::function<void(const QString &local, qint64 depuis)>;
    virtual void setAnnonceReprise(AnnonceReprise annonce) { Q_UNUSED(annonce); }
    // From a progress callback: the running download stops after its current
    // block and fails, its partial file kept for a later resume. A session
    // that can't stop a transfer lets it end.
    virtual void Interromps() {}
    // Limit for connecting, for each reply and for an idle transfer.
    virtual void setDelaiMs(int ms) = 0;
    virtual int delaiMs() const = 0;
    // Human-readable reason of the last failure (for the command-line tool).
    virtual QString DerniereErreur() const = 0;
    // Lines of the last complete listing that were not understood (only a
    // protocol whose listings are text has any).
    virtual int LignesIncomprises() const { return 0; }
};

// The program-wide session, owned by the main window.
extern SessionDistante *oFTP;

// No URL cache exists on this platform: always 0 ("absent du cache").
short EffaceCache(const QString &sUrl);
// Size in kilobytes of a remote file (true 64-bit size / 1024); a negative value
// (-1/1024) when the file can't be read.
double TailleFichierSite(SessionDistante &session, const QString &sNomSurSite);
