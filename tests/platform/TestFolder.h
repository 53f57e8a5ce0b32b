// A fresh folder under the system's temporary folder for one test; removed
// with everything in it when the test ends. Path() ends in the separator.
#pragma once
#include <algorithm>
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <dirent.h>
#include <ftw.h>
#include <unistd.h>
#endif

class TestFolder {
public:
    TestFolder() {
#ifdef _WIN32
        char szTemp[MAX_PATH];
        GetTempPathA(MAX_PATH, szTemp);
        for (unsigned n = GetTickCount(); m_strPath.empty(); ++n) {
            std::string s = std::string(szTemp) + "zvt" + std::to_string(GetCurrentProcessId()) + "_" +
                            std::to_string(n % 100000);
            if (CreateDirectoryA(s.c_str(), nullptr)) m_strPath = s + "\\";
        }
#else
        const char* pszTmp = std::getenv("TMPDIR");
        std::string s = std::string(pszTmp && *pszTmp ? pszTmp : "/tmp") + "/zvtXXXXXX";
        if (mkdtemp(&s[0])) m_strPath = s + "/";
#endif
    }
    ~TestFolder() {
        if (!m_strPath.empty()) RemoveAll(m_strPath.substr(0, m_strPath.size() - 1));
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::string& Path() const { return m_strPath; }
    std::string operator/(const std::string& strName) const { return m_strPath + strName; }
    char Separator() const { return m_strPath.empty() ? '/' : m_strPath.back(); }

    // Names of the files in the folder, or in a folder of it (not recursive), sorted.
    std::string List(const std::string& strSub = std::string()) const {
        const std::string strFolder = strSub.empty() ? m_strPath : m_strPath + strSub + Separator();
        std::string s;
#ifdef _WIN32
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((strFolder + "*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return s;
        std::string a[256];
        int n = 0;
        do {
            std::string name = fd.cFileName;
            if (name != "." && name != ".." && n < 256) a[n++] = name;
        } while (FindNextFileA(h, &fd));
        FindClose(h);
#else
        std::string a[256];
        int n = 0;
        if (DIR* d = opendir(strFolder.c_str())) {
            while (dirent* e = readdir(d)) {
                std::string name = e->d_name;
                if (name != "." && name != ".." && n < 256) a[n++] = name;
            }
            closedir(d);
        }
#endif
        std::sort(a, a + n);
        for (int i = 0; i < n; ++i) s += (i ? "|" : "") + a[i];
        return s;
    }

private:
#ifdef _WIN32
    static void RemoveAll(const std::string& strDir) {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((strDir + "\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string name = fd.cFileName;
                if (name == "." || name == "..") continue;
                std::string full = strDir + "\\" + name;
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveAll(full);
                else
                    DeleteFileA(full.c_str());
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryA(strDir.c_str());
    }
#else
    static void RemoveAll(const std::string& strDir) {
        nftw(strDir.c_str(), [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p); }, 16,
             FTW_DEPTH | FTW_PHYS);
    }
#endif

    std::string m_strPath;
};
