#pragma once

#include <string>
#include <vector>

// How core code talks to the user: by string id and the values to fill in
// (see core/app/Strings.h). The user interface shows message boxes; tests
// script the answers.
class CPromptPort {
public:
    enum class Answer { Yes, No, Cancel, TryAgain, Continue };
    enum class Icon { Information, Exclamation, Stop };

    virtual ~CPromptPort() = default;

    // A Yes/No question with the exclamation icon; callers act only on Yes.
    virtual Answer AskYesNo(int stringId, const std::vector<std::string>& args) = 0;
    // A message box with an OK button.
    virtual void ShowMessage(int stringId, const std::vector<std::string>& args, Icon icon) = 0;
    // A failure the user may try again, with the stop icon and the buttons
    // Cancel, Try Again and Continue. A port without such a box shows the
    // message and answers Continue.
    virtual Answer AskCancelTryContinue(int stringId, const std::vector<std::string>& args) {
        ShowMessage(stringId, args, Icon::Stop);
        return Answer::Continue;
    }
};
