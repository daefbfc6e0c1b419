#include "automation/Form3.h"

#include "automation/CreationRaccourci.h"
#include "automation/LigneCommande.h"
#include "ftp/SessionDistante.h"
#include "security/Trousseau.h"
#include "settings/Reglages.h"
#include "window/AjusteTexte.h"
#include "window/Globales.h"
#include "window/Twips.h"

#include <QDebug>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

enum Mode { Ouvrir = 0, Enregistrer = 1, Raccourcis = 2, Effacer = 3 };

} // namespace

QString Form3::NomFichierLocal(const QString &chemin) {
    return chemin.mid(chemin.lastIndexOf(u'/') + 1);
}

Form3::Form3(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Espace ligne de commande"));
    setFixedSize(Twips::EnPixelsTronques(8790), Twips::EnPixelsTronques(4680));
    setMouseTracking(true);
    // Closed by "Fermer" or the close box, it is unloaded: the next opening
    // starts from the design state.
    setAttribute(Qt::WA_DeleteOnClose);

    // Created in the design's order, which is the tab order.
    construitCadres();
    construitEmplacements();
    construitModes();
    construitSelection();
    construitIdentifiants();

    LabInfo = new QLabel(this);
    LabInfo->setObjectName(QStringLiteral("LabInfo"));
    LabInfo->setWordWrap(true);
    LabInfo->setGeometry(Twips::RectangleTronque(300, 3960, 6600, 480));

    Command1 = new QPushButton(QStringLiteral("Fermer"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::RectangleTronque(7200, 3990, 1290, 405));
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);

    Form_Load();
}

// Two rounded frames: around the slots and modes, around the transfer's boxes.
void Form3::construitCadres() {
    auto cadre = [this](int i, int x, int y, int l, int h) {
        auto *f = new QFrame(this);
        f->setObjectName(QStringLiteral("Shape1(%1)").arg(i));
        f->setStyleSheet(QStringLiteral("#Shape1\\(%1\\) { border: 1px solid gray; "
                                        "border-radius: 8px; }")
                             .arg(i));
        f->setGeometry(Twips::RectangleTronque(x, y, l, h));
        f->setAttribute(Qt::WA_TransparentForMouseEvents);
    };
    cadre(0, 150, 150, 4650, 2280);
    cadre(1, 150, 2520, 8490, 2010);
}

void Form3::construitEmplacements() {
    auto *titreSlots = new QLabel(QStringLiteral("Transferts enregistrés"), this);
    titreSlots->setGeometry(Twips::RectangleTronque(300, 300, 4350, 360));
    for (int i = 0; i < NombreBoutons; ++i) {
        auto *b = new QPushButton(QStringLiteral("0"), this);
        b->setObjectName(QStringLiteral("Command2(%1)").arg(i));
        b->setGeometry(Twips::RectangleTronque(300 + 435 * i, 735, 435, 405));
        b->installEventFilter(this);
        // Its caption is the slot's number, or nothing while the slot is empty.
        b->setAccessibleName(QStringLiteral("Emplacement %1").arg(i));
        connect(b, &QPushButton::clicked, this, [this, i] { Command2_Click(i); });
        Command2[i] = b;
    }
}

void Form3::construitModes() {
    const char *options[4] = {"Ouvrir", "Enregistrer...", "Creer des raccourcis sur le bureau...",
                              "Effacer."};
    // From top to bottom: Enregistrer, raccourcis, Effacer, Ouvrir.
    const int hauts[4] = {2070, 1290, 1550, 1810};
    for (int i = 0; i < 4; ++i) {
        auto *o = new QRadioButton(QString::fromUtf8(options[i]), this);
        o->setObjectName(QStringLiteral("Option1(%1)").arg(i));
        o->setGeometry(Twips::RectangleTronque(300, hauts[i], 4350, 260));
        connect(o, &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
        Option1[i] = o;
    }
    Option1[Ouvrir]->setChecked(true);
    Option1[Enregistrer]->setEnabled(false);
    Option1[Raccourcis]->setEnabled(false);
}

// The pick button, its explanation shown while the mouse is on it, and the
// description of the slot under the mouse.
void Form3::construitSelection() {
    Command3 = new QPushButton(QStringLiteral("Sélectionner les fichiers"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setGeometry(Twips::RectangleTronque(4950, 300, 3600, 450));
    Command3->installEventFilter(this);
    connect(Command3, &QPushButton::clicked, this, &Form3::Command3_Click);

    Label7 = new QLabel(
        QStringLiteral("Aller sur la page principale pour sélectionner le fichier en local, et le "
                       "répertoire distant en cliquant dans les listes rouges. Vous pourrez "
                       "enregistrer ce transfert grace aux 10 boutons de gauche, puis créer les "
                       "raccourcis sur le bureau qui d'un clic lanceront ce transfert d'une "
                       "manière instantanée."),
        this);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setWordWrap(true);
    Label7->setAutoFillBackground(true);
    Label7->setStyleSheet(QStringLiteral("background-color: white;"));
    Label7->setGeometry(Twips::RectangleTronque(4950, 840, 3600, 1590));
    AjusteTexte::Agrandit(Label7);
    Label7->hide();

    Label8 = new QLabel(QStringLiteral("Transfert sélectionné"), this);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setGeometry(Twips::RectangleTronque(4950, 1500, 3600, 300));
    Label6 = new QLabel(this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setGeometry(Twips::RectangleTronque(4950, 1800, 3600, 300));
}

void Form3::construitIdentifiants() {
    auto boite = [this](const char *nom, const char *libelle, const char *nomAccessible, int x,
                        int y, int l) {
        auto *lab = new QLabel(QString::fromUtf8(libelle), this);
        lab->setGeometry(Twips::RectangleTronque(x, y, l, 240));
        auto *e = new QLineEdit(this);
        e->setObjectName(QLatin1String(nom));
        e->setGeometry(Twips::RectangleTronque(x, y + 240, l, 315));
        lab->setBuddy(e);
        e->setAccessibleName(QString::fromUtf8(nomAccessible));
        return e;
    };
    TxtSite = boite("TxtSite", "Site", "Site", 300, 2640, 2700);
    txtUtilisateur = boite("txtUtilisateur", "Utilisateur", "Utilisateur", 3150, 2640, 2550);
    txtMDP = boite("txtMDP", "Mot de passe", "Mot de passe", 5850, 2640, 2640);
    txtMDP->setEchoMode(QLineEdit::Password);
    ficLoc = boite("ficLoc", "fichier local", "Fichier local", 300, 3270, 4050);
    ficDist = boite("ficDist", "fichier distant", "Fichier distant", 4440, 3270, 4050);
}

void Form3::marqueBouton(int n, const QString &description) {
    QPushButton *b = Command2[n];
    const bool enregistre = !description.isNull();
    QFont f = b->font();
    f.setBold(enregistre);
    b->setFont(f);
    b->setText(enregistre ? QString::number(n) : QString());
    b->setToolTip(enregistre ? description : QString());
}

void Form3::Form_Load() {
    TxtSite->setText(sSite);
    txtUtilisateur->setText(sUtilisateur);
    txtMDP->setText(sMotDePasse);
    chiffrement = sChiffrement;
    protocole = sProtocole;
    const QString section = QLatin1String(Reglages::SectionLDC);
    for (int n = 0; n < NombreBoutons; ++n) {
        const QString distant = Reglages::Lit(section, Reglages::CleLDC("FicDis", n));
        if (distant.isEmpty()) {
            marqueBouton(n, QString());
            continue;
        }
        const QString local = Reglages::Lit(section, Reglages::CleLDC("FicLoc", n));
        const QString utilisateur =
            Reglages::Lit(section, Reglages::CleLDC("txtUtilisateur", n), QStringLiteral("???"));
        marqueBouton(n, NomFichierLocal(local) + QStringLiteral(" sur ") + utilisateur);
    }
}

void Form3::Command2_Click(int Index) {
    if (Index < 0 || Index >= NombreBoutons)
        return;
    if (Option1[Effacer]->isChecked()) {
        EcritEmplacement(Index, EmplacementTransfert{});
        marqueBouton(Index, QString());
        // Its launchers could only fail now.
        SupprimeRaccourcis(Index);
    } else if (Option1[Enregistrer]->isChecked()) {
        EmplacementTransfert e;
        e.site = TxtSite->text();
        e.utilisateur = txtUtilisateur->text();
        e.motDePasse = txtMDP->text();
        e.distant = ficDist->text();
        e.local = ficLoc->text();
        e.chiffrement = chiffrement;
        e.protocole = protocole;
        EcritEmplacement(Index, e);
        marqueBouton(Index, NomFichierLocal(e.local) + QStringLiteral(" sur ") + e.utilisateur);
    } else if (Option1[Ouvrir]->isChecked()) {
        // A missing key leaves its box as it is.
        const QString section = QLatin1String(Reglages::SectionLDC);
        const std::pair<const char *, QLineEdit *> boites[] = {{"TxtSite", TxtSite},
                                                               {"txtUtilisateur", txtUtilisateur},
                                                               {"txtMDP", txtMDP},
                                                               {"FicDis", ficDist},
                                                               {"FicLoc", ficLoc}};
        for (const auto &[cle, boite] : boites)
            boite->setText(Reglages::Lit(section, Reglages::CleLDC(cle, Index), boite->text()));
        // The keyring still reads: its password for the slot comes when it has it.
        if (Trousseau::EtatCourant() == Trousseau::Etat::EnAttente) {
            Trousseau::QuandPret(this, [this, section, Index] {
                if (!txtMDP->isModified())
                    txtMDP->setText(
                        Reglages::Lit(section, Reglages::CleLDC("txtMDP", Index), txtMDP->text()));
            });
        }
        chiffrement =
            ChiffrementDeTexte(Reglages::Lit(section, Reglages::CleLDC("Chiffrement", Index)));
        protocole = ProtocoleDeTexte(Reglages::Lit(section, Reglages::CleLDC("Protocole", Index)));
        Option1[Enregistrer]->setEnabled(true);
        Option1[Raccourcis]->setEnabled(true);
    } else if (Option1[Raccourcis]->isChecked()) {
        const QString f = NomFichierLocal(ficLoc->text());
        const QString s = TxtSite->text();
        QString raison;
        if (!CreeRaccourci(Index, f + QStringLiteral(" sur ") + s, QStringLiteral("L"), &raison) ||
            !CreeRaccourci(Index, f + QStringLiteral(" depuis ") + s, QStringLiteral("N"),
                           &raison)) {
            LabInfo->setText(raison);
            qWarning().noquote() << raison;
        }
    }
    Option1[Ouvrir]->setChecked(true);
}

void Form3::Command2_MouseMove(int Index) {
    if (Index >= 0 && Index < NombreBoutons)
        Label6->setText(Command2[Index]->toolTip());
}

void Form3::Option1_Click(int) {
    LabInfo->setText(QStringLiteral("Choisissez le bouton correspondant à l'action désirée"));
}

void Form3::Command3_Click() {
    FichierLocalChoisi = false;
    FichierSiteChoisi = false;
    hide();
    if (CommenceChoix)
        CommenceChoix();
}

void Form3::Command1_Click() {
    close();
}

bool Form3::eventFilter(QObject *objet, QEvent *evenement) {
    if (evenement->type() == QEvent::Enter || evenement->type() == QEvent::MouseMove) {
        if (objet == Command3) {
            Label7->show();
        } else {
            for (int i = 0; i < NombreBoutons; ++i)
                if (objet == Command2[i])
                    Command2_MouseMove(i);
        }
    }
    return QWidget::eventFilter(objet, evenement);
}

void Form3::mouseMoveEvent(QMouseEvent *evenement) {
    Label7->hide();
    QWidget::mouseMoveEvent(evenement);
}
