// The Windows console program catches no exception, so every one the runtime would
// throw ends it. Ending at once with a line of its own keeps the runtime's exception
// texts and its name demangler (some 100 KB) out of the program file. Linked into the
// Windows build of the tool only.
#include "cli/Options.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void End(const char* pszWhy) {
    std::fputs(kProgramName, stderr);
    std::fputs(": ", stderr);
    std::fputs(pszWhy, stderr);
    std::fputs("\n", stderr);
    std::abort();
}

}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() { End("internal error"); }
}  // namespace __gnu_cxx
namespace std {
void __throw_bad_alloc() { End("out of memory"); }
void __throw_bad_array_new_length() { End("out of memory"); }
void __throw_length_error(const char*) { End("out of memory"); }
void __throw_logic_error(const char*) { End("internal error"); }
void __throw_out_of_range_fmt(const char*, ...) { End("internal error"); }
void __throw_bad_function_call() { End("internal error"); }
}  // namespace std
