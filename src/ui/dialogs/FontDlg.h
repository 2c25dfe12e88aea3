#pragma once

#include "core/base/Properties.h"

#include <QDialog>
#include <QStringList>

class CColorBtn;
class QCheckBox;
class QComboBox;
class QLineEdit;

// Edits a FontProperty: face, size, bold, italic, strike line, under line,
// font colour and background colour. Shadow, emboss and imprint are not
// offered and are dropped on OK.
class CFontDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kIdFace = 1000;
    static constexpr int kIdSize = 1128;
    static constexpr int kIdBold = 1005;
    static constexpr int kIdItalic = 1006;
    static constexpr int kIdStrikeOut = 1132;
    static constexpr int kIdUnderline = 1133;
    static constexpr int kIdBackground = 1002;
    static constexpr int kIdFontColor = 1003;

    // families: the face list in enumeration order; empty means the installed
    // families (QFontDatabase::families()).
    explicit CFontDlg(const FontProperty& font, QWidget* parent = nullptr, QStringList families = {});

    // The record as the dialog holds it: after OK, the user's choice.
    const FontProperty& GetFont() const { return m_font; }

    QWidget* Control(int id) const;
    QComboBox* FaceList() const { return m_face; }
    CColorBtn* FontColorButton() const { return m_fontColor; }
    CColorBtn* BackgroundButton() const { return m_background; }

    // The list entry for a face: an entry of the same name (ignoring case),
    // else the first that starts with it, searching from the second entry and
    // wrapping round to the first; -1 when none does.
    static int FindFace(const QStringList& entries, const QString& face);

    void accept() override;

private:
    FontProperty m_font;
    QComboBox* m_face = nullptr;
    QLineEdit* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_strikeOut = nullptr;
    QCheckBox* m_underline = nullptr;
    CColorBtn* m_fontColor = nullptr;
    CColorBtn* m_background = nullptr;
};
