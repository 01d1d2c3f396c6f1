#include "resource_reader.h"

#include <cstring>

resource_reader::resource_reader(const std::wstring& path) {
    module_.reset(::LoadLibraryExW(path.c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module_) load_error_ = ::GetLastError();
}

std::vector<uint8_t> resource_reader::bytes(LPCWSTR type, LPCWSTR name, WORD language) const {
    HRSRC info = ::FindResourceExW(module_.get(), type, name, language);
    if (!info) return {};
    HGLOBAL data = ::LoadResource(module_.get(), info);
    const void* p = data ? ::LockResource(data) : nullptr;
    if (!p) return {};
    const auto* first = static_cast<const uint8_t*>(p);
    return std::vector<uint8_t>(first, first + ::SizeofResource(module_.get(), info));
}

static BOOL CALLBACK collect_language(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return TRUE;
}

std::vector<WORD> resource_reader::languages(LPCWSTR type, LPCWSTR name) const {
    std::vector<WORD> out;
    ::EnumResourceLanguagesW(module_.get(), type, name, collect_language,
                             reinterpret_cast<LONG_PTR>(&out));
    return out;
}

static BOOL CALLBACK collect_id(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<WORD>*>(param)->push_back(LOWORD(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

std::vector<WORD> resource_reader::ids(LPCWSTR type) const {
    std::vector<WORD> out;
    ::EnumResourceNamesW(module_.get(), type, collect_id, reinterpret_cast<LONG_PTR>(&out));
    return out;
}

// Walks a template's bytes; every read checks the length first.
class template_cursor {
public:
    explicit template_cursor(const std::vector<uint8_t>& data) : data_(data) {}

    bool ok() const { return ok_; }

    template <typename T>
    T read() {
        T value{};
        if (pos_ + sizeof(T) > data_.size()) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, data_.data() + pos_, sizeof(T));
        pos_ += sizeof(T);
        return value;
    }

    std::wstring read_text() {
        std::wstring text;
        for (;;) {
            auto c = read<wchar_t>();
            if (!ok_ || c == 0) return text;
            text.push_back(c);
        }
    }

    // sz_Or_Ord: 0 (none), 0xFFFF followed by an ordinal, or a text.
    template_field read_field() {
        template_field field;
        size_t start = pos_;
        auto first = read<WORD>();
        if (first == 0xFFFF) {
            field.is_ordinal = true;
            field.ordinal = read<WORD>();
        } else if (first != 0) {
            pos_ = start;
            field.text = read_text();
        }
        return field;
    }

    void align_dword() { pos_ = (pos_ + 3) & ~size_t{3}; }
    void skip(size_t n) {
        if (pos_ + n > data_.size()) ok_ = false;
        else pos_ += n;
    }

private:
    const std::vector<uint8_t>& data_;
    size_t pos_ = 0;
    bool ok_ = true;
};

bool parse_dialog_template(const std::vector<uint8_t>& data, dialog_template& out) {
    template_cursor c(data);
    out.version = c.read<WORD>();
    out.signature = c.read<WORD>();
    if (!c.ok() || out.version != 1 || out.signature != 0xFFFF) return false;
    out.help_id = c.read<DWORD>();
    out.ex_style = c.read<DWORD>();
    out.style = c.read<DWORD>();
    WORD count = c.read<WORD>();
    out.x = c.read<short>();
    out.y = c.read<short>();
    out.cx = c.read<short>();
    out.cy = c.read<short>();
    out.menu = c.read_field();
    out.window_class = c.read_field();
    out.title = c.read_text();
    if (out.style & DS_SETFONT) {
        out.point_size = c.read<WORD>();
        out.weight = c.read<WORD>();
        out.italic = c.read<BYTE>();
        out.charset = c.read<BYTE>();
        out.typeface = c.read_text();
    }
    for (WORD i = 0; i < count && c.ok(); ++i) {
        c.align_dword();
        dialog_item item;
        item.help_id = c.read<DWORD>();
        item.ex_style = c.read<DWORD>();
        item.style = c.read<DWORD>();
        item.x = c.read<short>();
        item.y = c.read<short>();
        item.cx = c.read<short>();
        item.cy = c.read<short>();
        item.id = c.read<DWORD>();
        item.window_class = c.read_field();
        item.title = c.read_field();
        item.extra_bytes = c.read<WORD>();
        c.skip(item.extra_bytes);
        out.items.push_back(item);
    }
    return c.ok();
}

bool string_from_table(const resource_reader& reader, UINT id, WORD language, std::wstring& out) {
    // Strings live in blocks of 16, each a length-prefixed UTF-16 text.
    auto block = reader.bytes(RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    size_t pos = 0;
    for (UINT i = 0; i < 16; ++i) {
        WORD length = 0;
        if (pos + sizeof length > block.size()) return false;
        std::memcpy(&length, block.data() + pos, sizeof length);
        pos += sizeof length;
        if (pos + length * sizeof(wchar_t) > block.size()) return false;
        if (i == id % 16) {
            out.assign(reinterpret_cast<const wchar_t*>(block.data() + pos), length);
            return length != 0;
        }
        pos += length * sizeof(wchar_t);
    }
    return false;
}
