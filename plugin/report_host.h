// The host the usage report goes to (no scheme, may carry ":port"). The shipped plug-in
// answers with the maker's host fixed at build time (TINDRAL_WEB_HOST); the test copy of
// the plug-in links its own definition instead (tests/plugin/report_host_env.cpp).
#pragma once

namespace corvane {

const char* Report_Host();

}  // namespace corvane
