#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "settings/Reglages.h"

using namespace Reglages;

// Each case runs against its own empty config folder.
class TstReglages : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void premierDemarrage();
    void lectureNeCreeRien();
    void emplacementDuFichier();
    void sectionsSansCasse();
    void valeursDifficiles_data();
    void valeursDifficiles();
    void nomsDifficiles_data();
    void nomsDifficiles();
    void valeurVideDistincteDeAbsente();
    void booleens_data();
    void booleens();
    void booleensEcritsEnMots();
    void nombres_data();
    void nombres();
    void nombreEcrit();
    void fichierPrive();
    void ecritureImpossible();
    void listeTapeeALaMain();
    void clesDesMemoiresEtTransferts();
    void grosFichierLuUneFois();
    void groupeEnregistreEnUneFois();
    void motsDePasseDansUnCoffre();

private:
    // The store keeps what it read, and QSettings keeps parsed files in a
    // process-wide cache, trusted while size and time stamp are unchanged:
    // both are told to parse the file on disk again.
    static void forceRelecture() {
        QFile f(CheminFichier());
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                              QFileDevice::FileModificationTime));
        Relit();
    }
    std::unique_ptr<QTemporaryDir> m_config;
    QByteArray m_ancienXdg;
};

void TstReglages::init() {
    m_config = std::make_unique<QTemporaryDir>();
    QVERIFY(m_config->isValid());
    m_ancienXdg = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
}

void TstReglages::cleanup() {
    qputenv("XDG_CONFIG_HOME", m_ancienXdg);
    m_config.reset();
}

void TstReglages::premierDemarrage() {
    const QString programme = QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
    QCOMPARE(Lit(TxtSite), QString());
    QCOMPARE(Lit(PathSite), QStringLiteral("/"));
    QCOMPARE(Lit(DrvLoc), programme);
    QCOMPARE(Lit(DirLoc), programme);
    QCOMPARE(Lit(FilLoc), programme);
    QCOMPARE(DossierProgramme(), programme);
    bool ok = false;
    QCOMPARE(LitNombre(PosW, &ok), 8445.0);
    QVERIFY(ok);
    QCOMPARE(LitNombre(PosH, &ok), 8205.0);
    QCOMPARE(LitNombre(PosLM, &ok), 0.0);
    QCOMPARE(LitBooleen(ConAuto, &ok), false);
    QVERIFY(ok);
    QCOMPARE(LitBooleen(DBC, &ok), true);
    QVERIFY(ok);
    QCOMPARE(LitBooleen(RecAuto), false);
}

void TstReglages::lectureNeCreeRien() {
    QCOMPARE(Lit(QStringLiteral("data"), QStringLiteral("x"), QStringLiteral("d")),
             QStringLiteral("d"));
    QVERIFY(!QFileInfo::exists(CheminFichier()));

    Ecrit(TxtSite, QStringLiteral("ftp.exemple.fr"));
    QFile f(CheminFichier());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray avant = f.readAll();
    f.close();
    Lit(QStringLiteral("autre"), QStringLiteral("absente"));
    LitBooleen(DBC);
    LitNombre(PosW);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), avant);
}

void TstReglages::emplacementDuFichier() {
    const QString nom = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    QCOMPARE(NomApplication(), nom);
    QCOMPARE(CheminFichier(), m_config->path() + "/" + nom + "/" + nom + ".ini");
    // The value is on disk as soon as Ecrit returns.
    Ecrit(TxtUtilisateur, QStringLiteral("marie"));
    QFile f(CheminFichier());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().contains("marie"));
}

void TstReglages::sectionsSansCasse() {
    Ecrit(QStringLiteral("Data"), QStringLiteral("AutreProg"), QStringLiteral("/usr/bin/gedit"));
    QCOMPARE(Lit(QStringLiteral("data"), QStringLiteral("AutreProg")),
             QStringLiteral("/usr/bin/gedit"));
    QCOMPARE(Lit(AutreProg), QStringLiteral("/usr/bin/gedit"));

    Ecrit(QStringLiteral("data"), QStringLiteral("TxtSite"), QStringLiteral("a"));
    Ecrit(QStringLiteral("DATA"), QStringLiteral("TxtSite"), QStringLiteral("b"));
    QCOMPARE(Lit(QStringLiteral("Data"), QStringLiteral("TxtSite")), QStringLiteral("b"));
    QCOMPARE(Lit(TxtSite), QStringLiteral("b"));

    // One section in the file, not two.
    QFile f(CheminFichier());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll().count("[data]"), qsizetype(1));
}

void TstReglages::valeursDifficiles_data() {
    QTest::addColumn<QString>("valeur");
    QTest::newRow("virgules") << QStringLiteral("a,b,,c,");
    QTest::newRow("mot de passe mêlé") << QStringLiteral(" p,a\"s;s=w#o'r d é ");
    QTest::newRow("guillemets") << QStringLiteral("\"entre\"");
    QTest::newRow("point-virgule en tête") << QStringLiteral(";commentaire?");
    QTest::newRow("dièse en tête") << QStringLiteral("#commentaire?");
    QTest::newRow("égal") << QStringLiteral("=x=y=");
    QTest::newRow("arobase") << QStringLiteral("@Variant(\\0\\0\\0\\x7f)");
    QTest::newRow("double arobase") << QStringLiteral("@@");
    QTest::newRow("barres inverses") << QStringLiteral("C:\\Temp\\n\\\\");
    QTest::newRow("crochets") << QStringLiteral("[section]");
    QTest::newRow("espaces seuls") << QStringLiteral("   ");
    QTest::newRow("fin de ligne") << QStringLiteral("ligne1\nligne2\r\n");
    QTest::newRow("tabulation") << QStringLiteral("\tx\t");
    QTest::newRow("accents et emoji") << QStringLiteral("Été à Noël ✓ 😀");
    QTest::newRow("nombre") << QStringLiteral("0012");
    QTest::newRow("mot true") << QStringLiteral("true");
    QTest::newRow("longue") << QString(5000, QLatin1Char('x'));
}

void TstReglages::valeursDifficiles() {
    QFETCH(QString, valeur);
    QVERIFY(Ecrit(TxtMDP, valeur));
    forceRelecture();
    QCOMPARE(Lit(TxtMDP), valeur);
    // Neighbours are untouched by an odd value.
    QVERIFY(Ecrit(TxtUtilisateur, QStringLiteral("u")));
    forceRelecture();
    QCOMPARE(Lit(TxtMDP), valeur);
    QCOMPARE(Lit(TxtUtilisateur), QStringLiteral("u"));
}

void TstReglages::nomsDifficiles_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("cle");
    QTest::newRow("memoire") << QStringLiteral("0") << QStringLiteral("TxtUtil");
    QTest::newRow("barre") << QStringLiteral("a/b") << QStringLiteral("c/d");
    QTest::newRow("barre inverse") << QStringLiteral("a\\b") << QStringLiteral("c\\d");
    QTest::newRow("pourcent") << QStringLiteral("100%") << QStringLiteral("%2f");
    QTest::newRow("General") << QStringLiteral("General") << QStringLiteral("x");
    QTest::newRow("espaces et signes") << QStringLiteral("ma section") << QStringLiteral("k=v;#");
    QTest::newRow("accents") << QStringLiteral("Éléments") << QStringLiteral("clé");
}

void TstReglages::nomsDifficiles() {
    QFETCH(QString, section);
    QFETCH(QString, cle);
    QVERIFY(Ecrit(section, cle, QStringLiteral("valeur")));
    forceRelecture();
    QCOMPARE(Lit(section, cle), QStringLiteral("valeur"));
    QCOMPARE(Lit(section.toUpper(), cle), QStringLiteral("valeur"));
    // No spill-over into a section or key with a similar name.
    QCOMPARE(Lit(section + "x", cle, QStringLiteral("-")), QStringLiteral("-"));
    QCOMPARE(Lit(QStringLiteral("a"), QStringLiteral("b/c/d"), QStringLiteral("-")),
             QStringLiteral("-"));
}

void TstReglages::valeurVideDistincteDeAbsente() {
    Ecrit(DirLoc, QString());
    QCOMPARE(Lit(DirLoc), QString());
    QCOMPARE(Lit(FilLoc), DossierProgramme());
}

void TstReglages::booleens_data() {
    QTest::addColumn<QString>("texte");
    QTest::addColumn<bool>("attendu");
    QTest::addColumn<bool>("valide");
    QTest::newRow("True") << "True" << true << true;
    QTest::newRow("False") << "False" << false << true;
    QTest::newRow("true") << "true" << true << true;
    QTest::newRow("FALSE") << "FALSE" << false << true;
    QTest::newRow("0") << "0" << false << true;
    QTest::newRow("1") << "1" << true << true;
    QTest::newRow("-1") << "-1" << true << true;
    QTest::newRow("2.5") << "2.5" << true << true;
    QTest::newRow("0.0") << "0.0" << false << true;
    QTest::newRow("blancs") << " 1 " << true << true;
    // Not a boolean: `ok` false and the key's default (DBC: true).
    QTest::newRow("oui") << "oui" << true << false;
    QTest::newRow("vide") << "" << true << false;
}

void TstReglages::booleens() {
    QFETCH(QString, texte);
    QFETCH(bool, attendu);
    QFETCH(bool, valide);
    Ecrit(DBC, texte);
    bool ok = !valide;
    QCOMPARE(LitBooleen(DBC, &ok), attendu);
    QCOMPARE(ok, valide);
}

void TstReglages::booleensEcritsEnMots() {
    EcritBooleen(ConAuto, true);
    EcritBooleen(DBC, false);
    QCOMPARE(Lit(ConAuto), QStringLiteral("True"));
    QCOMPARE(Lit(DBC), QStringLiteral("False"));
    QCOMPARE(LitBooleen(ConAuto), true);
    QCOMPARE(LitBooleen(DBC), false);
    QFile f(CheminFichier());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray contenu = f.readAll();
    QVERIFY(contenu.contains("conauto=True"));
    QVERIFY(contenu.contains("dbc=False"));
}

void TstReglages::nombres_data() {
    QTest::addColumn<QString>("texte");
    QTest::addColumn<double>("attendu");
    QTest::addColumn<bool>("valide");
    QTest::newRow("entier") << "8445" << 8445.0 << true;
    QTest::newRow("décimal") << "8445.5" << 8445.5 << true;
    QTest::newRow("virgule décimale") << "8445,5" << 8445.5 << true;
    QTest::newRow("négatif") << "-120" << -120.0 << true;
    QTest::newRow("blancs") << "  300 " << 300.0 << true;
    QTest::newRow("exposant") << "1e3" << 1000.0 << true;
    QTest::newRow("texte") << "large" << 0.0 << false;
    QTest::newRow("suffixe") << "12px" << 0.0 << false;
    QTest::newRow("vide") << "" << 0.0 << false;
    QTest::newRow("infini") << "inf" << 0.0 << false;
    QTest::newRow("deux virgules") << "1,2,3" << 0.0 << false;
}

void TstReglages::nombres() {
    QFETCH(QString, texte);
    QFETCH(double, attendu);
    QFETCH(bool, valide);
    Ecrit(PosW, texte);
    bool ok = !valide;
    QCOMPARE(LitNombre(PosW, &ok), attendu);
    QCOMPARE(ok, valide);
}

void TstReglages::nombreEcrit() {
    EcritNombre(PosW, 8445);
    QCOMPARE(Lit(PosW), QStringLiteral("8445"));
    EcritNombre(PosH, 8205.5);
    QCOMPARE(Lit(PosH), QStringLiteral("8205.5"));
    EcritNombre(PosLM, 0.1);
    QCOMPARE(Lit(PosLM), QStringLiteral("0.1"));
}

void TstReglages::fichierPrive() {
    Ecrit(TxtMDP, QStringLiteral("secret"));
    // Owner, group and other bits (the "User" bits only mirror the owner's).
    const auto droits = [] { return int(QFile::permissions(CheminFichier())) & 0x7077; };
    const auto prive = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QCOMPARE(droits(), int(prive));
    // Made private again even when someone opened it up in between.
    QVERIFY(QFile::setPermissions(CheminFichier(),
                                  prive | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    Ecrit(TxtMDP, QStringLiteral("secret2"));
    QCOMPARE(droits(), int(prive));
    // The folder created for it is private too.
    const auto dossier = QFile::permissions(QFileInfo(CheminFichier()).absolutePath());
    QVERIFY(!(dossier & (QFileDevice::ReadOther | QFileDevice::ReadGroup)));
}

void TstReglages::ecritureImpossible() {
    // The config folder's place is taken by a file: the write fails cleanly.
    const QString dossier = QFileInfo(CheminFichier()).absolutePath();
    QFile bouchon(dossier);
    QVERIFY(bouchon.open(QIODevice::WriteOnly));
    bouchon.close();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("impossible d'écrire"));
    QVERIFY(!Ecrit(TxtSite, QStringLiteral("x")));
    QCOMPARE(Lit(TxtSite), QString());
    // In a group the failure comes at its end, and its values are forgotten.
    Groupe groupe;
    QVERIFY(Ecrit(TxtSite, QStringLiteral("y")));
    QCOMPARE(Lit(TxtSite), QStringLiteral("y"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("impossible d'écrire"));
    QVERIFY(!groupe.Termine());
    QCOMPARE(Lit(TxtSite), QString());
}

void TstReglages::listeTapeeALaMain() {
    // A file written by hand: section and key in another case, a value with
    // commas and no quotes; everything still reads as typed.
    Ecrit(TxtSite, QStringLiteral("x"));
    QFile f(CheminFichier());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[Data]\nTxtSite=a,b,c\ntxtMDP=mot de passe\n");
    f.close();
    forceRelecture();
    QCOMPARE(Lit(TxtSite), QStringLiteral("a,b,c"));
    QCOMPARE(Lit(TxtMDP), QStringLiteral("mot de passe"));
}

void TstReglages::clesDesMemoiresEtTransferts() {
    QCOMPARE(SectionMemoire(0), QStringLiteral("0"));
    QCOMPARE(SectionMemoire(8), QStringLiteral("8"));
    QCOMPARE(CleLDC("TxtSite", 3), QStringLiteral("TxtSite3"));
    QCOMPARE(CleLDC("FicLoc", 0), QStringLiteral("FicLoc0"));
    Ecrit(SectionMemoire(4), QLatin1String(MemTxtUtil), QStringLiteral("paul"));
    Ecrit(QLatin1String(SectionLDC), CleLDC("txtUtilisateur", 4), QStringLiteral("jean"));
    QCOMPARE(Lit(QStringLiteral("4"), QStringLiteral("TxtUtil")), QStringLiteral("paul"));
    QCOMPARE(Lit(QStringLiteral("ldc"), QStringLiteral("txtUtilisateur4")), QStringLiteral("jean"));
}

void TstReglages::grosFichierLuUneFois() {
    // A store of 300,000 keys, as an older run (or a careless script) may
    // leave it, with the program's own keys in odd places and cases.
    QVERIFY(Ecrit(TxtSite, QStringLiteral("x")));
    {
        QFile f(CheminFichier());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QByteArray texte;
        texte.reserve(8 << 20);
        for (int s = 0; s < 300; ++s) {
            texte += "[bourre" + QByteArray::number(s) + "]\n";
            for (int k = 0; k < 1000; ++k)
                texte += "cle" + QByteArray::number(k) + "=valeur\n";
        }
        texte += "[Data]\nTxtSite=ftp.exemple.fr\ntxtMDP=a,b\n[pos]\nw=9000\n";
        f.write(texte);
    }
    forceRelecture();
    QCOMPARE(Lit(TxtSite), QStringLiteral("ftp.exemple.fr"));

    // Another instance rewrites the file: this one keeps reading what it
    // loaded, present and missing keys alike, without going back to the disk.
    {
        QFile f(CheminFichier());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[data]\ntxtsite=autre.fr\nadsite=http://autre.fr\n");
    }
    for (int n = 0; n < 9; ++n)
        QCOMPARE(Lit(SectionMemoire(n), QLatin1String(MemNomBout), QStringLiteral("-")),
                 QStringLiteral("-"));
    QCOMPARE(Lit(TxtSite), QStringLiteral("ftp.exemple.fr"));
    QCOMPARE(Lit(TxtMDP), QStringLiteral("a,b"));
    QCOMPARE(Lit(ADSITE), QString());
    QCOMPARE(LitNombre(PosW), 9000.0);
    QCOMPARE(Lit(QStringLiteral("BOURRE299"), QStringLiteral("Cle999")), QStringLiteral("valeur"));

    // A write merges into the file as it is now: the other instance's keys
    // stay, the written one is there, and reading again sees both.
    QVERIFY(Ecrit(TxtUtilisateur, QStringLiteral("marie")));
    Relit();
    QCOMPARE(Lit(TxtUtilisateur), QStringLiteral("marie"));
    QCOMPARE(Lit(ADSITE), QStringLiteral("http://autre.fr"));
    QCOMPARE(Lit(TxtSite), QStringLiteral("autre.fr"));
    QCOMPARE(Lit(QStringLiteral("bourre0"), QStringLiteral("cle0"), QStringLiteral("-")),
             QStringLiteral("-"));
}

void TstReglages::groupeEnregistreEnUneFois() {
    // The connection dialog's 66 keys: one rewrite of the file, at the end.
    QVERIFY(Ecrit(TxtSite, QStringLiteral("avant")));
    const auto contenu = [] {
        QFile f(CheminFichier());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    {
        Groupe groupe;
        {
            Groupe interieur; // nested: the outer one saves
            QVERIFY(Ecrit(TxtSite, QStringLiteral("pendant")));
        }
        for (int n = 0; n < 9; ++n)
            QVERIFY(
                Ecrit(SectionMemoire(n), QLatin1String(MemNomBout), QStringLiteral("m%1").arg(n)));
        QCOMPARE(Lit(TxtSite), QStringLiteral("pendant"));
        QVERIFY(contenu().contains("txtsite=avant"));
        QVERIFY(!contenu().contains("nombout"));
        QVERIFY(groupe.Termine());
        QVERIFY(contenu().contains("txtsite=pendant"));
    }
    Relit();
    QCOMPARE(Lit(TxtSite), QStringLiteral("pendant"));
    QCOMPARE(Lit(SectionMemoire(8), QLatin1String(MemNomBout)), QStringLiteral("m8"));
    QCOMPARE(int(QFile::permissions(CheminFichier())) & 0x7077,
             int(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
}

namespace {

// A vault that keeps what it is given, and refuses the accounts it is told to.
class CoffreEssai : public Coffre {
public:
    std::optional<QString> Lit(const QString &compte) override {
        const auto it = valeurs.constFind(compte);
        return it == valeurs.cend() ? std::nullopt : std::optional(*it);
    }
    bool Ecrit(const QString &compte, const QString &valeur) override {
        if (refuses.contains(compte))
            return false;
        valeurs.insert(compte, valeur);
        return true;
    }
    QHash<QString, QString> valeurs;
    QStringList refuses;
};

} // namespace

// The twenty password keys, and only they, go to the vault; those the vault
// refuses stay in the file, those it takes are blanked there (key kept).
void TstReglages::motsDePasseDansUnCoffre() {
    QCOMPARE(CompteMotDePasse(QStringLiteral("Data"), QStringLiteral("TXTMDP")),
             QStringLiteral("data/txtMDP"));
    QCOMPARE(CompteMotDePasse(QStringLiteral("8"), QStringLiteral("txtMDP")),
             QStringLiteral("8/txtMDP"));
    QCOMPARE(CompteMotDePasse(QStringLiteral("ldc"), QStringLiteral("txtmdp9")),
             QStringLiteral("LDC/txtMDP9"));
    for (const auto &[section, cle] :
         {std::pair{"9", "txtMDP"}, std::pair{"LDC", "txtMDP10"}, std::pair{"LDC", "txtMDP"},
          std::pair{"data", "TxtSite"}, std::pair{"path", "txtMDP"}})
        QCOMPARE(CompteMotDePasse(QLatin1String(section), QLatin1String(cle)), QString());

    QVERIFY(Ecrit(TxtMDP, QStringLiteral("principal")));
    QVERIFY(Ecrit(SectionMemoire(4), QLatin1String(MemTxtMDP), QStringLiteral("quatre")));
    QVERIFY(Ecrit(QLatin1String(SectionLDC), CleLDC("txtMDP", 2), QStringLiteral("deux")));
    QVERIFY(Ecrit(TxtSite, QStringLiteral("site.fr")));

    CoffreEssai coffre;
    coffre.refuses << QStringLiteral("4/txtMDP");
    DefinitCoffre(&coffre);
    QVERIFY(!DeplaceMotsDePasse());
    QVERIFY(Ecrit(SectionMemoire(7), QLatin1String(MemTxtMDP), QStringLiteral("sept")));
    QVERIFY(Ecrit(QLatin1String(SectionLDC), CleLDC("txtMDP", 5), QStringLiteral("cinq")));
    DefinitCoffre(nullptr);

    QCOMPARE(coffre.valeurs.value(QStringLiteral("data/txtMDP")), QStringLiteral("principal"));
    QCOMPARE(coffre.valeurs.value(QStringLiteral("LDC/txtMDP2")), QStringLiteral("deux"));
    QCOMPARE(coffre.valeurs.value(QStringLiteral("7/txtMDP")), QStringLiteral("sept"));
    QCOMPARE(coffre.valeurs.value(QStringLiteral("LDC/txtMDP5")), QStringLiteral("cinq"));
    QCOMPARE(coffre.valeurs.size(), 4);
    // The file as another run without the vault reads it.
    Relit();
    QCOMPARE(Lit(TxtMDP), QString());
    QCOMPARE(Lit(SectionMemoire(7), QLatin1String(MemTxtMDP), QStringLiteral("<absent>")),
             QString());
    QCOMPARE(Lit(QLatin1String(SectionLDC), CleLDC("txtMDP", 2), QStringLiteral("<absent>")),
             QString());
    QCOMPARE(Lit(SectionMemoire(4), QLatin1String(MemTxtMDP)), QStringLiteral("quatre"));
    QCOMPARE(Lit(TxtSite), QStringLiteral("site.fr"));

    // With the vault, reads come from it; what it lacks, from the file.
    DefinitCoffre(&coffre);
    QCOMPARE(Lit(TxtMDP), QStringLiteral("principal"));
    QCOMPARE(Lit(SectionMemoire(4), QLatin1String(MemTxtMDP)), QStringLiteral("quatre"));
    DefinitCoffre(nullptr);

    // A file typed by hand spells keys as it likes: once moved, the password
    // is in no spelling of its key.
    {
        QFile f(CheminFichier());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[Data]\nTxtMDP=a-la-main\n[LDC]\nTXTMDP3=trois-main\n[data]\ntxtMDP=bis\n");
    }
    Relit();
    DefinitCoffre(&coffre);
    QVERIFY(DeplaceMotsDePasse());
    DefinitCoffre(nullptr);
    QFile f(CheminFichier());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray texte = f.readAll();
    for (const char *mot : {"a-la-main", "trois-main", "bis"})
        QVERIFY2(!texte.contains(mot), texte.constData());
    QCOMPARE(coffre.valeurs.value(QStringLiteral("LDC/txtMDP3")), QStringLiteral("trois-main"));
}

QTEST_GUILESS_MAIN(TstReglages)
#include "tst_reglages.moc"
