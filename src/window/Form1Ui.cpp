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

} // namespace

void Form1Ui::setupUi(QMainWindow *form) {
    initialiseRessources();
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

    // Menu
    mnuFichier = form->menuBar()->addMenu(QStringLiteral("Fichier"));
    mnuFichier->setObjectName(QStringLiteral("mnuFichier"));
    MconAuto = mnuFichier->addAction(QStringLiteral("Connexion Auto"));
    MconAuto->setObjectName(QStringLiteral("MconAuto"));
    MconAuto->setCheckable(true);
    mnuConnexion = mnuFichier->addAction(QStringLiteral("Nouvelle connexion"));
    mnuConnexion->setObjectName(QStringLiteral("mnuConnexion"));
    mnusep = mnuFichier->addSeparator();
    mnusep->setObjectName(QStringLiteral("mnusep"));
    mnuQuitter = mnuFichier->addAction(QStringLiteral("Quitter"));
    mnuQuitter->setObjectName(QStringLiteral("mnuQuitter"));

    centre = new QWidget(form);
    centre->setObjectName(QStringLiteral("centre"));
    form->setCentralWidget(centre);

    // ---- Local pane ----
    fraLocal = new QGroupBox(QStringLiteral("Local"), centre);
    fraLocal->setObjectName(QStringLiteral("fraLocal"));
    Place(fraLocal, 0, 0, 4100, 5900);

    const struct {
        int indice;
        const char *image;
    } boutonsLocaux[] = {{1, "haut"},          {2, "nouveau_dossier"}, {3, "renommer"},
                         {4, "suppr_fichier"}, {5, "suppr_dossier"},   {6, "ouvrir"},
                         {10, "envoyer"},      {11, "recharger"},      {0, "glisse_refuse"},
                         {7, "glisse_ok"},     {8, "glisse_dossier"},  {9, "depose_dossier"}};
    int rang = 0;
    for (const auto &b : boutonsLocaux) {
        QToolButton *bt = boutonImage(fraLocal, nomIndice("BTL", b.indice), b.image);
        // Elements 0, 7, 8 and 9 only hold drag pictures.
        const bool porteImage = b.indice == 0 || (b.indice >= 7 && b.indice <= 9);
        Place(bt, porteImage ? 120 : 120 + rang * 345, 240, 330, 330);
        bt->setVisible(!porteImage);
        if (!porteImage)
            ++rang;
        BTL.insert(b.indice, bt);
    }

    drvLocal = new DriveListBox(fraLocal);
    drvLocal->setObjectName(QStringLiteral("drvLocal"));
    Place(drvLocal, 120, 660, 3860, 330);
    dirLocal = new DirListBox(fraLocal);
    dirLocal->setObjectName(QStringLiteral("dirLocal"));
    dirLocal->setIconSize(QSize(16, 16));
    Place(dirLocal, 120, 1190, 3860, 1890);

    // Splitter row, local side
    LabMove.insert(1, etiquette(fraLocal, nomIndice("LabMove", 1), QString()));
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
        QToolButton *b = boutonImage(fraLocal, nomIndice("Vert", v.indice), v.image);
        DefinitTag(b, QString::fromUtf8(v.indice_texte));
        Place(b, v.gauche, 3150, 300, 300);
        Vert.insert(v.indice, b);
    }
    RecDelta.insert(0, boutonImage(fraLocal, nomIndice("RecDelta", 0), "comparer_local"));
    DefinitTag(RecDelta[0], QStringLiteral("Liste des fichiers absents sur le site"));
    Place(RecDelta[0], 1065, 3150, 300, 300);
    LabNB.insert(0, etiquette(fraLocal, nomIndice("LabNB", 0), QStringLiteral("0 fichiers.")));
    Place(LabNB[0], 1740, 3150, 1800, 300);
    Place(LabMove[1], 1680, 3165, 4100, 300);

    filLocal = new FileListBox(fraLocal);
    filLocal->setObjectName(QStringLiteral("filLocal"));
    Place(filLocal, 120, 3450, 3860, 2150);
    List1 = liste(fraLocal, "List1");
    fond(List1, QColor(255, 255, 192));
    List1->hide();
    List3 = liste(fraLocal, "List3");
    fond(List3, QColor(192, 255, 192));
    DefinitTag(List3, QString());
    List3->hide();

    TCop.insert(0, new QLineEdit(fraLocal));
    TCop[0]->setObjectName(nomIndice("TCop", 0));
    Place(TCop[0], 120, 5630, 3080, 255);

    // ---- Site pane ----
    fraSite = new QGroupBox(QStringLiteral("Site"), centre);
    fraSite->setObjectName(QStringLiteral("fraSite"));
    Place(fraSite, 4280, 0, 4100, 5900);

    const struct {
        int indice;
        const char *image;
    } boutonsSite[] = {{0, nullptr},    {1, "haut"},          {2, "nouveau_dossier"},
                       {3, "renommer"}, {4, "suppr_fichier"}, {5, "suppr_dossier"},
                       {6, "voir"},     {10, "telecharger"},  {11, "cache"}};
    rang = 0;
    for (const auto &b : boutonsSite) {
        QToolButton *bt = boutonImage(fraSite, nomIndice("BTs", b.indice), b.image);
        Place(bt, 120 + rang++ * 345, 240, 330, 330);
        BTs.insert(b.indice, bt);
    }
    DefinitTag(BTs[0], QStringLiteral("Rafraichir"));

    trvSiteDir = new QTreeWidget(fraSite);
    trvSiteDir->setObjectName(QStringLiteral("trvSiteDir"));
    trvSiteDir->setHeaderHidden(true);
    trvSiteDir->setColumnCount(1);
    trvSiteDir->setIconSize(QSize(16, 16));
    Place(trvSiteDir, 120, 660, 3860, 2420);
    ilsIcone.insert(1, icone("dossier"));
    ilsIcone.insert(2, icone("dossier_ouvert"));
    ilsIcone.insert(11, icone("site"));

    // Splitter row, site side
    LabMove.insert(0, etiquette(fraSite, nomIndice("LabMove", 0), QString()));
    // The filter starts 1300 twips after Vert(3): the two buttons and the count
    // share that room.
    Vert.insert(3, boutonImage(fraSite, nomIndice("Vert", 3), nullptr));
    DefinitTag(Vert[3], QStringLiteral("Trier par taille de fichier"));
    Place(Vert[3], 120, 3150, 270, 300);
    RecDelta.insert(1, boutonImage(fraSite, nomIndice("RecDelta", 1), "comparer_site"));
    DefinitTag(RecDelta[1], QStringLiteral("Liste des fichiers absents en local"));
    Place(RecDelta[1], 390, 3150, 270, 300);
    LabNB.insert(1, etiquette(fraSite, nomIndice("LabNB", 1), QStringLiteral("0 fichiers.")));
    Place(LabNB[1], 675, 3150, 735, 300);
    Text1 = new QLineEdit(fraSite);
    Text1->setObjectName(QStringLiteral("Text1"));
    Place(Text1, 1420, 3140, 780, 285);
    Command7 = bouton(fraSite, "Command7", QStringLiteral("Filtrer"));
    Place(Command7, 2220, 3150, 735, 300);
    Command8 = bouton(fraSite, "Command8", QStringLiteral("Reset"));
    Place(Command8, 2985, 3150, 735, 300);
    Place(LabMove[0], 420, 3150, 4100, 300);

    List4 = liste(fraSite, "List4");
    fond(List4, QColor(255, 255, 255));
    Place(List4, 120, 3450, 3860, 2150);
    List5 = liste(fraSite, "List5");
    List5->hide();
    List2 = liste(fraSite, "List2");
    fond(List2, QColor(255, 255, 192));
    List2->hide();
    List6 = liste(fraSite, "List6");
    fond(List6, QColor(192, 255, 192));
    List6->hide();

    TCop.insert(1, new QLineEdit(fraSite));
    TCop[1]->setObjectName(nomIndice("TCop", 1));
    TCop[1]->setToolTip(QStringLiteral("Double click pour changer"));
    Place(TCop[1], 120, 5630, 3255, 255);

    // The splitter bars are transparent and lie under the row's buttons, which
    // keep their clicks; the bar takes the presses between them.
    for (QLabel *barre : {LabMove[0], LabMove[1]}) {
        barre->setCursor(Qt::SizeVerCursor);
        DefinitTag(barre, QString());
        barre->lower();
    }

    // Quick-action labels of the address row
    const struct {
        int indice;
        const char *texte;
        const char *indice_texte;
        QWidget *volet;
        double largeur;
    } rapides[] = {{0, "Go!", "Ouvrir en local le chemin collé ci-contre.", fraLocal, 375},
                   {1, "Copie", "Copier l'adresse URL du fichier distant.", fraSite, 555},
                   {2, "Ex", "Ouvrir l'explorateur de windows en local.", fraLocal, 330}};
    for (const auto &r : rapides) {
        QLabel *l = etiquette(r.volet, nomIndice("LabBou", r.indice), QLatin1String(r.texte));
        l->setAlignment(Qt::AlignCenter);
        l->setFont(police("MS Sans Serif", 9.75, true));
        fond(l, QColor(0, 0, 128), QPalette::Window);
        fond(l, QColor(224, 224, 224), QPalette::WindowText);
        DefinitTag(l, QString::fromUtf8(r.indice_texte));
        Place(l, 3300, 5630, r.largeur, 285);
        LabBou.insert(r.indice, l);
    }

    // ---- Activity log ----
    fraAction = new QGroupBox(QStringLiteral("Informations"), centre);
    fraAction->setObjectName(QStringLiteral("fraAction"));
    Place(fraAction, 60, 5960, 8325, 1815);
    TxtAction = new QTextEdit(fraAction);
    TxtAction->setObjectName(QStringLiteral("TxtAction"));
    TxtAction->setAcceptRichText(false);
    TxtAction->setUndoRedoEnabled(false);
    // Only the program writes the log; the user may still select and copy.
    TxtAction->setReadOnly(true);
    TxtAction->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Place(TxtAction, 120, 240, 6405, 1455);
    Command1 = bouton(fraAction, "Command1", QStringLiteral("Paramètres"));
    Command1->setToolTip(QStringLiteral("Paramètres de connexion"));
    Place(Command1, 6625, 240, 1125, 345);
    Command6 = bouton(fraAction, "Command6", QString());
    Command6->setToolTip(QStringLiteral("Reconnecter"));
    Command6->setIconSize(QSize(18, 18));
    DefinitTag(Command6, QString());
    Place(Command6, 7765, 240, 480, 345);
    Check1 = new QCheckBox(QStringLiteral("Reconnexion Auto"), fraAction);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setToolTip(
        QStringLiteral("Teste continuellement la connexion et la ré initialise au besoin."));
    Place(Check1, 6545, 630, 1700, 285);
    Command3 = bouton(fraAction, "Command3", QStringLiteral("A propos..."));
    Place(Command3, 6625, 960, 1020, 345);
    Command4 = bouton(fraAction, "Command4", QString());
    Command4->setIcon(icone("aide"));
    Place(Command4, 7660, 960, 480, 345);
    Command2 = bouton(fraAction, "Command2", QStringLiteral("Quitter"));
    Place(Command2, 6625, 1350, 1125, 345);

    // ---- Status bar ----
    stbEtat = new QStatusBar(form);
    stbEtat->setObjectName(QStringLiteral("stbEtat"));
    stbEtat->setSizeGripEnabled(true);
    form->setStatusBar(stbEtat);
    stbPanneau1 = new QLabel(stbEtat);
    stbPanneau1->setObjectName(QStringLiteral("stbEtat.Panels(1)"));
    stbPanneau1->setFrameShape(QFrame::StyledPanel);
    stbPanneau1->setFrameShadow(QFrame::Sunken);
    stbEtat->addWidget(stbPanneau1, 1);

    // ---- Progress frame (hidden until a multi-file operation) ----
    Frame1 = new QGroupBox(centre);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    fond(Frame1, form->palette().color(QPalette::Window), QPalette::Window);
    Place(Frame1, 1860, 1950, 4680, 1005);
    Label3 =
        etiquette(Frame1, QStringLiteral("Label3"), QStringLiteral("Déplacement des fichiers"));
    Place(Label3, 195, 60, 3300, 285);
    Label2 = etiquette(Frame1, QStringLiteral("Label2"), QStringLiteral("Veuillez patienter..."));
    Place(Label2, 180, 375, 4335, 255);
    Pprog = etiquette(Frame1, QStringLiteral("Pprog"), QString());
    Pprog->setFrameShape(QFrame::Panel);
    Pprog->setFrameShadow(QFrame::Sunken);
    Place(Pprog, 180, 645, 4335, 270);
    Command5 = bouton(Frame1, "Command5", QStringLiteral("Annuler"));
    Place(Command5, 3600, 45, 945, 285);
    Frame1->hide();

    // ---- Information panel (hidden until "A propos...") ----
    Frame3 = new QFrame(centre);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setFrameShape(QFrame::Box);
    fond(Frame3, form->palette().color(QPalette::Window), QPalette::Window);
    Place(Frame3, 45, 15, 8325, 5900);
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
        QLabel *l = etiquette(Frame3, nomIndice("Label1", e.indice), QString::fromUtf8(e.texte));
        l->setFont(police(e.famille, e.points));
        fond(l, e.couleur, QPalette::WindowText);
        l->setAutoFillBackground(false);
        Place(l, e.gauche, e.haut, e.largeur, e.hauteur);
        Label1.insert(e.indice, l);
    }
    Label1[2]->setWordWrap(true);
    for (int i : {0, 4}) {
        Label1[i]->setAlignment(Qt::AlignCenter);
        Label1[i]->setFrameShape(QFrame::Box);
    }
    fond(Label1[4], form->palette().color(QPalette::Base), QPalette::Window);
    fond(Label1[0], QColor(255, 255, 128), QPalette::Window);
    LabeSite = etiquette(Frame3, QStringLiteral("LabeSite"),
                         QStringLiteral("Visiter le site de l'auteur..."));
    LabeSite->setFont(police("Arial", 12, true, true));
    fond(LabeSite, marine, QPalette::WindowText);
    LabeSite->setAutoFillBackground(false);
    Place(LabeSite, 200, 3045, 2880, 285);
    Labcoucou =
        etiquette(Frame3, QStringLiteral("Labcoucou"), QStringLiteral("Contacter l'auteur..."));
    Labcoucou->setFont(police("Arial", 12, true, true));
    fond(Labcoucou, marine, QPalette::WindowText);
    Labcoucou->setAutoFillBackground(false);
    Place(Labcoucou, 855, 3510, 2220, 285);
    Image3 = etiquette(Frame3, QStringLiteral("Image3"), QString());
    Image3->setScaledContents(true);
    Place(Image3, 3000, 1290, 555, 510);
    const char *images[] = {"connecte", "deconnecte"};
    for (int i = 0; i < 2; ++i) {
        QLabel *l = etiquette(Frame3, nomIndice("Image1", i), QString());
        l->setPixmap(icone(images[i]).pixmap(24, 24));
        Place(l, 5500 + i * 480, 4635, 360, 360);
        Image1.insert(i, l);
    }
    Frame3->hide();

    // ---- Hint box ----
    ttt = new QFrame(centre);
    ttt->setObjectName(QStringLiteral("ttt"));
    fond(ttt, QColor(255, 255, 192), QPalette::Window);
    Place(ttt, 0, 0, 3690, 300);
    LTTT = etiquette(ttt, QStringLiteral("LTTT"), QString());
    LTTT->setAlignment(Qt::AlignCenter);
    LTTT->setFrameShape(QFrame::Box);
    Place(LTTT, 0, 0, 3690, 300);
    ttt->hide();

    // ---- Timers ----
    Timer1 = new QTimer(Frame3);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    Timer2 = new QTimer(form);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(3000);
    Timer3 = new QTimer(form);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setInterval(4000);

    // Overlays above the panes, in the design's order.
    Frame1->raise();
    Frame3->raise();
    ttt->raise();

    // Captions that the machine's fonts make longer than designed grow to
    // their text. The file counts change with every listing and keep their
    // place beside the filter box.
    for (QWidget *w : centre->findChildren<QWidget *>())
        if (!LabNB.values().contains(qobject_cast<QLabel *>(w)))
            AjusteTexte::Agrandit(w);
    // "Ex" is placed from the width of "Go!" and must start where it ends.
    if (Twips::Largeur(LabBou[2]) < Twips::Largeur(LabBou[0]) - 50)
        Twips::DefinitLargeur(LabBou[2], Twips::Largeur(LabBou[0]) - 50);

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
