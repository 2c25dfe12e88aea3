#include "ui/settings/PropPage.h"

#include "core/base/FieldText.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>

void CPropPage::Activate() {
    if (m_initialised)
        return;
    m_initialised = true;
    OnInitDialog();
}

void CPropPage::Apply() {
    if (m_initialised)
        OnApply();
}

void CPropPage::Refresh() {
    if (m_initialised)
        OnInitDialog();
}

QWidget* CPropPage::Control(int id) const {
    return findChild<QWidget*>(QString::number(id));
}

QString CPropPage::CutToBytes(const QString& text, std::size_t maxBytes) {
    const QByteArray bytes = text.toUtf8();
    const std::size_t keep = Utf8PrefixLength(std::string_view(bytes.constData(), bytes.size()), maxBytes);
    if (keep == static_cast<std::size_t>(bytes.size()))
        return text;
    return QString::fromUtf8(bytes.constData(), static_cast<qsizetype>(keep));
}

void CPropPage::LimitBytes(QLineEdit* edit, std::size_t maxBytes) {
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, maxBytes](const QString& text) {
        const QString cut = CutToBytes(text, maxBytes);
        if (cut.size() == text.size())
            return;
        const int cursor = std::min(edit->cursorPosition(), static_cast<int>(cut.size()));
        const QSignalBlocker blocker(edit);
        edit->setText(cut);
        edit->setCursorPosition(cursor);
    });
}

QString CPropPage::FromField(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int CPropPage::ReadInt(const QLineEdit* edit) {
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    return ok ? value : 0;
}
