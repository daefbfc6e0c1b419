#include "automation/CreationRaccourci.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Value of a desktop-entry string key: no line break may end the entry early.
QString valeurCle(const QString &texte) {
    QString v;
    v.reserve(texte.size());
    for (const QChar c : texte) {
        switch (c.unicode()) {
        case u'\\':
            v += QLatin1String("\\\\");
            break;
        case u'\n':
            v += QLatin1String("\\n");
            break;
        case u'\r':
            v += QLatin1String("\\r");
            break;
        case u'\t':
            v += QLatin1String("\\t");
            break;
        default:
            if (c.unicode() >= 0x20)
                v += c;
        }
    }
    return v;
}

bool directionUpload(const QString &direction) {
    return direction == QLatin1String("L");
}

} // namespace

QString NomRaccourci(const QString &nom, const QString &direction) {
    QString sur = nom;
    for (QChar &c : sur)
        if (c == u'/' || c.unicode() == 0)
            c = u'_';
    const QString debut =
        directionUpload(direction) ? QStringLiteral("Upload de ") : QStringLiteral("Download de ");
    const QString fin = QStringLiteral(".desktop");
    // Most file systems hold 255 bytes per name.
    while (!sur.isEmpty() && (debut + sur + fin).toUtf8().size() > 255)
        sur.chop(sur.back().isLowSurrogate() && sur.size() > 1 ? 2 : 1);
    return debut + sur + fin;
}

QString ArgumentExec(const QString &argument) {
    // "%" introduces a field code; a literal one is doubled.
    QString a = argument;
    a.replace(u'%', QLatin1String("%%"));
    static const QString reserves = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quoter = a.isEmpty();
    for (const QChar c : a)
        if (reserves.contains(c))
            quoter = true;
    if (!quoter)
        return a;
    QString q = QStringLiteral("\"");
    for (const QChar c : a) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            q += u'\\';
        q += c;
    }
    return q + u'"';
}

QString ContenuRaccourci(int emplacement, const QString &nom, const QString &direction,
                         const QString &programme) {
    const bool upload = directionUpload(direction);
    const QString dossier = QFileInfo(programme).absolutePath();
    const QString argument =
        (upload ? QStringLiteral("L") : QStringLiteral("N")) + QString::number(emplacement);
    const QString titre = NomRaccourci(nom, direction).chopped(8); // without ".desktop"
    const QString description = (upload ? QStringLiteral("Transfert sur site de ")
                                        : QStringLiteral("Téléchargement sur poste de ")) +
                                nom;
    // Beside the program in its build folder; an installed program has them
    // in its share folder.
    const QString image = upload ? QStringLiteral("up.ico") : QStringLiteral("dn.ico");
    QString icone = dossier + u'/' + image;
    const QString installee =
        QDir::cleanPath(dossier + QStringLiteral("/../share/quillon/") + image);
    if (!QFileInfo::exists(icone) && QFileInfo::exists(installee))
        icone = installee;
    QString t;
    t += QStringLiteral("[Desktop Entry]\n");
    t += QStringLiteral("Type=Application\n");
    t += QStringLiteral("Version=1.0\n");
    t += QStringLiteral("Name=") + valeurCle(titre) + u'\n';
    t += QStringLiteral("Comment=") + valeurCle(description) + u'\n';
    // Quoted for Exec first, then escaped as any string value.
    t += QStringLiteral("Exec=") + valeurCle(ArgumentExec(programme) + u' ' + argument) + u'\n';
    t += QStringLiteral("Path=") + valeurCle(dossier) + u'\n';
    t += QStringLiteral("Icon=") + valeurCle(icone) + u'\n';
    t += QStringLiteral("Terminal=false\n");
    return t;
}

QString DossierBureau() {
    const QString env = qEnvironmentVariable("XDG_DESKTOP_DIR");
    if (!env.isEmpty())
        return env;
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

bool CreeRaccourci(int emplacement, const QString &nom, const QString &direction) {
    const QString bureau = DossierBureau();
    if (bureau.isEmpty() || !QDir().mkpath(bureau))
        return false;
    const QString chemin = bureau + u'/' + NomRaccourci(nom, direction);
    // A new file each time: the old one, if any, is replaced whole.
    QSaveFile fichier(chemin);
    if (!fichier.open(QIODevice::WriteOnly))
        return false;
    fichier.write(
        ContenuRaccourci(emplacement, nom, direction, QCoreApplication::applicationFilePath())
            .toUtf8());
    if (!fichier.commit())
        return false;
    QFile::setPermissions(chemin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                      QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                      QFile::ExeOther);
    // GNOME's desktop starts a launcher only once it is marked trusted; where
    // there is no such desktop the command fails quickly and changes nothing.
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (!gio.isEmpty() && !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        QProcess marque;
        marque.start(gio, {QStringLiteral("set"), chemin, QStringLiteral("metadata::trusted"),
                           QStringLiteral("true")});
        if (marque.waitForStarted(2000) && !marque.waitForFinished(3000))
            marque.kill();
        if (marque.state() != QProcess::NotRunning)
            marque.waitForFinished(1000);
    }
    return true;
}
