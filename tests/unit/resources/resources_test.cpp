// Reads the launcher's resources back from the built program and checks
// them against what the window, the messages and the installer expect.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "resource.h"
#include "resource_reader.h"

#define OVN_WIDEN2(x) L##x
#define OVN_WIDEN(x) OVN_WIDEN2(x)

static const WORD japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN);
static const WORD us_english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// Ordinals of the predefined control classes in a dialog template.
static const WORD button_class = 0x0080;
static const WORD static_class = 0x0082;

static const std::map<UINT, std::wstring>& expected_strings() {
    static const std::map<UINT, std::wstring> texts = {
        {IDS_SOCKETS_FAILED, L"Windows ソケットの初期化に失敗しました。"},
        {IDS_DOWNLOAD_FAILED_USE_EXISTING,
         L"最新インストーラーのダウンロードに失敗しました。\n"
         L"既存のインストーラーを使用してインストールを行うことができます。\n"
         L"このままインストールを行いますか？"},
        {IDS_DOWNLOAD_FAILED_NO_INSTALL,
         L"最新インストーラーのダウンロードに失敗しました。\nインストールを行えません。"},
        {IDS_NEWER_RELEASE,
         L"新しいバージョンの「Orvane」(version %s)がリリースされています。"
         L"ミルベクのホームページを見てください。"},
        {IDS_INSTALL_OLD_VERSION,
         L"新しいバージョンの「Orvane」がリリースされています。\n"
         L"古いバージョンの「Orvane 6.0」のインストールを行いますか？"},
        {IDS_ADMIN_REQUIRED, L"管理者権限が必要です。"},
        {IDS_WINDOW_TITLE, L"Orvane 6.0 インストール"},
        {IDS_CHOOSE_FOLDER, L"インストール先フォルダーを選択する"},
        {IDS_READER_NEEDED,
         L"「Orvane」のマニュアルを閲覧するためには「Adobe(R) Reader(R)」が必要です。\n"
         L"アドビ システムズ社のウェブサイトから「Adobe(R) Reader(R)」をダウンロードしてください。"},
        {IDS_LATEST_MANUAL,
         L"ミルベク株式会社のウェブサイトで最新版の「Orvane」マニュアルを配信しています。\n"
         L"最新版マニュアルページをご覧ください。"},
        {IDS_CHECKING_INSTALLER,
         L"最新のインストーラーが配信されていないか確認しています\nしばらくお待ちください"},
        {IDS_DOWNLOADING_INSTALLER,
         L"最新のインストーラーをダウンロードしています\nしばらくお待ちください"},
    };
    return texts;
}

// The program under test: the launcher, or a program that links the same
// resources on its own (usable before and beside the launcher).
static const wchar_t* const program = OVN_WIDEN(OVN_RESOURCE_EXE);

class OVN_RESOURCE_SUITE : public ::testing::Test {
protected:
    void SetUp() override {
        reader_ = std::make_unique<resource_reader>(program);
        ASSERT_TRUE(reader_->loaded()) << "cannot load the program, error " << reader_->load_error();
    }

    dialog_template dialog(WORD id) {
        dialog_template t;
        EXPECT_TRUE(parse_dialog_template(reader_->bytes(RT_DIALOG, MAKEINTRESOURCEW(id), japanese), t));
        return t;
    }

    std::unique_ptr<resource_reader> reader_;
};

static std::string narrow(const std::wstring& w) {
    int n = ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

TEST_F(OVN_RESOURCE_SUITE, string_table_holds_every_message_exactly) {
    for (const auto& [id, text] : expected_strings()) {
        std::wstring actual;
        EXPECT_TRUE(string_from_table(*reader_, id, japanese, actual)) << "string " << id;
        EXPECT_EQ(narrow(text), narrow(actual)) << "string " << id;
        EXPECT_EQ(text.size(), actual.size()) << "string " << id;
    }
    // Nothing besides the launcher's own messages in those blocks.
    for (UINT id = 96; id < 128; ++id) {
        std::wstring actual;
        if (expected_strings().count(id)) continue;
        EXPECT_FALSE(string_from_table(*reader_, id, japanese, actual)) << "unexpected string " << id;
    }
}

TEST_F(OVN_RESOURCE_SUITE, everything_is_japanese_except_the_manifest) {
    const std::vector<WORD> japanese_only{japanese};
    EXPECT_EQ(japanese_only, reader_->languages(RT_DIALOG, MAKEINTRESOURCEW(IDD_LAUNCHER)));
    EXPECT_EQ(japanese_only, reader_->languages(RT_DIALOG, MAKEINTRESOURCEW(IDD_PROGRESS)));
    for (WORD id = IDB_BACKGROUND; id <= IDB_READER; ++id)
        EXPECT_EQ(japanese_only, reader_->languages(RT_BITMAP, MAKEINTRESOURCEW(id))) << "bitmap " << id;
    EXPECT_EQ(japanese_only, reader_->languages(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_LAUNCHER)));
    for (WORD id : reader_->ids(RT_ICON))
        EXPECT_EQ(japanese_only, reader_->languages(RT_ICON, MAKEINTRESOURCEW(id))) << "icon " << id;
    for (WORD block : {IDS_SOCKETS_FAILED / 16 + 1, IDS_DOWNLOADING_INSTALLER / 16 + 1})
        EXPECT_EQ(japanese_only, reader_->languages(RT_STRING, MAKEINTRESOURCEW(block))) << "block " << block;
    EXPECT_EQ(japanese_only, reader_->languages(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO)));
    EXPECT_EQ(std::vector<WORD>{us_english}, reader_->languages(RT_MANIFEST, MAKEINTRESOURCEW(1)));
}

static void expect_item(const dialog_item& item, DWORD id, WORD window_class, const std::wstring& text,
                        DWORD style, short x, short y, short cx, short cy) {
    SCOPED_TRACE("control " + std::to_string(static_cast<int>(id)));
    EXPECT_EQ(id, item.id);
    EXPECT_TRUE(item.window_class.is_ordinal);
    EXPECT_EQ(window_class, item.window_class.ordinal);
    EXPECT_FALSE(item.title.is_ordinal);
    EXPECT_EQ(narrow(text), narrow(item.title.text));
    EXPECT_EQ(style, item.style);
    EXPECT_EQ(0u, item.ex_style);
    EXPECT_EQ(0u, item.help_id);
    EXPECT_EQ(x, item.x);
    EXPECT_EQ(y, item.y);
    EXPECT_EQ(cx, item.cx);
    EXPECT_EQ(cy, item.cy);
    EXPECT_EQ(0, item.extra_bytes);
}

TEST_F(OVN_RESOURCE_SUITE, launcher_window_template) {
    dialog_template t = dialog(IDD_LAUNCHER);
    EXPECT_EQ(0x90CA00C0u, t.style);
    EXPECT_EQ(static_cast<DWORD>(WS_EX_APPWINDOW), t.ex_style);
    EXPECT_EQ(0, t.x);
    EXPECT_EQ(0, t.y);
    EXPECT_EQ(320, t.cx);
    EXPECT_EQ(235, t.cy);
    EXPECT_FALSE(t.menu.is_ordinal);
    EXPECT_TRUE(t.menu.text.empty());
    EXPECT_FALSE(t.window_class.is_ordinal);
    EXPECT_EQ(L"OVN6_WINDOWCLASS_INSTLAUNCHER", t.window_class.text);
    EXPECT_EQ(L"Launcher", t.title);
    EXPECT_EQ(9, t.point_size);
    EXPECT_EQ(0, t.weight);
    EXPECT_EQ(0, t.italic);
    EXPECT_EQ(DEFAULT_CHARSET, t.charset);
    EXPECT_EQ(L"MS UI Gothic", t.typeface);

    ASSERT_EQ(6u, t.items.size());
    const DWORD push = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    // The picture control names its bitmap by ordinal.
    const dialog_item& picture = t.items[0];
    EXPECT_EQ(0xFFFFu, picture.id & 0xFFFF);
    EXPECT_TRUE(picture.window_class.is_ordinal);
    EXPECT_EQ(static_class, picture.window_class.ordinal);
    EXPECT_TRUE(picture.title.is_ordinal);
    EXPECT_EQ(IDB_BACKGROUND, picture.title.ordinal);
    EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_VISIBLE | SS_BITMAP), picture.style);
    EXPECT_EQ(0, picture.x);
    EXPECT_EQ(0, picture.y);
    EXPECT_EQ(320, picture.cx);
    EXPECT_EQ(235, picture.cy);
    expect_item(t.items[1], IDCANCEL, button_class, L"close", push, 258, 214, 55, 15);
    expect_item(t.items[2], IDOK, button_class, L"Install", push, 62, 128, 196, 30);
    expect_item(t.items[3], IDC_CHOOSE_FOLDER, button_class, L"choose destination directory.",
                WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 99, 163, 122, 10);
    expect_item(t.items[4], IDC_GUIDE, button_class, L"orvane guide", push, 62, 182, 126, 19);
    expect_item(t.items[5], IDC_READER, button_class, L"adobe reader", push, 196, 182, 62, 19);
}

TEST_F(OVN_RESOURCE_SUITE, progress_window_template) {
    dialog_template t = dialog(IDD_PROGRESS);
    EXPECT_EQ(0x82080040u, t.style);
    EXPECT_EQ(0u, t.ex_style);
    EXPECT_EQ(211, t.cx);
    EXPECT_EQ(78, t.cy);
    EXPECT_FALSE(t.window_class.is_ordinal);
    EXPECT_TRUE(t.window_class.text.empty());
    EXPECT_TRUE(t.title.empty());
    EXPECT_EQ(9, t.point_size);
    EXPECT_EQ(FW_NORMAL, t.weight);
    EXPECT_EQ(0, t.italic);
    EXPECT_EQ(SHIFTJIS_CHARSET, t.charset);
    EXPECT_EQ(L"MS UI Gothic", t.typeface);

    ASSERT_EQ(2u, t.items.size());
    expect_item(t.items[0], IDC_PROGRESS_TEXT, static_class, L"wait...",
                WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER, 7, 21, 197, 28);
    const dialog_item& bar = t.items[1];
    EXPECT_EQ(static_cast<DWORD>(IDC_PROGRESS_BAR), bar.id);
    EXPECT_FALSE(bar.window_class.is_ordinal);
    // Class names are not case-sensitive; the resource compiler upper-cases them.
    EXPECT_EQ(0, ::lstrcmpiW(L"msctls_progress32", bar.window_class.text.c_str())) << narrow(bar.window_class.text);
    EXPECT_EQ(0x48000001u, bar.style);  // WS_CHILD | WS_DISABLED | PBS_SMOOTH, not visible
    EXPECT_EQ(7, bar.x);
    EXPECT_EQ(65, bar.y);
    EXPECT_EQ(197, bar.cx);
    EXPECT_EQ(6, bar.cy);
}

TEST_F(OVN_RESOURCE_SUITE, bitmaps_are_uncompressed_8_bit_in_their_sizes) {
    const std::map<WORD, std::pair<LONG, LONG>> sizes = {
        {IDB_BACKGROUND, {640, 440}},
        {IDB_CLOSE_NORMAL, {110, 25}},   {IDB_CLOSE_SELECTED, {110, 25}},   {IDB_CLOSE_FOCUS, {110, 25}},
        {IDB_INSTALL_NORMAL, {390, 60}}, {IDB_INSTALL_SELECTED, {390, 60}}, {IDB_INSTALL_FOCUS, {390, 60}},
        {IDB_GUIDE_NORMAL, {250, 38}},   {IDB_GUIDE_SELECTED, {250, 38}},   {IDB_GUIDE_FOCUS, {250, 38}},
        {IDB_READER, {122, 36}},
    };
    auto ids = reader_->ids(RT_BITMAP);
    std::sort(ids.begin(), ids.end());
    std::vector<WORD> expected_ids;
    for (const auto& entry : sizes) expected_ids.push_back(entry.first);
    EXPECT_EQ(expected_ids, ids);

    for (const auto& [id, size] : sizes) {
        SCOPED_TRACE("bitmap " + std::to_string(id));
        auto data = reader_->bytes(RT_BITMAP, MAKEINTRESOURCEW(id), japanese);
        ASSERT_GE(data.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER h;
        std::memcpy(&h, data.data(), sizeof h);
        EXPECT_EQ(sizeof h, h.biSize);
        EXPECT_EQ(size.first, h.biWidth);
        EXPECT_EQ(size.second, std::abs(h.biHeight));
        EXPECT_EQ(1, h.biPlanes);
        EXPECT_EQ(8, h.biBitCount);
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), h.biCompression);
        const DWORD colours = h.biClrUsed ? h.biClrUsed : 256;
        EXPECT_LE(colours, 256u);
        const size_t row = (static_cast<size_t>(size.first) + 3) & ~size_t{3};
        EXPECT_EQ(sizeof h + colours * sizeof(RGBQUAD) + row * size.second, data.size());
    }
}

#pragma pack(push, 2)
struct group_icon_entry {
    BYTE width, height, colours, reserved;
    WORD planes, bit_count;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST_F(OVN_RESOURCE_SUITE, icon_group_holds_seven_images) {
    auto group = reader_->bytes(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_LAUNCHER), japanese);
    ASSERT_GE(group.size(), 6u);
    WORD header[3];
    std::memcpy(header, group.data(), sizeof header);
    EXPECT_EQ(0, header[0]);
    EXPECT_EQ(1, header[1]);  // icons, not cursors
    ASSERT_EQ(group.size(), 6 + header[2] * sizeof(group_icon_entry));

    std::multiset<std::pair<int, int>> found;  // (pixels, bits)
    for (WORD i = 0; i < header[2]; ++i) {
        group_icon_entry e;
        std::memcpy(&e, group.data() + 6 + i * sizeof e, sizeof e);
        const int pixels = e.width ? e.width : 256;
        found.insert({pixels, e.bit_count});
        SCOPED_TRACE("icon " + std::to_string(pixels) + "x" + std::to_string(e.bit_count));
        EXPECT_EQ(e.width, e.height);
        EXPECT_EQ(1, e.planes);
        auto image = reader_->bytes(RT_ICON, MAKEINTRESOURCEW(e.id), japanese);
        ASSERT_EQ(e.bytes, image.size());
        BITMAPINFOHEADER h;
        ASSERT_GE(image.size(), sizeof h);
        std::memcpy(&h, image.data(), sizeof h);
        EXPECT_EQ(pixels, h.biWidth);
        EXPECT_EQ(pixels * 2, h.biHeight);  // colour and mask
        EXPECT_EQ(e.bit_count, h.biBitCount);
    }
    const std::multiset<std::pair<int, int>> expected = {
        {48, 8}, {32, 8}, {16, 8}, {256, 32}, {48, 32}, {32, 32}, {16, 32}};
    EXPECT_EQ(expected, found);
}

TEST_F(OVN_RESOURCE_SUITE, manifest_asks_for_common_controls_6_as_invoker) {
    auto data = reader_->bytes(RT_MANIFEST, MAKEINTRESOURCEW(1), us_english);
    const std::string text(data.begin(), data.end());
    const std::string arch = std::string("processorArchitecture=\"") + OVN_MANIFEST_ARCH + "\"";
    for (const char* part : {
             "type=\"win32\"",
             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
             "publicKeyToken=\"6595b64144ccf1df\"",
             "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
             "<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>",
             "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",
         })
        EXPECT_NE(std::string::npos, text.find(part)) << part;
    // The program's own identity and its dependency both name the build's processor.
    size_t first = text.find(arch);
    ASSERT_NE(std::string::npos, first);
    EXPECT_NE(std::string::npos, text.find(arch, first + 1));
    EXPECT_EQ(std::string::npos, text.find("requireAdministrator"));
}

TEST_F(OVN_RESOURCE_SUITE, version_block_numbers_and_names) {
    const wchar_t* path = program;
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    ASSERT_NE(0u, size);
    std::vector<uint8_t> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionMS);      // 1.0
    EXPECT_EQ(MAKELONG(3, 3), fixed->dwFileVersionLS);      // .3.3
    EXPECT_EQ(MAKELONG(0, 6), fixed->dwProductVersionMS);   // 6.0
    EXPECT_EQ(MAKELONG(3, 3), fixed->dwProductVersionLS);   // .3.3
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

    DWORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                                 reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(MAKELONG(0x0411, 1200), *translation);

    const std::map<std::wstring, std::wstring> names = {
        {L"CompanyName", L"ミルベク株式会社"},
        {L"ProductName", L"Orvane 6.0"},
        {L"FileVersion", L"1.00.03.0003"},
        {L"ProductVersion", L"6.00.03.0003"},
    };
    for (const auto& [key, value] : names) {
        wchar_t* text = nullptr;
        std::wstring query = L"\\StringFileInfo\\041104b0\\" + key;
        ASSERT_TRUE(::VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
            << narrow(key);
        EXPECT_EQ(narrow(value), narrow(text)) << narrow(key);
    }
}
