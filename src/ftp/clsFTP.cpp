#include "ftp/clsFTP.h"

#include "ftp/FtpSession.h"
#include "ftp/ListingParser.h"
#include "security/DecisionsCertificats.h"

namespace {

constexpr short Vrai = -1;

// What one listing may keep: a folder of a few million entries lists, an
// endless listing ends well before the memory runs out. Entries read are
// bounded too, for an endless listing of the same few names.
constexpr qsizetype EntreesMax = 5'000'000;
constexpr qsizetype TexteMax = 128LL << 20; // characters of keys and names
constexpr qsizetype LuesMax = 2 * EntreesMax;

short drapeau(bool ok) {
    return ok ? 1 : 0;
}

} // namespace

clsFTP::clsFTP() : m_session(std::make_unique<FtpSession>()) {}

clsFTP::~clsFTP() = default;

bool clsFTP::hConnexion() const {
    return m_session->Connectee();
}

bool clsFTP::EnCours() const {
    return m_session->Occupee();
}

void clsFTP::setProgression(Progression rappel) {
    m_session->setProgression(std::move(rappel));
}

void clsFTP::setReprise(bool permise) {
    m_session->setReprise(permise);
}

void clsFTP::setAnnonceReprise(AnnonceReprise annonce) {
    m_session->setAnnonceReprise(std::move(annonce));
}

void clsFTP::Interromps() {
    m_session->Interromps();
}

void clsFTP::setDelaiMs(int ms) {
    m_session->setDelaiMs(ms);
}

int clsFTP::delaiMs() const {
    return m_session->delaiMs();
}

void clsFTP::setJugeCertificat(JugeCertificat juge) {
    m_session->setJugeCertificat(std::move(juge));
}

void clsFTP::setEmpreinteImposee(const QString &empreinte) {
    m_session->setEmpreinteImposee(empreinte);
}

QString clsFTP::EmpreinteTls() const {
    return m_session->EmpreinteTls();
}

QString clsFTP::VersionTls() const {
    return m_session->VersionTls();
}

bool clsFTP::EnClairRefuse() const {
    return m_session->EnClairRefuse();
}

QString clsFTP::DerniereErreur() const {
    return m_session->Erreur();
}

// Each operation below runs alone: one started while another is in progress
// (re-entered from the event loop during a transfer) fails at once rather than
// mixing two commands on the connection.
#define QUILLON_UNE_OPERATION(valeurSiOccupe)                                                      \
    Occupation occupation(*m_session);                                                             \
    if (!occupation.libre())                                                                       \
        return valeurSiOccupe;                                                                     \
    m_session->EffaceErreur();

short clsFTP::Connexion() {
    return ConnexionAvec(ParametresCourants());
}

short clsFTP::ConnexionAvec(const ParametresConnexion &p) {
    QUILLON_UNE_OPERATION(0)
    m_session->setChiffrement(p.chiffrement);
    // A certificate accepted for good says the host speaks TLS: a later
    // refusal of it is a downgrade, not a choice.
    QString hote, exige;
    quint16 port = 0;
    if (p.consulteDecisions && FtpSession::AnalyseHote(p.site, hote, port) &&
        !DecisionsCertificats::EmpreinteAcceptee(hote, port).isEmpty())
        exige = QStringLiteral("un certificat a été accepté pour toujours pour %1 ; seul le "
                               "choix « Aucun » permet une connexion non chiffrée")
                    .arg(DecisionsCertificats::Cle(hote, port));
    m_session->setTlsExige(exige);
    return m_session->Connecte(p.site, p.utilisateur, p.motDePasse) ? Vrai : 0;
}

QString clsFTP::DonneRepertoireCourant() {
    QUILLON_UNE_OPERATION(QString())
    return m_session->Pwd().value_or(QString());
}

short clsFTP::CreeRepertoire(const QString &sRepertoire) {
    QUILLON_UNE_OPERATION(0)
    return drapeau(m_session->Mkd(sRepertoire));
}

short clsFTP::AttribueRepertoireCourant(const QString &sRepertoire) {
    QUILLON_UNE_OPERATION(0)
    return drapeau(m_session->Cwd(sRepertoire));
}

short clsFTP::UploadFichier(const QString &sCheminLocal, const QString &sNomSurSite) {
    QUILLON_UNE_OPERATION(0)
    return drapeau(m_session->Envoie(sCheminLocal, sNomSurSite));
}

short clsFTP::ReprendUpload(const QString &sCheminLocal, const QString &sNomSurSite) {
    QUILLON_UNE_OPERATION(0)
    return drapeau(m_session->Envoie(sCheminLocal, sNomSurSite, true));
}

short clsFTP::RenommeFichier(const QString &sAncienNom, const QString &sNouveauNom) {
    QUILLON_UNE_OPERATION(0)
    return drapeau(m_session->Renomme(sAncienNom, sNouveauNom));
}

short clsFTP::DownloadFichier(const QString &sNomSurSite, const QString &sCheminLocal) {
    QUILLON_UNE_OPERATION(0)
    return drapeau(m_session->Telecharge(sNomSurSite, sCheminLocal));
}

short clsFTP::DownloadFichierDansDossier(const QString &sNomSurSite, const QString &sCheminLocal,
                                         bool copieDossier) {
    QUILLON_UNE_OPERATION(0)
    return drapeau(m_session->Telecharge(sNomSurSite, sCheminLocal,
                                         copieDossier ? FtpSession::Cible::DansCopieDossier
                                                      : FtpSession::Cible::DansDossier));
}

short clsFTP::EffaceFichier(const QString &sNomSurSite) {
    QUILLON_UNE_OPERATION(0)
    return drapeau(m_session->Dele(sNomSurSite));
}

short clsFTP::EffaceRepertoire(const QString &sRepertoire) {
    QUILLON_UNE_OPERATION(0)
    return drapeau(m_session->Rmd(sRepertoire));
}

qint64 clsFTP::TailleOctets(const QString &sNomSurSite) {
    QUILLON_UNE_OPERATION(-1)
    return m_session->Taille(sNomSurSite);
}

short clsFTP::EnumereFichier(Dictionnaire &Pdic, const QString &sRepertoire) {
    QUILLON_UNE_OPERATION(0)
    m_lignesIncomprises = 0;
    // Listing another folder under the keys of this one would mislabel every
    // entry: a folder that can't be entered lists nothing.
    if (!m_session->Cwd(sRepertoire))
        return 0;
    // Entries are gathered aside: a listing that fails half-way adds nothing.
    // They are added on another thread while the listing is read and parsed.
    Dictionnaire lus;
    Remplisseur remplisseur(lus);
    const QString prefixeDossier = u'?' + sRepertoire;
    bool mlsd = false;
    ListingParser::Analyseur analyseur;
    bool plein = false;
    qsizetype lues = 0;
    const bool complete = m_session->Liste(mlsd, [&](QByteArrayView lignes) {
        analyseur.Analyse(lignes, mlsd, [&](const ListingParser::Entree &entree) {
            if (plein || ++lues > LuesMax) {
                plein = true;
                return;
            }
            // A name that is not one plain path component (a hostile "../x")
            // never reaches the caller, which builds local paths from it.
            if (!ListingParser::NomAcceptable(entree.nom))
                return;
            if (entree.dossier && entree.nom.startsWith(u'.'))
                return;
            // A name that is not plain UTF-8 goes on as its own bytes, so
            // that it reaches the server again as it came.
            QString brut;
            QStringView nom = entree.nom;
            if (entree.latin1 || nom.contains(QChar(FtpSession::MarqueOctet))) {
                brut = FtpSession::NomDepuisOctets(entree.latin1 ? nom.toLatin1() : nom.toUtf8());
                nom = brut;
            }
            if (remplisseur.EntreesDonnees() >= EntreesMax ||
                remplisseur.TexteDonne() >= TexteMax) {
                plein = true;
                return;
            }
            // "?" + folder + name + "/" for a sub-folder, folder + name for a file.
            if (entree.dossier)
                remplisseur.Ajoute(prefixeDossier, nom, u"/");
            else
                remplisseur.Ajoute(sRepertoire, nom, {});
        });
        return !plein;
    });
    if (!complete)
        return 0;
    remplisseur.Termine();
    Pdic.Fusionne(std::move(lus));
    m_lignesIncomprises = analyseur.LignesIncomprises();
    return 1;
}

#undef QUILLON_UNE_OPERATION
