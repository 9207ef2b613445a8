// The check value of a "High Score" upload: the game computes it into the query it sends,
// and the web service computes it again to accept or refuse the query. One definition, so
// that the two can never disagree.
#pragma once

#include <cstddef>
#include <cstdint>

// Float to 32-bit integer as the x86 truncating conversion does it: toward zero, and the
// "integer indefinite" value INT32_MIN for NaN and for values out of range (a plain cast of
// those is undefined behaviour in C++).
std::int32_t Truncate_X86(float value);

// (seconds * spheres * name_length - 2) * 3 in 32-bit signed arithmetic that wraps on
// overflow, as the game has always computed it; `seconds` and `spheres` are the truncated
// best time and spheres allowed, `name_length` the number of characters of the name (only
// its low 32 bits count).
std::int32_t Score_Check_Value(std::int32_t seconds, std::int32_t spheres, std::size_t name_length);
