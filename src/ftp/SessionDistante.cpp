#include "ftp/SessionDistante.h"

QString sSite;
QString sUtilisateur;
QString sMotDePasse;
Chiffrement sChiffrement = Chiffrement::SiDisponible;
Protocole sProtocole = Protocole::FTP;
SessionDistante *oFTP = nullptr;

ParametresConnexion ParametresCourants() {
    ParametresConnexion p;
    p.site = sSite;
    p.utilisateur = sUtilisateur;
    p.motDePasse = sMotDePasse;
    p.chiffrement = sChiffrement;
    return p;
}

QString ProtocoleEnTexte(Protocole p) {
    return QString::number(int(p));
}

Protocole ProtocoleDeTexte(const QString &texte) {
    return texte == QLatin1String("1") ? Protocole::SFTP : Protocole::FTP;
}

short EffaceCache(const QString &) {
    return 0;
}

double TailleFichierSite(SessionDistante &session, const QString &sNomSurSite) {
    const qint64 octets = session.TailleOctets(sNomSurSite.trimmed());
    return double(octets < 0 ? -1 : octets) / 1024.0;
}
