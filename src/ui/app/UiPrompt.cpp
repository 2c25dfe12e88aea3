#include "ui/app/UiPrompt.h"

#include "ui/common/AppStrings.h"
#include "ui/common/MessageBoxPrompt.h"

#include <algorithm>

namespace {

// Application-wide boxes: no owner window, Enter answers No.
CMessageBoxPrompt Boxes() {
    const QString title = CMessageBoxPrompt::AppTitle();
    return CMessageBoxPrompt(nullptr, title, title, CPromptPort::Answer::No);
}

} // namespace

CPromptPort::Answer CUiPrompt::NextAnswer(Answer whenNoneLeft) {
    if (m_answers.empty())
        return whenNoneLeft;
    const Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

CPromptPort::Answer CUiPrompt::AskYesNo(int stringId, const std::vector<std::string>& args) {
    const QString text = AppStringFormat(stringId, args);
    m_history.push_back({stringId, text, true});
    if (m_scripted)
        return NextAnswer(Answer::No);
    return Boxes().AskText(text);
}

CPromptPort::Answer CUiPrompt::AskCancelTryContinue(int stringId, const std::vector<std::string>& args) {
    const QString text = AppStringFormat(stringId, args);
    m_history.push_back({stringId, text, true});
    if (m_scripted)
        return NextAnswer(Answer::Continue);
    return Boxes().AskCancelTryContinue(stringId, args);
}

void CUiPrompt::ShowMessage(int stringId, const std::vector<std::string>& args, Icon icon) {
    const QString text = AppStringFormat(stringId, args);
    m_history.push_back({stringId, text, false});
    if (m_scripted)
        return;
    Boxes().ShowText(text, icon);
}

void CUiPrompt::ShowText(const QString& text, Icon icon) {
    m_history.push_back({0, text, false});
    if (m_scripted)
        return;
    Boxes().ShowText(text, icon);
}

int CUiPrompt::CountShown(int stringId) const {
    return static_cast<int>(std::count_if(m_history.begin(), m_history.end(),
                                          [&](const Record& r) { return !r.Question && r.StringId == stringId; }));
}

int CUiPrompt::CountAsked(int stringId) const {
    return static_cast<int>(std::count_if(m_history.begin(), m_history.end(),
                                          [&](const Record& r) { return r.Question && r.StringId == stringId; }));
}
