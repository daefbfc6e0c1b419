#include "window/AjusteTexte.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

#include <algorithm>

namespace AjusteTexte {

namespace {

// The text as drawn: a single & marks the shortcut and takes no room.
QString texteAffiche(QString texte) {
    texte.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    texte.remove(QLatin1Char('&'));
    texte.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return texte;
}

QSize manqueLabel(const QLabel *l) {
    if (l->text().isEmpty() || l->textFormat() == Qt::RichText ||
        (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(l->text())))
        return {};
    const QRect zone =
        l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
    int drapeaux = int(l->alignment());
    if (l->wordWrap())
        drapeaux |= Qt::TextWordWrap;
    const QRect texte = l->fontMetrics().boundingRect(zone, drapeaux, l->text());
    if (l->wordWrap())
        return {0, std::max(0, texte.height() - zone.height())};
    return {std::max(0, texte.width() - zone.width()), std::max(0, texte.height() - zone.height())};
}

QSize manqueBouton(const QAbstractButton *b) {
    if (b->text().isEmpty())
        return {};
    QStyleOptionButton option;
    option.initFrom(b);
    option.text = b->text();
    option.icon = b->icon();
    option.iconSize = b->iconSize();
    QStyle::SubElement element;
    if (qobject_cast<const QCheckBox *>(b))
        element = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton *>(b))
        element = QStyle::SE_RadioButtonContents;
    else if (qobject_cast<const QPushButton *>(b))
        element = QStyle::SE_PushButtonContents;
    else
        return {};
    QRect zone = b->style()->subElementRect(element, &option, b);
    if (element == QStyle::SE_PushButtonContents && !b->icon().isNull())
        zone.setLeft(zone.left() + b->iconSize().width() + 4);
    const QFontMetrics fm = b->fontMetrics();
    return {std::max(0, fm.horizontalAdvance(texteAffiche(b->text())) - zone.width()),
            std::max(0, fm.height() - zone.height())};
}

} // namespace

QSize Manque(const QWidget *w) {
    if (const auto *l = qobject_cast<const QLabel *>(w))
        return manqueLabel(l);
    if (const auto *b = qobject_cast<const QAbstractButton *>(w))
        return manqueBouton(b);
    return {};
}

int ManqueLigne(const QLineEdit *e) {
    QStyleOptionFrame option;
    option.initFrom(e);
    // QLineEdit keeps 2 pixels free on each side of the text.
    const int place =
        e->style()->subElementRect(QStyle::SE_LineEditContents, &option, e).width() - 4;
    return std::max(0, e->fontMetrics().horizontalAdvance(e->text()) - place);
}

void Agrandit(QWidget *w) {
    const QSize manque = Manque(w);
    if (manque.width() > 0 || manque.height() > 0)
        w->resize(w->size() + manque);
}

} // namespace AjusteTexte
