#pragma once

#include <QString>
#include <QStringList>

// What the command line asks the program to do. Qt's own options (those
// QGuiApplication and QApplication take, with their values, spelled -opt,
// --opt, -opt=value or --opt=value) are set aside first: they are Qt's
// business. Of what is left, a single word that is not an option is the
// recorded-transfer argument when it ends with a digit; "--" ends the options.
struct ArgumentsProgramme {
    enum class Action { Fenetre, Transfert, Aide, Version, Erreur };
    Action action = Action::Fenetre;
    // The single word left, if exactly one: the recorded transfer to run
    // (Transfert) or a stray word (Fenetre: the window opens, nothing saved).
    QString commande;
    // Several words left: the window opens and they are ignored.
    QStringList ignores;
    // Erreur: what was wrong, one line without the program's name.
    QString erreur;
};

// `arguments` without the program itself (argv[1..]).
ArgumentsProgramme AnalyseArguments(const QStringList &arguments);

// The texts of --help and --version, `programme` being the name it was run by.
QString TexteAide(const QString &programme);
QString TexteVersion(const QString &programme);
