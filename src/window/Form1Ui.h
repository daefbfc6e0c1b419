#pragma once

#include <QColor>
#include <QIcon>
#include <QMap>
#include <QString>

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QMenu;
class QPushButton;
class QStatusBar;
class QTextEdit;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class DriveListBox;
class DirListBox;
class FileListBox;

// List backgrounds: the automation dialog's file-pick mode turns List4 and
// filLocal red until the pick ends.
inline const QColor FondModeChoix(255, 0, 0);
inline const QColor FondNormal(255, 255, 255);

// Every control of the main window, built in one place like a Designer form.
// Each control's objectName is its name in the program ("BTs(10)" for element
// 10 of the array BTs); hint texts live in the "Tag" property. Positions are the
// window design (in twips); the layout recomputes what depends on the size.
struct Form1Ui {
    // Menu "Fichier"
    QMenu *mnuFichier = nullptr;
    QAction *MconAuto = nullptr;
    QAction *mnuConnexion = nullptr;
    QAction *mnusep = nullptr;
    QAction *mnuQuitter = nullptr;

    QWidget *centre = nullptr; // the client area holding the frames

    // Local pane
    QGroupBox *fraLocal = nullptr;
    DriveListBox *drvLocal = nullptr;
    DirListBox *dirLocal = nullptr;
    FileListBox *filLocal = nullptr;
    QListWidget *List1 = nullptr; // comparison results (light yellow)
    QListWidget *List3 = nullptr; // sorted views (light green)

    // Site pane
    QGroupBox *fraSite = nullptr;
    QTreeWidget *trvSiteDir = nullptr;
    QListWidget *List4 = nullptr; // names of the remote files
    QListWidget *List5 = nullptr; // their full remote paths, never shown
    QListWidget *List2 = nullptr; // comparison results (light yellow)
    QListWidget *List6 = nullptr; // never filled nor shown (light green)
    QMap<int, QIcon> ilsIcone;    // tree pictures: 1 folder, 2 open folder, 11 site

    // Action buttons: BTL 0..11 (0, 7, 8, 9 only hold drag pictures), BTs 0..6, 10, 11
    QMap<int, QToolButton *> BTL;
    QMap<int, QToolButton *> BTs;
    // Splitter row
    QMap<int, QLabel *> LabMove;       // 0 site, 1 local
    QMap<int, QToolButton *> Vert;     // 0..2, 4 local; 3 site
    QMap<int, QToolButton *> RecDelta; // 0 local, 1 site
    QMap<int, QLabel *> LabNB;         // 0 local, 1 site file counts
    QLineEdit *Text1 = nullptr;        // list filter
    QPushButton *Command7 = nullptr;   // "Filtrer"
    QPushButton *Command8 = nullptr;   // "Reset"
    // Address row
    QMap<int, QLineEdit *> TCop; // 0 local path, 1 site web address
    QMap<int, QLabel *> LabBou;  // 0 "Go!", 1 "Copie", 2 "Ex"

    // Activity log and its buttons
    QGroupBox *fraAction = nullptr;
    QTextEdit *TxtAction = nullptr;
    QPushButton *Command1 = nullptr; // "Paramètres"
    QPushButton *Command6 = nullptr; // connection picture, "Reconnecter"
    QCheckBox *Check1 = nullptr;     // "Reconnexion Auto"
    QPushButton *Command3 = nullptr; // "A propos..."
    QPushButton *Command4 = nullptr; // help
    QPushButton *Command2 = nullptr; // "Quitter"

    // Status bar and its first panel
    QStatusBar *stbEtat = nullptr;
    QLabel *stbPanneau1 = nullptr;

    // Hint box
    QFrame *ttt = nullptr;
    QLabel *LTTT = nullptr;

    // Progress frame (hidden)
    QGroupBox *Frame1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Pprog = nullptr;
    QPushButton *Command5 = nullptr;

    // Information panel (hidden)
    QFrame *Frame3 = nullptr;
    QMap<int, QLabel *> Label1; // 0 "Aide", 1 title, 2 notice, 3 version, 4 "Retour"
    QLabel *LabeSite = nullptr;
    QLabel *Labcoucou = nullptr;
    QLabel *Image3 = nullptr;
    QMap<int, QLabel *> Image1; // connection pictures: 0 connected, 1 not connected

    // Timers
    QTimer *Timer1 = nullptr; // 500 ms, scrolls the information panel's icon
    QTimer *Timer2 = nullptr; // 3000 ms, periodic connection check
    QTimer *Timer3 = nullptr; // 4000 ms, end of a command-line run

    void setupUi(QMainWindow *form);

    // Site tree nodes keep their remote folder path (ending with "/") under RoleCle.
    static constexpr int RoleCle = Qt::UserRole;
    // The site tree's selected node (none: nullptr) and its key (none: empty).
    QTreeWidgetItem *NoeudSelectionne() const;
    QString CleNoeudSelectionne() const;
    // "N fichiers." under one side's views (0 local, 1 site).
    void AfficheNombreFichiers(int cote, int nombre);
    // The local count, from the file list as it stands.
    void AfficheNombreLocal();
};

// The "Tag" property of a control (its hint text, or a state marker).
QString Tag(const QObject *controle);
void DefinitTag(QObject *controle, const QString &texte);
