#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "http/shared_state.h"
#include "publisher_check.h"
#include "setup_hold.h"

namespace {

// Copies of one program made by the signing fixture (see
// tests/signing/throwaway_signing.py), beside the test program.
const std::wstring signed_folder = L"signed\\";
const wchar_t publisher_name[] = L"Milbek Test Co.";

std::wstring copy_of(const wchar_t* name) { return signed_folder + name; }

struct signed_copy {
    const wchar_t* name;
    LONG trust_result;
    const char* mismatch;  // against the publisher's own subject; nullptr: accepted
    bool refused_launcher_logged;  // as the launcher's own file: signed, but refused
};

// The verifier's answers here are the system's; a trusted root is not
// demanded by every verifier, so the throwaway CA's signatures count.
const signed_copy copies[] = {
    {L"publisher.exe", ERROR_SUCCESS, nullptr, false},
    {L"renewed.exe", ERROR_SUCCESS, nullptr, false},  // same subject, new key
    {L"other.exe", ERROR_SUCCESS, "signed by another publisher", false},
    {L"altered.exe", TRUST_E_BAD_DIGEST, "signature not accepted", true},
    {L"unsigned.exe", TRUST_E_NOSIGNATURE, "signature not accepted", false},
};

std::wstring publisher_subject() { return verify_signature(copy_of(L"publisher.exe")).signer; }

TEST(PublisherCheck, OnlyAnAcceptedSignatureWithThePublishersSubjectPasses) {
    const std::wstring publisher = publisher_subject();
    ASSERT_NE(std::wstring::npos, publisher.find(publisher_name)) << "signer: " << publisher.size();
    for (const signed_copy& copy : copies) {
        SCOPED_TRACE(testing::Message() << "file " << copy.name);
        const signature_report report = verify_signature(copy_of(copy.name));
        EXPECT_EQ(copy.trust_result, report.trust_result);
        const char* mismatch = publisher_mismatch(report, publisher);
        if (copy.mismatch) {
            EXPECT_TRUE(mismatch && std::strcmp(copy.mismatch, mismatch) == 0) << (mismatch ? mismatch : "(none)");
            EXPECT_FALSE(from_publisher(copy_of(copy.name), INVALID_HANDLE_VALUE, publisher));
        } else {
            EXPECT_EQ(nullptr, mismatch) << mismatch;
            EXPECT_TRUE(from_publisher(copy_of(copy.name), INVALID_HANDLE_VALUE, publisher));
        }
        // Without a publisher nothing is checked.
        EXPECT_TRUE(from_publisher(copy_of(copy.name), INVALID_HANDLE_VALUE, std::wstring()));
    }
}

TEST(PublisherCheck, UnsignedLauncherHasNoPublisher) { EXPECT_EQ(std::wstring(), launcher_publisher()); }

// A launcher file's publisher is its accepted signer. A signature that is
// refused turns the checks off, and the log says so; no signature at all
// is a launcher built to check nothing, and says nothing.
TEST(PublisherCheck, LauncherWhoseSignatureIsRefusedSaysSo) {
    for (const signed_copy& copy : copies) {
        SCOPED_TRACE(testing::Message() << "file " << copy.name);
        scoped_detail_log log;
        const size_t earlier = log.text().size();
        const std::wstring path = copy_of(copy.name);
        const std::wstring expected = copy.trust_result == ERROR_SUCCESS ? verify_signature(path).signer : L"";
        EXPECT_EQ(expected, publisher_of_launcher(path));
        const std::string written = log.text().substr(earlier);
        EXPECT_EQ(copy.refused_launcher_logged,
                  written.find("\tlauncher signature not accepted (WinVerifyTrust 0x") != std::string::npos)
            << written;
    }
}

// The hold reads the digest first; the signature must still be checked
// from the start of the held file, and a foreign one lets the file go.
TEST(PublisherCheck, HoldChecksTheSignatureThroughItsHandle) {
    const std::wstring publisher = publisher_subject();
    setup_hold hold;
    EXPECT_TRUE(hold.hold_matching(copy_of(L"renewed.exe"), std::wstring(), publisher));
    EXPECT_TRUE(hold.held());
    EXPECT_FALSE(hold.hold_matching(copy_of(L"other.exe"), std::wstring(), publisher));
    EXPECT_FALSE(hold.held());
    EXPECT_TRUE(hold.hold_matching(copy_of(L"other.exe"), std::wstring(), std::wstring()));
}

}  // namespace
