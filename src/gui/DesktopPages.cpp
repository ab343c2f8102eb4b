#include "gui/DesktopPages.h"

#include "net/ProxyStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace lanvex::gui {

namespace {

QString translated(const char* text)
{
    return QCoreApplication::translate("DesktopPages", text);
}

// The proxy mode, and the server and its exceptions or the script that the mode uses.
class ProxyPage : public AdvancedPage
{
public:
    explicit ProxyPage(QWidget* parent)
        : AdvancedPage(parent)
    {
        setObjectName(QStringLiteral("pageProxy"));
        mode_ = new QComboBox(this);
        mode_->setObjectName(QStringLiteral("cboProxyMode"));
        // In the order of net::ProxyMode; the data is the key's text.
        mode_->addItem(translated(QT_TRANSLATE_NOOP("DesktopPages", "不更改")), QStringLiteral("keep"));
        mode_->addItem(translated(QT_TRANSLATE_NOOP("DesktopPages", "不使用代理")), QStringLiteral("none"));
        mode_->addItem(translated(QT_TRANSLATE_NOOP("DesktopPages", "手动设置")), QStringLiteral("manual"));
        mode_->addItem(translated(QT_TRANSLATE_NOOP("DesktopPages", "自动配置脚本")), QStringLiteral("auto"));
        server_ = MakeField("txtProxyServer", this);
        server_->setPlaceholderText(QStringLiteral("proxy.example.com:8080"));
        bypass_ = MakeField("txtProxyBypass", this);
        bypass_->setPlaceholderText(QStringLiteral("localhost,*.example.com"));
        pac_ = MakeField("txtProxyPAC", this);
        pac_->setPlaceholderText(QStringLiteral("http://wpad.example.com/proxy.pac"));
        auto* layout = new QFormLayout(this);
        layout->addRow(translated(QT_TRANSLATE_NOOP("DesktopPages", "代理方式：")), mode_);
        layout->addRow(translated(QT_TRANSLATE_NOOP("DesktopPages", "代理服务器：")), server_);
        layout->addRow(translated(QT_TRANSLATE_NOOP("DesktopPages", "不使用代理的地址：")), bypass_);
        layout->addRow(translated(QT_TRANSLATE_NOOP("DesktopPages", "自动配置脚本：")), pac_);
        connect(mode_, &QComboBox::currentIndexChanged, this, [this] { enableFields(); });
    }

    QString Title() const override { return translated(QT_TRANSLATE_NOOP("DesktopPages", "代理")); }

    void Load(const store::SiteProfile& site) override
    {
        const int mode = mode_->findData(QString::fromStdString(site.Extras.ProxyMode));
        mode_->setCurrentIndex(mode < 0 ? 0 : mode);
        server_->setText(QString::fromStdString(site.Extras.ProxyServer));
        bypass_->setText(QString::fromStdString(site.Extras.ProxyBypass));
        pac_->setText(QString::fromStdString(site.Extras.ProxyPAC));
        enableFields();
    }

    // Only what the mode uses is kept, so "keep" leaves no proxy key in the file at all.
    void Store(store::SiteProfile& site) const override
    {
        const QString mode = mode_->currentData().toString();
        const bool manual = mode == QLatin1String("manual");
        site.Extras.ProxyMode = mode == QLatin1String("keep") ? std::string() : mode.toStdString();
        site.Extras.ProxyServer = manual ? server_->text().trimmed().toStdString() : std::string();
        site.Extras.ProxyBypass = manual ? bypass_->text().trimmed().toStdString() : std::string();
        site.Extras.ProxyPAC = mode == QLatin1String("auto") ? pac_->text().trimmed().toStdString() : std::string();
    }

    std::optional<QString> Validate(const store::SiteProfile&) override
    {
        const QString mode = mode_->currentData().toString();
        const auto settings = net::ParseProxySettings({ mode.toStdString(), server_->text().toStdString(),
                                                        bypass_->text().toStdString(), pac_->text().toStdString() });
        if (settings)
            return std::nullopt;
        if (mode == QLatin1String("auto")) {
            pac_->setFocus(Qt::OtherFocusReason);
            return translated(
                QT_TRANSLATE_NOOP("DesktopPages", "自动配置脚本应为以http://、https://或file://开头的地址。"));
        }
        const bool serverOk = net::ParseProxySettings({ "manual", server_->text().toStdString(), "", "" }).has_value();
        (serverOk ? bypass_ : server_)->setFocus(Qt::OtherFocusReason);
        return serverOk
            ? translated(QT_TRANSLATE_NOOP("DesktopPages", "不使用代理的地址有误：各项以逗号分隔，不能含空格或引号。"))
            : translated(QT_TRANSLATE_NOOP("DesktopPages", "代理服务器应为“主机:端口”，端口为1到65535。"));
    }

private:
    void enableFields()
    {
        const QString mode = mode_->currentData().toString();
        server_->setEnabled(mode == QLatin1String("manual"));
        bypass_->setEnabled(mode == QLatin1String("manual"));
        pac_->setEnabled(mode == QLatin1String("auto"));
    }

    QComboBox* mode_ = nullptr;
    QLineEdit* server_ = nullptr;
    QLineEdit* bypass_ = nullptr;
    QLineEdit* pac_ = nullptr;
};

// Whether an apply makes the site's printer the user's default, with the printer it would be.
class PrinterPage : public AdvancedPage
{
public:
    PrinterPage(QWidget* parent, ProgramSettings& program)
        : AdvancedPage(parent)
        , program_(program)
    {
        setObjectName(QStringLiteral("pagePrinter"));
        applyPrinter_ = new QCheckBox(
            translated(QT_TRANSLATE_NOOP("DesktopPages", "应用办公位置时，将其打印机设为默认打印机")), this);
        applyPrinter_->setObjectName(QStringLiteral("chkApplyPrinter"));
        printer_ = new QLabel(this);
        printer_->setObjectName(QStringLiteral("lblPrinter"));
        printer_->setWordWrap(true);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(applyPrinter_);
        layout->addWidget(printer_);
        layout->addStretch();
    }

    QString Title() const override { return translated(QT_TRANSLATE_NOOP("DesktopPages", "打印机")); }

    void Load(const store::SiteProfile& site) override
    {
        applyPrinter_->setChecked(program_.applyPrinter);
        printer_->setText(site.ChangePrinter && !site.PrinterName.empty()
                              ? translated(QT_TRANSLATE_NOOP("DesktopPages", "此办公位置的打印机：%1"))
                                    .arg(QString::fromStdString(site.PrinterName))
                              : translated(QT_TRANSLATE_NOOP("DesktopPages", "此办公位置不更改打印机设置。")));
    }

    void Store(store::SiteProfile&) const override { program_.applyPrinter = applyPrinter_->isChecked(); }
    std::optional<QString> Validate(const store::SiteProfile&) override { return std::nullopt; }

private:
    ProgramSettings& program_;
    QCheckBox* applyPrinter_ = nullptr;
    QLabel* printer_ = nullptr;
};

} // namespace

AdvancedPage* MakeProxyPage(QWidget* parent)
{
    return new ProxyPage(parent);
}

AdvancedPage* MakePrinterPage(QWidget* parent, ProgramSettings& program)
{
    return new PrinterPage(parent, program);
}

} // namespace lanvex::gui
