#include "window/Form1Ui.h"

#include "platform/LocalLists.h"
#include "window/AjusteTexte.h"
#include "window/Twips.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

// The resources live in the static core library: referencing them from here
// keeps the linker from dropping them.
static void initialiseRessources() {
    Q_INIT_RESOURCE(quillon);
}

QString Tag(const QObject *controle) {
    return controle ? controle->property("Tag").toString() : QString();
}

void DefinitTag(QObject *controle, const QString &texte) {
    if (controle)
        controle->setProperty("Tag", texte);
}

namespace {

using Twips::Place;

QString nomIndice(const char *nom, int indice) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(nom)).arg(indice);
}

QIcon icone(const char *nom) {
    return QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(nom)));
}

void fond(QWidget *w, const QColor &couleur, QPalette::ColorRole role = QPalette::Base) {
    QPalette p = w->palette();
    p.setColor(role, couleur);
    w->setPalette(p);
    if (role == QPalette::Window)
        w->setAutoFillBackground(true);
}

QToolButton *boutonImage(QWidget *parent, const QString &nom, const char *image) {
    auto *b = new QToolButton(parent);
    b->setObjectName(nom);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setIconSize(QSize(16, 16));
    if (image)
        b->setIcon(icone(image));
    return b;
}

QListWidget *liste(QWidget *parent, const char *nom) {
    auto *l = new QListWidget(parent);
    l->setObjectName(QLatin1String(nom));
    l->setSelectionMode(QAbstractItemView::ExtendedSelection);
    l->setUniformItemSizes(true);
    return l;
}

QLabel *etiquette(QWidget *parent, const QString &nom, const QString &texte) {
    auto *l = new QLabel(texte, parent);
    l->setObjectName(nom);
    return l;
}

QPushButton *bouton(QWidget *parent, const char *nom, const QString &texte) {
    auto *b = new QPushButton(texte, parent);
    b->setObjectName(QLatin1String(nom));
    return b;
}

QFont police(const char *famille, qreal points, bool gras = false, bool souligne = false) {
    QFont f{QLatin1String(famille)};
    f.setPointSizeF(points);
    f.setBold(gras);
    f.setUnderline(souligne);
    return f;
}

void prepareFenetre(QMainWindow *form) {
    form->setObjectName(QStringLiteral("Form1"));
    form->setWindowTitle(QStringLiteral("Quillon"));
    form->setWindowIcon(icone("quillon"));
    // The design is measured for the small, narrow dialog font of its time: a
    // condensed face keeps the captions inside their twips.
    QFont petite = form->font();
    petite.setFamilies({QStringLiteral("DejaVu Sans Condensed"),
                        QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial Narrow"),
                        petite.family()});
    petite.setPointSizeF(8);
    form->setFont(petite);
}

void construitMenu(Form1Ui &u, QMainWindow *form) {
    u.mnuFichier = form->menuBar()->addMenu(QStringLiteral("Fichier"));
    u.mnuFichier->setObjectName(QStringLiteral("mnuFichier"));
    u.MconAuto = u.mnuFichier->addAction(QStringLiteral("Connexion Auto"));
    u.MconAuto->setObjectName(QStringLiteral("MconAuto"));
    u.MconAuto->setCheckable(true);
    u.mnuConnexion = u.mnuFichier->addAction(QStringLiteral("Nouvelle connexion"));
    u.mnuConnexion->setObjectName(QStringLiteral("mnuConnexion"));
    u.mnusep = u.mnuFichier->addSeparator();
    u.mnusep->setObjectName(QStringLiteral("mnusep"));
    u.mnuQuitter = u.mnuFichier->addAction(QStringLiteral("Quitter"));
    u.mnuQuitter->setObjectName(QStringLiteral("mnuQuitter"));
}

// The splitter row, local side: sort buttons, comparison, file count.
void construitRangeePartageLocale(Form1Ui &u) {
    u.LabMove.insert(1, etiquette(u.fraLocal, nomIndice("LabMove", 1), QString()));
    const struct {
        int indice;
        const char *image;
        const char *indice_texte;
        double gauche;
    } vertsLocaux[] = {{0, "tri_date", "Trier par date.", 120},
                       {1, "tri_taille", "Trier par taille de fichier", 435},
                       {2, nullptr, "Rafraichir", 750},
                       {4, "ouvrir_avec", "Ouvrir avec...", 1380}};
    for (const auto &v : vertsLocaux) {
        QToolButton *b = boutonImage(u.fraLocal, nomIndice("Vert", v.indice), v.image);
        DefinitTag(b, QString::fromUtf8(v.indice_texte));
        Place(b, v.gauche, 3150, 300, 300);
        u.Vert.insert(v.indice, b);
    }
    u.RecDelta.insert(0, boutonImage(u.fraLocal, nomIndice("RecDelta", 0), "comparer_local"));
    DefinitTag(u.RecDelta[0], QStringLiteral("Liste des fichiers absents sur le site"));
    Place(u.RecDelta[0], 1065, 3150, 300, 300);
    u.LabNB.insert(0, etiquette(u.fraLocal, nomIndice("LabNB", 0), QStringLiteral("0 fichiers.")));
    Place(u.LabNB[0], 1740, 3150, 1800, 300);
    Place(u.LabMove[1], 1680, 3165, 4100, 300);
}

void construitVoletLocal(Form1Ui &u) {
    u.fraLocal = new QGroupBox(QStringLiteral("Local"), u.centre);
    u.fraLocal->setObjectName(QStringLiteral("fraLocal"));
    Place(u.fraLocal, 0, 0, 4100, 5900);

    const struct {
        int indice;
        const char *image;
    } boutonsLocaux[] = {{1, "haut"},          {2, "nouveau_dossier"}, {3, "renommer"},
                         {4, "suppr_fichier"}, {5, "suppr_dossier"},   {6, "ouvrir"},
                         {10, "envoyer"},      {11, "recharger"},      {0, "glisse_refuse"},
                         {7, "glisse_ok"},     {8, "glisse_dossier"},  {9, "depose_dossier"}};
    int rang = 0;
    for (const auto &b : boutonsLocaux) {
        QToolButton *bt = boutonImage(u.fraLocal, nomIndice("BTL", b.indice), b.image);
        // Elements 0, 7, 8 and 9 only hold drag pictures.
        const bool porteImage = b.indice == 0 || (b.indice >= 7 && b.indice <= 9);
        Place(bt, porteImage ? 120 : 120 + rang * 345, 240, 330, 330);
        bt->setVisible(!porteImage);
        if (!porteImage)
            ++rang;
        u.BTL.insert(b.indice, bt);
    }

    u.drvLocal = new DriveListBox(u.fraLocal);
    u.drvLocal->setObjectName(QStringLiteral("drvLocal"));
    Place(u.drvLocal, 120, 660, 3860, 330);
    u.dirLocal = new DirListBox(u.fraLocal);
    u.dirLocal->setObjectName(QStringLiteral("dirLocal"));
    u.dirLocal->setIconSize(QSize(16, 16));
    Place(u.dirLocal, 120, 1190, 3860, 1890);

    construitRangeePartageLocale(u);

    u.filLocal = new FileListBox(u.fraLocal);
    u.filLocal->setObjectName(QStringLiteral("filLocal"));
    Place(u.filLocal, 120, 3450, 3860, 2150);
    u.List1 = liste(u.fraLocal, "List1");
    fond(u.List1, QColor(255, 255, 192));
    u.List1->hide();
    u.List3 = liste(u.fraLocal, "List3");
    fond(u.List3, QColor(192, 255, 192));
    DefinitTag(u.List3, QString());
    u.List3->hide();

    u.TCop.insert(0, new QLineEdit(u.fraLocal));
    u.TCop[0]->setObjectName(nomIndice("TCop", 0));
    Place(u.TCop[0], 120, 5630, 3080, 255);
}

// The splitter row, site side: sort, comparison, file count and the filter.
void construitRangeePartageSite(Form1Ui &u) {
    u.LabMove.insert(0, etiquette(u.fraSite, nomIndice("LabMove", 0), QString()));
    // The filter starts 1300 twips after Vert(3): the two buttons and the count
    // share that room.
    u.Vert.insert(3, boutonImage(u.fraSite, nomIndice("Vert", 3), nullptr));
    DefinitTag(u.Vert[3], QStringLiteral("Trier par taille de fichier"));
    Place(u.Vert[3], 120, 3150, 270, 300);
    u.RecDelta.insert(1, boutonImage(u.fraSite, nomIndice("RecDelta", 1), "comparer_site"));
    DefinitTag(u.RecDelta[1], QStringLiteral("Liste des fichiers absents en local"));
    Place(u.RecDelta[1], 390, 3150, 270, 300);
    u.LabNB.insert(1, etiquette(u.fraSite, nomIndice("LabNB", 1), QStringLiteral("0 fichiers.")));
    Place(u.LabNB[1], 675, 3150, 735, 300);
    u.Text1 = new QLineEdit(u.fraSite);
    u.Text1->setObjectName(QStringLiteral("Text1"));
    Place(u.Text1, 1420, 3140, 780, 285);
    u.Command7 = bouton(u.fraSite, "Command7", QStringLiteral("Filtrer"));
    Place(u.Command7, 2220, 3150, 735, 300);
    u.Command8 = bouton(u.fraSite, "Command8", QStringLiteral("Reset"));
    Place(u.Command8, 2985, 3150, 735, 300);
    Place(u.LabMove[0], 420, 3150, 4100, 300);
}

void construitVoletSite(Form1Ui &u) {
    u.fraSite = new QGroupBox(QStringLiteral("Site"), u.centre);
    u.fraSite->setObjectName(QStringLiteral("fraSite"));
    Place(u.fraSite, 4280, 0, 4100, 5900);

    const struct {
        int indice;
        const char *image;
    } boutonsSite[] = {{0, nullptr},    {1, "haut"},          {2, "nouveau_dossier"},
                       {3, "renommer"}, {4, "suppr_fichier"}, {5, "suppr_dossier"},
                       {6, "voir"},     {10, "telecharger"},  {11, "cache"}};
    int rang = 0;
    for (const auto &b : boutonsSite) {
        QToolButton *bt = boutonImage(u.fraSite, nomIndice("BTs", b.indice), b.image);
        Place(bt, 120 + rang++ * 345, 240, 330, 330);
        u.BTs.insert(b.indice, bt);
    }
    DefinitTag(u.BTs[0], QStringLiteral("Rafraichir"));

    u.trvSiteDir = new QTreeWidget(u.fraSite);
    u.trvSiteDir->setObjectName(QStringLiteral("trvSiteDir"));
    u.trvSiteDir->setHeaderHidden(true);
    u.trvSiteDir->setColumnCount(1);
    u.trvSiteDir->setIconSize(QSize(16, 16));
    Place(u.trvSiteDir, 120, 660, 3860, 2420);
    u.ilsIcone.insert(1, icone("dossier"));
    u.ilsIcone.insert(2, icone("dossier_ouvert"));
    u.ilsIcone.insert(11, icone("site"));

    construitRangeePartageSite(u);

    u.List4 = liste(u.fraSite, "List4");
    fond(u.List4, QColor(255, 255, 255));
    Place(u.List4, 120, 3450, 3860, 2150);
    u.List5 = liste(u.fraSite, "List5");
    u.List5->hide();
    u.List2 = liste(u.fraSite, "List2");
    fond(u.List2, QColor(255, 255, 192));
    u.List2->hide();
    u.List6 = liste(u.fraSite, "List6");
    fond(u.List6, QColor(192, 255, 192));
    u.List6->hide();

    u.TCop.insert(1, new QLineEdit(u.fraSite));
    u.TCop[1]->setObjectName(nomIndice("TCop", 1));
    u.TCop[1]->setToolTip(QStringLiteral("Double click pour changer"));
    Place(u.TCop[1], 120, 5630, 3255, 255);
}

// The splitter bars are transparent and lie under the row's buttons, which
// keep their clicks; the bar takes the presses between them.
void prepareBarresPartage(Form1Ui &u) {
    for (QLabel *barre : {u.LabMove[0], u.LabMove[1]}) {
        barre->setCursor(Qt::SizeVerCursor);
        DefinitTag(barre, QString());
        barre->lower();
    }
}

// Quick-action labels of the address row
void construitActionsRapides(Form1Ui &u) {
    const struct {
        int indice;
        const char *texte;
        const char *indice_texte;
        QWidget *volet;
        double largeur;
    } rapides[] = {{0, "Go!", "Ouvrir en local le chemin collé ci-contre.", u.fraLocal, 375},
                   {1, "Copie", "Copier l'adresse URL du fichier distant.", u.fraSite, 555},
                   {2, "Ex", "Ouvrir l'explorateur de windows en local.", u.fraLocal, 330}};
    for (const auto &r : rapides) {
        QLabel *l = etiquette(r.volet, nomIndice("LabBou", r.indice), QLatin1String(r.texte));
        l->setAlignment(Qt::AlignCenter);
        l->setFont(police("MS Sans Serif", 9.75, true));
        fond(l, QColor(0, 0, 128), QPalette::Window);
        fond(l, QColor(224, 224, 224), QPalette::WindowText);
        DefinitTag(l, QString::fromUtf8(r.indice_texte));
        Place(l, 3300, 5630, r.largeur, 285);
        u.LabBou.insert(r.indice, l);
    }
}

// The activity log and the buttons beside it.
void construitJournal(Form1Ui &u) {
    u.fraAction = new QGroupBox(QStringLiteral("Informations"), u.centre);
    u.fraAction->setObjectName(QStringLiteral("fraAction"));
    Place(u.fraAction, 60, 5960, 8325, 1815);
    u.TxtAction = new QTextEdit(u.fraAction);
    u.TxtAction->setObjectName(QStringLiteral("TxtAction"));
    u.TxtAction->setAcceptRichText(false);
    u.TxtAction->setUndoRedoEnabled(false);
    // Only the program writes the log; the user may still select and copy.
    u.TxtAction->setReadOnly(true);
    u.TxtAction->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Place(u.TxtAction, 120, 240, 6405, 1455);
    u.Command1 = bouton(u.fraAction, "Command1", QStringLiteral("Paramètres"));
    u.Command1->setToolTip(QStringLiteral("Paramètres de connexion"));
    Place(u.Command1, 6625, 240, 1125, 345);
    u.Command6 = bouton(u.fraAction, "Command6", QString());
    u.Command6->setToolTip(QStringLiteral("Reconnecter"));
    u.Command6->setIconSize(QSize(18, 18));
    DefinitTag(u.Command6, QString());
    Place(u.Command6, 7765, 240, 480, 345);
    u.Check1 = new QCheckBox(QStringLiteral("Reconnexion Auto"), u.fraAction);
    u.Check1->setObjectName(QStringLiteral("Check1"));
    u.Check1->setToolTip(
        QStringLiteral("Teste continuellement la connexion et la ré initialise au besoin."));
    Place(u.Check1, 6545, 630, 1700, 285);
    u.Command3 = bouton(u.fraAction, "Command3", QStringLiteral("A propos..."));
    Place(u.Command3, 6625, 960, 1020, 345);
    u.Command4 = bouton(u.fraAction, "Command4", QString());
    u.Command4->setIcon(icone("aide"));
    Place(u.Command4, 7660, 960, 480, 345);
    u.Command2 = bouton(u.fraAction, "Command2", QStringLiteral("Quitter"));
    Place(u.Command2, 6625, 1350, 1125, 345);
}

void construitBarreEtat(Form1Ui &u, QMainWindow *form) {
    u.stbEtat = new QStatusBar(form);
    u.stbEtat->setObjectName(QStringLiteral("stbEtat"));
    u.stbEtat->setSizeGripEnabled(true);
    form->setStatusBar(u.stbEtat);
    u.stbPanneau1 = new QLabel(u.stbEtat);
    u.stbPanneau1->setObjectName(QStringLiteral("stbEtat.Panels(1)"));
    u.stbPanneau1->setFrameShape(QFrame::StyledPanel);
    u.stbPanneau1->setFrameShadow(QFrame::Sunken);
    u.stbEtat->addWidget(u.stbPanneau1, 1);
}

// Hidden until a multi-file operation.
void construitProgression(Form1Ui &u, QMainWindow *form) {
    u.Frame1 = new QGroupBox(u.centre);
    u.Frame1->setObjectName(QStringLiteral("Frame1"));
    fond(u.Frame1, form->palette().color(QPalette::Window), QPalette::Window);
    Place(u.Frame1, 1860, 1950, 4680, 1005);
    u.Label3 =
        etiquette(u.Frame1, QStringLiteral("Label3"), QStringLiteral("Déplacement des fichiers"));
    Place(u.Label3, 195, 60, 3300, 285);
    u.Label2 =
        etiquette(u.Frame1, QStringLiteral("Label2"), QStringLiteral("Veuillez patienter..."));
    Place(u.Label2, 180, 375, 4335, 255);
    u.Pprog = etiquette(u.Frame1, QStringLiteral("Pprog"), QString());
    u.Pprog->setFrameShape(QFrame::Panel);
    u.Pprog->setFrameShadow(QFrame::Sunken);
    Place(u.Pprog, 180, 645, 4335, 270);
    u.Command5 = bouton(u.Frame1, "Command5", QStringLiteral("Annuler"));
    Place(u.Command5, 3600, 45, 945, 285);
    u.Frame1->hide();
}

// Hidden until "A propos...".
void construitPanneauInfo(Form1Ui &u, QMainWindow *form) {
    u.Frame3 = new QFrame(u.centre);
    u.Frame3->setObjectName(QStringLiteral("Frame3"));
    u.Frame3->setFrameShape(QFrame::Box);
    fond(u.Frame3, form->palette().color(QPalette::Window), QPalette::Window);
    Place(u.Frame3, 45, 15, 8325, 5900);
    const QColor marine(0, 0, 128);
    const struct {
        int indice;
        const char *texte;
        const char *famille;
        qreal points;
        QColor couleur;
        double gauche, haut, largeur, hauteur;
    } etiquettes[] = {
        {1, "Quillon", "Comic Sans MS", 20.25, marine, 45, 90, 6135, 1275},
        {3, "Version:", "Comic Sans MS", 14.25, marine, 200, 855, 3420, 435},
        {2,
         "Ce programme est libre (licence GNU GPL version 3 ou ultérieure) : vous pouvez le "
         "copier, "
         "le modifier et le distribuer.",
         "Comic Sans MS", 12, QColor(192, 64, 0), 200, 1845, 5520, 870},
        {4, "Retour", "Comic Sans MS", 12, QColor(0, 0, 0), 90, 4230, 1350, 375},
        {0, "Aide", "Comic Sans MS", 12, QColor(0, 0, 0), 90, 4635, 1350, 375},
    };
    for (const auto &e : etiquettes) {
        QLabel *l = etiquette(u.Frame3, nomIndice("Label1", e.indice), QString::fromUtf8(e.texte));
        l->setFont(police(e.famille, e.points));
        fond(l, e.couleur, QPalette::WindowText);
        l->setAutoFillBackground(false);
        Place(l, e.gauche, e.haut, e.largeur, e.hauteur);
        u.Label1.insert(e.indice, l);
    }
    u.Label1[2]->setWordWrap(true);
    for (int i : {0, 4}) {
        u.Label1[i]->setAlignment(Qt::AlignCenter);
        u.Label1[i]->setFrameShape(QFrame::Box);
    }
    fond(u.Label1[4], form->palette().color(QPalette::Base), QPalette::Window);
    fond(u.Label1[0], QColor(255, 255, 128), QPalette::Window);
    u.LabeSite = etiquette(u.Frame3, QStringLiteral("LabeSite"),
                           QStringLiteral("Visiter le site de l'auteur..."));
    u.LabeSite->setFont(police("Arial", 12, true, true));
    fond(u.LabeSite, marine, QPalette::WindowText);
    u.LabeSite->setAutoFillBackground(false);
    Place(u.LabeSite, 200, 3045, 2880, 285);
    u.Labcoucou =
        etiquette(u.Frame3, QStringLiteral("Labcoucou"), QStringLiteral("Contacter l'auteur..."));
    u.Labcoucou->setFont(police("Arial", 12, true, true));
    fond(u.Labcoucou, marine, QPalette::WindowText);
    u.Labcoucou->setAutoFillBackground(false);
    Place(u.Labcoucou, 855, 3510, 2220, 285);
    u.Image3 = etiquette(u.Frame3, QStringLiteral("Image3"), QString());
    u.Image3->setScaledContents(true);
    Place(u.Image3, 3000, 1290, 555, 510);
    const char *images[] = {"connecte", "deconnecte"};
    for (int i = 0; i < 2; ++i) {
        QLabel *l = etiquette(u.Frame3, nomIndice("Image1", i), QString());
        l->setPixmap(icone(images[i]).pixmap(24, 24));
        Place(l, 5500 + i * 480, 4635, 360, 360);
        u.Image1.insert(i, l);
    }
    u.Frame3->hide();
}

void construitBulle(Form1Ui &u) {
    u.ttt = new QFrame(u.centre);
    u.ttt->setObjectName(QStringLiteral("ttt"));
    fond(u.ttt, QColor(255, 255, 192), QPalette::Window);
    Place(u.ttt, 0, 0, 3690, 300);
    u.LTTT = etiquette(u.ttt, QStringLiteral("LTTT"), QString());
    u.LTTT->setAlignment(Qt::AlignCenter);
    u.LTTT->setFrameShape(QFrame::Box);
    Place(u.LTTT, 0, 0, 3690, 300);
    u.ttt->hide();
}

void construitMinuteries(Form1Ui &u, QMainWindow *form) {
    u.Timer1 = new QTimer(u.Frame3);
    u.Timer1->setObjectName(QStringLiteral("Timer1"));
    u.Timer1->setInterval(500);
    u.Timer2 = new QTimer(form);
    u.Timer2->setObjectName(QStringLiteral("Timer2"));
    u.Timer2->setInterval(3000);
    u.Timer3 = new QTimer(form);
    u.Timer3->setObjectName(QStringLiteral("Timer3"));
    u.Timer3->setInterval(4000);
}

// Captions that the machine's fonts make longer than designed grow to
// their text. The file counts change with every listing and keep their
// place beside the filter box.
void ajusteLibelles(Form1Ui &u) {
    for (QWidget *w : u.centre->findChildren<QWidget *>())
        if (!u.LabNB.values().contains(qobject_cast<QLabel *>(w)))
            AjusteTexte::Agrandit(w);
    // "Ex" is placed from the width of "Go!" and must start where it ends.
    if (Twips::Largeur(u.LabBou[2]) < Twips::Largeur(u.LabBou[0]) - 50)
        Twips::DefinitLargeur(u.LabBou[2], Twips::Largeur(u.LabBou[0]) - 50);
}

} // namespace

void Form1Ui::setupUi(QMainWindow *form) {
    initialiseRessources();
    prepareFenetre(form);
    construitMenu(*this, form);

    centre = new QWidget(form);
    centre->setObjectName(QStringLiteral("centre"));
    form->setCentralWidget(centre);

    // Created in the design's order, which is the tab order.
    construitVoletLocal(*this);
    construitVoletSite(*this);
    prepareBarresPartage(*this);
    construitActionsRapides(*this);
    construitJournal(*this);
    construitBarreEtat(*this, form);
    construitProgression(*this, form);
    construitPanneauInfo(*this, form);
    construitBulle(*this);
    construitMinuteries(*this, form);

    // Overlays above the panes, in the design's order.
    Frame1->raise();
    Frame3->raise();
    ttt->raise();

    ajusteLibelles(*this);

    form->setMinimumSize(Twips::EnPixels(Twips::LargeurMinimum),
                         Twips::EnPixels(Twips::HauteurMinimum));
}

QTreeWidgetItem *Form1Ui::NoeudSelectionne() const {
    const QList<QTreeWidgetItem *> choisis = trvSiteDir->selectedItems();
    return choisis.isEmpty() ? nullptr : choisis.first();
}

QString Form1Ui::CleNoeudSelectionne() const {
    const QTreeWidgetItem *noeud = NoeudSelectionne();
    return noeud ? noeud->data(0, RoleCle).toString() : QString();
}

void Form1Ui::AfficheNombreFichiers(int cote, int nombre) {
    LabNB[cote]->setText(QString::number(nombre) + QStringLiteral(" fichiers."));
}

void Form1Ui::AfficheNombreLocal() {
    AfficheNombreFichiers(0, filLocal->ListCount());
}
