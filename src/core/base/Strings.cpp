#include "core/base/Strings.h"

#include <map>

namespace strings {

const char* EnglishText(int id) {
    static const std::map<int, const char*> texts = {
        {kSaveFailed, "Message saving failed. You shoud make room on disk or change save folder."},
        {kServerSocketCreateFailed, "Socket create failed."},
        {kApplyGroupProperty,
         "Message \\\"%s\\\" has been registered two more groups. Do you apply a group property of \\\"%s\\\" ?"},
        {kReminderMissed, "Notification time for message %s is already passed %d minutes."},
        {kReminderNoCycle, "You should choose one of Repeate Cycle when you choose a mode date for Repeate Timer."},
        {kSearchStart, "Start search(&F)"},
        {kSearchStop, "Stop search(&T)"},
        {kSearchDateColumn, "Date"},
        {kSearchTitleColumn, "Title"},
        {kReceiveConfirm, "Do you want to receive message from %s ?"},
        {kInvalidDestination, "Invalid destination"},
        {kSocketCannotConnect, "Socket can not connect."},
        {kSocketCreateFailed, "Socket create failed."},
        {kMessageRefused, "Your message was refused by destination."},
        {kAuthenticationFailed, "Failed for authentification."},
        {kListRetrieveFailed, "Retrieveing message list failed. Probably destination user deny to connect."},
        {kGroupMenu, "Group"},
        {kDeleteMessageConfirm, "Do you really want to delete a message ?"},
        {kGroupSettingsItem, "Group Settings(&S)..."},
        {kTitleTooLong, "Too long selected text for message title."},
        {kSendWithMessenger, "Send with Messenger(&M)..."},
        {kNewGroup, "New group"},
        {kGroupExists, "Group name already exist."},
        {kMessageMenu, "Message"},
        {kMessageLimit, "Message limitation over."},
        {kDeleteAllConfirm, "Do you really want to delete all messages ?"},
        {kChangeGroupProperty, "Do you really want to change the property for all belonged messages?"},
        {kSaveFolderTitle, "Save folder"},
        {kPropertyCaption, "Property"},
        {kHostNameColumn, "Host name"},
        {kIpAddressColumn, "IP address"},
        {kNetMaskColumn, "Net mask"},
        {kAboutComputerColumn, "About computer"},
        {kDestinationAddressColumn, "Destination address"},
        {kDestinationPortColumn, "Destination port number"},
    };
    const auto it = texts.find(id);
    return it == texts.end() ? "" : it->second;
}

std::string Format(const std::string& text, const std::vector<std::string>& args) {
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's') {
            if (next < args.size())
                out += args[next++];
            ++i;
            continue;
        }
        out += text[i];
    }
    // Details beyond the placeholders follow as a paragraph of their own, so
    // that a fixed text stays as it is and still says what failed.
    for (bool first = true; next < args.size(); ++next, first = false)
        out += (first ? "\n\n" : " ") + args[next];
    return out;
}

} // namespace strings
