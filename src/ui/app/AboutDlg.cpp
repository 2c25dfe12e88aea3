#include "ui/app/AboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kIconSize = 64;

} // namespace

CAboutDlg::CAboutDlg(const QString& version, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About Quillet!"));

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/quillet.svg")).pixmap(kIconSize, kIconSize));
    icon->setAlignment(Qt::AlignTop);

    auto* name = new QLabel(QStringLiteral("<b>Quillet!</b>"), this);
    QFont larger = name->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.4);
    name->setFont(larger);

    m_version = new QLabel(tr("Version %1").arg(version.isEmpty() ? QStringLiteral("?") : version), this);
    m_version->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* summary = new QLabel(tr("Sticky notes for the desktop that travel over the local network."), this);
    summary->setWordWrap(true);

    // The link is ours to handle: the help page is found on disk, not by a URL.
    m_helpLink =
        new QLabel(QStringLiteral("<a href=\"help\">%1</a>").arg(tr("Open the help page").toHtmlEscaped()), this);
    m_helpLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(m_helpLink, &QLabel::linkActivated, this, [this] {
        if (m_openHelp)
            m_openHelp();
    });

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(m_version);
    texts->addWidget(summary);
    texts->addSpacing(8);
    texts->addWidget(m_helpLink);
    texts->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
