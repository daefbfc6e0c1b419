// Time to list a large remote folder into the main window's views, against
// the FTP layer's own listing of the same folder, on one connection each.
//
//   liste_vues ftp://[user:password@]host:port/folder/ [runs]
//
// For each run: EnumereFichier alone (the FTP layer), then RafraichitSite on
// the real main window (offscreen unless a platform is set), including the
// first paint of the filled views. Prints the medians in seconds and their
// ratio. The settings go to a temporary folder: the user's are not touched.

#include "browsing/NavigateurSite.h"
#include "ftp/clsFTP.h"
#include "mainwindow/Form1.h"
#include "window/Form1Ui.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double mediane(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int echec(const char *quoi, const QString &detail = QString()) {
    std::fprintf(stderr, "liste_vues: %s %s\n", quoi, qPrintable(detail));
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);

    const QStringList args = app.arguments();
    if (args.size() < 2)
        return echec("usage: liste_vues ftp://[user:password@]host:port/folder/ [runs]");
    const QUrl url(args[1]);
    if (url.scheme() != QLatin1String("ftp") || url.host().isEmpty())
        return echec("not an ftp URL:", args[1]);
    const int essais = args.size() > 2 ? std::max(1, args[2].toInt()) : 5;
    sSite = url.host() + QLatin1Char(':') + QString::number(url.port(21));
    sUtilisateur = url.userName().isEmpty() ? QStringLiteral("anonymous") : url.userName();
    sMotDePasse = url.password();
    QString dossier = url.path().isEmpty() ? QStringLiteral("/") : url.path();
    if (!dossier.endsWith(QLatin1Char('/')))
        dossier += QLatin1Char('/');

    clsFTP seul;
    if (seul.Connexion() == 0)
        return echec("connection failed:", seul.DerniereErreur());

    Form1 fenetre;
    fenetre.CreeSessionFTP();
    if (!oFTP || oFTP->Connexion() == 0)
        return echec("connection of the window failed");
    fenetre.show();
    QCoreApplication::processEvents();

    std::vector<double> couche, vues;
    int entrees = 0, fichiers = 0;
    for (int i = 0; i < essais; ++i) {
        QElapsedTimer t;
        Dictionnaire dictionnaire;
        t.start();
        seul.EnumereFichier(dictionnaire, dossier);
        couche.push_back(t.nsecsElapsed() / 1e9);
        entrees = dictionnaire.Count();

        t.start();
        fenetre.navigateurSite().RafraichitSite(dossier);
        QCoreApplication::processEvents(); // the first paint of the filled views
        vues.push_back(t.nsecsElapsed() / 1e9);
        fichiers = fenetre.Ui().List4->count();
    }
    const double mc = mediane(couche), mv = mediane(vues);
    std::printf("%d entries, %d files in List4, %d runs\n", entrees, fichiers, essais);
    std::printf("EnumereFichier     %8.3f s\n", mc);
    std::printf("RafraichitSite     %8.3f s   ratio %.2f\n", mv, mc > 0 ? mv / mc : 0.0);
    return entrees > 0 ? 0 : echec("the folder listed empty");
}
