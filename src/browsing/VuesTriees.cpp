#include "browsing/VuesTriees.h"

#include "browsing/ContenuListe.h"
#include "browsing/NavigateurSite.h"
#include "browsing/Vues.h"
#include "platform/LocalLists.h"
#include "platform/Sablier.h"
#include "window/BulleAide.h"
#include "window/Form1Ui.h"
#include "window/Twips.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include <limits>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString TagDate = QStringLiteral("DATE");
const QString TagTaille = QStringLiteral("TAILLE");

// The sort keys of the files `noms` of `dossier`: modification times in
// milliseconds or lengths. A file gone since the list was read sorts as the
// oldest, smallest. One stat per file relative to the open folder: QFileInfo
// costs several times more on a large folder.
QVector<qint64> clesDeTri(const QString &dossier, const QStringList &noms, bool parDate) {
    const qint64 absent = parDate ? std::numeric_limits<qint64>::min() : -1;
    QVector<qint64> cles;
    cles.reserve(noms.size());
#ifdef Q_OS_UNIX
    const int repertoire =
        ::open(QFile::encodeName(dossier).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (repertoire >= 0) {
        for (const QString &nom : noms) {
            struct stat etat;
            if (::fstatat(repertoire, QFile::encodeName(nom).constData(), &etat, 0) != 0)
                cles << absent;
            else if (parDate)
                cles << qint64(etat.st_mtim.tv_sec) * 1000 + etat.st_mtim.tv_nsec / 1000000;
            else
                cles << qint64(etat.st_size);
        }
        ::close(repertoire);
        return cles;
    }
#endif
    const QDir d(dossier);
    for (const QString &nom : noms) {
        const QFileInfo info(d.filePath(nom));
        if (!info.exists())
            cles << absent;
        else
            cles << (parDate ? info.lastModified().toMSecsSinceEpoch() : info.size());
    }
    return cles;
}

} // namespace

VuesTriees::VuesTriees(Form1Ui &ui, QObject *parent) : QObject(parent), m_ui(ui) {
    RecDelta_Click = [this](int index) {
        if (QToolButton *b = m_ui.RecDelta.value(index))
            b->click();
    };
}

void VuesTriees::Vert_Click(int Index) {
    switch (Index) {
    case 0:
    case 1:
        trie(Index);
        break;
    case 2:
        if (Tag(m_ui.List3) == TagDate) {
            DefinitTag(m_ui.List3, QString());
            trie(0);
        }
        if (Tag(m_ui.List3) == TagTaille) {
            DefinitTag(m_ui.List3, QString());
            trie(1);
        }
        if (!m_ui.List1->isHidden()) {
            m_ui.List1->hide();
            RecDelta_Click(0);
        }
        break;
    default:
        break;
    }
}

void VuesTriees::QuitteComparaison() {
    NavigateurSite::QuitteListesComparees(m_ui);
    m_ui.filLocal->Refresh();
}

void VuesTriees::MetAJourVueLocale() {
    const bool tri = !m_ui.List3->isHidden();
    for (int i : {1, 2, 3, 5}) {
        if (QToolButton *b = m_ui.BTL.value(i))
            b->setVisible(!tri);
    }
    if (tri) {
        if (QToolButton *b = m_ui.BTL.value(10))
            b->show();
    } else {
        if (QToolButton *b = m_ui.BTL.value(4))
            b->show();
        m_ui.List1->hide();
        m_ui.filLocal->show();
    }
    const int n = tri ? m_ui.List3->count() : m_ui.filLocal->ListCount();
    m_ui.AfficheNombreFichiers(0, n);
}

void VuesTriees::trie(int Index) {
    Sablier sablier;
    QuitteComparaison();
    const QString tag = Index == 0 ? TagDate : TagTaille;
    QListWidget *vue = m_ui.List3;
    if (Tag(vue) == tag) {
        vue->hide();
        DefinitTag(vue, QString());
    } else {
        vue->setGeometry(m_ui.filLocal->geometry());
        vue->show();
        vue->raise();
        DefinitTag(vue, tag);
    }
    if (!vue->isHidden()) {
        const FileListBox *fichiers = m_ui.filLocal;
        const int n = fichiers->ListCount();
        QStringList noms;
        noms.reserve(n);
        for (int i = 0; i < n; ++i)
            noms << fichiers->List(i);
        const QVector<qint64> cles = clesDeTri(fichiers->Path(), noms, Index == 0);
        QStringList tries;
        tries.reserve(n);
        for (const int i : OrdreDecroissant(cles))
            tries << noms[i];
        RemplaceContenu(vue, tries);
    }
    MetAJourVueLocale();
}

void VuesTriees::Vert_MouseMove(int Index) {
    const QToolButton *bouton = m_ui.Vert.value(Index);
    if (!bouton)
        return;
    // Placed from the local frame for every button, the site's Vert(3) too.
    BulleAide::Montre(m_ui, bouton, Twips::Gauche(bouton) + Twips::Gauche(m_ui.fraLocal) + 1000,
                      Twips::Haut(bouton) - 50);
}
