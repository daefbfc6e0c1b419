#pragma once

// While one of these lives, the FTP session's progress callback yields to the
// event loop, so that the window repaints and takes input during a long
// listing or transfer. The callback must not call the session again: anything
// that does during the yield fails at once (the session is busy). Guards may
// nest; the last one to go removes the callback.
class CedeDurantFTP {
public:
    CedeDurantFTP();
    ~CedeDurantFTP();
    CedeDurantFTP(const CedeDurantFTP &) = delete;
    CedeDurantFTP &operator=(const CedeDurantFTP &) = delete;
};
