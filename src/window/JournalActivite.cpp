#include "window/JournalActivite.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTime>

#include <algorithm>

JournalActivite::JournalActivite(QTextEdit *TxtAction, QLabel *panneauStatut, QObject *parent)
    : QObject(parent), m_log(TxtAction), m_statut(panneauStatut),
      m_couleur(TxtAction->palette().color(QPalette::Text)) {
    connect(m_log, &QTextEdit::textChanged, this, &JournalActivite::TxtAction_Change);
}

QColor JournalActivite::CouleurDuCode(const QString &code, bool *connu) {
    static const struct {
        const char *code;
        QColor couleur;
    } table[] = {{"BF", QColor(0, 0, 64)},
                 {"Ve", QColor(0, 64, 0)},
                 {"Ro", QColor(255, 0, 0)},
                 {"Am", QColor(255, 128, 0)},
                 {"Pi", QColor(255, 0, 255)}};
    for (const auto &e : table) {
        if (code == QLatin1String(e.code)) {
            if (connu)
                *connu = true;
            return e.couleur;
        }
    }
    if (connu)
        *connu = false;
    return QColor();
}

QString JournalActivite::Heure() {
    return QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
}

void JournalActivite::EcritAction(const QString &texte, const QString &codeCouleur) {
    bool connu = false;
    const QColor couleur = CouleurDuCode(codeCouleur, &connu);
    if (connu)
        m_couleur = couleur;
    QTextCharFormat format;
    format.setForeground(m_couleur);
    // Always at the end: a selection the user made in the log is neither
    // replaced nor written into.
    QTextCursor fin(m_log->document());
    fin.movePosition(QTextCursor::End);
    fin.insertText(texte + QStringLiteral("\r\n"), format); // one change, one yield
    QTextCursor caret = m_log->textCursor();
    caret.movePosition(QTextCursor::End);
    m_log->setTextCursor(caret);
}

void JournalActivite::TxtAction_Change() {
    QTextCursor caret = m_log->textCursor();
    caret.setPosition(std::max(0, m_log->document()->characterCount() - 2));
    m_log->setTextCursor(caret);
    m_log->ensureCursorVisible();
    QCoreApplication::processEvents();
}

QString JournalActivite::Texte() const {
    QString t = m_log->toPlainText();
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return t;
}

void JournalActivite::AfficheConnecte(const QString &hote) {
    m_statut->setText(QStringLiteral("Statut : Connecté à ") + hote);
}

void JournalActivite::AfficheDeconnecte() {
    m_statut->setText(QStringLiteral("Statut : Déconnecté"));
}

QString JournalActivite::TexteStatut() const {
    return m_statut->text();
}

void JournalActivite::Ecrit(const QString &message, const char *codeCouleur) {
    EcritAction(Heure() + message, QLatin1String(codeCouleur));
}
