#include "ui/common/ModalRun.h"

#include <QDialog>

namespace modalrun {

namespace {
Hook g_hook;
}

void SetHook(Hook hook) {
    g_hook = std::move(hook);
}

int Exec(QDialog& dialog) {
    if (g_hook) {
        // Copied: the hook may install another one while it runs.
        const Hook hook = g_hook;
        return hook(dialog);
    }
    return dialog.exec();
}

} // namespace modalrun
