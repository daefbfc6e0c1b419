#include "browsing/OuvrirAvec.h"

#include "browsing/VuesTriees.h"
#include "platform/LocalLists.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "settings/Reglages.h"
#include "window/Form1Ui.h"
#include "window/JournalActivite.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QToolButton>

namespace {

QString selectionne(const QListWidget *liste) {
    const QListWidgetItem *e = liste->currentItem();
    return e && liste->currentRow() >= 0 ? e->text() : QString();
}

} // namespace

OuvrirAvec::OuvrirAvec(Form1Ui &ui, JournalActivite &journal, VuesTriees &vues, QObject *parent)
    : QObject(parent), m_ui(ui), m_journal(journal), m_vues(vues) {
    if (QToolButton *b = m_ui.Vert.value(4))
        b->installEventFilter(this);
}

bool OuvrirAvec::eventFilter(QObject *objet, QEvent *evenement) {
    if (evenement->type() == QEvent::MouseButtonPress && objet == m_ui.Vert.value(4))
        Vert_MouseDown(4, static_cast<QMouseEvent *>(evenement)->button());
    return false;
}

void OuvrirAvec::Vert_MouseDown(int Index, Qt::MouseButton Button) {
    if (Index == 4 && Button == Qt::RightButton)
        choisitProgramme();
}

void OuvrirAvec::choisitProgramme() {
    const Prompts::Bouton reponse = PromptsCourant().Question(
        QStringLiteral("Choix de programme alternatif"),
        QStringLiteral("Le programme executable est séléctionné dessous dans la liste blanche ???"),
        Prompts::Choix::OuiNon);
    if (reponse != Prompts::Bouton::Oui)
        return;
    // Without a selected file there is no program: a folder would be stored
    // and every later opening would fail.
    const FileListBox *fichiers = m_ui.filLocal;
    const int i = fichiers->ListIndex();
    if (i < 0)
        return;
    Reglages::Ecrit(Reglages::AutreProg, fichiers->CheminComplet(i));
}

QString OuvrirAvec::FichierChoisi() const {
    const FileListBox *fichiers = m_ui.filLocal;
    QString nom;
    if (!m_ui.List1->isHidden())
        nom = selectionne(m_ui.List1);
    if (m_ui.List1->isHidden() && m_ui.List3->isHidden() && fichiers->ListIndex() >= 0)
        nom = fichiers->List(fichiers->ListIndex());
    if (!m_ui.List3->isHidden() && !selectionne(m_ui.List3).isEmpty())
        nom = selectionne(m_ui.List3);
    return nom.isEmpty() ? QString() : JoindreChemin(fichiers->Path(), nom);
}

void OuvrirAvec::Vert_Click(int Index) {
    if (Index != 4)
        return;
    const QString programme = Reglages::Lit(Reglages::AutreProg);
    // First use: choose, and open nothing this time.
    if (programme.isEmpty())
        choisitProgramme();
    const QString fichier = FichierChoisi();
    if (!programme.isEmpty()) {
        // The path is one argument, spaces and all.
        const QStringList arguments = fichier.isEmpty() ? QStringList() : QStringList{fichier};
        if (!ShellCourant().LanceProgramme(programme, arguments))
            m_journal.Ecrit(QStringLiteral(" > Une erreur s'est produite"), "Ro");
    }
    m_vues.QuitteComparaison();
    m_vues.MetAJourVueLocale();
}
