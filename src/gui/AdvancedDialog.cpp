#include "gui/AdvancedDialog.h"

#include "gui/MessageSink.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace lanvex::gui {

AdvancedDialog::AdvancedDialog(const store::SiteProfile& site, bool canSave, MessageSink& messages, QWidget* parent,
                               ProgramSettings program)
    : QDialog(parent)
    , site_(site)
    , program_(program)
    , messages_(messages)
{
    setObjectName(QStringLiteral("AdvancedDialog"));
    setWindowTitle(tr("高级设置 - %1").arg(QString::fromStdString(site.Name)));
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabAdvanced"));
    layout->addWidget(tabs_);
    for (AdvancedPage* page : MakeAdvancedPages(tabs_, program_)) {
        page->Load(site);
        tabs_->addTab(page, page->Title());
        pages_.push_back(page);
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save = buttons->addButton(tr("保存"), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("cmdSave"));
    save->setEnabled(canSave);
    QPushButton* cancel = buttons->addButton(tr("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(save, &QPushButton::clicked, this, &AdvancedDialog::Save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void AdvancedDialog::Save()
{
    for (AdvancedPage* page : pages_) {
        // The main editor's values, as typed, are those the pages' checks depend on.
        if (const std::optional<QString> problem = page->Validate(site_)) {
            tabs_->setCurrentWidget(page);
            messages_.Information(this, tr("温馨提示"), *problem);
            return;
        }
    }
    for (const AdvancedPage* page : pages_)
        page->Store(site_);
    accept();
}

} // namespace lanvex::gui
