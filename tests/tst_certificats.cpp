// Decisions about certificates the system's authorities don't vouch for: the
// window's judge with its dialog (driven by clicks, offscreen), the stored
// fingerprints, and the judge of runs without a window.

#include "connection/GestionConnexion.h"
#include "dialogs/FormCertificat.h"
#include "ftp/clsFTP.h"
#include "mainwindow/Form1.h"
#include "security/DecisionsCertificats.h"
#include "settings/Reglages.h"
#include "support/BancFenetre.h"
#include "support/TestServeur.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

Certificat certificat(const QString &hote, quint16 port, char octet) {
    Certificat c;
    c.sujet = QStringLiteral("CN=<b>ftp.exemple.fr</b>\nO=Piège");
    c.emetteur = QStringLiteral("CN=Autorité maison");
    c.debut = QDateTime(QDate(2026, 1, 2), QTime(3, 4), Qt::UTC);
    c.fin = QDateTime(QDate(2027, 5, 6), QTime(7, 8), Qt::UTC);
    c.empreinte = NormaliseEmpreinte(QString(64, QLatin1Char(octet)));
    c.hote = hote;
    c.port = port;
    c.raison = QStringLiteral("Certificat auto-signé");
    return c;
}

// What the judge answered, and what its dialog showed.
struct Vu {
    bool accepte = false;
    int dialogues = 0;
    QString sujet, validite, empreinte, raison;
    bool texteBrut = false;
};

// Runs the window's judge on `c`; if it shows the certificate dialog (and
// blocks in it), `bouton` closes it.
Vu juge(GestionConnexion &g, const Certificat &c, const char *bouton) {
    Vu vu;
    QTimer minuterie;
    QObject::connect(&minuterie, &QTimer::timeout, [&] {
        auto *d = qobject_cast<FormCertificat *>(QApplication::activeModalWidget());
        if (!d)
            return;
        ++vu.dialogues;
        vu.sujet = d->lblSujet->text();
        vu.validite = d->lblValidite->text();
        vu.empreinte = d->lblEmpreinte->text().replace(u'\n', u':');
        vu.raison = d->lblRaison->text();
        vu.texteBrut = d->lblSujet->textFormat() == Qt::PlainText;
        if (qstrcmp(bouton, "Echap") == 0)
            QTest::keyClick(d, Qt::Key_Escape);
        else
            d->findChild<QPushButton *>(QLatin1String(bouton))->click();
    });
    minuterie.start(10);
    vu.accepte = g.JugeCertificat(c);
    return vu;
}

} // namespace

class TstCertificats : public QObject {
    Q_OBJECT
    BancFenetre m_banc;

private slots:
    void init() {
        QVERIFY(m_banc.Renouvelle());
        Reglages::Relit();
    }

    void cles() {
        using DecisionsCertificats::Cle;
        QCOMPARE(Cle(QStringLiteral("FTP.Exemple.fr"), 21), QStringLiteral("ftp.exemple.fr:21"));
        QCOMPARE(Cle(QStringLiteral("::1"), 2121), QStringLiteral("[::1]:2121"));
        QCOMPARE(Cle(QStringLiteral("[::1]"), 2121), QStringLiteral("[::1]:2121"));
        // Two hosts, two decisions, however the settings fold and escape keys.
        QVERIFY(DecisionsCertificats::AccepteToujours(certificat("::1", 21, 'a')));
        QVERIFY(DecisionsCertificats::AccepteToujours(certificat("::", 121, 'b')));
        Reglages::Relit();
        QCOMPARE(DecisionsCertificats::EmpreinteAcceptee("::1", 21),
                 certificat("::1", 21, 'a').empreinte);
        QCOMPARE(DecisionsCertificats::EmpreinteAcceptee("::", 121),
                 certificat("::", 121, 'b').empreinte);
        QCOMPARE(DecisionsCertificats::EmpreinteAcceptee("::1", 121), QString());
        // A certificate without a usable fingerprint is never stored.
        Certificat sans = certificat("h", 21, 'c');
        sans.empreinte = QStringLiteral("pas une empreinte");
        QVERIFY(!DecisionsCertificats::AccepteToujours(sans));
    }

    // Real connections and reconnections of the window: the question is asked
    // once per server for the whole run, and a refusal is said once, not at
    // every automatic reconnection.
    void reconnexions() {
        QTemporaryDir certificats, racine;
        QProcess p;
        p.start(QStringLiteral(QUILLON_PYTHON),
                {ServeurTls::Fixture, QStringLiteral("certs"), certificats.path()});
        QVERIFY(p.waitForFinished(60000) && p.exitCode() == 0);
        const QStringList autoSigne{QStringLiteral("pyftpdlib"), QStringLiteral("explicit"),
                                    certificats.filePath(QStringLiteral("self.pem")),
                                    racine.path()};
        ServeurTls accepte(autoSigne);
        ServeurTls refuse(autoSigne);
        QVERIFY(accepte.port() && refuse.port());

        Reglages::Ecrit(Reglages::TxtSite, accepte.site());
        Reglages::Ecrit(Reglages::TxtUtilisateur, QStringLiteral("quillon"));
        Reglages::Ecrit(Reglages::TxtMDP, QStringLiteral("secret"));
        Reglages::EcritBooleen(Reglages::ConAuto, true);
        Reglages::Ecrit(Reglages::PathSite, QStringLiteral("/"));
        int dialogues = 0;
        const char *bouton = "cmdUneFois";
        QTimer minuterie;
        QObject::connect(&minuterie, &QTimer::timeout, [&] {
            if (auto *d = qobject_cast<FormCertificat *>(QApplication::activeModalWidget())) {
                ++dialogues;
                d->findChild<QPushButton *>(QLatin1String(bouton))->click();
            }
        });
        minuterie.start(10);

        auto f = DemarreFenetre();
        QCOMPARE(f->etat().CO(), short(-1));
        QCOMPARE(dialogues, 1);
        // The reconnect picture, a filter reset, a site reload.
        f->gestionConnexion().Command6_Click();
        f->gestionConnexion().Reconnecte(0);
        QCOMPARE(f->etat().CO(), short(-1));
        QCOMPARE(dialogues, 1);

        bouton = "cmdRefuser";
        sSite = refuse.site();
        f->gestionConnexion().Reconnecte(0);
        QCOMPARE(f->etat().CO(), short(0));
        QCOMPARE(dialogues, 2);
        f->Ui().Check1->setChecked(true);
        for (int i = 0; i < 3; ++i)
            f->gestionConnexion().Timer2_Timer();
        QCOMPARE(dialogues, 2);
        const QString journal = f->Ui().TxtAction->toPlainText();
        QCOMPARE(journal.count(QStringLiteral(" > Certificat refusé pour ") + refuse.site() +
                               QStringLiteral(" : connexion refusée")),
                 1);
        QVERIFY2(!journal.contains(QStringLiteral("Connexion échouée")), qPrintable(journal));

        // Another certificate than the one accepted for good: said once too.
        Reglages::Ecrit(QStringLiteral("Certificats"),
                        DecisionsCertificats::Cle(QStringLiteral("127.0.0.1"), accepte.port()),
                        certificat("127.0.0.1", accepte.port(), 'e').empreinte);
        sSite = accepte.site();
        for (int i = 0; i < 3; ++i)
            f->gestionConnexion().Timer2_Timer();
        QCOMPARE(f->etat().CO(), short(0));
        QCOMPARE(dialogues, 2);
        const QString suite = f->Ui().TxtAction->toPlainText().mid(journal.size());
        QCOMPARE(suite.count(QStringLiteral(" > Certificat différent de celui accepté pour ") +
                             accepte.site()),
                 1);
        QVERIFY2(!suite.contains(QStringLiteral("Connexion échouée")), qPrintable(suite));
    }

    void jugeDeLaFenetre() {
        auto f = DemarreFenetre();
        GestionConnexion &g = f->gestionConnexion();
        sSite = QStringLiteral("127.0.0.1:2121");
        const Certificat c = certificat("127.0.0.1", 2121, 'a');

        // Unknown: shown as the server sent it, never as rich text; refused.
        Vu vu = juge(g, c, "cmdRefuser");
        QVERIFY(!vu.accepte);
        QCOMPARE(vu.dialogues, 1);
        QVERIFY(vu.texteBrut);
        QCOMPARE(vu.sujet, QStringLiteral("CN=<b>ftp.exemple.fr</b>?O=Piège"));
        QCOMPARE(vu.validite, QStringLiteral("du 02/01/2026 03:04 UTC au 06/05/2027 07:08 UTC"));
        QCOMPARE(vu.empreinte, c.empreinte);
        QCOMPARE(vu.raison, c.raison);
        QCOMPARE(DecisionsCertificats::EmpreinteAcceptee("127.0.0.1", 2121), QString());

        // An answer holds for the run: refused stays refused without asking.
        vu = juge(g, c, "cmdUneFois");
        QVERIFY(!vu.accepte);
        QCOMPARE(vu.dialogues, 0);

        // Accepted once: not asked again in this run, nor stored.
        const Certificat uneFois = certificat("127.0.0.1", 2121, 'c');
        vu = juge(g, uneFois, "cmdUneFois");
        QVERIFY(vu.accepte);
        QCOMPARE(vu.dialogues, 1);
        vu = juge(g, uneFois, "cmdRefuser");
        QVERIFY(vu.accepte);
        QCOMPARE(vu.dialogues, 0);
        QCOMPARE(DecisionsCertificats::EmpreinteAcceptee("127.0.0.1", 2121), QString());
        QVERIFY(!DecisionsCertificats::JugeSansDialogue(uneFois));

        const Certificat toujours = certificat("127.0.0.1", 2121, 'd');
        vu = juge(g, toujours, "cmdToujours");
        QVERIFY(vu.accepte);
        QCOMPARE(vu.dialogues, 1);
        QCOMPARE(Reglages::Lit(QStringLiteral("Certificats"), QStringLiteral("127.0.0.1:2121")),
                 toujours.empreinte);

        // Accepted for good: no dialog, even one that would refuse.
        vu = juge(g, toujours, "cmdRefuser");
        QVERIFY(vu.accepte);
        QCOMPARE(vu.dialogues, 0);
        QVERIFY(DecisionsCertificats::JugeSansDialogue(toujours));

        // Another certificate for that host and port: refused with a red line,
        // never asked (the dialog would accept it).
        const Certificat autre = certificat("127.0.0.1", 2121, 'b');
        vu = juge(g, autre, "cmdToujours");
        QVERIFY(!vu.accepte);
        QCOMPARE(vu.dialogues, 0);
        const QString journal = f->Ui().TxtAction->toPlainText().trimmed();
        QVERIFY2(journal.endsWith(QStringLiteral(
                     " > Certificat différent de celui accepté pour 127.0.0.1:2121 : "
                     "connexion refusée")),
                 qPrintable(journal));
        QCOMPARE(DecisionsCertificats::EmpreinteAcceptee("127.0.0.1", 2121), toujours.empreinte);
        QVERIFY(!DecisionsCertificats::JugeSansDialogue(autre));

        // Another port is another server: asked; Escape refuses.
        const Certificat ailleurs = certificat("127.0.0.1", 990, 'a');
        vu = juge(g, ailleurs, "Echap");
        QVERIFY(!vu.accepte);
        QCOMPARE(vu.dialogues, 1);
        // Without a window nobody is asked: unknown is refused.
        QVERIFY(!DecisionsCertificats::JugeSansDialogue(ailleurs));
    }
};

QTEST_MAIN(TstCertificats)
#include "tst_certificats.moc"
