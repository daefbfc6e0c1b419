#include "support/PromptsRepondeur.h"

Prompts::Bouton PromptsRepondeur::Question(const QString &titre, const QString &texte,
                                           Choix choix) {
    demandes.push_back({QStringLiteral("Question"), titre, texte, QString()});
    if (!reponses.isEmpty())
        return reponses.takeFirst();
    return choix == Choix::OuiNonAnnuler ? Bouton::Annuler : Bouton::Non;
}

void PromptsRepondeur::Message(const QString &titre, const QString &texte) {
    demandes.push_back({QStringLiteral("Message"), titre, texte, QString()});
}

std::optional<QString> PromptsRepondeur::Saisie(const QString &titre, const QString &invite,
                                                const QString &defaut) {
    demandes.push_back({QStringLiteral("Saisie"), titre, invite, defaut});
    if (!saisies.isEmpty())
        return saisies.takeFirst();
    return std::nullopt;
}

std::optional<QString> PromptsRepondeur::SaisieMasquee(const QString &titre,
                                                       const QString &invite) {
    demandes.push_back({QStringLiteral("SaisieMasquee"), titre, invite, QString()});
    if (!saisies.isEmpty())
        return saisies.takeFirst();
    return std::nullopt;
}
