#include "mainwindow/Form1.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QStringList>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    // The settings and the single-instance lock are named after the executable.
    QCoreApplication::setApplicationName(
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());

    Form1 w;
    w.Commande = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));

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
