#pragma once

#include "gui/AdvancedPage.h"
#include "store/SiteProfile.h"

#include <QDialog>
#include <utility>
#include <vector>

class QTabWidget;
class QPushButton;

namespace lanvex::gui {

class MessageSink;

// The advanced site editor: the optional settings of the site shown, one page per subject. Its
// save button hands the edited site on (accepted()); it is disabled for the current-settings entry,
// which only shows the adapter's live values.
class AdvancedDialog : public QDialog
{
    Q_OBJECT
public:
    AdvancedDialog(const store::SiteProfile& site, bool canSave, MessageSink& messages, QWidget* parent,
                   ProgramSettings program = {});

    // The site with the pages' values; valid once accepted.
    const store::SiteProfile& Site() const { return site_; }
    // The program's settings with the pages' values; valid once accepted.
    const ProgramSettings& Program() const { return program_; }

    // Checks every page and, when all pass, takes their values and accepts; otherwise shows the
    // first page's message and that page.
    void Save();
    // Cancel, Esc and the close box: with edits not saved, only when the user agrees to drop them.
    void reject() override;

private:
    // What the pages would save now: the site and the program's settings.
    std::pair<store::SiteProfile, ProgramSettings> Edited();
    bool HasUnsavedEdits();

    store::SiteProfile site_;
    ProgramSettings program_;
    MessageSink& messages_;
    QTabWidget* tabs_ = nullptr;
    std::vector<AdvancedPage*> pages_;
    bool canSave_;
    // What the pages held when they were loaded.
    store::SiteProfile loadedSite_;
    bool loadedApplyPrinter_ = false;
};

} // namespace lanvex::gui
