// COM for the calling thread, in a single-threaded apartment without OLE1
// DDE: what the shell asks of every thread that hands it programs or
// documents, since it may pass them on to extensions built on COM. For the
// life of the object.
#pragma once

#include <windows.h>

class com_apartment {
public:
    com_apartment();
    ~com_apartment();
    com_apartment(const com_apartment&) = delete;
    com_apartment& operator=(const com_apartment&) = delete;

    // S_OK, or S_FALSE when the thread was already in such an apartment;
    // RPC_E_CHANGED_MODE when another caller put it in another kind.
    HRESULT result() const { return result_; }

private:
    HRESULT result_;
};
