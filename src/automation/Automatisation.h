#pragma once

#include <QObject>
#include <QPointer>

class EtatFenetre;
class Form3;
class NavigateurSite;
class QWidget;

// Ties the automation dialog to the main window: opened by the connection
// dialog's button, hidden while the user picks the files in the red lists,
// filled and shown again by the picks. The dialog is a child of `fenetre`.
class Automatisation : public QObject {
    Q_OBJECT
public:
    Automatisation(EtatFenetre &etat, NavigateurSite &site, QWidget &fenetre,
                   QObject *parent = nullptr);

    // "Automatisation de transferts": the dialog, modeless, with its hint.
    void Ouvre();
    // The dialog as it stands, loaded when it is not (like a reference to an
    // unloaded form).
    Form3 &form3();
    bool Charge() const { return !m_form3.isNull(); }

private:
    void CommenceChoix();

    EtatFenetre &m_etat;
    NavigateurSite &m_site;
    QWidget &m_fenetre;
    QPointer<Form3> m_form3;
};
