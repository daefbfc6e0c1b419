#include "security/DecisionsCertificats.h"

#include "settings/Reglages.h"

namespace DecisionsCertificats {

namespace {

QString section() {
    return QLatin1String(Reglages::SectionCertificats);
}

} // namespace

QString Cle(const QString &hote, quint16 port) {
    QString h = hote.trimmed().toLower();
    if (h.startsWith(u'[') && h.endsWith(u']'))
        h = h.mid(1, h.size() - 2);
    // An IPv6 address holds ':' itself: brackets keep the port apart.
    if (h.contains(u':'))
        h = u'[' + h + u']';
    return h + u':' + QString::number(port);
}

QString EmpreinteAcceptee(const QString &hote, quint16 port) {
    return NormaliseEmpreinte(Reglages::Lit(section(), Cle(hote, port)));
}

bool AccepteToujours(const Certificat &certificat) {
    const QString empreinte = NormaliseEmpreinte(certificat.empreinte);
    if (empreinte.isEmpty() || certificat.hote.trimmed().isEmpty())
        return false;
    return Reglages::Ecrit(section(), Cle(certificat.hote, certificat.port), empreinte);
}

Verdict Juge(const Certificat &certificat) {
    const QString acceptee = EmpreinteAcceptee(certificat.hote, certificat.port);
    if (acceptee.isEmpty())
        return Verdict::Inconnu;
    const QString presentee = NormaliseEmpreinte(certificat.empreinte);
    return !presentee.isEmpty() && presentee == acceptee ? Verdict::Accepte : Verdict::Change;
}

bool JugeSansDialogue(const Certificat &certificat) {
    return Juge(certificat) == Verdict::Accepte;
}

} // namespace DecisionsCertificats
