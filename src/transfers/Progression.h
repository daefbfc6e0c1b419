#pragma once

#include <QColor>
#include <QObject>
#include <QString>

#include <functional>

class EtatFenetre;
class QLabel;
struct Form1Ui;

// ---------------------------------------------------------------- the texts
// Numbers follow the frame's patterns: digits grouped by three with a space,
// the user's decimal separator.

// A count as text, without decimals when it is whole ("3", "2.5").
QString TexteNombre(double n);
// A rate with the pattern "### ###.#": one decimal, no leading zeros beyond a
// single one before the separator ("12.5", "100.0", "1 234.6", "0.5").
QString TexteDebit(double koParSeconde);
// A percentage with the pattern "#0.0" ("0.0", "40.0", "100.0").
QString TextePourcentage(double pourcent);
// Kilobytes (of 1024 bytes) per second; 0 when no time has passed.
double DebitKoParSeconde(double octets, double secondes);
// The caption of Label2 after `fait` of `total` files: "3/10 (12.5 Ko/sec)",
// or "3/10." when no time was measured.
QString LegendeProgression(double fait, int total, double octets, double secondes);
// Width of the bar, in the unit of `largeur`, clipped to the surface.
double LargeurBarre(double fait, int total, double largeur);
// The percentage as written on the bar: "50.0 %".
QString TexteBarre(double fait, int total);
// The text colour the bar takes for its next percentage: black below half
// done, white from the half on.
QColor CouleurTexteSuivante(double fait, int total);
// The status bar during one transfer: "gros.bin : 1 048 576 octets (25.0 %)
// à 512.0 Ko/sec"; without the share when the size is not known.
QString TexteOctetsEnCours(const QString &nom, qint64 fait, qint64 total, double secondes);

// The progress frame Frame1 over the middle of the window: the caption Label2,
// the bar Pprog with its percentage, and "Annuler" (Command5), which only
// raises the window's cancel request CnDl; the folder transfers read it
// between two files.
//
// During each transfer the FTP session reports its bytes: the second panel
// of the status bar shows them with the rate, and the window repaints and
// takes clicks meanwhile.
class Progression : public QObject {
    Q_OBJECT
public:
    Progression(Form1Ui &ui, EtatFenetre &etat, QObject *parent = nullptr);
    ~Progression() override;

    // Clears the bar and the caption; the frame keeps its visibility. The
    // percentage starts black again.
    void InitProgression();
    // Centres and shows the frame, then draws the caption, the bar and the
    // percentage for `fait` of `total` files, `octets` moved in `secondes`
    // (measured on a monotonic clock; 0 when the caller does not time).
    void AfficheProgression(double fait, int total, double octets, double secondes);
    // Places the frame in the middle of the window's width.
    void CentreCadre();
    void MontreCadre();
    void CacheCadre();

    void Command5_Click();

    // Runs one transfer of the file `nom` (`operation` calls the session)
    // with its bytes shown in the status bar. Returns what the operation
    // returned; 0 without a session. An `interruptible` download stops when
    // "Annuler" is pressed, its partial file kept for a later resume.
    short Transfert(const QString &nom, const std::function<short()> &operation,
                    bool interruptible = false);
    // The transfer panel of the status bar, shown: `nom` moved `fait` bytes
    // of `total` (-1 when unknown) in `secondes`.
    void AfficheOctets(const QString &nom, qint64 fait, qint64 total, double secondes);
    // Runs any other FTP call while the window keeps repainting.
    short Appel(const std::function<short()> &operation);

    // One multi-step operation at a time: while one runs (it yields to the
    // event loop), the action buttons and folder transfers ignore new starts.
    bool OperationEnCours() const { return m_occupe > 0; }
    class Occupation {
    public:
        explicit Occupation(Progression &p);
        ~Occupation();
        Occupation(const Occupation &) = delete;
        Occupation &operator=(const Occupation &) = delete;

    private:
        Progression &m_p;
    };

    // Set while a folder copy runs over connections of its own: the
    // browsing session is idle then, yet closing must wait for the copy.
    bool TransfertsParalleles() const { return m_paralleles; }
    void DefinitTransfertsParalleles(bool enCours) { m_paralleles = enCours; }

    // What the bar shows (for checks): the percentage text, its colour and
    // the bar's width in pixels.
    QString PourcentageAffiche() const { return m_pourcentage; }
    QColor CouleurPourcentage() const { return m_couleurEcrite; }
    int LargeurBarrePixels() const { return m_largeurBarre; }
    // The status bar's transfer panel.
    QLabel *PanneauOctets() const { return m_panneau; }

private:
    void dessine(double fait, int total);

    struct Dessin {
        double fait, octets, secondes;
        int total;
        Dessin(double f = 0, int t = 0, double o = 0, double s = 0)
            : fait(f), octets(o), secondes(s), total(t) {}
        bool operator==(const Dessin &a) const {
            return fait == a.fait && total == a.total && octets == a.octets &&
                   secondes == a.secondes;
        }
    };

    Form1Ui &m_ui;
    EtatFenetre &m_etat;
    QLabel *m_panneau = nullptr;
    Dessin m_dernierDessin;
    bool m_dessinValide = false;
    QColor m_couleurTexte = Qt::black;  // for the next percentage
    QColor m_couleurEcrite = Qt::black; // of the one shown
    QString m_pourcentage;
    int m_largeurBarre = 0;
    int m_occupe = 0;
    bool m_paralleles = false;
};
