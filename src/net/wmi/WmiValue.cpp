#include "net/wmi/WmiValue.h"

#include "store/windows/WindowsText.h"

#include <oleauto.h>

namespace lanvex::net::wmi {

using store::windows::Narrow;
using store::windows::Widen;

Bstr::Bstr(std::wstring_view text)
    : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
{
    if (!value_)
        throw ServiceError("out of memory");
}

Bstr::Bstr(std::string_view utf8)
    : Bstr(std::wstring_view(Widen(utf8)))
{ }

Bstr::~Bstr()
{
    SysFreeString(value_);
}

namespace {

bool isInteger(VARTYPE type)
{
    switch (type) {
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
        return true;
    default:
        return false;
    }
}

std::int64_t integerOf(const void* element, VARTYPE type)
{
    switch (type) {
    case VT_I1:
        return *static_cast<const signed char*>(element);
    case VT_UI1:
        return *static_cast<const unsigned char*>(element);
    case VT_I2:
        return *static_cast<const SHORT*>(element);
    case VT_UI2:
        return *static_cast<const USHORT*>(element);
    case VT_I4:
    case VT_INT:
        return *static_cast<const LONG*>(element);
    case VT_UI4:
    case VT_UINT:
        return *static_cast<const ULONG*>(element);
    case VT_I8:
        return *static_cast<const LONGLONG*>(element);
    default:
        return static_cast<std::int64_t>(*static_cast<const ULONGLONG*>(element));
    }
}

// A text up to its first NUL: Wine counts the terminating one in the length of some texts.
std::string textOf(BSTR text)
{
    if (!text)
        return {};
    std::wstring_view wide(text, SysStringLen(text));
    return Narrow(wide.substr(0, wide.find(L'\0')));
}

// The elements of a one-dimensional SAFEARRAY, each handed to `take` with its address.
template <typename Take> void forEachElement(SAFEARRAY* array, Take take)
{
    if (!array || SafeArrayGetDim(array) != 1)
        throw ServiceError("unsupported array");
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data)))
        throw ServiceError("unreadable array");
    const UINT size = SafeArrayGetElemsize(array);
    for (LONG i = 0; i <= upper - lower; ++i)
        take(static_cast<const char*>(data) + static_cast<std::size_t>(i) * size);
    SafeArrayUnaccessData(array);
}

template <typename Element, typename Fill>
SAFEARRAY* makeArray(VARTYPE type, const std::vector<Element>& elements, Fill fill)
{
    SAFEARRAY* array = SafeArrayCreateVector(type, 0, static_cast<ULONG>(elements.size()));
    if (!array)
        throw ServiceError("out of memory");
    for (LONG i = 0; i < static_cast<LONG>(elements.size()); ++i) {
        if (FAILED(fill(array, i, elements[static_cast<std::size_t>(i)]))) {
            SafeArrayDestroy(array);
            throw ServiceError("cannot build an argument");
        }
    }
    return array;
}

} // namespace

Value FromVariant(const VARIANT& variant)
{
    const VARTYPE type = V_VT(&variant);
    if (type == VT_EMPTY || type == VT_NULL)
        return std::monostate {};
    if (type == VT_BSTR)
        return textOf(V_BSTR(&variant));
    if (type == VT_BOOL)
        return V_BOOL(&variant) != VARIANT_FALSE;
    if (isInteger(type))
        return integerOf(&V_I1(&variant), type);
    if (type == (VT_ARRAY | VT_BSTR)) {
        std::vector<std::string> texts;
        forEachElement(V_ARRAY(&variant),
                       [&](const void* e) { texts.push_back(textOf(*static_cast<const BSTR*>(e))); });
        return texts;
    }
    if ((type & VT_ARRAY) && isInteger(type & VT_TYPEMASK)) {
        std::vector<std::int64_t> numbers;
        forEachElement(V_ARRAY(&variant), [&](const void* e) { numbers.push_back(integerOf(e, type & VT_TYPEMASK)); });
        return numbers;
    }
    throw ServiceError("unsupported value type " + std::to_string(type));
}

void ToVariant(const Value& value, VARIANT& variant)
{
    VariantClear(&variant);
    if (const auto* text = std::get_if<std::string>(&value)) {
        V_VT(&variant) = VT_BSTR;
        const std::wstring wide = Widen(*text);
        V_BSTR(&variant) = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    } else if (const auto* flag = std::get_if<bool>(&value)) {
        V_VT(&variant) = VT_BOOL;
        V_BOOL(&variant) = *flag ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (const auto* number = std::get_if<std::int64_t>(&value)) {
        V_VT(&variant) = VT_I4;
        V_I4(&variant) = static_cast<LONG>(*number);
    } else if (const auto* texts = std::get_if<std::vector<std::string>>(&value)) {
        V_ARRAY(&variant) = makeArray(VT_BSTR, *texts, [](SAFEARRAY* array, LONG i, const std::string& element) {
            const Bstr text { std::string_view(element) };
            return SafeArrayPutElement(array, &i, text.get()); // copies the text
        });
        V_VT(&variant) = VT_ARRAY | VT_BSTR;
    } else if (const auto* numbers = std::get_if<std::vector<std::int64_t>>(&value)) {
        V_ARRAY(&variant) = makeArray(VT_I4, *numbers, [](SAFEARRAY* array, LONG i, std::int64_t element) {
            LONG number = static_cast<LONG>(element);
            return SafeArrayPutElement(array, &i, &number);
        });
        V_VT(&variant) = VT_ARRAY | VT_I4;
    } else {
        V_VT(&variant) = VT_NULL;
    }
}

} // namespace lanvex::net::wmi
