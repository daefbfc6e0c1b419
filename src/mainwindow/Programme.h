#pragma once

#include "platform/InstanceUnique.h"

#include <QString>

#include <functional>
#include <memory>

// What the run as a whole is: its command line, its end and exit status, its
// help file and the mark of another instance. The window keeps it; start-up
// fills it.
struct Programme {
    QString Commande;                   // the command-line argument text
    std::function<void()> FinProgramme; // ends the program after "Quitter"
    int CodeSortie = 0;                 // exit status (of a command-line run)
    QString FichierAide;                // the help file
    std::unique_ptr<InstanceUnique> Instance;
};
