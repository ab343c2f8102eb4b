#include "gui/AdvancedPage.h"
#include "gui/DesktopPages.h"
#include "gui/HotkeyPage.h"
#include "gui/NetworkPage.h"
#include "gui/ProgramPage.h"
#include "gui/SurroundingsPage.h"
#include "net/ExtraSettings.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace lanvex::gui {

namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromStdString(text);
}

// The problem of one key's value in the user's language, or nothing.
std::optional<QString> keyProblem(const store::SiteProfile& site, const char* key, const QString& value)
{
    if (const auto problem = net::ExtraValueProblem(site, key, value.toStdString()))
        return QCoreApplication::translate("net", *problem);
    return std::nullopt;
}

// A list of pairs such as address and mask, stored as "first<separator>second" items joined by ",".
// Rows are added and removed with the two buttons beside it; a row left empty is no item.
class PairTable : public QWidget
{
public:
    PairTable(const QString& name, const QString& first, const QString& second, QChar separator, QWidget* parent)
        : QWidget(parent)
        , separator_(separator)
    {
        setObjectName(name);
        table_ = new QTableWidget(0, 2, this);
        table_->setObjectName(name + QStringLiteral("Table"));
        table_->setHorizontalHeaderLabels({ first, second });
        table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
        table_->verticalHeader()->hide();
        auto* add = new QPushButton(QCoreApplication::translate("AdvancedPages", "添加"), this);
        add->setObjectName(name + QStringLiteral("Add"));
        auto* remove = new QPushButton(QCoreApplication::translate("AdvancedPages", "删除"), this);
        remove->setObjectName(name + QStringLiteral("Remove"));
        // Typing goes into the new row at once, never to the buttons.
        connect(add, &QPushButton::clicked, this, [this] {
            AddRow();
            table_->setFocus(Qt::OtherFocusReason);
            table_->editItem(table_->item(table_->rowCount() - 1, 0));
        });
        connect(remove, &QPushButton::clicked, this, [this] {
            if (table_->currentRow() >= 0)
                table_->removeRow(table_->currentRow());
        });
        auto* buttons = new QVBoxLayout;
        buttons->addWidget(add);
        buttons->addWidget(remove);
        buttons->addStretch();
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(table_);
        layout->addLayout(buttons);
        setFocusProxy(table_);
    }

    void Load(const std::string& text)
    {
        table_->setRowCount(0);
        const QString all = fromUtf8(text);
        if (all.isEmpty())
            return;
        for (const QString& item : all.split(QLatin1Char(','))) {
            const qsizetype at = item.indexOf(separator_);
            AddRow();
            const int row = table_->rowCount() - 1;
            table_->item(row, 0)->setText((at < 0 ? item : item.left(at)).trimmed());
            table_->item(row, 1)->setText(at < 0 ? QString() : item.mid(at + 1).trimmed());
        }
    }

    QString Text() const
    {
        QStringList items;
        for (int row = 0; row < table_->rowCount(); ++row) {
            const QString first = cell(row, 0), second = cell(row, 1);
            if (!first.isEmpty() || !second.isEmpty())
                items.push_back(first + separator_ + second);
        }
        return items.join(QLatin1Char(','));
    }

    void AddRow()
    {
        const int row = table_->rowCount();
        table_->insertRow(row);
        table_->setItem(row, 0, new QTableWidgetItem);
        table_->setItem(row, 1, new QTableWidgetItem);
        table_->setCurrentCell(row, 0);
    }

    // The problem of the table's value for `key`, with the row and column at fault named and that
    // cell chosen.
    QString Point(const store::SiteProfile& site, const char* key, const QString& problem)
    {
        const auto fault = net::FindListFault(site, key, Text().toStdString());
        if (!fault)
            return problem;
        // The items of Text() are the rows that are not empty.
        std::size_t item = 0;
        for (int row = 0; row < table_->rowCount(); ++row) {
            if (cell(row, 0).isEmpty() && cell(row, 1).isEmpty())
                continue;
            if (item++ != fault->item)
                continue;
            table_->setCurrentCell(row, fault->part);
            table_->setFocus(Qt::OtherFocusReason);
            const QString column = table_->horizontalHeaderItem(fault->part)->text();
            return QCoreApplication::translate("AdvancedPages", "第 %1 行的%2有误。").arg(row + 1).arg(column)
                + QLatin1Char('\n') + problem;
        }
        return problem;
    }

protected:
    // Enter ends the edit of a cell (its editor has taken it) and never reaches the dialog's buttons.
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            event->accept();
        else
            QWidget::keyPressEvent(event);
    }

private:
    QString cell(int row, int column) const
    {
        const QTableWidgetItem* item = table_->item(row, column);
        return item ? item->text().trimmed() : QString();
    }

    QChar separator_;
    QTableWidget* table_ = nullptr;
};

struct KeyCheck
{
    const char* key;
    QString value;
    QWidget* control; // where the focus goes when the value fails
};

// The first problem among the keys' values, in order, with the focus on its control (for a table,
// on the cell at fault, which the text names).
std::optional<QString> firstProblem(const store::SiteProfile& site, std::initializer_list<KeyCheck> checks)
{
    for (const KeyCheck& check : checks) {
        if (auto problem = keyProblem(site, check.key, check.value)) {
            check.control->setFocus(Qt::OtherFocusReason);
            if (auto* table = dynamic_cast<PairTable*>(check.control))
                return table->Point(site, check.key, *problem);
            return problem;
        }
    }
    return std::nullopt;
}

// More IPv4 addresses, the default gateway's metric and more gateways.
class AddressPage : public AdvancedPage
{
public:
    explicit AddressPage(QWidget* parent)
        : AdvancedPage(parent)
    {
        setObjectName(QStringLiteral("pageAddresses"));
        addresses_ = new PairTable(QStringLiteral("MoreIP"), QCoreApplication::translate("AdvancedPages", "IP地址"),
                                   QCoreApplication::translate("AdvancedPages", "子网掩码"), QLatin1Char('/'), this);
        metric_ = MakeField("txtGatewayMetric", this);
        gateways_ = new PairTable(QStringLiteral("MoreGateways"), QCoreApplication::translate("AdvancedPages", "网关"),
                                  QCoreApplication::translate("AdvancedPages", "跃点数"), QLatin1Char(':'), this);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(QCoreApplication::translate("AdvancedPages", "更多IP地址："), this));
        layout->addWidget(addresses_);
        auto* form = new QFormLayout;
        form->addRow(QCoreApplication::translate("AdvancedPages", "默认网关跃点数："), metric_);
        layout->addLayout(form);
        layout->addWidget(new QLabel(QCoreApplication::translate("AdvancedPages", "更多网关："), this));
        layout->addWidget(gateways_);
    }

    QString Title() const override { return QCoreApplication::translate("AdvancedPages", "地址和网关"); }

    void Load(const store::SiteProfile& site) override
    {
        addresses_->Load(site.Extras.MoreIP);
        metric_->setText(fromUtf8(site.Extras.GatewayMetric));
        gateways_->Load(site.Extras.MoreGateways);
    }

    void Store(store::SiteProfile& site) const override
    {
        site.Extras.MoreIP = addresses_->Text().toStdString();
        site.Extras.GatewayMetric = metric_->text().trimmed().toStdString();
        site.Extras.MoreGateways = gateways_->Text().toStdString();
    }

    std::optional<QString> Validate(const store::SiteProfile& site) override
    {
        return firstProblem(site,
                            { { "MoreIP", addresses_->Text(), addresses_ },
                              { "GatewayMetric", metric_->text().trimmed(), metric_ },
                              { "MoreGateways", gateways_->Text(), gateways_ } });
    }

private:
    PairTable* addresses_ = nullptr;
    QLineEdit* metric_ = nullptr;
    PairTable* gateways_ = nullptr;
};

// The adapter's DNS suffix.
class DnsPage : public AdvancedPage
{
public:
    explicit DnsPage(QWidget* parent)
        : AdvancedPage(parent)
    {
        setObjectName(QStringLiteral("pageDNS"));
        suffix_ = MakeField("txtDNSSuffix", this);
        auto* layout = new QFormLayout(this);
        layout->addRow(QCoreApplication::translate("AdvancedPages", "DNS后缀："), suffix_);
    }

    QString Title() const override { return QCoreApplication::translate("AdvancedPages", "DNS"); }
    void Load(const store::SiteProfile& site) override { suffix_->setText(fromUtf8(site.Extras.DNSSuffix)); }
    void Store(store::SiteProfile& site) const override
    {
        site.Extras.DNSSuffix = suffix_->text().trimmed().toStdString();
    }

    std::optional<QString> Validate(const store::SiteProfile& site) override
    {
        return firstProblem(site, { { "DNSSuffix", suffix_->text().trimmed(), suffix_ } });
    }

private:
    QLineEdit* suffix_ = nullptr;
};

// The IPv6 mode and, for a static one, the addresses, the gateway and two DNS servers.
class IPv6Page : public AdvancedPage
{
public:
    explicit IPv6Page(QWidget* parent)
        : AdvancedPage(parent)
    {
        setObjectName(QStringLiteral("pageIPv6"));
        mode_ = new QComboBox(this);
        mode_->setObjectName(QStringLiteral("cboIPv6Mode"));
        mode_->addItem(QCoreApplication::translate("AdvancedPages", "不更改"), QString());
        mode_->addItem(QCoreApplication::translate("AdvancedPages", "自动获取"), QStringLiteral("auto"));
        mode_->addItem(QCoreApplication::translate("AdvancedPages", "静态"), QStringLiteral("static"));
        mode_->addItem(QCoreApplication::translate("AdvancedPages", "关闭"), QStringLiteral("off"));
        addresses_
            = new PairTable(QStringLiteral("IPv6Address"), QCoreApplication::translate("AdvancedPages", "IPv6地址"),
                            QCoreApplication::translate("AdvancedPages", "前缀长度"), QLatin1Char('/'), this);
        gateway_ = MakeField("txtIPv6Gateway", this);
        dns_[0] = MakeField("txtIPv6DNS", this);
        dns_[1] = MakeField("txtIPv6AuxDNS", this);
        auto* layout = new QVBoxLayout(this);
        auto* top = new QFormLayout;
        top->addRow(QCoreApplication::translate("AdvancedPages", "IPv6工作方式："), mode_);
        layout->addLayout(top);
        layout->addWidget(addresses_);
        auto* form = new QFormLayout;
        form->addRow(QCoreApplication::translate("AdvancedPages", "IPv6网关："), gateway_);
        form->addRow(QCoreApplication::translate("AdvancedPages", "默认 DNS："), dns_[0]);
        form->addRow(QCoreApplication::translate("AdvancedPages", "备用 DNS："), dns_[1]);
        layout->addLayout(form);
        connect(mode_, &QComboBox::currentIndexChanged, this, &IPv6Page::enableStatic);
        enableStatic();
    }

    QString Title() const override { return QCoreApplication::translate("AdvancedPages", "IPv6"); }

    void Load(const store::SiteProfile& site) override
    {
        const QString mode = fromUtf8(site.Extras.IPv6Mode);
        int index = 0;
        if (const auto known = net::ParseIPv6Mode(site.Extras.IPv6Mode); known && *known != net::IPv6Mode::Keep) {
            index = mode_->findData(QString::fromLatin1(net::IPv6ModeName(*known).data()));
        } else if (!known && !mode.isEmpty()) {
            // A value the apply refuses stays as written until the user picks a mode.
            mode_->addItem(mode, mode);
            index = mode_->count() - 1;
        }
        mode_->setCurrentIndex(index);
        addresses_->Load(site.Extras.IPv6Address);
        gateway_->setText(fromUtf8(site.Extras.IPv6Gateway));
        const QStringList servers = fromUtf8(site.Extras.IPv6DNS).split(QLatin1Char(','));
        dns_[0]->setText(servers.value(0).trimmed());
        dns_[1]->setText(servers.mid(1).join(QLatin1Char(',')).trimmed());
        enableStatic();
    }

    void Store(store::SiteProfile& site) const override
    {
        site.Extras.IPv6Mode = mode_->currentData().toString().toStdString();
        site.Extras.IPv6Address = addresses_->Text().toStdString();
        site.Extras.IPv6Gateway = gateway_->text().trimmed().toStdString();
        site.Extras.IPv6DNS = servers().toStdString();
    }

    std::optional<QString> Validate(const store::SiteProfile& site) override
    {
        if (mode_->currentData().toString() == QLatin1String("static") && addresses_->Text().isEmpty()) {
            addresses_->setFocus(Qt::OtherFocusReason);
            return QCoreApplication::translate("AdvancedPages", "静态IPv6方式至少需要一个IPv6地址。");
        }
        QLineEdit* serverField = dns_[dns_[0]->text().trimmed().isEmpty() ? 0 : 1];
        return firstProblem(site,
                            { { "IPv6Mode", mode_->currentData().toString(), mode_ },
                              { "IPv6Address", addresses_->Text(), addresses_ },
                              { "IPv6Gateway", gateway_->text().trimmed(), gateway_ },
                              { "IPv6DNS", servers(), serverField } });
    }

private:
    QString servers() const
    {
        QStringList given;
        for (const QLineEdit* field : dns_)
            if (!field->text().trimmed().isEmpty())
                given.push_back(field->text().trimmed());
        return given.join(QLatin1Char(','));
    }

    // The addresses, gateway and servers apply only to the static mode.
    void enableStatic()
    {
        const bool isStatic = mode_->currentData().toString() == QLatin1String("static");
        addresses_->setEnabled(isStatic);
        gateway_->setEnabled(isStatic);
        for (QLineEdit* field : dns_)
            field->setEnabled(isStatic);
    }

    QComboBox* mode_ = nullptr;
    PairTable* addresses_ = nullptr;
    QLineEdit* gateway_ = nullptr;
    QLineEdit* dns_[2] = { nullptr, nullptr };
};

} // namespace

QLineEdit* MakeField(const char* name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    return field;
}

std::vector<AdvancedPage*> MakeAdvancedPages(QWidget* parent, ProgramSettings& program)
{
    return { new AddressPage(parent),
             new DnsPage(parent),
             new IPv6Page(parent),
             MakeProxyPage(parent),
             MakePrinterPage(parent, program),
             MakeNetworkPage(parent, program),
             MakeSurroundingsPage(parent),
             MakeProgramPage(parent),
             MakeHotkeyPage(parent) };
}

} // namespace lanvex::gui
