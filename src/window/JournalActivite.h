#pragma once

#include <QColor>
#include <QObject>
#include <QString>

class QLabel;
class QTextEdit;

// The activity log (TxtAction) and the connection status (first panel of the
// status bar). EcritAction is the only writer of the log.
class JournalActivite : public QObject {
    Q_OBJECT
public:
    JournalActivite(QTextEdit *TxtAction, QLabel *panneauStatut, QObject *parent = nullptr);

    // Appends `texte` as one line in the colour of `codeCouleur` ("BF", "Ve",
    // "Ro", "Am", "Pi"; any other code keeps the colour in force), then leaves
    // the caret at the end of the log.
    void EcritAction(const QString &texte, const QString &codeCouleur);
    // The same line, started with the time of day.
    void Ecrit(const QString &message, const char *codeCouleur);
    // Runs after every change of the log: keeps its end in view and yields to
    // the event loop so that the line is painted at once.
    void TxtAction_Change();

    // The colour of a code; `connu` false (and an invalid colour) for any other code.
    static QColor CouleurDuCode(const QString &code, bool *connu = nullptr);
    // The time of day that starts every log line, as hh:mm:ss.
    static QString Heure();

    // The log's text as a Windows text box holds it: each line ends with CR LF.
    QString Texte() const;

    // Status panel texts.
    void AfficheConnecte(const QString &hote);
    void AfficheDeconnecte();
    QString TexteStatut() const;

private:
    QTextEdit *m_log;
    QLabel *m_statut;
    QColor m_couleur; // the colour in force for the next line
};
