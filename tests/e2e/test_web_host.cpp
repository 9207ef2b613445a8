// The web host of the test copies of the program. Each test starts its server on a port
// chosen at run time, so this copy reads the host from TINDRAL_TEST_WEB_HOST; the player's
// program never reads the environment and keeps its build-time host.
#include <cstdlib>

#include "shell/web_host.h"

const char* Game_Web_Host() {
    const char* host = std::getenv("TINDRAL_TEST_WEB_HOST");
    // Port 9 (discard) on the loopback: refused at once when a test forgot the variable.
    return host != nullptr && host[0] != '\0' ? host : "127.0.0.1:9";
}
