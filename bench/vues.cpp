// Time of the alternative views on large folders, in the real main window
// (offscreen unless a platform is set), no server needed:
//
//   vues [files per side] [runs]
//
// A local folder of N files (default 100,000; sizes varied) and a site list of
// N names, half of them also local, put straight into List4/List5. For each
// run: the comparison click RecDelta(0) (reading the folder again included),
// the size sort Vert(1), and "Filtrer" on the site list, each with the first
// paint. Prints the medians in seconds.

#include "mainwindow/Form1.h"
#include "platform/LocalLists.h"
#include "window/Form1Ui.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double mediane(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double chrono(const std::function<void()> &action) {
    QElapsedTimer t;
    t.start();
    action();
    QCoreApplication::processEvents(); // the first paint
    return t.nsecsElapsed() / 1e9;
}

QString nom(int i) {
    return QStringLiteral("fichier%1.txt").arg(i, 7, 10, QLatin1Char('0'));
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config, local;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int n = args.size() > 1 ? std::max(1, args[1].toInt()) : 100000;
    const int essais = args.size() > 2 ? std::max(1, args[2].toInt()) : 3;

    for (int i = 0; i < n; ++i) {
        QFile f(local.filePath(nom(i)));
        if (!f.open(QIODevice::WriteOnly) || !f.resize((i * 7919) % 65536)) {
            std::fprintf(stderr, "vues: cannot write %s\n", qPrintable(f.fileName()));
            return 1;
        }
    }

    Form1 fenetre;
    Form1Ui &u = fenetre.Ui();
    fenetre.show();
    u.dirLocal->setPath(local.path());
    QCoreApplication::processEvents();

    // Site names: every other local name, and as many of its own.
    QStringList site, chemins;
    for (int i = 0; i < n; ++i) {
        site << (i % 2 ? nom(i) : QStringLiteral("distant%1.doc").arg(i));
        chemins << QLatin1Char('/') + site.last();
    }

    std::vector<double> comparaison, tri, filtre;
    int absents = 0, tries = 0, gardes = 0;
    for (int e = 0; e < essais; ++e) {
        u.List4->clear();
        u.List4->addItems(site);
        u.List5->clear();
        u.List5->addItems(chemins);
        comparaison.push_back(chrono([&] { u.RecDelta[0]->click(); }));
        absents = u.List1->count();
        u.RecDelta[0]->click();
        tri.push_back(chrono([&] { u.Vert[1]->click(); }));
        tries = u.List3->count();
        u.Vert[1]->click();
        u.Text1->setText(QStringLiteral("TXT"));
        filtre.push_back(chrono([&] { u.Command7->click(); }));
        gardes = u.List4->count();
    }
    std::printf("%d local files, %d site names, %d runs\n", n, n, essais);
    std::printf("RecDelta(0) comparison %8.3f s   (%d absent on the site)\n", mediane(comparaison),
                absents);
    std::printf("Vert(1) size sort      %8.3f s   (%d sorted)\n", mediane(tri), tries);
    std::printf("Command7 filter        %8.3f s   (%d kept)\n", mediane(filtre), gardes);
    return absents == n - n / 2 && tries == n && gardes == n / 2 ? 0 : 1;
}
