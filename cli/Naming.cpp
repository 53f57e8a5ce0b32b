#include "cli/Naming.h"
#include "platform/PathStyle.h"

NameRule ChooseExtension(CCompressedFile& file, bool bFromHeader) {
    // As in the window: a KWAJ file's recorded extension comes before the table's guess.
    if (file.GuessExtensionFromHeader()) return NameRule::kRecorded;
    if (file.m_szExt[0] != '\0') return NameRule::kTable;
    if (bFromHeader && file.RestoreExtensionFromHeader()) return NameRule::kHeader;
    return NameRule::kFallback;
}

std::string NameNote(NameRule rule, CCompressedFile::Recorded eRecorded) {
    // The refused text itself is never shown: it may hold control bytes.
    std::string strNote = eRecorded == CCompressedFile::kRecordedRefused ? " (recorded extension refused)" : "";
    switch (rule) {
    case NameRule::kHeader: return strNote + " (extension completed from the header)";
    case NameRule::kFallback: return strNote + " (extension unknown: fallback name)";
    case NameRule::kRecorded:
    case NameRule::kTable: break;
    }
    return strNote;
}

std::string DestinationPrefix(const std::string& strDirectory, const std::string& strRelativeFolder) {
    if (strDirectory.empty()) return std::string();
    return platform::FolderPrefix(strDirectory) + strRelativeFolder;
}
