// zorvane-expand [-d DIR] FILE...
// Expands each SZDD file beside itself, or into DIR, with the same naming rules
// as the desktop program; one line per file; exit status 0 only when all expanded.
#include "core/CompressedFile.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* Reason(CCompressedFile::Failure e) {
    switch (e) {
    case CCompressedFile::kFailNoFile: return "path too long";
    case CCompressedFile::kFailNoDot: return "file name has no extension";
    case CCompressedFile::kFailExtTooLong: return "extension too long";
    case CCompressedFile::kFailNameTooLong: return "output path too long";
    case CCompressedFile::kFailSameAsSource: return "output would replace the source";
    case CCompressedFile::kFailSourceUnreadable: return "cannot open the file";
    case CCompressedFile::kFailTargetUnwritable: return "cannot create the output file";
    case CCompressedFile::kFailCorrupt: return "corrupt or truncated data";
    case CCompressedFile::kFailWrite: return "write failed (disk full?)";
    case CCompressedFile::kFailTargetReadOnly: return "output file exists and is read-only";
    case CCompressedFile::kFailNone: break;
    }
    return "failed";
}

int Usage() {
    std::fprintf(stderr, "usage: zorvane-expand [-d DIR] FILE...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string strPrefix;
    int i = 1;
    if (i < argc && std::strcmp(argv[i], "-d") == 0) {
        if (i + 1 >= argc || argv[i + 1][0] == '\0') return Usage();
        strPrefix = argv[i + 1];
        char cLast = strPrefix.back();
        if (cLast != '/' && cLast != '\\') strPrefix += '/';
        i += 2;
    }
    if (i < argc && std::strcmp(argv[i], "--") == 0) ++i;
    if (i >= argc) return Usage();

    int nFailed = 0;
    for (; i < argc; ++i) {
        CCompressedFile file(argv[i]);
        if (file.Expand(strPrefix.c_str())) {
            std::printf("%s -> %s\n", argv[i], file.m_szOutputPath);
        } else {
            std::printf("%s: %s\n", argv[i], Reason(file.LastFailure()));
            ++nFailed;
        }
    }
    return nFailed == 0 ? 0 : 1;
}
