// Every caption of the main window and of the dialogs fits its control, with
// the fonts this machine has and with those of a minimal Debian
// (fonts-dejavu-core alone: no condensed face), and the site-address hint
// shows whole at the first start. The measure is Qt's own text layout in the
// rectangle the control's style draws the text in.

#include "automation/Form3.h"
#include "automation/Form4.h"
#include "dialogs/Form2.h"
#include "dialogs/FormCertificat.h"
#include "dialogs/FormCleHote.h"
#include "mainwindow/Form1.h"
#include "support/BancFenetre.h"
#include "window/Form1Ui.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char PolicesMinimales[] = "QUILLON_TEST_POLICES_MINIMALES";

QString texteAffiche(QString t) {
    t.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    t.remove(QLatin1Char('&'));
    return t.replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

// "name: text (needs WxH, has WxH)" for every caption under `racine` that is cut.
QStringList coupes(QWidget *racine) {
    QStringList resultat;
    const auto note = [&](QWidget *w, const QString &texte, QSize besoin, QSize place) {
        if (besoin.width() > place.width() || besoin.height() > place.height())
            resultat << QStringLiteral("%1 « %2 » : %3x%4 pour %5x%6")
                            .arg(w->objectName(), texte)
                            .arg(besoin.width())
                            .arg(besoin.height())
                            .arg(place.width())
                            .arg(place.height());
    };
    // Hidden controls are measured where they show; the file counts change with
    // every listing and are not captions.
    for (QLabel *l : racine->findChildren<QLabel *>()) {
        if (l->text().isEmpty() || Qt::mightBeRichText(l->text()) || !l->isVisibleTo(racine) ||
            l->objectName().startsWith(QLatin1String("LabNB")))
            continue;
        const QRect zone = l->contentsRect();
        const int drapeaux = int(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect texte = l->fontMetrics().boundingRect(zone, drapeaux, l->text());
        note(l, l->text(), l->wordWrap() ? QSize(0, texte.height()) : texte.size(), zone.size());
    }
    for (QAbstractButton *b : racine->findChildren<QAbstractButton *>()) {
        QStyleOptionButton o;
        o.initFrom(b);
        o.text = b->text();
        QStyle::SubElement e;
        if (qobject_cast<QCheckBox *>(b))
            e = QStyle::SE_CheckBoxContents;
        else if (qobject_cast<QRadioButton *>(b))
            e = QStyle::SE_RadioButtonContents;
        else if (qobject_cast<QPushButton *>(b) && b->icon().isNull())
            e = QStyle::SE_PushButtonContents;
        else
            continue;
        if (b->text().isEmpty() || !b->isVisibleTo(racine))
            continue;
        const QFontMetrics fm = b->fontMetrics();
        note(b, b->text(), {fm.horizontalAdvance(texteAffiche(b->text())), fm.height()},
             b->style()->subElementRect(e, &o, b).size());
    }
    return resultat;
}

} // namespace

class TstLibelles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void fenetrePrincipale();
    void dialogues();
    void avecLesSeulesPolicesDeBase();

private:
    BancFenetre m_banc;
};

void TstLibelles::initTestCase() {
    QVERIFY(m_banc.Renouvelle());
    if (qEnvironmentVariableIsSet(PolicesMinimales))
        qInfo("polices : %s", qPrintable(QFontInfo(QApplication::font()).family()));
}

void TstLibelles::fenetrePrincipale() {
    auto f = DemarreFenetre();
    Form1Ui &u = f->Ui();
    QVERIFY(f->isVisible());
    QStringList cut = coupes(f.get());
    // Grown quick-action labels still stand side by side.
    QVERIFY(!u.LabBou[0]->geometry().intersects(u.LabBou[2]->geometry()));
    // The invitation in the site-address box, at the first start's size.
    const QLineEdit *adresse = u.TCop[1];
    QStyleOptionFrame o;
    o.initFrom(adresse);
    // QLineEdit keeps 2 pixels free on each side of the text.
    const int place =
        adresse->style()->subElementRect(QStyle::SE_LineEditContents, &o, adresse).width() - 4;
    const int texte = adresse->fontMetrics().horizontalAdvance(adresse->text());
    if (texte > place)
        cut << QStringLiteral("TCop(1) « %1 » : %2 pour %3")
                   .arg(adresse->text())
                   .arg(texte)
                   .arg(place);
    // The information panel and the progress frame as they are shown.
    u.Command3->click();
    QVERIFY(u.Frame3->isVisible());
    u.Frame1->show();
    cut << coupes(u.Frame3) << coupes(u.Frame1);
    cut.removeDuplicates();
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
}

void TstLibelles::dialogues() {
    auto f = DemarreFenetre();
    Certificat c;
    c.sujet = QStringLiteral("CN=ftp.exemple.fr");
    c.emetteur = c.sujet;
    c.empreinte = QStringLiteral("AB:CD");
    c.raison = QStringLiteral("Certificat auto-signé");
    Form2 d2(LiensDialogueConnexion(*f));
    Form3 d3;
    Form4 d4;
    FormCertificat dc(c);
    SessionSftp::CleHote cle;
    cle.hote = QStringLiteral("sftp.exemple.fr");
    cle.port = 2222;
    cle.type = QStringLiteral("ecdsa-sha2-nistp256");
    cle.empreinte = QStringLiteral("SHA256:") + QString(43, u'W');
    FormCleHote dk(cle);
    QStringList cut;
    d2.Command4->show();
    for (QWidget *d : std::initializer_list<QWidget *>{&d2, &d3, &d4, &dc, &dk}) {
        d->show();
        // Form3's explanation, shown while the pointer is over its button.
        if (d == &d3)
            d3.Label7->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        cut << coupes(d);
        d->hide();
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
}

void TstLibelles::avecLesSeulesPolicesDeBase() {
    if (qEnvironmentVariableIsSet(PolicesMinimales))
        QSKIP("already the minimal fonts");
    const QString dossier = QStringLiteral("/usr/share/fonts/truetype/dejavu/");
    if (!QFile::exists(dossier + QStringLiteral("DejaVuSans.ttf")))
        QSKIP("fonts-dejavu-core is not installed");
    // A fontconfig that knows only fonts-dejavu-core's faces.
    QTemporaryDir tmp;
    QVERIFY(QDir(tmp.path()).mkpath(QStringLiteral("polices")));
    for (const char *nom : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansMono.ttf",
                            "DejaVuSansMono-Bold.ttf", "DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf"})
        QFile::link(dossier + QLatin1String(nom),
                    tmp.filePath(QStringLiteral("polices/")) + QLatin1String(nom));
    QFile conf(tmp.filePath(QStringLiteral("fonts.conf")));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write(
        QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig><dir>%1</dir><cachedir>%2</cachedir>"
                       "<include ignore_missing=\"yes\">/etc/fonts/conf.d</include></fontconfig>\n")
            .arg(tmp.filePath(QStringLiteral("polices")), tmp.filePath(QStringLiteral("cache")))
            .toUtf8());
    conf.close();

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(PolicesMinimales), QStringLiteral("1"));
    env.insert(QStringLiteral("FONTCONFIG_FILE"), conf.fileName());
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("fenetrePrincipale"), QStringLiteral("dialogues")});
    QVERIFY(p.waitForFinished(120000));
    const QString sortie = QString::fromUtf8(p.readAll());
    QVERIFY2(sortie.contains(QLatin1String("polices : DejaVu Sans")), qPrintable(sortie));
    QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, qPrintable(sortie));
}

QTEST_MAIN(TstLibelles)
#include "tst_libelles.moc"
