// The report host of the plug-in's test copy. Tests start their server on a port chosen
// at run time, so this copy reads the host from CORVANE_TEST_WEB_HOST when each report is
// sent; the shipped plug-in never reads the environment and keeps its build-time host.
#include <cstdlib>

#include "plugin/report_host.h"

namespace corvane {

const char* Report_Host() {
    const char* host = std::getenv("CORVANE_TEST_WEB_HOST");
    // Port 9 (discard) on the loopback: refused at once when a test forgot the variable.
    return host != nullptr ? host : "127.0.0.1:9";
}

}  // namespace corvane
