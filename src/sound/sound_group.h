// The two kinds of sound whose volumes the reader sets apart, each multiplied with the master
// volume: music (the BGM channel) and effects (everything else).
#pragma once

#include <cstdint>

namespace tsuzuri {

enum class SoundGroup : std::uint8_t { Effects = 0, Music = 1 };
constexpr int kSoundGroups = 2;

}  // namespace tsuzuri
