#include "plugin/report_host.h"

#ifndef CORVANE_REPORT_HOST
#error "CORVANE_REPORT_HOST must name the maker's web host (from TINDRAL_WEB_HOST)"
#endif

namespace corvane {

const char* Report_Host() {
    return CORVANE_REPORT_HOST;
}

}  // namespace corvane
