// The generated English language file, byte for byte as the program embeds it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> ReadBytes(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Decodes UTF-16LE (the file holds no characters outside the basic plane).
std::u16string Decode(const std::vector<unsigned char>& bytes, std::size_t from)
{
    std::u16string text;
    for (std::size_t i = from; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    return text;
}

std::vector<std::u16string> SplitCrLf(const std::u16string& text)
{
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(u"\r\n", start)) != std::u16string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));  // what follows the last line end
    return lines;
}

std::u16string Widen(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

std::vector<std::u16string> ExpectedLines(const std::string& server)
{
    return {
        u"[LANSTR]",
        u"STR_COMPANY_NAME=Brinmark",
        u"STR_PROCESS_NAME=Lumaroute.exe",
        u"STR_PROJECT_NAME=Lumaroute",
        u"STR_DOWN_URL=" + Widen(server) + u"/trial/lumaroute.exe",
        u"STR_LICENCE_URL= " + Widen(server) + u"/terms-of-use.html",
        u"STR_CLOSE_TIP=Are you sure you want to quit Lumaroute Setup?",
        u"STR_SOFT_TIP=Lumaroute Setup",
        u"STR_INSTALL_PATH=Installation Path:",
        u"STR_AGREE_INSTALL=Please agree  License Agreement \uFF01",
        u"STR_AGREE=Please agree Brinmark License Agreement",
        u"STR_NOTICE_PROCESS1=Setup has detected that another Brinmark  Lumaroute is currently running. "
        u"Please close all instances of it now.",
        u"STR_NOTICE_PROCESS2=Installation failed. Please try again.",
        u"STR_DOWNLOADING=Installing !",
        u"STR_BEING_INSTALLED=Lumaroute is being installed. Please wait...",
        u"STR_INSTALLING_WAIT=Installing, please wait(",
        u"STR_FINISH=finished.)",
        u"STR_ERROR=Error",
        u"STR_NETWORK_ERROR=Network error",
        u"STR_SYSTEM_ERROR=System error",
        u"STR_SELECT_FOLDER = Select a folder",
        u"", u"", u"", u"", u"", u"",  // six empty lines
        u"",                           // nothing after the last line end
    };
}

void ExpectLanguageFile(const char* path, const std::string& server)
{
    const auto bytes = ReadBytes(path);
    ASSERT_GE(bytes.size(), 2u) << path;
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_EQ(bytes.size() % 2, 0u);

    const auto lines = SplitCrLf(Decode(bytes, 2));
    const auto expected = ExpectedLines(server);
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(lines[i] == expected[i]) << "line " << i + 1;
    // No lone CR or LF anywhere.
    for (const auto& line : lines)
        EXPECT_EQ(line.find_first_of(u"\r\n"), std::u16string::npos);
}

TEST(EnglishIniTest, ShippedFileHasTheTwentyEntriesInOrderThenSixEmptyLines)
{
    ExpectLanguageFile(LANGUAGE_FILE, LANGUAGE_SERVER);
}

TEST(EnglishIniTest, ServerVariantCarriesItsHostAndPortWithoutTheTrailingSlash)
{
    ExpectLanguageFile(LOOPBACK_LANGUAGE_FILE, "http://127.0.0.1:8080");
}

}  // namespace
