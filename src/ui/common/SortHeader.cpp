#include "ui/common/SortHeader.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

CSortHeader::CSortHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

void CSortHeader::SetArrow(int column, bool up) {
    m_column = column;
    m_up = up;
    viewport()->update();
}

void CSortHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    // The base class leaves the painter clipped to nothing.
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (logicalIndex != m_column || !rect.isValid())
        return;
    const QString text = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    const int textWidth = fontMetrics().horizontalAdvance(QString(text).remove(QLatin1Char('&')));
    const int x = std::min(rect.left() + margin + textWidth + kArrowGap, rect.right() - margin - kArrowWidth);
    const int y = rect.center().y() - kArrowHeight / 2;
    QPolygon arrow;
    if (m_up)
        arrow << QPoint(x, y + kArrowHeight) << QPoint(x + kArrowWidth, y + kArrowHeight)
              << QPoint(x + kArrowWidth / 2, y);
    else
        arrow << QPoint(x, y) << QPoint(x + kArrowWidth, y) << QPoint(x + kArrowWidth / 2, y + kArrowHeight);
    painter->save();
    painter->setClipRect(rect);
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette().color(QPalette::ButtonText));
    painter->drawPolygon(arrow);
    painter->restore();
}
