#pragma once

// dyadmon-cli ended by any signal whose default is to end the process (SIGTERM, SIGINT, SIGHUP,
// SIGUSR1, SIGALRM, a fault...) removes the temporary files it was writing before it dies of the
// signal; a signal the caller had set to be ignored stays ignored. A file-size limit (SIGXFSZ)
// becomes a failed write that is reported and cleaned up like any other. A closed pipe raises no
// signal: a closed standard error leaves the run to finish, and a closed standard output ends it as
// the signal would have, once the temporary files are gone.
class CSignalCleanup {
public:
    static void Install();
    // After a failed write to standard output: a reader that has gone (EPIPE) ends the program quietly,
    // as SIGPIPE ends other tools; any other error returns, to be reported.
    static void EndIfReaderGone(int error);
};
