#include "import/QuietOutput.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

QuietOutput::QuietOutput() {
    std::fflush(stdout);
    std::fflush(stderr);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) return; // nothing to hide the noise in; it shows
    savedOut_ = ::dup(STDOUT_FILENO);
    savedErr_ = ::dup(STDERR_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    ::close(null);
}

QuietOutput::~QuietOutput() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (savedOut_ >= 0) {
        ::dup2(savedOut_, STDOUT_FILENO);
        ::close(savedOut_);
    }
    if (savedErr_ >= 0) {
        ::dup2(savedErr_, STDERR_FILENO);
        ::close(savedErr_);
    }
}
