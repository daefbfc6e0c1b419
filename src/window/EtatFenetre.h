#pragma once

#include <QObject>

// The window's state flags, read and set by the controllers through this one
// owner. The 16-bit flags keep their -1 (true) / 0 (false) values.
class EtatFenetre : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // -1 connected after the last attempt, 0 otherwise.
    short CO() const { return m_co; }
    void DefinitCO(short valeur) { m_co = valeur; }
    // Stop request of the "Reconnecter" button's retry loop.
    short S() const { return m_s; }
    void DefinitS(short valeur) { m_s = valeur; }
    // Stop request of a multi-file operation ("Annuler", closing the window).
    short CnDl() const { return m_cnDl; }
    void DefinitCnDl(short valeur) { m_cnDl = valeur; }
    // A drag from the site lists is under way.
    bool CaDrague() const { return m_caDrague; }
    void DefinitCaDrague(bool valeur) { m_caDrague = valeur; }
    // The side of the last comparison shown (0 local, 1 site).
    int ListeCliquee() const { return m_listeCliquee; }
    void DefinitListeCliquee(int valeur) { m_listeCliquee = valeur; }

    // The automation dialog's file-pick mode: the lists turn red while it
    // lasts (the window follows ModeChoixChange).
    bool ModeChoix() const { return m_modeChoix; }
    void DefinitModeChoix(bool actif);

signals:
    void ModeChoixChange(bool actif);

private:
    short m_co = 0;
    short m_s = 0;
    short m_cnDl = 0;
    bool m_caDrague = false;
    int m_listeCliquee = 0;
    bool m_modeChoix = false;
};
