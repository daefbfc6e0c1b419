#pragma once

#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <functional>

class EtatFenetre;
class JournalActivite;
class NavigateurSite;
class QDrag;
class QDropEvent;
class QWidget;
struct Form1Ui;

// The kind of a control as the drop tests name it: "FileListBox",
// "DirListBox", "TreeView" or "ListBox"; any other control gives its class name.
QString GenreControle(const QObject *controle);

// Single-file transfers by drag and drop between the two sides, and the
// pictures a drag shows. A press on a list arms a drag of that list (the
// browsers decide when); moving the mouse starts a real drag whose data carry
// the control's name and kind, and releasing without moving ends the drag on
// the list itself. Drop handlers receive the dragged control.
class GlisserDeposer : public QObject {
    Q_OBJECT
public:
    // `fenetre` is the window whose icon pictures the drag of "Form1".
    GlisserDeposer(QWidget &fenetre, Form1Ui &ui, JournalActivite &journal, EtatFenetre &etat,
                   NavigateurSite &navigateurSite, QObject *parent = nullptr);
    ~GlisserDeposer() override;

    // The mime type of a drag between the lists: "name\nkind" in UTF-8.
    static const QString TypeMime;

    // A press on `source` begins a drag of it with the picture `image` (the
    // name of a picture holder, "BTL(0)"...), kept in its "DragIcon" property.
    void CommenceGlisser(QWidget *source, const QString &image);

    // Drop handlers by target.
    void List1_DragDrop(QWidget *Source);
    void List2_DragDrop(QWidget *Source);
    void List3_DragDrop(QWidget *Source);
    void List4_DragDrop(QWidget *Source);
    void filLocal_DragDrop(QWidget *Source);
    void trvSiteDir_DragDrop(QWidget *Source);
    // Any target, dispatched by its name; a target without a drop handler
    // ignores the drop.
    void DragDrop(QWidget *cible, QWidget *Source);
    // Drag-over: the picture of the dragged control for this target.
    void DragOver(QWidget *cible, QWidget *Source);

    // The folder transfers, routed from a drop of dirLocal on the tree and
    // from a release over dirLocal of a press begun on the tree. The folder
    // transfer controller replaces these stubs, which do nothing.
    std::function<void()> EnvoieDossierLocal = [] {};
    std::function<void()> RapatrieDossierSite = [] {};
    // The comparison command, run again after a transfer between the
    // comparison lists; by default it presses RecDelta(index).
    std::function<void(int index)> RecDelta_Click;

    // The picture of a holder ("BTL(7)") or the window's icon ("Form1").
    QPixmap Image(const QString &nom) const;

    bool eventFilter(QObject *objet, QEvent *evenement) override;

private:
    void ecoute(QWidget *controle, bool source, bool cible);
    void lance(QWidget *source);
    void appliqueCurseur(QDrag *drag, const QString &image) const;
    QWidget *sourceDe(const QDropEvent *e) const;
    void differe(QWidget *cible, QWidget *source);
    bool accepte(const char *cible, const QWidget *source) const;
    QString elementCourant(const QWidget *source) const;
    // The file a list dropped on `cible` names; "" when the drop is refused.
    QString elementAccepte(const char *cible, const QWidget *source) const;
    bool telecharge(const QString &distant, const QString &element);
    bool envoie(const QString &local, const QString &distant, const QString &element);

    QWidget &m_fenetre;
    Form1Ui &m_ui;
    JournalActivite &m_journal;
    EtatFenetre &m_etat;
    NavigateurSite &m_navigateurSite;
    QHash<QObject *, QWidget *> m_vues; // viewport -> its control
    QHash<QWidget *, bool> m_sources;   // controls that can be dragged
    QPointer<QWidget> m_arme;           // pressed, not yet dragged
    QPoint m_presse;                    // where (global)
    QPointer<QDrag> m_drag;
};
