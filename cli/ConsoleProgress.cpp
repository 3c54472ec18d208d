#include "cli/ConsoleProgress.h"

#include <cstdio>
#include <string>

namespace halden {

void ConsoleProgress::progress(int percent) {
    if (!terminal_ || percent == shown_) {
        return;
    }
    shown_ = percent;
    if (percent < 0) {
        out_ << "\r\033[K" << std::flush;
        return;
    }
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    char line[80];
    std::snprintf(line, sizeof line, "\r[%s%s] %3d%%", std::string(filled, '#').c_str(),
                  std::string(kWidth - filled, ' ').c_str(), percent);
    out_ << line << std::flush;
}

} // namespace halden
