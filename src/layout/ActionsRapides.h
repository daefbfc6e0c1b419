#pragma once

#include <QHash>
#include <QObject>

struct Form1Ui;

// The quick-action labels of the address row: "Go!" moves the local views to
// the path pasted in TCop(0), "Ex" opens the desktop's file manager on the
// local folder, "Copie" puts TCop(1)'s address on the clipboard. Navy at rest,
// blue under the pointer, red while pressed.
class ActionsRapides : public QObject {
    Q_OBJECT
public:
    explicit ActionsRapides(Form1Ui &ui, QObject *parent = nullptr);
    bool eventFilter(QObject *objet, QEvent *evenement) override;

    void LabBou_MouseMove(int Index);
    void LabBou_MouseDown(int Index);
    void LabBou_MouseUp(int Index);

private:
    void colore(int Index, const QColor &couleur);

    Form1Ui &m_ui;
    QHash<QObject *, int> m_indices;
};
