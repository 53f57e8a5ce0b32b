#include "cli/Tree.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace {

void Scan(const std::string& strFolder, const std::string& strRelative, std::vector<FoundFile>* pFiles,
          std::vector<std::string>* pUnreadable) {
    DIR* pDir = ::opendir(strFolder.c_str());
    if (!pDir) {
        pUnreadable->push_back(strFolder);
        return;
    }
    std::vector<std::string> names;
    while (dirent* pEntry = ::readdir(pDir)) {
        std::string strName = pEntry->d_name;
        if (strName != "." && strName != "..") names.push_back(strName);
    }
    ::closedir(pDir);
    std::sort(names.begin(), names.end());

    const std::string strPrefix = strFolder.back() == '/' ? strFolder : strFolder + '/';
    std::vector<std::string> subfolders;
    for (const std::string& strName : names) {
        const std::string strPath = strPrefix + strName;
        struct stat st;
        if (::lstat(strPath.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            subfolders.push_back(strName);
            continue;
        }
        // A link counts as what it leads to, but only a file is taken.
        if (S_ISLNK(st.st_mode) && ::stat(strPath.c_str(), &st) != 0) continue;
        if (S_ISREG(st.st_mode) && strName.back() == '_') pFiles->push_back({strPath, strRelative});
    }
    for (const std::string& strName : subfolders) Scan(strPrefix + strName, strRelative + strName + "/", pFiles, pUnreadable);
}

}  // namespace

void FindCompressedFiles(const std::string& strFolder, std::vector<FoundFile>* pFiles,
                         std::vector<std::string>* pUnreadable) {
    Scan(strFolder, std::string(), pFiles, pUnreadable);
}
