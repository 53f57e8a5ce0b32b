#include "platform/File.h"

namespace platform {

bool LocalTimeExists(const LocalTime& t) {
    static const int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool bLeap = t.nYear % 4 == 0 && (t.nYear % 100 != 0 || t.nYear % 400 == 0);
    return t.nMonth >= 1 && t.nMonth <= 12 && t.nDay >= 1 && t.nDay <= kDays[t.nMonth - 1] &&
           (t.nMonth != 2 || t.nDay < 29 || bLeap) && t.nHour >= 0 && t.nHour <= 23 && t.nMinute >= 0 &&
           t.nMinute <= 59 && t.nSecond >= 0 && t.nSecond <= 59;
}

}  // namespace platform
