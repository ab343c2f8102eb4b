#pragma once

#include "net/ManagementService.h"

#include <oaidl.h>
#include <string>
#include <string_view>

namespace lanvex::net::wmi {

// A VARIANT that clears itself.
class Variant
{
public:
    Variant() { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* get() { return &value_; }
    const VARIANT& operator*() const { return value_; }

private:
    VARIANT value_;
};

// A BSTR that frees itself.
class Bstr
{
public:
    explicit Bstr(std::wstring_view text);
    explicit Bstr(std::string_view utf8);
    ~Bstr();
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return value_; }

private:
    BSTR value_;
};

// A property or out-parameter as the seam's value. Throws ServiceError for a type the seam has
// no form for.
Value FromVariant(const VARIANT& variant);
// A method argument as WMI expects it: texts as BSTR, integers as VT_I4 (also for uint16), arrays
// as SAFEARRAYs.
void ToVariant(const Value& value, VARIANT& variant);

} // namespace lanvex::net::wmi
