#pragma once

#include <QObject>
#include <QString>

#include <functional>

class EtatFenetre;
class JournalActivite;
class NavigateurSite;
class Progression;
class QListWidget;
struct Form1Ui;

// The row of action buttons above the local pane, BTL: 1 up one level,
// 2 create a folder, 3 rename, 4 delete the selected files, 5 delete the
// highlighted folder, 6 open a file with its program, 10 upload the selected
// files into the site tree's selected folder, 11 reread the local lists.
// While a comparison or sorted view is shown, 1, 2, 3 and 5 do nothing. An
// action ends at its first failing step on the disk, with a red line. The
// upload shows the progress frame; its "Annuler" stops before the next file.
class ActionsLocales : public QObject {
    Q_OBJECT
public:
    ActionsLocales(Form1Ui &ui, JournalActivite &journal, EtatFenetre &etat,
                   NavigateurSite &navigateurSite, Progression &progression,
                   QObject *parent = nullptr);
    ~ActionsLocales() override;

    void BTL_Click(int Index);
    // The hint of a button, below it.
    void BTL_MouseMove(int Index);

    // The comparison command and the refresh of the alternative local view,
    // run after files were deleted from those views; by default they press
    // RecDelta(index) and Vert(index).
    std::function<void(int index)> RecDelta_Click;
    std::function<void(int index)> Vert_Click;

private:
    bool remonte();
    bool creeDossier();
    bool renomme();
    bool supprimeFichiers();
    bool supprimeDossier();
    void ouvre();
    void envoieSelection();
    void recharge();

    void metAJourCompte();
    bool supprime(const QString &nom);
    bool supprimeChoisis(QListWidget *liste, bool compteApresChacun);
    bool envoie(const QString &cle, const QString &nom);

    Form1Ui &m_ui;
    JournalActivite &m_journal;
    EtatFenetre &m_etat;
    NavigateurSite &m_navigateurSite;
    Progression &m_progression;
};
