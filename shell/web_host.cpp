#include "shell/web_host.h"

#ifndef TINDRAL_WEB_HOST
#error "TINDRAL_WEB_HOST must name the maker's web host"
#endif

const char* Game_Web_Host() {
    return TINDRAL_WEB_HOST;
}
