#pragma once

#include "transfer/PackedSites.h"

#include <string>

namespace lanvex::transfer {

// The sites of an import file, or why there are none.
struct SitesOfFile
{
    enum class Problem
    {
        None,
        NotAList, // neither a JSON array nor a settings file with a site list
        NotARecord, // a JSON item that is not a site record
        TooMany, // more sites than the site list holds
    };
    Problem problem = Problem::None;
    PackedSites sites;
};

// Reads the sites of a JSON array as --list prints it, or of a settings file with its site list.
// The JSON is read one record at a time, so memory stays in proportion to the sites, whatever the
// file's shape; more records than the site list holds are refused as soon as they are seen.
SitesOfFile ReadSitesOfFile(std::string bytes);

} // namespace lanvex::transfer
