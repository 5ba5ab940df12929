// Where a folder's parent is, and a typed path read from the folder the setup was
// started in.
#include "app/path_text.h"

#include <gtest/gtest.h>

namespace {

TEST(PathTextTest, APathDirectlyBelowARootLiesInThatRoot)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* parent;  // null: refused
        const wchar_t* name;
    };
    const Case cases[] = {
        {L"C:\\Users\\Public\\Documents\\Quorvex", L"C:\\Users\\Public\\Documents", L"Quorvex"},
        {L"\\Quorvex", L"\\", L"Quorvex"},  // no all-users Documents folder
        {L"C:\\Quorvex", L"C:\\", L"Quorvex"},
        {L"\\\\server\\share\\Quorvex", L"\\\\server\\share\\", L"Quorvex"},
        {L"\\\\?\\C:\\Quorvex", L"\\\\?\\C:\\", L"Quorvex"},
        {L"\\\\?\\UNC\\server\\share\\Quorvex", L"\\\\?\\UNC\\server\\share\\", L"Quorvex"},
        {L"Quorvex", nullptr, nullptr},
        {L"C:\\Quorvex\\", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        std::wstring parent, name;
        const bool split = SplitFolderPath(c.path, parent, name);
        ASSERT_EQ(split, c.parent != nullptr) << testing::PrintToString(std::wstring(c.path));
        if (split) {
            EXPECT_EQ(parent, c.parent);
            EXPECT_EQ(name, c.name);
        }
    }
}

TEST(PathTextTest, ATypedPathIsReadFromTheLaunchFolder)
{
    const wchar_t* const base = L"D:\\Users\\me\\Downloads";
    struct Case {
        const wchar_t* typed;
        const wchar_t* whole;
    };
    const Case cases[] = {
        {L".", L"D:\\Users\\me\\Downloads\\."},
        {L"Apps\\Lumaroute", L"D:\\Users\\me\\Downloads\\Apps\\Lumaroute"},
        {L"..\\Apps", L"D:\\Users\\me\\Downloads\\..\\Apps"},
        {L"\\Apps", L"D:\\Apps"},
        {L"d:Apps", L"D:\\Users\\me\\Downloads\\Apps"},
        {L"D:", L"D:\\Users\\me\\Downloads"},
        {L"C:Apps", L"C:Apps"},  // another drive keeps its own current folder
        {L"C:\\Apps", L"C:\\Apps"},
        {L"\\\\server\\share\\Apps", L"\\\\server\\share\\Apps"},
        {L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AgainstFolder(c.typed, base), c.whole) << testing::PrintToString(std::wstring(c.typed));
    EXPECT_EQ(AgainstFolder(L"\\Apps", L"\\\\server\\share\\dl"), L"\\\\server\\share\\Apps");
    EXPECT_EQ(AgainstFolder(L"Apps", L"C:\\"), L"C:\\Apps");
}

}  // namespace
