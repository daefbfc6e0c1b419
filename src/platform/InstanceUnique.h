#pragma once

#include <QString>

// Notes whether another instance of this program (same executable base name,
// same user) is running. The first instance holds an advisory lock (flock) on a
// file in the user's runtime folder for as long as this object lives. The
// kernel drops the lock when the process ends, however it ends, so a crash
// leaves nothing stale behind; programs started from here do not inherit it.
// A second instance is never stopped: it only learns the fact.
class InstanceUnique {
public:
    // `nom` defaults to the executable's base name.
    explicit InstanceUnique(const QString &nom = QString());
    ~InstanceUnique();
    InstanceUnique(const InstanceUnique &) = delete;
    InstanceUnique &operator=(const InstanceUnique &) = delete;

    // True when another live instance held the lock at construction.
    bool AutreInstance() const { return m_autre; }
    // True when this object holds the lock (the first instance).
    bool Detient() const { return m_fd >= 0; }
    QString CheminVerrou() const { return m_chemin; }

private:
    int m_fd = -1;
    QString m_chemin;
    bool m_autre = false;
};
