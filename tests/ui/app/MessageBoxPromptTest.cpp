#include "core/base/Strings.h"
#include "ui/app/UiPrompt.h"
#include "ui/common/MessageBoxPrompt.h"
#include "ui/common/ModalRun.h"

#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// What a box looked like when it was run.
struct Seen {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QWidget* Owner = nullptr;
    QMessageBox::StandardButtons Buttons;
    QMessageBox::StandardButton Default = QMessageBox::NoButton;
};

class MessageBoxPromptTest : public ::testing::Test {
protected:
    void SetUp() override {
        modalrun::SetHook([this](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            if (box == nullptr)
                return 0;
            m_seen.push_back(
                {box->windowTitle(), box->text(), box->icon(), box->parentWidget(), box->standardButtons(),
                 box->defaultButton() != nullptr ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton});
            return static_cast<int>(m_press);
        });
    }
    void TearDown() override { modalrun::SetHook({}); }

    std::vector<Seen> m_seen;
    QMessageBox::StandardButton m_press = QMessageBox::Yes;
};

TEST_F(MessageBoxPromptTest, QuestionsAndMessagesUseTheirTitlesOwnerIconsAndDefault) {
    QWidget owner;
    CMessageBoxPrompt prompt(&owner, QStringLiteral("Asked"), QStringLiteral("Told"));

    EXPECT_EQ(prompt.AskYesNo(strings::kReceiveConfirm, {"host"}), CPromptPort::Answer::Yes);
    m_press = QMessageBox::No;
    EXPECT_EQ(prompt.AskYesNo(strings::kReceiveConfirm, {"host"}), CPromptPort::Answer::No);
    prompt.ShowMessage(strings::kSaveFailed, {}, CPromptPort::Icon::Stop);
    prompt.ShowMessage(strings::kTitleTooLong, {}, CPromptPort::Icon::Information);
    prompt.ShowText(QStringLiteral("plain"), CPromptPort::Icon::Exclamation);

    ASSERT_EQ(m_seen.size(), 5u);
    EXPECT_EQ(m_seen[0].Title, QStringLiteral("Asked"));
    EXPECT_EQ(m_seen[0].Text, QStringLiteral("Do you want to receive message from host ?"));
    EXPECT_EQ(m_seen[0].Icon, QMessageBox::Warning);
    EXPECT_EQ(m_seen[0].Owner, &owner);
    EXPECT_EQ(m_seen[0].Buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(m_seen[0].Default, QMessageBox::NoButton);
    EXPECT_EQ(m_seen[2].Title, QStringLiteral("Told"));
    EXPECT_EQ(m_seen[2].Icon, QMessageBox::Critical);
    EXPECT_EQ(m_seen[2].Buttons, QMessageBox::Ok);
    EXPECT_EQ(m_seen[2].Owner, &owner);
    EXPECT_EQ(m_seen[3].Icon, QMessageBox::Information);
    EXPECT_EQ(m_seen[3].Text, QStringLiteral("Too long selected text for message title."));
    EXPECT_EQ(m_seen[4].Icon, QMessageBox::Warning);
    EXPECT_EQ(m_seen[4].Text, QStringLiteral("plain"));
}

// The application's boxes have no owner, carry its name and answer No on Enter.
TEST_F(MessageBoxPromptTest, ApplicationPromptDefaultsToNoAndScriptedShowsNothing) {
    CUiPrompt prompt;
    EXPECT_EQ(prompt.AskYesNo(strings::kDeleteAllConfirm, {}), CPromptPort::Answer::Yes);
    prompt.ShowText(QStringLiteral("gone"), CPromptPort::Icon::Stop);
    ASSERT_EQ(m_seen.size(), 2u);
    EXPECT_EQ(m_seen[0].Title, CMessageBoxPrompt::AppTitle());
    EXPECT_FALSE(m_seen[0].Title.isEmpty());
    EXPECT_EQ(m_seen[0].Owner, nullptr);
    EXPECT_EQ(m_seen[0].Default, QMessageBox::No);
    EXPECT_EQ(m_seen[1].Icon, QMessageBox::Critical);

    prompt.SetScripted(true);
    EXPECT_EQ(prompt.AskYesNo(strings::kDeleteAllConfirm, {}), CPromptPort::Answer::No);
    prompt.ShowMessage(strings::kSaveFailed, {}, CPromptPort::Icon::Stop);
    EXPECT_EQ(m_seen.size(), 2u);
    EXPECT_EQ(prompt.CountAsked(strings::kDeleteAllConfirm), 2);
}

} // namespace
