// The resources the installer carries, read from the built LumarouteSetup.exe: the
// manifest, the version, the icon, the English language file and the dialog template.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "res/resource.h"

namespace {

struct LibraryFreer {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

using Bytes = std::vector<unsigned char>;

// The installer lies one folder above the test programs.
std::wstring InstallerPath()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring testProgram(path, length);
    const auto testFolderEnd = testProgram.find_last_of(L"\\/");
    if (testFolderEnd == std::wstring::npos)
        return {};
    const std::wstring testFolder = testProgram.substr(0, testFolderEnd);
    const auto parentEnd = testFolder.find_last_of(L"\\/");
    if (parentEnd == std::wstring::npos)
        return {};
    return testFolder.substr(0, parentEnd) + L"\\LumarouteSetup.exe";
}

class ResourcesTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_installer.reset(LoadLibraryExW(InstallerPath().c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    }
    static void TearDownTestSuite() { s_installer.reset(); }

    void SetUp() override
    {
        ASSERT_NE(s_installer, nullptr) << "cannot load " << testing::PrintToString(InstallerPath())
                                        << ", error " << GetLastError();
    }

    // The raw bytes of a resource of the installer; empty when it has none.
    static Bytes Resource(const wchar_t* type, const wchar_t* name)
    {
        const HMODULE module = s_installer.get();
        const HRSRC found = FindResourceW(module, name, type);
        if (!found)
            return {};
        const HGLOBAL loaded = LoadResource(module, found);
        const auto* bytes = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
        if (!bytes)
            return {};
        return Bytes(bytes, bytes + SizeofResource(module, found));
    }
    static Bytes Resource(const wchar_t* type, int id) { return Resource(type, MAKEINTRESOURCEW(id)); }

private:
    static UniqueLibrary s_installer;
};

UniqueLibrary ResourcesTest::s_installer;

// A little-endian reader over resource bytes that never reads past their end: a
// read beyond it yields zeros and marks the reader as overrun.
class Reader {
public:
    explicit Reader(const Bytes& bytes, std::size_t offset = 0) : m_bytes(bytes), m_offset(offset) {}

    std::uint8_t Byte()
    {
        if (m_offset + 1 > m_bytes.size()) {
            m_overrun = true;
            return 0;
        }
        return m_bytes[m_offset++];
    }
    std::uint16_t Word()
    {
        const std::uint16_t low = Byte();
        return static_cast<std::uint16_t>(low | Byte() << 8);
    }
    std::uint32_t Dword()
    {
        const std::uint32_t low = Word();
        return low | static_cast<std::uint32_t>(Word()) << 16;
    }
    std::wstring String()  // NUL-terminated UTF-16
    {
        std::wstring text;
        while (!m_overrun) {
            const wchar_t ch = static_cast<wchar_t>(Word());
            if (ch == 0)
                break;
            text += ch;
        }
        return text;
    }
    void AlignToDword() { m_offset = (m_offset + 3) & ~std::size_t{3}; }
    void Skip(std::size_t count)
    {
        if (m_offset + count > m_bytes.size())
            m_overrun = true;
        m_offset += count;
    }
    std::size_t Offset() const { return m_offset; }
    bool Overrun() const { return m_overrun; }

private:
    const Bytes& m_bytes;
    std::size_t m_offset;
    bool m_overrun = false;
};

// What a PNG's header says: size, bit depth, colour type, and whether a transparency
// chunk comes before the image data.
struct PngFormat {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int depth = -1;
    int colourType = -1;
    bool transparency = false;
};

std::uint32_t BigEndian(const unsigned char* bytes)
{
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
           std::uint32_t{bytes[3]};
}

PngFormat ReadPngFormat(const Bytes& png)
{
    static const unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PngFormat format;
    if (png.size() < 33 || std::memcmp(png.data(), kSignature, 8) != 0 || std::memcmp(&png[12], "IHDR", 4) != 0)
        return format;
    format.width = BigEndian(&png[16]);
    format.height = BigEndian(&png[20]);
    format.depth = png[24];
    format.colourType = png[25];
    for (std::size_t at = 8; at + 8 <= png.size();) {
        const std::uint32_t length = BigEndian(&png[at]);
        if (std::memcmp(&png[at + 4], "IDAT", 4) == 0)
            break;
        if (std::memcmp(&png[at + 4], "tRNS", 4) == 0)
            format.transparency = true;
        at += 12 + static_cast<std::size_t>(length);
    }
    return format;
}

// ---------------------------------------------------------------------------------
// Manifest

// The processor the manifest names is the one the program is built for: x86 for the
// shipped program, amd64 for the 64-bit build the tests run where no 32-bit code runs.
#ifdef _WIN64
constexpr char kArchitecture[] = R"(processorArchitecture="amd64")";
#else
constexpr char kArchitecture[] = R"(processorArchitecture="x86")";
#endif

TEST_F(ResourcesTest, ManifestAsksForAdministratorCommonControls6GdiPlusAndPerMonitorDpiForItsProcessor)
{
    const Bytes bytes = Resource(RT_MANIFEST, 1);
    ASSERT_FALSE(bytes.empty());
    const std::string manifest(bytes.begin(), bytes.end());

    for (const char* expected : {R"(level="requireAdministrator")", R"(uiAccess="false")",
                                 R"(name="Microsoft.Windows.Common-Controls")", R"(version="6.0.0.0")",
                                 R"(name="Microsoft.Windows.GdiPlus")", kArchitecture,
                                 // Per-monitor DPI awareness, each setting in the namespace
                                 // of the Windows that reads it, and Windows 7 to 11.
                                 R"(<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>)",
                                 R"(<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2, PerMonitor</dpiAwareness>)",
                                 R"(<compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1">)",
                                 "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                 "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        SCOPED_TRACE(expected);
        EXPECT_NE(manifest.find(expected), std::string::npos);
    }
    // The common controls' version and architecture belong to that dependency itself.
    const auto controls = manifest.find("Microsoft.Windows.Common-Controls");
    ASSERT_NE(controls, std::string::npos);
    const auto identityStart = manifest.rfind("<assemblyIdentity", controls);
    const auto identityEnd = manifest.find("/>", controls);
    ASSERT_NE(identityStart, std::string::npos);
    ASSERT_NE(identityEnd, std::string::npos);
    const std::string identity = manifest.substr(identityStart, identityEnd - identityStart);
    EXPECT_NE(identity.find(R"(version="6.0.0.0")"), std::string::npos) << identity;
    EXPECT_NE(identity.find(kArchitecture), std::string::npos) << identity;
    // The program's identity and both dependencies name it; no other processor appears.
    std::size_t named = 0;
    for (auto at = manifest.find("processorArchitecture="); at != std::string::npos;
         at = manifest.find("processorArchitecture=", at + 1)) {
        EXPECT_EQ(manifest.compare(at, std::strlen(kArchitecture), kArchitecture), 0)
            << manifest.substr(at, 40);
        ++named;
    }
    EXPECT_EQ(named, 3u);
}

// ---------------------------------------------------------------------------------
// Version

TEST_F(ResourcesTest, FileAndProductVersionAre1_0_0_1)
{
    const Bytes bytes = Resource(RT_VERSION, VS_VERSION_INFO);
    ASSERT_FALSE(bytes.empty());

    // VS_VERSIONINFO: length, value length, type, L"VS_VERSION_INFO", padding, then
    // the VS_FIXEDFILEINFO.
    Reader reader(bytes);
    reader.Word();
    const std::uint16_t valueLength = reader.Word();
    reader.Word();
    EXPECT_EQ(reader.String(), L"VS_VERSION_INFO");
    reader.AlignToDword();
    ASSERT_EQ(valueLength, sizeof(VS_FIXEDFILEINFO));
    ASSERT_LE(reader.Offset() + sizeof(VS_FIXEDFILEINFO), bytes.size());
    VS_FIXEDFILEINFO info{};
    std::memcpy(&info, bytes.data() + reader.Offset(), sizeof(info));

    EXPECT_EQ(info.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info.dwFileVersionMS, static_cast<DWORD>(MAKELONG(0, 1)));
    EXPECT_EQ(info.dwFileVersionLS, static_cast<DWORD>(MAKELONG(1, 0)));
    EXPECT_EQ(info.dwProductVersionMS, static_cast<DWORD>(MAKELONG(0, 1)));
    EXPECT_EQ(info.dwProductVersionLS, static_cast<DWORD>(MAKELONG(1, 0)));
}

// ---------------------------------------------------------------------------------
// Icon

TEST_F(ResourcesTest, IconHoldsEveryCommonSizeAt32BitsPerPixel)
{
    // GRPICONDIR: reserved, type (1 = icon), count; then 14-byte entries.
    const Bytes group = Resource(RT_GROUP_ICON, IDI_APPICON);
    ASSERT_FALSE(group.empty());
    Reader reader(group);
    EXPECT_EQ(reader.Word(), 0);
    EXPECT_EQ(reader.Word(), 1);
    const unsigned count = reader.Word();
    std::vector<unsigned> sizes;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned entryWidth = reader.Byte();
        const unsigned entryHeight = reader.Byte();
        const unsigned width = entryWidth ? entryWidth : 256;  // 0 stands for 256
        const unsigned height = entryHeight ? entryHeight : 256;
        reader.Skip(2);  // colour count, reserved
        reader.Word();   // planes
        const unsigned bitCount = reader.Word();
        const std::uint32_t imageSize = reader.Dword();
        const std::uint16_t imageId = reader.Word();
        ASSERT_FALSE(reader.Overrun());
        SCOPED_TRACE(width);
        EXPECT_EQ(width, height);
        EXPECT_EQ(bitCount, 32u);

        // The image agrees with its directory entry: the largest a PNG (as Windows from
        // Vista on reads it), the others a DIB with its mask.
        const Bytes image = Resource(RT_ICON, imageId);
        ASSERT_FALSE(image.empty());
        EXPECT_EQ(image.size(), imageSize);
        if (width == 256) {
            const PngFormat format = ReadPngFormat(image);
            EXPECT_EQ(format.width, 256u);
            EXPECT_EQ(format.colourType, 6) << "RGBA";
        } else {
            ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
            BITMAPINFOHEADER header{};
            std::memcpy(&header, image.data(), sizeof(header));
            EXPECT_EQ(header.biWidth, static_cast<LONG>(width));
            EXPECT_EQ(header.biHeight, static_cast<LONG>(2 * width));  // colour and mask images together
            EXPECT_EQ(header.biBitCount, 32);
        }
        sizes.push_back(width);
    }
    EXPECT_EQ(reader.Offset(), group.size());
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<unsigned>{16, 20, 24, 32, 40, 48, 64, 256}));
}

// ---------------------------------------------------------------------------------
// English language file

std::vector<std::wstring> SplitCrLf(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));  // what follows the last line end
    return lines;
}

TEST_F(ResourcesTest, EnglishFileIsUtf16WithTheTwentyTextsInOrderAndSixEmptyLines)
{
    const Bytes bytes = Resource(L"INI", IDR_ENGLISH_INI);
    ASSERT_GE(bytes.size(), 2u);
    ASSERT_EQ(bytes[0], 0xFF);
    ASSERT_EQ(bytes[1], 0xFE);
    ASSERT_EQ(bytes.size() % 2, 0u);
    std::wstring text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<wchar_t>(bytes[i] | bytes[i + 1] << 8);

    const std::vector<std::wstring> lines = SplitCrLf(text);
    for (const std::wstring& line : lines) {
        EXPECT_EQ(line.find_first_of(L"\r\n"), std::wstring::npos)
            << "a bare CR or LF in " << testing::PrintToString(line);
    }

    const std::vector<std::wstring> keys{
        L"STR_COMPANY_NAME",    L"STR_PROCESS_NAME",    L"STR_PROJECT_NAME", L"STR_DOWN_URL",
        L"STR_LICENCE_URL",     L"STR_CLOSE_TIP",       L"STR_SOFT_TIP",     L"STR_INSTALL_PATH",
        L"STR_AGREE_INSTALL",   L"STR_AGREE",           L"STR_NOTICE_PROCESS1", L"STR_NOTICE_PROCESS2",
        L"STR_DOWNLOADING",     L"STR_BEING_INSTALLED", L"STR_INSTALLING_WAIT", L"STR_FINISH",
        L"STR_ERROR",           L"STR_NETWORK_ERROR",   L"STR_SYSTEM_ERROR", L"STR_SELECT_FOLDER",
    };
    // The section line, the entries, six empty lines, and nothing after the last CR LF.
    ASSERT_EQ(lines.size(), 1 + keys.size() + 6 + 1);
    EXPECT_EQ(lines[0], L"[LANSTR]");
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::wstring& line = lines[1 + i];
        SCOPED_TRACE(testing::PrintToString(line));
        const auto equals = line.find(L'=');
        ASSERT_NE(equals, std::wstring::npos);
        std::wstring key = line.substr(0, equals);
        key.erase(key.find_last_not_of(L' ') + 1);
        EXPECT_EQ(key, keys[i]);
        EXPECT_NE(line.find_first_not_of(L' ', equals + 1), std::wstring::npos) << "no value";
    }
    for (std::size_t i = 1 + keys.size(); i < lines.size(); ++i)
        EXPECT_EQ(lines[i], L"") << "line " << i + 1;
}

// ---------------------------------------------------------------------------------
// Dialog template

// Either a string or an ordinal (0xFFFF then the number), as class names, titles and
// menus are stored in a template.
struct NameOrOrdinal {
    std::wstring name;
    std::uint16_t ordinal = 0;
};

NameOrOrdinal ReadNameOrOrdinal(Reader& reader)
{
    const std::uint16_t first = reader.Word();
    if (first == 0xFFFF)
        return {L"", reader.Word()};
    if (first == 0)
        return {};
    std::wstring name(1, static_cast<wchar_t>(first));
    name += reader.String();
    return {name, 0};
}

struct DialogItem {
    std::uint32_t exStyle;
    std::uint32_t style;
    std::uint32_t id;
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
};

struct DialogTemplate {
    std::uint16_t version = 0;
    std::uint16_t signature = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t style = 0;
    std::uint16_t itemCount = 0;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::wstring title;
    std::uint16_t pointSize = 0;
    std::wstring typeface;
    std::vector<DialogItem> items;
};

// A DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items; `ok` false when the bytes end early.
DialogTemplate ParseDialogTemplateEx(const Bytes& bytes, bool& ok)
{
    DialogTemplate dialog;
    Reader reader(bytes);
    dialog.version = reader.Word();
    dialog.signature = reader.Word();
    reader.Dword();  // help id
    dialog.exStyle = reader.Dword();
    dialog.style = reader.Dword();
    dialog.itemCount = reader.Word();
    reader.Skip(4 * sizeof(std::int16_t));  // x, y, cx, cy
    dialog.menu = ReadNameOrOrdinal(reader);
    dialog.windowClass = ReadNameOrOrdinal(reader);
    dialog.title = reader.String();
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog.pointSize = reader.Word();
        reader.Word();  // weight
        reader.Skip(2);  // italic, charset
        dialog.typeface = reader.String();
    }
    for (std::uint16_t i = 0; i < dialog.itemCount && !reader.Overrun(); ++i) {
        reader.AlignToDword();
        DialogItem item{};
        reader.Dword();  // help id
        item.exStyle = reader.Dword();
        item.style = reader.Dword();
        reader.Skip(4 * sizeof(std::int16_t));
        item.id = reader.Dword();
        item.windowClass = ReadNameOrOrdinal(reader);
        item.title = ReadNameOrOrdinal(reader);
        reader.Skip(reader.Word());  // creation data
        dialog.items.push_back(item);
    }
    ok = !reader.Overrun();
    return dialog;
}

TEST_F(ResourcesTest, DialogIsAHiddenBorderlessPopupInMsShellDlg9)
{
    bool ok = false;
    const DialogTemplate dialog = ParseDialogTemplateEx(Resource(RT_DIALOG, IDD_MAINDLG), ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(dialog.version, 1);
    ASSERT_EQ(dialog.signature, 0xFFFF) << "not an extended template";

    // Exactly these: not visible before the program has placed it, and no caption,
    // system menu or frame, since the program draws the whole window itself.
    EXPECT_EQ(dialog.style, static_cast<std::uint32_t>(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                                       DS_SETFONT | DS_FIXEDSYS | DS_3DLOOK));
    EXPECT_EQ(dialog.exStyle, 0u);
    EXPECT_EQ(dialog.menu.name, L"");
    EXPECT_EQ(dialog.menu.ordinal, 0);
    EXPECT_EQ(dialog.windowClass.name, L"");
    EXPECT_EQ(dialog.windowClass.ordinal, 0);
    EXPECT_EQ(dialog.title, L"");
    EXPECT_EQ(dialog.pointSize, 9);
    EXPECT_EQ(dialog.typeface, L"MS Shell Dlg");
}

enum class Kind { OwnerDrawnButton, Edit, Static, Progress };

struct ExpectedItem {
    std::uint32_t id;
    Kind kind;
    std::uint32_t exStyle;
    const wchar_t* text;
};

// An item's class as text: a predefined class's atom as "#0x0080" (button), "#0x0081"
// (edit) or "#0x0082" (static); a class name in lower case, since window class names
// are matched without regard to case.
std::wstring ClassOf(const NameOrOrdinal& windowClass)
{
    if (windowClass.name.empty()) {
        wchar_t atom[16] = {};
        swprintf(atom, 16, L"#0x%04X", windowClass.ordinal);
        return atom;
    }
    std::wstring name = windowClass.name;
    CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name;
}

const wchar_t* ExpectedClass(Kind kind)
{
    switch (kind) {
    case Kind::OwnerDrawnButton:
        return L"#0x0080";
    case Kind::Edit:
        return L"#0x0081";
    case Kind::Static:
        return L"#0x0082";
    case Kind::Progress:
        return L"msctls_progress32";
    }
    return L"";
}

TEST_F(ResourcesTest, DialogItemsHaveTheirIdsClassesStylesAndTextsInOrder)
{
    bool ok = false;
    const DialogTemplate dialog = ParseDialogTemplateEx(Resource(RT_DIALOG, IDD_MAINDLG), ok);
    ASSERT_TRUE(ok);

    const std::vector<ExpectedItem> expected{
        {1000, Kind::OwnerDrawnButton, WS_EX_TRANSPARENT, L""},  // close
        {1001, Kind::OwnerDrawnButton, WS_EX_TRANSPARENT, L""},  // minimise
        {1002, Kind::OwnerDrawnButton, WS_EX_TRANSPARENT, L""},  // install
        {1003, Kind::OwnerDrawnButton, WS_EX_TRANSPARENT, L""},  // agree check box
        {1004, Kind::OwnerDrawnButton, WS_EX_TRANSPARENT, L""},  // licence link
        {1005, Kind::OwnerDrawnButton, WS_EX_TRANSPARENT, L""},  // customise
        {1008, Kind::OwnerDrawnButton, WS_EX_TRANSPARENT, L""},  // browse
        {1009, Kind::Edit, 0, L""},                              // install path
        {1013, Kind::Static, 0, L"Please agree Brinmark License Agreement"},
        {1012, Kind::Static, 0, L"Installation Path:"},
        {1010, Kind::Progress, 0, L""},
        {1014, Kind::OwnerDrawnButton, 0, L"Hide"},
        {1015, Kind::OwnerDrawnButton, 0, L""},  // launch
        {1016, Kind::Static, 0, L"Installing"},   // percentage
    };
    ASSERT_EQ(dialog.itemCount, expected.size());
    ASSERT_EQ(dialog.items.size(), expected.size());

    // All classes in one comparison, so that a wrong class reads as one list.
    std::vector<std::wstring> classes, expectedClasses;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        classes.push_back(ClassOf(dialog.items[i].windowClass));
        expectedClasses.push_back(ExpectedClass(expected[i].kind));
    }
    EXPECT_EQ(classes, expectedClasses);

    for (std::size_t i = 0; i < expected.size(); ++i) {
        const ExpectedItem& want = expected[i];
        const DialogItem& item = dialog.items[i];
        SCOPED_TRACE("item " + std::to_string(i) + ", id " + std::to_string(want.id));

        EXPECT_EQ(item.id, want.id);
        EXPECT_EQ(item.exStyle, want.exStyle);
        EXPECT_EQ(item.title.ordinal, 0);
        EXPECT_EQ(item.title.name, want.text);
        EXPECT_EQ(item.style & (WS_CHILD | WS_VISIBLE), static_cast<std::uint32_t>(WS_CHILD | WS_VISIBLE));

        switch (want.kind) {
        case Kind::OwnerDrawnButton:
            // The button type is a number in the low four bits, not a set of flags.
            EXPECT_EQ(item.style & BS_TYPEMASK, static_cast<std::uint32_t>(BS_OWNERDRAW));
            EXPECT_EQ(item.style & WS_TABSTOP, static_cast<std::uint32_t>(WS_TABSTOP));
            break;
        case Kind::Edit:
            EXPECT_EQ(item.style & (ES_AUTOHSCROLL | WS_TABSTOP),
                      static_cast<std::uint32_t>(ES_AUTOHSCROLL | WS_TABSTOP));
            EXPECT_EQ(item.style & (ES_CENTER | ES_RIGHT), static_cast<std::uint32_t>(ES_LEFT));
            EXPECT_EQ(item.style & WS_BORDER, 0u);
            break;
        case Kind::Static:
            EXPECT_EQ(item.style & SS_TYPEMASK, static_cast<std::uint32_t>(SS_LEFT));
            EXPECT_EQ(item.style & WS_GROUP, static_cast<std::uint32_t>(WS_GROUP));
            break;
        case Kind::Progress:
            EXPECT_EQ(item.style & WS_BORDER, 0u);
            break;
        }
    }
}

// The width and height a baseline or progressive JPEG's frame header gives; zero when
// there is none.
std::pair<std::uint32_t, std::uint32_t> ReadJpegSize(const Bytes& jpeg)
{
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8)
        return {0, 0};
    for (std::size_t at = 2; at + 9 <= jpeg.size() && jpeg[at] == 0xFF;) {
        const unsigned marker = jpeg[at + 1];
        const std::size_t length = (static_cast<std::size_t>(jpeg[at + 2]) << 8) | jpeg[at + 3];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return {(static_cast<std::uint32_t>(jpeg[at + 7]) << 8) | jpeg[at + 8],
                    (static_cast<std::uint32_t>(jpeg[at + 5]) << 8) | jpeg[at + 6]};
        at += 2 + length;
    }
    return {0, 0};
}

TEST_F(ResourcesTest, SkinImagesHaveTheirSizesAndPixelFormatsInBothDensities)
{
    constexpr int kRgba = 6, kRgb = 2, kGrey = 0, kPalette = 3, kJpeg = -1;
    const struct {
        int id;
        std::uint32_t width, height;
        int colourType, depth;
        bool transparency;
    } images[] = {
        {202, 11, 11, kRgba, 8, false},    {207, 323, 32, kPalette, 4, true},  {213, 196, 31, kRgba, 8, false},
        {214, 376, 154, kRgba, 8, false},  {215, 11, 11, kRgba, 8, false},     {239, 20, 20, kGrey, 8, false},
        {240, 20, 20, kRgb, 8, false},     {243, 20, 20, kRgb, 8, false},      {244, 20, 20, kRgb, 8, false},
        {263, 90, 32, kPalette, 8, true},  {273, 90, 32, kPalette, 8, true},   {283, 180, 12, kGrey, 8, false},
        {293, 180, 12, kGrey, 8, false},   {303, 57, 26, kPalette, 8, true},   {313, 57, 26, kPalette, 8, true},
        {323, 168, 46, kPalette, 8, true}, {333, 168, 46, kPalette, 8, true},  {343, 168, 46, kPalette, 8, true},
        // The banners are photographs of a kind, drawn at the size they are shown.
        {353, 750, 290, kJpeg, 0, false},  {363, 750, 290, kJpeg, 0, false},   {373, 750, 290, kJpeg, 0, false},
        {383, 390, 15, kRgb, 8, false},    {393, 168, 46, kPalette, 8, true},  {403, 168, 46, kPalette, 8, true},
        {413, 168, 46, kPalette, 8, true},
    };
    for (const auto& image : images) {
        // The same picture drawn at twice the size, for dense displays.
        for (const std::uint32_t scale : {1u, 2u}) {
            const int id = image.id + (scale == 2 ? 1000 : 0);
            SCOPED_TRACE(id);
            const Bytes bytes = Resource(L"PNG", MAKEINTRESOURCEW(id));
            if (image.colourType == kJpeg) {
                const auto [width, height] = ReadJpegSize(bytes);
                EXPECT_EQ(width, image.width * scale);
                EXPECT_EQ(height, image.height * scale);
                continue;
            }
            const PngFormat format = ReadPngFormat(bytes);
            EXPECT_EQ(format.width, image.width * scale);
            EXPECT_EQ(format.height, image.height * scale);
            EXPECT_EQ(format.colourType, image.colourType);
            EXPECT_EQ(format.depth, image.depth);
            EXPECT_EQ(format.transparency, image.transparency) << "only the palette images carry a transparency chunk";
        }
    }
}

}  // namespace
