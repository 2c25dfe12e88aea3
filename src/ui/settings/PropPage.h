#pragma once

#include <QWidget>

#include <cstddef>
#include <string_view>

class QLineEdit;

// One page of the application property sheet. A page fills its controls from
// its record the first time it is shown (OnInitDialog) and reads them back
// when the sheet closes with OK (OnApply), but only if it was shown: the
// record of a page the user never opened comes back as it was given.
class CPropPage : public QWidget {
    Q_OBJECT

public:
    explicit CPropPage(QWidget* parent = nullptr) : QWidget(parent) {}

    // The page becomes visible: the first time, its controls are filled.
    void Activate();
    bool IsInitialised() const { return m_initialised; }
    // Reads the controls back into the record when the page was shown.
    void Apply();
    // What keeps the shown page from being applied, for the user; empty when nothing.
    QString Problem() const { return m_initialised ? OnCheck() : QString(); }

    // A control by its resource id (object name).
    QWidget* Control(int id) const;

    // Keeps what the user types into edit within maxBytes bytes of UTF-8,
    // never cutting a character in half.
    static void LimitBytes(QLineEdit* edit, std::size_t maxBytes);
    // The text cut to maxBytes bytes of UTF-8 in the same way.
    static QString CutToBytes(const QString& text, std::size_t maxBytes);
    // A zero-terminated field's text.
    static QString FromField(std::string_view text);
    // A number typed into an edit, read as a signed integer: 0 when it is not one.
    static int ReadInt(const QLineEdit* edit);

protected:
    virtual void OnInitDialog() = 0;
    virtual void OnApply() = 0;
    virtual QString OnCheck() const { return {}; }
    // After a record was replaced: the shown page shows the new one.
    void Refresh();

private:
    bool m_initialised = false;
};
