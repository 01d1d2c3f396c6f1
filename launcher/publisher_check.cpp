#include "publisher_check.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include "system_log.h"

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

std::wstring launcher_publisher() {
    wchar_t path[module_path_capacity + 1] = {};
    if (!::GetModuleFileNameW(nullptr, path, module_path_capacity)) return std::wstring();
    const signature_report report = verify_signature(path);
    return report.trust_result == ERROR_SUCCESS ? report.signer : std::wstring();
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
