#pragma once

#include <QList>
#include <QString>
#include <QVector>

#include <optional>

// Message boxes and text prompts, behind one interface so that tests can answer
// them. Questions and prompts are modal on the active window.
class Prompts {
public:
    enum class Bouton { Oui, Non, Annuler, OK };
    enum class Choix { OuiNon, OuiNonAnnuler };

    virtual ~Prompts() = default;
    // A question; returns the button pressed (closing the box counts as the
    // last button of the set: Non for OuiNon, Annuler for OuiNonAnnuler).
    virtual Bouton Question(const QString &titre, const QString &texte,
                            Choix choix = Choix::OuiNonAnnuler) = 0;
    // A message with an OK button only.
    virtual void Message(const QString &titre, const QString &texte) = 0;
    // A text prompt; std::nullopt when cancelled (an accepted empty text is "").
    virtual std::optional<QString> Saisie(const QString &titre, const QString &invite,
                                          const QString &defaut = QString()) = 0;
    // A prompt for a secret: what is typed shows as dots.
    virtual std::optional<QString> SaisieMasquee(const QString &titre, const QString &invite) = 0;
};

// The real boxes: QMessageBox and QInputDialog.
class PromptsDialogues : public Prompts {
public:
    Bouton Question(const QString &titre, const QString &texte,
                    Choix choix = Choix::OuiNonAnnuler) override;
    void Message(const QString &titre, const QString &texte) override;
    std::optional<QString> Saisie(const QString &titre, const QString &invite,
                                  const QString &defaut = QString()) override;
    std::optional<QString> SaisieMasquee(const QString &titre, const QString &invite) override;
};

// The process-wide service: the real boxes unless replaced. DefinitPrompts does
// not take ownership; nullptr restores the real boxes.
Prompts &PromptsCourant();
void DefinitPrompts(Prompts *service);
