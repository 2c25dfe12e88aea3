// Rewrites a set of note files over and over with two known versions, the way
// the program saves notes. Used by the fault scripts: killed at random moments,
// or run once with writes failing, after which every file must still be one
// whole version.
//
//   save_loop loop FOLDER COUNT     rewrite forever (prints "ready" after the first pass)
//   save_loop once FOLDER COUNT V   write version V (a or b) once; exit 3 when a save failed
//   save_loop check FOLDER COUNT    exit 0 when every file is a whole version and no temporary is left
#include "core/stream/DataFiles.h"
#include "core/stream/FileError.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Two versions of different lengths, so a torn write cannot pass for either.
std::string Version(char which, int id) {
    const std::string line = which == 'a' ? "<Quillet><Sheet ID=\"" + std::to_string(id) + "\" Version=\"a\"/>"
                                          : "<Quillet><Sheet ID=\"" + std::to_string(id) + "\" Version=\"bb\"/>";
    std::string text;
    const int repeat = which == 'a' ? 150 : 400;
    for (int i = 0; i < repeat; ++i)
        text += line + "\r\n";
    return text;
}

int Check(const std::string& folder, int count) {
    int bad = 0;
    for (int id = 1; id <= count; ++id) {
        std::string contents;
        const std::string path = NoteFilePath(folder, id);
        if (!ReadWholeFile(path, contents)) {
            std::printf("missing %s\n", path.c_str());
            ++bad;
        } else if (contents != Version('a', id) && contents != Version('b', id)) {
            std::printf("torn %s (%zu bytes)\n", path.c_str(), contents.size());
            ++bad;
        }
        std::string left;
        if (ReadWholeFile(path + "_tmp", left) && !left.empty() && left != Version('a', id) &&
            left != Version('b', id)) {
            // A temporary cut short by a kill is harmless only if it is never
            // mistaken for the note: it must not replace the real file.
            std::printf("note: partial temporary %s_tmp\n", path.c_str());
        }
    }
    return bad == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    const std::string mode = argv[1];
    const std::string folder = argv[2];
    const int count = std::atoi(argv[3]);
    if (mode == "check")
        return Check(folder, count);
    if (mode == "once" && argc == 5) {
        int failed = 0;
        for (int id = 1; id <= count; ++id) {
            try {
                SaveNoteFile(folder, id, Version(argv[4][0], id));
            } catch (const CFileError&) {
                ++failed;
            }
        }
        std::printf("failed %d\n", failed);
        return failed == 0 ? 0 : 3;
    }
    if (mode == "loop") {
        for (long round = 0;; ++round) {
            for (int id = 1; id <= count; ++id)
                SaveNoteFile(folder, id, Version(round % 2 == 0 ? 'a' : 'b', id));
            if (round == 0) {
                std::printf("ready\n");
                std::fflush(stdout);
            }
        }
    }
    return 2;
}
