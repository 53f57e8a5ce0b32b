// How zorvane-expand names what it writes; the manual page's NAMES section says the same.
#pragma once
#include "core/CompressedFile.h"

#include <string>

// Where the extension of an expanded file came from.
enum class NameRule {
    kRecorded,  // a KWAJ header recorded the extension the file had
    kTable,     // the table of twelve knew the compressed extension
    kHeader,    // -r: the header's character completed it
    kFallback,  // neither: the source's own extension after a second dot
};

// Settles the entry's extension: the extension a KWAJ header records, else the
// table's guess (made when the entry was built), else with bFromHeader the
// SZDD header's character. The fallback leaves
// m_szExt empty, which Expand fills with the source's own extension.
NameRule ChooseExtension(CCompressedFile& file, bool bFromHeader);

// What a result line adds after the output name: nothing for the table's names,
// and a word on a recorded extension that was refused.
std::string NameNote(NameRule rule, CCompressedFile::Recorded eRecorded);

// The prefix that Expand puts before the bare output name: empty for beside the
// source, else DIR and the folders below the named one that the file was found
// in ("sub/deeper/"), ending in a separator.
std::string DestinationPrefix(const std::string& strDirectory, const std::string& strRelativeFolder);
