#pragma once

#include "core/base/Properties.h"

#include <QDialog>
#include <QStringList>

class CPropGeneral;
class CPropMessage;
class CPropNetwork;
class QDialogButtonBox;
class QTabWidget;

// The application property sheet: "Message" (defaults of new notes),
// "Generic" (application settings) and "Network" (receiving server), opening
// on "Message"; OK and Cancel. It works on copies: set them before running
// the sheet and take them back after OK. A page the user never opened gives
// its copy back unchanged.
class CAppPropSheet : public QDialog {
    Q_OBJECT

public:
    enum EPage { kPageMessage, kPageGeneral, kPageNetwork };

    // families: the installed font families for the "Message" page; empty
    // means the system's.
    explicit CAppPropSheet(QWidget* parent = nullptr, const QStringList& families = {});

    void SetApplication(const ApplicationProperty& property);
    void SetDefaultSheet(const SheetProperty& sheet);
    void SetDefaultFont(const FontProperty& font);
    void SetNetwork(const NetworkProperty& property);
    const ApplicationProperty& GetApplication() const;
    const SheetProperty& GetDefaultSheet() const;
    const FontProperty& GetDefaultFont() const;
    const NetworkProperty& GetNetwork() const;

    QTabWidget* Tabs() const { return m_tabs; }
    QDialogButtonBox* Buttons() const { return m_buttons; }
    CPropMessage* MessagePage() const { return m_message; }
    CPropGeneral* GeneralPage() const { return m_general; }
    CPropNetwork* NetworkPage() const { return m_network; }
    // Shows a page as clicking its tab does.
    void ShowPage(EPage page);

    // OK: every page that was opened reads its controls back.
    void accept() override;

private:
    QTabWidget* m_tabs = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    CPropMessage* m_message = nullptr;
    CPropGeneral* m_general = nullptr;
    CPropNetwork* m_network = nullptr;
};
