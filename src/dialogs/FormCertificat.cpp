#include "dialogs/FormCertificat.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int LongueurMax = 400;

QLabel *champ(const QString &nomObjet, const QString &texte, QWidget *parent) {
    auto *l = new QLabel(FormCertificat::TexteAffichable(texte), parent);
    l->setObjectName(nomObjet);
    // Never rich text: a subject such as "<a href=…>" is shown as typed.
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

QString date(const QDateTime &d) {
    return d.isValid() ? d.toUTC().toString(QStringLiteral("dd/MM/yyyy HH:mm 'UTC'"))
                       : QStringLiteral("?");
}

} // namespace

QString FormCertificat::TexteAffichable(const QString &texte) {
    QString t = texte.left(LongueurMax);
    for (QChar &c : t) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u'?';
    }
    if (texte.size() > LongueurMax)
        t += QStringLiteral("…");
    return t;
}

FormCertificat::FormCertificat(const Certificat &certificat, QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormCertificat"));
    setWindowTitle(QStringLiteral("Certificat non vérifié"));
    setModal(true);

    const QString serveur = certificat.port
                                ? certificat.hote + u':' + QString::number(certificat.port)
                                : certificat.hote;
    auto *titre =
        champ(QStringLiteral("lblTitre"),
              QStringLiteral("Le certificat présenté par %1 n'a pas pu être vérifié.").arg(serveur),
              this);
    lblSujet = champ(QStringLiteral("lblSujet"), certificat.sujet, this);
    lblEmetteur = champ(QStringLiteral("lblEmetteur"), certificat.emetteur, this);
    lblValidite = champ(
        QStringLiteral("lblValidite"),
        QStringLiteral("du %1 au %2").arg(date(certificat.debut), date(certificat.fin)), this);
    lblEmpreinte = champ(QStringLiteral("lblEmpreinte"), certificat.empreinte, this);
    // Two lines of sixteen bytes, so that the label never wraps inside one.
    QString empreinte = lblEmpreinte->text();
    if (empreinte.size() > 48 && empreinte.at(47) == u':') {
        empreinte[47] = u'\n';
        lblEmpreinte->setText(empreinte);
        lblEmpreinte->setWordWrap(false);
    }
    lblEmpreinte->setFont(QFont(QStringLiteral("monospace")));
    lblRaison = champ(QStringLiteral("lblRaison"), certificat.raison, this);

    auto *formulaire = new QFormLayout;
    formulaire->addRow(QStringLiteral("Sujet"), lblSujet);
    formulaire->addRow(QStringLiteral("Émetteur"), lblEmetteur);
    formulaire->addRow(QStringLiteral("Validité"), lblValidite);
    formulaire->addRow(QStringLiteral("Empreinte SHA-256"), lblEmpreinte);
    formulaire->addRow(QStringLiteral("Raison"), lblRaison);

    QHBoxLayout *boutons =
        FormCertificat::RangeeDecisions(*this, cmdUneFois, cmdToujours, cmdRefuser);

    auto *principal = new QVBoxLayout(this);
    principal->addWidget(titre);
    principal->addLayout(formulaire);
    principal->addSpacing(6);
    principal->addLayout(boutons);
}

QHBoxLayout *FormCertificat::RangeeDecisions(QDialog &dialogue, QPushButton *&uneFois,
                                             QPushButton *&toujours, QPushButton *&refuser) {
    auto bouton = [&dialogue](const char *nom, const char *texte, int decision) {
        auto *b = new QPushButton(QString::fromUtf8(texte), &dialogue);
        b->setObjectName(QLatin1String(nom));
        b->setAutoDefault(false);
        QObject::connect(b, &QPushButton::clicked, &dialogue,
                         [&dialogue, decision] { dialogue.done(decision); });
        return b;
    };
    uneFois = bouton("cmdUneFois", "Accepter une fois", UneFois);
    toujours = bouton("cmdToujours", "Toujours accepter", Toujours);
    refuser = bouton("cmdRefuser", "Refuser", Refuser);
    // Enter or Escape refuses: accepting takes a deliberate click.
    refuser->setDefault(true);

    auto *boutons = new QHBoxLayout;
    boutons->addStretch(1);
    boutons->addWidget(uneFois);
    boutons->addWidget(toujours);
    boutons->addWidget(refuser);
    return boutons;
}
