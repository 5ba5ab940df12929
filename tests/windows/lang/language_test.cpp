// The language file: where the embedded English file is written, how every text is
// looked up in it, and the path limits that keep a cut path from naming another file.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/handles.h"
#include "lang/language.h"
#include "res/resource.h"
#include "tests/windows/under_wine.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::wstring CommonAppData()
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

// The bytes of the English file embedded in this test program (its resources are the
// installer's own).
Bytes EmbeddedLanguageFile()
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_ENGLISH_INI), L"INI");
    if (!found)
        return {};
    const HGLOBAL loaded = LoadResource(module, found);
    const auto* bytes = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
    if (!bytes)
        return {};
    return Bytes(bytes, bytes + SizeofResource(module, found));
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The whole file; empty when it cannot be opened.
Bytes ReadFileBytes(const std::wstring& path)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return {};
    Bytes bytes(GetFileSize(file.get(), nullptr));
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return {};
    bytes.resize(read);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const Bytes& bytes)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// A language file as translators save them: UTF-16LE with a byte-order mark, CR LF.
Bytes Utf16File(const std::wstring& text)
{
    Bytes bytes{0xFF, 0xFE};
    for (const wchar_t ch : text) {
        bytes.push_back(static_cast<unsigned char>(ch & 0xFF));
        bytes.push_back(static_cast<unsigned char>(ch >> 8));
    }
    return bytes;
}

// A fresh empty folder under the temporary folder, removed with what it holds.
class TempFolder {
public:
    TempFolder()
    {
        wchar_t base[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, base);
        wchar_t unique[MAX_PATH] = {};
        GetTempFileNameW(base, L"lng", 0, unique);  // creates a file that reserves the name
        DeleteFileW(unique);
        if (CreateDirectoryW(unique, nullptr))
            m_path = unique;
    }
    ~TempFolder()
    {
        if (m_path.empty())
            return;
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((m_path + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name != L"." && name != L"..")
                    DeleteFileW((m_path + L"\\" + name).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(m_path.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }

    // Names of the entries the folder holds.
    std::vector<std::wstring> Entries() const
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((m_path + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..")
                names.push_back(name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

private:
    std::wstring m_path;
};

// The maker's folder and the data folder as a fresh machine has them: absent.
void RemoveDataFolders()
{
    const std::wstring folder = GetLanguageFolder();
    for (const wchar_t* name : {L"\\English.ini", L"\\French.ini"})
        DeleteFileW((folder + name).c_str());
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW(folder.substr(0, folder.rfind(L'\\')).c_str());
}

// Every test starts reading files, and leaves the lookup as it found it.
class LanguageTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_savedPath = g_languageFilePath;
        m_savedInMemory = g_languageInMemory;
        g_languageInMemory = false;
    }
    void TearDown() override
    {
        g_languageFilePath = m_savedPath;
        g_languageInMemory = m_savedInMemory;
    }

private:
    std::wstring m_savedPath;
    bool m_savedInMemory = false;
};

// ---------------------------------------------------------------------------------
// Where the file goes

TEST_F(LanguageTest, FolderIsBrinmarkDownAndTheProgramBaseNameUnderCommonAppData)
{
    const std::wstring commonAppData = CommonAppData();
    ASSERT_FALSE(commonAppData.empty());
    const std::wstring folder = GetLanguageFolder();

    EXPECT_EQ(folder.rfind(commonAppData, 0), 0u) << "folder: " << testing::PrintToString(folder);
    const std::wstring tail = L"\\BrinmarkDown\\lang_tests";
    ASSERT_GE(folder.size(), tail.size());
    EXPECT_EQ(folder.substr(folder.size() - tail.size()), tail);
    EXPECT_EQ(folder, commonAppData + tail);
}

TEST_F(LanguageTest, ExtractionWritesItsOwnFolderAndLeavesAFolderItDidNotMakeAlone)
{
    const Bytes embedded = EmbeddedLanguageFile();
    ASSERT_FALSE(embedded.empty());
    const std::wstring folder = GetLanguageFolder();
    const std::wstring english = folder + L"\\English.ini";
    RemoveDataFolders();

    ExtractDefaultLanguageFile();
    SelectLanguageFile();
    EXPECT_EQ(g_languageFilePath, CommonAppData() + L"\\BrinmarkDown\\lang_tests\\English.ini");
    EXPECT_EQ(ReadFileBytes(english), embedded);
    EXPECT_FALSE(g_languageInMemory);

    // A longer replacement, whose tail must not survive a rewrite, and another language.
    Bytes replaced = embedded;
    replaced.insert(replaced.end(), embedded.begin() + 2, embedded.end());
    ASSERT_TRUE(WriteFileBytes(english, replaced));
    const std::wstring french = folder + L"\\French.ini";
    const Bytes frenchBytes = Utf16File(L"[LANSTR]\r\nSTR_SELECT_FOLDER=S\u00e9lectionnez un dossier\r\n");
    ASSERT_TRUE(WriteFileBytes(french, frenchBytes));

    ExtractDefaultLanguageFile();
    if (!UnderWine()) {
        EXPECT_EQ(ReadFileBytes(english), embedded) << "its own folder: the file is written anew";
        EXPECT_FALSE(g_languageInMemory);
    } else {
        // Wine keeps no owner: the folder found is not the setup's own, so it is left
        // as it is and the texts come from the program.
        EXPECT_EQ(ReadFileBytes(english), replaced);
        EXPECT_TRUE(g_languageInMemory);
    }
    EXPECT_EQ(ReadFileBytes(french), frenchBytes);
    RemoveDataFolders();
}

// ---------------------------------------------------------------------------------
// Lookups in the extracted English file

class EnglishLookupTest : public LanguageTest {
protected:
    void SetUp() override
    {
        LanguageTest::SetUp();
        ExtractDefaultLanguageFile();
        SelectLanguageFile();
    }
};

struct LookupCase {
    const wchar_t* key;
    std::wstring expected;
};

TEST_F(EnglishLookupTest, ValuesComeBackTrimmedAndKeysMatchWhateverTheirCase)
{
    const std::vector<LookupCase> cases{
        // Blanks on both sides of "=" are not part of the value.
        {L"STR_SELECT_FOLDER", L"Select a folder"},
        // The address is written with a blank after "="; the lookup drops it.
        {L"STR_LICENCE_URL", std::wstring(LANGUAGE_SERVER) + L"/terms-of-use.html"},
        // Inner blanks and characters outside Latin-1 are kept as they are.
        {L"STR_AGREE_INSTALL", L"Please agree  License Agreement \uFF01"},
        {L"str_soft_tip", L"Lumaroute Setup"},
        {L"Str_Project_Name", L"Lumaroute"},
        // The file has no such entries.
        {L"STR_URL_ERROR", L""},
        {L"STR_NO_SUCH_TEXT", L""},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.key)));
        EXPECT_EQ(LoadLangString(c.key), c.expected);
    }
}

TEST_F(EnglishLookupTest, AgreeTextEndsWithFullWidthExclamationAfterTwoBlanksFollowingAgree)
{
    const std::wstring text = LoadLangString(L"STR_AGREE_INSTALL");
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), L'\uFF01');
    EXPECT_NE(text.find(L"agree  License"), std::wstring::npos) << testing::PrintToString(text);
}

// ---------------------------------------------------------------------------------
// Lookups in a language file of the test's own

class OwnFileLookupTest : public LanguageTest {
protected:
    void SetUp() override
    {
        LanguageTest::SetUp();
        ASSERT_FALSE(m_folder.Path().empty());
        m_file = m_folder.File(L"Test.ini");
        g_languageFilePath = m_file;
    }

    bool WriteIni(const std::wstring& text) { return WriteFileBytes(m_file, Utf16File(text)); }

    TempFolder m_folder;
    std::wstring m_file;
};

TEST_F(OwnFileLookupTest, LongValueIsCutToItsFirst255Characters)
{
    std::wstring value;
    for (int i = 0; i < 300; ++i)
        value += static_cast<wchar_t>(L'a' + i % 26);
    ASSERT_TRUE(WriteIni(L"[LANSTR]\r\nSTR_LONG=" + value + L"\r\n"));

    EXPECT_EQ(LoadLangString(L"STR_LONG"), value.substr(0, 255));
}

TEST_F(OwnFileLookupTest, EveryLookupReadsTheFileAfresh)
{
    ASSERT_TRUE(WriteIni(L"[LANSTR]\r\nSTR_ERROR=Error\r\n"));
    ASSERT_EQ(LoadLangString(L"STR_ERROR"), L"Error");

    ASSERT_TRUE(WriteIni(L"[LANSTR]\r\nSTR_ERROR=Erreur\r\n"));
    EXPECT_EQ(LoadLangString(L"STR_ERROR"), L"Erreur");

    ASSERT_TRUE(WriteIni(L"[LANSTR]\r\nSTR_FINISH=done\r\n"));
    EXPECT_EQ(LoadLangString(L"STR_ERROR"), L"");
}

TEST_F(OwnFileLookupTest, KeyOutsideTheLanstrSectionIsNotFound)
{
    ASSERT_TRUE(WriteIni(L"[OTHER]\r\nSTR_ERROR=Wrong\r\n[LANSTR]\r\nSTR_FINISH=done\r\n"));

    EXPECT_EQ(LoadLangString(L"STR_ERROR"), L"");
    EXPECT_EQ(LoadLangString(L"STR_FINISH"), L"done");
}

TEST_F(OwnFileLookupTest, MissingFileOrNoPathGivesEmptyText)
{
    g_languageFilePath = m_folder.File(L"Missing.ini");
    EXPECT_EQ(LoadLangString(L"STR_ERROR"), L"");
    g_languageFilePath.clear();
    EXPECT_EQ(LoadLangString(L"STR_ERROR"), L"");
}

// A path of exactly `length` characters naming `name` (or, for the other parity,
// `otherName`, one character longer) in `folder`: ".\" steps lengthen it without
// changing the file it names.
std::wstring PaddedPath(const std::wstring& folder, const std::wstring& name,
                        const std::wstring& otherName, std::size_t length)
{
    const std::wstring start = folder + L"\\";
    const std::wstring& file = (length - start.size() - name.size()) % 2 == 0 ? name : otherName;
    if (length < start.size() + file.size())
        return {};
    std::wstring path = start;
    for (std::size_t padding = length - start.size() - file.size(); padding > 0; padding -= 2)
        path += L".\\";
    return path + file;
}

TEST_F(OwnFileLookupTest, PathOf260CharactersOrMoreIsNotReadEvenWhenItNamesTheFile)
{
    const Bytes ini = Utf16File(L"[LANSTR]\r\nSTR_ERROR=Error\r\n");
    ASSERT_TRUE(WriteFileBytes(m_folder.File(L"Test.ini"), ini));
    ASSERT_TRUE(WriteFileBytes(m_folder.File(L"Test1.ini"), ini));

    struct LengthCase {
        std::size_t length;
        const wchar_t* expected;
    };
    // 259 characters plus the terminator is the most the profile reader accepts.
    const std::vector<LengthCase> cases{{259, L"Error"}, {260, L""}, {261, L""}, {300, L""}};
    for (const LengthCase& c : cases) {
        SCOPED_TRACE("path length " + std::to_string(c.length));
        g_languageFilePath = PaddedPath(m_folder.Path(), L"Test.ini", L"Test1.ini", c.length);
        ASSERT_EQ(g_languageFilePath.size(), c.length);
        EXPECT_EQ(LoadLangString(L"STR_ERROR"), c.expected);
    }
}

// ---------------------------------------------------------------------------------
// WriteLanguageFile

TEST(WriteLanguageFileTest, WritesExactlyTheGivenBytesOverAnyEarlierContent)
{
    TempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::wstring path = folder.File(L"English.ini");
    // Line feeds, a lone CR, NUL and Ctrl-Z would all be changed or stop a text-mode write.
    const Bytes bytes{0xFF, 0xFE, 'a', 0x00, '\n', 0x00, '\r', 0x00, 0x1A, 0x00, '\r', '\n', 0x00, 0x7F, 0x80};
    ASSERT_TRUE(WriteFileBytes(path, Bytes(4096, 'x')));

    EXPECT_TRUE(WriteLanguageFile(path, bytes.data(), static_cast<unsigned long>(bytes.size())));
    EXPECT_EQ(ReadFileBytes(path), bytes);

    EXPECT_TRUE(WriteLanguageFile(path, bytes.data(), 0));
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ReadFileBytes(path), Bytes{});
}

TEST(WriteLanguageFileTest, FailsWhenTheFolderDoesNotExist)
{
    TempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::wstring path = folder.Path() + L"\\NoSuchFolder\\English.ini";
    const Bytes bytes{0xFF, 0xFE, 'a', 0x00};

    EXPECT_FALSE(WriteLanguageFile(path, bytes.data(), static_cast<unsigned long>(bytes.size())));
    EXPECT_FALSE(FileExists(path));
    EXPECT_TRUE(folder.Entries().empty());
}

TEST(WriteLanguageFileTest, PathOf260CharactersOrMoreIsRefusedAndCreatesNothing)
{
    TempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const Bytes bytes{0xFF, 0xFE, 'a', 0x00};

    struct LengthCase {
        std::size_t length;
        bool written;
    };
    // Long file names (rather than ".\" steps) so that a write past the limit would
    // leave a file of its own, possibly under a cut name, behind.
    const std::vector<LengthCase> cases{{259, true}, {260, false}, {261, false}};
    for (const LengthCase& c : cases) {
        SCOPED_TRACE("path length " + std::to_string(c.length));
        const std::size_t nameLength = c.length - folder.Path().size() - 1;
        ASSERT_LE(nameLength, 255u) << "the temporary folder's path is too long for this test";
        ASSERT_GT(nameLength, 4u);
        const std::wstring path = folder.File(std::wstring(nameLength - 4, L'n') + L".ini");
        ASSERT_EQ(path.size(), c.length);

        EXPECT_EQ(WriteLanguageFile(path, bytes.data(), static_cast<unsigned long>(bytes.size())), c.written);
        if (c.written) {
            EXPECT_EQ(ReadFileBytes(path), bytes);
            DeleteFileW(path.c_str());
        }
        EXPECT_TRUE(folder.Entries().empty());
    }
}

}  // namespace
