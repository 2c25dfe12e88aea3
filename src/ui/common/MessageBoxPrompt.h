#pragma once

#include "core/base/PromptPort.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

class QWidget;

// Questions and messages as message boxes, each run through modalrun::Exec.
// A string id shows its translated text (AppStringFormat). Questions carry the
// exclamation icon and Yes/No buttons, messages the asked icon and OK.
class CMessageBoxPrompt : public CPromptPort {
public:
    // owner: the window the boxes belong to (nullptr: none).
    // defaultAnswer: the button Enter presses in a question; none leaves the
    // choice to the box, which takes Yes.
    CMessageBoxPrompt(QWidget* owner, QString questionTitle, QString messageTitle,
                      std::optional<Answer> defaultAnswer = std::nullopt);

    Answer AskYesNo(int stringId, const std::vector<std::string>& args) override;
    void ShowMessage(int stringId, const std::vector<std::string>& args, Icon icon) override;
    Answer AskCancelTryContinue(int stringId, const std::vector<std::string>& args) override;

    // The same boxes for a text that is already complete.
    Answer AskText(const QString& text);
    void ShowText(const QString& text, Icon icon);

    // The application's display name, "Quillet!" when it has none.
    static QString AppTitle();

private:
    QWidget* m_owner;
    QString m_questionTitle;
    QString m_messageTitle;
    std::optional<Answer> m_defaultAnswer;
};
