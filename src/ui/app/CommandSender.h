#pragma once

#include <QString>
#include <QVariantList>

#include <chrono>
#include <functional>

// The sending end of the program's commands: `quillet --new` and its kind,
// and a second start, hand their command to the running program over the
// session bus. Needs a QCoreApplication, not a display.
class CCommandSender {
public:
    // A program that holds the instance lock takes its bus name only at the end
    // of its start-up; a command sent meanwhile waits this long for it.
    static constexpr std::chrono::milliseconds kAnswerWindow{5000};
    static constexpr std::chrono::milliseconds kRetryStep{100};
    // How long one call may take before the program counts as hung.
    static constexpr int kCallTimeoutMs = 5000;

    struct Option {
        const char* Name;
        const char* Method;
        const char* Help;
    };
    static constexpr Option kOptions[] = {
        {"--new", "NewNote", "create a note in the running program"},
        {"--show-all", "ShowAll", "show and raise every note"},
        {"--hide-all", "HideAll", "hide every note"},
        {"--menu", "OpenMenu", "open the main menu at the mouse pointer"},
        {"--quit", "Quit", "save and end the running program"},
    };
    // The method that a command-line option sends, or null for other arguments.
    static const char* MethodOf(const char* option);

    // isRunning tells whether a program holds the instance lock now.
    explicit CCommandSender(std::function<bool()> isRunning);

    // Calls `method` of the running program. An empty string once the program
    // has taken the command; otherwise what went wrong, in words for the user.
    QString Send(const QString& method, const QVariantList& arguments = {});

private:
    std::function<bool()> m_isRunning;
};
