#pragma once

#include "net/ManagementService.h"

#include <optional>
#include <string>
#include <string_view>

namespace lanvex::net::wmi {

// The management service of Windows, through IWbemLocator and IWbemServices.
//
// The program addresses an adapter by its position in the list plus one, while Windows numbers its
// adapter configurations by its own Index (not 1, 2, 3 ...). So the configurations that the query
// "WHERE IPEnabled = TRUE" returns are presented with Index 1, 2, 3 ... in that query's order, and
// "Win32_NetworkAdapterConfiguration.Index=N" fetches the N-th of them. A configuration that is not
// IP-enabled has no Index here.
//
// COM is initialised once on every thread that connects. A failed connection, query or fetch
// raises ServiceError; a method call that fails returns the failure's HRESULT as its result.
class WmiConnector : public ServiceConnector
{
public:
    std::unique_ptr<ManagementService> Connect(std::string_view moniker) override;
};

// The namespace path a "winmgmts:" moniker names, such as \\.\root\cimv2 (the default namespace
// when it names none); nullopt when the text is no such moniker.
std::optional<std::wstring> NamespaceOfMoniker(std::string_view moniker);

} // namespace lanvex::net::wmi
