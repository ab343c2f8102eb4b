#include "net/nm/NmProfileChange.h"

#include "net/AdapterConfiguration.h"

#include <QDBusObjectPath>
#include <utility>

namespace lanvex::net::nm {

std::uint32_t MapBusError(const BusError& error)
{
    const QString& name = error.name();
    if (name.contains(QLatin1String("PermissionDenied")) || name.contains(QLatin1String("AccessDenied"))
        || name.contains(QLatin1String("NotAuthorized")))
        return kAccessDenied;
    if (name.contains(QLatin1String("InvalidProperty")) || name.contains(QLatin1String("InvalidConnection"))
        || name.contains(QLatin1String("InvalidArgs")))
        return kInvalidParameter;
    return kUnknownFailure;
}

NmProfileChange::NmProfileChange(NmBus& bus, QString devicePath, const WaitLimits& limits)
    : m_bus(bus)
    , m_devicePath(std::move(devicePath))
    , m_limits(limits)
{ }

DeviceState NmProfileChange::ReadState() const
{
    return ReadDeviceState(m_bus, m_devicePath);
}

std::uint32_t NmProfileChange::Apply(const QString& section, const SectionEdit& edit, const LiveCheck& live,
                                     int timeoutMs)
{
    const DeviceInfo device = ReadDevice(m_bus, m_devicePath);
    const ChosenProfile chosen = ChooseProfile(m_bus, device);
    QString profile = chosen.path;
    ConnectionSettings before;
    ConnectionSettings settings;
    if (!profile.isEmpty()) {
        const QVariantList reply = m_bus.Call(profile, kConnectionInterface, QStringLiteral("GetSettings"));
        if (reply.isEmpty())
            return kUnknownFailure;
        before = ToSettings(reply.front());
        if (before.isEmpty())
            return kUnknownFailure;
        settings = before;
    } else if (device.type == kDeviceTypeWifi) {
        return kNotConfigurable; // a Wi-Fi profile needs a network to join
    } else {
        settings = NewProfile(device);
    }
    if (const std::uint32_t refused = EditSection(settings, section, edit); refused != kSuccess)
        return refused;

    const bool created = profile.isEmpty();
    if (created) {
        QVariantList reply;
        try {
            reply = m_bus.Change(kNmSettingsPath, kSettingsInterface, QStringLiteral("AddConnection"),
                                 { QVariant::fromValue(settings) });
        } catch (const BusError& error) {
            if (IsLostAnswer(error))
                return kResultUnknown; // a profile may exist now, but where is not known
            throw;
        }
        profile = reply.isEmpty() ? QString() : ObjectPath(reply.front());
        if (profile.isEmpty())
            return kUnknownFailure;
    } else {
        try {
            m_bus.Change(profile, kConnectionInterface, QStringLiteral("Update"), { QVariant::fromValue(settings) });
        } catch (const BusError& error) {
            // Refused: nothing was saved. Unanswered: making it live shows whether it was.
            if (!IsLostAnswer(error))
                throw;
        }
    }

    const NmChangeWait wait(m_bus, m_devicePath, m_limits);
    try {
        MakeLive(device, profile, chosen.active);
    } catch (const BusError& error) {
        // An unanswered request may still be carried out: only the device's state can tell.
        if (!IsLostAnswer(error)) {
            if (wait.IsLiveNow(live))
                return kSuccess;
            return Restore(profile, created, before) ? MapBusError(error) : kResultSavedNotLive;
        }
    }
    switch (wait.WaitUntil(live, timeoutMs)) {
    case Liveness::Live:
        return kSuccess;
    case Liveness::NotLive:
        // NetworkManager keeps the saved change and applies it when it can (a cable, a lease).
        return kResultSavedNotLive;
    case Liveness::Unknown:
        break;
    }
    return kResultUnknown;
}

// Takes a refused change back out of the saved profile; false when it stays saved.
bool NmProfileChange::Restore(const QString& profile, bool created, const ConnectionSettings& before)
{
    try {
        if (created)
            m_bus.Change(profile, kConnectionInterface, QStringLiteral("Delete"));
        else
            m_bus.Change(profile, kConnectionInterface, QStringLiteral("Update"), { QVariant::fromValue(before) });
        return true;
    } catch (const BusError&) {
        return false;
    }
}

void NmProfileChange::Reapply(const DeviceInfo& device)
{
    // An empty profile makes NetworkManager take the saved one, which now holds the change.
    m_bus.Change(device.path, kDeviceInterface, QStringLiteral("Reapply"),
                 { QVariant::fromValue(ConnectionSettings {}), QVariant::fromValue(qulonglong { 0 }),
                   QVariant::fromValue(uint { 0 }) });
}

void NmProfileChange::MakeLive(const DeviceInfo& device, const QString& profile, bool active)
{
    if (active) {
        try {
            Reapply(device);
            return;
        } catch (const BusError& error) {
            // Still activating: reapplying is refused, activating afresh is not.
            if (!error.name().endsWith(QLatin1String("NotActive")))
                throw;
        }
    }
    m_bus.Change(kNmPath, kNmInterface, QStringLiteral("ActivateConnection"),
                 { QVariant::fromValue(QDBusObjectPath(profile)), QVariant::fromValue(QDBusObjectPath(device.path)),
                   QVariant::fromValue(QDBusObjectPath(QStringLiteral("/"))) });
}

} // namespace lanvex::net::nm
