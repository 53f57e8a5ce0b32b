// The data offered while list entries are dragged out: the entries are expanded
// into the temporary folder when a receiver asks, and handed over as dropped files.
#pragma once
#include "framework/OleDataSource.h"
#include <memory>
#include <string>
#include <vector>

class CCompressedFile;

class CFileDataSource : public COleDataSource {
public:
    CFileDataSource();
    ~CFileDataSource() override;

    // Takes a dragged row's entry, in ascending row order: copies what its expansion and
    // the clean-up need (path, extension, the file its last expansion wrote).
    void AddFile(const CCompressedFile& file);
    // Expands every dragged file anew and hands out a new drop-file block listing the files
    // that were written. Declined (false) for any format but CF_HDROP, for a block of the
    // receiver's own, and when no file could be written.
    bool RenderDropFiles(const FORMATETC* pFormatEtc, HGLOBAL* phGlobal);
    // A DROPFILES block (movable, zero-filled) listing the paths in order.
    static HGLOBAL BuildDropFiles(const std::vector<std::string>& arrPaths);
    // Whether the last block handed out listed the file of this row's entry, a live one.
    bool WasDelivered(const CCompressedFile& file) const;
    // After a drag without a drop: deletes every file the requests wrote and the file each
    // dragged entry's last expansion wrote, but never a dragged source.
    void DeleteExpandedFiles();
    // After a drop: deletes the files the requests wrote that the last block did not list.
    void DeleteUndeliveredFiles();

protected:
    bool OnRenderGlobalData(const FORMATETC* pFormatEtc, HGLOBAL* phGlobal) override;

private:
    void DeleteCopy(const std::string& strPath) const;

    // Who owns what: the main window owns the entries and frees a row's entry as the row
    // goes, which a completed drop does while this object lives on (a receiver may still
    // hold it, and the warning after a partial drop runs a message loop). So nothing here
    // points into the list: each dragged row gets an entry of its own, copied once by
    // AddFile and expanded in the row's place, and the lists hold their own paths. The
    // row's entry address only finds the row again while it lives: compared, never followed.
    struct Dragged {
        const CCompressedFile* pRowEntry;
        std::unique_ptr<CCompressedFile> pFile;
        std::string strDelivered;  // its file in the last block handed out, or empty
    };
    std::vector<Dragged> m_arrDragged;
    // Every file a request wrote, once each: a later failed expansion forgets its output
    // path, but the copy of an earlier request is still there.
    std::vector<std::string> m_arrWritten;
};
