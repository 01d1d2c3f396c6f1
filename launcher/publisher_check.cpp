#include "publisher_check.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include "system_log.h"
#include "win_handle.h"

namespace {

constexpr DWORD module_path_capacity = MAX_PATH;
constexpr DWORD certificate_encoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
// The whole distinguished name, so every part of the subject counts.
constexpr DWORD subject_format = CERT_X500_NAME_STR;

// The verifier's state between its verify and close actions.
class trust_state {
public:
    explicit trust_state(WINTRUST_DATA& data) : data_(data) {}
    ~trust_state() {
        GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
        data_.dwStateAction = WTD_STATEACTION_CLOSE;
        ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data_);
    }
    trust_state(const trust_state&) = delete;
    trust_state& operator=(const trust_state&) = delete;

private:
    WINTRUST_DATA& data_;
};

std::wstring subject_of(PCCERT_CONTEXT certificate) {
    if (!certificate || !certificate->pCertInfo) return std::wstring();
    CERT_NAME_BLOB* subject = &certificate->pCertInfo->Subject;
    const DWORD length = ::CertNameToStrW(certificate->dwCertEncodingType, subject, subject_format, nullptr, 0);
    if (length <= 1) return std::wstring();
    std::wstring text(length, L'\0');
    ::CertNameToStrW(certificate->dwCertEncodingType, subject, subject_format, &text[0], length);
    text.resize(length - 1);
    return text;
}

// The certificate that signed the file, from the verifier's state.
std::wstring signer_of(HANDLE state) {
    CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(state);
    if (!provider) return std::wstring();
    CRYPT_PROVIDER_SGNR* signer = ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
    if (!signer) return std::wstring();
    CRYPT_PROVIDER_CERT* certificate = ::WTHelperGetProvCertFromChain(signer, 0);
    return certificate ? subject_of(certificate->pCert) : std::wstring();
}

}  // namespace

signature_report verify_signature(const std::wstring& path, HANDLE file) {
    WINTRUST_FILE_INFO file_info{};
    file_info.cbStruct = sizeof(file_info);
    file_info.pcwszFilePath = path.c_str();
    if (file != INVALID_HANDLE_VALUE && file != nullptr) {
        // The verifier reads through the handle from where it stands.
        LARGE_INTEGER start{};
        ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
        file_info.hFile = file;
    }

    WINTRUST_DATA data{};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file_info;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;

    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    signature_report report;
    report.trust_result = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    trust_state state(data);
    if (report.trust_result == ERROR_SUCCESS) report.signer = signer_of(data.hWVTStateData);
    return report;
}

std::wstring publisher_of_launcher(const std::wstring& path, HANDLE file) {
    const signature_report report = verify_signature(path, file);
    if (report.trust_result == ERROR_SUCCESS && !report.signer.empty()) return report.signer;
    // An unsigned launcher checks nothing by design; a signed one whose
    // signature is refused (expired without a time stamp, a missing root)
    // would otherwise switch the checks off without a word.
    if (report.trust_result != TRUST_E_NOSIGNATURE)
        system_log().write_w(log_level_info,
                             L"launcher signature not accepted (WinVerifyTrust 0x%08X), setups are not checked: %s",
                             static_cast<unsigned>(report.trust_result), path.c_str());
    return std::wstring();
}

namespace {

// The launcher's exe stays open for the life of the process, denying
// writes and deletes, so the file that was verified cannot be renamed away
// and replaced by another at its path.
file_handle own_exe;

std::wstring read_own_publisher() {
    wchar_t path[module_path_capacity + 1] = {};
    if (!::GetModuleFileNameW(nullptr, path, module_path_capacity)) return std::wstring();
    own_exe.reset(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!own_exe) {
        system_log().write_w(log_level_info, L"launcher not opened for its signature (error %u), setups are not checked: %s",
                             static_cast<unsigned>(::GetLastError()), path);
        return std::wstring();
    }
    return publisher_of_launcher(path, own_exe.get());
}

}  // namespace

std::wstring launcher_publisher() {
    // Read at the first install run and kept: later runs use that answer.
    static const std::wstring publisher = read_own_publisher();
    return publisher;
}

const char* publisher_mismatch(const signature_report& report, const std::wstring& publisher) {
    if (report.trust_result != ERROR_SUCCESS) return "signature not accepted";
    if (report.signer.empty()) return "signer unknown";
    if (report.signer != publisher) return "signed by another publisher";
    return nullptr;
}

bool from_publisher(const std::wstring& path, HANDLE file, const std::wstring& publisher) {
    if (publisher.empty()) return true;
    const signature_report report = verify_signature(path, file);
    const char* reason = publisher_mismatch(report, publisher);
    if (!reason) return true;
    system_log().write_w(log_level_info, L"setup refused, %hs (WinVerifyTrust 0x%08X, signer \"%s\"): %s", reason,
                         static_cast<unsigned>(report.trust_result), report.signer.c_str(), path.c_str());
    return false;
}
