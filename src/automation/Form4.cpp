#include "automation/Form4.h"

#include "window/Twips.h"

#include <QCoreApplication>
#include <QFont>
#include <QFrame>
#include <QLabel>

namespace {

QString couleurCss(const QColor &c) {
    return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

} // namespace

QColor LumiereEtat::Couleur(Voyant etat) {
    switch (etat) {
    case Voyant::Jaune:
        return Jaune;
    case Voyant::Vert:
        return Vert;
    case Voyant::Rouge:
        return Rouge;
    case Voyant::Blanc:
        break;
    }
    return Blanc;
}

Form4::Form4(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Form4"));
    setFixedSize(Twips::EnPixelsTronques(3240), Twips::EnPixelsTronques(1410));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(128, 128, 128));
    setPalette(p);

    Info = new QLabel(QStringLiteral("Transfert en cours"), this);
    Info->setObjectName(QStringLiteral("Info"));
    Info->setAlignment(Qt::AlignCenter);
    Info->setWordWrap(true);
    QFont police = Info->font();
    police.setPointSize(12);
    police.setBold(true);
    Info->setFont(police);
    Info->setStyleSheet(QStringLiteral("background-color: rgb(224,224,224);"));
    Info->setGeometry(Twips::RectangleTronque(120, 120, 3000, 660));

    rond = new QFrame(this);
    rond->setObjectName(QStringLiteral("rond"));
    rond->setGeometry((width() - Twips::EnPixelsTronques(465)) / 2, Twips::EnPixelsTronques(870),
                      Twips::EnPixelsTronques(465), Twips::EnPixelsTronques(465));

    const QColor carres[2] = {QColor(0, 255, 0), QColor(0, 0, 255)};
    for (int i = 0; i < 2; ++i) {
        Shape1[i] = new QFrame(this);
        Shape1[i]->setObjectName(QStringLiteral("Shape1(%1)").arg(i));
        Shape1[i]->setGeometry(Twips::RectangleTronque(3120, 1185, 120, 120));
        Shape1[i]->setStyleSheet(
            QStringLiteral("background-color: %1;").arg(couleurCss(carres[i])));
        Shape1[i]->hide();
    }
    peintLumiere(LumiereEtat::Blanc);
}

void Form4::peintLumiere(const QColor &lumiere) {
    m_lumiere = lumiere;
    rond->setStyleSheet(
        QStringLiteral("background-color: %1; border: 1px solid black; border-radius: %2px;")
            .arg(couleurCss(lumiere))
            .arg(rond->width() / 2));
}

void Form4::Form_Load() {
    show();
    raise();
    QCoreApplication::processEvents();
}

void Form4::Affiche(Voyant lumiere, const QString &texte) {
    peintLumiere(LumiereEtat::Couleur(lumiere));
    Info->setText(texte);
    if (!isVisible())
        Form_Load();
    else
        QCoreApplication::processEvents();
}

void Form4::AfficheCache(bool supprime) {
    Shape1[0]->hide();
    Shape1[1]->hide();
    Shape1[supprime ? 0 : 1]->show();
    QCoreApplication::processEvents();
}
