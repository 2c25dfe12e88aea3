#pragma once

#include <QDialog>

#include <functional>

class QLabel;

// The About box of the main menu: the program's name, version and a link that
// opens the help page.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    // version: the program's version text; empty shows "?".
    explicit CAboutDlg(const QString& version, QWidget* parent = nullptr);

    // What the help link does; unset means the link does nothing.
    void SetHelpOpener(std::function<void()> opener) { m_openHelp = std::move(opener); }

    QLabel* VersionLabel() const { return m_version; }
    QLabel* HelpLink() const { return m_helpLink; }

private:
    std::function<void()> m_openHelp;
    QLabel* m_version = nullptr;
    QLabel* m_helpLink = nullptr;
};
