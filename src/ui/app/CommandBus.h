#pragma once

// Where the running program takes commands on the session bus. The instance
// lock, not this name, says whether a program runs: the name only tells where
// to reach it.
namespace commandbus {

inline constexpr const char* kService = "io.github.quillet.Quillet";
inline constexpr const char* kPath = "/io/github/quillet/Quillet";
inline constexpr const char* kInterface = "io.github.quillet.Quillet";

} // namespace commandbus
