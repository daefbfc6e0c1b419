#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QMainWindow;
struct Form1Ui;

// The information panel Frame3 laid over the upper part of the window ("A
// propos..."), its scrolling icon driven by Timer1, its two links, and the
// help, opened by F1, Command4 and the panel's "Aide".
class PanneauInfo : public QObject {
    Q_OBJECT
public:
    // fichierAide gives the help document's path when help is asked for.
    PanneauInfo(QMainWindow &form, Form1Ui &ui, std::function<QString()> fichierAide,
                QObject *parent = nullptr);
    bool eventFilter(QObject *objet, QEvent *evenement) override;

    void Command3_Click();
    void Timer1_Timer();
    void Ferme();
    void AfficheAide();
    void LabeSite_Click();
    void Labcoucou_Click();

    // Lays the panel over the client area, down to the log area or as far as
    // its lines need; its lines share one left edge and fit its width.
    static void Ajuste(Form1Ui &ui);

    static constexpr double Pas = 200;     // twips per tick
    static constexpr double Limite = -100; // the icon wraps once left of this

private:
    void ouvreAdresse(const QString &adresse);

    QMainWindow &m_form;
    Form1Ui &m_ui;
    std::function<QString()> m_fichierAide;
};
