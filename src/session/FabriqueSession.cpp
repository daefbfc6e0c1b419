#include "session/FabriqueSession.h"

#include "ftp/clsFTP.h"

const char *const SftpIndisponible = "SFTP pas encore disponible";

std::unique_ptr<SessionDistante> CreeSession(Protocole protocole, QString *raison) {
    switch (protocole) {
    case Protocole::FTP:
        return std::make_unique<clsFTP>();
    case Protocole::SFTP:
        break;
    }
    if (raison)
        *raison = QString::fromUtf8(SftpIndisponible);
    return nullptr;
}
