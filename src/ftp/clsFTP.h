#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "ftp/Dictionnaire.h"
#include "security/Chiffrement.h"

class FtpSession;

// Session parameters, process-wide: written by the main window, the connection
// dialog and the command-line transfer before each Connexion.
extern QString sSite;
extern QString sUtilisateur;
extern QString sMotDePasse;
// How the next Connexion protects the session (TLS when offered, by default).
// A host text "ftps://host[:port]" means implicit TLS (port 990 by default)
// whatever this says: such a server speaks nothing else.
extern Chiffrement sChiffrement;

// The one object that talks to the FTP server. Every operation blocks until the
// server has answered or the time-out has expired, and reports only a flag:
// Connexion returns -1 on success, every other operation 1 (0 on failure).
class clsFTP {
public:
    clsFTP();  // Class_Initialize
    ~clsFTP(); // Class_Terminate: closes the connection
    clsFTP(const clsFTP &) = delete;
    clsFTP &operator=(const clsFTP &) = delete;

    short Connexion();
    QString DonneRepertoireCourant();
    short CreeRepertoire(const QString &sRepertoire);
    short AttribueRepertoireCourant(const QString &sRepertoire);
    short UploadFichier(const QString &sCheminLocal, const QString &sNomSurSite);
    short RenommeFichier(const QString &sAncienNom, const QString &sNouveauNom);
    // Adds the entries of a folder to Pdic; 0 (and nothing added) when the
    // folder can't be entered or its listing fails or is cut.
    short EnumereFichier(Dictionnaire &Pdic, const QString &sRepertoire);
    short DownloadFichier(const QString &sNomSurSite, const QString &sCheminLocal);
    // For a file named after the site's in a local folder: a symbolic link of
    // that name is refused, never written through; with `copieDossier` (the
    // folder a folder copy made or entered), so is a folder that is a link.
    short DownloadFichierDansDossier(const QString &sNomSurSite, const QString &sCheminLocal,
                                     bool copieDossier = false);
    short EffaceFichier(const QString &sNomSurSite);
    short EffaceRepertoire(const QString &sRepertoire);

    // Nonzero while a logged-in connection is held.
    bool hConnexion() const;
    // True while an operation is running (a progress callback may yield to the
    // event loop); any other call made meanwhile fails at once.
    bool EnCours() const;

    // Size of a remote file in bytes, or -1 when it can't be read.
    qint64 TailleOctets(const QString &sNomSurSite);

    // Called during transfers with bytes done and the total (-1 when unknown);
    // the window may repaint from it but must not call clsFTP again.
    using Progression = std::function<void(qint64 fait, qint64 total)>;
    void setProgression(Progression rappel);
    // Limit for connecting, for each reply and for an idle data connection.
    void setDelaiMs(int ms);
    int delaiMs() const;
    // Human-readable reason of the last failure (for the command-line tool).
    QString DerniereErreur() const;
    // Asked about a certificate that fails verification (see JugeCertificat);
    // without one such a certificate is refused.
    void setJugeCertificat(JugeCertificat juge);
    // A SHA-256 fingerprint ("AB:CD:…", see NormaliseEmpreinte): from the next
    // Connexion, the one certificate accepted, trusted or not, without asking
    // the judge. Empty: the usual checks.
    void setEmpreinteImposee(const QString &empreinte);
    // The last Connexion was refused because it would have gone on in clear
    // text to a host that must have TLS (DerniereErreur says why).
    bool EnClairRefuse() const;
    // "TLS 1.2" / "TLS 1.3" while the session is encrypted, empty in plain text.
    QString VersionTls() const;
    // Lines of the last complete listing that no parser recognised.
    int LignesIncomprises() const { return m_lignesIncomprises; }

private:
    std::unique_ptr<FtpSession> m_session;
    int m_lignesIncomprises = 0;
};

// The program-wide instance, owned by the main window.
extern clsFTP *oFTP;

// No URL cache exists on this platform: always 0 ("absent du cache").
short EffaceCache(const QString &sUrl);
// Size in kilobytes of a remote file (true 64-bit size / 1024); a negative value
// (-1/1024) when the file can't be read.
double TailleFichierSite(clsFTP &ftp, const QString &sNomSurSite);
