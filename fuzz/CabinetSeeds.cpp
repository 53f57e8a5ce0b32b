// Writes the cabinet seeds of the fuzz corpus into the folder named first: one cabinet
// of one file per method (stored, MSZIP, LZX in uncompressed blocks, and the LZX and
// Quantum data of libmspack's own test cabinet, whose folder is named second) and an
// archive of three files. Built and run by scripts/fuzz.
#include "tests/szdd/CabWriter.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string out = std::string(argv[1]) + "/";
    std::string text;
    for (int i = 0; text.size() < 3000; ++i) text += "line " + std::to_string(i % 37) + " of a setup file\r\n";
    bool bDone = SzddWriteFile(out + "cab-stored", CabCompress(text, "setup.inf", kCabStored)) &&
                 SzddWriteFile(out + "cab-mszip", CabCompress(text, "setup.inf", kCabMszip)) &&
                 SzddWriteFile(out + "cab-lzx-raw", CabCompress(text, "setup.inf", CabLzx(21))) &&
                 SzddWriteFile(out + "cab-archive",
                               CabArchive({{"a.txt", text.substr(0, 900)}, {"b\\c.txt", text.substr(900)}}, kCabMszip));
    // Folders 1 and 2 of the library's cabinet hold real LZX and Quantum data.
    std::string all;
    bDone = bDone && SzddReadFile(std::string(argv[2]) + "/mszip_lzx_qtm.cab", &all);
    const char* const apszSeed[] = {"cab-lzx", "cab-quantum"};
    for (unsigned nFolder = 1; bDone && nFolder <= 2; ++nFolder) {
        uint16_t nCompression = 0;
        const std::vector<CabBlock> blocks = CabFolderBlocks(all, nFolder, &nCompression);
        unsigned nSize = 0;
        for (const CabBlock& b : blocks) nSize += b.nExpanded;
        // The member's data is what the blocks expand to; only its length is written here.
        bDone = SzddWriteFile(out + apszSeed[nFolder - 1],
                              CabBuild({{"member.txt", std::string(nSize, '?')}}, nCompression, blocks));
    }
    if (!bDone) std::fprintf(stderr, "cannot write the cabinet seeds into %s\n", argv[1]);
    return bDone ? 0 : 1;
}
