// Fuzz target: the settings reader. Loads the input as config.dat and checks what any
// file must give: clamped level and controller codes, names that stay terminated, and
// settings that survive a save and a second load unchanged.
#include <cstdint>
#include <cstring>
#include <string>

#include "shell/settings.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

bool Names_Terminated(const High_Score_Table& table) {
    for (const auto& name : table.Name) {
        if (strnlen(name, sizeof name) >= sizeof name) return false;
    }
    return true;
}

bool Same(const Game_Settings& x, const Game_Settings& y) {
    return x.CameraView == y.CameraView && x.Level == y.Level && x.Music == y.Music &&
           x.Sound == y.Sound && x.UploadHighScores == y.UploadHighScores &&
           std::memcmp(x.Side_Controller, y.Side_Controller, sizeof x.Side_Controller) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string config = fuzz::Scratch() + "/config.dat";
    fuzz::Write_Input(config, data, size);

    Game_Settings settings;
    High_Score_Table a, b;
    High_Score_Table_Reset(a);
    High_Score_Table_Reset(b);
    Settings_Load(config.c_str(), settings, a, b);
    if (settings.Level < 0 || settings.Level > 6) __builtin_trap();
    for (int code : settings.Side_Controller) {
        if (code < 1 || code > 8) __builtin_trap();
    }
    if (!Names_Terminated(a) || !Names_Terminated(b)) __builtin_trap();

    const std::string saved = fuzz::Scratch() + "/saved.dat";
    if (!Settings_Save(saved.c_str(), settings, a, b)) __builtin_trap();
    Game_Settings again;
    High_Score_Table a2, b2;
    High_Score_Table_Reset(a2);
    High_Score_Table_Reset(b2);
    Settings_Load(saved.c_str(), again, a2, b2);
    if (!Same(settings, again)) __builtin_trap();
    return 0;
}
