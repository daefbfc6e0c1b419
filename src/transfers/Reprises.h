#pragma once

class JournalActivite;
class SessionDistante;

// Has the log say, as a download starts, that it continues an interrupted one
// (" > Reprise de NAME à N octets") or starts over because the file has
// changed on the site since.
void AnnonceReprises(SessionDistante &session, JournalActivite &journal);
