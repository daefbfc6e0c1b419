// Command-line access to the FTP layer, for scripts, benchmarks and debugging.

#include "ftp/clsFTP.h"

#include <QCoreApplication>
#include <QStringEncoder>
#include <QUrl>

#include <cstdio>

namespace {

constexpr int Reussite = 0;
constexpr int Echec = 1;
constexpr int ErreurUsage = 2;

const char Usage[] =
    "usage: quillon-ftp COMMAND URL [ARG]\n"
    "  URL = ftp://[user[:password]@]host[:port]/path (percent-decoded; no user = anonymous)\n"
    "  ls URL            list folder `path`: one line per entry, key TAB item\n"
    "  get URL FILE      download            put FILE URL    upload\n"
    "  mkdir URL  rmdir URL  rm URL          mv URL NEWPATH  rename\n"
    "  pwd URL           current folder after login, then after changing to path\n"
    "  size URL          size in bytes\n"
    "environment: QUILLON_FTP_TIMEOUT (seconds, default 30)\n";

int usage() {
    std::fputs(Usage, stderr);
    return ErreurUsage;
}

void ecrit(const QString &texte) {
    const QByteArray octets = texte.toUtf8();
    std::fwrite(octets.constData(), 1, size_t(octets.size()), stdout);
}

struct Cible {
    QString chemin;
};

// Fills the session parameters from the URL; false when it is not an ftp URL.
bool analyseUrl(const QString &texte, Cible &cible) {
    const QUrl url(texte, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("ftp") || url.host().isEmpty())
        return false;
    // QUrl takes ":0" for a port; no server listens there, so it is a usage error.
    const int port = url.port(21);
    if (port < 1)
        return false;
    QString hote = url.host(QUrl::FullyDecoded);
    if (hote.contains(u':'))
        hote = QLatin1Char('[') + hote + QLatin1Char(']');
    sSite = hote + QLatin1Char(':') + QString::number(port);
    sUtilisateur = url.userName(QUrl::FullyDecoded);
    sMotDePasse = url.password(QUrl::FullyDecoded);
    cible.chemin = url.path(QUrl::FullyDecoded);
    if (cible.chemin.isEmpty())
        cible.chemin = QStringLiteral("/");
    return true;
}

int echoue(const clsFTP &ftp, const char *quoi) {
    QString raison = ftp.DerniereErreur().simplified();
    if (raison.isEmpty())
        raison = QStringLiteral("échec");
    std::fprintf(stderr, "quillon-ftp: %s: %s\n", quoi, raison.toUtf8().constData());
    return Echec;
}

int resultat(const clsFTP &ftp, short drapeau, const char *quoi) {
    return drapeau != 0 ? Reussite : echoue(ftp, quoi);
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        return usage();
    const QString commande = args[0];
    const bool fichierAvant = commande == QLatin1String("put");
    const int attendus = (commande == QLatin1String("get") || commande == QLatin1String("put") ||
                          commande == QLatin1String("mv"))
                             ? 3
                             : 2;
    static const QStringList connues = {
        QStringLiteral("ls"),    QStringLiteral("get"),   QStringLiteral("put"),
        QStringLiteral("mkdir"), QStringLiteral("rmdir"), QStringLiteral("rm"),
        QStringLiteral("mv"),    QStringLiteral("pwd"),   QStringLiteral("size")};
    if (!connues.contains(commande) || args.size() != attendus)
        return usage();
    Cible cible;
    if (!analyseUrl(fichierAvant ? args[2] : args[1], cible))
        return usage();

    clsFTP ftp;
    bool ok = false;
    const int delai = qEnvironmentVariableIntValue("QUILLON_FTP_TIMEOUT", &ok);
    if (ok && delai > 0)
        ftp.setDelaiMs(delai * 1000);
    if (ftp.Connexion() == 0)
        return echoue(ftp, "connexion");

    if (commande == QLatin1String("ls")) {
        QString dossier = cible.chemin;
        if (!dossier.endsWith(u'/'))
            dossier += u'/';
        Dictionnaire dic;
        ftp.EnumereFichier(dic, dossier);
        // A folder that can't be entered or listed lists as empty: say why.
        if (dic.Count() == 0 && !ftp.DerniereErreur().isEmpty())
            return echoue(ftp, "ls");
        if (const int n = ftp.LignesIncomprises(); n > 0)
            std::fprintf(stderr, "quillon-ftp: ls: %d lignes de la liste n'ont pas été comprises\n",
                         n);
        // Encoded straight into one reusable buffer: no allocation per entry.
        QStringEncoder utf8(QStringEncoder::Utf8);
        QByteArray sortie(64 * 1024, Qt::Uninitialized);
        char *fin = sortie.data();
        for (const auto &e : dic.Entrees()) {
            const qsizetype requis = utf8.requiredSpace(e.cle().size() + e.element().size()) + 2;
            if (sortie.constData() + sortie.size() - fin < requis) {
                std::fwrite(sortie.constData(), 1, size_t(fin - sortie.constData()), stdout);
                if (sortie.size() < requis)
                    sortie.resize(requis);
                fin = sortie.data();
            }
            fin = utf8.appendToBuffer(fin, e.cle());
            *fin++ = '\t';
            fin = utf8.appendToBuffer(fin, e.element());
            *fin++ = '\n';
        }
        std::fwrite(sortie.constData(), 1, size_t(fin - sortie.constData()), stdout);
        return std::fflush(stdout) == 0 ? Reussite : Echec;
    }
    if (commande == QLatin1String("get"))
        return resultat(ftp, ftp.DownloadFichier(cible.chemin, args[2]), "get");
    if (commande == QLatin1String("put"))
        return resultat(ftp, ftp.UploadFichier(args[1], cible.chemin), "put");
    if (commande == QLatin1String("mkdir"))
        return resultat(ftp, ftp.CreeRepertoire(cible.chemin), "mkdir");
    if (commande == QLatin1String("rmdir"))
        return resultat(ftp, ftp.EffaceRepertoire(cible.chemin), "rmdir");
    if (commande == QLatin1String("rm"))
        return resultat(ftp, ftp.EffaceFichier(cible.chemin), "rm");
    if (commande == QLatin1String("mv"))
        return resultat(ftp, ftp.RenommeFichier(cible.chemin, args[2]), "mv");
    if (commande == QLatin1String("pwd")) {
        const QString depart = ftp.DonneRepertoireCourant();
        if (depart.isEmpty())
            return echoue(ftp, "pwd");
        if (ftp.AttribueRepertoireCourant(cible.chemin) == 0)
            return echoue(ftp, "pwd");
        const QString apres = ftp.DonneRepertoireCourant();
        if (apres.isEmpty())
            return echoue(ftp, "pwd");
        ecrit(depart + u'\n' + apres + u'\n');
        return Reussite;
    }
    // size
    const qint64 taille = ftp.TailleOctets(cible.chemin);
    if (taille < 0)
        return echoue(ftp, "size");
    ecrit(QString::number(taille) + u'\n');
    return Reussite;
}
