#include "dialogs/Form2.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ftp/SessionDistante.h"
#include "platform/LocalLists.h"
#include "platform/Prompts.h"
#include "security/Trousseau.h"
#include "settings/Reglages.h"
#include "window/EtatFenetre.h"
#include "window/Form1Ui.h"
#include "window/Globales.h"

namespace {

QPushButton *bouton(const QString &nomObjet, const QString &texte, QWidget *parent) {
    auto *b = new QPushButton(texte, parent);
    b->setObjectName(nomObjet);
    // Enter runs OK only from the user and password boxes.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QCheckBox *caseACocher(const QString &nomObjet, const QString &texte, QWidget *parent) {
    auto *c = new QCheckBox(texte, parent);
    c->setObjectName(nomObjet);
    return c;
}

QString numero(int index) {
    return QString::number(index + 1);
}

// The host text without `schema` and without the port that only makes sense
// with it (`portSchema`); unchanged when it does not start with `schema`.
QString sansSchema(const QString &texte, QLatin1String schema, int portSchema) {
    const QString t = texte.trimmed();
    if (!t.startsWith(schema, Qt::CaseInsensitive))
        return texte;
    QString hote = t.mid(schema.size());
    const int deuxPoints = hote.lastIndexOf(u':');
    // "host:port" or "[v6addr]:port"; a bare IPv6 address has no port.
    const bool avecPort =
        deuxPoints > 0 && (hote.indexOf(u':') == deuxPoints || hote.at(deuxPoints - 1) == u']');
    if (avecPort) {
        bool nombre = false;
        const int port = hote.mid(deuxPoints + 1).toInt(&nombre);
        if (nombre && (port == portSchema || port == 21))
            hote.truncate(deuxPoints);
    }
    return hote;
}

const QLatin1String SchemaSftp("sftp://");
const QLatin1String SchemaFtps("ftps://");

} // namespace

LiensForm2 LiensForm2DeFenetre(QWidget &fenetre, Form1Ui &ui, const EtatFenetre &etat,
                               std::function<void()> komavant) {
    LiensForm2 liens;
    liens.fenetre = &fenetre;
    liens.etat = &etat;
    liens.MconAuto = ui.MconAuto;
    liens.List4 = ui.List4;
    liens.trvSiteDir = ui.trvSiteDir;
    liens.drvLocal = ui.drvLocal;
    liens.dirLocal = ui.dirLocal;
    liens.filLocal = ui.filLocal;
    liens.Komavant = std::move(komavant);
    return liens;
}

Form2::Form2(LiensForm2 liens, QWidget *parent)
    : QDialog(parent ? parent : liens.fenetre), m_liens(std::move(liens)) {
    construit();
    Form_Load();
}

Form2::~Form2() {
    if (m_curseurAttente)
        QApplication::restoreOverrideCursor();
}

void Form2::construit() {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Connexion"));
    setModal(true);

    QLayout *haut = construitChamps();
    construitMemoires();
    Check3 = caseACocher(QStringLiteral("Check3"),
                         QStringLiteral("Connexion Automatique à l'ouverture"), this);
    Check5 = caseACocher(QStringLiteral("Check5"),
                         QStringLiteral("Double clic pour télécharger un fichier (sinon pour "
                                        "l'ouvrir)"),
                         this);
    QLayout *boutonsBas = construitBoutons();
    // How many connections a folder copy opens; left-aligned with the boxes.
    spnConnexions = new QSpinBox(this);
    spnConnexions->setObjectName(QStringLiteral("spnConnexions"));
    spnConnexions->setRange(1, 10);
    lblConnexions = new QLabel(QStringLiteral("Connexions simultanées :"), this);
    lblConnexions->setObjectName(QStringLiteral("lblConnexions"));
    lblConnexions->setBuddy(spnConnexions);
    auto *ligneConnexions = new QHBoxLayout;
    ligneConnexions->addWidget(lblConnexions);
    ligneConnexions->addWidget(spnConnexions);
    ligneConnexions->addStretch(1);

    auto *principal = new QVBoxLayout(this);
    principal->addLayout(haut);
    principal->addWidget(Shape1);
    principal->addWidget(Check3);
    principal->addWidget(Check5);
    principal->addLayout(ligneConnexions);
    principal->addSpacing(6);
    principal->addLayout(boutonsBas);
    connecteControles();
}

// The picture, then host, user, password, anonymous login and encryption.
QLayout *Form2::construitChamps() {
    Label1 = new QLabel(QStringLiteral("Site"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("Utilisateur"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(QStringLiteral("Mot de passe"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    TxtSite = new QLineEdit(this);
    TxtSite->setObjectName(QStringLiteral("TxtSite"));
    txtUtilisateur = new QLineEdit(this);
    txtUtilisateur->setObjectName(QStringLiteral("txtUtilisateur"));
    txtMDP = new QLineEdit(this);
    txtMDP->setObjectName(QStringLiteral("txtMDP"));
    txtMDP->setEchoMode(QLineEdit::Password);
    for (QLineEdit *t : {TxtSite, txtUtilisateur, txtMDP})
        t->setMinimumWidth(220);
    Label1->setBuddy(TxtSite);
    Label2->setBuddy(txtUtilisateur);
    Label3->setBuddy(txtMDP);
    chkAnonyme =
        caseACocher(QStringLiteral("chkAnonyme"), QStringLiteral("Connexion Anonyme"), this);
    cboChiffrement = new QComboBox(this);
    cboChiffrement->setObjectName(QStringLiteral("cboChiffrement"));
    for (Chiffrement c : {Chiffrement::SiDisponible, Chiffrement::Obligatoire, Chiffrement::Aucun})
        cboChiffrement->addItem(TexteChiffrement(c), int(c));
    lblChiffrement = new QLabel(QStringLiteral("Chiffrement"), this);
    lblChiffrement->setObjectName(QStringLiteral("lblChiffrement"));
    lblChiffrement->setBuddy(cboChiffrement);
    cboProtocole = new QComboBox(this);
    cboProtocole->setObjectName(QStringLiteral("cboProtocole"));
    cboProtocole->addItem(QStringLiteral("FTP"), int(Protocole::FTP));
    cboProtocole->addItem(QStringLiteral("SFTP"), int(Protocole::SFTP));
    lblProtocole = new QLabel(QStringLiteral("Protocole"), this);
    lblProtocole->setObjectName(QStringLiteral("lblProtocole"));
    lblProtocole->setBuddy(cboProtocole);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(48, 48);
    Image1->setAlignment(Qt::AlignCenter);

    auto *formulaire = new QFormLayout;
    formulaire->addRow(Label1, TxtSite);
    // Right under the host, which it is read with; as wide as its items, so
    // that the dialog keeps its width.
    auto *ligneProtocole = new QHBoxLayout;
    ligneProtocole->addWidget(cboProtocole);
    ligneProtocole->addStretch(1);
    formulaire->addRow(lblProtocole, ligneProtocole);
    formulaire->addRow(Label2, txtUtilisateur);
    formulaire->addRow(Label3, txtMDP);
    formulaire->addRow(QString(), chkAnonyme);
    formulaire->addRow(lblChiffrement, cboChiffrement);

    auto *haut = new QHBoxLayout;
    haut->addWidget(Image1, 0, Qt::AlignTop);
    haut->addSpacing(8);
    haut->addLayout(formulaire, 1);
    return haut;
}

// The memories, in a framed block of their own.
void Form2::construitMemoires() {
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::StyledPanel);
    auto *grille = new QGridLayout;
    grille->setSpacing(4);
    for (int i = 0; i < NombreMemoires; ++i) {
        Command1[i] = bouton(QStringLiteral("Command1(%1)").arg(i), numero(i), Shape1);
        Command1[i]->setMinimumWidth(90);
        grille->addWidget(Command1[i], i / 3, i % 3);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    Check1 = caseACocher(QStringLiteral("Check1"), QStringLiteral("Modifier"), Shape1);
    Check2 = caseACocher(QStringLiteral("Check2"), QStringLiteral("Effacer"), Shape1);
    Check4 = caseACocher(QStringLiteral("Check4"), QStringLiteral("Rester sur le répertoire local"),
                         Shape1);
    auto *modes = new QHBoxLayout;
    modes->addWidget(Check1);
    modes->addWidget(Check2);
    modes->addStretch(1);
    auto *blocMemoires = new QVBoxLayout(Shape1);
    blocMemoires->addLayout(grille);
    blocMemoires->addLayout(modes);
    blocMemoires->addWidget(Check4);
}

QLayout *Form2::construitBoutons() {
    btnOK = bouton(QStringLiteral("btnOK"), QStringLiteral("OK"), this);
    Command2 = bouton(QStringLiteral("Command2"), QStringLiteral("Annuler"), this);
    Command3 =
        bouton(QStringLiteral("Command3"), QStringLiteral("Automatisation de transferts"), this);
    Command4 = bouton(QStringLiteral("Command4"), QStringLiteral("Dernier emplacement"), this);
    Command4->setVisible(false); // shown by the main window's start-up
    auto *boutonsBas = new QHBoxLayout;
    boutonsBas->addWidget(Command4);
    boutonsBas->addWidget(Command3);
    boutonsBas->addStretch(1);
    boutonsBas->addWidget(btnOK);
    boutonsBas->addWidget(Command2);
    return boutonsBas;
}

void Form2::connecteControles() {
    connect(btnOK, &QPushButton::clicked, this, &Form2::btnOK_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    connect(chkAnonyme, &QCheckBox::toggled, this, &Form2::chkAnonyme_Click);
    // "clicked" comes with the release of the mouse (or the space bar).
    connect(Check3, &QCheckBox::clicked, this, &Form2::Check3_MouseUp);
    connect(Check5, &QCheckBox::clicked, this, &Form2::Check5_MouseUp);
    // Kept as soon as changed, as the two boxes above it are.
    connect(spnConnexions, &QSpinBox::valueChanged, this,
            [](int n) { Reglages::EcritNombre(Reglages::Connexions, n); });
    connect(txtUtilisateur, &QLineEdit::returnPressed, this, &Form2::btnOK_Click);
    connect(txtMDP, &QLineEdit::returnPressed, this, &Form2::btnOK_Click);
    connect(TxtSite, &QLineEdit::textChanged, this, &Form2::TxtSite_Change);
    // Only the person's choice rewrites the host text; a recalled one doesn't.
    connect(cboProtocole, &QComboBox::activated, this, &Form2::cboProtocole_Click);
    connect(cboProtocole, &QComboBox::currentIndexChanged, this, [this] {
        m_protocole = static_cast<Protocole>(cboProtocole->currentData().toInt());
        // SSH protects every session: the TLS choice does not apply.
        const bool ftp = m_protocole == Protocole::FTP;
        cboChiffrement->setEnabled(ftp);
        lblChiffrement->setEnabled(ftp);
    });
}

Chiffrement Form2::chiffrementChoisi() const {
    return static_cast<Chiffrement>(cboChiffrement->currentData().toInt());
}

void Form2::choisitChiffrement(Chiffrement c) {
    cboChiffrement->setCurrentIndex(qMax(0, cboChiffrement->findData(int(c))));
}

void Form2::choisitProtocole(Protocole p) {
    cboProtocole->setCurrentIndex(qMax(0, cboProtocole->findData(int(p))));
}

void Form2::TxtSite_Change() {
    const QString t = TxtSite->text().trimmed();
    if (t.startsWith(SchemaSftp, Qt::CaseInsensitive))
        choisitProtocole(Protocole::SFTP);
    else if (t.startsWith(SchemaFtps, Qt::CaseInsensitive))
        choisitProtocole(Protocole::FTP);
}

void Form2::cboProtocole_Click() {
    const QString t = TxtSite->text();
    const QString corrige = m_protocole == Protocole::SFTP ? sansSchema(t, SchemaFtps, 990)
                                                           : sansSchema(t, SchemaSftp, 22);
    if (corrige != t)
        TxtSite->setText(corrige);
}

void Form2::Form_Load() {
    using namespace Reglages;
    GarderParametres = false;
    // The protocol first: a host text that names one has the last word.
    choisitProtocole(ProtocoleDeTexte(Lit(Reglages::Protocole)));
    TxtSite->setText(Lit(Reglages::TxtSite));
    txtUtilisateur->setText(Lit(TxtUtilisateur));
    txtMDP->setText(Lit(TxtMDP));
    choisitChiffrement(ChiffrementDeTexte(Lit(Reglages::Chiffrement)));

    for (int i = 0; i < NombreMemoires; ++i) {
        const QString section = SectionMemoire(i);
        Souvenir &s = Souvenirs[i];
        s.nom = Lit(section, QLatin1String(MemNomBout));
        s.utilisateur = Lit(section, QLatin1String(MemTxtUtil));
        s.motDePasse = Lit(section, QLatin1String(MemTxtMDP));
        s.site = Lit(section, QLatin1String(MemTxtSite));
        s.lecteur = Lit(section, QLatin1String(MemDrvLoc));
        s.dossier = Lit(section, QLatin1String(MemDirLoc));
        s.dossierFichiers = Lit(section, QLatin1String(MemFilLoc));
        s.chiffrement = ChiffrementDeTexte(Lit(section, QLatin1String(MemChiffrement)));
        s.protocole = ProtocoleDeTexte(Lit(section, QLatin1String(MemProtocole)));
        if (!s.site.isEmpty())
            Command1[i]->setText(s.nom.isEmpty() ? s.utilisateur : s.nom);
        else
            Command1[i]->setText(numero(i));
    }

    QIcon icone = m_liens.fenetre ? m_liens.fenetre->windowIcon() : QIcon();
    if (icone.isNull())
        icone = QApplication::windowIcon();
    if (!icone.isNull())
        Image1->setPixmap(icone.pixmap(32, 32));
    btnOK->setIcon(windowIcon());

    Check3->setChecked(m_liens.MconAuto && m_liens.MconAuto->isChecked());
    Check5->setChecked(!DoubleClicOuvre);
    {
        const QSignalBlocker sansEcriture(spnConnexions);
        spnConnexions->setValue(Reglages::ConnexionsSimultanees());
    }

    // Opened while the keyring still reads: its passwords fill what is still empty.
    if (Trousseau::EtatCourant() == Trousseau::Etat::EnAttente) {
        Trousseau::QuandPret(this, [this] {
            if (txtMDP->text().isEmpty() && !txtMDP->isModified())
                txtMDP->setText(Reglages::Lit(Reglages::TxtMDP));
            for (int i = 0; i < NombreMemoires; ++i) {
                if (Souvenirs[i].motDePasse.isEmpty())
                    Souvenirs[i].motDePasse = Reglages::Lit(Reglages::SectionMemoire(i),
                                                            QLatin1String(Reglages::MemTxtMDP));
            }
        });
    }
}

void Form2::Form_Activate() {
    Command3->setEnabled(m_liens.etat && m_liens.etat->CO() != 0);
}

void Form2::showEvent(QShowEvent *e) {
    QDialog::showEvent(e);
    if (!e->spontaneous())
        Form_Activate();
}

void Form2::Form_Unload() {
    if (!GarderParametres) {
        sSite.clear();
        sUtilisateur.clear();
        sMotDePasse.clear();
    }
}

void Form2::dechargeUneFois() {
    if (m_decharge)
        return;
    m_decharge = true;
    Form_Unload();
}

void Form2::done(int r) {
    dechargeUneFois();
    QDialog::done(r);
}

void Form2::btnOK_Click() {
    if (m_decharge || m_okEnCours)
        return; // Enter held down, or a second click while closing
    m_okEnCours = true;
    hide();
    if (!m_curseurAttente) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_curseurAttente = true;
    }
    QCoreApplication::processEvents();

    if (m_liens.List4)
        m_liens.List4->clear();
    if (m_liens.trvSiteDir)
        m_liens.trvSiteDir->clear();
    sSite = TxtSite->text();
    if (chkAnonyme->isChecked()) {
        sUtilisateur.clear();
        sMotDePasse.clear();
    } else {
        sUtilisateur = txtUtilisateur->text();
        sMotDePasse = txtMDP->text();
    }
    sChiffrement = chiffrementChoisi();
    sProtocole = m_protocole;
    GarderParametres = true;

    using namespace Reglages;
    // An empty password the keyring has not given yet is unknown, not erased.
    const bool trousseauLit = Trousseau::EtatCourant() == Trousseau::Etat::EnAttente;
    const auto connu = [trousseauLit](const QString &mdp) {
        return !trousseauLit || !mdp.isEmpty();
    };
    Groupe groupe; // one rewrite of the settings file for all these keys
    Ecrit(Reglages::TxtSite, TxtSite->text());
    Ecrit(TxtUtilisateur, txtUtilisateur->text());
    if (connu(txtMDP->text()))
        Ecrit(TxtMDP, txtMDP->text());
    Ecrit(Reglages::Chiffrement, ChiffrementEnTexte(sChiffrement));
    Ecrit(Reglages::Protocole, ProtocoleEnTexte(sProtocole));
    for (int i = 0; i < NombreMemoires; ++i) {
        const QString section = SectionMemoire(i);
        const Souvenir &s = Souvenirs[i];
        Ecrit(section, QLatin1String(MemTxtUtil), s.utilisateur);
        if (connu(s.motDePasse))
            Ecrit(section, QLatin1String(MemTxtMDP), s.motDePasse);
        Ecrit(section, QLatin1String(MemTxtSite), s.site);
        Ecrit(section, QLatin1String(MemDrvLoc), s.lecteur);
        Ecrit(section, QLatin1String(MemDirLoc), s.dossier);
        Ecrit(section, QLatin1String(MemFilLoc), s.dossierFichiers);
        Ecrit(section, QLatin1String(MemNomBout), s.nom);
        Ecrit(section, QLatin1String(MemChiffrement), ChiffrementEnTexte(s.chiffrement));
        Ecrit(section, QLatin1String(MemProtocole), ProtocoleEnTexte(s.protocole));
    }
    accept();
}

void Form2::Command2_Click() {
    reject();
}

void Form2::Command3_Click() {
    GarderParametres = true;
    accept();
    QCoreApplication::processEvents();
    // The automation dialog and its information label belong to the
    // automation subsystem, which listens for this.
    emit AutomatisationDemandee();
}

void Form2::Command4_Click() {
    DernierEmplacement = -1;
    // Komavant begins by unloading this dialog: done here, so that the session
    // parameters are emptied before Komavant reads the stored ones.
    reject();
    if (m_liens.Komavant)
        m_liens.Komavant();
}

void Form2::Command1_Click(int index) {
    if (index < 0 || index >= NombreMemoires)
        return;
    QPushButton *b = Command1[index];
    Souvenir &s = Souvenirs[index];

    if (Check2->isChecked()) {
        s = Souvenir{};
        b->setText(QString());
        Check1->setChecked(false);
        Check2->setChecked(false);
        return;
    }

    // A blank button over an empty memory (erased, or its naming cancelled) is
    // an empty memory too: recording into it, rather than "recalling" nothing
    // and then overwriting the stored connection with empty fields.
    const bool vide = b->text() == numero(index) || (b->text().isEmpty() && s.site.isEmpty());
    if (Check1->isChecked() || vide) {
        const std::optional<QString> reponse = PromptsCourant().Saisie(
            QStringLiteral("Souvenir"), QStringLiteral("Nom du bouton"), txtUtilisateur->text());
        const QString nom = reponse.value_or(QString());
        b->setText(nom);
        if (nom.isEmpty())
            return;
        s.utilisateur = txtUtilisateur->text();
        s.motDePasse = txtMDP->text();
        s.site = TxtSite->text();
        s.chiffrement = chiffrementChoisi();
        s.protocole = m_protocole;
        if (m_liens.drvLocal)
            s.lecteur = m_liens.drvLocal->Drive();
        if (m_liens.dirLocal)
            s.dossier = m_liens.dirLocal->Path();
        if (m_liens.filLocal)
            s.dossierFichiers = m_liens.filLocal->Path();
        s.nom = nom;
    } else {
        txtUtilisateur->setText(s.utilisateur);
        txtMDP->setText(s.motDePasse);
        choisitProtocole(s.protocole);
        TxtSite->setText(s.site);
        choisitChiffrement(s.chiffrement);
        if (!Check4->isChecked()) {
            // Each step on its own: a drive or folder that has gone is skipped.
            if (m_liens.drvLocal)
                m_liens.drvLocal->setDrive(s.lecteur);
            if (m_liens.dirLocal)
                m_liens.dirLocal->setPath(s.dossier);
            if (m_liens.filLocal)
                m_liens.filLocal->setPath(s.dossierFichiers);
        }
    }

    if (!Check2->isChecked() && !Check1->isChecked())
        btnOK_Click();
    Check1->setChecked(false);
    Check2->setChecked(false);
}

void Form2::chkAnonyme_Click() {
    const bool anonyme = chkAnonyme->isChecked();
    for (QLineEdit *t : {txtUtilisateur, txtMDP}) {
        t->setEnabled(!anonyme);
        QPalette p = t->palette();
        p.setColor(QPalette::Base,
                   QApplication::palette().color(anonyme ? QPalette::Button : QPalette::Base));
        t->setPalette(p);
        if (anonyme)
            t->clear();
    }
}

void Form2::Check3_MouseUp() {
    if (!m_liens.MconAuto)
        return;
    m_liens.MconAuto->setChecked(Check3->isChecked());
    Reglages::EcritBooleen(Reglages::ConAuto, m_liens.MconAuto->isChecked());
}

void Form2::Check5_MouseUp() {
    DoubleClicOuvre = !Check5->isChecked();
    Reglages::EcritBooleen(Reglages::DBC, DoubleClicOuvre);
}
