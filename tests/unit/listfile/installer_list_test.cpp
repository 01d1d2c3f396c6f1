#include "installer_downloader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

static const bool windows_32bit = false;
static const bool windows_64bit = true;

static std::vector<char> body_of(const std::string& text) { return std::vector<char>(text.begin(), text.end()); }

static std::vector<char> fixture(const char* name) {
    std::ifstream file(std::string("listfile/") + name, std::ios::binary);
    EXPECT_TRUE(file.good()) << name;
    return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

static void expect_list_fields_empty(const CInstallerDownloader& d) {
    EXPECT_FALSE(d.newer_release);
    EXPECT_EQ(L"", d.newer_release_version);
    EXPECT_EQ(L"", d.newer_release_url);
    EXPECT_EQ(L"", d.list_setup_version);
    EXPECT_EQ(L"", d.list_setup_digest);
    EXPECT_EQ(L"", d.list_setup_url);
    EXPECT_FALSE(d.list_manual_found);
    EXPECT_EQ(L"", d.list_manual_digest);
    EXPECT_EQ(L"", d.list_manual_page_url);
}

TEST(InstallerList, PicksTheEntriesOfEachProcessorType) {
    CInstallerDownloader on32;
    EXPECT_TRUE(ParseLtFile(fixture("installer6.lt"), on32, windows_32bit));
    EXPECT_EQ(L"6.0.21.4", on32.GetSetupVersion());
    EXPECT_EQ(L"0f343b0931126a20f133d67c2b018a3b", on32.GetSetupDigest());
    EXPECT_EQ(L"http://127.0.0.1:8080/ovn6/setup32.exe", on32.GetSetupUrl());
    EXPECT_TRUE(on32.list_manual_found);
    EXPECT_EQ(L"e4d909c290d0fb1ca068ffaddf22cbd0", on32.GetManualDigest());
    EXPECT_EQ(L"http://127.0.0.1:8080/ovn6/manual.html", on32.GetManualPageUrl());
    EXPECT_FALSE(on32.newer_release);

    CInstallerDownloader on64;
    EXPECT_TRUE(ParseLtFile(fixture("installer6.lt"), on64, windows_64bit));
    EXPECT_EQ(L"9e107d9d372bb6826bd81d3542a419d6", on64.GetSetupDigest());
    EXPECT_EQ(L"http://127.0.0.1:8080/ovn6/setup64.exe", on64.GetSetupUrl());
    EXPECT_EQ(L"e4d909c290d0fb1ca068ffaddf22cbd0", on64.GetManualDigest());
}

TEST(InstallerList, EntryForTheOtherPlatformIsSkipped) {
    const std::string only64 = "h\n64bit 6.0.0.1 aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa http://127.0.0.1/s64.exe\n";
    const std::string only32 = "h\n32bit 6.0.0.1 aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa http://127.0.0.1/s32.exe\n";
    CInstallerDownloader d;
    EXPECT_FALSE(ParseLtFile(body_of(only64), d, windows_32bit));
    EXPECT_FALSE(ParseLtFile(body_of(only32), d, windows_64bit));
    expect_list_fields_empty(d);
    EXPECT_TRUE(ParseLtFile(body_of(only64), d, windows_64bit));
    EXPECT_EQ(L"http://127.0.0.1/s64.exe", d.GetSetupUrl());

    // The platform word also governs manual lines.
    CInstallerDownloader manual;
    ParseLtFile(body_of("h\n64bit manual dd http://127.0.0.1/m\n"), manual, windows_32bit);
    EXPECT_FALSE(manual.list_manual_found);
}

TEST(InstallerList, PlatformWordIgnoresCase) {
    for (const char* word : {"BOTH", "Both", "32BIT", "32Bit"}) {
        SCOPED_TRACE(word);
        CInstallerDownloader d;
        EXPECT_TRUE(ParseLtFile(body_of(std::string("h\n") + word + " 6.1.0.0 dd http://127.0.0.1/s\n"), d,
                                windows_32bit));
        EXPECT_EQ(L"6.1.0.0", d.GetSetupVersion());
    }
    CInstallerDownloader d;
    EXPECT_TRUE(ParseLtFile(body_of("h\n64BIT 6.1.0.0 dd http://127.0.0.1/s\n"), d, windows_64bit));
    CInstallerDownloader prefix;
    EXPECT_FALSE(ParseLtFile(body_of("h\nbothx 6.1.0.0 dd u\nbot 6.1.0.0 dd u\n"), prefix, windows_64bit));
}

TEST(InstallerList, HeaderOnlyOrBlankFilesGiveFalse) {
    for (const char* text : {"\n", "\r\n\r\n", "header", "header\r\n", "\n\n\nheader\n\n", "both 6.0.0.1 dd u\n",
                             "header\n  \n"}) {
        SCOPED_TRACE(text);
        CInstallerDownloader d;
        EXPECT_FALSE(ParseLtFile(body_of(text), d, windows_64bit));
        expect_list_fields_empty(d);
    }
}

TEST(InstallerList, EmptyBodyChangesNothing) {
    CInstallerDownloader d;
    d.newer_release = true;
    d.list_setup_url = L"kept";
    d.list_manual_digest = L"kept too";
    EXPECT_FALSE(ParseLtFile(std::vector<char>(), d, windows_64bit));
    EXPECT_TRUE(d.newer_release);
    EXPECT_EQ(L"kept", d.list_setup_url);
    EXPECT_EQ(L"kept too", d.list_manual_digest);
}

TEST(InstallerList, FieldsAreNeverCleared) {
    CInstallerDownloader d;
    d.list_setup_url = L"earlier";
    d.newer_release_url = L"earlier page";
    EXPECT_TRUE(ParseLtFile(body_of("h\nboth 7.0.0.0\n"), d, windows_64bit));
    EXPECT_EQ(L"earlier", d.list_setup_url);
    EXPECT_EQ(L"earlier page", d.newer_release_url);
    EXPECT_EQ(L"7.0.0.0", d.GetNewerReleaseVersion());
}

TEST(InstallerList, FirstLineOfSpacesIsTheHeader) {
    CInstallerDownloader d;
    EXPECT_TRUE(ParseLtFile(body_of("   \nboth 6.0.0.1 dd http://127.0.0.1/s\n"), d, windows_64bit));
    EXPECT_EQ(L"http://127.0.0.1/s", d.GetSetupUrl());
}

TEST(InstallerList, LineEndsOfEveryKindGiveTheSameResult) {
    const std::string lines[] = {"header", "32bit 6.0.0.1 d32 http://127.0.0.1/32",
                                 "64bit 6.0.0.2 d64 http://127.0.0.1/64", "both manual dm http://127.0.0.1/m",
                                 "both 8.1.0.0 - http://127.0.0.1/8"};
    const char* breaks[][5] = {
        {"\n", "\n", "\n", "\n", "\n"},
        {"\r\n", "\r\n", "\r\n", "\r\n", "\r\n"},
        {"\r", "\r", "\r", "\r", ""},
        {"\r\n\r\n", "\n", "\r", "\n\n\r\r", "\r\n"},
    };
    for (bool platform : {windows_32bit, windows_64bit}) {
        for (const auto& kind : breaks) {
            std::string text;
            for (int i = 0; i < 5; ++i) text += lines[i] + kind[i];
            SCOPED_TRACE(text);
            CInstallerDownloader d;
            EXPECT_TRUE(ParseLtFile(body_of(text), d, platform));
            EXPECT_EQ(platform == windows_64bit ? L"http://127.0.0.1/64" : L"http://127.0.0.1/32", d.GetSetupUrl());
            EXPECT_EQ(L"http://127.0.0.1/m", d.GetManualPageUrl());
            EXPECT_EQ(L"http://127.0.0.1/8", d.GetNewerReleaseUrl());
        }
    }
}

TEST(InstallerList, OnlySpacesSeparateFields) {
    CInstallerDownloader d;
    EXPECT_TRUE(ParseLtFile(body_of("h\n   both    6.0.0.1  dd     http://127.0.0.1/a\tb   \n"), d, windows_64bit));
    EXPECT_EQ(L"6.0.0.1", d.GetSetupVersion());
    EXPECT_EQ(L"dd", d.GetSetupDigest());
    EXPECT_EQ(L"http://127.0.0.1/a\tb", d.GetSetupUrl());

    CInstallerDownloader tabs;
    EXPECT_FALSE(ParseLtFile(body_of("h\nboth\t6.0.0.1\tdd\thttp://127.0.0.1/s\n"), tabs, windows_64bit));
    expect_list_fields_empty(tabs);
}

TEST(InstallerList, VersionFieldIsStoredWhole) {
    CInstallerDownloader d;
    EXPECT_TRUE(ParseLtFile(body_of("h\nboth ver6.0.10.3-beta dd http://127.0.0.1/s\n"), d, windows_32bit));
    EXPECT_EQ(L"ver6.0.10.3-beta", d.GetSetupVersion());

    CInstallerDownloader zeros;
    EXPECT_TRUE(ParseLtFile(body_of("h\nboth 06.1.2.3 dd http://127.0.0.1/s\n"), zeros, windows_32bit));
    EXPECT_EQ(L"06.1.2.3", zeros.GetSetupVersion());

    // The leftmost four-part run decides: 5.6.0.0.1 reads as major 5.
    CInstallerDownloader leftmost;
    EXPECT_FALSE(ParseLtFile(body_of("h\nboth 5.6.0.0.1 dd http://127.0.0.1/s\n"), leftmost, windows_32bit));
    CInstallerDownloader later;
    EXPECT_TRUE(ParseLtFile(body_of("h\nboth 1.2-6.0.0.1 dd http://127.0.0.1/s\n"), later, windows_32bit));
}

TEST(InstallerList, EntriesThatDoNotFitAreSkipped) {
    for (bool platform : {windows_32bit, windows_64bit}) {
        CInstallerDownloader d;
        EXPECT_FALSE(ParseLtFile(fixture("skipped_entries.lt"), d, platform));
        expect_list_fields_empty(d);
    }
}

TEST(InstallerList, HigherMajorVersionAnnouncesANewerRelease) {
    CInstallerDownloader d;
    EXPECT_TRUE(ParseLtFile(fixture("newer_release.lt"), d, windows_32bit));
    EXPECT_TRUE(d.newer_release);
    EXPECT_EQ(L"10.0.0.0", d.GetNewerReleaseVersion());
    EXPECT_EQ(L"http://127.0.0.1:8080/ovn10/", d.GetNewerReleaseUrl());
    EXPECT_EQ(L"", d.GetSetupVersion());
    EXPECT_EQ(L"", d.GetSetupUrl());
}

TEST(InstallerList, NewerReleaseNeedsOnlyTwoFields) {
    CInstallerDownloader d;
    EXPECT_TRUE(ParseLtFile(body_of("h\nboth 7.0.0.0\n"), d, windows_64bit));
    EXPECT_TRUE(d.newer_release);
    EXPECT_EQ(L"7.0.0.0", d.GetNewerReleaseVersion());
    EXPECT_EQ(L"", d.GetNewerReleaseUrl());

    // A later two-field line replaces the version and keeps the page.
    CInstallerDownloader two;
    EXPECT_TRUE(ParseLtFile(body_of("h\nboth 7.0.0.0 - http://127.0.0.1/7\nboth 8.0.0.0\n"), two, windows_64bit));
    EXPECT_EQ(L"8.0.0.0", two.GetNewerReleaseVersion());
    EXPECT_EQ(L"http://127.0.0.1/7", two.GetNewerReleaseUrl());
}

TEST(InstallerList, FirstGroupBeyondAnyIntegerIsANewerRelease) {
    const std::string huge_groups[] = {
        "2147483647", "2147483648", "4294967296", "99999999999999999999",
        std::string(5000, '9') , std::string(4000, '0') + "7", "1" + std::string(40, '0'),
    };
    for (const std::string& group : huge_groups) {
        SCOPED_TRACE(group.substr(0, 30));
        CInstallerDownloader d;
        EXPECT_TRUE(ParseLtFile(body_of("h\nboth " + group + ".0.0.0 - http://127.0.0.1/n\n"), d, windows_64bit));
        EXPECT_TRUE(d.newer_release);
        EXPECT_EQ(L"http://127.0.0.1/n", d.GetNewerReleaseUrl());
    }
    // Leading zeros do not make a number large.
    CInstallerDownloader zeros;
    EXPECT_TRUE(ParseLtFile(body_of("h\nboth " + std::string(3000, '0') + "6.0.0.0 dd u\n"), zeros, windows_64bit));
    EXPECT_FALSE(zeros.newer_release);
    EXPECT_EQ(L"u", zeros.GetSetupUrl());
    CInstallerDownloader zero;
    EXPECT_FALSE(ParseLtFile(body_of("h\nboth 0000.0.0.0 dd u\n"), zero, windows_64bit));
}

TEST(InstallerList, LatestEntryNeedsFourFields) {
    CInstallerDownloader d;
    EXPECT_FALSE(ParseLtFile(body_of("h\nboth 6.0.0.1 dd\n"), d, windows_64bit));
    expect_list_fields_empty(d);

    // Fields after the fourth change nothing.
    CInstallerDownloader five;
    EXPECT_TRUE(ParseLtFile(body_of("h\nboth 6.0.0.1 dd http://127.0.0.1/s extra 7.0.0.0\n"), five, windows_64bit));
    EXPECT_EQ(L"http://127.0.0.1/s", five.GetSetupUrl());
    EXPECT_FALSE(five.newer_release);
}

TEST(InstallerList, LastOfSeveralLatestEntriesWins) {
    CInstallerDownloader d;
    EXPECT_TRUE(ParseLtFile(fixture("two_latest.lt"), d, windows_64bit));
    EXPECT_EQ(L"6.0.0.1", d.GetSetupVersion());
    EXPECT_EQ(L"22222222222222222222222222222222", d.GetSetupDigest());
    EXPECT_EQ(L"http://127.0.0.1/second.exe", d.GetSetupUrl());

    // A three-field latest line after a full one keeps the full one's values.
    CInstallerDownloader partial;
    EXPECT_TRUE(ParseLtFile(body_of("h\nboth 6.0.0.1 d1 u1\nboth 6.0.0.2 d2\n"), partial, windows_64bit));
    EXPECT_EQ(L"6.0.0.1", partial.GetSetupVersion());
    EXPECT_EQ(L"d1", partial.GetSetupDigest());
}

TEST(InstallerList, ManualOnlyFillsTheManualFieldsAndGivesFalse) {
    CInstallerDownloader d;
    EXPECT_FALSE(ParseLtFile(fixture("manual_only.lt"), d, windows_32bit));
    EXPECT_TRUE(d.list_manual_found);
    EXPECT_EQ(L"33333333333333333333333333333333", d.GetManualDigest());
    EXPECT_EQ(L"http://127.0.0.1/manual/", d.GetManualPageUrl());
    EXPECT_EQ(L"", d.GetSetupUrl());

    // Two fields: found, but nothing stored.
    CInstallerDownloader short_line;
    EXPECT_FALSE(ParseLtFile(body_of("h\nboth MANUAL\n"), short_line, windows_32bit));
    EXPECT_TRUE(short_line.list_manual_found);
    EXPECT_EQ(L"", short_line.GetManualPageUrl());
}

TEST(InstallerList, FieldsAreReadInTheAnsiCodePage) {
    // "マニュアル" in code page 932, the test prefix's ANSI code page.
    CInstallerDownloader d;
    ParseLtFile(body_of("h\nboth manual dm http://127.0.0.1/\x83\x7d\x83\x6a\x83\x85\x83\x41\x83\x8b\n"), d,
                windows_64bit);
    EXPECT_EQ(L"http://127.0.0.1/\u30de\u30cb\u30e5\u30a2\u30eb", d.GetManualPageUrl());
}

TEST(InstallerList, ZeroByteEndsTheStoredField) {
    CInstallerDownloader d;
    static const char text[] = "h\nboth 6.0.0.1-rc\0junk dd\0x http://127.0.0.1/s\0.exe\n";
    EXPECT_TRUE(ParseLtFile(body_of(std::string(text, sizeof text - 1)), d, windows_64bit));
    EXPECT_EQ(L"6.0.0.1-rc", d.GetSetupVersion());
    EXPECT_EQ(L"dd", d.GetSetupDigest());
    EXPECT_EQ(L"http://127.0.0.1/s", d.GetSetupUrl());
}

// It ends the field for every test on it too: "both", a zero and junk is
// the platform word "both"; a version after the zero is no version; a
// zero after "manual" leaves the keyword.
TEST(InstallerList, ZeroByteEndsTheFieldForEveryTest) {
    struct row {
        const char* line;  // '|' stands for a zero byte
        bool accepted;
        const wchar_t* setup_url;
        bool manual_found;
    };
    const row rows[] = {
        {"both|junk 6.0.0.1 dd http://127.0.0.1/s", true, L"http://127.0.0.1/s", false},
        {"both x|6.0.0.1 dd http://127.0.0.1/s", false, L"", false},
        {"both manual|x dm http://127.0.0.1/m", false, L"", true},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.line);
        std::string text = std::string("h\n") + r.line + "\n";
        for (char& c : text)
            if (c == '|') c = '\0';
        CInstallerDownloader d;
        EXPECT_EQ(r.accepted, ParseLtFile(body_of(text), d, windows_64bit));
        EXPECT_EQ(r.setup_url, d.GetSetupUrl());
        EXPECT_FALSE(d.newer_release);
        EXPECT_EQ(r.manual_found, d.list_manual_found);
    }
}

TEST(InstallerList, TwoThreadsParseAtOnce) {
    const std::vector<char> body = fixture("installer6.lt");
    auto worker = [&body](bool platform, bool* all_ok) {
        for (int i = 0; i < 500; ++i) {
            CInstallerDownloader d;
            bool ok = ParseLtFile(body, d, platform);
            const wchar_t* expected = platform ? L"http://127.0.0.1:8080/ovn6/setup64.exe"
                                               : L"http://127.0.0.1:8080/ovn6/setup32.exe";
            if (!ok || d.GetSetupUrl() != expected) *all_ok = false;
        }
    };
    bool ok32 = true;
    bool ok64 = true;
    std::thread first(worker, windows_32bit, &ok32);
    std::thread second(worker, windows_64bit, &ok64);
    first.join();
    second.join();
    EXPECT_TRUE(ok32);
    EXPECT_TRUE(ok64);
}

TEST(InstallerList, LauncherPathUsesThisMachinesProcessorType) {
    // The tests run on 64-bit Windows.
    CInstallerDownloader d;
    EXPECT_TRUE(ParseLtFile(fixture("installer6.lt"), d));
    EXPECT_EQ(L"http://127.0.0.1:8080/ovn6/setup64.exe", d.GetSetupUrl());
}
