#pragma once

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QString>

#include <csignal>
#include <memory>

#include "security/Tls.h"

// Blocks SIGPIPE on this thread for its lifetime: a write to a peer that has
// gone (a socket under OpenSSL, a FIFO whose reader left) then fails with
// EPIPE instead of ending the program. A SIGPIPE raised meanwhile is consumed
// before the mask is restored.
class SansSigpipe {
public:
    SansSigpipe();
    ~SansSigpipe();
    SansSigpipe(const SansSigpipe &) = delete;
    SansSigpipe &operator=(const SansSigpipe &) = delete;

private:
    sigset_t m_pipe;
    sigset_t m_avant;
    bool m_dejaEnAttente = false;
};

// A TCP connection of the FTP layer, control or data: a non-blocking socket,
// optionally under TLS, whose every wait is bounded by the caller's deadline.
class Prise {
public:
    Prise() = default;
    ~Prise();
    Prise(const Prise &) = delete;
    Prise &operator=(const Prise &) = delete;

    // A host name is resolved first; each of its addresses is tried in turn,
    // all within the one deadline.
    bool Connecte(const QString &hote, quint16 port, const QDeadlineTimer &limite);
    bool Connecte(const QHostAddress &adresse, quint16 port, const QDeadlineTimer &limite);

    // TLS over the open connection: `hote` is the name the certificate must
    // carry (empty: no name check), `reprise` a session to resume.
    // CommenceTls prepares it without a byte sent; Poignee runs the handshake.
    bool CommenceTls(SSL_CTX *ctx, const QString &hote, SSL_SESSION *reprise);
    bool Poignee(const QDeadlineTimer &limite);
    const LienTls *Tls() const { return m_tls.get(); }

    // Bytes read (> 0), 0 at the end of the stream, -1 on error or time-out.
    qint64 Lit(char *tampon, qint64 taille, const QDeadlineTimer &limite);
    bool Ecrit(const char *donnees, qint64 taille, const QDeadlineTimer &limite);
    // After Lit returned 0: false when a TLS stream ended without its
    // close_notify (a truncation the peer did not sign).
    bool FinSignee() const { return m_finSignee; }
    // Ends TLS cleanly (close_notify) and waits, within the deadline, for the
    // peer to close, so that nothing unread makes the close a reset.
    void TermineTls(const QDeadlineTimer &limite);
    void Ferme();

    bool Ouverte() const { return m_fd >= 0; }
    int Descripteur() const { return m_fd; }
    QHostAddress Pair() const { return m_pair; }
    QString Erreur() const { return m_erreur; }

private:
    bool attend(short evenements, const QDeadlineTimer &limite);
    // Waits for what OpenSSL asked for after `resultat`; false with
    // m_erreur set on an error.
    bool attendTls(int resultat, const QDeadlineTimer &limite, const char *quoi);

    int m_fd = -1;
    QHostAddress m_pair;
    std::unique_ptr<LienTls> m_tls;
    bool m_finSignee = true;
    // Lit returned data and saw the end (or an error) behind it.
    bool m_finEnAttente = false;
    bool m_erreurEnAttente = false;
    QString m_erreur;
};
