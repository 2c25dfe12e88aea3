#include "ui/dialogs/ColorBtnDlg.h"

#include "core/note/ColorPalette.h"
#include "ui/common/RichTextBridge.h"
#include "ui/dialogs/ColorBtn.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {

// The template is laid out in dialog units; these are the pixels of one unit
// at the usual dialog font.
constexpr double kUnitX = 1.5;
constexpr double kUnitY = 1.625;

QRect Units(int x, int y, int w, int h) {
    return QRect(static_cast<int>(x * kUnitX), static_cast<int>(y * kUnitY), static_cast<int>(w * kUnitX),
                 static_cast<int>(h * kUnitY));
}

// A cell filled completely with its colour; nothing marks the current colour.
class CColorCell : public QAbstractButton {
public:
    CColorCell(ColorRef color, QWidget* parent) : QAbstractButton(parent), m_color(color) {
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), richtext::ToQColor(m_color));
    }

private:
    ColorRef m_color;
};

} // namespace

CColorBtnDlg::CColorBtnDlg(CColorBtn* owner, CColorPalette& palette)
    : QDialog(owner, Qt::Popup), m_owner(owner), m_palette(palette) {
    setObjectName(QStringLiteral("5100"));
    constexpr int kColumnsX[] = {1, 13, 25, 37};
    constexpr int kRowsY[] = {1, 12, 24, 36, 48};
    for (int index = 0; index < CColorPalette::kCells; ++index) {
        auto* cell = new CColorCell(m_palette.Color(index), this);
        cell->setObjectName(QString::number(kIdFirstCell + index));
        cell->setGeometry(Units(kColumnsX[index % 4], kRowsY[index / 4], 11, 10));
        cell->setToolTip(richtext::ToQColor(m_palette.Color(index)).name());
        connect(cell, &QAbstractButton::clicked, this, [this, index] { ChooseCell(index); });
        m_cells[index] = cell;
    }
    auto* other = new QPushButton(tr("Other(&O)..."), this);
    other->setObjectName(QString::number(kIdOther));
    other->setGeometry(Units(1, 60, 47, 11));
    other->setAutoDefault(false);
    connect(other, &QPushButton::clicked, this, [this] { done(kMore); });
    m_other = other;
    setFixedSize(Units(0, 0, 49, 73).size());
}

QAbstractButton* CColorBtnDlg::Cell(int index) const {
    return index >= 0 && index < CColorPalette::kCells ? m_cells[index] : nullptr;
}

void CColorBtnDlg::ChooseCell(int index) {
    if (index < 0 || index >= CColorPalette::kCells)
        return;
    m_chosen = index;
    m_palette.Choose(index);
    accept();
}

QPoint CColorBtnDlg::Placement(const QRect& button, const QSize& popup, const QRect& screen) {
    QPoint at(button.left(), button.bottom() + 1);
    if (at.y() + popup.height() > screen.bottom() + 1)
        at.setY(button.top() - popup.height());
    const int excess = at.x() + popup.width() - (screen.right() + 1);
    if (excess > 0)
        at.setX(at.x() - excess);
    return at;
}

void CColorBtnDlg::paintEvent(QPaintEvent*) {
    // A pop-up has no window frame of its own.
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CColorBtnDlg::PlaceAtOwner() {
    const QRect button(m_owner->mapToGlobal(QPoint(0, 0)), m_owner->size());
    const QScreen* screen = m_owner->screen() != nullptr ? m_owner->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
    move(Placement(button, size(), area));
}
