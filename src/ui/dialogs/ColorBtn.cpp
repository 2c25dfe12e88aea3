#include "ui/dialogs/ColorBtn.h"

#include "core/note/ColorPalette.h"
#include "ui/common/ModalRun.h"
#include "ui/common/RichTextBridge.h"
#include "ui/dialogs/ColorBtnDlg.h"

#include <QColorDialog>
#include <QPainter>

CColorBtn::CColorBtn(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::clicked, this, &CColorBtn::DropDown);
}

void CColorBtn::SetColor(ColorRef color) {
    color &= 0x00FFFFFF;
    if (color == m_color)
        return;
    m_color = color;
    update();
    emit colorChanged(m_color);
}

QSize CColorBtn::sizeHint() const {
    return QSize(60, 23);
}

void CColorBtn::DropDown() {
    CColorPalette& palette = CColorPalette::Shared();
    for (;;) {
        CColorBtnDlg popup(this, palette);
        popup.PlaceAtOwner();
        const int result = modalrun::Exec(popup);
        if (result == QDialog::Accepted && popup.Chosen() >= 0) {
            SetColor(palette.Color(popup.Chosen()));
            return;
        }
        if (result != CColorBtnDlg::kMore)
            return;
        QColorDialog chooser(Qt::black, this);
        if (modalrun::Exec(chooser) == QDialog::Accepted) {
            const int cell = palette.ChooseColor(richtext::ToColorRef(chooser.currentColor()));
            SetColor(palette.Color(cell));
            return;
        }
        // Cancelled: the palette stays open.
    }
}

void CColorBtn::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    const QColor grey(0x80, 0x80, 0x80);
    int l = 0;
    int t = 0;
    int r = width();
    int b = height();
    painter.fillRect(rect(), palette().color(QPalette::Button));

    const auto line = [&painter](const QColor& color, std::initializer_list<QPoint> points) {
        painter.setPen(color);
        const QPoint* previous = nullptr;
        for (const QPoint& point : points) {
            if (previous != nullptr)
                painter.drawLine(*previous, point);
            previous = &point;
        }
    };
    if (!isDown()) {
        line(black, {QPoint(l, b - 1), QPoint(r - 1, b - 1), QPoint(r - 1, t)});
        line(grey, {QPoint(l + 1, b - 2), QPoint(r - 2, b - 2), QPoint(r - 2, t + 1)});
        line(white, {QPoint(r - 2, t + 1), QPoint(l + 1, t + 1), QPoint(l + 1, b - 2)});
    } else {
        line(grey, {QPoint(l, b - 1), QPoint(l, t), QPoint(r - 1, t)});
        line(white, {QPoint(r - 1, t), QPoint(r - 1, b - 1), QPoint(l + 1, b - 1)});
        line(black, {QPoint(l + 1, b - 2), QPoint(l + 1, t + 1), QPoint(r - 2, t + 1)});
        ++l;
        ++t;
        ++r;
        ++b;
    }

    // Divider before the arrow.
    line(white, {QPoint(r - 10, t + 4), QPoint(r - 10, b - 4)});
    line(grey, {QPoint(r - 11, t + 4), QPoint(r - 11, b - 4)});

    // Arrow.
    const bool enabled = isEnabled();
    const QColor arrow = enabled ? black : grey;
    const int m = b / 2;
    line(arrow, {QPoint(r - 4, m - 1), QPoint(r - 9, m - 1)});
    line(arrow, {QPoint(r - 5, m), QPoint(r - 8, m)});
    painter.setPen(black);
    painter.drawPoint(r - 6, m + 1);
    if (!enabled) {
        painter.setPen(white);
        painter.drawPoint(r - 4, m - 1);
        painter.drawPoint(r - 5, m);
        painter.drawPoint(r - 6, m + 1);
    }

    if (enabled) {
        painter.setPen(black);
        painter.setBrush(richtext::ToQColor(m_color));
        painter.drawRect(QRect(QPoint(l + 5, t + 4), QPoint(r - 17, b - 6)));
        painter.setBrush(Qt::NoBrush);
    }

    if (hasFocus()) {
        painter.setPen(black);
        for (int x = l + 3; x < r - 4; x += 2) {
            painter.drawPoint(x, t + 3);
            painter.drawPoint(x, b - 4);
        }
        for (int y = t + 3; y < b - 4; y += 2) {
            painter.drawPoint(l + 3, y);
            painter.drawPoint(r - 4, y);
        }
    }
}
