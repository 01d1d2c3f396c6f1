#include "list_report.h"

#include "string_convert.h"

static std::string text_of(const std::wstring& value) { return value.empty() ? "none" : wide_to_ansi(value); }

static std::string from_line(int line) { return line ? " (line " + std::to_string(line) + ")" : std::string(); }

static void print_machine(std::FILE* out, int machine, const list_check& check) {
    const installer_list& v = check.taken[machine];
    std::fprintf(out, "%s machines:\n", machine_name(machine));
    if (v.latest_setup.url.empty())
        std::fprintf(out, "  latest installer: none\n");
    else
        std::fprintf(out, "  latest installer: version %s, digest %s, address %s%s\n", text_of(v.latest_setup.version).c_str(),
                     text_of(v.latest_setup.digest).c_str(), text_of(v.latest_setup.url).c_str(),
                     from_line(check.setup_line[machine]).c_str());
    if (!v.newer_release.announced)
        std::fprintf(out, "  newer release:    none\n");
    else
        std::fprintf(out, "  newer release:    version %s, page %s%s\n", text_of(v.newer_release.version).c_str(),
                     text_of(v.newer_release.page_url).c_str(), from_line(check.newer_line[machine]).c_str());
    if (v.manual.page_url.empty())
        std::fprintf(out, "  manual:           none\n");
    else
        std::fprintf(out, "  manual:           digest %s, page %s%s\n", text_of(v.manual.digest).c_str(),
                     text_of(v.manual.page_url).c_str(), from_line(check.manual_line[machine]).c_str());
}

void print_check_report(std::FILE* out, const list_check& check) {
    print_machine(out, machine_32bit, check);
    print_machine(out, machine_64bit, check);
    for (const list_warning& w : check.warnings) {
        if (w.line)
            std::fprintf(out, "line %d: %s: %s\n", w.line, w.kind.c_str(), w.message.c_str());
        else
            std::fprintf(out, "file: %s: %s\n", w.kind.c_str(), w.message.c_str());
    }
    std::size_t count = check.warnings.size();
    std::fprintf(out, "%zu warning%s; %s\n", count, count == 1 ? "" : "s",
                 check.every_machine_served() ? "both machine types get a usable entry"
                                              : "a machine type gets no usable entry");
}
