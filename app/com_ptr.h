// Owner of one COM interface reference: released exactly once.
#pragma once

#include <unknwn.h>

#include <memory>

struct ComReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};

template <class Interface>
using ComPtr = std::unique_ptr<Interface, ComReleaser>;

// `from`'s interface `iid`, or null.
template <class Interface>
ComPtr<Interface> QueryInterfaceOf(IUnknown* from, REFIID iid)
{
    Interface* found = nullptr;
    if (from == nullptr || FAILED(from->QueryInterface(iid, reinterpret_cast<void**>(&found))))
        return nullptr;
    return ComPtr<Interface>(found);
}
