// A build of the plug-in loaded with dlopen, its exports called by name exactly as the
// installer calls them.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "installer_stack.h"
#include "plugin/nsis_abi.h"

namespace plugin_test {

class Plugin_Library {
  public:
    explicit Plugin_Library(const std::string& path)
        : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~Plugin_Library() {
        if (handle_ != nullptr) dlclose(handle_);
    }
    Plugin_Library(const Plugin_Library&) = delete;
    Plugin_Library& operator=(const Plugin_Library&) = delete;

    bool Loaded() const { return handle_ != nullptr; }

    // Calls the export `name` with the installer's string size, variables and stack. A
    // missing export fails the test.
    void Call(const char* name, Installer_Stack& stack) {
        ASSERT_NE(handle_, nullptr) << dlerror();
        auto function = reinterpret_cast<Nsis_Plugin_Function>(dlsym(handle_, name));
        ASSERT_NE(function, nullptr) << name << " is not exported";
        // $0-$9, $R0-$R9, $CMDLINE, $INSTDIR, $OUTDIR, $EXEDIR, $LANGUAGE
        std::string variables(25 * static_cast<std::size_t>(String_Size), '\0');
        function(nullptr, String_Size, variables.data(), &stack.top, nullptr);
    }

  private:
    void* handle_;
};

}  // namespace plugin_test
