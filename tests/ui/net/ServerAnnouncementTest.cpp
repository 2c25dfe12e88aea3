#include "core/base/FieldText.h"
#include "core/base/Strings.h"
#include "core/net/ReceiveServer.h"
#include "ui/app/AppTestSupport.h"

namespace {

// The running receiving server is announced for the host search of other
// computers, and the announcement goes when the server stops. (A server
// bound to loopback is not announced: nobody else could reach it.)
class ServerAnnouncementTest : public AppTest {};

TEST_F(ServerAnnouncementTest, RunningServerIsAnnouncedAndWithdrawnWithIt) {
    WriteSettings([](CPropParser& model) {
        model.m_network.AcceptConnection = 1;
        CopyField(model.m_network.Address, "");
        model.m_network.Port = 0;
    });
    CPinletApp& app = Start();
    ASSERT_TRUE(app.Server() != nullptr && app.Server()->IsRunning());
    ASSERT_NE(app.Discovery(), nullptr);
    // Without a daemon it ends as Failed, quietly; either way it was asked for.
    EXPECT_NE(app.Discovery()->AnnounceState(), CServiceDiscovery::EAnnounce::Off);

    app.StopServer();
    EXPECT_EQ(app.Discovery()->AnnounceState(), CServiceDiscovery::EAnnounce::Off);
    ASSERT_TRUE(app.StartServer());
    EXPECT_NE(app.Discovery()->AnnounceState(), CServiceDiscovery::EAnnounce::Off);
    EXPECT_EQ(app.Prompt().CountShown(strings::kServerSocketCreateFailed), 0);
    Stop(); // withdraws and joins the DNS-SD thread as well
}

} // namespace
