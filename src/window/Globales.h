#pragma once

// Program-wide flags shared between the main window, its dialogs and the
// command-line transfer. 16-bit booleans: -1 true, 0 false.
extern short InstancePrecedente; // another instance was running at start
extern short DernierEmplacement; // the dialog's last-location button has connected
extern bool DoubleClicOuvre;     // a double-click on a file opens it (else transfers it)
extern bool FichierLocalChoisi;  // pick mode of the automation dialog, local side
extern bool FichierSiteChoisi;   // pick mode of the automation dialog, site side
