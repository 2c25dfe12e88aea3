#pragma once

#include "core/base/PromptPort.h"
#include "core/store/MessageEventHandler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QWidget>

#include <string>
#include <utility>
#include <vector>

// Records what a note window reports; answers the group questions from its fields.
class CRecordingHandler : public CMessageEventHandler {
public:
    void OnShowChanged(int id, bool shown) override { ShowChanges.emplace_back(id, shown); }
    void OnDelete(int id) override { Deleted.push_back(id); }
    void OnTitleChanged(int id, const std::string& title) override { Titles.emplace_back(id, title); }
    void OnSend(int id) override { Sent.push_back(id); }
    void OnRequest(int id, int kind) override { Requests.emplace_back(id, kind); }
    void OnAddToGroup(int id, const std::string& group) override { Added.emplace_back(id, group); }
    void OnRemoveFromGroup(int id, const std::string& group) override { Removed.emplace_back(id, group); }
    void GetGroupNames(std::vector<std::string>& out) override { out = GroupNames; }
    int GetMessageGroups(int, std::vector<std::string>& out) override {
        out.insert(out.end(), MyGroups.begin(), MyGroups.end());
        return static_cast<int>(MyGroups.size());
    }
    void OnSetGroups(int, const std::vector<std::string>&) override {}
    void OnChanged(int id) override { Changed.push_back(id); }

    void Clear() { *this = CRecordingHandler(); }

    std::vector<std::pair<int, bool>> ShowChanges;
    std::vector<int> Deleted;
    std::vector<std::pair<int, std::string>> Titles;
    std::vector<int> Sent;
    std::vector<std::pair<int, int>> Requests;
    std::vector<std::pair<int, std::string>> Added;
    std::vector<std::pair<int, std::string>> Removed;
    std::vector<int> Changed;
    std::vector<std::string> GroupNames;
    std::vector<std::string> MyGroups;
};

// Answers questions with the next scripted answer and records what was shown.
class CScriptedPrompt : public CPromptPort {
public:
    Answer AskYesNo(int stringId, const std::vector<std::string>&) override {
        Asked.push_back(stringId);
        return NextAnswer;
    }
    void ShowMessage(int stringId, const std::vector<std::string>&, Icon icon) override {
        Shown.emplace_back(stringId, icon);
    }

    Answer NextAnswer = Answer::No;
    std::vector<int> Asked;
    std::vector<std::pair<int, Icon>> Shown;
};

// Runs the event loop for a while.
inline void Pump(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (timer.elapsed() < milliseconds);
}

// A mouse event at a screen point, delivered to widget as the window system would.
inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint global, Qt::MouseButtons buttons,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(widget->mapFromGlobal(global)), QPointF(global), button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}
