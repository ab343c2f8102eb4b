#include "gui/NetworkPage.h"

#include "apply/AdapterChoice.h"
#include "net/AdapterConfiguration.h"
#include "net/ExtraSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lanvex::gui {

namespace {

QString translated(const char* text)
{
    return QCoreApplication::translate("NetworkPage", text);
}

QPushButton* makeButton(const char* name, const char* caption, QWidget* parent)
{
    auto* button = new QPushButton(translated(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    for (QPushButton* button : buttons)
        row->addWidget(button);
    row->addStretch();
    return row;
}

class NetworkPage : public AdvancedPage
{
public:
    NetworkPage(QWidget* parent, const ProgramSettings& program)
        : AdvancedPage(parent)
        , chosen_(program.chosenAdapter)
    {
        setObjectName(QStringLiteral("pageNetwork"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(makeChosenLabel());
        layout->addWidget(makeBindingGroup(program.adapters));
        layout->addWidget(makeMatchGroup());
        autoApply_ = new QCheckBox(translated(QT_TRANSLATE_NOOP("NetworkPage", "识别到此网络时自动应用")), this);
        autoApply_->setObjectName(QStringLiteral("chkAutoApply"));
        layout->addWidget(autoApply_);
        layout->addStretch();
    }

    QString Title() const override { return translated(QT_TRANSLATE_NOOP("NetworkPage", "网络识别")); }

    void Load(const store::SiteProfile& site) override
    {
        const store::SiteExtras& extras = site.Extras;
        adapter_->setCurrentIndex(-1);
        adapter_->setEditText(QString::fromStdString(extras.Adapter));
        gateway_->setText(QString::fromStdString(extras.MatchGateway));
        gatewayMAC_->setText(QString::fromStdString(extras.MatchGatewayMAC));
        ssid_->setText(QString::fromStdString(extras.MatchSSID));
        dnsDomain_->setText(QString::fromStdString(extras.MatchDNSDomain));
        autoApply_->setChecked(extras.AutoApply == "1");
    }

    // A network name is kept exactly as it stands: an SSID may begin or end with a blank.
    void Store(store::SiteProfile& site) const override
    {
        store::SiteExtras& extras = site.Extras;
        extras.Adapter = adapter_->currentText().trimmed().toStdString();
        extras.MatchGateway = gateway_->text().trimmed().toStdString();
        extras.MatchGatewayMAC = gatewayMAC_->text().trimmed().toStdString();
        extras.MatchSSID = ssid_->text().toStdString();
        extras.MatchDNSDomain = dnsDomain_->text().trimmed().toStdString();
        // Filled by count: GCC 12 warns falsely (-Wrestrict) of a short text assigned here in Release.
        extras.AutoApply.clear();
        if (autoApply_->isChecked())
            extras.AutoApply.assign(1, '1');
    }

    std::optional<QString> Validate(const store::SiteProfile& site) override
    {
        const std::string adapter = adapter_->currentText().trimmed().toStdString();
        if (!adapter.empty() && !apply::CanNameAdapter(adapter)) {
            adapter_->setFocus(Qt::OtherFocusReason);
            return translated(
                QT_TRANSLATE_NOOP("NetworkPage", "网卡应为网卡的MAC地址（如00:11:22:33:44:55）、接口名称或GUID。"));
        }
        for (auto [key, field] :
             { std::pair { "MatchGateway", gateway_ }, std::pair { "MatchGatewayMAC", gatewayMAC_ } }) {
            if (const auto problem = net::ExtraValueProblem(site, key, field->text().trimmed().toStdString())) {
                field->setFocus(Qt::OtherFocusReason);
                return QCoreApplication::translate("net", *problem);
            }
        }
        return std::nullopt;
    }

private:
    QLabel* makeChosenLabel()
    {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("lblChosenAdapter"));
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        label->setText(chosen_ ? translated(QT_TRANSLATE_NOOP("NetworkPage", "所选网卡：%1"))
                                     .arg(QString::fromStdString(chosen_->Description))
                               : translated(QT_TRANSLATE_NOOP("NetworkPage", "尚未读到所选网卡的设置。")));
        return label;
    }

    QGroupBox* makeBindingGroup(const std::vector<net::AdapterEntry>& adapters)
    {
        auto* group = new QGroupBox(translated(QT_TRANSLATE_NOOP("NetworkPage", "只用于此网卡")), this);
        adapter_ = makeAdapterField(adapters, group);
        QPushButton* bind = makeButton("cmdBindAdapter", QT_TRANSLATE_NOOP("NetworkPage", "绑定到所选网卡"), group);
        QPushButton* unbind = makeButton("cmdUnbindAdapter", QT_TRANSLATE_NOOP("NetworkPage", "解除绑定"), group);
        bind->setEnabled(chosen_.has_value());
        connect(bind, &QPushButton::clicked, this,
                [this] { adapter_->setEditText(QString::fromStdString(apply::AdapterBinding(*chosen_))); });
        connect(unbind, &QPushButton::clicked, adapter_, &QComboBox::clearEditText);
        auto* layout = new QFormLayout(group);
        layout->addRow(translated(QT_TRANSLATE_NOOP("NetworkPage", "网卡：")), adapter_);
        layout->addRow(buttonRow({ bind, unbind }));
        return group;
    }

    // The adapters present, each by its name and MAC address; a choice puts in what the key holds
    // to name it. Any other text may be typed, such as an adapter that is not plugged in now.
    static QComboBox* makeAdapterField(const std::vector<net::AdapterEntry>& adapters, QWidget* parent)
    {
        auto* field = new QComboBox(parent);
        field->setObjectName(QStringLiteral("cboAdapter"));
        field->setEditable(true);
        field->setInsertPolicy(QComboBox::NoInsert);
        field->lineEdit()->setObjectName(QStringLiteral("txtAdapter"));
        field->lineEdit()->setPlaceholderText(QStringLiteral("00:11:22:33:44:55 / enp3s0"));
        for (const net::AdapterEntry& adapter : adapters) {
            const auto mac = net::FormatMACAddress(adapter.Info.MACAddress);
            const QString name = QString::fromStdString(adapter.Description);
            field->addItem(mac ? QStringLiteral("%1 (%2)").arg(name, QString::fromStdString(*mac)) : name,
                           QString::fromStdString(apply::AdapterBinding(adapter)));
        }
        connect(field, &QComboBox::activated, field,
                [field](int index) { field->setEditText(field->itemData(index).toString()); });
        return field;
    }

    QGroupBox* makeMatchGroup()
    {
        auto* group
            = new QGroupBox(translated(QT_TRANSLATE_NOOP("NetworkPage", "识别网络（填写的各项全部相符时）")), this);
        gateway_ = MakeField("txtMatchGateway", group);
        gatewayMAC_ = MakeField("txtMatchGatewayMAC", group);
        ssid_ = MakeField("txtMatchSSID", group);
        dnsDomain_ = MakeField("txtMatchDNSDomain", group);
        QPushButton* take = makeButton("cmdUseNetwork", QT_TRANSLATE_NOOP("NetworkPage", "使用当前网络"), group);
        QPushButton* clear = makeButton("cmdClearNetwork", QT_TRANSLATE_NOOP("NetworkPage", "清除"), group);
        take->setEnabled(chosen_.has_value());
        connect(take, &QPushButton::clicked, this, [this] { showNetwork(chosen_->Network); });
        connect(clear, &QPushButton::clicked, this, [this] { showNetwork({}); });
        auto* layout = new QFormLayout(group);
        layout->addRow(translated(QT_TRANSLATE_NOOP("NetworkPage", "网关：")), gateway_);
        layout->addRow(translated(QT_TRANSLATE_NOOP("NetworkPage", "网关MAC地址：")), gatewayMAC_);
        layout->addRow(translated(QT_TRANSLATE_NOOP("NetworkPage", "无线网络(SSID)：")), ssid_);
        layout->addRow(translated(QT_TRANSLATE_NOOP("NetworkPage", "DNS域：")), dnsDomain_);
        layout->addRow(buttonRow({ take, clear }));
        return group;
    }

    void showNetwork(const net::NetworkFingerprint& network)
    {
        gateway_->setText(QString::fromStdString(network.Gateway));
        gatewayMAC_->setText(QString::fromStdString(network.GatewayMAC));
        ssid_->setText(QString::fromStdString(network.SSID));
        dnsDomain_->setText(QString::fromStdString(network.DNSDomain));
    }

    std::optional<net::AdapterEntry> chosen_;
    QComboBox* adapter_ = nullptr;
    QLineEdit* gateway_ = nullptr;
    QLineEdit* gatewayMAC_ = nullptr;
    QLineEdit* ssid_ = nullptr;
    QLineEdit* dnsDomain_ = nullptr;
    QCheckBox* autoApply_ = nullptr;
};

} // namespace

AdvancedPage* MakeNetworkPage(QWidget* parent, const ProgramSettings& program)
{
    return new NetworkPage(parent, program);
}

} // namespace lanvex::gui
