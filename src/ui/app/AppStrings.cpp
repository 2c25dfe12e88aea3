#include "ui/app/AppStrings.h"

#include "core/app/Strings.h"
#include "ui/note/MessageDlg.h"

#include <QCoreApplication>

QString AppStringText(int id) {
    const char* context = "CPinletApp";
    switch (id) {
    case strings::kMessageMenu:
        return QCoreApplication::translate(context, "Message");
    case strings::kMessageLimit:
        return QCoreApplication::translate(context, "Message limitation over.");
    case strings::kDeleteAllConfirm:
        return QCoreApplication::translate(context, "Do you really want to delete all messages ?");
    case strings::kChangeGroupProperty:
        return QCoreApplication::translate(context,
                                           "Do you really want to change the property for all belonged messages?");
    case strings::kSaveFailed:
        return QCoreApplication::translate(context,
                                           "Message saving failed. You shoud make room on disk or change save folder.");
    case strings::kServerSocketCreateFailed:
        return QCoreApplication::translate(context, "Socket create failed.");
    case strings::kReceiveConfirm:
        return QCoreApplication::translate(context, "Do you want to receive message from %s ?");
    // Requests to other computers.
    case strings::kInvalidDestination:
        return QCoreApplication::translate(context, "Invalid destination");
    case strings::kSocketCreateFailed:
        // Same English as the server's 57687, another Japanese text.
        return QCoreApplication::translate(context, "Socket create failed.", "client");
    case strings::kSocketCannotConnect:
        return QCoreApplication::translate(context, "Socket can not connect.");
    case strings::kMessageRefused:
        return QCoreApplication::translate(context, "Your message was refused by destination.");
    case strings::kAuthenticationFailed:
        return QCoreApplication::translate(context, "Failed for authentification.");
    case strings::kListRetrieveFailed:
        return QCoreApplication::translate(
            context, "Retrieveing message list failed. Probably destination user deny to connect.");
    default:
        return CMessageDlg::StringText(id);
    }
}

QString AppStringFormat(int id, const std::vector<std::string>& args) {
    return QString::fromStdString(strings::Format(AppStringText(id).toStdString(), args));
}
