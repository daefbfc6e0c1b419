#include "security/Tls.h"

#include <QDateTime>

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <algorithm>

namespace {

// Verification errors kept per connection: a forged chain could report one
// per certificate, and a few are enough to explain a refusal.
constexpr std::size_t ErreursMax = 4;
constexpr int ChampMax = 256; // characters of one name field shown

int indexLien() {
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

// Text from a certificate is the server's: no control character goes through.
QString texteSur(QString texte) {
    for (QChar &c : texte) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            c = u' ';
    }
    if (texte.size() > ChampMax) {
        texte.truncate(ChampMax);
        texte += u'…';
    }
    return texte;
}

// "CN=ftp.example.org, O=Example": the most specific field first.
QString texteNom(const X509_NAME *nom) {
    if (!nom)
        return QString();
    QStringList champs;
    for (int i = X509_NAME_entry_count(nom) - 1; i >= 0 && champs.size() < 16; --i) {
        const X509_NAME_ENTRY *entree = X509_NAME_get_entry(nom, i);
        const int nid = OBJ_obj2nid(X509_NAME_ENTRY_get_object(entree));
        const char *cle = nid != NID_undef ? OBJ_nid2sn(nid) : "?";
        unsigned char *utf8 = nullptr;
        const int n = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(entree));
        if (n < 0)
            continue;
        champs << QStringLiteral("%1=%2").arg(
            QLatin1String(cle), texteSur(QString::fromUtf8(reinterpret_cast<char *>(utf8), n)));
        OPENSSL_free(utf8);
    }
    return champs.join(QStringLiteral(", "));
}

QDateTime dateUtc(const ASN1_TIME *t) {
    tm d{};
    if (!t || ASN1_TIME_to_tm(t, &d) != 1)
        return QDateTime();
    return QDateTime(QDate(d.tm_year + 1900, d.tm_mon + 1, d.tm_mday),
                     QTime(d.tm_hour, d.tm_min, d.tm_sec), Qt::UTC);
}

} // namespace

// Records every verification error and lets the handshake go on: the
// decision is made afterwards, by the session, with the whole picture.
int rappelVerification(int ok, X509_STORE_CTX *magasin) {
    if (ok)
        return 1;
    auto *ssl = static_cast<SSL *>(
        X509_STORE_CTX_get_ex_data(magasin, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto *lien = ssl ? static_cast<LienTls *>(SSL_get_ex_data(ssl, indexLien())) : nullptr;
    const int erreur = X509_STORE_CTX_get_error(magasin);
    if (lien && lien->m_erreurs.size() < ErreursMax &&
        std::find(lien->m_erreurs.begin(), lien->m_erreurs.end(), erreur) == lien->m_erreurs.end())
        lien->m_erreurs.push_back(erreur);
    return 1;
}

ContexteTls::ContexteTls() {
    m_ctx = SSL_CTX_new(TLS_client_method());
    if (!m_ctx) {
        m_erreur = ErreurOpenSsl();
        return;
    }
    SSL_CTX_set_min_proto_version(m_ctx, TLS1_2_VERSION);
    // Partial writes and a moving buffer, as the sockets above use them.
    SSL_CTX_set_mode(m_ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // Fewer, larger reads from the socket during bulk transfers.
    SSL_CTX_set_read_ahead(m_ctx, 1);
    // Without system authorities every certificate goes to the judge.
    SSL_CTX_set_default_verify_paths(m_ctx);
    ERR_clear_error();
}

ContexteTls::~ContexteTls() {
    SSL_CTX_free(m_ctx);
}

LienTls::LienTls(SSL_CTX *ctx, int fd, const QString &hote, SSL_SESSION *reprise) : m_hote(hote) {
    m_ssl = ctx ? SSL_new(ctx) : nullptr;
    if (!m_ssl)
        return;
    SSL_set_ex_data(m_ssl, indexLien(), this);
    SSL_set_fd(m_ssl, fd);
    SSL_set_connect_state(m_ssl);
    SSL_set_verify(m_ssl, SSL_VERIFY_NONE, rappelVerification);
    if (!hote.isEmpty()) {
        const QByteArray nom = hote.toUtf8();
        X509_VERIFY_PARAM *parametres = SSL_get0_param(m_ssl);
        // An address literal is checked against the certificate's addresses
        // and sent without SNI, which carries names only.
        if (X509_VERIFY_PARAM_set1_ip_asc(parametres, nom.constData()) != 1) {
            X509_VERIFY_PARAM_set_hostflags(parametres, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
            X509_VERIFY_PARAM_set1_host(parametres, nom.constData(), size_t(nom.size()));
            SSL_set_tlsext_host_name(m_ssl, nom.constData());
        }
    }
    if (reprise)
        SSL_set_session(m_ssl, reprise);
    ERR_clear_error();
}

LienTls::~LienTls() {
    SSL_free(m_ssl);
}

bool LienTls::certificatVerifie() const {
    return SSL_get0_peer_certificate(m_ssl) && m_erreurs.empty() &&
           SSL_get_verify_result(m_ssl) == X509_V_OK;
}

Certificat LienTls::certificat(const QString &hote, quint16 port) const {
    Certificat c;
    c.hote = hote;
    c.port = port;
    X509 *x = SSL_get0_peer_certificate(m_ssl);
    if (!x) {
        c.raison = QStringLiteral("le serveur n’a présenté aucun certificat");
        return c;
    }
    c.sujet = texteNom(X509_get_subject_name(x));
    c.emetteur = texteNom(X509_get_issuer_name(x));
    c.debut = dateUtc(X509_get0_notBefore(x));
    c.fin = dateUtc(X509_get0_notAfter(x));
    c.empreinte = EmpreinteSha256(x);
    const int n = i2d_X509(x, nullptr);
    if (n > 0) {
        c.der.resize(n);
        auto *p = reinterpret_cast<unsigned char *>(c.der.data());
        i2d_X509(x, &p);
    }
    if (!certificatVerifie()) {
        std::vector<int> erreurs = m_erreurs;
        const long resultat = SSL_get_verify_result(m_ssl);
        if (erreurs.empty() && resultat != X509_V_OK)
            erreurs.push_back(int(resultat));
        c.raison = RaisonCertificat(erreurs, m_hote.isEmpty() ? hote : m_hote);
    }
    return c;
}

QString LienTls::empreinte() const {
    X509 *x = SSL_get0_peer_certificate(m_ssl);
    return x ? EmpreinteSha256(x) : QString();
}

QString LienTls::version() const {
    switch (SSL_version(m_ssl)) {
    case TLS1_2_VERSION:
        return QStringLiteral("TLS 1.2");
    case TLS1_3_VERSION:
        return QStringLiteral("TLS 1.3");
    default:
        return QString::fromLatin1(SSL_get_version(m_ssl));
    }
}

bool LienTls::sessionReprise() const {
    return SSL_session_reused(m_ssl) == 1;
}

SSL_SESSION *LienTls::session() const {
    return SSL_get1_session(m_ssl);
}

QString EmpreinteSha256(X509 *certificat) {
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    if (!certificat || X509_digest(certificat, EVP_sha256(), md, &n) != 1)
        return QString();
    QString texte;
    texte.reserve(int(n) * 3);
    for (unsigned int i = 0; i < n; ++i) {
        if (i)
            texte += u':';
        texte += QStringLiteral("%1").arg(md[i], 2, 16, QLatin1Char('0')).toUpper();
    }
    return texte;
}

QString RaisonCertificat(const std::vector<int> &erreurs, const QString &hote) {
    QStringList raisons;
    for (const int e : erreurs) {
        QString r;
        switch (e) {
        case X509_V_ERR_CERT_HAS_EXPIRED:
            r = QStringLiteral("le certificat a expiré");
            break;
        case X509_V_ERR_CERT_NOT_YET_VALID:
            r = QStringLiteral("le certificat n’est pas encore valide");
            break;
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
            r = QStringLiteral("le certificat est auto-signé");
            break;
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
            r = QStringLiteral("l’émetteur du certificat n’est pas une autorité reconnue");
            break;
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            r = QStringLiteral("le certificat n’est pas celui de « %1 »").arg(texteSur(hote));
            break;
        case X509_V_ERR_CERT_REVOKED:
            r = QStringLiteral("le certificat a été révoqué");
            break;
        default:
            r = QStringLiteral("certificat non vérifiable (%1)")
                    .arg(QLatin1String(X509_verify_cert_error_string(e)));
        }
        raisons << r;
    }
    if (raisons.isEmpty())
        raisons << QStringLiteral("certificat non vérifiable");
    return raisons.join(QStringLiteral(" ; "));
}

QString ErreurOpenSsl() {
    QStringList textes;
    while (const unsigned long e = ERR_get_error()) {
        if (textes.size() < 3) {
            char texte[256];
            ERR_error_string_n(e, texte, sizeof texte);
            const char *raison = ERR_reason_error_string(e);
            textes << QString::fromLatin1(raison ? raison : texte);
        }
    }
    return textes.join(QStringLiteral(", "));
}
