#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// Runs `action` on every pass of the event loop while it lives: the site
// list and the transfers yield to it between their steps.
class Espion : public QObject {
public:
    explicit Espion(std::function<void()> action) : m_action(std::move(action)) {
        connect(&m_minuterie, &QTimer::timeout, this, [this] { m_action(); });
        m_minuterie.start(0);
    }

private:
    std::function<void()> m_action;
    QTimer m_minuterie;
};
