#include "cli/Tree.h"
#include "cli/Wildcards.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"

#include <algorithm>

namespace {

using platform::PathKind;

void Scan(const std::string& strFolder, const std::string& strRelative, std::vector<FoundFile>* pFiles,
          std::vector<std::string>* pLinks, std::vector<std::string>* pUnreadable) {
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
        const bool bCompressed = entry.strName.back() == '_';
        PathKind eLeadsTo;
        if (entry.eKind == PathKind::kFolder)
            subfolders.push_back(entry.strName);
        else if (entry.eKind == PathKind::kFile && bCompressed)
            pFiles->push_back({strPath, strRelative});
        else if (entry.eKind == PathKind::kLink &&
                 (bCompressed || (platform::GetPathKind(strPath.c_str(), platform::Links::kFollow, &eLeadsTo) &&
                                  eLeadsTo == PathKind::kFolder)))
            pLinks->push_back(strPath);
    }
    for (const std::string& strName : subfolders)
        Scan(strPrefix + strName, strRelative + strName + strSeparator, pFiles, pLinks, pUnreadable);
}

}  // namespace

void FindCompressedFiles(const std::string& strFolder, std::vector<FoundFile>* pFiles,
                         std::vector<std::string>* pLinks, std::vector<std::string>* pUnreadable) {
    Scan(strFolder, std::string(), pFiles, pLinks, pUnreadable);
}
