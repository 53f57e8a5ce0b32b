// The compressed files of a folder tree, for -R.
#pragma once
#include <string>
#include <vector>

struct FoundFile {
    std::string strPath;            // the folder as named, then the folders below it and the name
    std::string strRelativeFolder;  // the folders below the named one: "" or "sub/deeper/", with the system's separator
};

// Appends the files in strFolder and in all folders below it whose names end in
// '_' (the window's rule for a folder's compressed files), sorted by name
// (NameBefore) within each folder, a folder's own files before those of its
// subfolders. Links are never followed, as they may lead anywhere, out of the tree
// too: those that name compressed files or lead to folders are appended to *pLinks.
// Folders that cannot be read are appended to *pUnreadable.
void FindCompressedFiles(const std::string& strFolder, std::vector<FoundFile>* pFiles,
                         std::vector<std::string>* pLinks, std::vector<std::string>* pUnreadable);
