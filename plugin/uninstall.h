// The uninstall work: remove one product's per-user folders, leaf first.
#pragma once

#include <string>
#include <vector>

#include "plugin/plugin_system.h"

namespace corvane {

// A product's folder name and its subfolders, leaf first ("Logs/CSV" before "Logs"; "/"
// separates levels whatever the system's separator). The product folder itself is
// removed after them.
struct Product_Layout {
    const char* folder;
    std::vector<std::string> subfolders;
    bool all_users_copy;  // the product also keeps a folder under all users' data
};

extern const Product_Layout Haskett_Layout;
extern const Product_Layout Mirelle_Layout;
extern const Product_Layout Dunstow_Layout;
extern const Product_Layout Tindral_Layout;

// On Vista and 7 removes the VirtualStore copy under "Program Files" and, for a product
// with an all-users copy, that copy; then always the folders under the user's application
// data. A special folder the system cannot name skips its block. Writes no log.
void Uninstall_Product(Plugin_System& system, const Product_Layout& product);

}  // namespace corvane
