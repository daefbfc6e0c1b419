#pragma once

#include <QObject>
#include <QString>

#include <functional>

class EtatFenetre;
class GestionConnexion;
class JournalActivite;
class NavigateurSite;
class Progression;
class QTreeWidgetItem;
struct Form1Ui;

// The row of action buttons above the site pane, BTs: 0 reconnect and list
// again, 1 up one level, 2 create a folder, 3 rename, 4 delete the selected
// files, 5 delete the selected folder, 6 open a file through a local copy in
// the temporary folder, 10 download the selected files, 11 remove the web
// cache entries of the selected files. While the comparison view is shown
// only 4, 6 and 10 act. The download shows the progress frame; its "Annuler"
// stops before the next file.
class ActionsSite : public QObject {
    Q_OBJECT
public:
    ActionsSite(Form1Ui &ui, JournalActivite &journal, EtatFenetre &etat,
                NavigateurSite &navigateurSite, Progression &progression,
                GestionConnexion &connexion, QObject *parent = nullptr);
    ~ActionsSite() override;

    void BTs_Click(int Index);
    // The hint of a button, below it, kept inside the window.
    void BTs_MouseMove(int Index);

    // Creates the temporary folder where files are copied for viewing;
    // false (with a red line naming the system's reason) when it can't be.
    bool PrepareDossierTemp();

    // The comparison command, run again after the comparison lists changed;
    // by default it presses RecDelta(index).
    std::function<void(int index)> RecDelta_Click;

private:
    void remonte();
    void creeDossier();
    void renomme();
    void supprimeFichiers();
    void supprimeDossier();
    void ouvre();
    void telechargeSelection();
    void effaceCache();

    QString cleChoisie() const;
    QString dossierAffiche() const;
    bool vueComparaison() const;
    bool telecharge(const QString &distant, const QString &nom);

    Form1Ui &m_ui;
    JournalActivite &m_journal;
    EtatFenetre &m_etat;
    NavigateurSite &m_navigateurSite;
    Progression &m_progression;
    GestionConnexion &m_connexion;
};
