#pragma once

#include "core/note/ReminderSchedule.h"

#include <QMenu>
#include <QPointer>
#include <QUrl>

#include <functional>

class CMessageDlg;
class CMessenger;
class CPromptPort;

// What the note windows of one program share: the application sets it up and
// hands it to the window factory; tests give their windows one of their own.
struct CNoteContext {
    // Typing and resizing are reported after this much quiet (milliseconds).
    static constexpr int kDefaultQuietTime = 60000;

    int QuietTime = kDefaultQuietTime;
    // The reminder timer's period (milliseconds). The clock it reads is
    // uiclock::Now, its sounds go to CSoundPort::Default.
    int ReminderPeriod = reminder::kTimerPeriodMs;
    // Told when a note's reminder went off, once the note is up; unset: nobody.
    std::function<void(CMessageDlg&)> ReminderFired;
    // Where questions and errors go; null: message boxes owned by the note.
    CPromptPort* Prompt = nullptr;
    // What opens a clicked link; unset means QDesktopServices::openUrl.
    std::function<void(const QUrl&)> LinkOpener;
    // A menu appended to every note's context menu (the application's own,
    // where no tray icon offers it); null: none.
    QPointer<QMenu> ExtraMenu;
    // The messenger asked each time a context menu opens and given "Send with
    // Messenger"; null: the program's one shared instance.
    CMessenger* Messenger = nullptr;
};
