#include "gui/ProgramPage.h"

#include "net/ExtraSettings.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace lanvex::gui {

namespace {

class ProgramPage : public AdvancedPage
{
public:
    explicit ProgramPage(QWidget* parent)
        : AdvancedPage(parent)
    {
        setObjectName(QStringLiteral("pagePrograms"));
        runOnApply_ = MakeField("txtRunOnApply", this);
        runOnLeave_ = MakeField("txtRunOnLeave", this);
        runTimeout_ = MakeField("txtRunTimeout", this);
        verifyTCP_ = MakeField("txtVerifyTCP", this);
        verifyDNS_ = MakeField("txtVerifyDNS", this);
        verifyTimeout_ = MakeField("txtVerifyTimeout", this);
        verifyGateway_ = new QCheckBox(QCoreApplication::translate("AdvancedPages", "应用后网关须有回应"), this);
        verifyGateway_->setObjectName(QStringLiteral("chkVerifyGateway"));
        runTimeout_->setPlaceholderText(QStringLiteral("60"));
        verifyTimeout_->setPlaceholderText(QStringLiteral("10"));
        verifyTCP_->setPlaceholderText(QCoreApplication::translate("AdvancedPages", "主机:端口,主机:端口"));
        verifyDNS_->setPlaceholderText(QCoreApplication::translate("AdvancedPages", "域名 或 域名=IP地址"));

        auto* programs = new QGroupBox(QCoreApplication::translate("AdvancedPages", "运行程序"), this);
        auto* programForm = new QFormLayout(programs);
        programForm->addRow(QCoreApplication::translate("AdvancedPages", "应用后运行："), runOnApply_);
        programForm->addRow(QCoreApplication::translate("AdvancedPages", "离开时运行："), runOnLeave_);
        programForm->addRow(QCoreApplication::translate("AdvancedPages", "时限（秒）："), runTimeout_);
        auto* checks
            = new QGroupBox(QCoreApplication::translate("AdvancedPages", "应用后核对，不通过则恢复之前的设置"), this);
        auto* checkForm = new QFormLayout(checks);
        checkForm->addRow(QCoreApplication::translate("AdvancedPages", "须能连接："), verifyTCP_);
        checkForm->addRow(QCoreApplication::translate("AdvancedPages", "须能解析："), verifyDNS_);
        checkForm->addRow(QString(), verifyGateway_);
        checkForm->addRow(QCoreApplication::translate("AdvancedPages", "时限（秒）："), verifyTimeout_);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(programs);
        layout->addWidget(checks);
        layout->addStretch();
    }

    QString Title() const override { return QCoreApplication::translate("AdvancedPages", "程序"); }

    void Load(const store::SiteProfile& site) override
    {
        const store::SiteExtras& extras = site.Extras;
        runOnApply_->setText(QString::fromStdString(extras.RunOnApply));
        runOnLeave_->setText(QString::fromStdString(extras.RunOnLeave));
        runTimeout_->setText(QString::fromStdString(extras.RunTimeout));
        verifyTCP_->setText(QString::fromStdString(extras.VerifyTCP));
        verifyDNS_->setText(QString::fromStdString(extras.VerifyDNS));
        verifyTimeout_->setText(QString::fromStdString(extras.VerifyTimeout));
        loadedGateway_ = extras.VerifyGateway;
        verifyGateway_->setChecked(loadedGateway_ == "1");
    }

    void Store(store::SiteProfile& site) const override
    {
        store::SiteExtras& extras = site.Extras;
        extras.RunOnApply = runOnApply_->text().trimmed().toStdString();
        extras.RunOnLeave = runOnLeave_->text().trimmed().toStdString();
        extras.RunTimeout = runTimeout_->text().trimmed().toStdString();
        extras.VerifyTCP = verifyTCP_->text().trimmed().toStdString();
        extras.VerifyDNS = verifyDNS_->text().trimmed().toStdString();
        extras.VerifyTimeout = verifyTimeout_->text().trimmed().toStdString();
        // A value the box does not show ("0", or one written by hand) stays until the box changes.
        const bool changed = verifyGateway_->isChecked() != (loadedGateway_ == "1");
        extras.VerifyGateway = !changed ? loadedGateway_ : verifyGateway_->isChecked() ? "1" : "";
    }

    std::optional<QString> Validate(const store::SiteProfile& site) override
    {
        for (auto [key, field] :
             { std::pair { "RunOnApply", runOnApply_ }, std::pair { "RunOnLeave", runOnLeave_ },
               std::pair { "RunTimeout", runTimeout_ }, std::pair { "VerifyTCP", verifyTCP_ },
               std::pair { "VerifyDNS", verifyDNS_ }, std::pair { "VerifyTimeout", verifyTimeout_ } }) {
            if (const auto problem = net::ExtraValueProblem(site, key, field->text().trimmed().toStdString())) {
                field->setFocus(Qt::OtherFocusReason);
                return QCoreApplication::translate("net", *problem);
            }
        }
        return std::nullopt;
    }

private:
    QLineEdit* runOnApply_ = nullptr;
    QLineEdit* runOnLeave_ = nullptr;
    QLineEdit* runTimeout_ = nullptr;
    QLineEdit* verifyTCP_ = nullptr;
    QLineEdit* verifyDNS_ = nullptr;
    QLineEdit* verifyTimeout_ = nullptr;
    QCheckBox* verifyGateway_ = nullptr;
    std::string loadedGateway_;
};

} // namespace

AdvancedPage* MakeProgramPage(QWidget* parent)
{
    return new ProgramPage(parent);
}

} // namespace lanvex::gui
