#include "app/read_record_keeper.h"

#include <cstdio>
#include <string>
#include <utility>

#include "saves/read_record.h"

namespace tsuzuri {

ReadRecordKeeper::ReadRecordKeeper(std::filesystem::path file, ReadLines& lines)
    : file_(std::move(file)), lines_(lines) {
    std::string reason;
    if (!loadReadRecord(file_, lines, reason)) {
        std::fprintf(stderr,
                     "tsuzuri: the record of read pages %s is unusable (%s); every page "
                     "counts as unread\n",
                     file_.c_str(), reason.c_str());
    }
    keptChanges_ = lines.changes();
}

void ReadRecordKeeper::keepIfDue(std::uint32_t nowMs) {
    if (lines_.changes() == keptChanges_ || (keptOnce_ && nowMs - keptAtMs_ < kKeepIntervalMs)) {
        return;
    }
    keptOnce_ = true;
    keptAtMs_ = nowMs;
    keep();
}

void ReadRecordKeeper::keep() {
    if (lines_.changes() == keptChanges_) {
        return;
    }
    std::string error;
    if (!keepReadRecord(file_, lines_, error)) {
        if (!failureReported_) {
            failureReported_ = true;
            std::fprintf(stderr, "tsuzuri: cannot keep the record of read pages in %s: %s\n",
                         file_.c_str(), error.c_str());
        }
        return;
    }
    keptChanges_ = lines_.changes();
}

}  // namespace tsuzuri
