// The installer's string stack as NSIS builds it for a plug-in call: every entry is one
// malloc'd block of the next pointer and `string_size` characters of text.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/nsis_abi.h"

namespace plugin_test {

constexpr int String_Size = 1024;  // NSIS's default string size

class Installer_Stack {
  public:
    Installer_Stack() = default;
    Installer_Stack(const Installer_Stack&) = delete;
    Installer_Stack& operator=(const Installer_Stack&) = delete;
    ~Installer_Stack() {
        while (top != nullptr) {
            Nsis_Stack_Entry* next = top->next;
            std::free(top);
            top = next;
        }
    }

    // Like NSIS's pushstring: the text is cut to string_size - 1 characters.
    void Push(const std::string& text) {
        std::size_t block = offsetof(Nsis_Stack_Entry, text) + String_Size;
        auto* entry = static_cast<Nsis_Stack_Entry*>(std::calloc(1, block));
        std::strncpy(entry->text, text.c_str(), String_Size - 1);
        entry->next = top;
        top = entry;
    }

    // Pushes the arguments so that the plug-in pops them in the order given.
    void Push_Arguments(const std::vector<std::string>& in_pop_order) {
        for (auto it = in_pop_order.rbegin(); it != in_pop_order.rend(); ++it) Push(*it);
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Nsis_Stack_Entry* entry = top; entry != nullptr; entry = entry->next) {
            texts.push_back(entry->text);
        }
        return texts;
    }

    Nsis_Stack_Entry* top = nullptr;
};

}  // namespace plugin_test
