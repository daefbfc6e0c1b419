#include "session/CopieParallele.h"

#include "ftp/clsFTP.h"
#include "session/FabriqueSession.h"
#include "sftp/clsSFTP.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

ModeleConnexion ModeleConnexion::De(const SessionDistante &session) {
    ModeleConnexion m;
    m.protocole = session.protocole();
    m.parametres = ParametresCourants();
    m.parametres.consulteDecisions = false;
    m.delaiMs = session.delaiMs();
    if (const auto *ftp = dynamic_cast<const clsFTP *>(&session))
        m.empreinte = ftp->EmpreinteTls();
    else if (const auto *sftp = dynamic_cast<const clsSFTP *>(&session))
        m.empreinte = sftp->Sftp().DerniereCle().empreinte;
    return m;
}

std::unique_ptr<SessionDistante> ConnecteComme(const ModeleConnexion &modele, QString &raison) {
    std::unique_ptr<SessionDistante> session = CreeSession(modele.protocole, &raison);
    if (!session)
        return nullptr;
    // No judge: only what the browsing session accepted passes.
    if (auto *ftp = dynamic_cast<clsFTP *>(session.get())) {
        ftp->setEmpreinteImposee(modele.empreinte);
    } else if (auto *sftp = dynamic_cast<clsSFTP *>(session.get())) {
        sftp->Sftp().setJugeCle(nullptr);
        sftp->Sftp().setEmpreinteImposee(modele.empreinte);
    }
    session->setDelaiMs(modele.delaiMs);
    if (session->ConnexionAvec(modele.parametres) == 0) {
        raison = session->DerniereErreur();
        return nullptr;
    }
    return session;
}

namespace {

// Thrown from a session's progress callback once a stop is asked: the
// transfer unwinds at once, its temporary file removed.
struct Abandon {};

struct Evenement {
    QString relatif;
    bool ok;
    QString raison;
    bool sansConnexion = false;
};

// What the workers and the caller's thread share; everything but the
// atomics under `verrou`.
struct Partage {
    std::mutex verrou;
    std::condition_variable signal;
    std::deque<Evenement> evenements;
    qsizetype prochain = 0;
    std::vector<qsizetype> rendus; // taken by a connection that could not be made
    int actifs = 0;
    std::atomic<bool> arret{false};
    std::atomic<qint64> octets{0};
};

void travaille(Partage &p, const ModeleConnexion &modele, CopieParallele::Sens sens,
               const QList<CopieParallele::Fichier> &fichiers) {
    std::unique_ptr<SessionDistante> session;
    const auto publie = [&p](Evenement e) {
        {
            std::lock_guard<std::mutex> l(p.verrou);
            p.evenements.push_back(std::move(e));
        }
        p.signal.notify_one();
    };
    for (;;) {
        if (p.arret)
            break;
        qsizetype i;
        {
            std::lock_guard<std::mutex> l(p.verrou);
            if (!p.rendus.empty()) {
                i = p.rendus.back();
                p.rendus.pop_back();
            } else if (p.prochain < fichiers.size()) {
                i = p.prochain++;
            } else {
                break;
            }
        }
        const CopieParallele::Fichier &f = fichiers.at(i);
        if (!session || !session->hConnexion()) {
            session.reset();
            QString raison;
            session = ConnecteComme(modele, raison);
            if (!session) {
                // A server that takes fewer connections: this one ends here
                // and hands its file back to the others.
                {
                    std::lock_guard<std::mutex> l(p.verrou);
                    p.rendus.push_back(i);
                }
                publie({QString(), false, raison, true});
                break;
            }
        }
        qint64 compte = 0;
        session->setProgression([&p, &compte](qint64 fait, qint64) {
            if (p.arret)
                throw Abandon{};
            p.octets += fait - compte;
            compte = fait;
        });
        bool ok = false;
        try {
            ok = (sens == CopieParallele::Sens::Rapatrie
                      ? session->DownloadFichierDansDossier(f.distant, f.local, true)
                      : session->UploadFichier(f.local, f.distant)) != 0;
        } catch (const Abandon &) {
            session.reset();
            // A file sent in part would stand for the whole one: it goes,
            // over a connection of its own (this one is mid-transfer).
            if (sens == CopieParallele::Sens::Envoie) {
                QString raison;
                ModeleConnexion court = modele;
                court.delaiMs = std::min(modele.delaiMs, 5000);
                if (auto nettoyage = ConnecteComme(court, raison))
                    nettoyage->EffaceFichier(f.distant);
            }
            break;
        }
        session->setProgression({});
        publie({f.relatif, ok, ok ? QString() : session->DerniereErreur()});
    }
    {
        std::lock_guard<std::mutex> l(p.verrou);
        --p.actifs;
    }
    p.signal.notify_one();
}

} // namespace

CopieParallele::CopieParallele(ModeleConnexion modele, int connexions)
    : m_modele(std::move(modele)), m_connexions(std::clamp(connexions, 1, ConnexionsMax)) {}

bool CopieParallele::Execute(Sens sens, const QList<Fichier> &fichiers, const Rappels &rappels) {
    Partage p;
    const int nombre = int(std::min<qsizetype>(m_connexions, fichiers.size()));
    p.actifs = nombre;
    std::vector<std::thread> fils;
    fils.reserve(size_t(nombre));
    for (int i = 0; i < nombre; ++i)
        fils.emplace_back(travaille, std::ref(p), std::cref(m_modele), sens, std::cref(fichiers));

    for (bool fini = false; !fini;) {
        std::deque<Evenement> recus;
        {
            std::unique_lock<std::mutex> l(p.verrou);
            p.signal.wait_for(l, std::chrono::milliseconds(50),
                              [&p] { return !p.evenements.empty() || p.actifs == 0; });
            recus.swap(p.evenements);
            fini = p.actifs == 0;
        }
        for (const Evenement &e : recus) {
            if (e.sansConnexion) {
                if (rappels.connexionImpossible)
                    rappels.connexionImpossible(e.raison);
            } else if (rappels.fin) {
                rappels.fin(e.relatif, e.ok, e.raison);
            }
        }
        if (rappels.octets)
            rappels.octets(p.octets);
        // Still asked once stopped: the caller's thread keeps turning (the
        // window repaints) while a connection stuck on a silent server waits
        // for its deadline.
        if (rappels.attente && rappels.attente())
            p.arret = true;
    }
    for (std::thread &f : fils)
        f.join();
    if (p.arret)
        return false;
    // No connection was left to take them: the files not tried are named.
    std::vector<qsizetype> restes = p.rendus;
    std::sort(restes.begin(), restes.end());
    for (qsizetype i = p.prochain; i < fichiers.size(); ++i)
        restes.push_back(i);
    for (const qsizetype i : restes) {
        const Fichier &f = fichiers.at(i);
        if (!rappels.surLaSessionCourante) {
            if (rappels.fin)
                rappels.fin(f.relatif, false, QStringLiteral("aucune connexion"));
            continue;
        }
        if (rappels.attente && rappels.attente())
            return false;
        const bool ok = rappels.surLaSessionCourante(f);
        if (rappels.fin)
            rappels.fin(f.relatif, ok, QString());
    }
    return true;
}
