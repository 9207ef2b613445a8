#include "game/score_check.h"

std::int32_t Truncate_X86(float value) {
    if (!(value >= -2147483648.0f && value < 2147483648.0f)) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

std::int32_t Score_Check_Value(std::int32_t seconds, std::int32_t spheres,
                               std::size_t name_length) {
    // Computed unsigned, where wrapping is defined; the conversion back to signed is
    // modular since C++20.
    std::uint32_t product = static_cast<std::uint32_t>(seconds) *
                            static_cast<std::uint32_t>(spheres) *
                            static_cast<std::uint32_t>(name_length);
    return static_cast<std::int32_t>((product - 2u) * 3u);
}
