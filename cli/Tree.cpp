#include "cli/Tree.h"
#include "cli/Wildcards.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"

#include <algorithm>

namespace {

using platform::PathKind;

void Scan(const std::string& strFolder, const std::string& strRelative, std::vector<FoundFile>* pFiles,
          std::vector<std::string>* pUnreadable) {
    std::vector<platform::FolderEntry> entries;
    if (!platform::ListFolder(strFolder, &entries)) {
        pUnreadable->push_back(strFolder);
        return;
    }
    std::sort(entries.begin(), entries.end(),
              [](const platform::FolderEntry& a, const platform::FolderEntry& b) { return NameBefore(a.strName, b.strName); });

    const std::string strPrefix = platform::FolderPrefix(strFolder);
    const std::string strSeparator(1, platform::Separator());
    std::vector<std::string> subfolders;
    for (const platform::FolderEntry& entry : entries) {
        const std::string strPath = strPrefix + entry.strName;
        PathKind eKind = entry.eKind;
        if (eKind == PathKind::kFolder) {
            subfolders.push_back(entry.strName);
            continue;
        }
        // A link counts as what it leads to, but only a file is taken.
        if (eKind == PathKind::kLink && !platform::GetPathKind(strPath.c_str(), platform::Links::kFollow, &eKind))
            continue;
        if (eKind == PathKind::kFile && entry.strName.back() == '_') pFiles->push_back({strPath, strRelative});
    }
    for (const std::string& strName : subfolders)
        Scan(strPrefix + strName, strRelative + strName + strSeparator, pFiles, pUnreadable);
}

}  // namespace

void FindCompressedFiles(const std::string& strFolder, std::vector<FoundFile>* pFiles,
                         std::vector<std::string>* pUnreadable) {
    Scan(strFolder, std::string(), pFiles, pUnreadable);
}
