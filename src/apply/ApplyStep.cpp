#include "apply/ApplyStep.h"

#include "apply/ApplyResult.h"
#include "i18n/Translate.h"
#include "net/AdapterConfiguration.h"
#include "net/ServiceValues.h"

#include <exception>

namespace lanvex::apply {

StepContext::StepContext(net::ManagementService& service, std::vector<net::ObjectRef> adapterSet,
                         std::int32_t adapterNumber, const store::SiteProfile& site, const DesktopTargets* desktop,
                         bool authorizationNeeded, const StatusSink& showStatus, const ApplySurroundings* surroundings)
    : m_service(service)
    , m_adapterSet(std::move(adapterSet))
    , m_adapterNumber(adapterNumber)
    , m_site(site)
    , m_extras(net::ReadExtraSettings(site))
    , m_desktop(desktop)
    , m_showStatus(showStatus)
    , m_surroundings(surroundings)
    , m_authorizationNeeded(authorizationNeeded)
{ }

void StepContext::ShowStatus(const char* text) const
{
    if (m_showStatus)
        m_showStatus(text);
}

void StepContext::BeforeFirstChange()
{
    if (m_authorizationNeeded && !m_changeStarted)
        ShowStatus(LANVEX_TR_NOOP("net", "正在等待系统授权..."));
    m_changeStarted = true;
}

net::ObjectRef StepContext::Adapter() const
{
    for (const net::ObjectRef& adapter : m_adapterSet)
        if (adapter && net::HasIndex(*adapter, m_adapterNumber))
            return adapter;
    return nullptr;
}

net::ObjectRef StepContext::AdapterByPath()
{
    if (m_byPath)
        return *m_byPath;
    m_byPath = net::ObjectRef();
    const net::ObjectRef adapter = Adapter();
    if (!adapter)
        return nullptr;
    if (const auto index = net::ElementOf(net::ReadProperty(*adapter, "Index"), 0)) {
        try {
            m_byPath = m_service.Get(std::string(net::kPathPrefix) + *index, 0);
        } catch (const std::exception&) {
            m_byPath = net::ObjectRef();
        }
    }
    return *m_byPath;
}

std::string TranslatedLine(const SummaryLine& line)
{
    const std::string text = i18n::Translate("net", line.text);
    switch (line.args.size()) {
    case 0:
        return text;
    case 1:
        return i18n::Arg(text, { line.args[0] });
    default:
        return i18n::Arg(text, { line.args[0], line.args[1] });
    }
}

StepOutcome MakeOutcome(const char* step, bool ok, std::int32_t bits, std::vector<SummaryLine> lines)
{
    StepOutcome outcome;
    outcome.step = step;
    outcome.ok = ok;
    outcome.bits = bits;
    outcome.lines = std::move(lines);
    return outcome;
}

StepOutcome ChangeOutcome(const char* step, std::uint32_t methodResult, std::int32_t failedBit, const char* succeeded,
                          const char* failed)
{
    StepOutcome outcome = MakeOutcome(step, methodResult == 0);
    if (methodResult == net::kResultUnknown)
        outcome.wholeResult = kOutcomeUnknown;
    else if (methodResult != 0)
        outcome.bits = failedBit | SavedFlag(methodResult);
    outcome.lines = { outcome.ok ? succeeded : failed };
    return outcome;
}

std::string JoinValues(const std::vector<std::string>& values)
{
    std::string joined;
    for (const std::string& value : values)
        if (!value.empty())
            joined.append(joined.empty() ? "" : ", ").append(value);
    return joined;
}

std::uint32_t CallSkippingFailure(const net::ObjectRef& object, std::string_view method,
                                  const std::vector<net::Value>& args)
{
    if (!object)
        return kStepNotRun;
    try {
        return object->ExecMethod(method, args);
    } catch (const std::exception&) {
        return kStepNotRun;
    }
}

std::int32_t SavedFlag(std::uint32_t methodResult)
{
    return methodResult == net::kResultSavedNotLive ? kSavedNotLive : 0;
}

} // namespace lanvex::apply
