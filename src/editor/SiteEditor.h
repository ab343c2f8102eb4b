#pragma once

#include "store/SiteProfile.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QRadioButton;
class QStyle;

namespace lanvex::editor {

// A caption label that acts as a click target for its option or check box. Like the box itself it
// answers the left button only. A double click is one click, so a quick double click on a caption
// toggles its box once instead of leaving it as it was.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ClickLabel(const QString& text, QWidget* parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

// A text field that refuses typing past 15 characters but keeps any text set by code whole
// (QLineEdit::setMaxLength would cut it). A paste or a drop that would pass the limit is cut to fit,
// as a limited desktop text box cuts it. Optionally selects its whole text on receiving focus, also
// when a click gives it the focus.
class SiteField : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr int kTypingLimit = 15;

    SiteField(bool selectAllOnFocus, QWidget* parent = nullptr);

    // The longest text the user's input may produce now: 15, or the length of a longer text set
    // by code until the user shortens it.
    int typingLimit() const;
    // The text before the edit being checked now.
    const QString& acceptedText() const { return acceptedText_; }

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool selectAllOnFocus_;
    bool userInput_ = false;
    bool movingWithin_ = false;
    // The press that gave the focus keeps the whole text selected until its release.
    bool selectOnPress_ = false;
    bool holdingSelection_ = false;
    QString acceptedText_;
};

// After a user's edit turned `before` into `after`, longer than `limit`, and left the caret just
// after the text it inserted: keeps what stands before the caret up to the limit, then the rest, so
// the inserted text is cut to fit. Returns the caret's new place, or nothing (leaving `after` as it
// was) when none of the inserted text fits.
std::optional<qsizetype> CutInsertionToFit(const QString& before, QString& after, qsizetype caret, qsizetype limit);

// Draws a frame the classic desktop way, its caption set into the top line, so the frame's border
// runs above controls placed just below the caption rather than through them.
void UseClassicFrame(QGroupBox* frame);

// FrameSite: the editor frame with one control per stored value of a site.
class SiteEditor : public QGroupBox
{
    Q_OBJECT
public:
    explicit SiteEditor(QWidget* parent = nullptr);

    // Controls, named as in the window's layout (objectName set to the same).
    SiteField* txtName = nullptr;
    QRadioButton* optIPType[2] = { nullptr, nullptr };
    SiteField* txtIP = nullptr;
    SiteField* txtSubNetMask = nullptr;
    SiteField* txtGateway = nullptr;
    QCheckBox* chkDNS = nullptr;
    SiteField* txtDNS = nullptr;
    SiteField* txtAuxDNS = nullptr;
    QCheckBox* chkWINS = nullptr;
    SiteField* txtWINS = nullptr;
    SiteField* txtAuxWINS = nullptr;
    QCheckBox* chkPrinter = nullptr;
    QComboBox* cboPrinter = nullptr;
    QWidget* Picture1 = nullptr;
    ClickLabel* lblStatic = nullptr;
    ClickLabel* lblDHCP = nullptr;
    ClickLabel* lblDNS = nullptr;
    ClickLabel* lblWINS = nullptr;
    ClickLabel* lblPrinter = nullptr;

    // "当前办公位置：" followed by the entry's name.
    void setCaption(const QString& siteName);
    // Loads an entry: caption, fields, option, boxes and the printer line.
    void LoadProfile(const store::SiteProfile& p);
    // What a save stores: the fields and switches, the name as typed (untrimmed), and the optional
    // keys of the entry loaded last or as the advanced editor changed them.
    store::SiteProfile ReadProfile() const;
    // The optional keys the next save stores with the fields.
    void setExtras(const store::SiteExtras& extras) { extras_ = extras; }
    // The blank state of the first tab; leaves the caption alone and focuses txtName.
    void ShowBlank();
    // Whether the user changed anything since the editor was last loaded or blanked.
    bool HasUnsavedChanges() const;
    // Counts the loads and blankings: tells one spell of editing from the next.
    int LoadCount() const { return loads_; }
    // Fills the printer list: an empty first line, then the names. The printer of the entry shown
    // (or the one the user chose since) is chosen again when the new list has it. Until the list
    // is first filled it holds only the empty line, and the entry shown keeps its printer.
    void setPrinters(const std::vector<std::string>& names);
    // The selected entry's stored record, or nullptr when the selection is outside the list;
    // choosing the static option restores the three boxes from it.
    void setStoredSiteLookup(std::function<const store::SiteProfile*()> lookup);

    // Runs the address checks in their order; on the first failure hands its message to
    // `report`, then moves the focus to the failing field and returns false.
    bool CheckSiteAddresses(const std::function<void(const QString& message)>& report);

    // The handlers, public so the window and tests can run them as a click would.
    void optIPType_Click(int index);
    void chkDNS_Click();
    void chkWINS_Click();
    void chkPrinter_Click();
    void lblStatic_Click();
    void lblDHCP_Click();
    void lblDNS_Click();
    void lblWINS_Click();
    void lblPrinter_Click();

private:
    void ApplyEnabling();
    // ReadProfile with the printer the user chose, whether or not the list holds it yet.
    store::SiteProfile ShownProfile() const;
    // Chooses the printer line of exactly that name, or the first line.
    void choosePrinter(const QString& name);

    std::function<const store::SiteProfile*()> storedSite_;
    store::SiteExtras extras_; // not shown here: kept so that a save writes them back
    QString shownPrinter_; // the printer the entry shown names, or the one the user chose
    bool printersListed_ = false;
    store::SiteProfile loaded_; // ShownProfile() as loaded, before any typing
    int loads_ = 0;
};

} // namespace lanvex::editor
