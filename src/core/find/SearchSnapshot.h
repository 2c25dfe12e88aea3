#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CDataBase;

// What the find worker searches: a copy of every note taken on the user-interface
// thread, so the worker never touches the store or a window.
struct SearchNote {
    int ID = 0;
    std::string Title;        // the display title
    std::string CreationTime; // "%Y/%m/%d %H:%M:%S"
    std::string Text;         // the note's plain text, UTF-8
};

using SearchSnapshot = std::vector<SearchNote>;

// One note that contains the search string: where its first match lies, in bytes
// of SearchNote::Text.
struct SearchResult {
    int ID = 0;
    std::size_t Offset = 0;
    std::size_t Length = 0;
    std::string Title;
    std::string CreationTime;
};

// Every note of the store, oldest first (IDs are creation times).
SearchSnapshot TakeSearchSnapshot(const CDataBase& store);
