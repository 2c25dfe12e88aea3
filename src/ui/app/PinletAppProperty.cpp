// The application property sheet as the application runs it.

#include "ui/app/PinletApp.h"

#include "core/app/SettingsKeeper.h"
#include "core/store/DataBase.h"
#include "platform/Autostart.h"
#include "ui/app/AppServerHost.h"
#include "ui/common/ModalRun.h"
#include "ui/settings/AppPropSheet.h"

void CPinletApp::OpenPropertySheet() {
    // A second request while the sheet is open only brings it forward.
    if (m_propSheet != nullptr) {
        m_propSheet->raise();
        m_propSheet->activateWindow();
        return;
    }
    StopServer();

    bool accepted = false;
    CSettingsKeeper::Settings chosen;
    {
        const CSettingsKeeper::Settings& current = m_settings->Get();
        CAppPropSheet sheet;
        sheet.SetApplication(current.Application);
        sheet.SetDefaultSheet(current.DefaultSheet);
        sheet.SetDefaultFont(current.DefaultFont);
        sheet.SetNetwork(current.Network);
        m_propSheet = &sheet;
        accepted = modalrun::Exec(sheet) == QDialog::Accepted;
        m_propSheet = nullptr;
        if (accepted) {
            chosen.Application = sheet.GetApplication();
            chosen.DefaultSheet = sheet.GetDefaultSheet();
            chosen.DefaultFont = sheet.GetDefaultFont();
            chosen.Network = sheet.GetNetwork();
        }
    }
    // The program was told to end while the sheet was open.
    if (m_exited)
        return;

    if (accepted) {
        m_settings->Apply(chosen);

        const CAutostart autostart = Autostart();
        if (!autostart.Apply(Application().EnableStartup == 1))
            qCWarning(lcApp) << "start-up entry not updated:" << autostart.UserEntryPath().c_str();

        if (m_host)
            m_host->SetNetworkSettings(Network());
    }
    if (Network().AcceptConnection == 1)
        StartServer();
}

CAutostart CPinletApp::Autostart() const {
    CAutostart autostart;
    if (!m_options.AutostartUserFolder.empty())
        autostart.SetUserFolder(m_options.AutostartUserFolder);
    if (!m_options.AutostartAllUsersFolder.empty())
        autostart.SetAllUsersFolder(m_options.AutostartAllUsersFolder);
    return autostart;
}
