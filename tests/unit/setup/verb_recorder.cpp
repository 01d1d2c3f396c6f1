// The verb recorder: a context-menu handler for programs, registered only in
// the setup tests' own Wine prefix (verb_recorder.reg.in). When a program is
// started through ShellExecuteEx, Wine's shell first offers the verb to the
// handlers of the program's class: it asks each for its menu and invokes
// the item whose text equals the verb. This handler offers one item per
// verb below, appends "VERB<tab>PROGRAM" (UTF-8) to shell-verbs.txt in the
// program's folder when one is invoked, and then declines, so the shell
// goes on and starts the program itself as usual.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "win_handle.h"

namespace {

// {1E342D42-1E26-4362-82D0-47AC3B056B1F}, as in verb_recorder.reg.in.
constexpr CLSID recorder_class = {0x1e342d42, 0x1e26, 0x4362, {0x82, 0xd0, 0x47, 0xac, 0x3b, 0x05, 0x6b, 0x1f}};
constexpr const wchar_t* verbs[] = {L"open", L"runas"};
constexpr UINT verb_count = sizeof(verbs) / sizeof(verbs[0]);
constexpr wchar_t record_name[] = L"shell-verbs.txt";

std::string utf8(const std::wstring& text) {
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                     nullptr);
    if (size <= 0) return std::string();
    std::string result(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size, nullptr, nullptr);
    return result;
}

void append_record(const std::wstring& program, const wchar_t* verb) {
    const std::wstring record = program.substr(0, program.rfind(L'\\') + 1) + record_name;
    const std::string line = utf8(std::wstring(verb) + L"\t" + program + L"\r\n");
    file_handle file(::CreateFileW(record.c_str(), FILE_APPEND_DATA,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// The first file of a shell data object, or an empty text.
std::wstring first_file_of(IDataObject* data) {
    if (!data) return std::wstring();
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&format, &medium))) return std::wstring();
    std::wstring file;
    HDROP drop = static_cast<HDROP>(medium.hGlobal);
    UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
    if (length > 0) {
        file.resize(length + 1);
        file.resize(::DragQueryFileW(drop, 0, &file[0], length + 1));
    }
    ::ReleaseStgMedium(&medium);
    return file;
}

// Wine asks for all three interfaces and invokes nothing without the site.
class verb_handler final : public IShellExtInit, public IContextMenu, public IObjectWithSite {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (id == IID_IUnknown || id == IID_IShellExtInit) {
            *object = static_cast<IShellExtInit*>(this);
        } else if (id == IID_IContextMenu) {
            *object = static_cast<IContextMenu*>(this);
        } else if (id == IID_IObjectWithSite) {
            *object = static_cast<IObjectWithSite*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = ::InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) override {
        program_ = first_file_of(data);
        return program_.empty() ? E_FAIL : S_OK;
    }

    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT position, UINT first_id, UINT, UINT) override {
        for (UINT k = 0; k < verb_count; ++k) {
            if (!::InsertMenuW(menu, position + k, MF_BYPOSITION | MF_STRING, first_id + k, verbs[k])) {
                return HRESULT_FROM_WIN32(::GetLastError());
            }
        }
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, verb_count);
    }

    // Wine passes the position of the chosen item as the verb.
    HRESULT STDMETHODCALLTYPE InvokeCommand(LPCMINVOKECOMMANDINFO info) override {
        if (info && IS_INTRESOURCE(info->lpVerb)) {
            UINT item = LOWORD(reinterpret_cast<ULONG_PTR>(info->lpVerb));
            if (item < verb_count) append_record(program_, verbs[item]);
        }
        return E_FAIL;  // the shell starts the program itself
    }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE SetSite(IUnknown*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSite(REFIID, void** site) override {
        *site = nullptr;
        return E_FAIL;
    }

private:
    ~verb_handler() = default;

    LONG references_ = 1;
    std::wstring program_;
};

class handler_factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (id == IID_IUnknown || id == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // One static object for the life of the module.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** object) override {
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        verb_handler* handler = new verb_handler();
        HRESULT result = handler->QueryInterface(id, object);
        handler->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

handler_factory factory;

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID class_id, REFIID id,
                                                                           void** object) {
    *object = nullptr;
    if (class_id != recorder_class) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(id, object);
}

// The module stays loaded: the shell's threads come and go with each start.
extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_FALSE; }
