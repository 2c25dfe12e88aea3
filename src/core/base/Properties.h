#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

// The property records of a note and of the application. Plain fixed-layout
// structures: 32-bit flags with 1 = on, zero-terminated text fields of fixed size
// (capacity one byte less), colours as 0x00BBGGRR. Member initialisers hold the
// defaults of a new note and of a fresh installation.

using ColorRef = std::uint32_t;

// Font attribute bits of FontProperty::Flags.
enum FontFlag : std::int32_t {
    kFontBold = 1,
    kFontItalic = 2,
    kFontStrikeOut = 4,
    kFontUnderline = 8,
    kFontShadow = 16,
    kFontEmboss = 32,
    kFontImprint = 64,
};

struct SheetProperty {
    std::int32_t ID = 0;
    char Title[256] = {};
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    std::int32_t TopWindow = 0;
    std::int32_t AutoResize = 1;
    std::int32_t Hidden = 0;
    std::int32_t MoveBar = 1;
    std::int32_t ReadOnly = 0;
};

// The stored default face; the user interface maps it to an available font.
inline constexpr char kDefaultFontName[] = "MS Sans Serif";
inline constexpr ColorRef kDefaultBackgroundColor = 0x003CE6F0;

struct FontProperty {
    char Name[32] = "MS Sans Serif";
    std::int32_t Size = 9;
    std::int32_t Flags = 0;
    ColorRef FontColor = 0;
    ColorRef BackgroundColor = kDefaultBackgroundColor;

    // The name is compared over all of its bytes, those after the terminator included.
    friend bool operator==(const FontProperty& a, const FontProperty& b) {
        return std::memcmp(a.Name, b.Name, sizeof a.Name) == 0 && a.Size == b.Size && a.Flags == b.Flags &&
               a.FontColor == b.FontColor && a.BackgroundColor == b.BackgroundColor;
    }
    friend bool operator!=(const FontProperty& a, const FontProperty& b) { return !(a == b); }
};

// A group's font and colours.
using GroupProperty = FontProperty;

// A note's reminder. Times are seconds since 1970-01-01 00:00 UTC.
struct InformProperty {
    std::int32_t Enabled = 0;
    std::int32_t ByDate = 0;
    std::int32_t ByTime = 0;
    std::int64_t FireTime = 0;
    std::int64_t StartTime = 0;
    std::int32_t Repeat = 0;
    std::int32_t Cycle = 0; // 1 monthly, 2 weekly, 3 daily, 4 hourly, 0 none
    std::int32_t Sound = 1;
    std::int32_t Topmost = 1;
    char WavePath[260] = {};
};

struct ApplicationProperty {
    std::int32_t EnableStartup = 0;
    // Empty here: the default lies in the user's documents folder, which only the
    // settings layer knows (see CSettingsFile).
    char SavePath[260] = {};
    std::int32_t OrderFlag = 3;
    std::int32_t MessageGap = 0;
    std::int32_t EnableOutOfWindow = 0;
};

struct NetworkInfo {
    char Network[256] = {};
    char Mask[64] = {};
};

inline constexpr std::uint16_t kDefaultPort = 4126;

struct NetworkProperty {
    std::int32_t AcceptConnection = 0;
    char Address[32] = {};
    std::uint16_t Port = kDefaultPort;
    std::int32_t EnableUPnP = 0;
    std::int32_t ConfirmReceive = 0;
    std::int32_t ConfirmExpire = 10;
    std::int32_t AcceptTransfer = 0;
    char User[128] = {};
    char Passwd[128] = {};
    std::int32_t AllowAll = 1;
    std::vector<NetworkInfo> NetworkInfoList;
};
