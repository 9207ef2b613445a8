#include "shell/os_name.h"

#include "platform/platform.h"

const char* OS_Name_From_Version(bool nt, int major, int minor) {
    if (nt) {
        if (major == 4) return minor == 0 ? "NT" : "Unknown";
        if (major == 5 && minor == 0) return "2000";
        if (major == 5 && minor == 1) return "XP";
        if (major == 5 && minor == 2) return "Server_2003";
        if (major == 6 && minor == 0) return "Vista";
        if (major == 6 && minor == 1) return "Windows_7";
        return "Unknown";
    }
    if (major == 4) {
        if (minor == 0) return "95";
        if (minor == 10) return "98";
        if (minor == 90) return "Me";
    }
    return "Unknown";
}

const char* OS_Name_Get() {
    Platform_Version version = Platform_Get_Version();
    return OS_Name_From_Version(version.nt, version.major, version.minor);
}

void Window_Size_From_Screen(int virtual_screen_height, int* width, int* height) {
    // The product is taken in double precision from the float 0.9 (0.8999999761...), so
    // 1200 gives 1079, not 1080.
    *height = static_cast<int>(static_cast<double>(virtual_screen_height) *
                               static_cast<double>(0.9f));
    *width = static_cast<int>(*height / 0.75);
}
