#pragma once

#include "net/AdapterQuery.h"
#include "store/SiteProfile.h"

#include <QString>
#include <QWidget>

class QLineEdit;
#include <memory>
#include <optional>
#include <vector>

namespace lanvex::gui {

// One page of the advanced site editor: the settings of one subject beyond the main editor's.
class AdvancedPage : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

    // The tab's caption.
    virtual QString Title() const = 0;
    // Shows the site's values.
    virtual void Load(const store::SiteProfile& site) = 0;
    // Puts the page's values into `site`, leaving what the page does not show as it is.
    virtual void Store(store::SiteProfile& site) const = 0;
    // Why the page's values cannot be saved for `site`, with the focus on the control at fault;
    // nothing when they can.
    virtual std::optional<QString> Validate(const store::SiteProfile& site) = 0;
};

// Settings of the whole program that a page shows beside the site's own; a page's Store() puts its
// value here.
struct ProgramSettings
{
    bool applyPrinter = false; // [Common] ApplyPrinter
    // Not stored: the adapter chosen in the window as last read, for the page that binds a site to
    // it and takes its network; nothing before the adapters are read.
    std::optional<net::AdapterEntry> chosenAdapter;
    // Not stored: the adapters present as last read, offered for the site's Adapter key.
    std::vector<net::AdapterEntry> adapters;
};

// A line edit for a page, named for the tests that find it.
QLineEdit* MakeField(const char* name, QWidget* parent);

// The pages of the advanced editor in their order. A new page is a class of its own, added here.
std::vector<AdvancedPage*> MakeAdvancedPages(QWidget* parent, ProgramSettings& program);

} // namespace lanvex::gui
