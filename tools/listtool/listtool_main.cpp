// ovn6list: checks and writes the installer list file that the product's
// web server publishes for the launcher.
//
//   ovn6list check [--strict] FILE
//   ovn6list write --out FILE --version 6.x.x.x --setup32 PATH URL
//                  --setup64 PATH URL --manual PATH PAGE [--newer 7.x.x.x PAGE]
#include "file_bytes.h"
#include "list_check.h"
#include "list_report.h"
#include "list_writer.h"
#include "string_convert.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

// Exit codes.
static const int exit_clean = 0;
static const int exit_warnings = 1;  // check --strict only
static const int exit_unserved = 2;  // a machine type gets no usable entry
static const int exit_usage = 3;
static const int exit_file_error = 4;

static const char usage_text[] =
    "usage:\n"
    "  ovn6list check [--strict] FILE\n"
    "      Prints what the launcher takes from the list file on 32-bit and 64-bit\n"
    "      machines and warns about every entry it would skip or misread.\n"
    "      Exit code 2 when a machine type gets no usable entry; with --strict,\n"
    "      exit code 1 when there is any warning.\n"
    "  ovn6list write --out FILE --version VERSION --setup32 PATH URL\n"
    "                 --setup64 PATH URL --manual PATH PAGE [--newer VERSION PAGE]\n"
    "      Writes a list file: the two setup programs with their download\n"
    "      addresses and the manual with its web page, digests taken from the\n"
    "      files; --newer announces a release with a higher major version.\n";

static int usage(const std::string& problem) {
    if (!problem.empty()) std::fprintf(stderr, "ovn6list: %s\n", problem.c_str());
    std::fputs(usage_text, stderr);
    return exit_usage;
}

static int check_command(const std::vector<std::wstring>& args) {
    bool strict = false;
    std::wstring path;
    for (const std::wstring& arg : args) {
        if (arg == L"--strict")
            strict = true;
        else if (path.empty())
            path = arg;
        else
            return usage("check takes one file");
    }
    if (path.empty()) return usage("check needs a file");

    std::vector<char> body;
    DWORD error = 0;
    if (!read_file_bytes(path, body, error)) {
        std::fprintf(stderr, "ovn6list: cannot read \"%s\" (error %lu)\n", wide_to_ansi(path).c_str(),
                     static_cast<unsigned long>(error));
        return exit_file_error;
    }
    list_check check = check_list(body);
    print_check_report(stdout, check);
    if (!check.every_machine_served()) return exit_unserved;
    if (strict && !check.warnings.empty()) return exit_warnings;
    return exit_clean;
}

// Option name to its values, each option given once with its own count.
static bool read_options(const std::vector<std::wstring>& args, const std::map<std::wstring, std::size_t>& arity,
                         std::map<std::wstring, std::vector<std::wstring>>& values, std::string& problem) {
    for (std::size_t i = 0; i < args.size();) {
        auto known = arity.find(args[i]);
        if (known == arity.end()) {
            problem = "unknown option \"" + wide_to_ansi(args[i]) + "\"";
            return false;
        }
        if (values.count(args[i])) {
            problem = wide_to_ansi(args[i]) + " is given twice";
            return false;
        }
        if (i + known->second >= args.size()) {
            problem = wide_to_ansi(args[i]) + " needs " + std::to_string(known->second) + " value(s)";
            return false;
        }
        values[args[i]] = std::vector<std::wstring>(args.begin() + i + 1, args.begin() + i + 1 + known->second);
        i += known->second + 1;
    }
    return true;
}

static int write_command(const std::vector<std::wstring>& args) {
    const std::map<std::wstring, std::size_t> arity = {{L"--out", 1},     {L"--version", 1}, {L"--setup32", 2},
                                                       {L"--setup64", 2}, {L"--manual", 2},  {L"--newer", 2}};
    std::map<std::wstring, std::vector<std::wstring>> values;
    std::string problem;
    if (!read_options(args, arity, values, problem)) return usage(problem);
    for (const wchar_t* required : {L"--out", L"--version", L"--setup32", L"--setup64", L"--manual"})
        if (!values.count(required)) return usage("write needs " + wide_to_ansi(required));

    list_request request;
    request.version = values[L"--version"][0];
    request.setup32 = {values[L"--setup32"][0], values[L"--setup32"][1]};
    request.setup64 = {values[L"--setup64"][0], values[L"--setup64"][1]};
    request.manual = {values[L"--manual"][0], values[L"--manual"][1]};
    if (values.count(L"--newer")) {
        request.newer = true;
        request.newer_version = values[L"--newer"][0];
        request.newer_page = values[L"--newer"][1];
    }

    std::vector<char> body;
    if (!compose_list(request, body, problem)) {
        std::fprintf(stderr, "ovn6list: %s\n", problem.c_str());
        return exit_usage;
    }
    const std::wstring& out = values[L"--out"][0];
    DWORD error = 0;
    if (!replace_file_bytes(out, body, error)) {
        std::fprintf(stderr, "ovn6list: cannot write \"%s\" (error %lu)\n", wide_to_ansi(out).c_str(),
                     static_cast<unsigned long>(error));
        return exit_file_error;
    }
    std::fwrite(body.data(), 1, body.size(), stdout);
    std::fprintf(stdout, "wrote \"%s\"\n", wide_to_ansi(out).c_str());
    return exit_clean;
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return usage("");
    std::wstring command = argv[1];
    std::vector<std::wstring> args(argv + 2, argv + argc);
    if (command == L"check") return check_command(args);
    if (command == L"write") return write_command(args);
    return usage("unknown command \"" + wide_to_ansi(command) + "\"");
}
