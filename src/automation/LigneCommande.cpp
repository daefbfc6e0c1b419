#include "automation/LigneCommande.h"

#include "ftp/clsFTP.h"
#include "security/DecisionsCertificats.h"
#include "session/FabriqueSession.h"
#include "settings/Reglages.h"
#include "sftp/clsSFTP.h"

#include <cstdio>

DemandeTransfert AnalyseCommande(const QString &commande) {
    DemandeTransfert d;
    if (commande.isEmpty())
        return d;
    const QChar dernier = commande.back();
    // Only "0".."9": the slots are named by one ASCII digit.
    if (dernier < u'0' || dernier > u'9')
        return d;
    d.valide = true;
    d.emplacement = dernier.unicode() - u'0';
    d.lettre = commande.front();
    d.upload = d.lettre == u'L';
    return d;
}

EmplacementTransfert LitEmplacement(int n) {
    const QString s = QLatin1String(Reglages::SectionLDC);
    using Reglages::CleLDC;
    EmplacementTransfert e;
    e.site = Reglages::Lit(s, CleLDC("TxtSite", n));
    e.utilisateur = Reglages::Lit(s, CleLDC("txtUtilisateur", n));
    e.motDePasse = Reglages::Lit(s, CleLDC("txtMDP", n));
    e.distant = Reglages::Lit(s, CleLDC("FicDis", n));
    e.local = Reglages::Lit(s, CleLDC("FicLoc", n));
    e.chiffrement = ChiffrementDeTexte(Reglages::Lit(s, CleLDC("Chiffrement", n)));
    e.protocole = ProtocoleDeTexte(Reglages::Lit(s, CleLDC("Protocole", n)));
    return e;
}

void EcritEmplacement(int n, const EmplacementTransfert &e) {
    const QString s = QLatin1String(Reglages::SectionLDC);
    using Reglages::CleLDC;
    Reglages::Groupe groupe; // the keys in one rewrite of the file
    Reglages::Ecrit(s, CleLDC("TxtSite", n), e.site);
    Reglages::Ecrit(s, CleLDC("txtUtilisateur", n), e.utilisateur);
    Reglages::Ecrit(s, CleLDC("txtMDP", n), e.motDePasse);
    Reglages::Ecrit(s, CleLDC("FicDis", n), e.distant);
    Reglages::Ecrit(s, CleLDC("FicLoc", n), e.local);
    Reglages::Ecrit(s, CleLDC("Chiffrement", n), ChiffrementEnTexte(e.chiffrement));
    Reglages::Ecrit(s, CleLDC("Protocole", n), ProtocoleEnTexte(e.protocole));
}

short VideCacheTransfert(int n) {
    const QString adresse = Reglages::Lit(Reglages::ADSITE);
    if (adresse.isEmpty())
        return 0;
    const QString distant =
        Reglages::Lit(QLatin1String(Reglages::SectionLDC), Reglages::CleLDC("FicDis", n));
    if (distant.isEmpty())
        return 0;
    return EffaceCache(adresse + distant);
}

int LanceTransfert(int d, QChar lettre, SessionDistante &ftp, AfficheurEtat &afficheur,
                   short cacheVide) {
    const EmplacementTransfert e = LitEmplacement(d);
    sSite = e.site;
    sUtilisateur = e.utilisateur;
    sMotDePasse = e.motDePasse;
    sChiffrement = e.chiffrement;
    sProtocole = e.protocole;
    // Certificates are FTP's own; another protocol checks its host its own way.
    clsFTP *const ftps = dynamic_cast<clsFTP *>(&ftp);
    if (ftps)
        ftps->setJugeCertificat(DecisionsCertificats::JugeSansDialogue);
    // Nor is anyone asked about a host key: a known one, or none.
    if (auto *const ssh = dynamic_cast<clsSFTP *>(&ftp)) {
        ssh->Sftp().setJugeCle(nullptr);
        // Nor for a passphrase: a key under one is skipped.
        ssh->Sftp().setDemandePhrase(nullptr);
        ssh->Sftp().setEmpreinteImposee({});
    }

    afficheur.Affiche(Voyant::Blanc, QStringLiteral("Initialisation ..."));
    afficheur.AfficheCache(cacheVide == 1);

    const bool upload = lettre == u'L';
    // An unrecorded slot has no host: nothing to try. A session of another
    // protocol than the slot's would talk to the host in the wrong language.
    if (e.site.isEmpty() || ftp.protocole() != e.protocole || ftp.Connexion() == 0) {
        afficheur.Affiche(Voyant::Rouge, QStringLiteral("Echec à la connexion."));
        return 1;
    }
    if (ftps && ftps->VersionTls().isEmpty() && e.chiffrement != Chiffrement::Aucun)
        afficheur.Avertit(QStringLiteral("Connexion non chiffrée à ") + e.site);
    if (upload) {
        afficheur.Affiche(Voyant::Jaune, QStringLiteral("Upload en cours ..."));
        if (ftp.UploadFichier(e.local, e.distant) != 0) {
            afficheur.Affiche(Voyant::Vert, QStringLiteral("Upload terminé."));
            return 0;
        }
        afficheur.Affiche(Voyant::Rouge, QStringLiteral("Echec au transfert."));
        return 2;
    }
    afficheur.Affiche(Voyant::Jaune, QStringLiteral("Download en cours ..."));
    // Received into a temporary file: a failed run leaves the old file as it was.
    if (ftp.DownloadFichier(e.distant, e.local) != 0) {
        afficheur.Affiche(Voyant::Vert, QStringLiteral("Download terminé."));
        return 0;
    }
    afficheur.Affiche(Voyant::Rouge, QStringLiteral("Echec au download."));
    return 2;
}

int ExecuteLigneCommande(const QString &commande, SessionDistante &ftp, AfficheurEtat &afficheur,
                         short &cacheVide) {
    const DemandeTransfert d = AnalyseCommande(commande);
    if (!d.valide)
        return 1;
    cacheVide = VideCacheTransfert(d.emplacement);
    return LanceTransfert(d.emplacement, d.lettre, ftp, afficheur, cacheVide);
}

namespace {

class AfficheurTexte : public AfficheurEtat {
public:
    void Affiche(Voyant, const QString &texte) override {
        std::fprintf(stderr, "%s\n", texte.toLocal8Bit().constData());
        std::fflush(stderr);
    }
    void AfficheCache(bool) override {}
    void Avertit(const QString &texte) override { Affiche(Voyant::Jaune, texte); }
};

} // namespace

Protocole ProtocoleDuTransfert(const QString &commande) {
    const DemandeTransfert d = AnalyseCommande(commande);
    return d.valide ? ProtocoleDeTexte(Reglages::Lit(QLatin1String(Reglages::SectionLDC),
                                                     Reglages::CleLDC("Protocole", d.emplacement)))
                    : Protocole::FTP;
}

int TransfertSansFenetre(const QString &commande) {
    AfficheurTexte afficheur;
    const DemandeTransfert d = AnalyseCommande(commande);
    QString indisponible;
    const std::unique_ptr<SessionDistante> ftp =
        CreeSession(ProtocoleDuTransfert(commande), &indisponible);
    if (!ftp) {
        afficheur.Affiche(Voyant::Rouge, QStringLiteral("Echec à la connexion."));
        afficheur.Affiche(Voyant::Rouge, QStringLiteral("Raison : ") + indisponible);
        return 1;
    }
    short cacheVide = 0;
    const int resultat = ExecuteLigneCommande(commande, *ftp, afficheur, cacheVide);
    // Unattended (cron, ssh), the state alone does not say what to mend: a
    // refused certificate, a wrong password, a missing file.
    QString raison = ftp->DerniereErreur().simplified();
    if (raison.isEmpty() && resultat == 1) {
        // No connection was even tried.
        if (d.valide && LitEmplacement(d.emplacement).site.isEmpty())
            raison = QStringLiteral("aucun site n'est enregistré dans l'emplacement %1.")
                         .arg(d.emplacement);
    }
    if (resultat != 0 && !raison.isEmpty())
        afficheur.Affiche(Voyant::Rouge, QStringLiteral("Raison : ") + raison);
    return resultat;
}

bool SansAffichage() {
    return qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}
