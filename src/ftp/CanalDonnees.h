#pragma once

#include <QHostAddress>
#include <QString>

#include <functional>

#include "ftp/Prise.h"

// The data connection of one transfer or listing. Bulk data goes straight
// between the socket and the file descriptors with large buffers, without the
// extra copy of a buffered socket class; every wait is bounded by the idle
// time-out.
class CanalDonnees {
public:
    CanalDonnees() = default;
    ~CanalDonnees();
    CanalDonnees(const CanalDonnees &) = delete;
    CanalDonnees &operator=(const CanalDonnees &) = delete;

    bool Connecte(const QHostAddress &hote, quint16 port, int delaiMs);
    // Under TLS: the session resumes the control connection's one, and the
    // server must show the control connection's certificate (`empreinte`).
    // CommenceTls prepares it; TermineTls runs the handshake once the server
    // has accepted the transfer command: before that, pyftpdlib takes any
    // byte on a data connection for its end, and vsftpd does not answer.
    bool CommenceTls(SSL_CTX *ctx, SSL_SESSION *reprise, const QString &empreinte);
    bool TermineTls(int delaiMs);
    bool Chiffre() const { return m_prise.Tls() != nullptr; }
    // Bytes read (> 0), 0 at the end of the data, -1 on error or time-out.
    qint64 Lit(char *tampon, qint64 taille, int delaiMs);
    // After Lit returned 0: false when TLS data ended without close_notify.
    bool FinSignee() const { return m_prise.FinSignee(); }
    // Sends `taille` bytes of the open file `fd` from its current offset, or
    // everything up to its end when `taille` is negative (a pipe).
    bool EnvoieFichier(int fd, qint64 taille, int delaiMs,
                       const std::function<void(qint64)> &avance);
    // After an upload: under TLS, close_notify, then the server's own end.
    void TermineEnvoi(int delaiMs);
    void Ferme();
    bool Ouvert() const { return m_prise.Ouverte(); }
    QString Erreur() const { return m_erreur; }

private:
    bool echec(const QString &prefixe);

    Prise m_prise;
    QString m_empreinte;
    QString m_erreur;
};
