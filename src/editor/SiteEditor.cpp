#include "editor/SiteEditor.h"

#include "editor/EditorRules.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFocusEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>
#include <QValidator>
#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

namespace lanvex::editor {

namespace {

// The layout is given in twips; 15 twips make one logical pixel and Qt scales from there.
QRect Twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

// Holds a user's edit to the field's typing limit. An edit that inserts more than fits keeps the
// text before and after the insertion and as much of the inserted text as fits; when none of it
// fits the edit is refused, and QLineEdit reverts it. Text set by code always passes, so it is never
// cut.
class TypingLimitValidator : public QValidator
{
public:
    explicit TypingLimitValidator(SiteField* field)
        : QValidator(field)
        , field_(field)
    { }

    State validate(QString& input, int& cursor) const override
    {
        const qsizetype limit = field_->typingLimit();
        if (input.size() <= limit)
            return Acceptable;
        const std::optional<qsizetype> fitted = CutInsertionToFit(field_->acceptedText(), input, cursor, limit);
        if (!fitted)
            return Invalid;
        cursor = static_cast<int>(*fitted);
        return Acceptable;
    }

private:
    SiteField* field_;
};

// A caption label keeps its place, but grows to the right when the font needs more room than the
// layout gives it, so its text is never clipped. Nothing stands to the right of these captions.
void FitCaption(QLabel* label)
{
    label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
}

int BoxValue(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    default:
        return 2;
    }
}

void SetBoxValue(QCheckBox* box, int value)
{
    box->setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

// Ticked boxes mean "leave unchanged", the stored switches mean "change": every conversion inverts.
int BoxValueForSwitch(bool change)
{
    return change ? 0 : 1;
}

// Text put into a field by code shows from its first character, as a desktop text box shows it;
// a long name or a hand-edited address is read from its start, not its end.
void SetFieldText(QLineEdit* field, const QString& text)
{
    field->setText(text);
    field->setCursorPosition(0);
}

void SetFieldText(QLineEdit* field, const std::string& text)
{
    SetFieldText(field, QString::fromStdString(text));
}

QString EscapeMnemonic(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

std::optional<qsizetype> CutInsertionToFit(const QString& before, QString& after, qsizetype caret, qsizetype limit)
{
    // The caret stands just after the inserted text; what follows it was there before the edit.
    const qsizetype rest = after.size() - caret;
    const qsizetype keep = limit - rest;
    if (rest < 0 || keep < 0)
        return std::nullopt;
    QString cut = after.left(keep) + after.right(rest);
    if (cut == before)
        return std::nullopt;
    after = std::move(cut);
    return keep;
}

void UseClassicFrame(QGroupBox* frame)
{
    // One shared style object for the frames; the application keeps it. A widget's style does not
    // pass to its children, so only the frame itself is drawn this way.
    static QPointer<QStyle> classic;
    if (classic.isNull()) {
        classic = QStyleFactory::create(QStringLiteral("Windows"));
        if (classic.isNull())
            return;
        classic->setParent(qApp);
    }
    frame->setStyle(classic);
}

ClickLabel::ClickLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{ }

void ClickLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        pressed_ = true;
    event->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const bool wasPressed = pressed_;
    pressed_ = false;
    // A click is a press and a release of the left button over the label, as with the box itself.
    if (wasPressed && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The release that ends a double click is not a second click.
    if (event->button() == Qt::LeftButton)
        pressed_ = false;
    event->accept();
}

SiteField::SiteField(bool selectAllOnFocus, QWidget* parent)
    : QLineEdit(parent)
    , selectAllOnFocus_(selectAllOnFocus)
{
    setValidator(new TypingLimitValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { acceptedText_ = text; });
}

int SiteField::typingLimit() const
{
    // Outside the user's own input events every text is accepted: code is never cut. Moving text
    // within the field inserts it before removing it from its old place; the length stays the same.
    if (!userInput_ || movingWithin_)
        return std::numeric_limits<int>::max();
    return std::max<int>(kTypingLimit, static_cast<int>(acceptedText_.size()));
}

bool SiteField::event(QEvent* event)
{
    // Typing, pasting, dropping and the context menu all arrive as events of the field itself.
    const bool outer = userInput_;
    userInput_ = true;
    const bool handled = QLineEdit::event(event);
    userInput_ = outer;
    return handled;
}

void SiteField::contextMenuEvent(QContextMenuEvent* event)
{
    // Run the menu inside this event so that its paste is held to the typing limit as well.
    const std::unique_ptr<QMenu> menu(createStandardContextMenu());
    if (menu)
        menu->exec(event->globalPos());
}

void SiteField::dropEvent(QDropEvent* event)
{
    const bool outer = movingWithin_;
    movingWithin_ = event->source() == this && event->dropAction() == Qt::MoveAction;
    QLineEdit::dropEvent(event);
    movingWithin_ = outer;
}

void SiteField::mousePressEvent(QMouseEvent* event)
{
    // The click that brings the focus keeps the whole text selected: no caret placed, no drag
    // started. The next click into the focused field places the caret as usual.
    if (selectOnPress_) {
        selectOnPress_ = false;
        holdingSelection_ = true;
        selectAll();
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void SiteField::mouseMoveEvent(QMouseEvent* event)
{
    if (holdingSelection_) {
        event->accept();
        return;
    }
    QLineEdit::mouseMoveEvent(event);
}

void SiteField::mouseReleaseEvent(QMouseEvent* event)
{
    if (holdingSelection_) {
        holdingSelection_ = event->buttons() != Qt::NoButton;
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void SiteField::focusOutEvent(QFocusEvent* event)
{
    selectOnPress_ = false;
    holdingSelection_ = false;
    QLineEdit::focusOutEvent(event);
}

void SiteField::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (selectAllOnFocus_) {
        selectAll();
        selectOnPress_ = event->reason() == Qt::MouseFocusReason;
    } else if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason
               || event->reason() == Qt::ShortcutFocusReason) {
        // QLineEdit selects everything when tabbed into; these fields keep a plain caret.
        const int caret = cursorPosition();
        deselect();
        setCursorPosition(caret);
    }
}

SiteEditor::SiteEditor(QWidget* parent)
    : QGroupBox(parent)
{
    setObjectName(QStringLiteral("FrameSite"));
    UseClassicFrame(this);
    setCaption(QString());
    resize(4455 / 15, 5415 / 15);

    auto caption = [this](const char* name, const QString& text, int top) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QString::fromLatin1(name));
        label->setGeometry(Twips(240, top, 975, 255));
        return label;
    };
    auto field = [this](SiteField*& member, const char* name, bool selectAll, const QString& accessible, int top) {
        member = new SiteField(selectAll, this);
        member->setObjectName(QString::fromLatin1(name));
        member->setAccessibleName(accessible);
        member->setGeometry(Twips(1200, top, 1935, 270));
    };
    auto box = [this](QCheckBox*& member, ClickLabel*& label, const char* name, const char* labelName,
                      const QString& text, int boxTop, int labelTop, int labelWidth) {
        member = new QCheckBox(this);
        member->setObjectName(QString::fromLatin1(name));
        member->setAccessibleName(text);
        member->setGeometry(Twips(240, boxTop, 210, 255));
        label = new ClickLabel(text, this);
        label->setObjectName(QString::fromLatin1(labelName));
        label->setGeometry(Twips(480, labelTop, labelWidth, 255));
        FitCaption(label);
    };

    const QString nameCaption = tr("名    称：");
    caption("lblNameCaption", nameCaption, 300);
    field(txtName, "txtName", true, nameCaption, 240);

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(Twips(120, 540, 3255, 375));
    const QString staticText = tr("静态IP");
    const QString dhcpText = tr("自动获得IP(DHCP)");
    for (int i = 0; i < 2; ++i) {
        optIPType[i] = new QRadioButton(Picture1);
        optIPType[i]->setObjectName(QStringLiteral("optIPType%1").arg(i));
        optIPType[i]->setAccessibleName(i == 0 ? staticText : dhcpText);
    }
    // The layout gives the options 180 twips of height, less than the style's circle needs. They
    // keep their place and width and reach down as far as their captions, so the circle is whole
    // and level with its caption.
    optIPType[0]->setGeometry(Twips(120, 120, 255, 255));
    optIPType[1]->setGeometry(Twips(1320, 120, 255, 255));
    optIPType[0]->setChecked(true);
    lblStatic = new ClickLabel(staticText, Picture1);
    lblStatic->setObjectName(QStringLiteral("lblStatic"));
    lblStatic->setGeometry(Twips(360, 120, 615, 255));
    lblDHCP = new ClickLabel(dhcpText, Picture1);
    lblDHCP->setObjectName(QStringLiteral("lblDHCP"));
    lblDHCP->setGeometry(Twips(1560, 120, 1455, 255));
    FitCaption(lblStatic);
    FitCaption(lblDHCP);

    const QString ipCaption = tr(" IP 地址：");
    const QString maskCaption = tr("子网掩码：");
    const QString gatewayCaption = tr("默认网关：");
    caption("lblIPCaption", ipCaption, 1020);
    field(txtIP, "txtIP", true, ipCaption, 960);
    caption("lblSubNetMaskCaption", maskCaption, 1380);
    field(txtSubNetMask, "txtSubNetMask", true, maskCaption, 1320);
    caption("lblGatewayCaption", gatewayCaption, 1740);
    field(txtGateway, "txtGateway", true, gatewayCaption, 1680);

    box(chkDNS, lblDNS, "chkDNS", "lblDNS", tr("不更改DNS设置"), 2130, 2160, 1215);
    const QString dnsCaption = tr("默认 DNS：");
    const QString auxDnsCaption = tr("备用 DNS：");
    caption("lblDNSCaption", dnsCaption, 2580);
    field(txtDNS, "txtDNS", true, dnsCaption, 2520);
    caption("lblAuxDNSCaption", auxDnsCaption, 2940);
    field(txtAuxDNS, "txtAuxDNS", true, auxDnsCaption, 2880);

    box(chkWINS, lblWINS, "chkWINS", "lblWINS", tr("不更改WINS服务器设置"), 3360, 3390, 1815);
    const QString winsCaption = tr("主 WINS ：");
    const QString auxWinsCaption = tr("从 WINS ：");
    caption("lblWINSCaption", winsCaption, 3810);
    field(txtWINS, "txtWINS", false, winsCaption, 3750);
    caption("lblAuxWINSCaption", auxWinsCaption, 4170);
    field(txtAuxWINS, "txtAuxWINS", false, auxWinsCaption, 4110);

    box(chkPrinter, lblPrinter, "chkPrinter", "lblPrinter", tr("不更改打印机设置"), 4560, 4590, 1455);
    const QString printerCaption = tr("打 印 机：");
    caption("lblPrinterCaption", printerCaption, 5010);
    cboPrinter = new QComboBox(this);
    cboPrinter->setObjectName(QStringLiteral("cboPrinter"));
    cboPrinter->setAccessibleName(printerCaption);
    cboPrinter->setEditable(false);
    cboPrinter->addItem(QString()); // the empty first line, until the printers are listed
    cboPrinter->setGeometry(Twips(1200, 4920, 3135, 300));

    const QList<QWidget*> order
        = { txtName, optIPType[0], optIPType[1], txtIP,   txtSubNetMask, txtGateway, chkDNS,
            txtDNS,  txtAuxDNS,    chkWINS,      txtWINS, txtAuxWINS,    chkPrinter, cboPrinter };
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    // Handlers run only on a real change of value: toggled and stateChanged fire only then.
    for (int i = 0; i < 2; ++i) {
        connect(optIPType[i], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked)
                optIPType_Click(i);
        });
    }
    connect(chkDNS, &QCheckBox::stateChanged, this, &SiteEditor::chkDNS_Click);
    connect(chkWINS, &QCheckBox::stateChanged, this, &SiteEditor::chkWINS_Click);
    connect(chkPrinter, &QCheckBox::stateChanged, this, &SiteEditor::chkPrinter_Click);
    connect(cboPrinter, &QComboBox::activated, this, [this] { shownPrinter_ = cboPrinter->currentText(); });
    connect(lblStatic, &ClickLabel::clicked, this, &SiteEditor::lblStatic_Click);
    connect(lblDHCP, &ClickLabel::clicked, this, &SiteEditor::lblDHCP_Click);
    connect(lblDNS, &ClickLabel::clicked, this, &SiteEditor::lblDNS_Click);
    connect(lblWINS, &ClickLabel::clicked, this, &SiteEditor::lblWINS_Click);
    connect(lblPrinter, &ClickLabel::clicked, this, &SiteEditor::lblPrinter_Click);
}

void SiteEditor::setCaption(const QString& siteName)
{
    setTitle(EscapeMnemonic(tr("当前办公位置：") + siteName));
}

void SiteEditor::LoadProfile(const store::SiteProfile& p)
{
    const QString name = QString::fromStdString(p.Name);
    setCaption(name);
    SetFieldText(txtName, name);
    optIPType[p.DHCPEnabled ? 1 : 0]->setChecked(true);
    SetFieldText(txtIP, p.IP);
    SetFieldText(txtSubNetMask, p.SubNetMask);
    SetFieldText(txtGateway, p.DefaultGateway);
    SetBoxValue(chkDNS, BoxValueForSwitch(p.ChangeDNS));
    SetFieldText(txtDNS, p.DNS);
    SetFieldText(txtAuxDNS, p.AuxDNS);
    SetBoxValue(chkWINS, BoxValueForSwitch(p.ChangeWINS));
    SetFieldText(txtWINS, p.WINS);
    SetFieldText(txtAuxWINS, p.AuxWINS);
    SetBoxValue(chkPrinter, BoxValueForSwitch(p.ChangePrinter));
    shownPrinter_ = QString::fromStdString(p.PrinterName);
    choosePrinter(shownPrinter_);
    extras_ = p.Extras;
    loaded_ = ShownProfile();
    ++loads_;
}

void SiteEditor::choosePrinter(const QString& name)
{
    // A name not in the list falls back to the first line.
    const int match = cboPrinter->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (match >= 0)
        cboPrinter->setCurrentIndex(match);
    else if (cboPrinter->count() > 0)
        cboPrinter->setCurrentIndex(0);
}

store::SiteProfile SiteEditor::ReadProfile() const
{
    store::SiteProfile p;
    p.Name = txtName->text().toStdString();
    p.DHCPEnabled = optIPType[1]->isChecked();
    p.IP = txtIP->text().toStdString();
    p.SubNetMask = txtSubNetMask->text().toStdString();
    p.DefaultGateway = txtGateway->text().toStdString();
    p.ChangeDNS = BoxValue(chkDNS) == 0;
    p.DNS = txtDNS->text().toStdString();
    p.AuxDNS = txtAuxDNS->text().toStdString();
    p.ChangeWINS = BoxValue(chkWINS) == 0;
    p.WINS = txtWINS->text().toStdString();
    p.AuxWINS = txtAuxWINS->text().toStdString();
    p.ChangePrinter = BoxValue(chkPrinter) == 0;
    // Before the printers are listed the entry's own printer stands, unseen.
    p.PrinterName = (printersListed_ ? cboPrinter->currentText() : shownPrinter_).toStdString();
    p.Extras = extras_;
    return p;
}

void SiteEditor::ShowBlank()
{
    txtName->clear();
    optIPType[0]->setChecked(true);
    txtIP->clear();
    txtSubNetMask->clear();
    txtGateway->clear();
    SetBoxValue(chkDNS, 0);
    txtDNS->clear();
    txtAuxDNS->clear();
    SetBoxValue(chkWINS, 0);
    txtWINS->clear();
    txtAuxWINS->clear();
    SetBoxValue(chkPrinter, 0);
    shownPrinter_.clear();
    choosePrinter(shownPrinter_);
    extras_ = {};
    loaded_ = ShownProfile();
    ++loads_;
    txtName->setFocus();
}

store::SiteProfile SiteEditor::ShownProfile() const
{
    store::SiteProfile p = ReadProfile();
    p.PrinterName = shownPrinter_.toStdString();
    return p;
}

bool SiteEditor::HasUnsavedChanges() const
{
    return ShownProfile() != loaded_;
}

void SiteEditor::setPrinters(const std::vector<std::string>& names)
{
    cboPrinter->clear();
    cboPrinter->addItem(QString());
    for (const std::string& name : names)
        cboPrinter->addItem(QString::fromStdString(name));
    printersListed_ = true;
    choosePrinter(shownPrinter_);
}

void SiteEditor::setStoredSiteLookup(std::function<const store::SiteProfile*()> lookup)
{
    storedSite_ = std::move(lookup);
}

bool SiteEditor::CheckSiteAddresses(const std::function<void(const QString& message)>& report)
{
    AddressInputs inputs;
    inputs.staticChosen = optIPType[0]->isChecked();
    inputs.dnsBox = BoxValue(chkDNS);
    inputs.winsBox = BoxValue(chkWINS);
    inputs.IP = txtIP->text().toStdString();
    inputs.SubNetMask = txtSubNetMask->text().toStdString();
    inputs.Gateway = txtGateway->text().toStdString();
    inputs.DNS = txtDNS->text().toStdString();
    inputs.AuxDNS = txtAuxDNS->text().toStdString();
    inputs.WINS = txtWINS->text().toStdString();
    inputs.AuxWINS = txtAuxWINS->text().toStdString();
    const std::optional<AddressFailure> failure = editor::CheckSiteAddresses(inputs);
    if (!failure)
        return true;
    SiteField* const fields[] = { txtIP, txtSubNetMask, txtGateway, txtDNS, txtAuxDNS, txtWINS, txtAuxWINS };
    if (report)
        report(QCoreApplication::translate("EditorRules", failure->message));
    fields[static_cast<int>(failure->field)]->setFocus(Qt::OtherFocusReason);
    return false;
}

void SiteEditor::optIPType_Click(int index)
{
    if (index == 0) {
        // Back to a static address: the boxes come from the stored site, not from what was shown.
        if (const store::SiteProfile* stored = storedSite_ ? storedSite_() : nullptr) {
            SetBoxValue(chkDNS, BoxValueForSwitch(stored->ChangeDNS));
            SetBoxValue(chkWINS, BoxValueForSwitch(stored->ChangeWINS));
            SetBoxValue(chkPrinter, BoxValueForSwitch(stored->ChangePrinter));
        }
    } else {
        SetBoxValue(chkDNS, 1);
        SetBoxValue(chkWINS, 1);
        SetBoxValue(chkPrinter, 1);
    }
    ApplyEnabling();
    txtName->setEnabled(true);
    txtName->setFocus(Qt::OtherFocusReason);
}

void SiteEditor::chkDNS_Click()
{
    ApplyEnabling();
}

void SiteEditor::chkWINS_Click()
{
    ApplyEnabling();
}

void SiteEditor::chkPrinter_Click()
{
    ApplyEnabling();
}

void SiteEditor::lblStatic_Click()
{
    optIPType[0]->setChecked(true);
}

void SiteEditor::lblDHCP_Click()
{
    optIPType[1]->setChecked(true);
}

void SiteEditor::lblDNS_Click()
{
    SetBoxValue(chkDNS, ToggledBoxValue(BoxValue(chkDNS)));
}

void SiteEditor::lblWINS_Click()
{
    SetBoxValue(chkWINS, ToggledBoxValue(BoxValue(chkWINS)));
}

void SiteEditor::lblPrinter_Click()
{
    SetBoxValue(chkPrinter, ToggledBoxValue(BoxValue(chkPrinter)));
}

void SiteEditor::ApplyEnabling()
{
    const EnabledStates states
        = EnablingFor(optIPType[0]->isChecked(), BoxValue(chkDNS), BoxValue(chkWINS), BoxValue(chkPrinter));
    for (QWidget* w :
         { static_cast<QWidget*>(txtIP), static_cast<QWidget*>(txtSubNetMask), static_cast<QWidget*>(txtGateway) })
        w->setEnabled(states.addressFields);
    chkDNS->setEnabled(states.boxes);
    chkWINS->setEnabled(states.boxes);
    chkPrinter->setEnabled(states.boxes);
    txtDNS->setEnabled(states.dnsFields);
    txtAuxDNS->setEnabled(states.dnsFields);
    txtWINS->setEnabled(states.winsFields);
    txtAuxWINS->setEnabled(states.winsFields);
    cboPrinter->setEnabled(states.printerList);
}

} // namespace lanvex::editor
