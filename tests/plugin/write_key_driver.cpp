// One rewrite of a settings key by Write_Key on the Linux system layer, for
// write_key_kill_test.py, which kills this program at many moments of the rewrite.
// Usage: write_key_driver FILE KEY VALUE
// Exits 0 when Write_Key succeeded, 1 when it failed.
#include <cstdio>

#include "plugin/settings_keys.h"
#include "plugin/system_linux.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: write_key_driver FILE KEY VALUE\n");
        return 2;
    }
    corvane::Linux_System system;
    return corvane::Write_Key(system, argv[1], argv[2], argv[3]) ? 0 : 1;
}
