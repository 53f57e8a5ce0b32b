#include "core/CompressedFile.h"
#include "ui/main/FileDataSource.h"
#include "framework/WaitCursor.h"
#include <shlobj.h>
#include <algorithm>
#include <cstring>

static_assert(sizeof(DROPFILES) == 20, "the drop-file header is 20 bytes on every build");

CFileDataSource::CFileDataSource() = default;
CFileDataSource::~CFileDataSource() = default;

void CFileDataSource::AddFile(const CCompressedFile& file)
{
    auto pFile = std::make_unique<CCompressedFile>(file.m_szPath);
    std::memcpy(pFile->m_szExt, file.m_szExt, sizeof pFile->m_szExt);
    // Without a request, the clean-up deletes what the row's last expansion left behind.
    std::memcpy(pFile->m_szOutputPath, file.m_szOutputPath, sizeof pFile->m_szOutputPath);
    m_arrDragged.push_back({&file, std::move(pFile), std::string()});
}

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
    std::vector<std::string> arrPaths;
    CWaitCursor wait;
    for (Dragged& dragged : m_arrDragged) {
        if (!dragged.pFile->Expand(szFolder))
            continue;
        arrPaths.push_back(dragged.pFile->m_szOutputPath);
        if (std::find(m_arrWritten.begin(), m_arrWritten.end(), arrPaths.back()) == m_arrWritten.end())
            m_arrWritten.push_back(arrPaths.back());
    }
    if (arrPaths.empty())
        return false;
    *phGlobal = BuildDropFiles(arrPaths);
    if (!*phGlobal)
        return false;
    // An expansion that failed just now left its output path empty.
    for (Dragged& dragged : m_arrDragged)
        dragged.strDelivered = dragged.pFile->m_szOutputPath;
    return true;
}

HGLOBAL CFileDataSource::BuildDropFiles(const std::vector<std::string>& arrPaths)
{
    size_t nListLength = 0;
    for (const std::string& strPath : arrPaths)
        nListLength += strPath.size() + 1;

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
    for (const std::string& strPath : arrPaths) {
        std::memcpy(pWrite, strPath.data(), strPath.size());
        pWrite += strPath.size() + 1;
    }
    GlobalUnlock(hGlobal);
    return hGlobal;
}

bool CFileDataSource::WasDelivered(const CCompressedFile& file) const
{
    // The path as well: a row added after a removal may have been given a freed entry's place.
    return std::any_of(m_arrDragged.begin(), m_arrDragged.end(), [&](const Dragged& dragged) {
        return !dragged.strDelivered.empty() && dragged.pRowEntry == &file &&
               std::strcmp(dragged.pFile->m_szPath, file.m_szPath) == 0;
    });
}

void CFileDataSource::DeleteExpandedFiles()
{
    for (const std::string& strPath : m_arrWritten)
        DeleteCopy(strPath);
    for (const Dragged& dragged : m_arrDragged) {
        if (dragged.pFile->m_szOutputPath[0])
            DeleteCopy(dragged.pFile->m_szOutputPath);
    }
}

void CFileDataSource::DeleteUndeliveredFiles()
{
    for (const std::string& strPath : m_arrWritten) {
        const bool bDelivered = std::any_of(m_arrDragged.begin(), m_arrDragged.end(), [&](const Dragged& dragged) {
            return lstrcmpiA(dragged.strDelivered.c_str(), strPath.c_str()) == 0;
        });
        if (!bDelivered)
            DeleteCopy(strPath);
    }
}

void CFileDataSource::DeleteCopy(const std::string& strPath) const
{
    // A path that names a source itself must never cost the user the source.
    for (const Dragged& dragged : m_arrDragged) {
        if (lstrcmpiA(strPath.c_str(), dragged.pFile->m_szPath) == 0)
            return;
    }
    DeleteFileA(strPath.c_str());
}
