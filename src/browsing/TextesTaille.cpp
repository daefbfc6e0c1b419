#include "browsing/TextesTaille.h"

#include <QLocale>

#include <cmath>

namespace {

const QString Taille = QStringLiteral("Taille = ");

// Up to two decimals, trailing zeros dropped ("1.5", "4.77", "2").
QString megaoctetsDecimaux(double mo) {
    const qint64 centiemes = qint64(std::llround(mo * 100.0));
    QString texte = NombreGroupe(centiemes / 100);
    int reste = int(centiemes % 100);
    if (reste == 0)
        return texte;
    QString decimales = QStringLiteral("%1").arg(reste, 2, 10, QLatin1Char('0'));
    if (decimales.endsWith(QLatin1Char('0')))
        decimales.chop(1);
    return texte + QLocale().decimalPoint() + decimales;
}

} // namespace

QString NombreGroupe(qint64 n) {
    if (n < 0)
        return QLatin1Char('-') + NombreGroupe(-n);
    QString chiffres = QString::number(n);
    for (qsizetype i = chiffres.size() - 3; i > 0; i -= 3)
        chiffres.insert(i, QLatin1Char(' '));
    return chiffres;
}

QString TexteNonConnecte() {
    return QStringLiteral("Vous n'êtes plus connecté.");
}

QString TexteTailleSite(double t) {
    if (t > 1024)
        return Taille + megaoctetsDecimaux(t / 1024) + QStringLiteral(" Mo");
    if (t >= 1)
        return Taille + NombreGroupe(qint64(t)) + QStringLiteral(" Ko");
    if (t >= 0)
        return Taille + NombreGroupe(qint64(t * 1024)) + QStringLiteral(" octets");
    return TexteNonConnecte();
}

QString TexteTailleLocale(qint64 octets) {
    const double k = double(octets) / 1024.0;
    if (k > 1024)
        return Taille + NombreGroupe(qint64(std::llround(k / 1024))) + QStringLiteral(" Mo");
    if (k >= 1)
        return Taille + NombreGroupe(qint64(k)) + QStringLiteral(" Ko");
    return Taille + NombreGroupe(octets < 0 ? 0 : octets) + QStringLiteral(" octets");
}
