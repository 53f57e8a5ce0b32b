#include "cli/ShownName.h"
#include "platform/PathStyle.h"

namespace {

void AppendEscaped(unsigned char c, std::string* pShown) {
    const char* pszLetters = "abtnvfr";  // 7 to 13
    if (c >= 7 && c <= 13) {
        *pShown += '\\';
        *pShown += pszLetters[c - 7];
        return;
    }
    const char aOctal[] = {'\\', static_cast<char>('0' + (c >> 6)), static_cast<char>('0' + ((c >> 3) & 7)),
                           static_cast<char>('0' + (c & 7))};
    pShown->append(aOctal, sizeof aOctal);
}

}  // namespace

std::string ShownName(const std::string& strName) {
    // Native names are UTF-8; on Windows the same bytes are parts of code page 932 characters.
    const bool bUtf8 = platform::BuildPathStyle() == platform::PathStyle::kNative;
    std::string strShown;
    for (size_t i = 0; i < strName.size(); ++i) {
        const auto c = static_cast<unsigned char>(strName[i]);
        const auto cNext = static_cast<unsigned char>(i + 1 < strName.size() ? strName[i + 1] : 0);
        if (c < 0x20 || c == 0x7F) {
            AppendEscaped(c, &strShown);
        } else if (bUtf8 && c == 0xC2 && cNext >= 0x80 && cNext <= 0x9F) {
            AppendEscaped(c, &strShown);
            AppendEscaped(cNext, &strShown);
            ++i;
        } else {
            strShown += static_cast<char>(c);
        }
    }
    return strShown;
}
