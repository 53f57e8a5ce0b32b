#include "framework/EnumFormatEtc.h"
#include <cstring>
#include <new>

bool CopyFormatEtc(FORMATETC& dest, const FORMATETC& source)
{
    dest = source;
    if (!source.ptd)
        return true;
    dest.ptd = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(source.ptd->tdSize));
    if (!dest.ptd)
        return false;
    std::memcpy(dest.ptd, source.ptd, source.ptd->tdSize);
    return true;
}

HRESULT CEnumFormatEtc::Create(const FORMATETC* pFormats, ULONG nCount, IEnumFORMATETC** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = nullptr;
    CEnumFormatEtc* pEnum = new (std::nothrow) CEnumFormatEtc;
    if (!pEnum)
        return E_OUTOFMEMORY;
    pEnum->m_formats.reserve(nCount);
    for (ULONG i = 0; i < nCount; ++i) {
        FORMATETC copy;
        if (!CopyFormatEtc(copy, pFormats[i])) {
            pEnum->Release();
            return E_OUTOFMEMORY;
        }
        pEnum->m_formats.push_back(copy);
    }
    *ppEnum = pEnum;
    return S_OK;
}

CEnumFormatEtc::~CEnumFormatEtc()
{
    for (FORMATETC& format : m_formats)
        CoTaskMemFree(format.ptd);
}

HRESULT CEnumFormatEtc::Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched)
{
    if (!rgelt || (celt != 1 && !pceltFetched))
        return E_POINTER;
    ULONG nFetched = 0;
    while (nFetched < celt && m_nPos < m_formats.size()) {
        if (!CopyFormatEtc(rgelt[nFetched], m_formats[m_nPos])) {
            // Hand back nothing rather than a partial run the caller cannot tell from success.
            for (ULONG i = 0; i < nFetched; ++i)
                CoTaskMemFree(rgelt[i].ptd);
            m_nPos -= nFetched;
            if (pceltFetched)
                *pceltFetched = 0;
            return E_OUTOFMEMORY;
        }
        ++nFetched;
        ++m_nPos;
    }
    if (pceltFetched)
        *pceltFetched = nFetched;
    return nFetched == celt ? S_OK : S_FALSE;
}

HRESULT CEnumFormatEtc::Skip(ULONG celt)
{
    const size_t nLeft = m_formats.size() - m_nPos;
    if (celt > nLeft) {
        m_nPos = m_formats.size();
        return S_FALSE;
    }
    m_nPos += celt;
    return S_OK;
}

HRESULT CEnumFormatEtc::Reset()
{
    m_nPos = 0;
    return S_OK;
}

HRESULT CEnumFormatEtc::Clone(IEnumFORMATETC** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    const HRESULT hr = Create(m_formats.data(), static_cast<ULONG>(m_formats.size()), ppEnum);
    if (SUCCEEDED(hr))
        static_cast<CEnumFormatEtc*>(*ppEnum)->m_nPos = m_nPos;
    return hr;
}
