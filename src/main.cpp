#include "automation/LigneCommande.h"
#include "mainwindow/Demarrage.h"
#include "mainwindow/Form1.h"
#include "security/Trousseau.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QStringList>
#include <QTimer>

#include <cstdio>

namespace {

void nommeApplication() {
    // The settings and the single-instance lock are named after the executable.
    QCoreApplication::setApplicationName(
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
}

} // namespace

int main(int argc, char *argv[]) {
    // A recorded transfer started by a scheduler or a remote shell has no
    // display: it runs without any window, its states on stderr.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString commande = arguments.join(QLatin1Char(' '));
    if (Demarrage::ModeLigneDeCommande(commande) && SansAffichage()) {
        QCoreApplication app(argc, argv);
        nommeApplication();
        Trousseau::Demarre(false); // a recorded transfer only reads the settings
        return TransfertSansFenetre(commande);
    }

    QApplication app(argc, argv);
    nommeApplication();
    Trousseau::Demarre(!Demarrage::ModeLigneDeCommande(commande));

    Form1 w;
    w.Commande = commande;

    // Demonstrations and documentation: QUILLON_SCREENSHOT=file.png saves a
    // picture of the window once start-up has settled, then ends the program.
    const QString capture = qEnvironmentVariable("QUILLON_SCREENSHOT");
    bool captureFaite = false;
    if (!capture.isEmpty()) {
        bool ok = false;
        int delai = qEnvironmentVariableIntValue("QUILLON_SCREENSHOT_DELAY_MS", &ok);
        if (!ok)
            delai = 1500;
        QTimer::singleShot(delai, &w, [&] {
            QCoreApplication::processEvents();
            if (!w.grab().save(capture))
                std::fprintf(stderr, "quillon: could not write %s\n", qPrintable(capture));
            captureFaite = true;
            w.close();
            QCoreApplication::exit(0);
        });
    }

    w.Form_Load();
    if (captureFaite)
        return 0;
    return app.exec();
}
