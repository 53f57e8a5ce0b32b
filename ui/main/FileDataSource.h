// The data offered while list entries are dragged out: the entries are expanded
// into the temporary folder when a receiver asks, and handed over as dropped files.
#pragma once
#include "framework/OleDataSource.h"
#include <string>
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
    // Whether the last block handed out listed the entry's file.
    bool WasDelivered(const CCompressedFile* pFile) const;
    // After a drag without a drop: deletes every file the requests wrote and the file each
    // entry's output path names, but never a dragged source.
    void DeleteExpandedFiles();
    // After a drop: deletes the files the requests wrote that the last block did not list.
    void DeleteUndeliveredFiles();

    // Borrowed from the main window for one drag, in ascending row order.
    std::vector<CCompressedFile*> m_arrFiles;

protected:
    bool OnRenderGlobalData(const FORMATETC* pFormatEtc, HGLOBAL* phGlobal) override;

private:
    void DeleteCopy(const std::string& strPath) const;

    // Every file a request wrote, once each: a later failed expansion forgets its output
    // path, but the copy of an earlier request is still there.
    std::vector<std::string> m_arrWritten;
    // The entries whose files the last block handed out listed, with those files.
    struct Delivery {
        const CCompressedFile* pFile;
        std::string strPath;
    };
    std::vector<Delivery> m_arrDelivered;
};
