#pragma once

#include <QComboBox>
#include <QIcon>
#include <QListWidget>
#include <QString>
#include <QStringList>

// Drive, folder and file list controls with the Windows list controls'
// semantics: Drive, Path, Pattern, ListIndex, List(i), ListCount, Selected(i),
// Refresh and change notifications. Paths use '/' and never end with one,
// except the root "/". The owner wires them together (drive -> folder -> files)
// and gives each its objectName.
//
// Linux adaptation: the "drives" are the mounted volumes, "/" first. Setting a
// path that does not exist (or cannot be read) fails: the setter returns false,
// nothing is emitted and the control keeps what it showed.

class QKeyEvent;
class QMouseEvent;

// The mounted volumes, "/" first then by mount point.
class DriveListBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString Drive READ Drive WRITE setDrive NOTIFY Change)
public:
    explicit DriveListBox(QWidget *parent = nullptr);

    // The mount point of the selected volume ("/", "/home", "/media/clé"...).
    QString Drive() const;
    // Selects the volume that holds `chemin` (any path: a mount point or a folder
    // on it). False when no mounted, readable volume holds it; nothing changes.
    bool setDrive(const QString &chemin);
    // Re-reads the mounted volumes, keeping the selection when it is still there.
    void Refresh();
    int ListCount() const { return count(); }
    QString List(int i) const; // mount point of entry i, empty when out of range

signals:
    // The selected volume changed (by the user or by setDrive).
    void Change(const QString &drive);

private:
    void surActivation(int index);
    QString m_drive;
};

// The folder list: the current folder with its parents above it (indented as a
// chain from "/") and its sub-folders below. Indices as in Windows folder lists:
// the current folder is -1, its parent -2, ..., "/" is -(depth + 1); the
// sub-folders are 0..ListCount()-1, sorted by name ignoring case.
class DirListBox : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QString Path READ Path WRITE setPath NOTIFY Change)
    Q_PROPERTY(int ListIndex READ ListIndex WRITE setListIndex)
public:
    explicit DirListBox(QWidget *parent = nullptr);

    QString Path() const { return m_path; }
    // False (and no change) when the folder does not exist or cannot be listed.
    // Setting the current path again re-reads it but does not emit Change.
    bool setPath(const QString &chemin);

    // Highlighted entry (-1 = the current folder). Setting it only highlights.
    int ListIndex() const;
    void setListIndex(int index);
    // Full path of entry i: sub-folders for i >= 0, current folder and parents
    // for i < 0; empty when out of range.
    QString List(int i) const;
    int ListCount() const { return int(m_sousDossiers.size()); }
    // Number of parents shown above the current folder ("/" has none).
    int NombreParents() const { return int(m_chaine.size()) - 1; }
    // The folder pictures, shared with the site tree so both panes look alike
    // on every desktop: open for the chain down to the current folder.
    static QIcon ImageDossier(bool ouvert);

    // Hidden (dot) folders are listed only when this is set (default: not).
    bool AfficheCaches() const { return m_caches; }
    void setAfficheCaches(bool caches);

    // Re-reads the current folder (the sub-folders may have changed); when the
    // folder has disappeared, moves to its nearest existing parent.
    void Refresh();

signals:
    void Change(const QString &path);
    void MouseDown(Qt::MouseButton bouton, Qt::KeyboardModifiers modificateurs, const QPoint &pos);
    void MouseMove(Qt::MouseButtons boutons, Qt::KeyboardModifiers modificateurs,
                   const QPoint &pos);
    void MouseUp(Qt::MouseButton bouton, Qt::KeyboardModifiers modificateurs, const QPoint &pos);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    int indexDeLigne(int ligne) const;
    int ligneDIndex(int index) const;
    void remplit();
    QString m_path;
    QStringList m_chaine;       // "/", "/home", "/home/moi" (the last is m_path)
    QStringList m_sousDossiers; // names
    bool m_caches = false;
};

// The files of one folder that match Pattern (";"-separated wildcards, matched
// ignoring case; "*.*" matches every file, as on Windows), sorted by
// name ignoring case. Extended multi-selection.
class FileListBox : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QString Path READ Path WRITE setPath NOTIFY PathChange)
    Q_PROPERTY(QString Pattern READ Pattern WRITE setPattern NOTIFY PatternChange)
    Q_PROPERTY(int ListIndex READ ListIndex WRITE setListIndex)
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName)
public:
    explicit FileListBox(QWidget *parent = nullptr);

    QString Path() const { return m_path; }
    // False (and no change) when the folder does not exist or cannot be listed.
    // Setting the current path again re-reads it without emitting PathChange.
    bool setPath(const QString &chemin);
    QString Pattern() const { return m_pattern; }
    void setPattern(const QString &motif);

    // The current (focused) entry, -1 when none.
    int ListIndex() const { return currentRow(); }
    void setListIndex(int index);
    QString List(int i) const; // file name of entry i, empty when out of range
    int ListCount() const { return count(); }
    bool Selected(int i) const;
    void setSelected(int i, bool choisi);
    // Name of the current entry (empty when none). Setting a bare name makes
    // that entry current and selected; a path with '/' also sets Path.
    QString FileName() const;
    void setFileName(const QString &nom);
    // Full path of entry i (Path + '/' + name, without doubling the '/').
    QString CheminComplet(int i) const;

    // Hidden (dot) files are listed only when this is set (default: not).
    bool AfficheCaches() const { return m_caches; }
    void setAfficheCaches(bool caches);

    // Re-reads the folder, keeping the current entry and the selection by name.
    void Refresh();

signals:
    void PathChange(const QString &path);
    void PatternChange(const QString &pattern);
    void Click();
    void DblClick();
    void MouseDown(Qt::MouseButton bouton, Qt::KeyboardModifiers modificateurs, const QPoint &pos);
    void MouseMove(Qt::MouseButtons boutons, Qt::KeyboardModifiers modificateurs,
                   const QPoint &pos);
    void MouseUp(Qt::MouseButton bouton, Qt::KeyboardModifiers modificateurs, const QPoint &pos);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    bool charge(const QString &chemin);
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
    bool m_caches = false;
};

// Joins a folder and a name without doubling the separator ("/" + "a" = "/a").
QString JoindreChemin(const QString &dossier, const QString &nom);
