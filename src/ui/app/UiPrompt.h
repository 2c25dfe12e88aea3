#pragma once

#include "core/base/PromptPort.h"

#include <QString>

#include <deque>
#include <string>
#include <vector>

class QWidget;

// Questions and messages of the application as message boxes. Tests switch
// the boxes off and script the answers ("next answer" seam); every question
// and message is recorded either way.
class CUiPrompt : public CPromptPort {
public:
    struct Record {
        int StringId = 0; // 0 for a text without an id
        QString Text;
        bool Question = false;
    };

    CUiPrompt() = default;

    Answer AskYesNo(int stringId, const std::vector<std::string>& args) override;
    void ShowMessage(int stringId, const std::vector<std::string>& args, Icon icon) override;
    // Scripted with no answer left: Continue.
    Answer AskCancelTryContinue(int stringId, const std::vector<std::string>& args) override;
    // A message that has no string id.
    void ShowText(const QString& text, Icon icon);

    // Scripted: no box is shown; questions take the next queued answer, No
    // when none is left.
    void SetScripted(bool scripted) { m_scripted = scripted; }
    bool IsScripted() const { return m_scripted; }
    void PushAnswer(Answer answer) { m_answers.push_back(answer); }

    const std::vector<Record>& History() const { return m_history; }
    // How many messages (not questions) with this id were shown.
    int CountShown(int stringId) const;
    int CountAsked(int stringId) const;
    void ClearHistory() { m_history.clear(); }

private:
    // The next scripted answer.
    Answer NextAnswer(Answer whenNoneLeft);

    bool m_scripted = false;
    std::deque<Answer> m_answers;
    std::vector<Record> m_history;
};
