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
    , canSave_(canSave)
{
    setObjectName(QStringLiteral("AdvancedDialog"));
    setWindowTitle(tr("高级设置 - %1").arg(QString::fromStdString(site.Name)));
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabAdvanced"));
    // Every tab in sight, in every language: the dialog is as wide as its tabs need.
    tabs_->setUsesScrollButtons(false);
    tabs_->setElideMode(Qt::ElideNone);
    layout->addWidget(tabs_);
    for (AdvancedPage* page : MakeAdvancedPages(tabs_, program_)) {
        page->Load(site);
        tabs_->addTab(page, page->Title());
        pages_.push_back(page);
    }
    const auto [loadedSite, loadedProgram] = Edited();
    loadedSite_ = loadedSite;
    loadedApplyPrinter_ = loadedProgram.applyPrinter;
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

std::pair<store::SiteProfile, ProgramSettings> AdvancedDialog::Edited()
{
    // The pages store into the dialog's program settings: those are put back as they were.
    const ProgramSettings kept = program_;
    store::SiteProfile site = site_;
    for (const AdvancedPage* page : pages_)
        page->Store(site);
    std::pair<store::SiteProfile, ProgramSettings> edited { std::move(site), program_ };
    program_ = kept;
    return edited;
}

bool AdvancedDialog::HasUnsavedEdits()
{
    const auto [site, program] = Edited();
    return site != loadedSite_ || program.applyPrinter != loadedApplyPrinter_;
}

void AdvancedDialog::reject()
{
    // Entry 0 saves nothing: there is nothing to lose.
    if (canSave_ && HasUnsavedEdits()
        && !messages_.Question(this, tr("温馨提示"), tr("高级设置已更改，是否放弃所做的更改？")))
        return;
    QDialog::reject();
}

} // namespace lanvex::gui
