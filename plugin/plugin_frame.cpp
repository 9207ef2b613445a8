#include "plugin/plugin_frame.h"

namespace corvane {

Plugin_Call g_call;

void Record_Call(void* parent_window, int string_size, void* variables, Stack_Entry** stack_top) {
    g_call.parent_window = parent_window;
    g_call.string_size = string_size;
    g_call.variables = variables;
    g_call.stack_top = stack_top;
}

std::string Cut_Characters(const std::string& text, std::size_t max_chars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A byte of the form 10xxxxxx continues the character before it.
        bool starts_character = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (starts_character) {
            if (chars == max_chars) return text.substr(0, i);
            ++chars;
        }
    }
    return text;
}

bool Pop_String(Plugin_System& system, std::string& text, std::size_t max_chars) {
    text.clear();
    if (g_call.stack_top == nullptr || *g_call.stack_top == nullptr) return false;
    Stack_Entry* entry = *g_call.stack_top;
    text = Cut_Characters(system.Entry_Text(entry, g_call.string_size), max_chars);
    *g_call.stack_top = entry->next;
    system.Free_Entry(entry);
    return true;
}

const char* Os_Name_Of(const Os_Version& version) {
    struct Name_Row {
        bool nt;
        int major;
        int minor;
        const char* name;
    };
    static constexpr Name_Row Names[] = {
        {true, 4, 0, "NT"},          {true, 5, 0, "2000"},  {true, 5, 1, "XP"},
        {true, 5, 2, "Server_2003"}, {true, 6, 0, "Vista"}, {true, 6, 1, "Windows_7"},
        {false, 4, 0, "95"},         {false, 4, 10, "98"},  {false, 4, 90, "Me"},
    };
    bool nt = version.platform == Platform_NT;
    for (const Name_Row& row : Names) {
        if (row.nt == nt && row.major == version.major && row.minor == version.minor) {
            return row.name;
        }
    }
    return "Unknown";
}

std::string Get_OS_Name(Plugin_System& system, int* major, int* minor) {
    Os_Version version;
    if (!system.Get_Version(version)) version = Os_Version{};
    if (major != nullptr) *major = version.major;
    if (minor != nullptr) *minor = version.minor;
    return Os_Name_Of(version);
}

bool Is_Vista_Family(const std::string& os_name) {
    return os_name.find("Vista") != std::string::npos ||
           os_name.find("Windows_7") != std::string::npos;
}

std::string Join_Path(const Plugin_System& system, const std::string& base,
                      const std::string& part) {
    return base + system.Separator() + part;
}

}  // namespace corvane
