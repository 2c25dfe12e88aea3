#include "ui/common/AppStrings.h"

#include "core/base/Strings.h"

#include <QCoreApplication>

// The context is spelled out in every call: lupdate only sees literal contexts.
QString NoteStringText(int id) {
    switch (id) {
    case strings::kGroupMenu:
        return QCoreApplication::translate("CMessageDlg", "Group");
    case strings::kDeleteMessageConfirm:
        return QCoreApplication::translate("CMessageDlg", "Do you really want to delete a message ?");
    case strings::kGroupSettingsItem:
        return QCoreApplication::translate("CMessageDlg", "Group Settings(&S)...");
    case strings::kTitleTooLong:
        return QCoreApplication::translate("CMessageDlg", "Too long selected text for message title.");
    case strings::kSendWithMessenger:
        return QCoreApplication::translate("CMessageDlg", "Send with Messenger(&M)...");
    case strings::kReminderMissed:
        return QCoreApplication::translate("CMessageDlg",
                                           "Notification time for message %s is already passed %d minutes.");
    default:
        return QString::fromUtf8(strings::EnglishText(id));
    }
}

QString AppStringText(int id) {
    switch (id) {
    case strings::kMessageMenu:
        return QCoreApplication::translate("CPinletApp", "Message");
    case strings::kMessageLimit:
        return QCoreApplication::translate("CPinletApp", "Message limitation over.");
    case strings::kDeleteAllConfirm:
        return QCoreApplication::translate("CPinletApp", "Do you really want to delete all messages ?");
    case strings::kChangeGroupProperty:
        return QCoreApplication::translate("CPinletApp",
                                           "Do you really want to change the property for all belonged messages?");
    case strings::kSaveFailed:
        return QCoreApplication::translate("CPinletApp",
                                           "Message saving failed. You shoud make room on disk or change save folder.");
    case strings::kServerSocketCreateFailed:
        return QCoreApplication::translate("CPinletApp", "Socket create failed.");
    case strings::kReceiveConfirm:
        return QCoreApplication::translate("CPinletApp", "Do you want to receive message from %s ?");
    // Requests to other computers.
    case strings::kInvalidDestination:
        return QCoreApplication::translate("CPinletApp", "Invalid destination");
    case strings::kSocketCreateFailed:
        // Same English as the server's 57687, another Japanese text.
        return QCoreApplication::translate("CPinletApp", "Socket create failed.", "client");
    case strings::kSocketCannotConnect:
        return QCoreApplication::translate("CPinletApp", "Socket can not connect.");
    case strings::kMessageRefused:
        return QCoreApplication::translate("CPinletApp", "Your message was refused by destination.");
    case strings::kAuthenticationFailed:
        return QCoreApplication::translate("CPinletApp", "Failed for authentification.");
    case strings::kListRetrieveFailed:
        return QCoreApplication::translate(
            "CPinletApp", "Retrieveing message list failed. Probably destination user deny to connect.");
    default:
        return NoteStringText(id);
    }
}

QString AppStringFormat(int id, const std::vector<std::string>& args) {
    return QString::fromStdString(strings::Format(AppStringText(id).toStdString(), args));
}
