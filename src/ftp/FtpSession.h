#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDeadlineTimer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "ftp/Prise.h"
#include "ftp/Reponse.h"
#include "security/Chiffrement.h"
#include "security/Tls.h"

class CanalDonnees;

// The FTP protocol client behind clsFTP: one control connection, passive data
// connections, blocking calls bounded by a time-out. It holds no policy: every
// call reports success or failure and leaves the reason in Erreur().
class FtpSession {
public:
    using Progression = std::function<void(qint64 fait, qint64 total)>;

    FtpSession() = default;
    ~FtpSession();

    // Host text: "host", "host:port", "[v6addr]:port" or a bare IPv6 address,
    // optionally after "ftp://", or after "ftps://" for implicit TLS.
    bool Connecte(const QString &hote, const QString &utilisateur, const QString &motDePasse);
    void Deconnecte();
    bool Connectee() const;
    bool Occupee() const { return m_occupee; }

    std::optional<QString> Pwd();
    bool Cwd(const QString &chemin);
    bool Mkd(const QString &chemin);
    bool Rmd(const QString &chemin);
    bool Dele(const QString &chemin);
    bool Renomme(const QString &ancien, const QString &nouveau);
    qint64 Taille(const QString &chemin); // -1 when unknown
    // Where a download lands: a path the user chose, followed through its
    // links; a file named after the server's into a folder, never written
    // through a link; the same in a folder a folder copy made or entered,
    // which must not be a link either.
    enum class Cible { Choisie, DansDossier, DansCopieDossier };
    bool Telecharge(const QString &distant, const QString &local, Cible cible = Cible::Choisie);
    // With `reprendre`, only what the remote file lacks of the local one is
    // sent (after REST, or with APPE), the remote bytes taken as its start.
    bool Envoie(const QString &local, const QString &distant, bool reprendre = false);
    // The modification time the server gives (MDTM, "YYYYMMDDhhmmss[.f]"),
    // empty when it gives none.
    QString DateModification(const QString &chemin);

    // A download whose target is a regular file goes through a partial file
    // beside it, kept when the download fails (see Destination). The next
    // download of the same file continues it when this is on (the default)
    // and the server gives the same size and date as before (SIZE, MDTM; a
    // server without either starts over), with REST.
    void setReprise(bool permise) { m_reprise = permise; }
    // Told the bytes a download continues from, or -1 when it starts over
    // because the file has changed on the server since the partial one.
    using AnnonceReprise = std::function<void(const QString &local, qint64 depuis)>;
    void setAnnonceReprise(AnnonceReprise annonce) { m_annonceReprise = std::move(annonce); }
    // Asked during a download (from its progress callback): it stops after
    // the current block and fails, keeping its partial file.
    void Interromps() { m_interrompre = true; }
    // The listing of the current folder, handed over in blocks of whole lines
    // as it arrives (so that parsing overlaps the server's work); `mlsd` tells
    // whether the lines are MLSD facts. A handler that can hold no more
    // returns false, which ends the listing. False when the listing failed,
    // even after some blocks were handed over.
    bool Liste(bool &mlsd, const std::function<bool(QByteArrayView lignes)> &bloc);

    // Read at the next Connecte. An "ftps://" host is TLS whatever this says.
    void setChiffrement(Chiffrement c) { m_chiffrement = c; }
    void setJugeCertificat(JugeCertificat juge) { m_juge = std::move(juge); }
    // When set ("AB:CD:…"), the one certificate accepted, trusted or not; the
    // judge is not asked.
    void setEmpreinteImposee(const QString &empreinte) { m_empreinteImposee = empreinte; }
    // When not empty, why this host must not be reached in clear text (read
    // at the next Connecte): a server that refuses TLS is then left before
    // the password goes out, unless the choice is Aucun. A pinned
    // certificate requires TLS as well.
    void setTlsExige(const QString &raison) { m_tlsExige = raison; }
    // The last Connecte failed because it would have gone on in clear text.
    bool EnClairRefuse() const { return m_enClairRefuse; }
    // The control connection's certificate fingerprint, empty in clear text.
    QString EmpreinteTls() const { return m_empreinte; }
    // "TLS 1.2" / "TLS 1.3" while the control connection is encrypted.
    QString VersionTls() const;

    void setProgression(Progression p) { m_progression = std::move(p); }
    void setDelaiMs(int ms) { m_delaiMs = ms; }
    int delaiMs() const { return m_delaiMs; }
    QString Erreur() const { return m_erreur; }
    void EffaceErreur() { m_erreur.clear(); }

    // Names as the program carries them. A server's bytes that are UTF-8 read
    // as text; each byte that is not (an older server's Latin-1 or other
    // code page) reads as its Latin-1 character followed by the invisible
    // U+034F, which NomEnOctets turns back into that one byte. So a name is
    // sent back as the bytes it came in, and "été" in Latin-1 and in UTF-8
    // stay two names that look alike. U+034F in a UTF-8 name is itself
    // carried byte by byte, so that no two byte strings share a text. A
    // local copy takes that text as its name: valid UTF-8, shown as the
    // Latin-1 reading, and sent back to the same bytes by an upload.
    static constexpr char16_t MarqueOctet = u'\u034f';
    static QString NomDepuisOctets(QByteArrayView octets);
    static QByteArray NomEnOctets(QStringView nom);

    // Splits a host text into host and port (21 by default, 990 after
    // "ftps://"); false when the text is empty or the port is not a number in
    // 1..65535. `implicite` tells whether the text asked for implicit TLS.
    static bool AnalyseHote(const QString &texte, QString &hote, quint16 &port);
    static bool AnalyseHote(const QString &texte, QString &hote, quint16 &port, bool &implicite);
    // "host", "host:port", "[v6]:port" or a bare IPv6 address, without scheme
    // or path; `port` keeps the caller's default when none is written.
    static bool AnalyseHotePort(const QString &t, QString &hote, quint16 &port);

private:
    friend class Occupation;

    bool echec(const QString &raison);
    bool perdue(const QString &raison); // the connection can't be trusted any more
    QByteArray encode(const QString &texte) const;
    QString decode(const QByteArray &octets) const;
    // A server's reply made fit for an error message: one line, no control
    // characters, bounded length.
    QString texteServeur(const QByteArray &octets) const;

    // Every wait of one exchange shares the deadline `limite`, however slowly
    // the bytes come.
    bool envoieLigne(const QByteArray &commande, const QDeadlineTimer &limite);
    bool litLigne(QByteArray &ligne, const QDeadlineTimer &limite);
    bool litReponse(Reponse::Complete &reponse, const QDeadlineTimer &limite);
    // The final reply, after at most a few preliminary (1xx) ones.
    bool litFinale(Reponse::Complete &reponse, const QDeadlineTimer &limite);
    // Sends "VERB argument" (the argument left out when null) and reads the
    // first reply, preliminary or not.
    bool envoieCommande(const char *verbe, const QString &argument, Reponse::Complete &reponse,
                        const QDeadlineTimer &limite);
    // Sends "VERB argument" and reads the final reply.
    bool commande(const char *verbe, const QString &argument, Reponse::Complete &reponse);
    bool commandeSimple(const char *verbe, const QString &argument, int classeAttendue = 2);
    bool argumentSur(const QString &argument);

    // TLS on the control connection, from the ClientHello to the decision on
    // the certificate, within `limite`.
    bool chiffreControle(const QString &hote, quint16 port, const QDeadlineTimer &limite);
    // AUTH TLS (unless implicit), then PBSZ 0 and PROT P.
    bool negocieTls(bool implicite, const QString &hote, quint16 port);

    bool ouvreDonnees(CanalDonnees &canal);
    // Sends a transfer command once the data connection is up; false when
    // the server refuses it. `finale` is set when the server already gave
    // its final reply.
    // With `depuis`, REST is sent first. When the server refuses it, the
    // command `siRefus` is sent instead, or, without one, `depuis` is set
    // to 0 and the transfer starts at the beginning.
    bool lanceTransfert(const char *verbe, const QString &argument, CanalDonnees &canal,
                        Reponse::Complete &premiere, qint64 *depuis = nullptr,
                        const char *siRefus = nullptr);
    bool termineTransfert(CanalDonnees &canal, const Reponse::Complete &premiere);
    // The same after receiving `recu` bytes, which must also be the whole
    // data (after the `depuis` bytes already there, for a resumed
    // download); `distant` is the file read (null for a listing).
    bool termineReception(CanalDonnees &canal, const Reponse::Complete &premiere, qint64 recu,
                          const QString &distant, qint64 depuis = 0);
    void signaleProgression(qint64 fait, qint64 total, bool forcer = false);

    Prise m_controle;
    std::unique_ptr<ContexteTls> m_contexte; // made on first use, kept for reconnections
    Chiffrement m_chiffrement = Chiffrement::SiDisponible;
    JugeCertificat m_juge;
    QString m_empreinteImposee;
    QString m_tlsExige;
    bool m_enClairRefuse = false;
    QString m_empreinte; // of the control connection's certificate
    // Control bytes taken from the socket: [m_debutRecu, size) are not consumed
    // yet, and [m_debutRecu, m_examine) hold no line end.
    QByteArray m_recu;
    qsizetype m_debutRecu = 0;
    qsizetype m_examine = 0;
    bool m_connectee = false;
    bool m_occupee = false;
    bool m_mlst = false;
    bool m_sansEpsv = false;
    bool m_listeSansOption = false;
    int m_delaiMs = 30000;
    QString m_erreur;
    QString m_source; // "ftp://user@host:port", naming where downloads come from
    bool m_reprise = true;
    bool m_interrompre = false;
    AnnonceReprise m_annonceReprise;
    Progression m_progression;
    qint64 m_derniereProgression = 0;
};

// Marks the session busy for the life of one operation.
class Occupation {
public:
    explicit Occupation(FtpSession &s) : m_s(s), m_libre(!s.m_occupee) { s.m_occupee = true; }
    ~Occupation() {
        if (m_libre)
            m_s.m_occupee = false;
    }
    bool libre() const { return m_libre; }

private:
    FtpSession &m_s;
    bool m_libre;
};
