// The web page's module: what a compressed file is, what its expanded form is called,
// and its expansion, as plain C calls over the module's memory. Texts are UTF-8 but
// for a recorded extension, which is the header's own bytes (code page 932).
//
// The module imports three calls of the page's, and nothing else: it reads the source
// (moving in it for a cabinet, whose entries point back and forth) and writes the
// expanded bytes through them piece by piece, so its memory stays fixed whatever a
// header claims.
#pragma once
#include <cstdint>

extern "C" {

// Imported from the page (module "zorvane").
// Fills up to nBytes at p with the next bytes of the source: the count, 0 at its end, -1 when it cannot be read.
__attribute__((import_module("zorvane"), import_name("read"))) int32_t zv_source_read(uint8_t* p, uint32_t nBytes);
// Moves the source to fOffset bytes from its start: 1, or 0 where it cannot.
__attribute__((import_module("zorvane"), import_name("seek"))) int32_t zv_source_seek(double fOffset);
// Takes nBytes of expanded data at p: 1, or 0 to stop the expansion (LZ_ERROR_WRITE).
__attribute__((import_module("zorvane"), import_name("write"))) int32_t zv_sink_write(const uint8_t* p,
                                                                                      uint32_t nBytes);

// What a file is, by zv_probe. A new format is one more value.
enum ZvFormat : int32_t {
    kZvPlain = 0,      // none of the formats: copied unchanged
    kZvSzdd = 1,
    kZvShortSzdd = 2,  // the variant with the short header
    kZvKwaj = 3,
    kZvCabinet = 4,  // expanded when it holds one file whole
};

// What became of the extension a header records (zv_probe_recorded).
enum ZvRecorded : int32_t { kZvNoneRecorded = 0, kZvRecordedTaken = 1, kZvRecordedRefused = 2 };

// Where a row's first extension came from (zv_extension_rule).
enum ZvRule : int32_t {
    kZvRuleNone = 0,      // nothing knew it: the user names it
    kZvRuleRecorded = 1,  // a KWAJ header records it
    kZvRuleTable = 2,     // the table of twelve knew the compressed extension
    kZvRuleHeader = 3,    // the character an SZDD header says the name lost completes it
};

// Why zv_output_name gave no name.
enum ZvNameFault : int32_t {
    kZvNameOk = 0,
    kZvNameNoDot = 1,        // the file name has no '.' to put the extension at
    kZvNameNoExtension = 2,  // the extension is empty
    kZvNameUnsafe = 3,       // the extension may not stand in a file name
    kZvNameTooLong = 4,
    kZvNameSameAsSource = 5,
};

void* zv_alloc(uint32_t nBytes);
void zv_free(void* p);

// Reads the header from the first nBytes of a file (the whole file, or at least its
// first 160 KiB) of nFileSize bytes in all, and keeps what it found for the getters below.
ZvFormat zv_probe(const uint8_t* p, uint32_t nBytes, double fFileSize);
// The KWAJ method, the SZDD mode byte, or a cabinet's first member's method (stored 0,
// MSZIP 1, Quantum 2, LZX 3); 0 for other formats.
int32_t zv_probe_method();
// 0, or the LZ error that the header alone already shows (cut short, malformed, unknown
// method, a cabinet of several files or one of a set).
int32_t zv_probe_fault();
// The expanded length the header records (what stored KWAJ data spans, what a cabinet's
// members hold), or -1.
double zv_probe_length();
ZvRecorded zv_probe_recorded();

// The extension a new row starts with for the file named pszName (its own name, no
// folder), from the last probe: recorded, else the table's, else the SZDD header's
// character; "" when none knew it. Valid until the next call.
const char* zv_extension(const char* pszName);
ZvRule zv_extension_rule();

// The expanded file's name: pszName up to and including its last '.', then pszExt.
// Null, with zv_name_fault telling why, when there is no such safe name.
const char* zv_output_name(const char* pszName, const char* pszExt);
ZvNameFault zv_name_fault();

// Expands the source read through zv_source_read into zv_sink_write: the number of
// bytes written, or a negative LZ error (what was decoded before it has been written).
double zv_expand();

}  // extern "C"
