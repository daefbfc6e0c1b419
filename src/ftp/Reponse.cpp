#include "ftp/Reponse.h"

#include <QRegularExpression>

namespace Reponse {

namespace {

bool estChiffre(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

int CodeDeLigne(const QByteArray &ligne) {
    if (ligne.size() < 3 || !estChiffre(ligne[0]) || !estChiffre(ligne[1]) || !estChiffre(ligne[2]))
        return 0;
    if (ligne.size() > 3 && ligne[3] != ' ' && ligne[3] != '-')
        return 0;
    return (ligne[0] - '0') * 100 + (ligne[1] - '0') * 10 + (ligne[2] - '0');
}

bool OuvreMultiligne(const QByteArray &ligne) {
    return CodeDeLigne(ligne) != 0 && ligne.size() > 3 && ligne[3] == '-';
}

bool TermineReponse(const QByteArray &ligne, int code) {
    return CodeDeLigne(ligne) == code && (ligne.size() == 3 || ligne[3] == ' ');
}

std::optional<quint16> AnalysePasv(const QByteArray &texte) {
    static const QRegularExpression six(
        QStringLiteral("(\\d{1,3}),(\\d{1,3}),(\\d{1,3}),(\\d{1,3}),(\\d{1,3}),(\\d{1,3})"));
    // Skip the reply code itself so "227 " never takes part in the match.
    const auto m = six.match(QString::fromLatin1(texte.mid(4)));
    if (!m.hasMatch())
        return std::nullopt;
    int n[6];
    for (int i = 0; i < 6; ++i) {
        n[i] = m.captured(i + 1).toInt();
        if (n[i] > 255)
            return std::nullopt;
    }
    const int port = n[4] * 256 + n[5];
    if (port == 0)
        return std::nullopt;
    return quint16(port);
}

std::optional<quint16> AnalyseEpsv(const QByteArray &texte) {
    const int ouvre = texte.indexOf('(');
    const int ferme = texte.indexOf(')', ouvre + 1);
    if (ouvre < 0 || ferme < ouvre + 5)
        return std::nullopt;
    const QByteArray dedans = texte.mid(ouvre + 1, ferme - ouvre - 1);
    // (<d><d><d>port<d>) with the same delimiter four times.
    const char d = dedans[0];
    if (dedans.size() < 5 || dedans[1] != d || dedans[2] != d || dedans.back() != d)
        return std::nullopt;
    bool ok = false;
    const uint port = dedans.mid(3, dedans.size() - 4).toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

QByteArray AnalysePwd(const QByteArray &texte) {
    // The quoted path may sit on any line of a multi-line 257 reply.
    const QList<QByteArray> lignes = texte.split('\n');
    for (const QByteArray &ligne : lignes) {
        const int debut = ligne.indexOf('"');
        if (debut < 0)
            continue;
        QByteArray chemin;
        for (int i = debut + 1; i < ligne.size(); ++i) {
            if (ligne[i] == '"') {
                if (i + 1 < ligne.size() && ligne[i + 1] == '"') {
                    chemin += '"';
                    ++i;
                    continue;
                }
                break;
            }
            chemin += ligne[i];
        }
        return chemin; // an unterminated quote keeps what came
    }
    return lignes.first().mid(4).trimmed();
}

qint64 TailleAnnoncee(const QByteArray &texte) {
    static const QRegularExpression octets(QStringLiteral("\\((\\d+) bytes\\)"),
                                           QRegularExpression::CaseInsensitiveOption);
    const auto m = octets.match(QString::fromLatin1(texte));
    if (!m.hasMatch())
        return -1;
    bool ok = false;
    const qint64 n = m.captured(1).toLongLong(&ok);
    return ok ? n : -1;
}

std::optional<Adresse> AdresseDonnees(const Complete &reponse, const QHostAddress &pair) {
    std::optional<quint16> port;
    if (reponse.code == 229)
        port = AnalyseEpsv(reponse.texte);
    else if (reponse.code == 227)
        port = AnalysePasv(reponse.texte);
    if (!port || pair.isNull())
        return std::nullopt;
    return Adresse{pair, *port};
}

} // namespace Reponse
