// An answer to an https request is used only if it came from an https address.
#include "download/final_address.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace {

struct AddressCase {
    const char* what;
    bool secure;
    std::wstring_view finalUrl;
    unsigned long status;
    std::optional<std::wstring_view> location;
    unsigned long expected;
};

TEST(FinalAddress, AnHttpsRequestThatEndsAnywhereButHttpsFailsWithTheRedirectCode)
{
    constexpr unsigned long kRefused = 12040;
    const AddressCase cases[] = {
        {"https to the end", true, L"https://www.brinmark.com/trial/lumaroute.exe", 200, std::nullopt, 0},
        {"scheme in capitals", true, L"HTTPS://www.brinmark.com/trial/lumaroute.exe", 206, std::nullopt, 0},
        {"followed to another https host", true, L"https://mirror.example/lumaroute.exe", 200, std::nullopt, 0},
        {"followed to plain http (Wine's WinINet)", true, L"http://127.0.0.1:8080/trial/lumaroute.exe", 200,
         std::nullopt, kRefused},
        {"final address unreadable", true, L"", 200, std::nullopt, kRefused},
        {"scheme-less final address", true, L"www.brinmark.com/trial/lumaroute.exe", 200, std::nullopt, kRefused},
        {"another scheme", true, L"ftp://www.brinmark.com/lumaroute.exe", 200, std::nullopt, kRefused},
        {"https in the path only", true, L"http://evil.example/https://x", 200, std::nullopt, kRefused},
        {"redirect to http not followed (WinHTTP)", true, L"https://www.brinmark.com/trial/lumaroute.exe", 302,
         L"http://evil.example/lumaroute.exe", kRefused},
        {"redirect to HTTP in capitals", true, L"https://www.brinmark.com/x", 301, L"HTTP://evil.example/x",
         kRefused},
        {"redirect to https not followed", true, L"https://www.brinmark.com/x", 302, L"https://mirror.example/x", 0},
        {"relative redirect stays on https", true, L"https://www.brinmark.com/x", 307, L"/trial/other.exe", 0},
        {"scheme-relative redirect stays on https", true, L"https://www.brinmark.com/x", 308,
         L"//mirror.example/x", 0},
        {"relative path with a colon later", true, L"https://www.brinmark.com/x", 302, L"a/b:c", 0},
        {"http location on a non-redirect is not followed", true, L"https://www.brinmark.com/x", 200,
         L"http://evil.example/x", 0},
        {"plain http request is not looked at", false, L"http://www.brinmark.com/x", 200, std::nullopt, 0},
        {"plain http request, unreadable address", false, L"", 302, L"http://evil.example/x", 0},
    };
    for (const AddressCase& c : cases) {
        EXPECT_EQ(FinalAddressError(c.secure, c.finalUrl, c.status, c.location), c.expected) << c.what;
        // A refused redirect's own answer (WinHTTP's failed redirect) is read the same way.
        if (c.secure && c.finalUrl.starts_with(L"https://")) {
            EXPECT_EQ(RedirectLeavesHttps(c.status, c.location), c.expected != 0) << c.what;
        }
    }
}

}  // namespace
