#pragma once

#include <QString>

// The program's version and the author's addresses, fixed by the build
// (CMake: project VERSION, QUILLON_SITE_AUTEUR).
namespace InfoProduit {

int VersionMajeure();
int VersionMineure();
int VersionRevision();
// "Version: 3.3"
QString LigneVersion();
// The author's web site; empty when the build names none.
QString SiteAuteur();
// The contact page: the site followed by "/contacter.php?sub=Quillon V 3.3.0",
// the space left as it is; empty when the build names no site.
QString ContactAuteur();

} // namespace InfoProduit
