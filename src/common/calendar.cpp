#include "common/calendar.h"

#include <cstdlib>
#include <ctime>

namespace tsuzuri {

std::string calendarNow(const char* format, std::uint32_t runMs) {
    std::tm parts{};
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    char* end = nullptr;
    const long long fixed = epoch != nullptr ? std::strtoll(epoch, &end, 10) : -1;
    if (epoch != nullptr && epoch[0] != '\0' && *end == '\0' && fixed >= 0) {
        const auto seconds = static_cast<std::time_t>(fixed + runMs / 1000);
        gmtime_r(&seconds, &parts);  // the same for every tester, wherever they are
    } else {
        const std::time_t seconds = std::time(nullptr);
        localtime_r(&seconds, &parts);
    }
    char text[64];
    std::strftime(text, sizeof text, format, &parts);
    return text;
}

}  // namespace tsuzuri
