#pragma once

#include "security/Chiffrement.h"

#include <QString>

#include <memory>
#include <vector>

using SSL_CTX = struct ssl_ctx_st;
using SSL = struct ssl_st;
using SSL_SESSION = struct ssl_session_st;
using X509 = struct x509_st;

// A client context: TLS 1.2 or newer, the system's certificate authorities.
class ContexteTls {
public:
    ContexteTls();
    ~ContexteTls();
    ContexteTls(const ContexteTls &) = delete;
    ContexteTls &operator=(const ContexteTls &) = delete;

    bool valide() const { return m_ctx != nullptr; }
    QString erreur() const { return m_erreur; }
    SSL_CTX *ctx() const { return m_ctx; }

private:
    SSL_CTX *m_ctx = nullptr;
    QString m_erreur;
};

// The TLS side of one connection. The handshake itself is driven by the
// socket that owns it; this object prepares the checks and reads the results.
class LienTls {
public:
    // `hote` is the name (or address) the certificate must carry; empty for
    // a data connection, whose certificate is compared with the control one
    // instead. `reprise` is a session to resume (it is not taken over).
    LienTls(SSL_CTX *ctx, int fd, const QString &hote, SSL_SESSION *reprise);
    ~LienTls();
    LienTls(const LienTls &) = delete;
    LienTls &operator=(const LienTls &) = delete;

    bool valide() const { return m_ssl != nullptr; }
    SSL *ssl() const { return m_ssl; }

    // After the handshake.
    bool certificatVerifie() const; // chain and name both check out
    Certificat certificat(const QString &hote, quint16 port) const;
    QString empreinte() const; // of the peer certificate, empty without one
    QString version() const;   // "TLS 1.2", "TLS 1.3"
    bool sessionReprise() const;
    // A new reference to the current session (for SSL_SESSION_free), or null.
    SSL_SESSION *session() const;

private:
    friend int rappelVerification(int, struct x509_store_ctx_st *);
    SSL *m_ssl = nullptr;
    QString m_hote;
    std::vector<int> m_erreurs; // verification errors, in the order found
};

// SHA-256 of the DER form as "AB:CD:…", empty when it can't be computed.
QString EmpreinteSha256(X509 *certificat);
// The reasons a verification failed, in French, one line.
QString RaisonCertificat(const std::vector<int> &erreurs, const QString &hote);
// What OpenSSL's error queue holds, in one line; the queue is emptied.
QString ErreurOpenSsl();
