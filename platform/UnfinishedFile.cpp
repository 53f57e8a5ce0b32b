#include "platform/File.h"
#include "platform/CreatedNew.h"

namespace platform {

namespace {

bool g_bForceTemporaryNames = false;

}  // namespace

void ForceTemporaryNames(bool bForce) { g_bForceTemporaryNames = bForce; }

bool UnfinishedFile::Create(const Folder& folder, size_t nMaxPath) {
    Drop();
    m_pFolder = &folder;
    m_nMaxPath = nMaxPath;
    if (!g_bForceTemporaryNames && m_file.CreateUnnamed(folder)) return true;
    if (!TakeTemporaryName(false)) return false;
    NotifyCreatedNew((folder.Prefix() + m_strTemporary).c_str());
    return true;
}

// Gives the file a free temporary name in its folder: a new file created there, or the
// open unnamed one linked there (bByLink).
bool UnfinishedFile::TakeTemporaryName(bool bByLink) {
    const std::string& strPrefix = m_pFolder->Prefix();
    for (int nTry = 0; nTry < 64; ++nTry) {
        const std::string strPath = TemporaryName(strPrefix, m_nMaxPath);
        if (strPath.empty()) return false;
        const std::string strName = strPath.substr(strPrefix.size());
        if (bByLink ? m_file.LinkNew(*m_pFolder, strName.c_str()) : m_file.CreateNewIn(*m_pFolder, strName.c_str())) {
            m_strTemporary = strName;
            m_nRemovalSlot = RemoveOnEndingSignals(*m_pFolder, strName.c_str());
            return true;
        }
        PathKind eKind;
        if (!m_pFolder->GetKind(strName.c_str(), &eKind)) return false;  // the folder refuses new files
    }
    return false;
}

bool UnfinishedFile::Name(const char* pszName, bool bReplace) {
    m_strOldCopy.clear();
    if (!m_file.IsOpen()) return false;
    if (!m_strTemporary.empty()) return NameNamed(pszName, bReplace);
    // Without a name: its first one is the real one where nothing has it yet. Replacing
    // needs a move, so then it takes a temporary name first, just for that move.
    if (m_file.LinkNew(*m_pFolder, pszName)) {
        m_file.Close();
        return true;
    }
    if (bReplace && TakeTemporaryName(true)) return NameNamed(pszName, bReplace);
    m_file.Close();
    return false;
}

bool UnfinishedFile::NameNamed(const char* pszName, bool bReplace) {
    // Something else at the temporary name is not this file's to move or remove.
    const bool bOwn = m_file.IsIn(*m_pFolder, m_strTemporary.c_str());
    m_file.Close();
    if (!bOwn) {
        ForgetName();
        return false;
    }
    const char* pszTemporary = m_strTemporary.c_str();
    const bool bNamed =
        bReplace ? m_pFolder->Replace(pszTemporary, pszName, &m_strOldCopy) : m_pFolder->MoveNew(pszTemporary, pszName);
    if (!bNamed) m_pFolder->Remove(pszTemporary);
    ForgetName();
    return bNamed;
}

void UnfinishedFile::Drop() {
    if (!m_strTemporary.empty()) {
        const bool bOwn = m_file.IsIn(*m_pFolder, m_strTemporary.c_str());
        m_file.Close();
        if (bOwn) m_pFolder->Remove(m_strTemporary.c_str());
        ForgetName();
    }
    m_file.Close();
}

void UnfinishedFile::ForgetName() {
    KeepOnEndingSignals(m_nRemovalSlot);
    m_nRemovalSlot = -1;
    m_strTemporary.clear();
}

}  // namespace platform
