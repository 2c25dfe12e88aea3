#include "ui/common/MessageBoxPrompt.h"

#include "ui/common/AppStrings.h"
#include "ui/common/ModalRun.h"

#include <QGuiApplication>
#include <QMessageBox>

#include <utility>

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

} // namespace

CMessageBoxPrompt::CMessageBoxPrompt(QWidget* owner, QString questionTitle, QString messageTitle,
                                     std::optional<Answer> defaultAnswer)
    : m_owner(owner), m_questionTitle(std::move(questionTitle)), m_messageTitle(std::move(messageTitle)),
      m_defaultAnswer(defaultAnswer) {}

CPromptPort::Answer CMessageBoxPrompt::AskYesNo(int stringId, const std::vector<std::string>& args) {
    return AskText(AppStringFormat(stringId, args));
}

void CMessageBoxPrompt::ShowMessage(int stringId, const std::vector<std::string>& args, Icon icon) {
    ShowText(AppStringFormat(stringId, args), icon);
}

CPromptPort::Answer CMessageBoxPrompt::AskText(const QString& text) {
    QMessageBox box(QMessageBox::Warning, m_questionTitle, text, QMessageBox::Yes | QMessageBox::No, m_owner);
    if (m_defaultAnswer)
        box.setDefaultButton(*m_defaultAnswer == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return modalrun::Exec(box) == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void CMessageBoxPrompt::ShowText(const QString& text, Icon icon) {
    QMessageBox box(ToQtIcon(icon), m_messageTitle, text, QMessageBox::Ok, m_owner);
    modalrun::Exec(box);
}

QString CMessageBoxPrompt::AppTitle() {
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Quillet!") : name;
}
