#include "SendTestSupport.h"

#include "core/base/Strings.h"
#include "ui/net/MessageSendDlg.h"
#include "ui/net/NetRequests.h"
#include "ui/net/SendSimpleTextDlg.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include <memory>

namespace {

using Strings = std::vector<std::string>;

class CRecordingPrompt : public CPromptPort {
public:
    Answer AskYesNo(int, const std::vector<std::string>&) override { return Answer::No; }
    void ShowMessage(int stringId, const std::vector<std::string>&, Icon) override { Shown.push_back(stringId); }
    std::vector<int> Shown;
};

} // namespace

TEST(MessageSendDlg, DestinationsAreEditedInStepAndOkChoosesTheSelection) {
    CScriptedDialogs dialogs;
    CMessageSendDlg dialog;
    dialog.SetDestinations(Destinations({{"pc1", 4126}, {"pc2", 4126}}));
    dialog.SetDefaultPort(4126);
    CDestinationList& list = *dialog.DestinationList();
    EXPECT_EQ(list.View()->headerItem()->text(1), QStringLiteral("Destination port number"));
    const auto enabled = [&](int id) { return list.Control(id)->isEnabled(); };
    EXPECT_FALSE(enabled(CDestinationList::kIdEdit) || enabled(CDestinationList::kIdDelete));
    EXPECT_FALSE(dialog.OkButton()->isEnabled());

    // Add offers an empty address and the default port; a listed destination
    // (names compare ignoring case) moves up instead of being listed twice.
    dialogs.Hosts = {{"pc3", 4126}, {"PC2", 4126}, {"pc9", 1, false}};
    qobject_cast<QPushButton*>(list.Control(CDestinationList::kIdAdd))->click();
    EXPECT_TRUE(dialogs.Offered[0].Address.isEmpty());
    EXPECT_EQ(dialogs.Offered[0].Port, 4126);
    list.Add();
    list.Add(); // cancelled
    EXPECT_EQ(Rows(list), (Strings{"pc2:4126", "pc3:4126", "pc1:4126"}));
    EXPECT_EQ(Entries(list.List()), Rows(list));

    // Edit starts from the last selected row; edited into a listed destination, that one goes.
    SelectRows(list, {0, 1});
    EXPECT_TRUE(enabled(CDestinationList::kIdEdit) && enabled(CDestinationList::kIdDelete));
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    dialogs.Hosts = {{"pc4", 5000}, {"pc1", 4126}};
    list.Edit();
    EXPECT_EQ(dialogs.Offered.back().Address, QStringLiteral("pc3"));
    EXPECT_EQ(Rows(list), (Strings{"pc2:4126", "pc4:5000", "pc1:4126"}));
    SelectRows(list, {1});
    emit list.View()->itemDoubleClicked(list.View()->topLevelItem(1), 0);
    EXPECT_EQ(Rows(list), (Strings{"pc2:4126", "pc1:4126"}));
    EXPECT_EQ(Entries(list.List()), Rows(list));

    // On a full list a new destination drops the oldest row as well as its entry.
    for (int i = 5; i <= 10; ++i) {
        dialogs.Hosts = {{QStringLiteral("pc%1").arg(i), 4126}};
        list.Add();
    }
    dialogs.Hosts = {{"new", 4126}};
    list.Add();
    EXPECT_EQ(Rows(list).size(), 8u);
    EXPECT_EQ(Rows(list).front(), "new:4126");
    EXPECT_EQ(Entries(list.List()), Rows(list));

    SelectRows(list, {0, 1});
    list.DeleteSelected();
    EXPECT_EQ(Rows(list).size(), 6u);
    EXPECT_FALSE(dialog.OkButton()->isEnabled());

    // OK: the selected rows, top first, each moved to the front of the list.
    SelectRows(list, {1, 2});
    const Strings chosen{Rows(list)[1], Rows(list)[2]};
    dialog.DeleteCheck()->setChecked(true);
    dialog.OkButton()->click();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(dialog.Chosen().size(), 2u);
    EXPECT_EQ(Entries(Destinations(dialog.Chosen())), chosen);
    EXPECT_TRUE(dialog.DeleteAfterSending());
    EXPECT_EQ(Entries(dialog.Destinations())[0], chosen[1]);
    EXPECT_EQ(Entries(dialog.Destinations())[1], chosen[0]);
}

TEST(SendSimpleTextDlg, OneRefusalIsShownAndTheAcceptanceEndsTheDialog) {
    CTinyHttpServer refusing(403);
    CTinyHttpServer accepting(200, 300); // answers after the refusal
    CRecordingPrompt prompt;
    CSendSimpleTextDlg dialog;
    dialog.SetPromptPort(&prompt);
    dialog.SetDestinations(Destinations({{"pc1", 4126}, Loopback(refusing.Port()), Loopback(accepting.Port())}));
    dialog.Editor()->setPlainText(QStringLiteral("lunch at noon"));
    dialog.SaveCheck()->setChecked(true);
    EXPECT_FALSE(dialog.SendButton()->isEnabled());

    SelectRows(*dialog.DestinationList(), {1, 2});
    dialog.SendButton()->click();
    EXPECT_FALSE(dialog.SendButton()->isEnabled());
    EXPECT_FALSE(dialog.CancelButton()->isEnabled());
    EXPECT_EQ(Entries(dialog.Destinations()).back(), "pc1:4126"); // the chosen two lead now

    ASSERT_TRUE(PumpUntil([&] { return dialog.result() == QDialog::Accepted; }));
    EXPECT_EQ(prompt.Shown, std::vector<int>{strings::kMessageRefused});
    EXPECT_EQ(dialog.Text(), "lunch at noon");
    EXPECT_TRUE(dialog.SaveMessage());
    for (const CTinyHttpServer* server : {&refusing, &accepting}) {
        const auto requests = server->Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].Head.rfind("PUT /Message HTTP/1.0", 0), 0u) << requests[0].Head;
        EXPECT_NE(requests[0].Head.find("text/plain"), std::string::npos);
        EXPECT_EQ(requests[0].Body, "lunch at noon");
    }
}

TEST(SendSimpleTextDlg, AfterFailuresItStaysUsableAndClosingCancelsWhatIsOut) {
    CScriptedDialogs dialogs;
    CTinyHttpServer refusing(403);
    CClosedPort closed;
    auto dialog = std::make_unique<CSendSimpleTextDlg>();
    dialog->SetDestinations(Destinations({Loopback(refusing.Port()), Loopback(closed.Port())}));
    SelectRows(*dialog->DestinationList(), {0, 1});
    dialog->Send();
    ASSERT_TRUE(PumpUntil([&] { return dialogs.Boxes.size() == 2; }));
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialog->SendButton()->isEnabled());
    EXPECT_TRUE(dialog->CancelButton()->isEnabled());
    // A connection that could not be made is an "Error"; a refusal is not.
    auto boxes = dialogs.Boxes;
    std::sort(boxes.begin(), boxes.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    EXPECT_EQ(boxes[0], std::make_pair(QStringLiteral("Error"), QStringLiteral("Socket can not connect.")));
    EXPECT_NE(boxes[1].first, QStringLiteral("Error"));
    EXPECT_EQ(boxes[1].second, QStringLiteral("Your message was refused by destination."));

    // Closed while a slow destination has not answered: nothing is left out.
    CTinyHttpServer slow(200, 400);
    dialog->SetDestinations(Destinations({Loopback(slow.Port())}));
    SelectRows(*dialog->DestinationList(), {0});
    dialog->Send();
    ASSERT_TRUE(PumpUntil([&] { return slow.Count() == 1; }));
    dialog->reject();
    EXPECT_EQ(dialog->Requests().Client().PendingCount(), 0);

    // Destroyed with a request out: its answer goes nowhere.
    dialog->Send();
    ASSERT_TRUE(PumpUntil([&] { return slow.Count() == 2; }));
    dialog.reset();
    PumpFor(600);
    EXPECT_EQ(dialogs.Boxes.size(), 2u);
}
