// The entry first: the LZ service's header must come before the system's.
#include "core/CompressedFile.h"
#include "ui/main/FileDataSource.h"
#include "framework/WaitCursor.h"
#include <shlobj.h>
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
        if (pFile->Expand(szFolder))
            arrExpanded.push_back(pFile);
    }
    if (arrExpanded.empty())
        return false;
    *phGlobal = BuildDropFiles(arrExpanded);
    return *phGlobal != nullptr;
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

void CFileDataSource::DeleteExpandedFiles()
{
    for (const CCompressedFile* pFile : m_arrFiles) {
        // An output path that names the source itself must never cost the user the source.
        if (pFile->m_szOutputPath[0] && lstrcmpiA(pFile->m_szOutputPath, pFile->m_szPath) != 0)
            DeleteFileA(pFile->m_szOutputPath);
    }
}
