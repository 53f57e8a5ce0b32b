// The entry first: the LZ service's header must come before the system's.
#include "core/CompressedFile.h"
#include "ui/main/FileDataSource.h"
#include "framework/WaitCursor.h"
#include <shlobj.h>
#include <algorithm>
#include <cstring>

static_assert(sizeof(DROPFILES) == 20, "the drop-file header is 20 bytes on every build");

bool CFileDataSource::OnRenderGlobalData(const FORMATETC* pFormatEtc, HGLOBAL* phGlobal)
{
    return RenderDropFiles(pFormatEtc, phGlobal);
}

bool CFileDataSource::RenderDropFiles(const FORMATETC* pFormatEtc, HGLOBAL* phGlobal)
{
    if (pFormatEtc->cfFormat != CF_HDROP || *phGlobal)
        return false;

    // The temporary folder exists on every system; GetTempPathA ends it with a backslash.
    char szFolder[MAX_PATH];
    const DWORD dwLength = GetTempPathA(MAX_PATH, szFolder);
    if (dwLength == 0 || dwLength >= MAX_PATH)
        return false;

    // Only what was really written is offered, so a receiver never gets a missing file.
    std::vector<CCompressedFile*> arrExpanded;
    CWaitCursor wait;
    for (CCompressedFile* pFile : m_arrFiles) {
        if (!pFile->Expand(szFolder))
            continue;
        arrExpanded.push_back(pFile);
        if (std::find(m_arrWritten.begin(), m_arrWritten.end(), pFile->m_szOutputPath) == m_arrWritten.end())
            m_arrWritten.push_back(pFile->m_szOutputPath);
    }
    if (arrExpanded.empty())
        return false;
    *phGlobal = BuildDropFiles(arrExpanded);
    if (!*phGlobal)
        return false;
    m_arrDelivered.clear();
    for (const CCompressedFile* pFile : arrExpanded)
        m_arrDelivered.push_back({pFile, pFile->m_szOutputPath});
    return true;
}

HGLOBAL CFileDataSource::BuildDropFiles(const std::vector<CCompressedFile*>& arrFiles)
{
    size_t nListLength = 0;
    for (const CCompressedFile* pFile : arrFiles)
        nListLength += strnlen(pFile->m_szOutputPath, sizeof pFile->m_szOutputPath) + 1;

    // The paths with their NULs, then the NUL that ends the list and three zero bytes.
    const size_t nBlockSize = sizeof(DROPFILES) + nListLength + 4;
    HGLOBAL hGlobal = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, nBlockSize);
    if (!hGlobal)
        return nullptr;
    auto* pBlock = static_cast<BYTE*>(GlobalLock(hGlobal));
    if (!pBlock) {
        GlobalFree(hGlobal);
        return nullptr;
    }
    auto* pHeader = reinterpret_cast<DROPFILES*>(pBlock);
    pHeader->pFiles = sizeof(DROPFILES);
    pHeader->fWide = FALSE;
    BYTE* pWrite = pBlock + sizeof(DROPFILES);
    for (const CCompressedFile* pFile : arrFiles) {
        const size_t nLength = strnlen(pFile->m_szOutputPath, sizeof pFile->m_szOutputPath);
        std::memcpy(pWrite, pFile->m_szOutputPath, nLength);
        pWrite += nLength + 1;
    }
    GlobalUnlock(hGlobal);
    return hGlobal;
}

bool CFileDataSource::WasDelivered(const CCompressedFile* pFile) const
{
    return std::any_of(m_arrDelivered.begin(), m_arrDelivered.end(),
                       [&](const Delivery& delivery) { return delivery.pFile == pFile; });
}

void CFileDataSource::DeleteExpandedFiles()
{
    for (const std::string& strPath : m_arrWritten)
        DeleteCopy(strPath);
    for (const CCompressedFile* pFile : m_arrFiles) {
        if (pFile->m_szOutputPath[0])
            DeleteCopy(pFile->m_szOutputPath);
    }
}

void CFileDataSource::DeleteUndeliveredFiles()
{
    for (const std::string& strPath : m_arrWritten) {
        const bool bDelivered =
            std::any_of(m_arrDelivered.begin(), m_arrDelivered.end(), [&](const Delivery& delivery) {
                return lstrcmpiA(delivery.strPath.c_str(), strPath.c_str()) == 0;
            });
        if (!bDelivered)
            DeleteCopy(strPath);
    }
}

void CFileDataSource::DeleteCopy(const std::string& strPath) const
{
    // A path that names a source itself must never cost the user the source.
    for (const CCompressedFile* pFile : m_arrFiles) {
        if (lstrcmpiA(strPath.c_str(), pFile->m_szPath) == 0)
            return;
    }
    DeleteFileA(strPath.c_str());
}
