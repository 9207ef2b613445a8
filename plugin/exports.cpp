// The six exports the installer script calls by name. Each records the call's values and
// hands over to the core; none pushes anything, sets a variable or shows a message.
#include "plugin/migration.h"
#include "plugin/plugin_frame.h"
#include "plugin/report_host.h"
#include "plugin/uninstall.h"
#include "plugin/usage_report.h"

#if defined(_WIN32)
#include <windows.h>
// windows.h first: the NSIS headers use its types.
#include <nsis/pluginapi.h>

#define CORVANE_EXPORT extern "C" __declspec(dllexport)
using Nsis_Window = HWND;
using Nsis_Variables = LPTSTR;
using Nsis_Stack = stack_t;
using Nsis_Extra = extra_parameters;

// The entry point only lets the runtime initialise.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
#else
#include "plugin/nsis_abi.h"

#define CORVANE_EXPORT extern "C" __attribute__((visibility("default")))
using Nsis_Window = void*;
using Nsis_Variables = char*;
using Nsis_Stack = Nsis_Stack_Entry;
using Nsis_Extra = void;
#endif

namespace {

// Records the call's values (the extra parameters are never read) and does the export's
// work. Nothing may unwind into the installer, which is C: should memory run out, the
// export simply ends.
template <typename Work>
void Run(Nsis_Window parent, int string_size, Nsis_Variables variables, Nsis_Stack** stack_top,
         Work work) {
    corvane::Record_Call(reinterpret_cast<void*>(parent), string_size,
                         static_cast<void*>(variables),
                         reinterpret_cast<corvane::Stack_Entry**>(stack_top));
    try {
        work(corvane::Host_System());
    } catch (...) {
    }
}

}  // namespace

#define CORVANE_PLUGIN_FUNCTION(name, work)                                                 \
    CORVANE_EXPORT void name(Nsis_Window parent, int string_size, Nsis_Variables variables, \
                             Nsis_Stack** stack_top, Nsis_Extra* /*extra*/) {               \
        Run(parent, string_size, variables, stack_top, work);                               \
    }

CORVANE_PLUGIN_FUNCTION(Uninstall_Haskett, [](corvane::Plugin_System& system) {
    corvane::Uninstall_Product(system, corvane::Haskett_Layout);
})

CORVANE_PLUGIN_FUNCTION(Uninstall_Mirelle, [](corvane::Plugin_System& system) {
    corvane::Uninstall_Product(system, corvane::Mirelle_Layout);
})

CORVANE_PLUGIN_FUNCTION(Uninstall_Dunstow, [](corvane::Plugin_System& system) {
    corvane::Uninstall_Product(system, corvane::Dunstow_Layout);
})

CORVANE_PLUGIN_FUNCTION(Uninstall_Tindral, [](corvane::Plugin_System& system) {
    corvane::Uninstall_Product(system, corvane::Tindral_Layout);
})

// Pops the old installation folder.
CORVANE_PLUGIN_FUNCTION(Update_File_Locations_Haskett, [](corvane::Plugin_System& system) {
    std::string old_folder;
    corvane::Pop_String(system, old_folder, corvane::Old_Folder_Chars);
    corvane::Update_File_Locations(system, old_folder);
})

// Pops action, program, version and a path whose creation time is reported.
CORVANE_PLUGIN_FUNCTION(Upload_Info, [](corvane::Plugin_System& system) {
    corvane::Send_Usage_Report(system, corvane::Report_Host());
})
