#include "security/Chiffrement.h"

QString TexteChiffrement(Chiffrement c) {
    switch (c) {
    case Chiffrement::Obligatoire:
        return QStringLiteral("TLS obligatoire");
    case Chiffrement::Aucun:
        return QStringLiteral("Aucun");
    case Chiffrement::SiDisponible:
        break;
    }
    return QStringLiteral("TLS si disponible");
}

QString ChiffrementEnTexte(Chiffrement c) {
    return QString::number(int(c));
}

Chiffrement ChiffrementDeTexte(const QString &texte) {
    const QString t = texte.trimmed();
    if (t == QLatin1String("1"))
        return Chiffrement::Obligatoire;
    if (t == QLatin1String("2"))
        return Chiffrement::Aucun;
    return Chiffrement::SiDisponible;
}

QString NormaliseEmpreinte(const QString &texte) {
    QString hex;
    for (QChar c : texte) {
        if (c == u':' || c == u' ')
            continue;
        const char16_t u = c.unicode();
        const bool chiffre = u >= u'0' && u <= u'9';
        if (!chiffre && !((u | 0x20) >= u'a' && (u | 0x20) <= u'f'))
            return QString();
        hex += c.toUpper();
    }
    if (hex.size() != 64)
        return QString();
    QString resultat;
    for (int i = 0; i < 64; i += 2) {
        if (i)
            resultat += u':';
        resultat += hex.mid(i, 2);
    }
    return resultat;
}
