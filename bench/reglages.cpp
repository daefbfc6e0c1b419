// The settings store on a large file: 300,000 keys (about 4 MB), as the
// connection dialog uses it (66 reads, mostly of missing keys, then 66 writes
// on OK, in one group as the dialog makes them, then one by one).
//
//   reglages [keys]
//
// Prints the seconds of the first read (the file is parsed), of the dialog's
// reads, of one write and of the dialog's writes. The file lives in a
// temporary config folder: the user's settings are not touched.

#include "settings/Reglages.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const char *const cles[] = {"NomBout", "TxtSite", "TxtUtil", "txtMDP",
                            "drvloc",  "dirloc",  "filloc"};

void lectures() {
    Reglages::Lit(Reglages::TxtSite);
    Reglages::Lit(Reglages::TxtUtilisateur);
    Reglages::Lit(Reglages::TxtMDP);
    for (int n = 0; n < 9; ++n)
        for (const char *c : cles)
            Reglages::Lit(Reglages::SectionMemoire(n), QLatin1String(c));
}

void ecritures() {
    Reglages::Ecrit(Reglages::TxtSite, QStringLiteral("ftp.exemple.fr"));
    Reglages::Ecrit(Reglages::TxtUtilisateur, QStringLiteral("marie"));
    Reglages::Ecrit(Reglages::TxtMDP, QStringLiteral("secret"));
    for (int n = 0; n < 9; ++n)
        for (const char *c : cles)
            Reglages::Ecrit(Reglages::SectionMemoire(n), QLatin1String(c), QString());
}

double secondes(QElapsedTimer &chrono) {
    const double s = double(chrono.nsecsElapsed()) / 1e9;
    chrono.restart();
    return s;
}

} // namespace

int main(int argc, char **argv) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    const int total = argc > 1 ? QByteArray(argv[1]).toInt() : 300000;

    const QString chemin = Reglages::CheminFichier();
    QDir().mkpath(QFileInfo(chemin).absolutePath());
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly))
        return 1;
    QByteArray texte;
    for (int i = 0; i < total; ++i) {
        if (i % 1000 == 0)
            texte += "[bourre" + QByteArray::number(i / 1000) + "]\n";
        texte += "cle" + QByteArray::number(i % 1000) + "=valeur\n";
    }
    f.write(texte);
    f.close();

    QElapsedTimer chrono;
    chrono.start();
    Reglages::Lit(Reglages::ConAuto);
    const double premiere = secondes(chrono);
    lectures();
    const double dialogue = secondes(chrono);
    Reglages::Ecrit(Reglages::ADSITE, QStringLiteral("http://exemple.fr"));
    const double une = secondes(chrono);
    {
        Reglages::Groupe groupe;
        ecritures();
    }
    const double ok = secondes(chrono);
    ecritures();
    const double okSansGroupe = secondes(chrono);
    std::printf("keys %d, file %.1f MB\n", total, double(texte.size()) / 1e6);
    std::printf("first read %.3f s, dialog reads %.4f s, one write %.3f s\n", premiere, dialogue,
                une);
    std::printf("dialog writes: in one group %.3f s, one by one %.3f s\n", ok, okSansGroupe);
    return 0;
}
