#include "settings/Reglages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QtDebug>

#include <charconv>
#include <cmath>
#include <sys/stat.h>

namespace Reglages {

namespace {

QString cheminExecutable() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    // Before the application object exists (early start-up, command-line tools).
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

// QSettings reads '/' and '\' in group and key names as separators; the
// registry-style store has no such notion, so they are kept literal by escaping.
// Folding to lower case makes "Data" and "data" one section.
QString nomCanonique(const QString &nom) {
    QString n = nom.toLower();
    n.replace(QLatin1Char('%'), QLatin1String("%25"));
    n.replace(QLatin1Char('/'), QLatin1String("%2f"));
    n.replace(QLatin1Char('\\'), QLatin1String("%5c"));
    return n;
}

QString cleComplete(const QString &section, const QString &cle) {
    return nomCanonique(section) + QLatin1Char('/') + nomCanonique(cle);
}

// Restores umask on every path out of Ecrit.
class UmaskRestreint {
public:
    UmaskRestreint() : m_ancien(::umask(077)) {}
    ~UmaskRestreint() { ::umask(m_ancien); }

private:
    mode_t m_ancien;
};

} // namespace

QString SectionMemoire(int n) {
    return QString::number(n);
}

QString CleLDC(const char *nom, int n) {
    return QLatin1String(nom) + QString::number(n);
}

QString NomApplication() {
    return QFileInfo(cheminExecutable()).completeBaseName();
}

QString DossierProgramme() {
    return QFileInfo(cheminExecutable()).absolutePath();
}

QString CheminFichier() {
    const QString nom = NomApplication();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + nom + QLatin1Char('/') + nom + QStringLiteral(".ini");
}

QString Lit(const QString &section, const QString &cle, const QString &defaut) {
    if (cle.isEmpty())
        return defaut;
    const QString chemin = CheminFichier();
    if (!QFileInfo::exists(chemin))
        return defaut; // never let a read create anything
    QSettings s(chemin, QSettings::IniFormat);
    const QString complete = cleComplete(section, cle);
    QVariant v = s.value(complete);
    if (!v.isValid()) {
        // A file edited by hand may spell a section or key in another case.
        const QStringList toutes = s.allKeys();
        for (const QString &k : toutes) {
            if (k.compare(complete, Qt::CaseInsensitive) == 0) {
                v = s.value(k);
                break;
            }
        }
    }
    if (!v.isValid())
        return defaut;
    // An unquoted "a,b" typed into the file by hand parses as a list.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

bool Ecrit(const QString &section, const QString &cle, const QString &valeur) {
    if (cle.isEmpty())
        return false;
    const QString chemin = CheminFichier();
    QSettings::Status statut;
    {
        // Whatever QSettings creates (folder, temporary file) is private from
        // the first byte on: the file holds passwords.
        UmaskRestreint umask;
        QDir().mkpath(QFileInfo(chemin).absolutePath());
        QSettings s(chemin, QSettings::IniFormat);
        s.setValue(cleComplete(section, cle), valeur);
        s.sync();
        statut = s.status();
    }
    QFile::setPermissions(chemin, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (statut != QSettings::NoError) {
        qWarning().noquote() << QStringLiteral("Réglages : impossible d'écrire %1/%2 dans %3")
                                    .arg(section, cle, chemin);
        return false;
    }
    return true;
}

QString Lit(const Cle &cle) {
    QString defaut = QString::fromUtf8(cle.defaut);
    if (cle.dynamique == DefautDynamique::DossierProgramme)
        defaut = DossierProgramme();
    return Lit(QString::fromUtf8(cle.section), QString::fromUtf8(cle.nom), defaut);
}

bool Ecrit(const Cle &cle, const QString &valeur) {
    return Ecrit(QString::fromUtf8(cle.section), QString::fromUtf8(cle.nom), valeur);
}

QString TexteBooleen(bool valeur) {
    return valeur ? QStringLiteral("True") : QStringLiteral("False");
}

double ConvertitNombre(const QString &texte, bool *ok) {
    const QString t = texte.trimmed();
    bool bon = false;
    double v = t.toDouble(&bon);
    if (!bon && t.count(QLatin1Char(',')) == 1 && !t.contains(QLatin1Char('.')))
        v = QString(t).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&bon);
    if (bon && !std::isfinite(v))
        bon = false;
    if (ok)
        *ok = bon;
    return bon ? v : 0.0;
}

bool ConvertitBooleen(const QString &texte, bool *ok) {
    const QString t = texte.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        if (ok)
            *ok = true;
        return true;
    }
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
        if (ok)
            *ok = true;
        return false;
    }
    bool bon = false;
    const double v = ConvertitNombre(t, &bon);
    if (ok)
        *ok = bon;
    return bon && v != 0.0;
}

bool LitBooleen(const Cle &cle, bool *ok) {
    bool bon = false;
    const bool v = ConvertitBooleen(Lit(cle), &bon);
    if (ok)
        *ok = bon;
    if (bon)
        return v;
    return ConvertitBooleen(QString::fromUtf8(cle.defaut), nullptr);
}

bool EcritBooleen(const Cle &cle, bool valeur) {
    return Ecrit(cle, TexteBooleen(valeur));
}

double LitNombre(const Cle &cle, bool *ok) {
    return ConvertitNombre(Lit(cle), ok);
}

bool EcritNombre(const Cle &cle, double valeur) {
    // Shortest text that reads back as the same single-precision number.
    char tampon[64];
    const auto r = std::to_chars(tampon, tampon + sizeof tampon, static_cast<float>(valeur));
    return Ecrit(cle, QString::fromLatin1(tampon, int(r.ptr - tampon)));
}

} // namespace Reglages
