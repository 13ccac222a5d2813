#include "common/firewall.h"

#include "platform/platform.h"

void ReportFailure(const char* where, const char* what) noexcept {
    // wsprintfA writes at most 1024 characters; the precisions keep the newline inside them.
    char line[1025];
    wsprintfA(line, "Korvane: %.100s failed: %.880s\n", where != nullptr ? where : "?",
              what != nullptr ? what : "?");
    OutputDebugStringA(line);
}
