#include "ui/app/UiPrompt.h"

#include "ui/app/AppStrings.h"

#include <QGuiApplication>
#include <QMessageBox>

#include <algorithm>

namespace {

QMessageBox::Icon ToQtIcon(CPromptPort::Icon icon) {
    switch (icon) {
    case CPromptPort::Icon::Information:
        return QMessageBox::Information;
    case CPromptPort::Icon::Exclamation:
        return QMessageBox::Warning;
    case CPromptPort::Icon::Stop:
        break;
    }
    return QMessageBox::Critical;
}

QString Title() {
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Quillet!") : name;
}

} // namespace

CPromptPort::Answer CUiPrompt::AskYesNo(int stringId, const std::vector<std::string>& args) {
    const QString text = AppStringFormat(stringId, args);
    m_history.push_back({stringId, text, true});
    if (m_scripted) {
        if (m_answers.empty())
            return Answer::No;
        const Answer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    QMessageBox box(QMessageBox::Warning, Title(), text, QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void CUiPrompt::ShowMessage(int stringId, const std::vector<std::string>& args, Icon icon) {
    const QString text = AppStringFormat(stringId, args);
    m_history.push_back({stringId, text, false});
    if (m_scripted)
        return;
    QMessageBox box(ToQtIcon(icon), Title(), text, QMessageBox::Ok);
    box.exec();
}

void CUiPrompt::ShowText(const QString& text, Icon icon) {
    m_history.push_back({0, text, false});
    if (m_scripted)
        return;
    QMessageBox box(ToQtIcon(icon), Title(), text, QMessageBox::Ok);
    box.exec();
}

int CUiPrompt::CountShown(int stringId) const {
    return static_cast<int>(std::count_if(m_history.begin(), m_history.end(),
                                          [&](const Record& r) { return !r.Question && r.StringId == stringId; }));
}

int CUiPrompt::CountAsked(int stringId) const {
    return static_cast<int>(std::count_if(m_history.begin(), m_history.end(),
                                          [&](const Record& r) { return r.Question && r.StringId == stringId; }));
}
