#include "window/RangeeBoutons.h"

#include "window/BulleAide.h"
#include "window/Form1Ui.h"
#include "window/Twips.h"

#include <QEvent>
#include <QLabel>
#include <QToolButton>

RangeeBoutons::RangeeBoutons(const QMap<int, QToolButton *> &boutons, std::function<void(int)> clic,
                             std::function<void(int)> survol, QObject *parent)
    : QObject(parent), m_survol(std::move(survol)) {
    for (auto it = boutons.cbegin(); it != boutons.cend(); ++it) {
        const int indice = it.key();
        QToolButton *bouton = it.value();
        connect(bouton, &QToolButton::clicked, this, [clic, indice] { clic(indice); });
        bouton->setMouseTracking(true);
        bouton->installEventFilter(this);
        m_indices.insert(bouton, indice);
    }
}

bool RangeeBoutons::eventFilter(QObject *objet, QEvent *evenement) {
    const QEvent::Type type = evenement->type();
    if (type == QEvent::MouseMove || type == QEvent::Enter) {
        const auto it = m_indices.constFind(objet);
        if (it != m_indices.constEnd())
            m_survol(*it);
    }
    return false;
}

void MontreBulle(Form1Ui &ui, const QToolButton *bouton, double gauche) {
    BulleAide::Montre(ui, bouton, gauche, Twips::Haut(bouton) + 500);
}
