#include "standardoutput.h"

#include <cerrno>
#include <iostream>

#include "signalcleanup.h"
#include "stderrmessages.h"

bool CStandardOutput::Flush() {
    errno = 0;
    if (std::cout.flush()) {
        return true;
    }
    CSignalCleanup::EndIfReaderGone(errno);
    CStderrMessages::Print("Error in writing to standard output.");
    return false;
}
