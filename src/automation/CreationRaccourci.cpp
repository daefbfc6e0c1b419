#include "automation/CreationRaccourci.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

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

QString RefusRaccourci(const QString &programme) {
    for (const QChar c : programme)
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("Raccourci non créé : le chemin du programme contient un "
                                  "caractère de contrôle (U+%1), qu'un raccourci ne peut pas "
                                  "transmettre.")
                .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0'));
    if (programme.contains(QChar::ReplacementCharacter) ||
        QFile::decodeName(QFile::encodeName(programme)) != programme)
        return QStringLiteral("Raccourci non créé : le chemin du programme n'est pas un texte "
                              "valide.");
    return QString();
}

namespace {

// GNOME's desktop starts a launcher only once it is marked trusted; where
// there is no such desktop the command fails quickly and changes nothing. It
// may take seconds: it runs on its own, owned by the application so that
// nothing waits for it, and is ended after a few seconds at most.
void marqueFiable(const QString &chemin) {
    QCoreApplication *application = QCoreApplication::instance();
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (!application || gio.isEmpty() || qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    auto *marque = new QProcess(application);
    marque->setStandardOutputFile(QProcess::nullDevice());
    marque->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(marque, &QProcess::finished, marque, &QObject::deleteLater);
    QObject::connect(marque, &QProcess::errorOccurred, marque, [marque](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            marque->deleteLater();
    });
    // Killed, it still ends through finished, which reaps and releases it.
    QTimer::singleShot(5000, marque, [marque] { marque->kill(); });
    marque->start(gio, {QStringLiteral("set"), chemin, QStringLiteral("metadata::trusted"),
                        QStringLiteral("true")});
}

QString programmeOuCeluiCi(const QString &programme) {
    return programme.isEmpty() ? QCoreApplication::applicationFilePath() : programme;
}

} // namespace

bool CreeRaccourci(int emplacement, const QString &nom, const QString &direction, QString *raison,
                   const QString &programme) {
    const QString exe = programmeOuCeluiCi(programme);
    QString refus = RefusRaccourci(exe);
    const QString bureau = DossierBureau();
    const QString chemin = bureau + u'/' + NomRaccourci(nom, direction);
    QSaveFile fichier(chemin);
    if (refus.isEmpty() && (bureau.isEmpty() || !QDir().mkpath(bureau)))
        refus = QStringLiteral("Raccourci non créé : impossible de créer le dossier du bureau "
                               "« %1 ».")
                    .arg(bureau);
    // A new file each time: the old one, if any, is replaced whole.
    if (refus.isEmpty() &&
        (!fichier.open(QIODevice::WriteOnly) ||
         fichier.write(ContenuRaccourci(emplacement, nom, direction, exe).toUtf8()) < 0 ||
         !fichier.commit()))
        refus = QStringLiteral("Raccourci non créé : impossible d'écrire « %1 » (%2).")
                    .arg(chemin, fichier.errorString());
    if (!refus.isEmpty()) {
        if (raison)
            *raison = refus;
        return false;
    }
    QFile::setPermissions(chemin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                      QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                      QFile::ExeOther);
    marqueFiable(chemin);
    return true;
}

QStringList SupprimeRaccourcis(int emplacement, const QString &programme) {
    QStringList supprimes;
    const QString bureau = DossierBureau();
    if (bureau.isEmpty())
        return supprimes;
    const QString exe = programmeOuCeluiCi(programme);
    const QDir dossier(bureau);
    const QStringList noms = dossier.entryList(
        {QStringLiteral("Upload de *.desktop"), QStringLiteral("Download de *.desktop")},
        QDir::Files | QDir::Hidden | QDir::System | QDir::CaseSensitive);
    constexpr qint64 tailleMax = 64 * 1024; // ours are a few hundred bytes
    for (const QString &nom : noms) {
        const QString chemin = dossier.filePath(nom);
        const QFileInfo fi(chemin);
        if (fi.isSymLink() || !fi.isFile() || fi.size() > tailleMax)
            continue;
        QFile f(chemin);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QStringList lignes = QString::fromUtf8(f.read(tailleMax)).split(u'\n');
        f.close();
        const bool upload = nom.startsWith(QLatin1String("Upload de "));
        const QString argument =
            (upload ? QStringLiteral("L") : QStringLiteral("N")) + QString::number(emplacement);
        // The name ties the file to its text; Exec ties it to this program and slot.
        const bool notre = lignes.value(0) == QLatin1String("[Desktop Entry]") &&
                           lignes.contains(QStringLiteral("Name=") + valeurCle(nom.chopped(8))) &&
                           lignes.contains(QStringLiteral("Exec=") +
                                           valeurCle(ArgumentExec(exe) + u' ' + argument));
        if (notre && QFile::remove(chemin))
            supprimes << nom;
    }
    return supprimes;
}
