#include "platform/File.h"
#include "platform/CreatedNew.h"

namespace platform {

namespace {

bool g_bForceTemporaryNames = false;

}  // namespace

void ForceTemporaryNames(bool bForce) { g_bForceTemporaryNames = bForce; }

bool UnfinishedFile::Create(const std::string& strFolder, size_t nMaxPath) {
    Drop();
    m_strFolder = strFolder;
    m_nMaxPath = nMaxPath;
    if (!g_bForceTemporaryNames && m_file.CreateUnnamed(strFolder)) return true;
    if (!TakeTemporaryName(false)) return false;
    NotifyCreatedNew(m_strTemporary.c_str());
    return true;
}

// Gives the file a free temporary name in its folder: a new file created there, or the
// open unnamed one linked there (bByLink).
bool UnfinishedFile::TakeTemporaryName(bool bByLink) {
    for (int nTry = 0; nTry < 64; ++nTry) {
        std::string strName = TemporaryName(m_strFolder, m_nMaxPath);
        if (strName.empty()) return false;
        if (bByLink ? m_file.LinkNew(strName.c_str()) : m_file.CreateNew(strName.c_str())) {
            m_strTemporary = strName;
            m_nRemovalSlot = RemoveOnEndingSignals(strName.c_str());
            return true;
        }
        if (!FileExists(strName.c_str())) return false;  // the folder refuses new files
    }
    return false;
}

bool UnfinishedFile::Name(const char* pszPath, bool bReplace) {
    if (!m_file.IsOpen()) return false;
    if (!m_strTemporary.empty()) return NameNamed(pszPath, bReplace);
    // Without a name: its first one is the real one where nothing has it yet. Replacing
    // needs a move, so then it takes a temporary name first, just for that move.
    if (m_file.LinkNew(pszPath)) {
        m_file.Close();
        return true;
    }
    if (bReplace && TakeTemporaryName(true)) return NameNamed(pszPath, bReplace);
    m_file.Close();
    return false;
}

bool UnfinishedFile::NameNamed(const char* pszPath, bool bReplace) {
    // Something else at the temporary name is not this file's to move or remove.
    const bool bOwn = m_file.IsAt(m_strTemporary.c_str());
    m_file.Close();
    if (!bOwn) {
        ForgetName();
        return false;
    }
    const char* pszTemporary = m_strTemporary.c_str();
    const bool bNamed = bReplace ? FileReplace(pszTemporary, pszPath) : FileMoveNew(pszTemporary, pszPath);
    if (!bNamed) FileRemove(pszTemporary);
    ForgetName();
    return bNamed;
}

void UnfinishedFile::Drop() {
    if (!m_strTemporary.empty()) {
        const bool bOwn = m_file.IsAt(m_strTemporary.c_str());
        m_file.Close();
        if (bOwn) FileRemove(m_strTemporary.c_str());
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
