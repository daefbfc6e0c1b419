#include "settings/Reglages.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QtDebug>

#include <charconv>
#include <cmath>
#include <memory>
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

namespace {

// A value as the program stores it: an unquoted "a,b" typed into the file by
// hand parses as a list and reads back as typed.
QString texteDe(const QVariant &v) {
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

// The file as read at first use, kept for the life of the process (or until
// the config folder changes). Reads come from memory; each write goes to the
// file at once through the same QSettings, which takes a lock file and merges
// with the file on disk if another instance changed it since: no key another
// instance wrote is lost, but this one sees such keys only at its next start
// (last writer wins per key).
struct Magasin {
    QString chemin;
    bool charge = false;
    // Folded "section/key" -> the value. Where a hand-edited file spells a
    // key in several cases, the spelling Ecrit writes wins.
    struct Valeur {
        bool canonique;
        QString texte;
    };
    QHash<QString, Valeur> valeurs;
    // Folded "section/key" -> its other spellings in the file, removed when
    // the key is written: no stale copy (a password, say) stays behind.
    QHash<QString, QStringList> autresGraphies;
    std::unique_ptr<QSettings> fichier; // null until the file exists or is written
    int groupes = 0;                    // Groupe objects alive
    bool enAttente = false;             // written in a group, not yet saved
};

Magasin &magasin() {
    static Magasin m;
    return m;
}

std::unique_ptr<QSettings> ouvreFichier(const QString &chemin) {
    // Whatever QSettings creates (folder, temporary file) is private from the
    // first byte on: the file holds passwords.
    UmaskRestreint umask;
    return std::make_unique<QSettings>(chemin, QSettings::IniFormat);
}

Magasin &magasinCharge() {
    Magasin &m = magasin();
    const QString chemin = CheminFichier();
    if (m.charge && m.chemin == chemin)
        return m;
    m.fichier.reset();
    m.valeurs.clear();
    m.autresGraphies.clear();
    m.chemin = chemin;
    m.charge = true;
    if (!QFileInfo::exists(chemin))
        return m; // never let a read create anything
    m.fichier = ouvreFichier(chemin);
    const QStringList cles = m.fichier->allKeys();
    m.valeurs.reserve(cles.size());
    for (const QString &k : cles) {
        const QString pliee = k.toLower();
        const bool canonique = pliee == k;
        if (!canonique)
            m.autresGraphies[pliee].append(k);
        const auto it = m.valeurs.constFind(pliee);
        if (it != m.valeurs.cend() && (it->canonique || !canonique))
            continue;
        m.valeurs.insert(pliee, {canonique, texteDe(m.fichier->value(k))});
    }
    return m;
}

// Saves what the QSettings object holds; false when it could not.
bool enregistre(Magasin &m) {
    QSettings::Status statut;
    {
        UmaskRestreint umask;
        QDir().mkpath(QFileInfo(m.chemin).absolutePath());
        m.fichier->sync();
        statut = m.fichier->status();
    }
    QFile::setPermissions(m.chemin, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return statut == QSettings::NoError;
}

Coffre *&coffre() {
    static Coffre *c = nullptr;
    return c;
}

bool ecritDansFichier(const QString &section, const QString &cle, const QString &valeur);

// Blanks a password the vault now holds, unless the file has changed it since.
void retireDuFichier(const QString &section, const QString &cle, const QString &valeur) {
    const Magasin &m = magasinCharge();
    const auto it = m.valeurs.constFind(cleComplete(section, cle));
    if (it != m.valeurs.cend() && it->texte == valeur && !valeur.isEmpty())
        ecritDansFichier(section, cle, QString());
}

// Hands a password to the vault: true when it holds it before this returns;
// a later confirmation blanks it in the file then.
bool confieAuCoffre(const QString &section, const QString &cle, const QString &valeur) {
    auto immediat = std::make_shared<bool>(false);
    auto apres = std::make_shared<bool>(false);
    coffre()->Stocke(CompteMotDePasse(section, cle), valeur,
                     [section, cle, valeur, immediat, apres](bool ok) {
                         if (!*apres)
                             *immediat = ok;
                         else if (ok)
                             retireDuFichier(section, cle, valeur);
                     });
    *apres = true;
    return *immediat;
}

} // namespace

void DefinitCoffre(Coffre *c) {
    coffre() = c;
}

QString CompteMotDePasse(const QString &section, const QString &cle) {
    const QString s = section.toLower();
    const QString k = cle.toLower();
    if (k == QLatin1String("txtmdp")) {
        if (s == QLatin1String("data"))
            return QStringLiteral("data/txtMDP");
        if (s.size() == 1 && s[0] >= u'0' && s[0] <= u'8')
            return s + QStringLiteral("/txtMDP");
        return QString();
    }
    if (s == QLatin1String("ldc") && k.size() == 7 && k.startsWith(QLatin1String("txtmdp")) &&
        k[6] >= u'0' && k[6] <= u'9')
        return QStringLiteral("LDC/txtMDP") + k[6];
    return QString();
}

void Relit() {
    Magasin &m = magasin();
    m.fichier.reset();
    m.valeurs.clear();
    m.autresGraphies.clear();
    m.charge = false;
}

QString Lit(const QString &section, const QString &cle, const QString &defaut) {
    if (cle.isEmpty())
        return defaut;
    if (coffre()) {
        const QString compte = CompteMotDePasse(section, cle);
        if (!compte.isEmpty()) {
            if (const std::optional<QString> v = coffre()->Lit(compte))
                return *v;
        }
    }
    const Magasin &m = magasinCharge();
    const auto it = m.valeurs.constFind(cleComplete(section, cle));
    return it == m.valeurs.cend() ? defaut : it->texte;
}

bool Ecrit(const QString &section, const QString &cle, const QString &valeur) {
    if (cle.isEmpty())
        return false;
    // The file holds the password until the vault confirmed it holds it:
    // refused or unanswered, it is not lost.
    const QString compte = coffre() ? CompteMotDePasse(section, cle) : QString();
    if (compte.isEmpty())
        return ecritDansFichier(section, cle, valeur);
    // Already held (or on its way): nothing to store again.
    const std::optional<QString> tenu = coffre()->Lit(compte);
    const Magasin &m = magasinCharge();
    const auto it = m.valeurs.constFind(cleComplete(section, cle));
    const QString dansFichier = it == m.valeurs.cend() ? QString() : it->texte;
    if (tenu && *tenu == valeur && (dansFichier.isEmpty() || dansFichier == valeur))
        return true;
    return ecritDansFichier(section, cle,
                            confieAuCoffre(section, cle, valeur) ? QString() : valeur);
}

bool DeplaceMotsDePasse() {
    if (!coffre())
        return true;
    QStringList sections{QStringLiteral("data")};
    for (int n = 0; n <= 8; ++n)
        sections << SectionMemoire(n);
    QList<std::pair<QString, QString>> cles;
    for (const QString &s : sections)
        cles.append({s, QLatin1String(MemTxtMDP)});
    for (int n = 0; n <= 9; ++n)
        cles.append({QLatin1String(SectionLDC), CleLDC("txtMDP", n)});

    bool tout = true;
    Groupe groupe;
    for (const auto &[section, cle] : cles) {
        const Magasin &m = magasinCharge();
        const auto it = m.valeurs.constFind(cleComplete(section, cle));
        if (it == m.valeurs.cend() || it->texte.isEmpty())
            continue;
        const QString valeur = it->texte;
        auto refuse = std::make_shared<bool>(false);
        coffre()->Stocke(CompteMotDePasse(section, cle), valeur,
                         [section = section, cle = cle, valeur, refuse](bool ok) {
                             if (ok)
                                 retireDuFichier(section, cle, valeur);
                             else
                                 *refuse = true;
                         });
        if (*refuse)
            tout = false;
    }
    return groupe.Termine() && tout;
}

namespace {

bool ecritDansFichier(const QString &section, const QString &cle, const QString &valeur) {
    Magasin &m = magasinCharge();
    const QString complete = cleComplete(section, cle);
    if (!m.fichier)
        m.fichier = ouvreFichier(m.chemin);
    const QStringList graphies = m.autresGraphies.take(complete);
    for (const QString &g : graphies)
        m.fichier->remove(g);
    m.fichier->setValue(complete, valeur);
    if (m.groupes > 0) {
        m.enAttente = true;
        m.valeurs.insert(complete, {true, valeur});
        return true;
    }
    if (!enregistre(m)) {
        // QSettings keeps both the refused value and its error: put back what
        // is on disk and start from a fresh object at the next write.
        const auto avant = m.valeurs.constFind(complete);
        if (avant == m.valeurs.cend())
            m.fichier->remove(complete);
        else
            m.fichier->setValue(complete, avant->texte);
        m.fichier.reset();
        if (!graphies.isEmpty())
            m.autresGraphies.insert(complete, graphies);
        qWarning().noquote() << QStringLiteral("Réglages : impossible d'écrire %1/%2 dans %3")
                                    .arg(section, cle, m.chemin);
        return false;
    }
    m.valeurs.insert(complete, {true, valeur});
    return true;
}

} // namespace

Groupe::Groupe() {
    ++magasin().groupes;
}

Groupe::~Groupe() {
    Termine();
}

bool Groupe::Termine() {
    if (m_termine)
        return m_enregistre;
    m_termine = true;
    Magasin &m = magasin();
    if (--m.groupes > 0 || !m.enAttente)
        return m_enregistre = true;
    m.enAttente = false;
    if (m.fichier && enregistre(m))
        return m_enregistre = true;
    qWarning().noquote() << QStringLiteral("Réglages : impossible d'écrire dans %1").arg(m.chemin);
    // What could not be saved is forgotten: reads start from the file again.
    Relit();
    return m_enregistre = false;
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

int ConnexionsSimultanees() {
    bool ok = false;
    const double n = LitNombre(Connexions, &ok);
    if (!ok)
        return int(ConvertitNombre(QLatin1String(Connexions.defaut), nullptr));
    return int(std::clamp(n, 1.0, 10.0));
}

} // namespace Reglages
