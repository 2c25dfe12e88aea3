#include "ui/common/MessageBoxPrompt.h"

#include "ui/common/AppStrings.h"
#include "ui/common/ModalRun.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

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

CPromptPort::Answer CMessageBoxPrompt::AskCancelTryContinue(int stringId, const std::vector<std::string>& args) {
    QMessageBox box(QMessageBox::Critical, m_messageTitle, AppStringFormat(stringId, args), QMessageBox::NoButton,
                    m_owner);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    QPushButton* tryAgain =
        box.addButton(QCoreApplication::translate("CMessageBoxPrompt", "&Try Again"), QMessageBox::AcceptRole);
    box.addButton(QCoreApplication::translate("CMessageBoxPrompt", "&Continue"), QMessageBox::DestructiveRole);
    box.setDefaultButton(tryAgain);
    box.setEscapeButton(cancel);
    modalrun::Exec(box);
    if (box.clickedButton() == tryAgain)
        return Answer::TryAgain;
    if (box.clickedButton() == cancel || box.clickedButton() == nullptr)
        return Answer::Cancel;
    return Answer::Continue;
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
