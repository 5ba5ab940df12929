#include "lang/lang_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LangFolderTest, BaseNameIsTheFileNameCutAtItsLastDot)
{
    const struct {
        const wchar_t* modulePath;
        const wchar_t* baseName;
    } cases[] = {
        {L"D:\\dl\\setup.exe", L"setup"},
        {L"D:\\dl\\setup2.exe", L"setup2"},
        {L"C:\\x\\my.setup.exe", L"my.setup"},
        {L"C:\\x\\noextension", L"noextension"},
        {L"C:\\dotted.folder\\setup", L"setup"},
        {L"C:\\x\\.hidden", L""},
        {L"setup.exe", L"setup"},
        {L"\\\\server\\share\\Lumaroute Setup.exe", L"Lumaroute Setup"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExecutableBaseName(c.modulePath), c.baseName) << "for " << std::wstring(c.modulePath).size();
}

TEST(LangFolderTest, FolderLiesUnderBrinmarkDownNamedByTheExecutable)
{
    EXPECT_EQ(ComposeLanguageFolder(L"C:\\ProgramData", L"setup"), L"C:\\ProgramData\\BrinmarkDown\\setup");
    EXPECT_EQ(ComposeLanguageFilePath(L"C:\\ProgramData\\BrinmarkDown\\setup"),
              L"C:\\ProgramData\\BrinmarkDown\\setup\\English.ini");
    // Without a common application data folder the path starts at the drive root.
    EXPECT_EQ(ComposeLanguageFolder(L"", L"setup"), L"\\BrinmarkDown\\setup");
}

TEST(LangFolderTest, PathsOfMaxPathCharactersOrMoreDoNotFit)
{
    EXPECT_TRUE(FitsMaxPath(std::wstring(259, L'a')));
    EXPECT_FALSE(FitsMaxPath(std::wstring(260, L'a')));

    // An executable with a 230-character name gives a folder that still composes
    // whole (nothing is cut) but whose language file does not fit.
    const std::wstring longName(230, L'n');
    const std::wstring folder = ComposeLanguageFolder(L"C:\\ProgramData", longName);
    EXPECT_EQ(folder.size(), std::wstring(L"C:\\ProgramData\\BrinmarkDown\\").size() + 230);
    EXPECT_FALSE(FitsMaxPath(ComposeLanguageFilePath(folder)));
}

TEST(LangFolderTest, OnlyAPlainNameHasADataFolder)
{
    for (const wchar_t* name : {L"setup", L"my.setup", L"Lumaroute Setup", L"a"})
        EXPECT_TRUE(IsPlainFolderName(name)) << std::wstring(name).size();
    // "...exe", "..exe", ".exe", "setup..exe", "setup .exe"
    for (const wchar_t* name : {L"..", L".", L"", L"setup.", L"setup "})
        EXPECT_FALSE(IsPlainFolderName(name)) << std::wstring(name).size();
}

TEST(LangFolderTest, TheTextsThatDecideWhatRunsComeFromTheProgramWhateverTheirCase)
{
    for (const wchar_t* key : {L"STR_DOWN_URL", L"str_licence_url", L"Str_Company_Name", L"STR_PROJECT_NAME",
                               L"STR_PROCESS_NAME"})
        EXPECT_TRUE(IsProgramOwnedKey(key)) << std::wstring(key).size();
    for (const wchar_t* key : {L"STR_SOFT_TIP", L"STR_DOWN_URLX", L"STR_DOWN_UR", L""})
        EXPECT_FALSE(IsProgramOwnedKey(key)) << std::wstring(key).size();
}

}  // namespace
