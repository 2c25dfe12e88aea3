#include "ui/dialogs/FontDlg.h"

#include "core/base/FieldText.h"
#include "ui/dialogs/ColorBtn.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <cstring>

CFontDlg::CFontDlg(const FontProperty& font, QWidget* parent, QStringList families) : QDialog(parent), m_font(font) {
    setWindowTitle(tr("Font property"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    if (families.isEmpty())
        families = QFontDatabase::families();
    m_face = new QComboBox(this);
    m_face->setObjectName(QString::number(kIdFace));
    m_face->setMaxVisibleItems(16);
    QStringList entries;
    for (const QString& family : families) {
        if (!entries.contains(family))
            entries << family;
    }
    const QString face = QString::fromUtf8(m_font.Name, static_cast<int>(strnlen(m_font.Name, sizeof m_font.Name)));
    int selected = FindFace(entries, face);
    // A face that is not installed (a note from another computer) stays
    // choosable, so OK does not lose it.
    if (selected < 0 && !face.isEmpty()) {
        entries << face;
        selected = static_cast<int>(entries.size()) - 1;
    }
    m_face->addItems(entries);
    m_face->setCurrentIndex(selected);

    m_size = new QLineEdit(QString::number(m_font.Size), this);
    m_size->setObjectName(QString::number(kIdSize));
    m_size->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,9}")), m_size));
    m_size->setMaximumWidth(60);

    m_bold = new QCheckBox(tr("Bold(&B)"), this);
    m_italic = new QCheckBox(tr("Italic(&I)"), this);
    m_strikeOut = new QCheckBox(tr("Strike line(&O)"), this);
    m_underline = new QCheckBox(tr("Under line(&U)"), this);
    m_bold->setObjectName(QString::number(kIdBold));
    m_italic->setObjectName(QString::number(kIdItalic));
    m_strikeOut->setObjectName(QString::number(kIdStrikeOut));
    m_underline->setObjectName(QString::number(kIdUnderline));
    m_bold->setChecked((m_font.Flags & kFontBold) != 0);
    m_italic->setChecked((m_font.Flags & kFontItalic) != 0);
    m_strikeOut->setChecked((m_font.Flags & kFontStrikeOut) != 0);
    m_underline->setChecked((m_font.Flags & kFontUnderline) != 0);

    m_background = new CColorBtn(this);
    m_background->setObjectName(QString::number(kIdBackground));
    m_background->SetColor(m_font.BackgroundColor);
    m_fontColor = new CColorBtn(this);
    m_fontColor->setObjectName(QString::number(kIdFontColor));
    m_fontColor->SetColor(m_font.FontColor);

    auto* faceLabel = new QLabel(tr("Font(&F)"), this);
    faceLabel->setBuddy(m_face);
    auto* sizeLabel = new QLabel(tr("Size(&P)"), this);
    sizeLabel->setBuddy(m_size);
    auto* top = new QGridLayout;
    top->addWidget(faceLabel, 0, 0);
    top->addWidget(m_face, 0, 1, 1, 2);
    top->addWidget(sizeLabel, 1, 0);
    top->addWidget(m_size, 1, 1);
    top->addWidget(new QLabel(tr("pt"), this), 1, 2);
    top->setColumnStretch(2, 1);

    auto* effects = new QGroupBox(tr("Font attribute"), this);
    auto* effectsLayout = new QGridLayout(effects);
    effectsLayout->addWidget(m_bold, 0, 0);
    effectsLayout->addWidget(m_italic, 0, 1);
    effectsLayout->addWidget(m_strikeOut, 1, 0);
    effectsLayout->addWidget(m_underline, 1, 1);

    auto* colours = new QGridLayout;
    colours->addWidget(new QLabel(tr("Font color"), this), 0, 0);
    colours->addWidget(m_fontColor, 0, 1);
    colours->addWidget(new QLabel(tr("Background color"), this), 1, 0);
    colours->addWidget(m_background, 1, 1);
    colours->setColumnStretch(2, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(effects);
    layout->addLayout(colours);
    layout->addWidget(buttons);
}

QWidget* CFontDlg::Control(int id) const {
    return findChild<QWidget*>(QString::number(id));
}

int CFontDlg::FindFace(const QStringList& entries, const QString& face) {
    if (entries.isEmpty() || face.isEmpty())
        return -1;
    // An exact name first: a prefix search alone picks "Arial Black" for "Arial".
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].compare(face, Qt::CaseInsensitive) == 0)
            return i;
    }
    const int count = static_cast<int>(entries.size());
    for (int step = 1; step <= count; ++step) {
        const int i = step % count;
        if (entries[i].startsWith(face, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

void CFontDlg::accept() {
    CopyField(m_font.Name, m_face->currentText().toStdString());
    bool ok = false;
    const int size = m_size->text().toInt(&ok);
    m_font.Size = ok ? size : 0;
    m_font.FontColor = m_fontColor->GetColor();
    m_font.BackgroundColor = m_background->GetColor();
    int flags = 0;
    if (m_bold->isChecked())
        flags |= kFontBold;
    if (m_italic->isChecked())
        flags |= kFontItalic;
    if (m_strikeOut->isChecked())
        flags |= kFontStrikeOut;
    if (m_underline->isChecked())
        flags |= kFontUnderline;
    m_font.Flags = flags;
    QDialog::accept();
}
