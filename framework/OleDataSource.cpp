#include "framework/OleDataSource.h"
#include "framework/ComObject.h"
#include "framework/EnumFormatEtc.h"
#include "framework/OleDropSource.h"

// The COM face of the data source. It outlives its owner when a receiver keeps a
// reference; calls then fail instead of reaching a destroyed object.
class COleDataSource::XDataObject final : public CComObject<IDataObject, IID_IDataObject> {
public:
    explicit XDataObject(COleDataSource* pOwner) : m_pOwner(pOwner) {}


    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override
    {
        if (!pformatetcIn || !pmedium)
            return E_POINTER;
        if (!m_pOwner)
            return E_UNEXPECTED;
        pmedium->tymed = TYMED_NULL;
        pmedium->hGlobal = nullptr;
        pmedium->pUnkForRelease = nullptr;
        size_t nIndex = 0;
        const HRESULT hr = m_pOwner->FindFormat(pformatetcIn, &nIndex);
        if (FAILED(hr))
            return hr;
        HGLOBAL hGlobal = nullptr;
        if (!m_pOwner->OnRenderGlobalData(pformatetcIn, &hGlobal) || !hGlobal)
            return DV_E_FORMATETC;
        pmedium->tymed = TYMED_HGLOBAL;
        pmedium->hGlobal = hGlobal;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) override
    {
        if (!pformatetc || !pmedium)
            return E_POINTER;
        if (!m_pOwner)
            return E_UNEXPECTED;
        size_t nIndex = 0;
        const HRESULT hr = m_pOwner->FindFormat(pformatetc, &nIndex);
        if (FAILED(hr))
            return hr;
        if (pmedium->tymed != TYMED_HGLOBAL || !pmedium->hGlobal)
            return DV_E_TYMED;
        // The data must land in the receiver's block; a block of our own would be lost.
        HGLOBAL hGlobal = pmedium->hGlobal;
        const bool bRendered = m_pOwner->OnRenderGlobalData(pformatetc, &hGlobal);
        if (hGlobal != pmedium->hGlobal && hGlobal)
            GlobalFree(hGlobal);
        return bRendered && hGlobal == pmedium->hGlobal ? S_OK : DV_E_FORMATETC;
    }

    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pformatetc) override
    {
        if (!pformatetc)
            return E_POINTER;
        if (!m_pOwner)
            return E_UNEXPECTED;
        size_t nIndex = 0;
        return m_pOwner->FindFormat(pformatetc, &nIndex);
    }

    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) override
    {
        if (!pformatetcOut)
            return E_POINTER;
        pformatetcOut->ptd = nullptr;
        if (!pformatectIn)
            return E_POINTER;
        // Every format is rendered the same whatever the device.
        return DATA_S_SAMEFORMATETC;
    }

    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) override
    {
        if (!ppenumFormatEtc)
            return E_POINTER;
        *ppenumFormatEtc = nullptr;
        if (!m_pOwner)
            return E_UNEXPECTED;
        if (dwDirection != DATADIR_GET)
            return E_NOTIMPL;
        const std::vector<FORMATETC>& formats = m_pOwner->m_formats;
        return CEnumFormatEtc::Create(formats.data(), static_cast<ULONG>(formats.size()), ppenumFormatEtc);
    }

    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    COleDataSource* m_pOwner;

private:
};

COleDataSource::COleDataSource() : m_pDataObject(new XDataObject(this)) {}

COleDataSource::~COleDataSource()
{
    m_pDataObject->m_pOwner = nullptr;
    m_pDataObject->Release();
    Empty();
}

IDataObject* COleDataSource::GetDataObject()
{
    return m_pDataObject;
}

void COleDataSource::DelayRenderData(CLIPFORMAT cfFormat, const FORMATETC* pFormatEtc)
{
    FORMATETC format = {cfFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (pFormatEtc && !CopyFormatEtc(format, *pFormatEtc))
        return;
    format.cfFormat = cfFormat;
    m_formats.push_back(format);
}

void COleDataSource::Empty()
{
    for (FORMATETC& format : m_formats)
        CoTaskMemFree(format.ptd);
    m_formats.clear();
}

HRESULT COleDataSource::FindFormat(const FORMATETC* pFormatEtc, size_t* pIndex) const
{
    // The most telling error for the nearest miss, as receivers use it to pick another request.
    HRESULT hr = DV_E_FORMATETC;
    for (size_t i = 0; i < m_formats.size(); ++i) {
        const FORMATETC& offered = m_formats[i];
        if (offered.cfFormat != pFormatEtc->cfFormat)
            continue;
        if (!(offered.tymed & pFormatEtc->tymed & TYMED_HGLOBAL)) {
            hr = DV_E_TYMED;
            continue;
        }
        if (offered.dwAspect != pFormatEtc->dwAspect) {
            hr = DV_E_DVASPECT;
            continue;
        }
        if (offered.lindex != pFormatEtc->lindex) {
            hr = DV_E_LINDEX;
            continue;
        }
        *pIndex = i;
        return S_OK;
    }
    return hr;
}

bool COleDataSource::OnRenderGlobalData(const FORMATETC*, HGLOBAL*)
{
    return false;
}

DWORD COleDataSource::DoDragDrop(DWORD dwEffects, const RECT* pRectStartDrag, COleDropSource* pDropSource)
{
    COleDropSource standardSource;
    if (!pDropSource)
        pDropSource = &standardSource;

    // The window that has the mouse owns the wait for the drag to begin.
    HWND hWnd = GetCapture();
    if (!hWnd)
        hWnd = GetFocus();
    if (!hWnd)
        hWnd = GetActiveWindow();
    if (!pDropSource->OnBeginDrag(hWnd, pRectStartDrag))
        return DROPEFFECT_NONE;

    DWORD dwEffect = DROPEFFECT_NONE;
    const HRESULT hr = ::DoDragDrop(GetDataObject(), pDropSource->GetDropSource(), dwEffects, &dwEffect);
    return hr == DRAGDROP_S_DROP ? dwEffect : DROPEFFECT_NONE;
}
