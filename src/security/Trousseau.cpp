#include "security/Trousseau.h"

#include "settings/Reglages.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHash>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <memory>
#include <optional>

namespace Trousseau {

namespace {

const QString Service = QStringLiteral("Quillon");

struct Issue {
    bool fini = false;
    QKeychain::Error erreur = QKeychain::OtherError;
    QString texte;
};

// Runs one job to its end or to the deadline. The job deletes itself when it
// ends, even after the deadline; nothing here is touched by then.
Issue execute(QKeychain::Job *job, int delaiMs) {
    Issue issue;
    QEventLoop boucle;
    QObject::connect(job, &QKeychain::Job::finished, &boucle, [&issue, &boucle](QKeychain::Job *j) {
        issue.fini = true;
        issue.erreur = j->error();
        if (const auto *lecture = qobject_cast<QKeychain::ReadPasswordJob *>(j))
            issue.texte = lecture->textData();
        boucle.quit();
    });
    QTimer::singleShot(delaiMs, &boucle, &QEventLoop::quit);
    job->setAutoDelete(true);
    job->start();
    if (!issue.fini)
        boucle.exec(QEventLoop::ExcludeUserInputEvents);
    return issue;
}

class CoffreTrousseau : public Reglages::Coffre {
public:
    std::optional<QString> Lit(const QString &compte) override {
        const auto it = m_lectures.constFind(compte);
        if (it != m_lectures.cend())
            return *it;
        std::optional<QString> valeur;
        if (m_enService) {
            auto *job = new QKeychain::ReadPasswordJob(Service);
            job->setKey(compte);
            const Issue issue = execute(job, DelaiOperationMs);
            if (!issue.fini)
                m_enService = false;
            else if (issue.erreur == QKeychain::NoError)
                valeur = issue.texte;
        }
        m_lectures.insert(compte, valeur);
        return valeur;
    }

    bool Ecrit(const QString &compte, const QString &valeur) override {
        const auto it = m_lectures.constFind(compte);
        if (it != m_lectures.cend() && it->value_or(QString()) == valeur)
            return true;
        bool ok = false;
        if (m_enService) {
            QKeychain::Job *job;
            if (valeur.isEmpty()) {
                auto *effacement = new QKeychain::DeletePasswordJob(Service);
                effacement->setKey(compte);
                job = effacement;
            } else {
                auto *ecriture = new QKeychain::WritePasswordJob(Service);
                ecriture->setKey(compte);
                ecriture->setTextData(valeur);
                job = ecriture;
            }
            const Issue issue = execute(job, DelaiOperationMs);
            if (!issue.fini)
                m_enService = false;
            ok = issue.fini && (issue.erreur == QKeychain::NoError ||
                                (valeur.isEmpty() && issue.erreur == QKeychain::EntryNotFound));
        }
        // A refused write leaves the password in the file: reads must find it there.
        m_lectures.insert(compte, ok && !valeur.isEmpty() ? std::optional(valeur) : std::nullopt);
        return ok;
    }

    void Oublie() { m_lectures.clear(); }

private:
    QHash<QString, std::optional<QString>> m_lectures;
    bool m_enService = true;
};

struct EtatGlobal {
    Etat etat = Etat::NonCherche;
    std::unique_ptr<CoffreTrousseau> coffre;
};

EtatGlobal &global() {
    static EtatGlobal g;
    return g;
}

Etat sonde() {
    if (qEnvironmentVariable("QUILLON_TROUSSEAU") == QLatin1String("0"))
        return Etat::Desactive;
    // Without a session bus address the keyring library would try to start a
    // bus of its own (or wait for one): there is no keyring to find.
    if (!QCoreApplication::instance() || qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return Etat::Absent;
    auto *job = new QKeychain::ReadPasswordJob(Service);
    job->setKey(QStringLiteral("sonde"));
    const Issue issue = execute(job, DelaiSondeMs);
    const bool repond = issue.fini && (issue.erreur == QKeychain::NoError ||
                                       issue.erreur == QKeychain::EntryNotFound);
    return repond ? Etat::Present : Etat::Absent;
}

} // namespace

Etat Demarre(bool deplacer) {
    EtatGlobal &g = global();
    if (g.etat != Etat::NonCherche)
        return g.etat;
    g.etat = sonde();
    if (g.etat == Etat::Present) {
        g.coffre = std::make_unique<CoffreTrousseau>();
        Reglages::DefinitCoffre(g.coffre.get());
        if (deplacer)
            Reglages::DeplaceMotsDePasse();
    }
    return g.etat;
}

Etat EtatCourant() {
    return global().etat;
}

QString LigneAbsent() {
    return QStringLiteral(
        " > Aucun trousseau de clés : les mots de passe restent dans le fichier de réglages");
}

void OublieLectures() {
    if (global().coffre)
        global().coffre->Oublie();
}

void Arrete() {
    EtatGlobal &g = global();
    Reglages::DefinitCoffre(nullptr);
    g.coffre.reset();
    g.etat = Etat::NonCherche;
}

} // namespace Trousseau
