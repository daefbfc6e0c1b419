#include "automation/ArgumentsProgramme.h"
#include "automation/LigneCommande.h"
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
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const ArgumentsProgramme a = AnalyseArguments(arguments);
    // Answered before any display is looked for: they work over ssh too.
    const QString programme = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
    switch (a.action) {
    case ArgumentsProgramme::Action::Aide:
        std::fputs(TexteAide(programme).toLocal8Bit().constData(), stdout);
        return 0;
    case ArgumentsProgramme::Action::Version:
        std::fputs(TexteVersion(programme).toLocal8Bit().constData(), stdout);
        return 0;
    case ArgumentsProgramme::Action::Erreur:
        std::fprintf(stderr, "%s : %s\nEssayez « %s --help ».\n",
                     programme.toLocal8Bit().constData(), a.erreur.toLocal8Bit().constData(),
                     programme.toLocal8Bit().constData());
        return 2;
    case ArgumentsProgramme::Action::Fenetre:
    case ArgumentsProgramme::Action::Transfert:
        break;
    }
    if (!a.ignores.isEmpty())
        std::fprintf(stderr, "%s : arguments ignorés : %s\n", programme.toLocal8Bit().constData(),
                     a.ignores.join(QLatin1Char(' ')).toLocal8Bit().constData());

    // A recorded transfer started by a scheduler or a remote shell has no
    // display: it runs without any window, its states on stderr.
    const bool transfert = a.action == ArgumentsProgramme::Action::Transfert;
    if (transfert && SansAffichage()) {
        QCoreApplication app(argc, argv);
        nommeApplication();
        Trousseau::Demarre(false); // a recorded transfer only reads the settings
        return TransfertSansFenetre(a.commande);
    }

    QApplication app(argc, argv);
    nommeApplication();
    Trousseau::Demarre(!transfert);

    Form1 w;
    w.programme().Commande = a.commande;

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
