#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>

#include <optional>

// Pure helpers over FTP control-connection text (RFC 959, 2428, 3659).
namespace Reponse {

// A complete reply: its code and every line, joined by '\n'.
struct Complete {
    int code = 0;
    QByteArray texte;
    bool preliminaire() const { return code >= 100 && code < 200; }
    bool succes() const { return code >= 200 && code < 400; }
};

// Code of a line that starts a reply ("230 ..." or "230-..."), or 0 when the
// line does not begin with three digits.
int CodeDeLigne(const QByteArray &ligne);
// True when the line ends a reply opened with `code`: "230 " or exactly "230".
// Continuation lines of a multi-line reply may start with anything else.
bool TermineReponse(const QByteArray &ligne, int code);
// True when the line opens a multi-line reply ("230-").
bool OuvreMultiligne(const QByteArray &ligne);

struct Adresse {
    QHostAddress hote;
    quint16 port = 0;
};
// 227 Entering Passive Mode (h1,h2,h3,h4,p1,p2): the port that the last two of
// the six numbers name. The numbers may be anywhere in the text, with or
// without parentheses.
std::optional<quint16> AnalysePasv(const QByteArray &texte);
// 229 Entering Extended Passive Mode (|||port|): any delimiter character.
std::optional<quint16> AnalyseEpsv(const QByteArray &texte);
// 257 "/a ""quoted"" dir" is current directory: the quoted path with doubled
// quotes undone; without quotes, the text after the code.
QByteArray AnalysePwd(const QByteArray &texte);
// "150 Opening BINARY mode data connection for f (1234 bytes)": the announced
// size, or -1.
qint64 TailleAnnoncee(const QByteArray &texte);

// Where the data connection announced by a 229 or 227 reply goes: the port
// it names, on the control connection's peer. The host a 227 reply names is
// never used: behind NAT it is an address only the server can reach, and from
// a hostile server it would send the client's traffic to a third party.
std::optional<Adresse> AdresseDonnees(const Complete &reponse, const QHostAddress &pair);

} // namespace Reponse
