#include "platform/LocalLists.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSet>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

namespace {

// Absolute, '/'-separated, no trailing '/' except for the root; relative paths
// are taken from `base`.
QString normalise(const QString &chemin, const QString &base) {
    if (chemin.isEmpty())
        return QString();
    QString c = QDir::fromNativeSeparators(chemin);
    if (!QDir::isAbsolutePath(c))
        c = JoindreChemin(base.isEmpty() ? QDir::currentPath() : base, c);
    return QDir::cleanPath(c);
}

bool dossierLisible(const QString &chemin) {
    const QFileInfo fi(chemin);
    return fi.isDir() && fi.isReadable() && fi.isExecutable();
}

bool avantSansCasse(const QString &a, const QString &b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

// By name ignoring case (then by exact name); the folded keys are computed once,
// which matters with 100,000 names.
void trieSansCasse(QStringList &noms) {
    std::vector<std::pair<QString, int>> cles;
    cles.reserve(size_t(noms.size()));
    for (int i = 0; i < noms.size(); ++i)
        cles.emplace_back(noms.at(i).toCaseFolded(), i);
    std::sort(cles.begin(), cles.end(), [&](const auto &a, const auto &b) {
        return a.first != b.first ? a.first < b.first : noms.at(a.second) < noms.at(b.second);
    });
    QStringList tries;
    tries.reserve(noms.size());
    for (const auto &c : cles)
        tries << noms.at(c.second);
    noms.swap(tries);
}

enum class Genre { Dossiers, Fichiers };

// The names of one kind in a folder, straight from readdir: the entry's type
// comes with it, so only symbolic links (and file systems that give no type)
// cost a stat. Links count as what they point to; broken links are left out.
QStringList listeNoms(const QString &dossier, Genre genre, bool caches) {
    QStringList noms;
    const QByteArray chemin = QFile::encodeName(dossier);
    DIR *d = ::opendir(chemin.constData());
    if (!d)
        return noms;
    const int fd = ::dirfd(d);
    while (const dirent *e = ::readdir(d)) {
        const char *nom = e->d_name;
        if (nom[0] == '.') {
            if (nom[1] == '\0' || (nom[1] == '.' && nom[2] == '\0'))
                continue;
            if (!caches)
                continue;
        }
        bool estDossier = e->d_type == DT_DIR;
        bool estFichier = e->d_type == DT_REG;
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat st;
            if (::fstatat(fd, nom, &st, 0) != 0)
                continue;
            estDossier = S_ISDIR(st.st_mode);
            estFichier = S_ISREG(st.st_mode);
        }
        if (genre == Genre::Dossiers ? estDossier : estFichier)
            noms << QFile::decodeName(nom);
    }
    ::closedir(d);
    return noms;
}

} // namespace

QString JoindreChemin(const QString &dossier, const QString &nom) {
    if (dossier.isEmpty())
        return nom;
    if (dossier.endsWith(QLatin1Char('/')))
        return dossier + nom;
    return dossier + QLatin1Char('/') + nom;
}

// ---------------------------------------------------------------- DriveListBox

DriveListBox::DriveListBox(QWidget *parent) : QComboBox(parent) {
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    Refresh();
    const QStorageInfo ici(QDir::currentPath());
    const int i = findData(ici.isValid() ? ici.rootPath() : QStringLiteral("/"));
    setCurrentIndex(i >= 0 ? i : 0);
    m_drive = currentData().toString();
    connect(this, &QComboBox::activated, this, &DriveListBox::surActivation);
}

QString DriveListBox::Drive() const {
    return m_drive;
}

QString DriveListBox::List(int i) const {
    return i >= 0 && i < count() ? itemData(i).toString() : QString();
}

void DriveListBox::Refresh() {
    QStringList racines;
    QHash<QString, QString> noms;
    const auto volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &v : volumes) {
        if (!v.isValid() || !v.isReady())
            continue;
        const QString racine = v.rootPath();
        if (racines.contains(racine) || !QFileInfo(racine).isDir())
            continue;
        racines << racine;
        noms.insert(racine, v.name());
    }
    if (!racines.contains(QStringLiteral("/")))
        racines << QStringLiteral("/");
    std::sort(racines.begin(), racines.end(), [](const QString &a, const QString &b) {
        if (a == QLatin1String("/") || b == QLatin1String("/"))
            return a == QLatin1String("/") && b != QLatin1String("/");
        return avantSansCasse(a, b);
    });

    const QIcon icone = style()->standardIcon(QStyle::SP_DriveHDIcon);
    const QSignalBlocker bloque(this);
    clear();
    for (const QString &r : racines) {
        const QString nom = noms.value(r);
        addItem(icone, nom.isEmpty() ? r : r + QStringLiteral("  [") + nom + QLatin1Char(']'), r);
    }
    const int i = findData(m_drive);
    if (i >= 0) {
        setCurrentIndex(i);
    } else if (!m_drive.isEmpty()) {
        // The selected volume has gone: fall back to "/".
        setCurrentIndex(0);
        m_drive = itemData(0).toString();
        emit Change(m_drive);
    }
}

bool DriveListBox::setDrive(const QString &chemin) {
    const QString c = normalise(chemin, m_drive);
    if (c.isEmpty() || !QFileInfo::exists(c))
        return false;
    const QStorageInfo info(c);
    if (!info.isValid() || !info.isReady())
        return false;
    QString racine = info.rootPath();
    int i = findData(racine);
    if (i < 0) {
        Refresh(); // mounted since the list was read
        i = findData(racine);
    }
    // A volume the list leaves out (/dev/shm, /proc...) belongs to the
    // nearest listed mount point above it, "/" at worst.
    while (i < 0 && racine != QLatin1String("/")) {
        racine = QFileInfo(racine).absolutePath();
        i = findData(racine);
    }
    if (i < 0)
        return false;
    setCurrentIndex(i);
    if (racine != m_drive) {
        m_drive = racine;
        emit Change(m_drive);
    }
    return true;
}

void DriveListBox::surActivation(int index) {
    const QString racine = itemData(index).toString();
    if (!dossierLisible(racine)) {
        // Unreadable volume: stay where we were, silently.
        setCurrentIndex(std::max(0, findData(m_drive)));
        return;
    }
    if (racine != m_drive) {
        m_drive = racine;
        emit Change(m_drive);
    }
}

// ------------------------------------------------------------------ DirListBox

namespace {

// Indents the folder list as a chain from "/" and draws the folder pictures,
// without storing anything per item (the list may hold 100,000 folders).
class DelegueDossiers : public QStyledItemDelegate {
public:
    explicit DelegueDossiers(DirListBox *liste) : QStyledItemDelegate(liste), m_liste(liste) {}

    void paint(QPainter *p, const QStyleOptionViewItem &o, const QModelIndex &i) const override {
        QStyleOptionViewItem opt(o);
        opt.rect.adjust(retrait(i.row()), 0, 0, 0);
        QStyledItemDelegate::paint(p, opt, i);
    }
    QSize sizeHint(const QStyleOptionViewItem &o, const QModelIndex &i) const override {
        const QSize s = QStyledItemDelegate::sizeHint(o, i);
        return {s.width() + retrait(i.row()), s.height()};
    }

protected:
    void initStyleOption(QStyleOptionViewItem *opt, const QModelIndex &i) const override {
        QStyledItemDelegate::initStyleOption(opt, i);
        const bool chaine = i.row() <= m_liste->NombreParents();
        opt->icon = DirListBox::ImageDossier(chaine);
        opt->features |= QStyleOptionViewItem::HasDecoration;
    }

private:
    int retrait(int ligne) const {
        const int niveau = std::min(ligne, m_liste->NombreParents() + 1);
        return std::min(niveau, 12) * 10;
    }
    DirListBox *m_liste;
};

} // namespace

DirListBox::DirListBox(QWidget *parent) : QListWidget(parent) {
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new DelegueDossiers(this));
    setPath(QDir::currentPath());
}

int DirListBox::indexDeLigne(int ligne) const {
    return ligne - NombreParents() - 1;
}

int DirListBox::ligneDIndex(int index) const {
    return index + NombreParents() + 1;
}

int DirListBox::ListIndex() const {
    const int ligne = currentRow();
    return ligne < 0 ? -1 : indexDeLigne(ligne);
}

void DirListBox::setListIndex(int index) {
    const int ligne = ligneDIndex(index);
    if (ligne >= 0 && ligne < count())
        setCurrentRow(ligne);
}

QString DirListBox::List(int i) const {
    if (i >= 0)
        return i < m_sousDossiers.size() ? JoindreChemin(m_path, m_sousDossiers.at(i)) : QString();
    const int k = int(m_chaine.size()) + i; // -1 -> last of the chain
    return k >= 0 ? m_chaine.at(k) : QString();
}

void DirListBox::setAfficheCaches(bool caches) {
    if (caches == m_caches)
        return;
    m_caches = caches;
    Refresh();
}

bool DirListBox::setPath(const QString &chemin) {
    const QString c = normalise(chemin, m_path);
    if (c.isEmpty() || !dossierLisible(c))
        return false;
    QStringList sous = listeNoms(c, Genre::Dossiers, m_caches);
    trieSansCasse(sous);

    const bool change = c != m_path;
    const QString surligne = change ? QString() : currentItem() ? List(ListIndex()) : QString();
    m_path = c;
    m_sousDossiers = sous;
    m_chaine.clear();
    m_chaine << QStringLiteral("/");
    const QStringList parties = c.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString cumul;
    for (const QString &p : parties) {
        cumul += QLatin1Char('/') + p;
        m_chaine << cumul;
    }
    remplit();
    int ligne = NombreParents(); // the current folder (-1)
    if (!surligne.isEmpty()) {
        const int k = int(m_sousDossiers.indexOf(surligne.mid(surligne.lastIndexOf('/') + 1)));
        if (k >= 0 && JoindreChemin(m_path, m_sousDossiers.at(k)) == surligne)
            ligne = ligneDIndex(k);
    }
    setCurrentRow(ligne);
    if (change)
        emit Change(m_path);
    return true;
}

void DirListBox::remplit() {
    const bool maj = updatesEnabled();
    setUpdatesEnabled(false);
    clear();
    QStringList textes;
    textes.reserve(m_chaine.size() + m_sousDossiers.size());
    for (const QString &c : std::as_const(m_chaine))
        textes << (c == QLatin1String("/") ? c : c.mid(c.lastIndexOf(QLatin1Char('/')) + 1));
    textes += m_sousDossiers;
    addItems(textes);
    setUpdatesEnabled(maj);
}

void DirListBox::Refresh() {
    QString c = m_path;
    while (!dossierLisible(c) && c != QLatin1String("/"))
        c = QFileInfo(c).absolutePath();
    setPath(c);
}

void DirListBox::mousePressEvent(QMouseEvent *e) {
    QListWidget::mousePressEvent(e);
    emit MouseDown(e->button(), e->modifiers(), e->position().toPoint());
}

void DirListBox::mouseMoveEvent(QMouseEvent *e) {
    QListWidget::mouseMoveEvent(e);
    emit MouseMove(e->buttons(), e->modifiers(), e->position().toPoint());
}

void DirListBox::mouseReleaseEvent(QMouseEvent *e) {
    QListWidget::mouseReleaseEvent(e);
    emit MouseUp(e->button(), e->modifiers(), e->position().toPoint());
}

void DirListBox::mouseDoubleClickEvent(QMouseEvent *e) {
    QListWidget::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton && itemAt(e->position().toPoint()))
        setPath(List(ListIndex()));
}

void DirListBox::keyPressEvent(QKeyEvent *e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentItem()) {
        setPath(List(ListIndex()));
        return;
    }
    QListWidget::keyPressEvent(e);
}

// ----------------------------------------------------------------- FileListBox

FileListBox::FileListBox(QWidget *parent) : QListWidget(parent) {
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(this, &QListWidget::itemClicked, this, [this] { emit Click(); });
    charge(QDir::currentPath());
}

bool FileListBox::charge(const QString &chemin) {
    if (chemin.isEmpty() || !dossierLisible(chemin))
        return false;
    QStringList noms = listeNoms(chemin, Genre::Fichiers, m_caches);

    // "*.*" and "*" take everything, as on Windows ("*.*" would
    // otherwise miss names without a dot).
    QList<QRegularExpression> motifs;
    bool tout = false;
    const QStringList parties = m_pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString p : parties) {
        p = p.trimmed();
        if (p == QLatin1String("*") || p == QLatin1String("*.*")) {
            tout = true;
            break;
        }
        if (!p.isEmpty())
            motifs << QRegularExpression(QRegularExpression::wildcardToRegularExpression(p),
                                         QRegularExpression::CaseInsensitiveOption);
    }
    if (!tout && !motifs.isEmpty()) {
        noms.erase(std::remove_if(noms.begin(), noms.end(),
                                  [&](const QString &n) {
                                      return std::none_of(motifs.cbegin(), motifs.cend(),
                                                          [&](const QRegularExpression &r) {
                                                              return r.match(n).hasMatch();
                                                          });
                                  }),
                   noms.end());
    }
    trieSansCasse(noms);

    m_path = chemin;
    const bool maj = updatesEnabled();
    setUpdatesEnabled(false);
    clear();
    addItems(noms);
    setCurrentRow(-1);
    setUpdatesEnabled(maj);
    return true;
}

bool FileListBox::setPath(const QString &chemin) {
    const QString c = normalise(chemin, m_path);
    if (c == m_path) {
        Refresh();
        return dossierLisible(c);
    }
    if (!charge(c))
        return false;
    emit PathChange(m_path);
    return true;
}

void FileListBox::setPattern(const QString &motif) {
    const QString m = motif.trimmed().isEmpty() ? QStringLiteral("*.*") : motif;
    if (m == m_pattern)
        return;
    m_pattern = m;
    charge(m_path);
    emit PatternChange(m_pattern);
}

void FileListBox::setAfficheCaches(bool caches) {
    if (caches == m_caches)
        return;
    m_caches = caches;
    Refresh();
}

void FileListBox::Refresh() {
    const QString courant = FileName();
    QSet<QString> choisis;
    const auto choix = selectedItems();
    for (const QListWidgetItem *it : choix)
        choisis.insert(it->text());
    if (!charge(m_path))
        return;
    if (choisis.isEmpty() && courant.isEmpty())
        return;
    // One selection of contiguous ranges: selecting item by item is quadratic.
    QItemSelection selection;
    int debut = -1;
    const int n = count();
    for (int i = 0; i <= n; ++i) {
        const bool choisi = i < n && choisis.contains(item(i)->text());
        if (choisi && debut < 0)
            debut = i;
        if (!choisi && debut >= 0) {
            selection.select(model()->index(debut, 0), model()->index(i - 1, 0));
            debut = -1;
        }
        if (i < n && !courant.isEmpty() && item(i)->text() == courant)
            setCurrentRow(i, QItemSelectionModel::NoUpdate);
    }
    if (!selection.isEmpty())
        selectionModel()->select(selection, QItemSelectionModel::Select);
}

void FileListBox::setListIndex(int index) {
    if (index < 0) {
        setCurrentRow(-1);
        return;
    }
    if (index < count())
        setCurrentRow(index);
}

QString FileListBox::List(int i) const {
    const QListWidgetItem *it = item(i);
    return it ? it->text() : QString();
}

bool FileListBox::Selected(int i) const {
    const QListWidgetItem *it = item(i);
    return it && it->isSelected();
}

void FileListBox::setSelected(int i, bool choisi) {
    if (QListWidgetItem *it = item(i))
        it->setSelected(choisi);
}

QString FileListBox::FileName() const {
    return List(currentRow());
}

void FileListBox::setFileName(const QString &nom) {
    QString n = QDir::fromNativeSeparators(nom);
    const int barre = n.lastIndexOf(QLatin1Char('/'));
    if (barre >= 0) {
        if (!setPath(barre == 0 ? QStringLiteral("/") : n.left(barre)))
            return;
        n = n.mid(barre + 1);
    }
    if (n.isEmpty())
        return;
    if (n.contains(QLatin1Char('*')) || n.contains(QLatin1Char('?'))) {
        setPattern(n);
        return;
    }
    const auto trouves = findItems(n, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (!trouves.isEmpty())
        setCurrentItem(trouves.first());
}

QString FileListBox::CheminComplet(int i) const {
    const QString n = List(i);
    return n.isEmpty() ? QString() : JoindreChemin(m_path, n);
}

void FileListBox::mousePressEvent(QMouseEvent *e) {
    QListWidget::mousePressEvent(e);
    emit MouseDown(e->button(), e->modifiers(), e->position().toPoint());
}

void FileListBox::mouseMoveEvent(QMouseEvent *e) {
    QListWidget::mouseMoveEvent(e);
    emit MouseMove(e->buttons(), e->modifiers(), e->position().toPoint());
}

void FileListBox::mouseReleaseEvent(QMouseEvent *e) {
    QListWidget::mouseReleaseEvent(e);
    emit MouseUp(e->button(), e->modifiers(), e->position().toPoint());
}

void FileListBox::mouseDoubleClickEvent(QMouseEvent *e) {
    QListWidget::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton && itemAt(e->position().toPoint()))
        emit DblClick();
}

QIcon DirListBox::ImageDossier(bool ouvert) {
    static const QIcon ferme(QStringLiteral(":/navigation/dossier.svg"));
    static const QIcon ouvre(QStringLiteral(":/navigation/dossier_ouvert.svg"));
    return ouvert ? ouvre : ferme;
}
