// Ties the setup programs the launcher starts to the launcher's own
// publisher. The installer list travels over plain HTTP, so a digest from
// it proves only that the download is what the list named; a signature by
// the launcher's own signer proves who made it. A launcher whose own
// signature is not accepted has no publisher, and nothing is checked.
#pragma once

#include <windows.h>

#include <string>

// What the system's Authenticode verifier says of one file.
struct signature_report {
    LONG trust_result = 0;  // WinVerifyTrust's answer; 0 when the signature is accepted
    std::wstring signer;    // subject of the signing certificate; empty when unknown
};

// Verifies path (through file when it is open, so what is checked is what
// the caller holds) with no UI and no revocation check over the network.
signature_report verify_signature(const std::wstring& path, HANDLE file = INVALID_HANDLE_VALUE);

// The signer of the launcher's own exe when its signature is accepted;
// empty otherwise. Verified once, through the exe held open for the life
// of the process; later calls give the same answer.
std::wstring launcher_publisher();

// The signer of the launcher file at path (read through file when it is
// open) when its signature is accepted; empty otherwise, with a log line
// when the file is signed but the signature is refused.
std::wstring publisher_of_launcher(const std::wstring& path, HANDLE file = INVALID_HANDLE_VALUE);

// Why report does not show a file of publisher; nullptr when it does. The
// subject is compared, not the key, so renewed certificates keep working.
const char* publisher_mismatch(const signature_report& report, const std::wstring& publisher);

// True when publisher is empty, or the file is signed by publisher with an
// accepted signature; otherwise logs why, with the verifier's answer.
bool from_publisher(const std::wstring& path, HANDLE file, const std::wstring& publisher);
