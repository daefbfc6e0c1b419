#include "security/DecisionsCertificats.h"

#include "settings/Reglages.h"

#include <QHash>

namespace DecisionsCertificats {

namespace {

QString section() {
    return QLatin1String(Reglages::SectionCertificats);
}

// "host:port fingerprint" -> accepted (true) or refused (false) in this run.
QHash<QString, bool> &decisionsDuLancement() {
    static QHash<QString, bool> d;
    return d;
}

QString cleDuLancement(const Certificat &certificat) {
    return Cle(certificat.hote, certificat.port) + u' ' + NormaliseEmpreinte(certificat.empreinte);
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

void DecideCetteFois(const Certificat &certificat, bool accepte) {
    if (NormaliseEmpreinte(certificat.empreinte).isEmpty())
        return;
    decisionsDuLancement().insert(cleDuLancement(certificat), accepte);
}

Verdict Juge(const Certificat &certificat) {
    const QString acceptee = EmpreinteAcceptee(certificat.hote, certificat.port);
    if (acceptee.isEmpty()) {
        if (NormaliseEmpreinte(certificat.empreinte).isEmpty())
            return Verdict::Inconnu;
        const auto it = decisionsDuLancement().constFind(cleDuLancement(certificat));
        if (it == decisionsDuLancement().cend())
            return Verdict::Inconnu;
        return *it ? Verdict::AccepteCetteFois : Verdict::RefuseCetteFois;
    }
    const QString presentee = NormaliseEmpreinte(certificat.empreinte);
    return !presentee.isEmpty() && presentee == acceptee ? Verdict::Accepte : Verdict::Change;
}

bool JugeSansDialogue(const Certificat &certificat) {
    return Juge(certificat) == Verdict::Accepte;
}

} // namespace DecisionsCertificats
