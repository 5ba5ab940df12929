// Texts looked up in the embedded language file in memory read as the profile reader
// reads them from the file.
#include "lang/ini_text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::wstring EmbeddedEnglish()
{
    std::ifstream file(LANGUAGE_FILE, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return DecodeUtf16Le(bytes.data(), bytes.size());
}

std::wstring Widen(const char* ascii)
{
    return std::wstring(ascii, ascii + std::char_traits<char>::length(ascii));
}

TEST(IniTextTest, TheEnglishFileGivesItsTexts)
{
    const std::wstring text = EmbeddedEnglish();
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.front(), 0xFEFF);
    EXPECT_EQ(LookupIniValue(text, L"LANSTR", L"STR_ERROR"), L"Error");
    EXPECT_EQ(LookupIniValue(text, L"lanstr", L"str_system_error"), L"System error");
    EXPECT_EQ(LookupIniValue(text, L"LANSTR", L"STR_DOWN_URL"), Widen(LANGUAGE_SERVER) + L"/trial/lumaroute.exe");
    // The file has a blank after the "="; the profile reader drops it.
    EXPECT_EQ(LookupIniValue(text, L"LANSTR", L"STR_LICENCE_URL"), Widen(LANGUAGE_SERVER) + L"/terms-of-use.html");
    EXPECT_EQ(LookupIniValue(text, L"LANSTR", L"STR_URL_ERROR"), L"");
    EXPECT_EQ(LookupIniValue(text, L"OTHER", L"STR_ERROR"), L"");
}

TEST(IniTextTest, LinesReadAsTheProfileReaderReadsThem)
{
    const struct {
        const wchar_t* text;
        const wchar_t* value;
    } cases[] = {
        {L"[S]\r\nK=v\r\n", L"v"},
        {L"[S]\nK=v", L"v"},
        {L"  [ S ]  \r\n  K  =  two words  \r\n", L"two words"},
        {L"[S]\r\nK=\"quoted \"\r\n", L"quoted "},
        {L"[S]\r\nK='single'\r\n", L"single"},
        {L"[S]\r\nK=\"open\r\n", L"\"open"},
        {L"[S]\r\nK=first\r\nK=second\r\n", L"first"},
        {L"[T]\r\nK=other\r\n[S]\r\nK=mine\r\n", L"mine"},
        {L"[S]\r\n;K=comment\r\nK=real\r\n", L"real"},
        {L"[S]\r\nKEY=x\r\n", L""},
        {L"K=v\r\n", L""},
        {L"[S]\r\nK=a=b\r\n", L"a=b"},
        {L"[S]\r\nK=\r\n", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LookupIniValue(c.text, L"S", L"K"), c.value) << c.text;
    EXPECT_EQ(LookupIniValue(L"[S]\r\nK=" + std::wstring(300, L'x'), L"S", L"K"), std::wstring(255, L'x'));
}

}  // namespace
