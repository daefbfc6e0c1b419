#include "window/Globales.h"

short InstancePrecedente = 0;
short DernierEmplacement = 0;
bool DoubleClicOuvre = true;
bool FichierLocalChoisi = false;
bool FichierSiteChoisi = false;
