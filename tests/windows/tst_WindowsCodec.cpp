#include "store/Cp936PrivateUse.h"
#include "store/TextCodec.h"

#include <doctest/doctest.h>
#include <ios>
#include <windows.h>

using namespace lanvex::store;

namespace {

// What code page 936 of this system makes of one byte pair: a character, or 0 when none.
wchar_t systemChar(unsigned char lead, unsigned char trail)
{
    const char pair[2] = { static_cast<char>(lead), static_cast<char>(trail) };
    wchar_t out[2] = {};
    return MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, pair, 2, out, 2) == 1 ? out[0] : 0;
}

} // namespace

TEST_SUITE("codec")
{
    TEST_CASE("the private-use table Linux reads with is the system's code page 936")
    {
        int privateUse = 0;
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                const auto l = static_cast<unsigned char>(lead), t = static_cast<unsigned char>(trail);
                const wchar_t expected = systemChar(l, t);
                const bool isPrivate = expected >= 0xE000 && expected <= 0xF8FF;
                INFO("pair " << std::hex << lead << ' ' << trail);
                CHECK(Cp936PrivateUseChar(l, t) == (isPrivate ? char32_t(expected) : 0));
                if (isPrivate) {
                    ++privateUse;
                    CHECK(Cp936PrivateUseBytes(expected) == std::string { char(l), char(t) });
                }
            }
        }
        CHECK(privateUse == 1894 + 255);
        CHECK(Cp936PrivateUseBytes(0xE865).empty());
    }

    TEST_CASE("settings text goes through the ANSI code page without best fit")
    {
        REQUIRE_MESSAGE(GetACP() == 936, "run with LC_ALL=zh_CN.UTF-8 so that Wine's ANSI code page is 936");
        CHECK(DecodeFileText("\xB0\xEC\xB9\xAB\xCA\xD2", false) == "办公室");
        CHECK(EncodeFileText("办公室", false) == std::optional<std::string>("\xB0\xEC\xB9\xAB\xCA\xD2"));
        // The system's own private-use mapping, and the euro sign of code page 936's single byte 80.
        CHECK(DecodeFileText("\xA2\xAB\x80", false) == "\xEE\x9D\xA6\xE2\x82\xAC");
        CHECK(EncodeFileText("\xEE\x9D\xA6", false) == std::optional<std::string>("\xA2\xAB"));
        // Hangul has no form in code page 936; best fit would store "?" or a look-alike.
        CHECK_FALSE(EncodeFileText("한", false).has_value());
        CHECK_FALSE(EncodeFileText("ŵ", false).has_value());
        // An undecodable byte is one replacement character, and the text after it survives.
        CHECK(DecodeFileText("a\xFF"
                             "b\xB0\xEC",
                             false)
              == "a\xEF\xBF\xBD"
                 "b办");
    }
}
