#include "com_apartment.h"

#include <objbase.h>

namespace {

constexpr DWORD apartment_flags = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE;

}  // namespace

com_apartment::com_apartment() : result_(::CoInitializeEx(nullptr, apartment_flags)) {}

com_apartment::~com_apartment() {
    // Every success, S_FALSE included, is balanced. A failed call is not: with
    // RPC_E_CHANGED_MODE the apartment belongs to whoever entered it first.
    if (SUCCEEDED(result_)) ::CoUninitialize();
}
