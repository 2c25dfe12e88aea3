#include "core/app/Strings.h"

#include <map>

namespace strings {

const char* EnglishText(int id) {
    static const std::map<int, const char*> texts = {
        {kSaveFailed, "Message saving failed. You shoud make room on disk or change save folder."},
        {kServerSocketCreateFailed, "Socket create failed."},
        {kApplyGroupProperty,
         "Message \\\"%s\\\" has been registered two more groups. Do you apply a group property of \\\"%s\\\" ?"},
    };
    const auto it = texts.find(id);
    return it == texts.end() ? "" : it->second;
}

std::string Format(const std::string& text, const std::vector<std::string>& args) {
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's') {
            if (next < args.size())
                out += args[next++];
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

} // namespace strings
