// IUnknown for a COM object with one interface, on the heap, counted from 1.
#pragma once
#include <windows.h>

template <class TInterface, const IID& kIid>
class CComObject : public TInterface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIid)) {
            *ppv = static_cast<TInterface*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_cRef)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG cRef = InterlockedDecrement(&m_cRef);
        if (cRef == 0)
            delete this;
        return static_cast<ULONG>(cRef);
    }

protected:
    virtual ~CComObject() = default;

private:
    LONG m_cRef = 1;
};
