#pragma once

#include <string>
#include <vector>

// Ids of the user-visible texts. The English text is the source text; the user
// interface translates it.
namespace strings {

constexpr int kSaveFailed = 57695;
constexpr int kServerSocketCreateFailed = 57687;
constexpr int kApplyGroupProperty = 57698;

// The English text of an id, or an empty text for an unknown id.
const char* EnglishText(int id);

// The text with each "%s" replaced by the next value, in order.
std::string Format(const std::string& text, const std::vector<std::string>& args);

inline std::string EnglishFormat(int id, const std::vector<std::string>& args) {
    return Format(EnglishText(id), args);
}

} // namespace strings
