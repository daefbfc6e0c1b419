#include "security/Trousseau.h"

#include "settings/Reglages.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <memory>
#include <optional>
#include <utility>

namespace Trousseau {

namespace {

const QString Service = QStringLiteral("Quillon");

// A recorded transfer waits for the keyring this long at most: nobody is
// there to answer a prompt.
constexpr int DelaiSansFenetreMs = 5000;

struct Issue {
    bool fini = false; // false: no answer before the deadline
    QKeychain::Error erreur = QKeychain::OtherError;
    QString texte;
};

class CoffreTrousseau;

struct EtatGlobal {
    Etat etat = Etat::NonCherche;
    std::unique_ptr<CoffreTrousseau> coffre;
    QList<std::pair<QPointer<QObject>, std::function<void()>>> attentes;
    QPointer<QObject> receveur;
    std::function<void(const QString &)> alerte;
    QStringList alertesGardees;
    int delaiMs = DelaiReponseMs;
};

EtatGlobal &global() {
    static EtatGlobal g;
    return g;
}

void alerte(const QString &ligne) {
    EtatGlobal &g = global();
    if (g.alerte && g.receveur)
        g.alerte(ligne);
    else
        g.alertesGardees << ligne;
}

// The start-up wait is over: whoever waited goes on, from the event loop.
void termineAttente(Etat etat) {
    EtatGlobal &g = global();
    g.etat = etat;
    const auto attentes = std::exchange(g.attentes, {});
    for (const auto &[contexte, suite] : attentes) {
        if (contexte)
            QTimer::singleShot(0, contexte.data(), suite);
    }
}

// Starts `job`; `fin` runs once, when the job ends or, with `fini` false, at
// the deadline, unless `contexte` is gone by then. The job deletes itself
// when it ends, even after the deadline.
void lance(QKeychain::Job *job, QObject *contexte, std::function<void(const Issue &)> fin) {
    auto *garde = new QObject(contexte);
    auto fait = std::make_shared<bool>(false);
    const auto termine = [fait, fin = std::move(fin), garde](const Issue &issue) {
        if (*fait)
            return;
        *fait = true;
        garde->deleteLater();
        fin(issue);
    };
    QObject::connect(job, &QKeychain::Job::finished, garde, [termine](QKeychain::Job *j) {
        Issue issue;
        issue.fini = true;
        issue.erreur = j->error();
        if (const auto *lecture = qobject_cast<QKeychain::ReadPasswordJob *>(j))
            issue.texte = lecture->textData();
        termine(issue);
    });
    QTimer::singleShot(global().delaiMs, garde, [termine] { termine(Issue{}); });
    job->setAutoDelete(true);
    job->start();
}

QStringList comptes() {
    QStringList c{QStringLiteral("data/txtMDP")};
    for (int n = 0; n <= 8; ++n)
        c << Reglages::CompteMotDePasse(Reglages::SectionMemoire(n),
                                        QLatin1String(Reglages::MemTxtMDP));
    for (int n = 0; n <= 9; ++n)
        c << Reglages::CompteMotDePasse(QLatin1String(Reglages::SectionLDC),
                                        Reglages::CleLDC("txtMDP", n));
    return c;
}

class CoffreTrousseau : public Reglages::Coffre {
public:
    explicit CoffreTrousseau(bool deplacer) : m_deplacer(deplacer) {}

    std::optional<QString> Lit(const QString &compte) override { return m_lectures.value(compte); }

    void Stocke(const QString &compte, const QString &valeur,
                std::function<void(bool)> fin) override {
        // Reads see the new value at once (the file holds it meanwhile).
        m_lectures.insert(compte, valeur.isEmpty() ? std::nullopt : std::optional(valeur));
        if (!m_enService) {
            fin(false);
            return;
        }
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
        lance(job, &m_contexte, [this, vide = valeur.isEmpty(), fin](const Issue &issue) {
            if (!issue.fini) {
                abandonne();
                fin(false);
                return;
            }
            const bool ok = issue.erreur == QKeychain::NoError ||
                            (vide && issue.erreur == QKeychain::EntryNotFound);
            if (!ok)
                alerte(LigneRefus());
            fin(ok);
        });
    }

    // The availability check, then each password in turn.
    void Commence() {
        auto *job = new QKeychain::ReadPasswordJob(Service);
        job->setKey(QStringLiteral("sonde"));
        lance(job, &m_contexte, [this](const Issue &issue) {
            if (!issue.fini) {
                abandonne();
            } else if (issue.erreur == QKeychain::NoError ||
                       issue.erreur == QKeychain::EntryNotFound) {
                litCompte(comptes(), 0);
            } else {
                // Nothing on the bus serves secrets.
                m_enService = false;
                alerte(LigneAbsent());
                termineAttente(Etat::Absent);
            }
        });
    }

    void Oublie() {
        m_lectures.clear();
        m_deplacer = false;
    }

    // No answer in time (a prompt nobody answers, or one dismissed): the file
    // for the rest of the run; what follows would queue behind it.
    void abandonne() {
        if (!m_enService)
            return;
        m_enService = false;
        alerte(LigneSansReponse());
        termineAttente(Etat::SansReponse);
    }

private:
    void litCompte(const QStringList &liste, int i) {
        if (!m_enService)
            return;
        if (i == liste.size()) {
            termineAttente(Etat::Present);
            if (m_deplacer)
                Reglages::DeplaceMotsDePasse();
            return;
        }
        auto *job = new QKeychain::ReadPasswordJob(Service);
        job->setKey(liste[i]);
        lance(job, &m_contexte, [this, liste, i](const Issue &issue) {
            if (!issue.fini ||
                (issue.erreur != QKeychain::NoError && issue.erreur != QKeychain::EntryNotFound)) {
                abandonne();
                return;
            }
            // A password written meanwhile is newer than what was read.
            if (!m_lectures.contains(liste[i]))
                m_lectures.insert(liste[i], issue.erreur == QKeychain::NoError
                                                ? std::optional(issue.texte)
                                                : std::nullopt);
            litCompte(liste, i + 1);
        });
    }

    QObject m_contexte; // the pending jobs' answers die with the vault
    QHash<QString, std::optional<QString>> m_lectures;
    bool m_enService = true;
    bool m_deplacer;
};

// A recorded transfer has no window: it may wait, never for long.
void attends() {
    EtatGlobal &g = global();
    if (g.etat != Etat::EnAttente)
        return;
    QEventLoop boucle;
    QuandPret(&boucle, [&boucle] { boucle.quit(); });
    QTimer::singleShot(qMin(DelaiSansFenetreMs, g.delaiMs), &boucle, &QEventLoop::quit);
    boucle.exec(QEventLoop::ExcludeUserInputEvents);
    if (g.etat == Etat::EnAttente && g.coffre)
        g.coffre->abandonne();
}

} // namespace

Etat Demarre(bool deplacer) {
    EtatGlobal &g = global();
    if (g.etat != Etat::NonCherche)
        return g.etat;
    if (qEnvironmentVariable("QUILLON_TROUSSEAU") == QLatin1String("0"))
        return g.etat = Etat::Desactive;
    // Without a session bus address the keyring library would try to start a
    // bus of its own (or wait for one): there is no keyring to find.
    if (!QCoreApplication::instance() || qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        alerte(LigneAbsent());
        return g.etat = Etat::Absent;
    }
    g.etat = Etat::EnAttente;
    g.coffre = std::make_unique<CoffreTrousseau>(deplacer);
    Reglages::DefinitCoffre(g.coffre.get());
    g.coffre->Commence();
    if (!deplacer)
        attends();
    return g.etat;
}

Etat EtatCourant() {
    return global().etat;
}

void QuandPret(QObject *contexte, std::function<void()> suite) {
    EtatGlobal &g = global();
    if (g.etat == Etat::EnAttente)
        g.attentes.append({QPointer<QObject>(contexte), std::move(suite)});
    else
        QTimer::singleShot(0, contexte, std::move(suite));
}

void SurAlerte(QObject *contexte, std::function<void(const QString &)> recoit) {
    EtatGlobal &g = global();
    g.receveur = contexte;
    g.alerte = std::move(recoit);
    for (const QString &ligne : std::exchange(g.alertesGardees, {}))
        alerte(ligne);
}

QString LigneAbsent() {
    return QStringLiteral(
        " > Aucun trousseau de clés : les mots de passe restent dans le fichier de réglages");
}

QString LigneSansReponse() {
    return QStringLiteral(" > Trousseau de clés sans réponse : les mots de passe restent dans le "
                          "fichier de réglages");
}

QString LigneRefus() {
    return QStringLiteral(" > Trousseau de clés : écriture refusée, le mot de passe reste dans le "
                          "fichier de réglages");
}

QString LigneAttente() {
    return QStringLiteral(" > Attente du trousseau de clés…");
}

void DefinitDelai(int ms) {
    global().delaiMs = ms > 0 ? ms : DelaiReponseMs;
}

void OublieLectures() {
    EtatGlobal &g = global();
    if (!g.coffre || g.etat != Etat::Present)
        return;
    g.coffre->Oublie();
    g.etat = Etat::EnAttente;
    g.coffre->Commence();
    attends();
}

void Arrete() {
    EtatGlobal &g = global();
    Reglages::DefinitCoffre(nullptr);
    g.coffre.reset();
    g.etat = Etat::NonCherche;
    g.attentes.clear();
    g.alertesGardees.clear();
}

} // namespace Trousseau
