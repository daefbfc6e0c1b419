#include "platform/Prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

Prompts::Bouton PromptsDialogues::Question(const QString &titre, const QString &texte,
                                           Choix choix) {
    QMessageBox::StandardButtons boutons = QMessageBox::Yes | QMessageBox::No;
    QMessageBox::StandardButton parDefaut = QMessageBox::No;
    if (choix == Choix::OuiNonAnnuler) {
        boutons |= QMessageBox::Cancel;
        parDefaut = QMessageBox::Cancel;
    }
    QMessageBox boite(QMessageBox::Question, titre, texte, boutons, QApplication::activeWindow());
    // Most boxes have no title: a screen reader announces the question itself.
    boite.setAccessibleName(texte);
    // The program's yes/no questions confirm a deletion or a copy: Enter
    // alone must not do it.
    boite.setDefaultButton(choix == Choix::OuiNon ? QMessageBox::No : QMessageBox::Yes);
    boite.setEscapeButton(parDefaut);
    boite.button(QMessageBox::Yes)->setText(QStringLiteral("Oui"));
    boite.button(QMessageBox::No)->setText(QStringLiteral("Non"));
    if (choix == Choix::OuiNonAnnuler)
        boite.button(QMessageBox::Cancel)->setText(QStringLiteral("Annuler"));
    switch (boite.exec()) {
    case QMessageBox::Yes:
        return Bouton::Oui;
    case QMessageBox::No:
        return Bouton::Non;
    default:
        return choix == Choix::OuiNonAnnuler ? Bouton::Annuler : Bouton::Non;
    }
}

void PromptsDialogues::Message(const QString &titre, const QString &texte) {
    QMessageBox boite(QMessageBox::Information, titre, texte, QMessageBox::Ok,
                      QApplication::activeWindow());
    boite.setAccessibleName(texte);
    boite.exec();
}

namespace {

std::optional<QString> saisie(const QString &titre, const QString &invite, const QString &defaut,
                              QLineEdit::EchoMode echo) {
    QInputDialog boite(QApplication::activeWindow());
    boite.setTextEchoMode(echo);
    boite.setWindowTitle(titre);
    boite.setLabelText(invite);
    boite.setAccessibleName(invite);
    boite.setTextValue(defaut);
    boite.setOkButtonText(QStringLiteral("OK"));
    boite.setCancelButtonText(QStringLiteral("Annuler"));
    if (boite.exec() != QDialog::Accepted)
        return std::nullopt;
    return boite.textValue();
}

} // namespace

std::optional<QString> PromptsDialogues::Saisie(const QString &titre, const QString &invite,
                                                const QString &defaut) {
    return saisie(titre, invite, defaut, QLineEdit::Normal);
}

std::optional<QString> PromptsDialogues::SaisieMasquee(const QString &titre,
                                                       const QString &invite) {
    return saisie(titre, invite, QString(), QLineEdit::Password);
}

namespace {
Prompts *g_prompts = nullptr;
}

Prompts &PromptsCourant() {
    static PromptsDialogues dialogues;
    return g_prompts ? *g_prompts : dialogues;
}

void DefinitPrompts(Prompts *service) {
    g_prompts = service;
}
