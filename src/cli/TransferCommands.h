#pragma once

#include <iosfwd>
#include <string>

namespace lanvex::cli {

// --export FILE and --import FILE [--replace]: the report on stdout, a failure on stderr.
int RunExportCommand(const std::string& exportPath, std::ostream& out, std::ostream& err);
int RunImportCommand(const std::string& importPath, bool replace, std::ostream& out, std::ostream& err);

} // namespace lanvex::cli
