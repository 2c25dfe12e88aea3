#pragma once

#include <functional>

class QDialog;

// Every modal dialog of the user interface runs through Exec, so tests can
// answer a dialog (fill it, press its buttons, or just return a result)
// instead of entering a nested event loop.
namespace modalrun {

// Answers a dialog in place of exec(); returns the dialog's result code.
using Hook = std::function<int(QDialog&)>;

// Installs the hook (empty: dialogs run for real).
void SetHook(Hook hook);

// dialog.exec(), or the hook's answer when one is installed.
int Exec(QDialog& dialog);

} // namespace modalrun
