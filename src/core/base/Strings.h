#pragma once

#include <string>
#include <vector>

// Ids of the user-visible texts. The English text is the source text; the user
// interface translates it.
namespace strings {

constexpr int kSaveFailed = 57695;
constexpr int kServerSocketCreateFailed = 57687;
constexpr int kApplyGroupProperty = 57698;
constexpr int kReminderMissed = 57681;
constexpr int kReminderNoCycle = 57697;
constexpr int kSearchStart = 57689;
constexpr int kSearchStop = 57690;
constexpr int kSearchDateColumn = 57691;
constexpr int kSearchTitleColumn = 57692;
// Receiving server.
constexpr int kReceiveConfirm = 57679;
// Client side of the note protocol.
constexpr int kInvalidDestination = 57675;
constexpr int kSocketCannotConnect = 57676;
constexpr int kSocketCreateFailed = 57678;
constexpr int kMessageRefused = 57680;
constexpr int kAuthenticationFailed = 57682;
constexpr int kListRetrieveFailed = 57688;
// Note window.
constexpr int kGroupMenu = 57669;
constexpr int kDeleteMessageConfirm = 57686;
constexpr int kGroupSettingsItem = 57696;
constexpr int kTitleTooLong = 57699;
constexpr int kSendWithMessenger = 57703;
// Group settings dialog.
constexpr int kNewGroup = 57668;
constexpr int kGroupExists = 57671;
// Application shell.
constexpr int kMessageMenu = 57666;
constexpr int kMessageLimit = 57670;
constexpr int kDeleteAllConfirm = 57685;
constexpr int kChangeGroupProperty = 57700;
// Application property sheet.
constexpr int kSaveFolderTitle = 57667;
constexpr int kPropertyCaption = 57672;
// Host search and access limitation dialogs.
constexpr int kHostNameColumn = 57693;
constexpr int kIpAddressColumn = 57673;
constexpr int kNetMaskColumn = 57674;
constexpr int kAboutComputerColumn = 57694;
// Send dialogs.
constexpr int kDestinationAddressColumn = 57683;
constexpr int kDestinationPortColumn = 57684;

// The English text of an id, or an empty text for an unknown id.
const char* EnglishText(int id);

// The text with each "%s" replaced by the next value, in order; values left
// over follow the text after an empty line, separated by spaces.
std::string Format(const std::string& text, const std::vector<std::string>& args);

inline std::string EnglishFormat(int id, const std::vector<std::string>& args) {
    return Format(EnglishText(id), args);
}

} // namespace strings
