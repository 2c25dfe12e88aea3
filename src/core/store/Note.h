#pragma once

#include "core/base/Properties.h"

#include <string>

// A note's data, owned by the store and shown by a note window: the three
// records and the body. The body is kept as the RTF bytes of the note
// document, the form of the file and of the wire: a note is written without
// converting it, and RTF that no editor could represent is not lost while
// the note is not edited.
struct CNote {
    SheetProperty Sheet; // its rectangle is the window's, as of the last change reported
    FontProperty Font;
    InformProperty Inform;
    std::string Body;
    // Changes made in the window that the store has not been told of yet.
    bool Modified = true;

    // Reads a note document; false (the note unchanged) when it does not parse.
    bool Parse(const char* document);
    // The note document: the sheet, the font, the reminder only while it is
    // enabled, the body.
    std::string Serialize() const;

    friend bool operator==(const CNote& a, const CNote& b);
    friend bool operator!=(const CNote& a, const CNote& b) { return !(a == b); }
};
