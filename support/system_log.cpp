#include "system_log.h"

#include <boost/format.hpp>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "path_util.h"
#include "string_convert.h"

namespace {

constexpr wchar_t mutex_name[] = L"Global\\OVN5_SYSTEM_LOG_MUTEX_KEY";
constexpr wchar_t full_marker[] = L"C:\\temp\\ovn6_launcher_syslog_full.txt";
constexpr wchar_t booster_marker[] = L"C:\\temp\\ovn6_launcher_syslog_booster30.txt";
constexpr unsigned full_level = 20;
constexpr unsigned boosted_level = 30;

// The directory already ends with a separator; the doubled one that this
// gives is read as one by the file functions.
constexpr wchar_t generation_format[] = L"%s\\system.%02d.log";

constexpr char line_format[] = "%04d/%02d/%02d %02d:%02d:%02d\tPID:0x%x(%s)\tLogLv:%d/%d\t%s\t%s\r\n";
constexpr char line_end[] = "\r\n";
constexpr size_t line_end_length = sizeof(line_end) - 1;

constexpr size_t message_buffer_size = 2048;
constexpr DWORD user_name_buffer_size = 512;
constexpr int open_attempts = 3;
constexpr DWORD open_retry_delay_ms = 10;

// The one output stream of the process, opened and closed for every line.
// Created on first use, which is always under the log mutex.
std::ofstream& log_stream() {
    static std::ofstream stream;
    return stream;
}

// Holds the log mutex for one line. A duplicate of the log's handle is
// waited on so that the log's own handle is never closed here; when
// duplication fails the log's own handle is used and only released.
class log_lock {
public:
    explicit log_lock(HANDLE mutex) : mutex_(mutex) {
        if (!mutex_) return;
        HANDLE duplicate = nullptr;
        if (::DuplicateHandle(::GetCurrentProcess(), mutex_, ::GetCurrentProcess(), &duplicate, 0, FALSE,
                              DUPLICATE_SAME_ACCESS)) {
            duplicate_.reset(duplicate);
        }
        // An abandoned mutex counts as acquired: its owner died mid-line.
        ::WaitForSingleObject(duplicate_ ? duplicate_.get() : mutex_, INFINITE);
    }
    ~log_lock() {
        if (mutex_) ::ReleaseMutex(duplicate_ ? duplicate_.get() : mutex_);
    }
    log_lock(const log_lock&) = delete;
    log_lock& operator=(const log_lock&) = delete;

private:
    HANDLE mutex_;
    kernel_handle duplicate_;
};

// Length of the longest prefix of text[0, limit) that ends on a character
// boundary of the ANSI code page, so a cut never splits a two-byte character.
size_t ansi_prefix_length(const char* text, size_t limit) {
    size_t position = 0;
    while (position < limit) {
        size_t width = ::IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(text[position])) ? 2 : 1;
        if (position + width > limit) break;
        position += width;
    }
    return position;
}

}  // namespace

my_system_log& system_log() {
    static my_system_log log;
    return log;
}

namespace {
// Built during static initialisation, before main and before any thread,
// yet also safe for a static object elsewhere that logs first.
[[maybe_unused]] my_system_log& log_at_start = system_log();
}  // namespace

my_system_log::my_system_log() = default;

my_system_log::~my_system_log() {
    if (mutex_) ::ReleaseMutex(mutex_.get());
    mutex_.reset();
    std::memset(line_buffer_, 0, sizeof(line_buffer_));
}

bool my_system_log::initialize(const std::wstring& directory, const std::wstring& module_name) {
    HANDLE mutex = ::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, mutex_name);
    if (!mutex) {
        if (::GetLastError() != ERROR_FILE_NOT_FOUND) return false;
        // A null DACL: processes of every user may share the log.
        SECURITY_DESCRIPTOR descriptor;
        if (!::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)) return false;
        if (!::SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) return false;
        SECURITY_ATTRIBUTES attributes{};
        attributes.nLength = sizeof(attributes);
        attributes.lpSecurityDescriptor = &descriptor;
        attributes.bInheritHandle = FALSE;
        // Another process creating it at the same moment gives us its mutex.
        mutex = ::CreateMutexW(&attributes, FALSE, mutex_name);
        if (!mutex) return false;
    }
    mutex_.reset(mutex);

    if (directory.empty() || module_name.empty()) return false;
    directory_ = directory;
    file_path_ = directory_ + file_name_;
    module_name_ = wide_to_ansi(module_name);
    process_id_ = ::GetCurrentProcessId();

    char user[user_name_buffer_size] = {};
    DWORD user_size = user_name_buffer_size;
    user_name_ = ::GetUserNameA(user, &user_size) ? std::string(user) : std::string();

    if (!file_exists(full_marker)) return true;
    level_ = file_exists(booster_marker) ? boosted_level : full_level;
    return true;
}

bool my_system_log::write_a(unsigned level, const char* format, ...) {
    if (level > level_) return false;
    char message[message_buffer_size];
    va_list arguments;
    va_start(arguments, format);
    int length = std::vsnprintf(message, sizeof(message), format, arguments);
    va_end(arguments);
    if (length < 0) message[0] = '\0';
    return write_line(message, level);
}

bool my_system_log::write_w(unsigned level, const wchar_t* format, ...) {
    if (level > level_) return false;
    // The runtime's own wide formatter: its %s takes wide strings.
    wchar_t message[message_buffer_size];
    va_list arguments;
    va_start(arguments, format);
    int length = ::_vsnwprintf(message, message_buffer_size - 1, format, arguments);
    va_end(arguments);
    message[message_buffer_size - 1] = L'\0';
    if (length < 0) length = static_cast<int>(std::wcslen(message));

    // One byte beyond the 2048 the text may take, for its terminator.
    char ansi[message_buffer_size + 1];
    int converted =
        ::WideCharToMultiByte(CP_ACP, 0, message, length, ansi, static_cast<int>(message_buffer_size), nullptr, nullptr);
    if (converted <= 0) return false;
    ansi[converted] = '\0';
    return write_line(ansi, level);
}

bool my_system_log::write_line(const char* message, unsigned level) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);

    log_lock lock(mutex_.get());
    std::ofstream& stream = log_stream();
    if (!open_file()) return false;

    stream.seekp(0, std::ios_base::end);
    if (stream) {
        std::streamoff size = stream.tellp();
        if (size >= static_cast<std::streamoff>(max_size_) && !rotate()) return false;
    }
    stream.clear();

    int length = std::snprintf(line_buffer_, sizeof(line_buffer_), line_format, now.wYear, now.wMonth, now.wDay,
                               now.wHour, now.wMinute, now.wSecond, static_cast<unsigned>(process_id_),
                               user_name_.c_str(), static_cast<int>(level_), static_cast<int>(level),
                               module_name_.c_str(), message);
    size_t line_length = length < 0 ? 0 : static_cast<size_t>(length);
    if (line_length >= sizeof(line_buffer_)) {
        // Too long for the buffer: cut on a character boundary and still end
        // the line, so the next line starts on a line of its own.
        line_length = ansi_prefix_length(line_buffer_, sizeof(line_buffer_) - 1 - line_end_length);
        std::memcpy(line_buffer_ + line_length, line_end, line_end_length + 1);
        line_length += line_end_length;
    }
    stream.write(line_buffer_, static_cast<std::streamsize>(line_length));
    stream.close();
    bool written = !stream.fail();
    stream.clear();
    return written;
}

bool my_system_log::open_file() {
    std::ofstream& stream = log_stream();
    for (int attempt = 0; attempt < open_attempts; ++attempt) {
        stream.clear();
        // The runtime opens with deny-none sharing: readers and other writers
        // may have the file open meanwhile.
        stream.open(file_path_.c_str(), std::ios_base::out | std::ios_base::app | std::ios_base::binary);
        if (stream.is_open()) return true;
        ::Sleep(open_retry_delay_ms);
    }
    stream.clear();
    return false;
}

std::wstring my_system_log::generation_path(int generation) const {
    return (boost::wformat(generation_format) % directory_ % generation).str();
}

bool my_system_log::rotate() {
    std::ofstream& stream = log_stream();
    for (int k = generations_ - 1; k >= 2; --k) {
        std::wstring older = generation_path(k - 1);
        if (!file_exists(older)) continue;
        if (!::MoveFileExW(older.c_str(), generation_path(k).c_str(), MOVEFILE_REPLACE_EXISTING)) {
            stream.close();
            stream.clear();
            return false;
        }
    }
    stream.close();
    stream.clear();
    file_path_ = directory_ + file_name_;
    if (!::MoveFileW(file_path_.c_str(), generation_path(1).c_str())) return false;
    return open_file();
}
