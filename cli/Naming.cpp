#include "cli/Naming.h"

NameRule ChooseExtension(CCompressedFile& file, bool bFromHeader) {
    // As in the window: a KWAJ file's recorded extension comes before the table's guess.
    if (file.GuessExtensionFromHeader()) return NameRule::kRecorded;
    if (file.m_szExt[0] != '\0') return NameRule::kTable;
    if (bFromHeader && file.RestoreExtensionFromHeader()) return NameRule::kHeader;
    return NameRule::kFallback;
}

const char* NameNote(NameRule rule) {
    switch (rule) {
    case NameRule::kHeader: return " (extension completed from the header)";
    case NameRule::kFallback: return " (extension unknown: fallback name)";
    case NameRule::kRecorded:
    case NameRule::kTable: break;
    }
    return "";
}

std::string DestinationPrefix(const std::string& strDirectory, const std::string& strRelativeFolder) {
    if (strDirectory.empty()) return std::string();
    std::string s = strDirectory;
    if (s.back() != '/') s += '/';
    return s + strRelativeFolder;
}
