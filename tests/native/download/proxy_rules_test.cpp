#include "download/proxy_rules.h"

#include <gtest/gtest.h>

namespace {

// The record as Windows writes it: version, counter, flags, then three counted texts.
std::vector<unsigned char> Record(std::uint32_t flags, const std::string& proxy, const std::string& bypass,
                                  const std::string& url)
{
    std::vector<unsigned char> record;
    const auto number = [&](std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            record.push_back(static_cast<unsigned char>(value >> (8 * i)));
    };
    number(0x46);
    number(7);
    number(flags);
    for (const std::string& text : {proxy, bypass, url}) {
        number(static_cast<std::uint32_t>(text.size()));
        record.insert(record.end(), text.begin(), text.end());
    }
    return record;
}

TEST(ProxyRules, TheRecordGivesOnlyWhatItsFlagsSwitchOn)
{
    const auto all = ParseConnectionSettings(Record(0xF, "squid:3128", "<local>", "http://pac/x.pac"));
    ASSERT_TRUE(all);
    EXPECT_TRUE(all->autoDetect);
    EXPECT_EQ(all->proxy, L"squid:3128");
    EXPECT_EQ(all->bypass, L"<local>");
    EXPECT_EQ(all->autoConfigUrl, L"http://pac/x.pac");

    // Direct only: the texts are kept in the record but switched off.
    const auto direct = ParseConnectionSettings(Record(0x1, "squid:3128", "<local>", "http://pac/x.pac"));
    ASSERT_TRUE(direct);
    EXPECT_FALSE(NeedsProxyScript(*direct));
    EXPECT_EQ(direct->proxy, L"");

    std::vector<unsigned char> cut = Record(0x3, "squid:3128", "", "");
    cut.resize(16);  // the proxy's length promises more than there is
    EXPECT_FALSE(ParseConnectionSettings(cut));
    EXPECT_FALSE(ParseConnectionSettings({}));
}

TEST(ProxyRules, TheProxyForTheSchemeIsTheFirstThatServesIt)
{
    const struct {
        const wchar_t* list;
        bool secure;
        const wchar_t* proxy;
    } cases[] = {
        {L"squid:3128", true, L"squid:3128"},
        {L"http://squid:3128/", false, L"squid:3128"},
        {L"http=a:1;https=b:2", true, L"b:2"},
        {L"http=a:1;https=b:2", false, L"a:1"},
        {L"a:1;b:2", true, L"a:1"},
        {L"ftp=f:21", true, L""},
        {L"", true, L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProxyForScheme(c.list, c.secure), c.proxy) << c.list;
}

TEST(ProxyRules, ExceptionsMatchNamesWildcardsPortsAndLocalNames)
{
    const struct {
        const wchar_t* bypass;
        const wchar_t* host;
        bool bypassed;
    } cases[] = {
        {L"<local>", L"intranet", true},
        {L"<local>", L"www.brinmark.com", false},
        {L"*.brinmark.com", L"WWW.Brinmark.com", true},
        {L"*.brinmark.com", L"brinmark.com.evil", false},
        {L"10.*;www.brinmark.com:443", L"www.brinmark.com", true},
        {L"www.brinmark.com:80", L"www.brinmark.com", false},
        {L"https://www.brinmark.com", L"www.brinmark.com", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BypassesProxy(c.bypass, c.host, 443), c.bypassed) << c.bypass << " " << c.host;
}

TEST(ProxyRules, AScriptsAnswerWinsAndAFailedOneFallsBackToTheFixedProxy)
{
    ProxyOptions fixed;
    fixed.proxy = L"fixed:3128";
    ProxyOptions scripted = fixed;
    scripted.autoConfigUrl = L"http://pac/x.pac";
    ProxyOptions detected;
    detected.autoDetect = true;
    ProxyOptions bypassed = fixed;
    bypassed.bypass = L"*.brinmark.com";

    const ProxyScriptAnswer named{0, false, L"a:8080;b:8080", L""};
    const ProxyScriptAnswer direct{0, true, L"", L""};
    const ProxyScriptAnswer noScript{12167, false, L"", L""};
    const ProxyScriptAnswer nothingDetected{12180, false, L"", L""};
    const struct {
        const char* what;
        const ProxyOptions& options;
        std::optional<ProxyScriptAnswer> script;
        const wchar_t* proxy;
    } cases[] = {
        {"fixed", fixed, std::nullopt, L"fixed:3128"},
        {"fixed, host excepted", bypassed, std::nullopt, L""},
        {"script names a proxy", scripted, named, L"a:8080"},
        {"script says direct", scripted, direct, L""},
        {"script cannot be fetched", scripted, noScript, L"fixed:3128"},
        {"script timed out", scripted, std::nullopt, L"fixed:3128"},
        {"nothing detected, no fixed proxy", detected, nothingDetected, L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseProxy(c.options, c.script, L"www.brinmark.com", 443, true), c.proxy) << c.what;
}

}  // namespace
