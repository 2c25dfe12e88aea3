#pragma once

#include <QHeaderView>

// A horizontal list header that shows the sort direction as its own small
// arrow right of the sorted column's text: up for ascending, down for
// descending, whatever direction the widget style would give its sort
// indicator. The list keeps the sort indicator hidden and calls SetArrow
// whenever it sorts.
class CSortHeader : public QHeaderView {
public:
    static constexpr int kArrowWidth = 9;
    static constexpr int kArrowHeight = 5;
    static constexpr int kArrowGap = 6;

    explicit CSortHeader(QWidget* parent);

    // Puts the arrow on column (-1: no arrow), pointing up for ascending.
    void SetArrow(int column, bool up);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    int m_column = -1;
    bool m_up = true;
};
