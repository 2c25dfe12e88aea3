// Loads arbitrary bytes as a send log, saves the list and loads the result
// again: whatever was loaded must survive the round trip unchanged.
#include "core/store/DestInfo.h"
#include "core/stream/MemInputStream.h"
#include "core/stream/MemOutputStream.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20)
        return 0;
    CMemInputStream input(data, static_cast<int>(size));
    CDestInfo list;
    if (list.Load(&input) != 1)
        __builtin_trap();

    CMemOutputStream output;
    list.Save(&output);
    const std::string saved = output.ToString();

    CDestInfo reloaded;
    CMemInputStream again(saved.data(), static_cast<int>(saved.size()));
    if (reloaded.ParseFrom(&again) != 1)
        __builtin_trap();

    // Entries whose names cannot be stored are left out of the file; all others
    // come back in order.
    CDestInfo expected(0);
    for (const DestEntry& entry : list.GetEntries()) {
        if (CDestInfo::IsStorableName(entry.Name))
            expected.SetAt(expected.GetCount(), entry.Name, entry.Port);
    }
    if (reloaded.GetCount() != expected.GetCount())
        __builtin_trap();
    for (int i = 0; i < expected.GetCount(); ++i) {
        const DestEntry& a = expected.GetEntries()[i];
        const DestEntry& b = reloaded.GetEntries()[i];
        if (a.Name != b.Name || a.Port != b.Port)
            __builtin_trap();
    }
    return 0;
}
