#pragma once

#include "core/base/Properties.h"

#include <QDialog>
#include <QRect>
#include <QSize>

class CColorBtn;
class CColorPalette;
class QAbstractButton;

// The drop-down of a colour button: 20 colour cells from the shared palette and
// a button for the full colour chooser. A click on a cell ends it with OK; a
// click outside ends it with Cancel. "Other" ends it with kMore: the owning
// button then runs the full chooser and, when that is cancelled, drops the
// pop-up again, so the pop-up never holds the mouse while another dialog runs.
class CColorBtnDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kIdFirstCell = 5101; // cell n has id 5100 + n
    static constexpr int kIdOther = 5121;
    static constexpr int kMore = 2;

    CColorBtnDlg(CColorBtn* owner, CColorPalette& palette);

    CColorBtn* Owner() const { return m_owner; }
    // The cell chosen (0-19), -1 before a choice.
    int Chosen() const { return m_chosen; }
    // The cell widget of index 0-19, or the Other button.
    QAbstractButton* Cell(int index) const;
    QAbstractButton* OtherButton() const { return m_other; }

    // Where the pop-up goes: top-left at the button's bottom-left; above the
    // button when it would leave the screen at the bottom, moved left when it
    // would leave it at the right.
    static QPoint Placement(const QRect& button, const QSize& popup, const QRect& screen);
    // Places the pop-up under its owner on the owner's screen.
    void PlaceAtOwner();

    // The cell was clicked: re-ranks the palette and ends with OK.
    void ChooseCell(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CColorBtn* m_owner;
    CColorPalette& m_palette;
    QAbstractButton* m_cells[20] = {};
    QAbstractButton* m_other = nullptr;
    int m_chosen = -1;
};
