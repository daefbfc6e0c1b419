#pragma once

#include <QObject>

#include <functional>

struct Form1Ui;

// The sorted local views: Vert(0) shows in List3 the files of the local
// folder newest first, Vert(1) largest first (List3's tag says which:
// "DATE", "TAILLE" or empty); the same button again returns to filLocal, the
// other switches order. Vert(2) computes again whichever alternative local
// view is shown (a sorted view or the comparison). Vert(3) does nothing.
class VuesTriees : public QObject {
    Q_OBJECT
public:
    explicit VuesTriees(Form1Ui &ui, QObject *parent = nullptr);

    void Vert_Click(int Index);
    void Vert_MouseMove(int Index);

    // The comparison is ended (List1, List2 hidden, the site list and its
    // filter back) and filLocal read again from the disk.
    void QuitteComparaison();
    // The local action buttons and the local count for the view shown:
    // List3 when it is visible, filLocal otherwise.
    void MetAJourVueLocale();

    // The comparison command, run by Vert(2) while the comparison is shown;
    // by default it presses RecDelta(index).
    std::function<void(int index)> RecDelta_Click;

private:
    void trie(int Index);

    Form1Ui &m_ui;
};
