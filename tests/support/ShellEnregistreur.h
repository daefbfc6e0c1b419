#pragma once

#include "platform/Shell.h"

#include <QString>
#include <QStringList>
#include <QVector>

// Test stand-in: records every call and does nothing else.
class ShellEnregistreur : public ServicesShell {
public:
    struct Appel {
        QString operation; // the method name: "OuvreDocument", "LanceProgramme"...
        QStringList arguments;
        bool operator==(const Appel &autre) const {
            return operation == autre.operation && arguments == autre.arguments;
        }
    };
    QVector<Appel> appels;
    bool resultat = true;  // what every call returns
    QString pressePapiers; // last text "copied"

    bool OuvreDocument(const QString &chemin) override;
    bool OuvreDossier(const QString &chemin) override;
    bool OuvreAdresseWeb(const QString &adresse) override;
    bool LanceProgramme(const QString &programme, const QStringList &arguments) override;
    bool AfficheAide(const QString &fichierAide) override;
    void CopieDansPressePapiers(const QString &texte) override;
};
