#pragma once

#include "net/nm/NmBus.h"
#include "net/nm/NmDevice.h"

#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <functional>

namespace lanvex::net::nm {

// The values of the "method" key of a profile's "ipv4" and "ipv6" sections.
inline const QString kMethodAuto = QStringLiteral("auto");
inline const QString kMethodManual = QStringLiteral("manual");
inline const QString kMethodDisabled = QStringLiteral("disabled");
inline const QString kMethodIgnore = QStringLiteral("ignore");

// An edit of one section of a profile; returns kSuccess, or the method result that refuses it.
using SectionEdit = std::function<std::uint32_t(QVariantMap& section)>;

// A profile the device runs or would run: its object path, empty when it has none to change, and
// whether it is the one active on the device.
struct ChosenProfile
{
    QString path;
    bool active = false;
};

// The saved profile this device runs or would run. Throws BusError.
ChosenProfile ChooseProfile(NmBus& bus, const DeviceInfo& device);

// A profile of our own for an Ethernet device that has none: DHCP, bound to the interface.
ConnectionSettings NewProfile(const DeviceInfo& device);

// Applies `edit` to the section `name` of `settings`; `settings` stays as it was when the edit refuses.
std::uint32_t EditSection(ConnectionSettings& settings, const QString& name, const SectionEdit& edit);

} // namespace lanvex::net::nm
