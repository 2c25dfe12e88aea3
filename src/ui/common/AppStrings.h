#pragma once

#include <QString>

#include <string>
#include <vector>

// The translated text of a string id (core/base/Strings.h); ids that the
// application does not translate itself fall back to the note window's table
// and finally to the English text.
QString AppStringText(int id);
// The note window's own texts; others in English.
QString NoteStringText(int id);
// The text with each "%s" replaced by the next value.
QString AppStringFormat(int id, const std::vector<std::string>& args);
