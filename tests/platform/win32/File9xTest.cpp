// The file seam on the Windows 95/98/ME family, run here with system calls that
// behave as that family's do.
#include "core/CompressedFile.h"
#include "platform/File.h"
#include "platform/win32/FileSystemCalls.h"
#include "tests/platform/TestFolder.h"
#include "tests/szdd/SzddWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Read(const std::string& strPath) {
    std::string s;
    return SzddReadFile(strPath, &s) ? s : "<missing>";
}

// No FILE_SHARE_DELETE, no MoveFileExA, and the same file index for every file.
class C9xCalls : public platform::CFileSystemCalls {
public:
    bool IsWin9x() override { return true; }
    HANDLE Open(const char* pszPath, DWORD dwAccess, DWORD dwShare, DWORD dwDisposition) override {
        if (dwShare & FILE_SHARE_DELETE) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        return CFileSystemCalls::Open(pszPath, dwAccess, dwShare, dwDisposition);
    }
    BOOL MoveEx(const char*, const char*, DWORD) override {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    // Records what each move found: its source name and the contents there.
    BOOL Move(const char* pszFrom, const char* pszTo) override {
        m_moves.push_back(std::string(pszFrom) + " (" + Read(pszFrom) + ")");
        if (static_cast<int>(m_moves.size()) == m_nFailingMove) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        return CFileSystemCalls::Move(pszFrom, pszTo);
    }
    BOOL QueryInformation(HANDLE hFile, BY_HANDLE_FILE_INFORMATION* pInfo) override {
        if (!CFileSystemCalls::QueryInformation(hFile, pInfo)) return FALSE;
        pInfo->nFileIndexHigh = pInfo->nFileIndexLow = 0;
        return TRUE;
    }
    // As for a file that another program holds open.
    BOOL Delete(const char* pszPath) override {
        if (m_nFailingDeletes > 0) {
            --m_nFailingDeletes;
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
        return CFileSystemCalls::Delete(pszPath);
    }

    std::vector<std::string> m_moves;
    int m_nFailingMove = 0;     // the move, counted from 1, that fails
    int m_nFailingDeletes = 0;  // how many deletes fail from now on
};

class File9xTest : public ::testing::Test {
protected:
    void SetUp() override { m_pPrevious = platform::SetFileSystemCalls(&calls); }
    void TearDown() override { platform::SetFileSystemCalls(m_pPrevious); }

    C9xCalls calls;
    TestFolder dir;

private:
    platform::CFileSystemCalls* m_pPrevious = nullptr;
};

std::string ShortName(const std::string& strPath) {
    char sz[MAX_PATH];
    DWORD n = GetShortPathNameA(strPath.c_str(), sz, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(sz) : std::string();
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

TEST_F(File9xTest, SameFileGoesByTheNamesWhateverTheIndexSays) {
    std::string a = dir / "Long source name.ex_", b = dir / "other.ex_";
    ASSERT_TRUE(SzddWriteFile(a, "a"));
    ASSERT_TRUE(SzddWriteFile(b, "b"));
    EXPECT_FALSE(platform::FilesAreSame(a.c_str(), b.c_str()));  // the same index, two files
    EXPECT_TRUE(platform::FilesAreSame(a.c_str(), a.c_str()));
    EXPECT_TRUE(platform::FilesAreSame(a.c_str(), Upper(a).c_str()));
    const std::string strShort = ShortName(a);
    ASSERT_FALSE(strShort.empty());
    EXPECT_NE(strShort, a);
    EXPECT_TRUE(platform::FilesAreSame(strShort.c_str(), a.c_str()));
    EXPECT_TRUE(platform::FilesAreSame((dir.Path() + ".\\" + "long SOURCE name.EX_").c_str(), strShort.c_str()));
    EXPECT_FALSE(platform::FilesAreSame(a.c_str(), (dir / "missing.ex_").c_str()));
    EXPECT_FALSE(platform::FilesAreSame((dir / "missing.ex_").c_str(), (dir / "missing.ex_").c_str()));
}

TEST_F(File9xTest, OpensThatAskForShareDeleteGoOnWithoutIt) {
    // An NT-style check on a system that refuses FILE_SHARE_DELETE.
    class CNoShareDelete : public C9xCalls {
        bool IsWin9x() override { return false; }
        BOOL QueryInformation(HANDLE hFile, BY_HANDLE_FILE_INFORMATION* pInfo) override {
            return CFileSystemCalls::QueryInformation(hFile, pInfo);
        }
    } noShareDelete;
    platform::SetFileSystemCalls(&noShareDelete);
    std::string a = dir / "a.bin", b = dir / "b.bin";
    ASSERT_TRUE(SzddWriteFile(a, "a"));
    ASSERT_TRUE(SzddWriteFile(b, "b"));
    EXPECT_TRUE(platform::FilesAreSame(a.c_str(), a.c_str()));
    EXPECT_FALSE(platform::FilesAreSame(a.c_str(), b.c_str()));
    platform::File f;
    ASSERT_TRUE(f.CreateNew((dir / "c.bin").c_str()));
    EXPECT_TRUE(f.IsAt((dir / "c.bin").c_str()));
    EXPECT_FALSE(f.IsAt(a.c_str()));
}

TEST_F(File9xTest, ReplaceWithoutMoveFileExKeepsTheNewFileCompleteThroughout) {
    std::string from = dir / "~zvnew.tmp", to = dir / "target.txt";
    ASSERT_TRUE(SzddWriteFile(from, "new"));
    ASSERT_TRUE(SzddWriteFile(to, "old"));
    ASSERT_TRUE(platform::FileReplace(from.c_str(), to.c_str()));
    EXPECT_EQ(Read(to), "new");
    EXPECT_EQ(dir.List(), "target.txt");
    // The old target left its name while the new file was complete under its own.
    ASSERT_EQ(calls.m_moves.size(), 2u);
    EXPECT_EQ(calls.m_moves[0], to + " (old)");
    EXPECT_EQ(Read(from), "<missing>");
    EXPECT_EQ(calls.m_moves[1], from + " (new)");
}

TEST_F(File9xTest, FailedReplaceWithoutMoveFileExPutsTheOldTargetBack) {
    std::string from = dir / "~zvnew.tmp", to = dir / "target.txt";
    ASSERT_TRUE(SzddWriteFile(from, "new"));
    ASSERT_TRUE(SzddWriteFile(to, "old"));
    calls.m_nFailingMove = 2;
    EXPECT_FALSE(platform::FileReplace(from.c_str(), to.c_str()));
    EXPECT_EQ(Read(to), "old");
    EXPECT_EQ(Read(from), "new");
    EXPECT_EQ(dir.List(), "target.txt|~zvnew.tmp");

    // Onto no target at all, one plain move.
    calls.m_moves.clear();
    calls.m_nFailingMove = 0;
    std::string fresh = dir / "fresh.txt";
    ASSERT_TRUE(platform::FileReplace(from.c_str(), fresh.c_str()));
    EXPECT_EQ(Read(fresh), "new");
    EXPECT_EQ(calls.m_moves.size(), 1u);
}

// The old target steps aside before the new file takes its name, and is then deleted,
// read-only or not. One open elsewhere stays, under a name the caller is told, until
// the run ends and it is tried once more.
TEST_F(File9xTest, ReplacingLeavesNoOldCopyOrTellsWhereItStays) {
    const struct {
        bool bReadOnly;
        int nFailingDeletes;  // 1: open while replacing; 2: still open when the run ends
    } aCases[] = {{true, 0}, {false, 1}, {false, 2}};
    const std::string from = dir / "~zvnew.tmp", to = dir / "target.txt";
    for (const auto& c : aCases) {
        ASSERT_TRUE(SzddWriteFile(from, "new"));
        ASSERT_TRUE(SzddWriteFile(to, "old"));
        ASSERT_TRUE(platform::FileSetReadOnly(to.c_str(), c.bReadOnly));
        calls.m_nFailingDeletes = c.nFailingDeletes;
        std::string strOldCopy = "?";
        ASSERT_TRUE(platform::FileReplace(from.c_str(), to.c_str(), &strOldCopy));
        EXPECT_EQ(Read(to), "new");
        EXPECT_EQ(strOldCopy.empty(), c.nFailingDeletes == 0);
        EXPECT_EQ(strOldCopy.empty() ? "old" : Read(strOldCopy), "old");
        const std::vector<std::string> stay = platform::RemoveOldCopies();
        EXPECT_EQ(stay, c.nFailingDeletes == 2 ? std::vector<std::string>{strOldCopy} : std::vector<std::string>{});
        const std::string strStays = c.nFailingDeletes == 2 ? "|" + strOldCopy.substr(dir.Path().size()) : "";
        EXPECT_EQ(dir.List(), "target.txt" + strStays);
        EXPECT_TRUE(platform::RemoveOldCopies().empty());
        EXPECT_EQ(dir.List(), "target.txt");
    }

    // An expansion that replaces a file tells where its old copy stays.
    ASSERT_TRUE(SzddWriteCompressedFile(dir / "target.tx_", "expanded"));
    CCompressedFile f((dir / "target.tx_").c_str());
    calls.m_nFailingDeletes = 1;
    ASSERT_TRUE(f.Expand(""));
    EXPECT_EQ(Read(to), "expanded");
    EXPECT_EQ(Read(f.OldCopy()), "new");
    EXPECT_TRUE(platform::RemoveOldCopies().empty());
    EXPECT_EQ(dir.List(), "target.tx_|target.txt");
}

// MoveFileEx refuses a folder; without it, nothing may move one aside either.
TEST_F(File9xTest, AFolderAtTheTargetNameIsNeverMoved) {
    const std::string from = dir / "a.tx_", to = dir / "a.txt";
    ASSERT_TRUE(SzddWriteCompressedFile(from, "new"));
    ASSERT_TRUE(CreateDirectoryA(to.c_str(), nullptr));
    ASSERT_TRUE(SzddWriteFile(to + "\\kept.txt", "inside"));
    CCompressedFile f(from.c_str());
    EXPECT_FALSE(f.Expand(""));
    EXPECT_EQ(f.LastFailure(), CCompressedFile::kFailTargetUnwritable);
    EXPECT_FALSE(platform::FileReplace(from.c_str(), to.c_str()));
    EXPECT_TRUE(calls.m_moves.empty());
    EXPECT_EQ(dir.List(), "a.tx_|a.txt");
    EXPECT_EQ(Read(to + "\\kept.txt"), "inside");
}

TEST_F(File9xTest, ExpansionReplacesTargetsAndRefusesTheSourceByItsShortName) {
    std::string src = dir / "Setup program.EX_";
    ASSERT_TRUE(SzddWriteCompressedFile(src, "program"));
    ASSERT_TRUE(SzddWriteFile(dir / "Setup program.exe", "old"));
    CCompressedFile f(src.c_str());
    ASSERT_TRUE(f.Expand(""));
    EXPECT_EQ(Read(dir / "Setup program.exe"), "program");
    EXPECT_EQ(dir.List(), "Setup program.EX_|Setup program.exe");

    // The source's folder by its short name is still the source's folder.
    std::string folder = dir / "Long folder name";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string inner = folder + "\\SETUP.EX_";
    ASSERT_TRUE(SzddWriteCompressedFile(inner, "program"));
    const std::string strShort = ShortName(folder);
    ASSERT_FALSE(strShort.empty());
    ASSERT_NE(strShort, folder);
    CCompressedFile g(inner.c_str());
    std::strcpy(g.m_szExt, "ex_");
    EXPECT_FALSE(g.Expand((strShort + "\\").c_str()));
    EXPECT_EQ(g.LastFailure(), CCompressedFile::kFailSameAsSource);
    EXPECT_EQ(Read(inner).substr(0, 4), "SZDD");
}

}  // namespace
