#pragma once

#include "core/base/Properties.h"
#include "ui/settings/PropPage.h"

#include <QStringList>

class CColorBtn;
class QCheckBox;
class QComboBox;
class QLineEdit;

// "Message": the font, colours and window flags that new notes get.
class CPropMessage : public CPropPage {
    Q_OBJECT

public:
    static constexpr int kIdFace = 1000;
    static constexpr int kIdSize = 1001;
    static constexpr int kIdBackground = 1002;
    static constexpr int kIdFontColor = 1003;
    static constexpr int kIdTopWindow = 1004;
    static constexpr int kIdBold = 1005;
    static constexpr int kIdItalic = 1006;
    static constexpr int kIdAutoResize = 1009;
    static constexpr int kIdMoveBar = 1034;

    // families: the installed font families; empty means QFontDatabase::families().
    explicit CPropMessage(QWidget* parent = nullptr, QStringList families = {});

    void SetSheet(const SheetProperty& sheet);
    void SetFont(const FontProperty& font);
    const SheetProperty& GetSheet() const { return m_sheet; }
    const FontProperty& GetFont() const { return m_font; }

    QComboBox* FaceList() const { return m_face; }
    CColorBtn* BackgroundButton() const { return m_background; }
    CColorBtn* FontColorButton() const { return m_fontColor; }

    // Each name once, sorted as a sorted list box sorts: ignoring case first.
    static QStringList SortedFaces(const QStringList& families);

protected:
    void OnInitDialog() override;
    void OnApply() override;

private:
    SheetProperty m_sheet;
    FontProperty m_font;
    QStringList m_families;

    QComboBox* m_face = nullptr;
    QLineEdit* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    CColorBtn* m_background = nullptr;
    CColorBtn* m_fontColor = nullptr;
    QCheckBox* m_topWindow = nullptr;
    QCheckBox* m_autoResize = nullptr;
    QCheckBox* m_moveBar = nullptr;
};
