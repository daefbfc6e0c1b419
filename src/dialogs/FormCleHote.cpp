#include "dialogs/FormCleHote.h"

#include "dialogs/FormCertificat.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *champ(const QString &nomObjet, const QString &texte, QWidget *parent) {
    // The server chose these bytes: shown as plain, bounded, one-line text.
    auto *l = new QLabel(FormCertificat::TexteAffichable(texte), parent);
    l->setObjectName(nomObjet);
    l->setTextFormat(Qt::PlainText);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

} // namespace

SessionSftp::Decision FormCleHote::EnDecision(int reponse) {
    switch (reponse) {
    case UneFois:
        return SessionSftp::Decision::AccepterUneFois;
    case Toujours:
        return SessionSftp::Decision::ToujoursAccepter;
    default:
        return SessionSftp::Decision::Refuser;
    }
}

FormCleHote::FormCleHote(const SessionSftp::CleHote &cle, QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormCleHote"));
    setWindowTitle(QStringLiteral("Clé d'hôte inconnue"));
    setModal(true);

    const QString serveur =
        cle.port == 22 ? cle.hote : QStringLiteral("[%1]:%2").arg(cle.hote).arg(cle.port);
    lblTitre =
        champ(QStringLiteral("lblTitre"),
              QStringLiteral("La clé présentée par %1 n'est pas connue.").arg(serveur), this);
    lblTitre->setWordWrap(true);
    lblType = champ(QStringLiteral("lblType"), cle.type, this);
    lblEmpreinte = champ(QStringLiteral("lblEmpreinte"), cle.empreinte, this);
    lblEmpreinte->setFont(QFont(QStringLiteral("monospace")));
    auto *conseil = champ(QStringLiteral("lblConseil"),
                          QStringLiteral("Comparez l'empreinte avec celle que donne "
                                         "l'administrateur du serveur."),
                          this);
    conseil->setWordWrap(true);

    auto *formulaire = new QFormLayout;
    formulaire->addRow(QStringLiteral("Type de clé"), lblType);
    formulaire->addRow(QStringLiteral("Empreinte SHA-256"), lblEmpreinte);

    QHBoxLayout *boutons =
        FormCertificat::RangeeDecisions(*this, cmdUneFois, cmdToujours, cmdRefuser);

    auto *principal = new QVBoxLayout(this);
    principal->addWidget(lblTitre);
    principal->addLayout(formulaire);
    principal->addWidget(conseil);
    principal->addSpacing(6);
    principal->addLayout(boutons);
}
