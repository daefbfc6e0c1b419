#pragma once

#include <QString>

#include <memory>

#include "ftp/SessionDistante.h"

// The text a session that can't be made gives as its reason.
extern const char *const SftpIndisponible;

// A new, unconnected session speaking `protocole`; null when this build can't
// speak it, with the reason in `raison` when given.
std::unique_ptr<SessionDistante> CreeSession(Protocole protocole, QString *raison = nullptr);
