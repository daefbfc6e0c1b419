#pragma once

#include <QObject>
#include <QString>

class JournalActivite;
class VuesTriees;
struct Form1Ui;

// "Ouvrir avec...": Vert(4) opens the selected local file with a program the
// user chose once (settings "Data"/"AutreProg"); a right-click on it chooses
// that program, taken from the file selected in filLocal.
class OuvrirAvec : public QObject {
    Q_OBJECT
public:
    OuvrirAvec(Form1Ui &ui, JournalActivite &journal, VuesTriees &vues, QObject *parent = nullptr);

    void Vert_Click(int Index);
    void Vert_MouseDown(int Index, Qt::MouseButton Button);

    // The file the local pane shows as selected, full path: List1 when the
    // comparison is shown, List3 for a sorted view, filLocal otherwise;
    // empty when none is selected.
    QString FichierChoisi() const;

    bool eventFilter(QObject *objet, QEvent *evenement) override;

private:
    void choisitProgramme();

    Form1Ui &m_ui;
    JournalActivite &m_journal;
    VuesTriees &m_vues;
};
