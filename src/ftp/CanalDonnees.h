#pragma once

#include <QHostAddress>
#include <QString>

#include <functional>

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
    // Bytes read (> 0), 0 at the end of the data, -1 on error or time-out.
    qint64 Lit(char *tampon, qint64 taille, int delaiMs);
    // Sends `taille` bytes of the open file `fd` from its current offset, or
    // everything up to its end when `taille` is negative (a pipe).
    bool EnvoieFichier(int fd, qint64 taille, int delaiMs,
                       const std::function<void(qint64)> &avance);
    void Ferme();
    bool Ouvert() const { return m_fd >= 0; }
    QString Erreur() const { return m_erreur; }

private:
    bool attend(short evenements, int delaiMs);
    bool ecritTout(const char *donnees, qint64 taille, int delaiMs);

    int m_fd = -1;
    QString m_erreur;
};
