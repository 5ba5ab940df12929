#include "download/download_address.h"
#include "download/download_files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DownloadAddressTest, SplitsHostAndPathAfterTheSchemeFoundAnywhere)
{
    const struct {
        const wchar_t* url;
        SplitResult result;
        const wchar_t* host;
        const wchar_t* path;
        bool secure;
    } cases[] = {
        {L"https://www.brinmark.com/trial/lumaroute.exe", SplitResult::Split, L"www.brinmark.com",
         L"trial/lumaroute.exe", true},
        {L"http://www.brinmark.com/trial/lumaroute.exe", SplitResult::Split, L"www.brinmark.com",
         L"trial/lumaroute.exe", false},
        {L"https://host:8443/a", SplitResult::Split, L"host:8443", L"a", true},
        {L"https://host/", SplitResult::Split, L"host", L"", true},
        {L"https://host", SplitResult::NoSlash, L"host", L"old path", true},
        {L"ftp://x/y", SplitResult::NoScheme, L"old host", L"old path", false},
        {L"", SplitResult::NoScheme, L"old host", L"old path", false},
        // "http://" further on wins over the real "https://" and the cut falls at 7.
        {L"https://a/b/c?u=http://x", SplitResult::Split, L"", L"a/b/c?u=http://x", true},
        {L"HTTPS://a/b?r=http://x", SplitResult::Split, L"", L"a/b?r=http://x", true},
        // The cut is at 8 whatever comes before the scheme; only a real start is secure.
        {L"xhttps://h/p", SplitResult::Split, L"", L"h/p", false},
    };
    for (const auto& c : cases) {
        std::wstring host = L"old host", path = L"old path";
        bool secure = false;
        EXPECT_EQ(SplitDownloadUrl(c.url, host, path, secure), c.result) << c.url;
        EXPECT_EQ(host, c.host) << c.url;
        EXPECT_EQ(path, c.path) << c.url;
        EXPECT_EQ(secure, c.secure) << c.url;
    }
}

TEST(DownloadAddressTest, PortComesFromTheHostOrTheSchemeAndABadOneIsZero)
{
    const struct {
        const wchar_t* hostText;
        bool secure;
        const wchar_t* host;
        std::uint16_t port;
    } cases[] = {
        {L"www.brinmark.com", true, L"www.brinmark.com", 443},
        {L"www.brinmark.com", false, L"www.brinmark.com", 80},
        {L"host:8443", true, L"host", 8443},
        {L"127.0.0.1:8080", false, L"127.0.0.1", 8080},
        {L"host:65535", false, L"host", 65535},
        {L"host:", true, L"host", 0},
        {L"host:0", true, L"host", 0},
        {L"host:65536", true, L"host", 0},
        {L"host:99999999999", true, L"host", 0},
        {L"host:8x", true, L"host", 0},
        {L"host:-1", true, L"host", 0},
        {L"[::1]:8443", true, L"::1", 8443},
        {L"[::1]", false, L"::1", 80},
        {L"[::1]8443", false, L"::1", 0},
        {L"[::1", false, L"[::1", 0},
    };
    for (const auto& c : cases) {
        const HttpTarget target = MakeHttpTarget(c.hostText, L"trial/x.exe", c.secure);
        EXPECT_EQ(target.host, c.host) << c.hostText;
        EXPECT_EQ(target.port, c.port) << c.hostText;
        EXPECT_EQ(target.secure, c.secure) << c.hostText;
        EXPECT_EQ(target.path, L"trial/x.exe") << c.hostText;
    }
}

TEST(DownloadAddressTest, RangeHeaderHasAnInclusiveEndAndNoBlank)
{
    EXPECT_EQ(RangeHeader(0, 249999), L"Range:bytes=0-249999");
    EXPECT_EQ(RangeHeader(9750000, 10000002), L"Range:bytes=9750000-10000002");
    EXPECT_EQ(RangeHeader(4294967295u, 4294967295u), L"Range:bytes=4294967295-4294967295");
}

TEST(DownloadFilesTest, StemAndInstallerNameComeFromTheTextAfterTheLastSlash)
{
    const struct {
        const wchar_t* url;
        const wchar_t* stem;  // nullptr: no file name
        const wchar_t* installer;
    } cases[] = {
        {L"https://h/trial/lumaroute.exe", L"lumaroute.", L"B\\Quorvex\\lumaroute.exe"},
        {L"https://h/a.b.c", L"a.b.", L"B\\Quorvex\\a.b.c"},
        {L"https://h/noext", nullptr, nullptr},
        {L"https://h.com/dir.d/file", nullptr, nullptr},
        {L"https://h/", nullptr, nullptr},
        {L"lumaroute.exe", nullptr, nullptr},
        // Only a plain file name: nothing that could leave the working folder, name a
        // device, or be the temporary file itself.
        {L"https://h/a\\..\\..\\evil.exe", nullptr, nullptr},
        {L"https://h/C:evil.exe", nullptr, nullptr},
        {L"https://h/setup.exe:stream", nullptr, nullptr},
        {L"https://h/.", nullptr, nullptr},
        {L"https://h/..", nullptr, nullptr},
        {L"https://h/a?b.exe", nullptr, nullptr},
        {L"https://h/lumaroute.exe?x=1", nullptr, nullptr},
        {L"https://h/a*.exe", nullptr, nullptr},
        {L"https://h/a<b>.exe", nullptr, nullptr},
        {L"https://h/a\"b.exe", nullptr, nullptr},
        {L"https://h/a|b.exe", nullptr, nullptr},
        {L"https://h/a\tb.exe", nullptr, nullptr},
        {L"https://h/a\x7f.exe", nullptr, nullptr},
        {L"https://h/nul.exe", nullptr, nullptr},
        {L"https://h/COM1.exe", nullptr, nullptr},
        {L"https://h/lpt9.txt.exe", nullptr, nullptr},
        {L"https://h/lumaroute.DOWN", nullptr, nullptr},
        {L"https://h/console.exe", L"console.", L"B\\Quorvex\\console.exe"},
        {L"https://h/com10.exe", L"com10.", L"B\\Quorvex\\com10.exe"},
        {L"https://h/my setup.exe", L"my setup.", L"B\\Quorvex\\my setup.exe"},
        {L"https://h/..exe", L"..", L"B\\Quorvex\\..exe"},
    };
    for (const auto& c : cases) {
        const auto stem = DownloadStem(c.url);
        const auto installer = InstallerPath(L"B", c.url);
        ASSERT_EQ(stem.has_value(), c.stem != nullptr) << c.url;
        ASSERT_EQ(installer.has_value(), c.installer != nullptr) << c.url;
        if (c.stem) {
            EXPECT_EQ(*stem, c.stem) << c.url;
            EXPECT_EQ(*installer, c.installer) << c.url;
        }
    }
    EXPECT_EQ(WorkingFolder(L"C:\\Temp"), L"C:\\Temp\\Quorvex");
    EXPECT_EQ(TempFilePath(L"C:\\Temp", L"lumaroute."), L"C:\\Temp\\Quorvex\\lumaroute.down");
}

TEST(DownloadFilesTest, OnlySuccessCodesOfTheInstallerCountAsAnInstallation)
{
    for (const unsigned long code : {0ul, 3010ul, 1641ul})
        EXPECT_TRUE(InstallerSucceeded(code)) << code;
    for (const unsigned long code : {1ul, 2ul, 3ul, 1602ul, 1603ul, 3011ul, 0xC0000005ul, 0xFFFFFFFFul})
        EXPECT_FALSE(InstallerSucceeded(code)) << code;
}

TEST(DownloadFilesTest, CommandLineQuotesThePathUnchanged)
{
    EXPECT_EQ(InstallerCommandLine(L"C:\\Apps"), L" /verysilent /Brinmark /path=\"C:\\Apps\"");
    EXPECT_EQ(InstallerCommandLine(L"C:\\My Apps\\"), L" /verysilent /Brinmark /path=\"C:\\My Apps\\\"");
    EXPECT_EQ(InstallerCommandLine(L""), L" /verysilent /Brinmark /path=\"\"");
}

TEST(DownloadFilesTest, ProductPathsAddSeparatorsEvenAfterATrailingOne)
{
    EXPECT_EQ(ProductExecutable(L"C:\\Apps", L"Brinmark", L"Lumaroute", L"Lumaroute.exe"),
              L"C:\\Apps\\Brinmark\\Brinmark Lumaroute\\Lumaroute.exe");
    EXPECT_EQ(ProductWorkingFolder(L"C:\\Apps", L"Brinmark", L"Lumaroute"), L"C:\\Apps\\Brinmark\\Lumaroute");
    EXPECT_EQ(ProductWorkingFolder(L"C:\\", L"Brinmark", L"Lumaroute"), L"C:\\\\Brinmark\\Lumaroute");
    EXPECT_EQ(ProductExecutable(L"", L"B", L"L", L"L.exe"), L"\\B\\B L\\L.exe");
}

}  // namespace
