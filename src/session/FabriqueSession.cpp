#include "session/FabriqueSession.h"

#include "ftp/clsFTP.h"
#include "sftp/clsSFTP.h"

const char *const SftpIndisponible = "SFTP pas encore disponible";

std::unique_ptr<SessionDistante> CreeSession(Protocole protocole, QString *raison) {
    switch (protocole) {
    case Protocole::FTP:
        return std::make_unique<clsFTP>();
    case Protocole::SFTP:
        return std::make_unique<clsSFTP>();
    }
    if (raison)
        *raison = QString::fromUtf8(SftpIndisponible);
    return nullptr;
}
