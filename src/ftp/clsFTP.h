#pragma once

#include <QString>

#include <memory>

#include "ftp/SessionDistante.h"
#include "security/Chiffrement.h"

class FtpSession;

// The FTP (and FTPS) session: the one object that talks to an FTP server.
// Connexion also reads sChiffrement. The TLS calls below are the connection
// code's business only.
class clsFTP final : public SessionDistante {
public:
    clsFTP();           // Class_Initialize
    ~clsFTP() override; // Class_Terminate: closes the connection

    Protocole protocole() const override { return Protocole::FTP; }
    short Connexion() override;
    short ConnexionAvec(const ParametresConnexion &parametres) override;
    QString DonneRepertoireCourant() override;
    short AttribueRepertoireCourant(const QString &sRepertoire) override;
    short CreeRepertoire(const QString &sRepertoire) override;
    short EffaceRepertoire(const QString &sRepertoire) override;
    short EnumereFichier(Dictionnaire &Pdic, const QString &sRepertoire) override;
    short DownloadFichier(const QString &sNomSurSite, const QString &sCheminLocal) override;
    short DownloadFichierDansDossier(const QString &sNomSurSite, const QString &sCheminLocal,
                                     bool copieDossier = false) override;
    short UploadFichier(const QString &sCheminLocal, const QString &sNomSurSite) override;
    short ReprendUpload(const QString &sCheminLocal, const QString &sNomSurSite) override;
    short RenommeFichier(const QString &sAncienNom, const QString &sNouveauNom) override;
    short EffaceFichier(const QString &sNomSurSite) override;
    qint64 TailleOctets(const QString &sNomSurSite) override;
    bool hConnexion() const override;
    bool EnCours() const override;
    void setProgression(Progression rappel) override;
    void setReprise(bool permise) override;
    void setAnnonceReprise(AnnonceReprise annonce) override;
    void Interromps() override;
    // Limit for connecting, for each reply and for an idle data connection.
    void setDelaiMs(int ms) override;
    int delaiMs() const override;
    QString DerniereErreur() const override;
    // Lines of the last complete listing that no parser recognised.
    int LignesIncomprises() const override { return m_lignesIncomprises; }

    // TLS, for the connection code.
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
    // The SHA-256 fingerprint of the certificate the session accepted, empty
    // in clear text.
    QString EmpreinteTls() const;
    // "TLS 1.2" / "TLS 1.3" while the session is encrypted, empty in plain text.
    QString VersionTls() const;

private:
    std::unique_ptr<FtpSession> m_session;
    int m_lignesIncomprises = 0;
};
