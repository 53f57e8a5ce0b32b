// The data object of a drag: a table of offered formats whose data is rendered
// only when a receiver asks for it.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <vector>

class COleDropSource;

class COleDataSource {
public:
    COleDataSource();
    virtual ~COleDataSource();
    COleDataSource(const COleDataSource&) = delete;
    COleDataSource& operator=(const COleDataSource&) = delete;

    // Offers a format for delayed rendering. Without pFormatEtc: the content aspect,
    // no target device, every item, global memory.
    void DelayRenderData(CLIPFORMAT cfFormat, const FORMATETC* pFormatEtc = nullptr);
    // Withdraws every offered format.
    void Empty();

    // Runs the drag with this object as its data, once pDropSource (the standard drop
    // source when null) lets it begin. The result is the effect that the receiver
    // performed: DROPEFFECT_NONE when the drag was cancelled, refused or never began.
    DWORD DoDragDrop(DWORD dwEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK,
                     const RECT* pRectStartDrag = nullptr, COleDropSource* pDropSource = nullptr);

    // The object's IDataObject (no reference added; valid while this object lives).
    IDataObject* GetDataObject();

protected:
    // Renders an offered format into global memory. *phGlobal is null when a new block is
    // wanted (the receiver then owns it), or the receiver's own block to write into.
    // True when *phGlobal holds the data.
    virtual bool OnRenderGlobalData(const FORMATETC* pFormatEtc, HGLOBAL* phGlobal);

private:
    class XDataObject;
    // S_OK when the request matches an offered format, else the error that says why not.
    HRESULT FindFormat(const FORMATETC* pFormatEtc, size_t* pIndex) const;

    std::vector<FORMATETC> m_formats;
    XDataObject* m_pDataObject;
};
