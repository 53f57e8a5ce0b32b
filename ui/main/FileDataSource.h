// The data offered while list entries are dragged out: the entries are expanded
// into the temporary folder when a receiver asks, and handed over as dropped files.
#pragma once
#include "framework/OleDataSource.h"
#include <vector>

class CCompressedFile;

class CFileDataSource : public COleDataSource {
public:
    CFileDataSource() = default;
    ~CFileDataSource() override = default;

    // Expands every entry anew and hands out a new drop-file block listing the files that
    // were written. Declined (false) for any format but CF_HDROP, for a block of the
    // receiver's own, and when no file could be written.
    bool RenderDropFiles(const FORMATETC* pFormatEtc, HGLOBAL* phGlobal);
    // A DROPFILES block (movable, zero-filled) listing the entries' output paths in order.
    static HGLOBAL BuildDropFiles(const std::vector<CCompressedFile*>& arrFiles);
    // Deletes the file each entry's output path names, except the entry's own source.
    void DeleteExpandedFiles();

    // Borrowed from the main window for one drag, in ascending row order.
    std::vector<CCompressedFile*> m_arrFiles;

protected:
    bool OnRenderGlobalData(const FORMATETC* pFormatEtc, HGLOBAL* phGlobal) override;
};
