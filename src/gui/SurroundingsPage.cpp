#include "gui/SurroundingsPage.h"

#include "net/ExtraSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace lanvex::gui {

namespace {

class SurroundingsPage : public AdvancedPage
{
public:
    explicit SurroundingsPage(QWidget* parent)
        : AdvancedPage(parent)
    {
        setObjectName(QStringLiteral("pageSurroundings"));
        checkAddress_ = new QCheckBox(
            QCoreApplication::translate("AdvancedPages", "应用静态IP前检查该地址是否已被其他主机使用"), this);
        checkAddress_->setObjectName(QStringLiteral("chkCheckAddress"));
        wifi_ = MakeField("txtWiFi", this);
        disconnect_ = MakeField("txtDisconnectOnApply", this);
        connect_ = MakeField("txtConnectOnApply", this);
        hostname_ = MakeField("txtHostname", this);
        zone_ = new QComboBox(this);
        zone_->setObjectName(QStringLiteral("cboFirewallZone"));
        zone_->setEditable(true);
        // firewalld's own zones; Windows knows public and private.
        zone_->addItems({ QString(), QStringLiteral("public"), QStringLiteral("private"), QStringLiteral("home"),
                          QStringLiteral("work"), QStringLiteral("internal"), QStringLiteral("trusted"),
                          QStringLiteral("external"), QStringLiteral("dmz"), QStringLiteral("block"),
                          QStringLiteral("drop") });
        disconnect_->setPlaceholderText(QCoreApplication::translate("AdvancedPages", "连接名称，以逗号分隔"));
        connect_->setPlaceholderText(QCoreApplication::translate("AdvancedPages", "连接名称，以逗号分隔"));

        auto* before = new QGroupBox(QCoreApplication::translate("AdvancedPages", "应用前"), this);
        auto* beforeForm = new QFormLayout(before);
        beforeForm->addRow(QCoreApplication::translate("AdvancedPages", "断开连接："), disconnect_);
        beforeForm->addRow(QCoreApplication::translate("AdvancedPages", "连接Wi-Fi网络："), wifi_);
        beforeForm->addRow(QString(), checkAddress_);
        auto* after = new QGroupBox(QCoreApplication::translate("AdvancedPages", "应用后"), this);
        auto* afterForm = new QFormLayout(after);
        afterForm->addRow(QCoreApplication::translate("AdvancedPages", "防火墙区域："), zone_);
        afterForm->addRow(QCoreApplication::translate("AdvancedPages", "计算机名："), hostname_);
        afterForm->addRow(QCoreApplication::translate("AdvancedPages", "建立连接："), connect_);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(before);
        layout->addWidget(after);
        layout->addStretch();
    }

    QString Title() const override { return QCoreApplication::translate("AdvancedPages", "网络环境"); }

    void Load(const store::SiteProfile& site) override
    {
        const store::SiteExtras& extras = site.Extras;
        loadedCheck_ = extras.CheckAddress;
        checkAddress_->setChecked(loadedCheck_ != "0");
        wifi_->setText(QString::fromStdString(extras.WiFi));
        disconnect_->setText(QString::fromStdString(extras.DisconnectOnApply));
        connect_->setText(QString::fromStdString(extras.ConnectOnApply));
        zone_->setCurrentText(QString::fromStdString(extras.FirewallZone));
        hostname_->setText(QString::fromStdString(extras.Hostname));
    }

    void Store(store::SiteProfile& site) const override
    {
        store::SiteExtras& extras = site.Extras;
        // On is the default and needs no key; a value the box does not show stays until it changes.
        const bool changed = checkAddress_->isChecked() != (loadedCheck_ != "0");
        extras.CheckAddress = !changed ? loadedCheck_ : checkAddress_->isChecked() ? "" : "0";
        extras.WiFi = wifi_->text().toStdString();
        extras.DisconnectOnApply = disconnect_->text().trimmed().toStdString();
        extras.ConnectOnApply = connect_->text().trimmed().toStdString();
        extras.FirewallZone = zone_->currentText().trimmed().toStdString();
        extras.Hostname = hostname_->text().trimmed().toStdString();
    }

    std::optional<QString> Validate(const store::SiteProfile& site) override
    {
        store::SiteProfile shown = site;
        Store(shown);
        const store::SiteExtras& extras = shown.Extras;
        const struct
        {
            const char* key;
            const std::string& value;
            QWidget* field;
        } fields[] = { { "DisconnectOnApply", extras.DisconnectOnApply, disconnect_ },
                       { "WiFi", extras.WiFi, wifi_ },
                       { "FirewallZone", extras.FirewallZone, zone_ },
                       { "Hostname", extras.Hostname, hostname_ },
                       { "ConnectOnApply", extras.ConnectOnApply, connect_ } };
        for (const auto& [key, value, field] : fields) {
            if (const auto problem = net::ExtraValueProblem(site, key, value)) {
                field->setFocus(Qt::OtherFocusReason);
                return QCoreApplication::translate("net", *problem);
            }
        }
        return std::nullopt;
    }

private:
    QCheckBox* checkAddress_ = nullptr;
    QLineEdit* wifi_ = nullptr;
    QLineEdit* disconnect_ = nullptr;
    QLineEdit* connect_ = nullptr;
    QComboBox* zone_ = nullptr;
    QLineEdit* hostname_ = nullptr;
    std::string loadedCheck_;
};

} // namespace

AdvancedPage* MakeSurroundingsPage(QWidget* parent)
{
    return new SurroundingsPage(parent);
}

} // namespace lanvex::gui
