// The window explaining itself: the hint box placed by each hinted control and
// kept inside the window, its hiding table, the quick actions "Go!", "Ex" and
// "Copie", what a screen reader is told, the information panel with its
// scrolling icon, and the help reached by F1, Command4 and "Aide".

#include "about/InfoProduit.h"
#include "about/PanneauInfo.h"
#include "automation/Form3.h"
#include "automation/Form4.h"
#include "dialogs/Form2.h"
#include "dialogs/FormCertificat.h"
#include "mainwindow/Form1.h"
#include "platform/LocalLists.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "support/BancFenetre.h"
#include "support/ShellEnregistreur.h"
#include "support/TestServeur.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/Twips.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

// The pointer entering then moving over w at `pos` (its centre by default),
// as the window delivers it to the control under the pointer.
void survole(QWidget *w, QPoint pos = QPoint(-1, -1)) {
    if (pos.x() < 0)
        pos = w->rect().center();
    const QPointF local = pos;
    const QPointF global = w->mapToGlobal(local);
    QEnterEvent entree(local, local, global);
    QCoreApplication::sendEvent(w, &entree);
    QMouseEvent mouvement(QEvent::MouseMove, local, local, global, Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(w, &mouvement);
}

QColor fond(const QWidget *w) {
    return w->palette().color(QPalette::Window);
}

// ttt's rectangle in the client area.
QRect bulle(Form1Ui &u) {
    return u.ttt->geometry();
}

const QColor Marine(0, 0, 128), Bleu(0, 0, 255), Rouge(255, 0, 0);

// The activity log's last line and its colour.
QPair<QString, QColor> derniereLigne(Form1Ui &u) {
    QTextBlock b = u.TxtAction->document()->lastBlock();
    while (b.isValid() && b.text().isEmpty())
        b = b.previous();
    if (!b.isValid())
        return {};
    return {b.text(), b.begin().fragment().charFormat().foreground().color()};
}

// The controls of `fenetre` a keyboard user can reach that a screen reader
// would announce without a name: no accessible name of their own, from
// their text or from a label naming them as its buddy.
QStringList controlesSansNom(QWidget *fenetre) {
    QStringList sansNom;
    QList<QWidget *> controles = fenetre->findChildren<QWidget *>();
    controles.prepend(fenetre);
    for (QWidget *w : std::as_const(controles)) {
        if (w->focusPolicy() == Qt::NoFocus || w->focusProxy() || !w->isVisibleTo(fenetre))
            continue;
        // The viewport and scroll bars of a list belong to the list.
        if (qobject_cast<QAbstractScrollArea *>(w->parentWidget()) || qobject_cast<QScrollBar *>(w))
            continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        if (a && !a->text(QAccessible::Name).trimmed().isEmpty())
            continue;
        sansNom << QStringLiteral("%1 (%2)").arg(w->objectName(), w->metaObject()->className());
    }
    return sansNom;
}

} // namespace

class TstAide : public QObject {
    Q_OBJECT

    BancFenetre m_banc;
    std::unique_ptr<Form1> m_f;

    Form1Ui &ui() { return m_f->Ui(); }

private slots:
    void init() {
        QVERIFY(m_banc.Renouvelle());
        m_f = DemarreFenetre();
        m_f->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_f.get()));
        m_banc.shell.appels.clear();
    }
    void cleanup() { m_f.reset(); }

    // Each row of hinted controls places the box where its Part says; near the
    // window's edges the box stays inside, never cut, its text whole.
    void bulleAuxBordsDeLaFenetre() {
        Form1Ui &u = ui();
        const QRect zone = u.centre->rect();

        survole(u.BTL[2]);
        QVERIFY(u.ttt->isVisible());
        QCOMPARE(u.LTTT->text(), QStringLiteral("Creer un dossier"));
        QCOMPARE(u.ttt->x(), u.BTL[2]->x() + u.fraLocal->x());
        QCOMPARE(u.ttt->y(), u.BTL[2]->y() + Twips::EnPixels(500));

        // The rightmost site button: the box would pass the right edge.
        survole(u.BTs[11]);
        QCOMPARE(u.LTTT->text(), QStringLiteral("Effacer le cache"));
        QVERIFY(u.BTs[11]->x() + u.fraSite->x() + u.ttt->width() > zone.width());
        QCOMPARE(bulle(u).right(), zone.right());

        // The site pane's comparison button opens its hint to the left.
        survole(u.RecDelta[1]);
        QCOMPARE(u.LTTT->text(), QStringLiteral("Liste des fichiers absents en local"));
        QVERIFY(zone.contains(bulle(u)));
        QVERIFY(bulle(u).left() < u.fraSite->x() + u.RecDelta[1]->x());

        // The window at its smallest: every hinted control keeps its box inside
        // the client area, wide enough for its whole text.
        m_f->resize(m_f->minimumSize());
        QCoreApplication::processEvents();
        const QRect petite = u.centre->rect();
        QList<QWidget *> indiques;
        for (const auto *rangee : {&u.BTL, &u.BTs, &u.Vert, &u.RecDelta})
            for (QToolButton *b : *rangee)
                if (!b->isHidden())
                    indiques << b;
        for (QLabel *l : std::as_const(u.LabBou))
            indiques << l;
        int essayes = 0;
        for (QWidget *w : std::as_const(indiques)) {
            // What the narrow pane cuts off can't be pointed at.
            if (!w->parentWidget()->rect().contains(w->geometry()))
                continue;
            ++essayes;
            survole(w);
            QVERIFY2(u.ttt->isVisible(), qPrintable(w->objectName()));
            QCOMPARE(u.LTTT->text(), Tag(w));
            QVERIFY2(petite.contains(bulle(u)) || bulle(u).width() > petite.width(),
                     qPrintable(w->objectName()));
            QVERIFY2(u.LTTT->width() >= u.LTTT->fontMetrics().horizontalAdvance(u.LTTT->text()),
                     qPrintable(w->objectName()));
        }
        QVERIFY(essayes >= 12);
    }

    // "Copie" hints to its left, ending where the label begins; the local
    // labels from their own left; both 500 twips above the label.
    void bulleDesActionsRapides() {
        Form1Ui &u = ui();
        QVERIFY(u.fraSite->rect().contains(u.LabBou[1]->geometry()));
        QVERIFY(u.fraLocal->rect().contains(u.LabBou[2]->geometry()));
        survole(u.LabBou[1]);
        QCOMPARE(u.LTTT->text(), QStringLiteral("Copier l'adresse URL du fichier distant."));
        QCOMPARE(bulle(u).right() + 1, u.LabBou[1]->x() + u.fraSite->x());
        QCOMPARE(u.ttt->y(), u.LabBou[1]->y() + u.fraSite->y() - Twips::EnPixels(500));
        QCOMPARE(fond(u.LabBou[1]), Bleu);
        QCOMPARE(fond(u.LabBou[0]), Marine);

        survole(u.LabBou[2]);
        QCOMPARE(u.LTTT->text(), QStringLiteral("Ouvrir l'explorateur de windows en local."));
        QCOMPARE(u.ttt->x(), u.LabBou[2]->x() + u.fraLocal->x());
        QCOMPARE(fond(u.LabBou[2]), Bleu);
        QCOMPARE(fond(u.LabBou[1]), Marine);
    }

    // What hides the box, what only calms the labels, and what lies on a
    // table control without being it.
    void tableDeMasquage() {
        Form1Ui &u = ui();
        const auto montre = [&] {
            survole(u.LabBou[0]);
            QVERIFY(u.ttt->isVisible());
            QCOMPARE(fond(u.LabBou[0]), Bleu);
        };
        // Between the two panes lies the window's background.
        const QPoint fondFenetre((u.fraLocal->geometry().right() + u.fraSite->x()) / 2, 5);
        QVERIFY(!u.centre->childAt(fondFenetre));
        for (QWidget *w : {u.List4->viewport(), u.List1->viewport(), u.List2->viewport(),
                           u.List3->viewport(), static_cast<QWidget *>(u.centre)}) {
            montre();
            survole(w, w == u.centre ? fondFenetre : QPoint(1, 1));
            QVERIFY2(u.ttt->isHidden(), qPrintable(w->objectName()));
            QCOMPARE(fond(u.LabBou[0]), Marine);
        }
        // List6 only calms the labels.
        montre();
        survole(u.List6->viewport());
        QVERIFY(u.ttt->isVisible());
        QCOMPARE(fond(u.LabBou[0]), Marine);
        // The pane backgrounds, the box itself and the splitter bars hide it.
        for (QWidget *w : {static_cast<QWidget *>(u.fraLocal), static_cast<QWidget *>(u.fraSite),
                           static_cast<QWidget *>(u.LTTT), static_cast<QWidget *>(u.LabMove[0]),
                           static_cast<QWidget *>(u.LabMove[1])}) {
            montre();
            const QPoint vide = w == u.fraLocal || w == u.fraSite ? QPoint(2, 2) : QPoint(-1, -1);
            survole(w, vide);
            QVERIFY2(u.ttt->isHidden(), qPrintable(w->objectName()));
            QCOMPARE(fond(u.LabBou[0]), Bleu);
        }
        // A move over a pane's button reaches the pane too when the button
        // ignores it: the button's hint stays.
        survole(u.BTL[1]);
        QVERIFY(u.ttt->isVisible());
        const QPoint surBouton = u.BTL[1]->geometry().center();
        QMouseEvent propage(QEvent::MouseMove, QPointF(surBouton), QPointF(surBouton),
                            QPointF(u.fraLocal->mapToGlobal(surBouton)), Qt::NoButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(u.fraLocal, &propage);
        QVERIFY(u.ttt->isVisible());
        // Moving from one hinted control to another only replaces the text.
        survole(u.BTs[4]);
        QCOMPARE(u.LTTT->text(), QStringLiteral("Supprimer le fichier"));
    }

    // "Go!", "Ex" and "Copie" as a user presses them, with their colours.
    void actionsRapides() {
        Form1Ui &u = ui();
        QDir(m_banc.Local()).mkpath(QStringLiteral("a/b"));
        const QString cible = QDir::cleanPath(m_banc.Local(QStringLiteral("a/b")));
        const QString avant = u.dirLocal->Path();

        // "Go!" with an empty box, then a missing folder: nothing moves.
        u.TCop[0]->clear();
        QTest::mouseClick(u.LabBou[0], Qt::LeftButton);
        QCOMPARE(u.dirLocal->Path(), avant);
        u.TCop[0]->setText(m_banc.Local(QStringLiteral("absent")));
        QTest::mouseClick(u.LabBou[0], Qt::LeftButton);
        QCOMPARE(u.dirLocal->Path(), avant);
        // A pasted path moves the local views.
        u.TCop[0]->setText(cible + QLatin1Char('/'));
        QTest::mousePress(u.LabBou[0], Qt::LeftButton);
        QCOMPARE(fond(u.LabBou[0]), Rouge);
        QTest::mouseRelease(u.LabBou[0], Qt::LeftButton);
        QCOMPARE(fond(u.LabBou[0]), Marine);
        QCOMPARE(u.dirLocal->Path(), cible);
        QCOMPARE(u.filLocal->Path(), cible);

        // "Ex": the file manager on the folder the file list shows.
        QTest::mouseClick(u.LabBou[2], Qt::LeftButton);
        QCOMPARE(m_banc.shell.appels.size(), 1);
        QCOMPARE(m_banc.shell.appels.last(),
                 (ShellEnregistreur::Appel{QStringLiteral("OuvreDossier"), {cible}}));

        // "Copie": the site address box onto the clipboard, empty included.
        u.TCop[1]->setText(QStringLiteral("http://exemple.test/un fichier.txt"));
        QTest::mouseClick(u.LabBou[1], Qt::LeftButton);
        QCOMPARE(m_banc.shell.pressePapiers, QStringLiteral("http://exemple.test/un fichier.txt"));
        u.TCop[1]->clear();
        QTest::mouseClick(u.LabBou[1], Qt::LeftButton);
        QCOMPARE(m_banc.shell.appels.last().operation, QStringLiteral("CopieDansPressePapiers"));
        QCOMPARE(m_banc.shell.pressePapiers, QString());
    }

    // A screen reader hears each image button's hint, not its pane's title.
    void nomsAccessibles() {
        Form1Ui &u = ui();
        for (const auto *rangee : {&u.BTL, &u.BTs, &u.Vert, &u.RecDelta}) {
            for (QToolButton *b : *rangee) {
                if (Tag(b).isEmpty())
                    continue;
                QAccessibleInterface *a = QAccessible::queryAccessibleInterface(b);
                QVERIFY(a);
                QCOMPARE(a->text(QAccessible::Name), Tag(b));
            }
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(u.BTs[10])->text(QAccessible::Name),
                 QStringLiteral("Télécharger les fichiers sélectionnés"));
        for (QLabel *l : std::as_const(u.LabBou))
            QCOMPARE(QAccessible::queryAccessibleInterface(l)->text(QAccessible::Name), Tag(l));
        QCOMPARE(QAccessible::queryAccessibleInterface(u.Command6)->text(QAccessible::Name),
                 QStringLiteral("Reconnecter"));
        QCOMPARE(QAccessible::queryAccessibleInterface(u.Command4)->text(QAccessible::Name),
                 QStringLiteral("Aide"));
    }

    // Every window, walked control by control: each one the keyboard reaches
    // has a name to announce.
    void chaqueControleANom() {
        ui().Command3->click();
        Form2 connexion(LiensDialogueConnexion(*m_f));
        Form3 automatisation;
        Form4 transfert;
        Certificat c;
        c.sujet = c.emetteur = QStringLiteral("CN=ftp.example.org");
        c.hote = QStringLiteral("ftp.example.org");
        c.port = 21;
        c.raison = QStringLiteral("Certificat auto-signé");
        FormCertificat certificat(c);
        QStringList sansNom;
        for (QWidget *fenetre : std::initializer_list<QWidget *>{
                 m_f.get(), ui().Frame3, &connexion, &automatisation, &transfert, &certificat}) {
            for (const QString &controle : controlesSansNom(fenetre))
                sansNom << fenetre->objectName() + QLatin1Char('/') + controle;
        }
        QVERIFY2(sansNom.isEmpty(), qPrintable(sansNom.join(", ")));
        // The slots and fields of the command-line space by their role.
        QStringList noms;
        for (const QWidget *w : {static_cast<QWidget *>(automatisation.Command2[0]),
                                 static_cast<QWidget *>(automatisation.Command2[9]),
                                 static_cast<QWidget *>(automatisation.TxtSite),
                                 static_cast<QWidget *>(automatisation.txtUtilisateur),
                                 static_cast<QWidget *>(automatisation.txtMDP),
                                 static_cast<QWidget *>(automatisation.ficLoc),
                                 static_cast<QWidget *>(automatisation.ficDist)})
            noms << QAccessible::queryAccessibleInterface(const_cast<QWidget *>(w))
                        ->text(QAccessible::Name);
        QCOMPARE(noms, (QStringList{"Emplacement 0", "Emplacement 9", "Site", "Utilisateur",
                                    "Mot de passe", "Fichier local", "Fichier distant"}));
    }

    // Both panes draw folders with the program's own pictures, whatever the
    // desktop's theme: the folder yellow appears in the local folder list.
    void memesImagesDeDossier() {
        Form1Ui &u = ui();
        QVERIFY(u.dirLocal->count() > 0);
        const QImage vue = u.dirLocal->viewport()->grab().toImage();
        const QColor jaune(0xf7, 0xcf, 0x5c);
        int points = 0;
        for (int y = 0; y < vue.height(); ++y)
            for (int x = 0; x < std::min(vue.width(), 60); ++x)
                points += vue.pixelColor(x, y) == jaune;
        QVERIFY2(points > 0, "no folder picture of the program in dirLocal");
        QCOMPARE(u.ilsIcone.value(1).pixmap(16).toImage(),
                 DirListBox::ImageDossier(false).pixmap(16).toImage());
    }

    // "Annuler" heard by a screen reader: its press asks for the stop at once,
    // without waiting for the event loop.
    void annulerParLecteurDEcran() {
        Form1Ui &u = ui();
        u.Frame1->show();
        m_f->etat().DefinitCnDl(0);
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(u.Command5);
        QVERIFY(a && a->actionInterface());
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(m_f->etat().CnDl(), short(-1));
    }

    // "A propos..." twice; the scrolling and its wrap-around; what closes the
    // panel; the links and the help.
    void panneauEtAide() {
        Form1Ui &u = ui();
        auto *panneau = m_f->findChild<PanneauInfo *>();
        QVERIFY(panneau);

        u.Command3->click();
        QVERIFY(u.Frame3->isVisible());
        QVERIFY(u.Timer1->isActive());
        QCOMPARE(u.Label1[3]->text(), QStringLiteral("Version: 3.3"));
        QCOMPARE(u.Frame3->width(), u.centre->width());
        QCOMPARE(u.Frame3->height(), u.fraAction->y());
        QCOMPARE(u.Image3->x(), u.Frame3->width());
        QVERIFY(qAbs(u.Label1[4]->x() + u.Label1[4]->width() / 2 - u.Frame3->width() / 2) <= 1);

        // 200 twips a tick; back to the right edge once below -100 twips.
        int ticks = 0;
        while (u.Image3->x() >= Twips::EnPixels(-100 + 200) && ticks < 1000) {
            panneau->Timer1_Timer();
            ++ticks;
        }
        const int dernier = u.Image3->x();
        QVERIFY(dernier >= Twips::EnPixels(-100));
        panneau->Timer1_Timer();
        QCOMPARE(u.Image3->x(), u.Frame3->width());

        u.Command3->click();
        QVERIFY(u.Frame3->isHidden());
        QVERIFY(!u.Timer1->isActive());
        // Reopened: the icon starts again from the right edge.
        panneau->Timer1_Timer();
        u.Command3->click();
        QCOMPARE(u.Image3->x(), u.Frame3->width());

        // Hover colours of the two entries and the panel's background.
        survole(u.Label1[4]);
        QCOMPARE(fond(u.Label1[4]), Bleu);
        survole(u.Label1[0]);
        QCOMPARE(fond(u.Label1[0]), Bleu);
        survole(u.Frame3, QPoint(2, 2));
        QCOMPARE(fond(u.Label1[4]), QColor(Qt::white));
        QCOMPARE(fond(u.Label1[0]), QColor(255, 255, 128));

        // "Aide" opens the help and leaves the panel; the links, with no
        // address from the build, open the help too; the title closes it.
        QTest::mouseClick(u.Label1[0], Qt::LeftButton);
        QVERIFY(u.Frame3->isVisible());
        QTest::mouseClick(u.LabeSite, Qt::LeftButton);
        QTest::mouseClick(u.Labcoucou, Qt::LeftButton);
        QVERIFY(u.Frame3->isVisible());
        const QString attendu = InfoProduit::SiteAuteur().isEmpty()
                                    ? QStringLiteral("AfficheAide")
                                    : QStringLiteral("OuvreAdresseWeb");
        QCOMPARE(m_banc.shell.appels.size(), 3);
        QCOMPARE(m_banc.shell.appels[0].operation, QStringLiteral("AfficheAide"));
        QCOMPARE(m_banc.shell.appels[1].operation, attendu);
        QCOMPARE(m_banc.shell.appels[2].operation, attendu);
        for (int entree : {1, 2, 3, 4}) {
            if (u.Frame3->isHidden())
                u.Command3->click();
            QTest::mouseClick(u.Label1[entree], Qt::LeftButton);
            QVERIFY2(u.Frame3->isHidden(), qPrintable(u.Label1[entree]->objectName()));
            QVERIFY(!u.Timer1->isActive());
        }
        u.Command3->click();
        QTest::mouseClick(u.Frame3, Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(u.Frame3->isHidden());

        // F1 and Command4 open the help document, the one beside the program.
        m_banc.shell.appels.clear();
        u.Command4->click();
        QTest::keyClick(m_f.get(), Qt::Key_F1);
        QCOMPARE(m_banc.shell.appels.size(), 2);
        for (const auto &a : std::as_const(m_banc.shell.appels)) {
            QCOMPARE(a.operation, QStringLiteral("AfficheAide"));
            QCOMPARE(a.arguments, QStringList{m_f->programme().FichierAide});
        }
        QVERIFY(QFileInfo(m_f->programme().FichierAide).isFile());
        QVERIFY(m_f->programme().FichierAide.endsWith(QStringLiteral("AideFTP.html")));
        // It tells what the window does: a site folder opens on a double click.
        QFile aide(m_f->programme().FichierAide);
        QVERIFY(aide.open(QIODevice::ReadOnly));
        const QString texte = QString::fromUtf8(aide.readAll());
        QVERIFY(!texte.contains(QStringLiteral("Un clic sur un dossier de l’arbre l’ouvre")));
        QVERIFY(texte.contains(QStringLiteral("<b>double clic</b> l’ouvre")));
    }

    // The panel at the smallest and at a large window size, opened there or
    // resized while open: inside the client area, its lines on one left edge
    // and whole inside it, "Retour" and "Aide" centred.
    void panneauDansLaFenetre() {
        Form1Ui &u = ui();
        const QList<QLabel *> lignes{u.Label1[1], u.Label1[3], u.Label1[2], u.LabeSite,
                                     u.Labcoucou};
        const auto verifie = [&](const char *cas) {
            QCoreApplication::processEvents();
            const QRect zone = u.centre->rect();
            const QRect panneau = u.Frame3->geometry();
            QVERIFY2(zone.contains(panneau), cas);
            QCOMPARE(panneau.left(), 0);
            QCOMPARE(panneau.width(), zone.width());
            QVERIFY2(panneau.height() >= u.fraAction->y(), cas);
            for (QLabel *l : lignes) {
                QVERIFY2(l->x() == lignes[0]->x(),
                         qPrintable(l->objectName() + QLatin1Char(' ') + QLatin1String(cas)));
                QVERIFY2(u.Frame3->rect().contains(l->geometry()), qPrintable(l->objectName()));
                // Its whole text shown: wrapped within its width, or as wide as it needs.
                QVERIFY2(l->wordWrap() ? l->height() >= l->heightForWidth(l->width())
                                       : l->width() >= l->sizeHint().width() &&
                                             l->height() >= l->sizeHint().height(),
                         qPrintable(l->objectName() + QLatin1Char(' ') + QLatin1String(cas)));
            }
            for (QLabel *b : {u.Label1[4], u.Label1[0]}) {
                QVERIFY2(u.Frame3->rect().contains(b->geometry()), qPrintable(b->objectName()));
                QVERIFY(qAbs(b->x() + b->width() / 2 - panneau.width() / 2) <= 1);
            }
            for (QLabel *image : std::as_const(u.Image1))
                QVERIFY2(u.Frame3->rect().contains(image->geometry()), cas);
        };
        m_f->resize(m_f->minimumSize());
        QCoreApplication::processEvents();
        u.Command3->click();
        verifie("ouvert au plus petit");
        m_f->resize(1600, 1000);
        verifie("agrandi ouvert");
        QCOMPARE(u.Image3->x(), u.Frame3->width());
        u.Command3->click();
        u.Command3->click();
        verifie("ouvert en grand");
        QCOMPARE(u.Frame3->height(), u.fraAction->y());
        m_f->resize(m_f->minimumSize());
        verifie("rapetisse ouvert");
    }

    // F1 opens the help from every window, modal dialogs included; help,
    // folders and documents the desktop can't open leave a red line in the
    // log, also when asked from inside a modal dialog.
    void aideDepuisChaqueFenetre() {
        Form1Ui &u = ui();
        const auto aideDepuis = [&](QDialog &dialogue) {
            QTimer::singleShot(0, &dialogue, [&] {
                QWidget *modal = QApplication::activeModalWidget();
                QVERIFY(modal == &dialogue);
                QTest::keyClick(modal->focusWidget() ? modal->focusWidget() : modal, Qt::Key_F1);
                dialogue.reject();
            });
            dialogue.exec();
        };
        Form2 connexion(LiensDialogueConnexion(*m_f));
        aideDepuis(connexion);
        Certificat c;
        c.hote = QStringLiteral("ftp.example.org");
        FormCertificat certificat(c);
        aideDepuis(certificat);
        Form3 automatisation;
        automatisation.show();
        QTest::keyClick(automatisation.TxtSite, Qt::Key_F1);
        Form4 transfert;
        transfert.show();
        QTest::keyClick(&transfert, Qt::Key_F1);
        u.Command3->click();
        QTest::keyClick(u.Frame3, Qt::Key_F1);
        QCOMPARE(m_banc.shell.appels.size(), 5);
        for (const auto &a : std::as_const(m_banc.shell.appels))
            QCOMPARE(a, (ShellEnregistreur::Appel{"AfficheAide", {m_f->programme().FichierAide}}));
        // Shift+F1 is not the help.
        QTest::keyClick(m_f.get(), Qt::Key_F1, Qt::ShiftModifier);
        QCOMPARE(m_banc.shell.appels.size(), 5);

        // Nothing on the desktop to open anything.
        m_banc.shell.resultat = false;
        const auto derniere = [&] { return derniereLigne(u); };
        const QString sansProgramme =
            QStringLiteral(" : aucun programme pour l'ouvrir (xdg-open ou un navigateur)");
        aideDepuis(connexion);
        QCOMPARE(derniere().first.mid(8), QStringLiteral(" > Impossible d'ouvrir l'aide ") +
                                              m_f->programme().FichierAide + sansProgramme);
        QCOMPARE(derniere().second, Rouge);
        u.TxtAction->clear();
        u.Command4->click();
        QVERIFY(derniere().first.contains(QStringLiteral("Impossible d'ouvrir l'aide")));
        QCOMPARE(derniere().second, Rouge);
        // The help missing from the installation says so.
        m_f->programme().FichierAide = m_banc.Local(QStringLiteral("AideFTP.html"));
        QTest::keyClick(m_f.get(), Qt::Key_F1);
        QCOMPARE(derniere().first.mid(8), QStringLiteral(" > Impossible d'ouvrir l'aide ") +
                                              m_f->programme().FichierAide +
                                              QStringLiteral(" : fichier absent"));
        // "Ex", the local folder in the file manager.
        u.Command3->click();
        QTest::mouseClick(u.LabBou[2], Qt::LeftButton);
        QCOMPARE(m_banc.shell.appels.last().operation, QStringLiteral("OuvreDossier"));
        QCOMPARE(derniere().first.mid(8), QStringLiteral(" > Impossible d'ouvrir le dossier ") +
                                              u.filLocal->Path() + sansProgramme);
        QCOMPARE(derniere().second, Rouge);
    }

    // The real shell on a desktop without anything to open the help: the
    // opener missing, or present but failing (no browser), says so in red.
    void aideSansProgrammeDOuverture() {
        Form1Ui &u = ui();
        QTemporaryDir bin;
        QVERIFY(bin.isValid());
        struct Remet {
            QByteArray path = qgetenv("PATH");
            ShellEnregistreur &shell;
            ~Remet() {
                qputenv("PATH", path);
                DefinitShell(&shell);
            }
        } remet{qgetenv("PATH"), m_banc.shell};
        qputenv("PATH", bin.path().toLocal8Bit());
        DefinitShell(nullptr);
        const auto rouge = [&] {
            const auto [texte, couleur] = derniereLigne(u);
            return texte.contains(QStringLiteral(" > Impossible d'ouvrir l'aide ")) &&
                   couleur == Rouge;
        };
        u.Command4->click();
        QTRY_VERIFY_WITH_TIMEOUT(rouge(), 10000);

        // xdg-open there, but nothing on the desktop takes the file.
        u.TxtAction->clear();
        const QString xdg = bin.filePath(QStringLiteral("xdg-open"));
        QVERIFY(EcritFichierLocal(xdg, "#!/bin/sh\nexit 3\n"));
        QVERIFY(QFile::setPermissions(xdg, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        u.Command4->click();
        QVERIFY(!rouge());
        QTRY_VERIFY_WITH_TIMEOUT(rouge(), 10000);
    }

    // The real boxes, as a screen reader finds them: named by their text.
    void boitesNommeesParLeurTexte() {
        PromptsDialogues boites;
        QStringList noms;
        const auto repond = [&] {
            QTimer::singleShot(0, [&] {
                QWidget *b = QApplication::activeModalWidget();
                QVERIFY(b);
                noms << b->accessibleName();
                static_cast<QDialog *>(b)->reject();
            });
        };
        repond();
        boites.Message(QString(), QStringLiteral("Transfert terminé."));
        repond();
        boites.Question(QString(), QStringLiteral("Supprimer notes.txt ?"), Prompts::Choix::OuiNon);
        repond();
        boites.Saisie(QString(), QStringLiteral("Nom du dossier ?"), QString());
        QCOMPARE(noms, (QStringList{QStringLiteral("Transfert terminé."),
                                    QStringLiteral("Supprimer notes.txt ?"),
                                    QStringLiteral("Nom du dossier ?")}));
    }

    void adresseDeContact() {
        const QString contact = InfoProduit::ContactAuteur();
        if (InfoProduit::SiteAuteur().isEmpty())
            QVERIFY(contact.isEmpty());
        else
            QVERIFY(contact.endsWith(QStringLiteral("/contacter.php?sub=Quillon V 3.3.0")));
    }
};

QTEST_MAIN(TstAide)
#include "tst_aide.moc"
