#pragma once

#include "core/base/Properties.h"

#include <QAbstractButton>

class CColorPalette;

// A push button that shows a colour beside a drop-down arrow. Clicking it drops
// the shared 20-colour palette (CColorBtnDlg) under it; a chosen cell, or a
// colour from the full chooser, becomes the button's colour.
class CColorBtn : public QAbstractButton {
    Q_OBJECT

public:
    explicit CColorBtn(QWidget* parent = nullptr);

    ColorRef GetColor() const { return m_color; }
    void SetColor(ColorRef color);

    QSize sizeHint() const override;

    // What a click does: the palette, then the full chooser when asked for.
    void DropDown();

signals:
    void colorChanged(ColorRef color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ColorRef m_color = 0x00FFFFFF;
};
