#include "ui/settings/PropMessage.h"

#include "core/base/FieldText.h"
#include "ui/dialogs/ColorBtn.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace {

template <class T> T* Named(T* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

bool FaceLess(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

} // namespace

QStringList CPropMessage::SortedFaces(const QStringList& families) {
    QStringList faces = families;
    std::sort(faces.begin(), faces.end(), FaceLess);
    faces.erase(std::unique(faces.begin(), faces.end()), faces.end());
    return faces;
}

CPropMessage::CPropMessage(QWidget* parent, QStringList families)
    : CPropPage(parent), m_families(SortedFaces(families.isEmpty() ? QFontDatabase::families() : families)) {
    m_face = Named(new QComboBox(this), kIdFace);
    m_face->setMaxVisibleItems(16);
    m_size = Named(new QLineEdit(this), kIdSize);
    m_size->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,9}")), m_size));
    m_size->setMaximumWidth(60);
    m_bold = Named(new QCheckBox(tr("Bold(&B)"), this), kIdBold);
    m_italic = Named(new QCheckBox(tr("Italic(&I)"), this), kIdItalic);
    m_background = Named(new CColorBtn(this), kIdBackground);
    m_fontColor = Named(new CColorBtn(this), kIdFontColor);
    m_topWindow = Named(new QCheckBox(tr("Bringing the window top(&T)"), this), kIdTopWindow);
    m_autoResize = Named(new QCheckBox(tr("Enable auto resize(&A)"), this), kIdAutoResize);
    m_moveBar = Named(new QCheckBox(tr("Show move bar(&M)"), this), kIdMoveBar);

    auto* faceLabel = new QLabel(tr("Font(&F)"), this);
    faceLabel->setBuddy(m_face);
    auto* sizeLabel = new QLabel(tr("Size(&P)"), this);
    sizeLabel->setBuddy(m_size);

    auto* grid = new QGridLayout;
    grid->addWidget(faceLabel, 0, 0);
    grid->addWidget(m_face, 0, 1, 1, 2);
    grid->addWidget(sizeLabel, 1, 0);
    grid->addWidget(m_size, 1, 1);
    grid->addWidget(new QLabel(tr("Pt"), this), 1, 2);
    grid->addWidget(m_bold, 2, 1);
    grid->addWidget(m_italic, 2, 2);
    grid->addWidget(new QLabel(tr("Background Color"), this), 3, 0);
    grid->addWidget(m_background, 3, 1);
    grid->addWidget(new QLabel(tr("Font Color"), this), 4, 0);
    grid->addWidget(m_fontColor, 4, 1);
    grid->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_topWindow);
    layout->addWidget(m_autoResize);
    layout->addWidget(m_moveBar);
    layout->addStretch(1);
}

void CPropMessage::SetSheet(const SheetProperty& sheet) {
    m_sheet = sheet;
    Refresh();
}

void CPropMessage::SetFont(const FontProperty& font) {
    m_font = font;
    Refresh();
}

void CPropMessage::OnInitDialog() {
    QStringList faces = m_families;
    const QString face = FromField(FieldText(m_font.Name));
    int selected = -1;
    for (int i = 0; i < faces.size() && selected < 0; ++i) {
        if (faces[i].compare(face, Qt::CaseInsensitive) == 0)
            selected = i;
    }
    // A face that is not installed here (the default of another system, a
    // setting copied from elsewhere) stays in the list, so OK keeps it.
    if (selected < 0 && !face.isEmpty()) {
        const auto at = std::lower_bound(faces.begin(), faces.end(), face, FaceLess);
        selected = static_cast<int>(at - faces.begin());
        faces.insert(at, face);
    }
    m_face->clear();
    m_face->addItems(faces);
    m_face->setCurrentIndex(selected);

    m_size->setText(QString::number(m_font.Size));
    m_bold->setChecked((m_font.Flags & kFontBold) != 0);
    m_italic->setChecked((m_font.Flags & kFontItalic) != 0);
    m_background->SetColor(m_font.BackgroundColor);
    m_fontColor->SetColor(m_font.FontColor);
    m_topWindow->setChecked(m_sheet.TopWindow == 1);
    m_autoResize->setChecked(m_sheet.AutoResize == 1);
    m_moveBar->setChecked(m_sheet.MoveBar == 1);
}

void CPropMessage::OnApply() {
    if (m_face->currentIndex() >= 0)
        CopyField(m_font.Name, m_face->currentText().toStdString());
    m_font.Size = ReadInt(m_size);
    std::int32_t flags = m_font.Flags & ~(kFontBold | kFontItalic);
    if (m_bold->isChecked())
        flags |= kFontBold;
    if (m_italic->isChecked())
        flags |= kFontItalic;
    m_font.Flags = flags;
    m_font.BackgroundColor = m_background->GetColor();
    m_font.FontColor = m_fontColor->GetColor();
    m_sheet.TopWindow = m_topWindow->isChecked() ? 1 : 0;
    m_sheet.AutoResize = m_autoResize->isChecked() ? 1 : 0;
    m_sheet.MoveBar = m_moveBar->isChecked() ? 1 : 0;
}
