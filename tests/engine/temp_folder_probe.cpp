// Helper process for the private temporary folder test: prints the folder it gets, puts
// a file in it, lets a forked child exit normally, then reports whether the folder
// survived the child's exit. The test checks the folder is gone once this process ends.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/pak.h"

int main() {
    const char* folder = Private_Temp_Folder();
    if (folder == nullptr) return 2;
    if (Private_Temp_Folder() != folder) return 3;  // one folder per process
    std::string member = std::string(folder) + "/member.bin";
    if (std::FILE* file = std::fopen(member.c_str(), "wb")) {
        std::fputs("extracted", file);
        std::fclose(file);
    }
    pid_t child = fork();
    if (child == 0) std::exit(0);  // runs the exit handlers, as a forked helper might
    waitpid(child, nullptr, 0);
    std::printf("%s\n%s\n", folder, access(member.c_str(), F_OK) == 0 ? "kept" : "lost");
    return 0;
}
