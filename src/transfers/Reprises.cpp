#include "transfers/Reprises.h"

#include "ftp/SessionDistante.h"
#include "window/JournalActivite.h"

#include <QFileInfo>

void AnnonceReprises(SessionDistante &session, JournalActivite &journal) {
    session.setAnnonceReprise([&journal](const QString &local, qint64 depuis) {
        const QString nom = QFileInfo(local).fileName();
        if (depuis < 0)
            journal.Ecrit(
                QStringLiteral(" > %1 a changé sur le site : téléchargement complet").arg(nom),
                "Am");
        else
            journal.Ecrit(QStringLiteral(" > Reprise de %1 à %2 octets").arg(nom).arg(depuis),
                          "Ve");
    });
}
