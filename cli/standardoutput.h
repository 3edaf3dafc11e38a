#pragma once

// What dyadmon-cli has put on standard output (std::cout) is written out here, and a failure told.
class CStandardOutput {
public:
    // True once everything is written. Else a reader that has gone ends the program as a closed pipe
    // ends other tools; any other failure (a full disk) is said on standard error, and false returned.
    static bool Flush();
};
