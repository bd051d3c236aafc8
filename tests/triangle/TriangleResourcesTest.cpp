// The resources as built into the program, read from the executable itself.
#include "ResourceReader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace
{
const WORD EnglishUnitedStates = 1033;

#pragma pack(push, 2)
struct GroupIconHeader
{
    WORD reserved;
    WORD type;
    WORD count;
};

struct GroupIconEntry
{
    BYTE width;
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInResource;
    WORD id;
};
#pragma pack(pop)

struct ResourceKey
{
    std::wstring type;
    std::wstring name;
    WORD language;

    bool operator<(const ResourceKey& other) const
    {
        return std::tie(type, name, language) < std::tie(other.type, other.name, other.language);
    }
};

std::wstring NameOf(LPCWSTR name)
{
    return IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : std::wstring(name);
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR found)
{
    reinterpret_cast<std::set<ResourceKey>*>(found)->insert({NameOf(type), NameOf(name), language});
    return TRUE;
}

BOOL CALLBACK AddName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR found)
{
    EnumResourceLanguagesW(module, type, name, AddLanguage, found);
    return TRUE;
}

BOOL CALLBACK AddType(HMODULE module, LPWSTR type, LONG_PTR found)
{
    EnumResourceNamesW(module, type, AddName, found);
    return TRUE;
}

class TriangleResources : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        program = LoadLibraryExW(L"Vexelo-02-Triangle.exe", nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }

    static void TearDownTestSuite()
    {
        if (program)
            FreeLibrary(program);
        program = nullptr;
    }

    void SetUp() override { ASSERT_TRUE(program) << "Vexelo-02-Triangle.exe not loadable: " << GetLastError(); }

    // The bytes of one resource in US English; empty if there is none.
    static std::vector<BYTE> Bytes(LPCWSTR type, WORD id)
    {
        HRSRC found = FindResourceExW(program, type, MAKEINTRESOURCEW(id), EnglishUnitedStates);
        HGLOBAL loaded = found ? LoadResource(program, found) : nullptr;
        const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
        if (!data)
            return {};
        return std::vector<BYTE>(data, data + SizeofResource(program, found));
    }

    static std::wstring MenuText(HMENU menu, int position)
    {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(position), text, 64, MF_BYPOSITION);
        return text;
    }

    static HMODULE program;
};

HMODULE TriangleResources::program = nullptr;

TEST_F(TriangleResources, AreExactlyTheProgramsOwnAllInEnglishUnitedStates)
{
    std::set<ResourceKey> found;
    EnumResourceTypesW(program, AddType, reinterpret_cast<LONG_PTR>(&found));

    std::set<ResourceKey> expected = {
        {L"#6", L"#7", EnglishUnitedStates},  // string block 7 holds strings 96 to 111
        {L"#4", L"#109", EnglishUnitedStates},
        {L"#9", L"#109", EnglishUnitedStates},
        {L"#5", L"#103", EnglishUnitedStates},
        {L"#14", L"#107", EnglishUnitedStates},
        {L"#14", L"#108", EnglishUnitedStates},
        {L"#24", L"#1", EnglishUnitedStates},
    };
    // The images behind the two icon groups, whatever numbers they were given.
    int images = 0;
    for (const ResourceKey& key : found)
        if (key.type == L"#3")
        {
            EXPECT_EQ(key.language, EnglishUnitedStates) << "icon image " << key.name.c_str();
            expected.insert(key);
            ++images;
        }
    EXPECT_EQ(images, 4);
    EXPECT_EQ(found.size(), expected.size());
    for (const ResourceKey& key : expected)
        EXPECT_EQ(found.count(key), 1u) << "missing: type " << key.type.c_str() << " name " << key.name.c_str();
}

TEST_F(TriangleResources, StringsGiveTheTitleAndTheClassName)
{
    wchar_t text[100] = {};
    EXPECT_EQ(LoadStringW(program, 103, text, 100), 18);
    EXPECT_STREQ(text, L"Vexelo-01-Triangle");
    EXPECT_EQ(LoadStringW(program, 109, text, 100), 16);
    EXPECT_STREQ(text, L"VEXELO01TRIANGLE");
}

TEST_F(TriangleResources, MenuHasFileExitAndHelpAbout)
{
    HMENU menu = LoadMenuW(program, MAKEINTRESOURCEW(109));
    ASSERT_TRUE(menu);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    EXPECT_EQ(MenuText(menu, 0), L"&File");
    EXPECT_EQ(MenuText(menu, 1), L"&Help");

    HMENU file = GetSubMenu(menu, 0);
    ASSERT_TRUE(file);
    ASSERT_EQ(GetMenuItemCount(file), 1);
    EXPECT_EQ(MenuText(file, 0), L"E&xit");
    EXPECT_EQ(GetMenuItemID(file, 0), 105u);

    HMENU help = GetSubMenu(menu, 1);
    ASSERT_TRUE(help);
    ASSERT_EQ(GetMenuItemCount(help), 1);
    EXPECT_EQ(MenuText(help, 0), L"&About ...");
    EXPECT_EQ(GetMenuItemID(help, 0), 104u);
    DestroyMenu(menu);
}

TEST_F(TriangleResources, AcceleratorsAreAltQuestionMarkAndAltSlashAsCharacters)
{
    HACCEL table = LoadAcceleratorsW(program, MAKEINTRESOURCEW(109));
    ASSERT_TRUE(table);
    ACCEL entries[4] = {};
    ASSERT_EQ(CopyAcceleratorTableW(table, nullptr, 0), 2);
    ASSERT_EQ(CopyAcceleratorTableW(table, entries, 4), 2);
    DestroyAcceleratorTable(table);

    std::set<WORD> keys;
    for (int i = 0; i < 2; ++i)
    {
        // Alt alone: no FVIRTKEY, so the key is the typed character.
        EXPECT_EQ(entries[i].fVirt & 0x7F, FALT) << "entry " << i;
        EXPECT_EQ(entries[i].cmd, 104) << "entry " << i;
        keys.insert(entries[i].key);
    }
    EXPECT_EQ(keys, (std::set<WORD>{'?', '/'}));
}

class TriangleIconGroup : public TriangleResources, public ::testing::WithParamInterface<WORD>
{
};

TEST_P(TriangleIconGroup, HoldsTwo32By32ImagesWith16And256Colours)
{
    const std::vector<BYTE> group = Bytes(RT_GROUP_ICON, GetParam());
    ASSERT_GE(group.size(), sizeof(GroupIconHeader));
    GroupIconHeader header;
    std::memcpy(&header, group.data(), sizeof(header));
    EXPECT_EQ(header.type, 1);
    ASSERT_EQ(header.count, 2);
    ASSERT_EQ(group.size(), sizeof(GroupIconHeader) + 2 * sizeof(GroupIconEntry));

    std::set<WORD> depths;
    for (int i = 0; i < 2; ++i)
    {
        GroupIconEntry entry;
        std::memcpy(&entry, group.data() + sizeof(GroupIconHeader) + i * sizeof(GroupIconEntry), sizeof(entry));
        EXPECT_EQ(entry.width, 32);
        EXPECT_EQ(entry.height, 32);
        EXPECT_EQ(entry.colourCount, entry.bitCount == 4 ? 16 : 0);
        depths.insert(entry.bitCount);

        // The image itself agrees with its directory entry and decodes.
        std::vector<BYTE> image = Bytes(RT_ICON, entry.id);
        ASSERT_EQ(image.size(), entry.bytesInResource);
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER info;
        std::memcpy(&info, image.data(), sizeof(info));
        EXPECT_EQ(info.biWidth, 32);
        EXPECT_EQ(info.biHeight, 64) << "colour and mask, one above the other";
        EXPECT_EQ(info.biBitCount, entry.bitCount);
        EXPECT_EQ(info.biCompression, static_cast<DWORD>(BI_RGB));
        HICON icon = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000, 32,
                                              32, LR_DEFAULTCOLOR);
        EXPECT_TRUE(icon);
        if (icon)
            DestroyIcon(icon);
    }
    EXPECT_EQ(depths, (std::set<WORD>{4, 8}));
}

INSTANTIATE_TEST_SUITE_P(LargeAndSmall, TriangleIconGroup, ::testing::Values(WORD{107}, WORD{108}));

TEST_F(TriangleResources, AboutBoxIsAnExtendedTemplateWithItsFourControls)
{
    const std::vector<BYTE> bytes = Bytes(RT_DIALOG, 103);
    ResourceReader about(bytes.data(), bytes.size());
    EXPECT_EQ(about.Word(), 1);       // version and signature of an extended template
    EXPECT_EQ(about.Word(), 0xFFFF);
    EXPECT_EQ(about.Dword(), 0u);     // help id
    EXPECT_EQ(about.Dword(), 0u);     // extended style
    EXPECT_EQ(about.Dword(), static_cast<uint32_t>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME |
                                                   DS_SETFONT | DS_FIXEDSYS));
    const uint16_t controls = about.Word();
    EXPECT_EQ(about.Short(), 0);
    EXPECT_EQ(about.Short(), 0);
    EXPECT_EQ(about.Short(), 170);
    EXPECT_EQ(about.Short(), 62);
    EXPECT_EQ(about.NameOrNumber(), u"");  // no menu
    EXPECT_EQ(about.NameOrNumber(), u"");  // the standard dialog class
    EXPECT_EQ(about.Text(), u"About Vexelo-01-Triangle");
    EXPECT_EQ(about.Word(), 8);           // points
    EXPECT_EQ(about.Word(), 0);           // weight
    EXPECT_EQ(about.Byte(), 0);           // not italic
    EXPECT_EQ(about.Byte(), DEFAULT_CHARSET);
    EXPECT_EQ(about.Text(), u"MS Shell Dlg");
    ASSERT_EQ(controls, 4);

    struct Control
    {
        uint32_t style;
        int16_t x, y, cx, cy;
        int32_t id;
        std::u16string windowClass;
        std::u16string title;
    };
    const uint32_t shown = WS_CHILD | WS_VISIBLE;
    const Control expected[4] = {
        {shown | SS_ICON, 14, 14, 21, 20, -1, u"#130", u"#128"},  // static class 0x82; icon 128
        {shown | WS_GROUP | SS_NOPREFIX | SS_LEFT, 42, 14, 114, 8, -1, u"#130", u"Vexelo-01-Triangle, Version 1.0"},
        {shown | WS_GROUP | SS_LEFT, 42, 26, 114, 8, -1, u"#130", u""},
        {shown | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 113, 41, 50, 14, IDOK, u"#128", u"OK"},  // button 0x80
    };
    for (int i = 0; i < 4; ++i)
    {
        SCOPED_TRACE("control " + std::to_string(i));
        const Control& want = expected[i];
        about.AlignToDword();
        EXPECT_EQ(about.Dword(), 0u);  // help id
        EXPECT_EQ(about.Dword(), 0u);  // extended style
        const uint32_t style = about.Dword();
        EXPECT_EQ(style, want.style) << std::hex << style;
        EXPECT_EQ(about.Short(), want.x);
        EXPECT_EQ(about.Short(), want.y);
        EXPECT_EQ(about.Short(), want.cx);
        EXPECT_EQ(about.Short(), want.cy);
        EXPECT_EQ(static_cast<int32_t>(about.Dword()), want.id);
        EXPECT_EQ(about.NameOrNumber(), want.windowClass);
        const std::u16string title = about.NameOrNumber();
        if (want.title.empty())
        {
            EXPECT_FALSE(title.empty()) << "the notice line has no text";
        }
        else
        {
            EXPECT_EQ(title, want.title);
        }
        EXPECT_EQ(about.Word(), 0);  // no creation data
    }
    EXPECT_TRUE(about.Ok());
    EXPECT_TRUE(about.AtEnd());
}

TEST_F(TriangleResources, ManifestRunsAsInvokerWithoutUiAccess)
{
    const std::vector<BYTE> bytes = Bytes(RT_MANIFEST, 1);
    ASSERT_FALSE(bytes.empty());
    const std::string manifest(bytes.begin(), bytes.end());
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
}
}
