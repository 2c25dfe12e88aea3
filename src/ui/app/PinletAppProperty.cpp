// The application property sheet as the application runs it.

#include "ui/app/PinletApp.h"

#include "core/app/NoteKeeper.h"
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
    const std::string oldSavePath = SavePath();

    bool accepted = false;
    {
        CAppPropSheet sheet;
        sheet.SetApplication(m_application);
        sheet.SetDefaultSheet(m_defaultSheet);
        sheet.SetDefaultFont(m_defaultFont);
        sheet.SetNetwork(m_network);
        m_propSheet = &sheet;
        accepted = modalrun::Exec(sheet) == QDialog::Accepted;
        m_propSheet = nullptr;
        if (accepted) {
            m_application = sheet.GetApplication();
            m_defaultSheet = sheet.GetDefaultSheet();
            m_defaultFont = sheet.GetDefaultFont();
            m_network = sheet.GetNetwork();
        }
    }
    // The program was told to end while the sheet was open.
    if (m_exited)
        return;

    if (accepted) {
        // Only notes created from now on take the new defaults.
        Store().SetDefaultSheet(m_defaultSheet);
        Store().SetDefaultFont(m_defaultFont);

        CAutostart autostart;
        if (!m_options.AutostartUserFolder.empty())
            autostart.SetUserFolder(m_options.AutostartUserFolder);
        if (!m_options.AutostartAllUsersFolder.empty())
            autostart.SetAllUsersFolder(m_options.AutostartAllUsersFolder);
        if (!autostart.Apply(m_application.EnableStartup == 1))
            qCWarning(lcApp) << "start-up entry not updated:" << autostart.UserEntryPath().c_str();

        // Notes are loaded from the save folder at start-up: every note goes
        // into a new folder now, not only the ones edited before the next exit.
        if (SavePath() != oldSavePath)
            m_keeper->MoveTo(SavePath());

        SaveSettings();
        if (m_host)
            m_host->SetNetworkSettings(m_network);
    }
    if (m_network.AcceptConnection == 1)
        StartServer();
}
