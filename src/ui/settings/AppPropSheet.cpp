#include "ui/settings/AppPropSheet.h"

#include "ui/settings/PropGeneral.h"
#include "ui/settings/PropMessage.h"
#include "ui/settings/PropNetwork.h"
#include "ui/common/ModalRun.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

CAppPropSheet::CAppPropSheet(QWidget* parent, const QStringList& families) : QDialog(parent) {
    setObjectName(QStringLiteral("AppPropSheet"));
    setWindowTitle(tr("Property"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_tabs = new QTabWidget(this);
    m_message = new CPropMessage(m_tabs, families);
    m_general = new CPropGeneral(m_tabs);
    m_network = new CPropNetwork(m_tabs);
    m_tabs->addTab(m_message, tr("Message"));
    m_tabs->addTab(m_general, tr("Generic"));
    m_tabs->addTab(m_network, tr("Network"));
    m_tabs->setCurrentIndex(kPageMessage);
    // A page is filled when it is first shown; the first one is shown at once.
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (auto* page = qobject_cast<CPropPage*>(m_tabs->widget(index)))
            page->Activate();
    });
    m_message->Activate();

    m_buttons = new QDialogButtonBox(this);
    m_buttons->addButton(QDialogButtonBox::Ok)->setText(tr("OK"));
    m_buttons->addButton(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    m_buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);
}

void CAppPropSheet::SetApplication(const ApplicationProperty& property) {
    m_general->SetProperty(property);
}

void CAppPropSheet::SetDefaultSheet(const SheetProperty& sheet) {
    m_message->SetSheet(sheet);
}

void CAppPropSheet::SetDefaultFont(const FontProperty& font) {
    m_message->SetFont(font);
}

void CAppPropSheet::SetNetwork(const NetworkProperty& property) {
    m_network->SetProperty(property);
}

const ApplicationProperty& CAppPropSheet::GetApplication() const {
    return m_general->GetProperty();
}

const SheetProperty& CAppPropSheet::GetDefaultSheet() const {
    return m_message->GetSheet();
}

const FontProperty& CAppPropSheet::GetDefaultFont() const {
    return m_message->GetFont();
}

const NetworkProperty& CAppPropSheet::GetNetwork() const {
    return m_network->GetProperty();
}

void CAppPropSheet::ShowPage(EPage page) {
    m_tabs->setCurrentIndex(page);
}

void CAppPropSheet::accept() {
    const std::pair<CPropPage*, EPage> pages[] = {
        {m_message, kPageMessage}, {m_general, kPageGeneral}, {m_network, kPageNetwork}};
    for (const auto& [page, index] : pages) {
        const QString problem = page->Problem();
        if (problem.isEmpty())
            continue;
        ShowPage(index);
        QMessageBox box(QMessageBox::Warning, windowTitle(), problem, QMessageBox::Ok, this);
        modalrun::Exec(box);
        return;
    }
    m_message->Apply();
    m_general->Apply();
    m_network->Apply();
    QDialog::accept();
}
