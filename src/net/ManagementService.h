#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lanvex::net {

// A property value or method argument as the management service passes it: null, text, boolean,
// integer, or an array of texts or integers. Missing and null properties are both std::monostate.
using Value = std::variant<std::monostate, std::string, bool, std::int64_t, std::vector<std::string>,
                           std::vector<std::int64_t>>;

// A failure raised by the service (cannot connect, bad query, broken call), as opposed to a method
// that ran and returned a non-zero result.
class ServiceError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The service refused a checkpoint because the adapter is already in one: an earlier change, whose
// program may have ended, still waits to be kept or rolled back by the service. A change made now
// would be rolled back with it.
class CheckpointPending : public ServiceError
{
public:
    using ServiceError::ServiceError;
};

// One instance of the adapter configuration class: named properties and named methods.
class ManagementObject
{
public:
    virtual ~ManagementObject() = default;
    virtual Value Property(std::string_view name) const = 0;
    // Runs a method; returns its result, 0 for success. Throws ServiceError when the call itself fails.
    virtual std::uint32_t ExecMethod(std::string_view method, const std::vector<Value>& args) = 0;
};

using ObjectRef = std::shared_ptr<ManagementObject>;

// Whether the caller may change adapter settings: at once, after the user answers a system
// authorization prompt, or not at all.
enum class ChangePermission
{
    Granted,
    NeedsAuthorization,
    Denied,
};

// A state of one adapter that the service keeps and rolls back to by itself when its time runs out,
// even when this program has ended by then.
class Checkpoint
{
public:
    virtual ~Checkpoint() = default;
    // The change stays: the service forgets the checkpoint. False when the service has rolled back
    // already (or cannot be asked), so the change is gone.
    virtual bool Keep() = 0;
    // The service rolls back `seconds` from now, unless kept first: the change itself may have
    // taken a good part of the first time given.
    virtual void RestartTimeout(std::uint32_t seconds) = 0;
    // Back to the checkpoint's state now. Throws ServiceError when the service did not roll back.
    virtual void Rollback() = 0;
};

// What a check after an apply asks of the network.
enum class ProbeKind
{
    Tcp, // "host:port" accepts a TCP connection
    Dns, // "name" resolves, or "name=address" resolves to that address
    Gateway, // the adapter's default gateway (the target) answers
};

// The kind as the simulated service logs it and scripts see it: "tcp", "dns" or "gateway".
constexpr std::string_view ProbeKindName(ProbeKind kind)
{
    switch (kind) {
    case ProbeKind::Dns:
        return "dns";
    case ProbeKind::Gateway:
        return "gateway";
    case ProbeKind::Tcp:
        break;
    }
    return "tcp";
}

// Who answered a probe for an IPv4 address on the adapter's link, before the adapter takes it.
struct AddressAnswer
{
    enum class State
    {
        Free, // no host answered in time
        Taken, // a host answered: it holds the address
        NotChecked, // the service could not probe (no permission, no such adapter, no way to)
    };
    State state = State::NotChecked;
    std::string holderMAC; // the answering host's hardware address, when taken
};

// A connection to the service. The calls throw ServiceError on failure.
class ManagementService
{
public:
    virtual ~ManagementService() = default;
    virtual std::vector<ObjectRef> ExecQuery(std::string_view query, std::string_view language, std::int32_t flags) = 0;
    virtual ObjectRef Get(std::string_view objectPath, std::int32_t flags) = 0;
    // Asked before an apply changes anything. A service without its own notion of permissions
    // leaves the answer to each method's result.
    virtual ChangePermission MayChange() { return ChangePermission::Granted; }
    // A checkpoint of the adapter whose Index is adapterNumber, rolled back by the service after
    // rollbackSeconds. Nothing from a service without checkpoints; ServiceError when it has them but
    // refused this one, CheckpointPending when the adapter is in another checkpoint still.
    virtual std::unique_ptr<Checkpoint> CreateCheckpoint(std::int32_t adapterNumber, std::uint32_t rollbackSeconds)
    {
        (void)adapterNumber;
        (void)rollbackSeconds;
        return nullptr;
    }
    // Asks the network, through the adapter whose Index is adapterNumber, whether the target
    // answers within `timeout`. A service that cannot probe answers no.
    virtual bool Probe(std::int32_t adapterNumber, ProbeKind kind, std::string_view target,
                       std::chrono::milliseconds timeout)
    {
        (void)adapterNumber;
        (void)kind;
        (void)target;
        (void)timeout;
        return false;
    }
    // Asks the adapter's link whether another host holds `address` (an ARP probe from no address,
    // which no host takes for a claim), waiting up to `timeout` for an answer.
    virtual AddressAnswer ProbeAddress(std::int32_t adapterNumber, std::string_view address,
                                       std::chrono::milliseconds timeout)
    {
        (void)adapterNumber;
        (void)address;
        (void)timeout;
        return {};
    }
};

// Resolves a moniker such as "winmgmts:" to a connection. Throws ServiceError when the service
// cannot be reached.
class ServiceConnector
{
public:
    virtual ~ServiceConnector() = default;
    virtual std::unique_ptr<ManagementService> Connect(std::string_view moniker) = 0;
};

} // namespace lanvex::net
