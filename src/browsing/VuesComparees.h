#pragma once

#include <QObject>

class Form1;
struct Form1Ui;

// The comparison view: RecDelta(0) lists in List1 the local files missing on
// the site, RecDelta(1) lists in List2 the site files missing locally; List1
// and List2 cover filLocal and List4 while it is on. Another click on either
// button returns to the normal lists. No server contact: the names are those
// the two panes show. Hiding List1 alone and clicking asks for the comparison
// again; refused while the site list fills, the shown comparison stays.
class VuesComparees : public QObject {
    Q_OBJECT
public:
    VuesComparees(Form1 &form, Form1Ui &ui, QObject *parent = nullptr);

    void RecDelta_Click(int Index);
    void RecDelta_MouseMove(int Index);

private:
    Form1 &m_form;
    Form1Ui &m_ui;
};
