#pragma once

#include <QString>

#include <memory>

#include "ftp/SessionDistante.h"
#include "sftp/SessionSftp.h"

// The SFTP session as the rest of the program sees it: the same calls and
// return values as clsFTP. Host keys (judge, pinned fingerprint, known_hosts
// file) are the connection code's business, set through Sftp(). The
// known_hosts file is QUILLON_KNOWN_HOSTS when that variable is set.
class clsSFTP final : public SessionDistante {
public:
    clsSFTP();
    ~clsSFTP() override;

    Protocole protocole() const override { return Protocole::SFTP; }
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
    short RenommeFichier(const QString &sAncienNom, const QString &sNouveauNom) override;
    short EffaceFichier(const QString &sNomSurSite) override;
    qint64 TailleOctets(const QString &sNomSurSite) override;
    bool hConnexion() const override;
    bool EnCours() const override;
    void setProgression(Progression rappel) override;
    void setReprise(bool permise) override { m_session->setReprise(permise); }
    void setAnnonceReprise(AnnonceReprise annonce) override {
        m_session->setAnnonceReprise(std::move(annonce));
    }
    void Interromps() override { m_session->Interromps(); }
    void setDelaiMs(int ms) override;
    int delaiMs() const override;
    QString DerniereErreur() const override;

    // SSH specifics, for the connection code.
    SessionSftp &Sftp() { return *m_session; }
    const SessionSftp &Sftp() const { return *m_session; }

private:
    std::unique_ptr<SessionSftp> m_session;
};
