// The maker's web host (no scheme, may carry ":port"), which the window title, the
// single-instance name, the website button and the score upload name. The player's program
// answers with the host fixed at build time (web_host.cpp, from TINDRAL_WEB_HOST). The test
// copies of the program link a definition of their own instead (tests/e2e/test_web_host.cpp),
// because each test's server gets its port at run time.
#pragma once

// Never null; may be called while the process-wide objects are built.
const char* Game_Web_Host();
