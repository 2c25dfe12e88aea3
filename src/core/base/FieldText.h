#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// Conversions between the text of documents and the fixed-size fields of the records.

// Length of the UTF-8-safe prefix of text that fits into at most maxBytes bytes:
// a multibyte sequence that would be cut is dropped whole.
inline std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text.size();
    std::size_t length = maxBytes;
    // A valid sequence has at most three continuation bytes; more means the text is
    // not UTF-8 and a plain byte cut is as good as any.
    std::size_t backed = 0;
    while (length > 0 && backed < 3 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        --length;
        ++backed;
    }
    if (backed == 3 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        return maxBytes;
    return length;
}

// Copies text into a zero-terminated field, cut at the field's capacity (N - 1 bytes)
// without splitting a UTF-8 sequence. The rest of the field is zero-filled, so fields
// holding the same text are equal byte for byte.
template <std::size_t N> void CopyField(char (&field)[N], std::string_view text) {
    static_assert(N > 0);
    const std::size_t length = Utf8PrefixLength(text, N - 1);
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, N - length);
}

// The text of a field, up to its terminator (or its whole size when it has none).
template <std::size_t N> std::string_view FieldText(const char (&field)[N]) {
    return std::string_view(field, strnlen(field, N));
}

// Decimal conversion of the documents: leading blanks skipped, optional sign, digits
// up to the first non-digit, no digits = 0. Values beyond 64 bits saturate.
inline std::int64_t ParseDecimal64(const char* text) {
    if (text == nullptr)
        return 0;
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' || *text == '\f')
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    // Accumulate the magnitude as unsigned so that INT64_MIN is representable.
    constexpr std::uint64_t kLimit = static_cast<std::uint64_t>(INT64_MAX) + 1;
    std::uint64_t magnitude = 0;
    // Eighteen digits stay below 10^18 and cannot pass the limit: they need no
    // check, and identifiers and colours are shorter.
    constexpr int kUncheckedDigits = 18;
    for (int n = 0; n < kUncheckedDigits && *text >= '0' && *text <= '9'; ++n, ++text)
        magnitude = magnitude * 10 + static_cast<unsigned>(*text - '0');
    for (; *text >= '0' && *text <= '9'; ++text) {
        const unsigned digit = static_cast<unsigned>(*text - '0');
        if (magnitude > (kLimit - digit) / 10) {
            magnitude = kLimit;
            while (*text >= '0' && *text <= '9')
                ++text;
            break;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (negative)
        return magnitude == kLimit ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
    return magnitude >= kLimit ? INT64_MAX : static_cast<std::int64_t>(magnitude);
}

// The same for 32-bit fields; out-of-range values saturate.
inline std::int32_t ParseDecimal32(const char* text) {
    const std::int64_t value = ParseDecimal64(text);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

// Colours are written signed in one place and unsigned in another: taking the value
// modulo 2^32 reads both forms back to the same 32 bits.
inline std::uint32_t ParseDecimalBits32(const char* text) {
    return static_cast<std::uint32_t>(ParseDecimal64(text));
}

// Attribute values are written between double quotes and read by a reader that
// ends a tag at the first '>' and drops line breaks. The bytes that would break a
// value are written as these references; everything else, a lone '&' included,
// is written as it is, so ordinary values read the same everywhere. An '&' that
// would be taken for the start of a reference is written as "&amp;".
namespace field_text_detail {
struct Reference {
    char byte;
    std::string_view text; // after the '&'
};
inline constexpr Reference kReferences[] = {
    {'"', "quot;"}, {'<', "lt;"}, {'>', "gt;"}, {'\r', "#13;"}, {'\n', "#10;"}, {'&', "amp;"},
};
} // namespace field_text_detail

inline std::string EscapeAttribute(std::string_view value) {
    using field_text_detail::kReferences;
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const field_text_detail::Reference* found = nullptr;
        for (const auto& reference : kReferences) {
            if (reference.byte != c)
                continue;
            // A lone '&' stays as it is unless a reference name follows it.
            if (c == '&') {
                const std::string_view rest = value.substr(i + 1);
                bool ambiguous = false;
                for (const auto& other : kReferences)
                    ambiguous = ambiguous || rest.substr(0, other.text.size()) == other.text;
                if (!ambiguous)
                    break;
            }
            found = &reference;
            break;
        }
        if (found == nullptr) {
            out.push_back(c);
        } else {
            out.push_back('&');
            out.append(found->text);
        }
    }
    return out;
}

inline std::string UnescapeAttribute(std::string_view value) {
    using field_text_detail::kReferences;
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '&') {
            const std::string_view rest = value.substr(i + 1);
            for (const auto& reference : kReferences) {
                if (rest.substr(0, reference.text.size()) == reference.text) {
                    c = reference.byte;
                    i += reference.text.size();
                    break;
                }
            }
        }
        out.push_back(c);
    }
    return out;
}
