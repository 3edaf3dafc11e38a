#pragma once

// dyadmon-cli ended by SIGTERM, SIGINT or SIGHUP removes the temporary files it was writing before it
// dies of the signal, and a file-size limit (SIGXFSZ) becomes a failed write that is reported and
// cleaned up like any other, instead of a death that leaves half a file.
class CSignalCleanup {
public:
    static void Install();
};
