// An enumerator over a fixed list of clipboard formats, as data objects hand out.
#pragma once
#include <windows.h>
#include "framework/ComObject.h"
#include <ole2.h>
#include <vector>

class CEnumFormatEtc final : public CComObject<IEnumFORMATETC, IID_IEnumFORMATETC> {
public:
    // A new enumerator (one reference) over copies of the formats.
    static HRESULT Create(const FORMATETC* pFormats, ULONG nCount, IEnumFORMATETC** ppEnum);

    HRESULT STDMETHODCALLTYPE Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** ppEnum) override;

private:
    CEnumFormatEtc() = default;
    ~CEnumFormatEtc() override;

    size_t m_nPos = 0;
    std::vector<FORMATETC> m_formats;  // target devices owned, from CoTaskMemAlloc
};

// Copies a format; the copy's target device is a new CoTaskMemAlloc block. False when out of memory.
bool CopyFormatEtc(FORMATETC& dest, const FORMATETC& source);
