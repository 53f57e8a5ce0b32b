#include "lz/LzExpand.h"
#include "lz/ExpandStream.h"
#include "lz/FileStreams.h"
#include "platform/File.h"
#include "platform/Lock.h"

#include <cstring>

namespace {

constexpr int kMaxHandles = 16;

struct Slot {
    bool bUsed = false;
    bool bTarget = false;
    platform::File file;
};

Slot g_aSlots[kMaxHandles];
platform::Lock g_lock;

// A handle is its slot index plus one, so that every valid handle is above 0.
Slot* Lookup(int32_t h) {
    if (h < 1 || h > kMaxHandles) return nullptr;
    Slot* p = &g_aSlots[h - 1];
    return p->bUsed ? p : nullptr;
}

void FillRecord(LzOpenRecord* pRecord, const char* pszPath, uint16_t nErr) {
    if (!pRecord) return;
    pRecord->cBytes = sizeof(LzOpenRecord);
    pRecord->fFixedDisk = 1;
    pRecord->nErrCode = nErr;
    pRecord->Reserved1 = 0;
    pRecord->Reserved2 = 0;
    std::strncpy(pRecord->szPathName, pszPath ? pszPath : "", sizeof pRecord->szPathName - 1);
    pRecord->szPathName[sizeof pRecord->szPathName - 1] = '\0';
}

}  // namespace

int32_t LzOpenFile(const char* pszPath, LzOpenRecord* pRecord, uint16_t wStyle) {
    const bool bTarget = (wStyle & LZ_OF_CREATE) != 0;
    if (!pszPath) {
        FillRecord(pRecord, pszPath, 2);
        return bTarget ? LZ_ERROR_BADOUTHANDLE : LZ_ERROR_BADINHANDLE;
    }
    platform::LockHolder hold(g_lock);
    for (int i = 0; i < kMaxHandles; ++i) {
        Slot& s = g_aSlots[i];
        if (s.bUsed) continue;
        // Sources are only ever read, whatever the style asks for.
        bool bOpen = bTarget ? s.file.Create(pszPath) : s.file.OpenRead(pszPath);
        if (!bOpen) {
            FillRecord(pRecord, pszPath, 2);
            return bTarget ? LZ_ERROR_BADOUTHANDLE : LZ_ERROR_BADINHANDLE;
        }
        s.bUsed = true;
        s.bTarget = bTarget;
        FillRecord(pRecord, pszPath, 0);
        return i + 1;
    }
    FillRecord(pRecord, pszPath, 4);  // too many open files
    return LZ_ERROR_GLOBALLOC;
}

namespace {

int64_t CopyInto(platform::File& source, platform::File& target) {
    lz::FileSource in(source);
    lz::FileSink out(target);
    int64_t nResult = lz::ExpandStream(in, out);
    if (nResult >= 0) {
        platform::FileTime t;
        if (source.GetWriteTime(&t)) target.SetWriteTime(t);
    }
    return nResult;
}

}  // namespace

int64_t LzCopy(int32_t hSource, int32_t hTarget) {
    Slot* pSource;
    Slot* pTarget;
    {
        platform::LockHolder hold(g_lock);
        pSource = Lookup(hSource);
        pTarget = Lookup(hTarget);
    }
    if (!pSource || pSource->bTarget) return LZ_ERROR_BADINHANDLE;
    if (!pTarget || !pTarget->bTarget || pTarget == pSource) return LZ_ERROR_BADOUTHANDLE;
    const int64_t nResult = CopyInto(pSource->file, pTarget->file);
    return nResult == LZ_ERROR_CORRUPT ? int64_t{LZ_ERROR_READ} : nResult;
}

int64_t LzCopyTo(int32_t hSource, platform::File& target) {
    Slot* pSource;
    {
        platform::LockHolder hold(g_lock);
        pSource = Lookup(hSource);
    }
    if (!pSource || pSource->bTarget) return LZ_ERROR_BADINHANDLE;
    if (!target.IsOpen()) return LZ_ERROR_BADOUTHANDLE;
    return CopyInto(pSource->file, target);
}

void LzClose(int32_t hFile) {
    platform::LockHolder hold(g_lock);
    Slot* p = Lookup(hFile);
    if (!p) return;
    p->file.Close();
    p->bUsed = false;
    p->bTarget = false;
}
