#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

// How a connection is protected. Stored as its number ("0", "1", "2") beside
// the host; a connection stored without it uses TLS when the server offers it.
enum class Chiffrement {
    SiDisponible = 0, // "TLS si disponible": AUTH TLS, plain text when the server refuses it
    Obligatoire = 1,  // "TLS obligatoire": no plain-text fallback
    Aucun = 2,        // "Aucun"
};

// Display texts, in the order of the enum (the connection dialogs' choices).
QString TexteChiffrement(Chiffrement c);
// "0".."2" and back; any other text (a stored value from a later version, an
// empty key) reads as SiDisponible.
QString ChiffrementEnTexte(Chiffrement c);
Chiffrement ChiffrementDeTexte(const QString &texte);

// The server's certificate, as shown to the person when it can't be trusted
// on its own.
struct Certificat {
    QString sujet;     // e.g. "CN=ftp.example.org, O=Example"
    QString emetteur;  // issuer, same form
    QDateTime debut;   // validity start (UTC)
    QDateTime fin;     // validity end (UTC)
    QString empreinte; // SHA-256 of the DER form: "AB:CD:…" (32 pairs, upper case)
    QString hote;      // the host name the connection was made to
    quint16 port = 0;  // and its port (a stored acceptance is per host and port)
    QString raison;    // why verification failed (French, one line); empty when valid
    QByteArray der;
};

// Asked, during the handshake, about a certificate that fails verification
// against the system's authorities and the host name. True accepts it for this
// connection; false ends the connection. Without a judge such a certificate is
// refused.
using JugeCertificat = std::function<bool(const Certificat &)>;

// A SHA-256 fingerprint given by a person (hex, with or without colons, any
// case) in the form of Certificat::empreinte; empty when the text is not 32
// hex pairs.
QString NormaliseEmpreinte(const QString &texte);
