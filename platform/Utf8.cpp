#include "platform/Dbcs.h"

namespace platform {

bool DecodeUtf8(const std::string& strUtf8, std::u16string* pUnits) {
    pUnits->clear();
    for (size_t i = 0; i < strUtf8.size();) {
        const auto c = static_cast<unsigned char>(strUtf8[i]);
        const size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (n == 0 || i + n > strUtf8.size()) return false;
        char32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (size_t k = 1; k < n; ++k) {
            const auto t = static_cast<unsigned char>(strUtf8[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        static const char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x10000) {
            pUnits->push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            pUnits->push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            pUnits->push_back(static_cast<char16_t>(cp));
        }
        i += n;
    }
    return true;
}

}  // namespace platform
