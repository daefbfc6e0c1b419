#pragma once

#include "security/Chiffrement.h"

#include <QString>

// What the person decided about certificates that the system's authorities
// don't vouch for: a fingerprint accepted for good, per host and port, kept in
// the settings (section "Certificats"); or accepted or refused for this run
// only, kept in memory.
namespace DecisionsCertificats {

// The settings key of a host and port: "host:port", "[v6addr]:port"; the host
// in lower case, without the brackets it may already carry.
QString Cle(const QString &hote, quint16 port);

// The fingerprint accepted for good for this host and port; empty when none.
QString EmpreinteAcceptee(const QString &hote, quint16 port);
// Stores the certificate's fingerprint as accepted for good; false when the
// fingerprint is malformed or the settings could not be written.
bool AccepteToujours(const Certificat &certificat);

// Remembers, until the program ends, that this host, port and fingerprint
// was accepted once or refused.
void DecideCetteFois(const Certificat &certificat, bool accepte);

enum class Verdict {
    Accepte,          // the fingerprint accepted for good
    Change,           // another fingerprint was accepted for this host and port
    AccepteCetteFois, // accepted earlier in this run
    RefuseCetteFois,  // refused earlier in this run
    Inconnu,          // nothing decided yet
};
Verdict Juge(const Certificat &certificat);

// The judge of runs without a window (command-line transfers): only the
// fingerprint accepted for good passes, nobody is asked.
bool JugeSansDialogue(const Certificat &certificat);

} // namespace DecisionsCertificats
