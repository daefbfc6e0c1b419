#include "window/CedeDurantFTP.h"

#include "ftp/SessionDistante.h"

#include <QCoreApplication>

namespace {
int profondeur = 0;
SessionDistante *session = nullptr;
} // namespace

CedeDurantFTP::CedeDurantFTP() {
    if (profondeur++ > 0 || !oFTP)
        return;
    session = oFTP;
    session->setProgression([](qint64, qint64) { QCoreApplication::processEvents(); });
}

CedeDurantFTP::~CedeDurantFTP() {
    if (--profondeur > 0 || !session)
        return;
    // The session may have been replaced meanwhile; only ours is touched.
    if (session == oFTP)
        session->setProgression(nullptr);
    session = nullptr;
}
