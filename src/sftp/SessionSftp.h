#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "ftp/Dictionnaire.h"
#include "ftp/FtpSession.h"

// An SFTP session over SSH (libssh): the same operations as the FTP layer,
// blocking, each request bounded by the time-out. It holds no policy of its
// own about host keys: an unknown key goes to the judge the caller provides,
// a changed key is always refused. Every call reports success or failure and
// leaves the reason in Erreur().
class SessionSftp {
public:
    using Progression = FtpSession::Progression;

    // What known_hosts says about the server's key.
    enum class EtatCle { Connue, Inconnue, Changee };
    struct CleHote {
        QString hote;
        quint16 port = 22;
        QString type;            // "ssh-ed25519", "ecdsa-sha2-nistp256"...
        QString empreinte;       // "SHA256:" + base64 without padding, as ssh shows it
        QString empreinteConnue; // the one known_hosts holds, for a changed key
        EtatCle etat = EtatCle::Inconnue;
    };
    enum class Decision { Refuser, AccepterUneFois, ToujoursAccepter };
    // Asked about an unknown key only; without a judge it is refused.
    using JugeCle = std::function<Decision(const CleHote &cle)>;
    // Asked for the passphrase of a private key (its path); nothing skips the key.
    using DemandePhrase = std::function<std::optional<QString>(const QString &cle)>;

    SessionSftp();
    ~SessionSftp();
    SessionSftp(const SessionSftp &) = delete;
    SessionSftp &operator=(const SessionSftp &) = delete;

    // Host text: "host", "host:port", "[v6addr]:port", optionally after
    // "sftp://" (port 22 by default).
    bool Connecte(const QString &hote, const QString &utilisateur, const QString &motDePasse);
    void Deconnecte();
    bool Connectee() const;
    bool Occupee() const { return m_occupee; }

    // The folder relative paths start from: the login folder at first.
    std::optional<QString> DossierCourant();
    bool ChangeDossier(const QString &chemin);
    // Enters the folder and adds its entries to dic as clsFTP::EnumereFichier
    // does ("?" + folder + name + "/" for a sub-folder, folder + name for a
    // file); nothing added when the folder can't be read whole.
    bool Liste(Dictionnaire &dic, const QString &dossier);
    bool CreeDossier(const QString &chemin);
    bool SupprimeDossier(const QString &chemin);
    bool Supprime(const QString &chemin);
    bool Renomme(const QString &ancien, const QString &nouveau);
    qint64 Taille(const QString &chemin); // -1 when unknown or not a file
    bool Telecharge(const QString &distant, const QString &local,
                    FtpSession::Cible cible = FtpSession::Cible::Choisie);
    bool Envoie(const QString &local, const QString &distant);
    // Resumed downloads, as FtpSession's: the file's size and modification
    // time tell whether a partial file is continued (from its end, with a
    // seek on the remote file).
    void setReprise(bool permise) { m_reprise = permise; }
    void setAnnonceReprise(FtpSession::AnnonceReprise annonce) {
        m_annonceReprise = std::move(annonce);
    }
    void Interromps() { m_interrompre = true; }

    void setJugeCle(JugeCle juge) { m_juge = std::move(juge); }
    // "SHA256:…": from the next Connecte, the one host key accepted, known
    // or not, without asking the judge. Empty: known_hosts and the judge.
    void setEmpreinteImposee(const QString &empreinte) { m_empreinteImposee = empreinte; }
    void setDemandePhrase(DemandePhrase demande) { m_demandePhrase = std::move(demande); }
    // Where keys and known_hosts are read (~/.ssh and ~/.ssh/known_hosts by
    // default); read at the next Connecte. The known_hosts file named here
    // replaces the system-wide one too.
    void setDossierSsh(const QString &dossier) { m_dossierSsh = dossier; }
    void setFichierHotesConnus(const QString &fichier) { m_hotesConnus = fichier; }
    // The key seen at the last Connecte (also when it was refused).
    const CleHote &DerniereCle() const { return m_cle; }

    void setProgression(Progression p) { m_progression = std::move(p); }
    void setDelaiMs(int ms) { m_delaiMs = ms; }
    int delaiMs() const { return m_delaiMs; }
    QString Erreur() const { return m_erreur; }

    // Splits a host text into host and port; false when empty or the port is
    // not in 1..65535.
    static bool AnalyseHote(const QString &texte, QString &hote, quint16 &port);
    // "SHA256:abc", "sha256:abc=" and "abc" name the same key: "SHA256:abc".
    static QString NormaliseEmpreinte(const QString &empreinte);

private:
    struct Etat;
    class Minuterie;
    friend class RequeteSftp;

    bool echec(const QString &raison);
    bool perdue(const QString &raison);
    bool erreurSftp(const QString &chemin);
    bool desaccordee();
    bool verifieCle(const QString &hote, quint16 port);
    bool authentifie(const QString &motDePasse);
    // Logs in with the first key of the SSH folder that needs no passphrase
    // and that the server takes; libssh's SSH_AUTH_* result. `resteAEssayer`
    // tells whether a key was left out (under a passphrase, unreadable).
    int clesSansPhrase(bool &resteAEssayer) const;
    QByteArray cheminDistant(const QString &chemin) const;
    void signaleProgression(qint64 fait, qint64 total, bool forcer = false);

    std::unique_ptr<Etat> m_etat;
    std::unique_ptr<Minuterie> m_minuterie;
    JugeCle m_juge;
    DemandePhrase m_demandePhrase;
    QString m_empreinteImposee;
    QString m_dossierSsh;
    QString m_hotesConnus;
    CleHote m_cle;
    QString m_courant;
    bool m_occupee = false;
    bool m_aFermer = false; // the connection is lost: closed when the operation ends
    int m_delaiMs = 30000;
    QString m_erreur;
    Progression m_progression;
    qint64 m_derniereProgression = 0;
    QString m_source; // "sftp://user@host:port", naming where downloads come from
    bool m_reprise = true;
    bool m_interrompre = false;
    FtpSession::AnnonceReprise m_annonceReprise;
};
