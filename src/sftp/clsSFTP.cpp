#include "sftp/clsSFTP.h"

namespace {

constexpr short Vrai = -1;

short drapeau(bool ok) {
    return ok ? 1 : 0;
}

} // namespace

clsSFTP::clsSFTP() : m_session(std::make_unique<SessionSftp>()) {
    // Another known_hosts than ~/.ssh's, for a machine account or a test run.
    const QString hotesConnus = qEnvironmentVariable("QUILLON_KNOWN_HOSTS");
    if (!hotesConnus.isEmpty())
        m_session->setFichierHotesConnus(hotesConnus);
}

clsSFTP::~clsSFTP() = default;

short clsSFTP::Connexion() {
    return ConnexionAvec(ParametresCourants());
}

short clsSFTP::ConnexionAvec(const ParametresConnexion &p) {
    return m_session->Connecte(p.site, p.utilisateur, p.motDePasse) ? Vrai : 0;
}

QString clsSFTP::DonneRepertoireCourant() {
    if (m_session->Occupee())
        return {};
    return m_session->DossierCourant().value_or(QString());
}

short clsSFTP::AttribueRepertoireCourant(const QString &sRepertoire) {
    return drapeau(m_session->ChangeDossier(sRepertoire));
}

short clsSFTP::CreeRepertoire(const QString &sRepertoire) {
    return drapeau(m_session->CreeDossier(sRepertoire));
}

short clsSFTP::EffaceRepertoire(const QString &sRepertoire) {
    return drapeau(m_session->SupprimeDossier(sRepertoire));
}

short clsSFTP::EnumereFichier(Dictionnaire &Pdic, const QString &sRepertoire) {
    return drapeau(m_session->Liste(Pdic, sRepertoire));
}

short clsSFTP::DownloadFichier(const QString &sNomSurSite, const QString &sCheminLocal) {
    return drapeau(m_session->Telecharge(sNomSurSite, sCheminLocal));
}

short clsSFTP::DownloadFichierDansDossier(const QString &sNomSurSite, const QString &sCheminLocal,
                                          bool copieDossier) {
    return drapeau(m_session->Telecharge(sNomSurSite, sCheminLocal,
                                         copieDossier ? FtpSession::Cible::DansCopieDossier
                                                      : FtpSession::Cible::DansDossier));
}

short clsSFTP::UploadFichier(const QString &sCheminLocal, const QString &sNomSurSite) {
    return drapeau(m_session->Envoie(sCheminLocal, sNomSurSite));
}

short clsSFTP::RenommeFichier(const QString &sAncienNom, const QString &sNouveauNom) {
    return drapeau(m_session->Renomme(sAncienNom, sNouveauNom));
}

short clsSFTP::EffaceFichier(const QString &sNomSurSite) {
    return drapeau(m_session->Supprime(sNomSurSite));
}

qint64 clsSFTP::TailleOctets(const QString &sNomSurSite) {
    return m_session->Taille(sNomSurSite);
}

bool clsSFTP::hConnexion() const {
    return m_session->Connectee();
}

bool clsSFTP::EnCours() const {
    return m_session->Occupee();
}

void clsSFTP::setProgression(Progression rappel) {
    m_session->setProgression(std::move(rappel));
}

void clsSFTP::setDelaiMs(int ms) {
    m_session->setDelaiMs(ms);
}

int clsSFTP::delaiMs() const {
    return m_session->delaiMs();
}

QString clsSFTP::DerniereErreur() const {
    return m_session->Erreur();
}
