#include "store/IniFile.h"

#include <cerrno>

namespace lanvex::store {

void ParseSettingsBytes(const std::string& path, std::string bytes, ReadResult& result)
{
    if (IniDocument::HasTooManySections(bytes)) {
        result.ok = false;
        result.error = "the settings file " + path + " has too many sections";
        result.errorCode = E2BIG;
        return;
    }
    result.document = IniDocument::ParseOwned(std::move(bytes));
}

} // namespace lanvex::store
