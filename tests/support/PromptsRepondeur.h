#pragma once

#include "platform/Prompts.h"

#include <QList>
#include <QString>
#include <QVector>

#include <optional>

// Test stand-in: answers from queues and records what was asked. An empty
// queue answers as a closed box would (Non/Annuler, cancelled prompt).
class PromptsRepondeur : public Prompts {
public:
    struct Demande {
        QString genre; // "Question", "Message", "Saisie" or "SaisieMasquee"
        QString titre;
        QString texte;  // the question, message or prompt
        QString defaut; // proposed value of a prompt
    };
    QVector<Demande> demandes;
    QList<Bouton> reponses;                // for Question, taken from the front
    QList<std::optional<QString>> saisies; // for Saisie and SaisieMasquee, from the front

    Bouton Question(const QString &titre, const QString &texte,
                    Choix choix = Choix::OuiNonAnnuler) override;
    void Message(const QString &titre, const QString &texte) override;
    std::optional<QString> Saisie(const QString &titre, const QString &invite,
                                  const QString &defaut = QString()) override;
    std::optional<QString> SaisieMasquee(const QString &titre, const QString &invite) override;
};
