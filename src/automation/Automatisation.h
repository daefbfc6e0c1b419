#pragma once

#include <QObject>
#include <QPointer>

class Form1;
class Form3;
struct Form1Ui;

// Ties the automation dialog to the main window: opened by the connection
// dialog's button, hidden while the user picks the files in the red lists,
// filled and shown again by the picks.
class Automatisation : public QObject {
    Q_OBJECT
public:
    Automatisation(Form1 &form, Form1Ui &ui, QObject *parent = nullptr);

    // "Automatisation de transferts": the dialog, modeless, with its hint.
    void Ouvre();
    // The dialog as it stands, loaded when it is not (like a reference to an
    // unloaded form).
    Form3 &form3();
    bool Charge() const { return !m_form3.isNull(); }

private:
    void CommenceChoix();

    Form1 &m_form;
    Form1Ui &m_ui;
    QPointer<Form3> m_form3;
};
