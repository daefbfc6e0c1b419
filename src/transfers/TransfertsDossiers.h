#pragma once

#include <QObject>
#include <QString>

class Form1;
class JournalActivite;
class Progression;
class QTreeWidgetItem;
struct Form1Ui;

// The line of every failure that has no message of its own.
inline const QString LigneErreur = QStringLiteral(" > Une erreur s'est produite");
// The line of a multi-file operation stopped by "Annuler".
inline const QString LigneAnnulation = QStringLiteral(" > Déplacement annulé par l'utilisateur");

// A name that stands for one entry inside its folder: not empty, not "." or
// "..", without "/" or "\" (nor a NUL). Anything else would reach outside the
// folder it is joined to.
bool NomSimpleValide(const QString &nom);
// The own name of a local folder path: what follows its last "/" ("" for "/").
QString NomPropre(const QString &chemin);
// The question asked before a folder is copied.
QString TexteConfirmationCopie(const QString &source, const QString &destination);

// Copies the files (one level, no sub-folders) of a folder between the two
// sides: the site tree's selected folder into a new folder under the local
// folder highlighted in dirLocal, or the highlighted local folder into a new
// folder under the site tree's selected folder. File after file, with the
// progress frame; "Annuler" takes effect between two files.
class TransfertsDossiers : public QObject {
    Q_OBJECT
public:
    TransfertsDossiers(Form1 &form, Form1Ui &ui, JournalActivite &journal, Progression &progression,
                       QObject *parent = nullptr);
    ~TransfertsDossiers() override;

    void RapatrieDossierSite();
    void EnvoieDossierLocal();

private:
    void resume(bool annule, bool erreur, int nombre, const QString &source);

    Form1 &m_form;
    Form1Ui &m_ui;
    JournalActivite &m_journal;
    Progression &m_progression;
};
