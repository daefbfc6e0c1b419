// The window over SFTP: its host key dialog and judge, and a connection
// through the connection dialog to OpenSSH's sshd on loopback (the sshd
// fixture; skipped when the fixture could not start one).

#include "automation/LigneCommande.h"
#include "browsing/NavigateurSite.h"
#include "connection/GestionConnexion.h"
#include "dialogs/Form2.h"
#include "dialogs/FormCleHote.h"
#include "mainwindow/Form1.h"
#include "settings/Reglages.h"
#include "sftp/clsSFTP.h"
#include "support/BancFenetre.h"
#include "support/TestServeur.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

SessionSftp::CleHote cle(const QString &hote, quint16 port, const QString &empreinte) {
    SessionSftp::CleHote c;
    c.hote = hote;
    c.port = port;
    c.type = QStringLiteral("ssh-ed25519");
    c.empreinte = empreinte;
    return c;
}

// Answers the window's host key questions with one button, noting what was shown.
struct Repondeur {
    const char *bouton = "cmdRefuser";
    int questions = 0;
    QString titre, type, empreinte;
    void installe(GestionConnexion &g) {
        g.MontreCleHote = [this](FormCleHote &d) {
            ++questions;
            titre = d.lblTitre->text();
            type = d.lblType->text();
            empreinte = d.lblEmpreinte->text();
            d.findChild<QPushButton *>(QLatin1String(bouton))->click();
            return d.result();
        };
    }
};

} // namespace

class TstSftpFenetre : public QObject {
    Q_OBJECT
    BancFenetre m_banc;

private slots:
    void init() {
        QVERIFY(m_banc.Renouvelle());
        Reglages::Relit();
    }

    // The dialog's texts and buttons, and the answers the window's judge
    // keeps for the run.
    void dialogueEtDecisions() {
        FormCleHote d(cle(QStringLiteral("ssh<b>.fr\n"), 2222, QStringLiteral("SHA256:abc")));
        QCOMPARE(d.windowTitle(), QStringLiteral("Clé d'hôte inconnue"));
        QCOMPARE(d.lblTitre->text(),
                 QStringLiteral("La clé présentée par [ssh<b>.fr?]:2222 n'est pas connue."));
        QCOMPARE(d.lblTitre->textFormat(), Qt::PlainText);
        QCOMPARE(d.lblType->text(), QStringLiteral("ssh-ed25519"));
        QCOMPARE(d.lblEmpreinte->text(), QStringLiteral("SHA256:abc"));
        QCOMPARE(d.cmdUneFois->text(), QStringLiteral("Accepter une fois"));
        QCOMPARE(d.cmdToujours->text(), QStringLiteral("Toujours accepter"));
        QCOMPARE(d.cmdRefuser->text(), QStringLiteral("Refuser"));
        QVERIFY(d.cmdRefuser->isDefault()); // Enter refuses
        QCOMPARE(FormCleHote::EnDecision(FormCleHote::UneFois),
                 SessionSftp::Decision::AccepterUneFois);
        QCOMPARE(FormCleHote::EnDecision(FormCleHote::Toujours),
                 SessionSftp::Decision::ToujoursAccepter);
        QCOMPARE(FormCleHote::EnDecision(FormCleHote::Refuser), SessionSftp::Decision::Refuser);
        QCOMPARE(FormCleHote::EnDecision(QDialog::Rejected), SessionSftp::Decision::Refuser);

        auto f = DemarreFenetre();
        GestionConnexion &g = f->gestionConnexion();
        Repondeur r;
        r.installe(g);
        const auto a = cle(QStringLiteral("a.decisions"), 22, QStringLiteral("SHA256:a"));
        QCOMPARE(g.JugeCleHote(a), SessionSftp::Decision::Refuser);
        QCOMPARE(r.questions, 1);
        QCOMPARE(r.titre, QStringLiteral("La clé présentée par a.decisions n'est pas connue."));
        r.bouton = "cmdUneFois";
        QCOMPARE(g.JugeCleHote(a), SessionSftp::Decision::Refuser); // not asked again
        QCOMPARE(r.questions, 1);
        // Another port or another key is another question.
        const auto autrePort = cle(QStringLiteral("a.decisions"), 2222, QStringLiteral("SHA256:a"));
        QCOMPARE(g.JugeCleHote(autrePort), SessionSftp::Decision::AccepterUneFois);
        QCOMPARE(g.JugeCleHote(autrePort), SessionSftp::Decision::AccepterUneFois);
        r.bouton = "cmdToujours";
        const auto b = cle(QStringLiteral("a.decisions"), 22, QStringLiteral("SHA256:b"));
        QCOMPARE(g.JugeCleHote(b), SessionSftp::Decision::ToujoursAccepter);
        QCOMPARE(r.questions, 3);
    }

    // Through the connection dialog to sshd: the session becomes an SFTP
    // one, the unknown key is asked about once and accepted for good, the
    // account's folder is listed; then a changed key is refused with a red
    // line and no question.
    void connexionParLeDialogue() {
        const QMap<QString, QString> info = LitInfoSshd();
        if (info.contains("skip"))
            QSKIP(qPrintable(info["skip"]));
        QVERIFY2(info.contains("port"), "QUILLON_TEST_SSHD_INFO: no sshd fixture");
        qunsetenv("SSH_AUTH_SOCK");
        QTemporaryDir ssh;
        QVERIFY(ssh.isValid());
        const QString hotesConnus = ssh.filePath(QStringLiteral("known_hosts"));
        const QString site = QStringLiteral("sftp://127.0.0.1:%1").arg(info["port"]);
        const QString nom = QStringLiteral("vu-par-la-fenetre.txt");
        QFile fichier(info["root"] + u'/' + nom);
        QVERIFY(fichier.open(QIODevice::WriteOnly) && fichier.write("x") == 1);
        fichier.close();

        auto f = DemarreFenetre();
        GestionConnexion &g = f->gestionConnexion();
        QCOMPARE(oFTP->protocole(), Protocole::FTP);
        // The window's SFTP session, pointed at throw-away known_hosts and keys.
        QString raison;
        QVERIFY(f->ChangeSession(Protocole::SFTP, raison));
        auto *sftp = dynamic_cast<clsSFTP *>(oFTP);
        QVERIFY(sftp);
        sftp->Sftp().setFichierHotesConnus(hotesConnus);
        sftp->Sftp().setDossierSsh(ssh.path());
        sftp->setDelaiMs(10000);

        Repondeur r;
        r.bouton = "cmdToujours";
        r.installe(g);
        g.MontreDialogue = [&](Form2 &d) {
            d.TxtSite->setText(site);
            d.txtUtilisateur->setText(info["user"]);
            d.txtMDP->setText(info["password"]);
            d.btnOK->click();
            return int(QDialog::Accepted);
        };
        g.mnuConnexion_Click();
        QCOMPARE(f->etat().CO(), short(-1));
        QCOMPARE(oFTP, sftp);
        QCOMPARE(r.questions, 1);
        QCOMPARE(r.empreinte, info["fingerprint"]);
        QVERIFY(r.type.startsWith(QStringLiteral("ssh-")));
        QCOMPARE(Reglages::Lit(Reglages::Protocole), QStringLiteral("1"));
        QString journal = f->Ui().TxtAction->toPlainText();
        QVERIFY2(
            journal.contains(QStringLiteral(" > Connecté à %1 :%2 (SFTP)").arg(site, info["user"])),
            qPrintable(journal));
        QFile connus(hotesConnus);
        QVERIFY(connus.open(QIODevice::ReadOnly));
        QVERIFY(connus.readAll().startsWith(
            QStringLiteral("[127.0.0.1]:%1 ").arg(info["port"]).toLatin1()));
        connus.close();
        f->navigateurSite().RafraichitSite(info["root"] + u'/');
        QVERIFY(!f->Ui().List4->findItems(nom, Qt::MatchExactly).isEmpty());

        // Known now: a reconnection asks nothing.
        g.Reconnecte(0);
        QCOMPARE(f->etat().CO(), short(-1));
        QCOMPARE(r.questions, 1);

        // Another key for this host: refused with the host and both fingerprints.
        QVERIFY(connus.open(QIODevice::WriteOnly | QIODevice::Truncate));
        connus.write(
            QStringLiteral("[127.0.0.1]:%1 %2\n").arg(info["port"], info["other_key"]).toLatin1());
        connus.close();
        g.Reconnecte(0);
        QCOMPARE(f->etat().CO(), short(0));
        QCOMPARE(r.questions, 1);
        QString suite = f->Ui().TxtAction->toPlainText().mid(journal.size());
        QVERIFY2(
            suite.contains(QStringLiteral(" > Clé d'hôte de %1 différente de celle connue "
                                          "(connue : %2, reçue : %3) : connexion refusée")
                               .arg(site, EmpreinteSsh(info["other_key"]), info["fingerprint"])),
            qPrintable(suite));
        QVERIFY2(!suite.contains(QStringLiteral("Connexion échouée")), qPrintable(suite));
        // Nor does automatic reconnection try again.
        f->Ui().Check1->setChecked(true);
        g.Timer2_Timer();
        QCOMPARE(f->Ui().TxtAction->toPlainText().count(QStringLiteral("différente")), 1);

        // Unknown again (known_hosts gone): accepted for good means for the
        // whole run, without asking.
        QVERIFY(connus.remove());
        g.Reconnecte(0);
        QCOMPARE(f->etat().CO(), short(-1));
        QCOMPARE(r.questions, 1);
        QFile::remove(info["root"] + u'/' + nom);
    }

    // A key under a passphrase: the window asks for it, the typed text
    // hidden; a wrong or cancelled answer falls through to the password.
    void phraseDeCle() {
        const QMap<QString, QString> info = LitInfoSshd();
        if (info.contains("skip"))
            QSKIP(qPrintable(info["skip"]));
        QVERIFY2(info.contains("port"), "QUILLON_TEST_SSHD_INFO: no sshd fixture");
        qunsetenv("SSH_AUTH_SOCK");
        auto f = DemarreFenetre();
        GestionConnexion &g = f->gestionConnexion();
        QString raison;
        QVERIFY(f->ChangeSession(Protocole::SFTP, raison));
        auto *sftp = dynamic_cast<clsSFTP *>(oFTP);
        QVERIFY(sftp);
        sftp->Sftp().setFichierHotesConnus(info["known_hosts"]);
        sftp->Sftp().setDossierSsh(info["keydir_phrase"]);
        sftp->setDelaiMs(10000);
        sSite = QStringLiteral("sftp://127.0.0.1:%1").arg(info["port"]);
        sUtilisateur = info["user"];
        sMotDePasse.clear();
        sProtocole = Protocole::SFTP;
        const auto phrasesDemandees = [&] {
            QStringList vues;
            for (const auto &d : m_banc.prompts.demandes)
                if (d.genre == QLatin1String("SaisieMasquee"))
                    vues << d.titre + u'|' + d.texte;
            return vues;
        };
        const QString question = QStringLiteral("Phrase secrète|Phrase secrète de la clé SSH "
                                                "%1/id_ed25519 :")
                                     .arg(info["keydir_phrase"]);

        // No password stored: only the key can let this login in.
        m_banc.prompts.saisies = {info["passphrase"]};
        g.Reconnecte(1);
        QCOMPARE(f->etat().CO(), short(-1));
        QCOMPARE(phrasesDemandees(), QStringList({question}));

        const QString avant = f->Ui().TxtAction->toPlainText();
        m_banc.prompts.saisies = {QStringLiteral("pas la bonne")};
        g.Reconnecte(1);
        QCOMPARE(f->etat().CO(), short(0));
        QCOMPARE(phrasesDemandees(), QStringList({question, question}));
        const QString suite = f->Ui().TxtAction->toPlainText().mid(avant.size());
        QVERIFY2(suite.contains(QStringLiteral(
                     " > identification refusée (méthodes offertes : publickey, password)")),
                 qPrintable(suite));

        // Wrong or cancelled, with the stored password: the password logs in.
        sMotDePasse = info["password"];
        m_banc.prompts.saisies = {QStringLiteral("pas la bonne")};
        g.Reconnecte(1);
        QCOMPARE(f->etat().CO(), short(-1));
        g.Reconnecte(1);
        QCOMPARE(f->etat().CO(), short(-1));
        QCOMPARE(phrasesDemandees().size(), 4);
    }

    // A recorded SFTP slot run with the window: its session becomes an SFTP
    // one and the known key is taken without a question.
    void transfertEnregistreAvecFenetre() {
        const QMap<QString, QString> info = LitInfoSshd();
        if (info.contains("skip"))
            QSKIP(qPrintable(info["skip"]));
        QVERIFY2(info.contains("port"), "QUILLON_TEST_SSHD_INFO: no sshd fixture");
        qunsetenv("SSH_AUTH_SOCK");
        qputenv("QUILLON_KNOWN_HOSTS", QFile::encodeName(info["known_hosts"]));
        const QString local = m_banc.Local(QStringLiteral("nuit.bin"));
        const QByteArray contenu = OctetsTest(300000);
        QVERIFY(EcritFichierLocal(local, contenu));
        EmplacementTransfert e;
        e.site = QStringLiteral("127.0.0.1:") + info["port"];
        e.utilisateur = info["user"];
        e.motDePasse = info["password"];
        e.distant = info["root"] + QStringLiteral("/nuit-fenetre.bin");
        e.local = local;
        e.protocole = Protocole::SFTP;
        EcritEmplacement(7, e);

        Form1 f;
        int fins = 0;
        f.programme().FinProgramme = [&] { ++fins; };
        f.programme().Commande = QStringLiteral("L7");
        f.Ui().Timer3->setInterval(100);
        f.Form_Load();
        QTRY_COMPARE(fins, 1);
        qunsetenv("QUILLON_KNOWN_HOSTS");
        QCOMPARE(f.programme().CodeSortie, 0);
        QCOMPARE(LitFichierLocal(e.distant), contenu);
        QFile::remove(e.distant);
    }
};

QTEST_MAIN(TstSftpFenetre)
#include "tst_sftpfenetre.moc"
