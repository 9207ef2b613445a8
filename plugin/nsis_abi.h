// The NSIS plug-in calling contract as the Linux build of the plug-in exposes it, for
// callers that load Corvane_NSIS.so and call its exports by name.
//
// Every export takes the parent window, the installer's string size (characters per
// stack entry), its variables, the top of its string stack and its extra parameters, and
// returns nothing. A caller allocates each stack entry with malloc as one block: the next
// pointer followed by the zero-terminated 8-bit text (UTF-8). The plug-in frees the
// entries it pops with free.
#pragma once

extern "C" {

struct Nsis_Stack_Entry {
    Nsis_Stack_Entry* next;
    char text[1];  // really string_size characters
};

typedef void (*Nsis_Plugin_Function)(void* parent_window, int string_size, char* variables,
                                     Nsis_Stack_Entry** stack_top, void* extra_parameters);

}  // extern "C"
