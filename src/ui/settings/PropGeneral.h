#pragma once

#include "core/base/Properties.h"
#include "ui/settings/PropPage.h"

#include <QString>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// "Generic": start-up entry, save folder, relocation at start-up, the sort
// rule of arrangement and the gap between arranged notes.
class CPropGeneral : public CPropPage {
    Q_OBJECT

public:
    static constexpr int kIdStartup = 1010;
    static constexpr int kIdSavePath = 1030;
    static constexpr int kIdBrowse = 1031;
    static constexpr int kIdOutOfWindow = 1142;
    static constexpr int kIdAscend = 1097;
    static constexpr int kIdDescend = 1098;
    static constexpr int kIdDate = 1102;
    static constexpr int kIdTitle = 1032;
    static constexpr int kIdGroup = 1100;
    static constexpr int kIdGap = 1140;

    // OrderFlag bits.
    static constexpr int kOrderAscend = 1;
    static constexpr int kOrderDate = 2;
    static constexpr int kOrderTitle = 4;
    static constexpr int kOrderGroup = 8;

    static constexpr int kMaxGap = 1000;
    // The save folder field holds this many bytes of UTF-8.
    static constexpr int kMaxSavePathBytes = sizeof(ApplicationProperty::SavePath) - 1;

    // Asks for a folder: parent, title, starting folder; an empty answer
    // means cancelled.
    using FolderChooser = std::function<QString(QWidget*, const QString&, const QString&)>;
    // Tests answer the folder browser; empty restores the real one.
    static void SetFolderChooser(FolderChooser chooser);

    explicit CPropGeneral(QWidget* parent = nullptr);

    void SetProperty(const ApplicationProperty& property);
    const ApplicationProperty& GetProperty() const { return m_property; }

    // "...": the chosen folder replaces the save folder's text.
    void Browse();

protected:
    void OnInitDialog() override;
    void OnApply() override;

private:
    ApplicationProperty m_property;

    QCheckBox* m_startup = nullptr;
    QLineEdit* m_savePath = nullptr;
    QPushButton* m_browse = nullptr;
    QCheckBox* m_outOfWindow = nullptr;
    QRadioButton* m_ascend = nullptr;
    QRadioButton* m_descend = nullptr;
    QRadioButton* m_date = nullptr;
    QRadioButton* m_title = nullptr;
    QCheckBox* m_group = nullptr;
    QSpinBox* m_gap = nullptr;
};
