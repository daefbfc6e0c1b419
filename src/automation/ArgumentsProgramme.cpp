#include "automation/ArgumentsProgramme.h"

#include "about/InfoProduit.h"
#include "automation/LigneCommande.h"

namespace {

// Qt's options that take the next word (or "=value") as their value: those of
// QGuiApplication, QApplication and the X11 platform.
const char *const avecValeur[] = {"platform",
                                  "platformpluginpath",
                                  "platformtheme",
                                  "plugin",
                                  "qwindowgeometry",
                                  "qwindowicon",
                                  "qwindowtitle",
                                  "session",
                                  "display",
                                  "geometry",
                                  "name",
                                  "title",
                                  "icon",
                                  "visual",
                                  "style",
                                  "stylesheet"};
// Options Qt takes only as "-opt=value".
const char *const valeurCollee[] = {"qmljsdebugger"};
const char *const sansValeur[] = {"reverse", "widgetcount", "sync",
                                  "nograb",  "dograb",      "testability"};

template <size_t N> bool parmi(const char *const (&noms)[N], const QString &nom) {
    for (const char *n : noms)
        if (nom == QLatin1String(n))
            return true;
    return false;
}

} // namespace

ArgumentsProgramme AnalyseArguments(const QStringList &arguments) {
    ArgumentsProgramme r;
    QStringList mots;
    bool aide = false, version = false, finOptions = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (finOptions || a.size() < 2 || a.front() != u'-') {
            mots << a; // "-" alone is a word too
            continue;
        }
        if (a == QLatin1String("--")) {
            finOptions = true;
            continue;
        }
        const QString option = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype egal = option.indexOf(u'=');
        const QString nom = egal < 0 ? option : option.left(egal);
        if (egal < 0 && (nom == QLatin1String("help") || nom == QLatin1String("h"))) {
            aide = true;
        } else if (egal < 0 && nom == QLatin1String("version")) {
            version = true;
        } else if (egal < 0 && parmi(sansValeur, nom)) {
            // Qt's switch, nothing to take.
        } else if (egal >= 0 && (parmi(avecValeur, nom) || parmi(valeurCollee, nom))) {
            // The value is in the same word.
        } else if (parmi(avecValeur, nom)) {
            if (i + 1 >= arguments.size()) {
                if (r.erreur.isEmpty())
                    r.erreur = QStringLiteral("l'option « %1 » demande une valeur").arg(a);
            }
            ++i;
        } else if (r.erreur.isEmpty()) {
            r.erreur = QStringLiteral("option inconnue « %1 »").arg(a);
        }
    }
    // Asking for help is never an error, whatever else the line holds.
    if (aide || version) {
        ArgumentsProgramme texte;
        texte.action =
            aide ? ArgumentsProgramme::Action::Aide : ArgumentsProgramme::Action::Version;
        return texte;
    }
    if (!r.erreur.isEmpty()) {
        r.action = ArgumentsProgramme::Action::Erreur;
        return r;
    }
    if (mots.size() == 1) {
        r.commande = mots.front();
        if (AnalyseCommande(r.commande).valide)
            r.action = ArgumentsProgramme::Action::Transfert;
    } else if (mots.size() > 1) {
        r.ignores = mots;
    }
    return r;
}

QString TexteAide(const QString &programme) {
    return QStringLiteral(
               "Usage : %1 [OPTION]... [TRANSFERT]\n"
               "Client FTP. Sans argument, ouvre la fenêtre.\n"
               "\n"
               "TRANSFERT lance un transfert enregistré dans « Espace ligne de commande »\n"
               "puis termine le programme :\n"
               "  L<n>   envoie sur le site le fichier local de l'emplacement n (0 à 9)\n"
               "  N<n>   télécharge le fichier du site de l'emplacement n dans son fichier\n"
               "         local (toute autre première lettre que L fait de même)\n"
               "Sans affichage (cron, ssh), les états s'écrivent sur la sortie d'erreur.\n"
               "Statut de sortie : 0 transfert réussi, 1 pas de connexion, 2 échec du\n"
               "transfert ou ligne de commande refusée.\n"
               "\n"
               "Options :\n"
               "  -h, --help   affiche cette aide et termine\n"
               "  --version    affiche la version et termine\n"
               "  --           la suite n'est pas une option\n"
               "Les options de Qt sont acceptées (-display, -platform, -style,\n"
               "-qwindowgeometry, -session...).\n")
        .arg(programme);
}

QString TexteVersion(const QString &programme) {
    return QStringLiteral("%1 %2.%3.%4\n")
        .arg(programme)
        .arg(InfoProduit::VersionMajeure())
        .arg(InfoProduit::VersionMineure())
        .arg(InfoProduit::VersionRevision());
}
