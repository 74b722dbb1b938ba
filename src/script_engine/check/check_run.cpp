#include "script_engine/check/check_run.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "common/shift_jis.h"

namespace tsuzuri {

// Threads, one per core, that run the work handed to them in the order handed, each with its
// own folder listings. Started with the first work; `finish` waits until all is done.
class CheckWorkers {
public:
    CheckWorkers() = default;
    CheckWorkers(const CheckWorkers&) = delete;
    CheckWorkers& operator=(const CheckWorkers&) = delete;
    ~CheckWorkers() { stop(); }

    void add(std::function<void()> work) {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(std::move(work));
        }
        if (threads_.empty()) {
            const unsigned count = std::max(1u, std::thread::hardware_concurrency());
            for (unsigned i = 0; i < count; ++i) {
                threads_.emplace_back([this] { run(); });
            }
        }
        ready_.notify_one();
    }

    // Waits for all the work; throws what a piece of work threw.
    void finish() {
        stop();
        if (std::exception_ptr error = std::exchange(error_, nullptr)) {
            std::rethrow_exception(error);
        }
    }

private:
    void stop() {
        {
            std::lock_guard lock(mutex_);
            closing_ = true;
        }
        ready_.notify_all();
        for (std::thread& thread : threads_) {
            thread.join();
        }
        threads_.clear();
        closing_ = false;
    }

    void run() {
        // Lookups on this thread read each folder once, as the checking thread's do.
        FolderListingScope listings;
        for (;;) {
            std::function<void()> work;
            {
                std::unique_lock lock(mutex_);
                ready_.wait(lock, [this] { return !queue_.empty() || closing_; });
                if (queue_.empty()) {
                    return;
                }
                work = std::move(queue_.front());
                queue_.pop_front();
            }
            try {
                work();
            } catch (...) {
                std::lock_guard lock(mutex_);
                if (!error_) {
                    error_ = std::current_exception();
                }
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> queue_;
    bool closing_ = false;
    std::exception_ptr error_;
    std::vector<std::thread> threads_;
};

namespace {

namespace fs = std::filesystem;

// A native name (bytes from the disk) as UTF-8: kept when it is already, else read as Shift-JIS.
std::string nativeToUtf8(const std::string& name) {
    return isValidUtf8(name) ? name : sjisToUtf8ForDisplay(name);
}

std::string lowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

}  // namespace

std::int32_t columnAt(std::string_view sjisLine, std::size_t offset) {
    std::int32_t column = 1;
    for (std::size_t i = 0; i < offset && i < sjisLine.size(); ++column) {
        i += isLeadByte(static_cast<unsigned char>(sjisLine[i])) && i + 1 < sjisLine.size() ? 2 : 1;
    }
    return column;
}

std::string quotedText(std::string_view sjis, std::size_t maxChars) {
    std::string text = sjisToUtf8ForDisplay(sjis);
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && chars++ == maxChars) {
            return "'" + text.substr(0, i) + "...'";
        }
    }
    return "'" + text + "'";
}

CheckRun::CheckRun() : workers_(std::make_unique<CheckWorkers>()) {}

CheckRun::~CheckRun() = default;

void CheckRun::report(const std::string& file, std::int32_t line, std::string_view code,
                      std::string message) {
    reportAt(file, line, 1, code, std::move(message));
}

void CheckRun::reportAt(const std::string& file, std::int32_t line, std::int32_t column,
                        std::string_view code, std::string message,
                        std::optional<Severity> severity) {
    if (const auto inFile = suppressed.find(file); inFile != suppressed.end()) {
        if (const auto atLine = inFile->second.find(line);
            atLine != inFile->second.end() &&
            std::find(atLine->second.begin(), atLine->second.end(), code) != atLine->second.end()) {
            return;
        }
    }
    place(Diagnostic{file, line, severity.value_or(severityOfCode(code)), std::string(code),
                     std::move(message), column});
}

void CheckRun::place(Diagnostic finding) {
    if (!placing_) {
        queued_.emplace_back(std::move(finding));
        return;
    }
    auto [entry, added] = byFile.try_emplace(finding.file);
    if (added) {
        fileOrder.push_back(finding.file);
    }
    entry->second.push_back(std::move(finding));
}

void CheckRun::onWorkers(std::function<void()> work) {
    workers_->add(std::move(work));
}

void CheckRun::later(std::function<void()> then) {
    if (placing_) {
        then();
    } else {
        queued_.emplace_back(std::move(then));
    }
}

std::vector<Diagnostic> CheckRun::takeFindings() {
    workers_->finish();
    placing_ = true;
    for (auto& queued : std::exchange(queued_, {})) {
        if (Diagnostic* finding = std::get_if<Diagnostic>(&queued)) {
            place(std::move(*finding));
        } else {
            std::get<std::function<void()>>(queued)();
        }
    }
    placing_ = false;
    std::vector<Diagnostic> all;
    for (const std::string& file : fileOrder) {
        std::vector<Diagnostic>& findings = byFile[file];
        std::stable_sort(findings.begin(), findings.end(),
                         [](const Diagnostic& a, const Diagnostic& b) {
                             return a.line != b.line ? a.line < b.line : a.column < b.column;
                         });
        std::move(findings.begin(), findings.end(), std::back_inserter(all));
    }
    fileOrder.clear();
    byFile.clear();
    return all;
}

std::string CheckRun::displayName(const fs::path& file) const {
    const std::string& full = file.native();
    const std::string& folder = gameFolder.native();
    std::string relative = full;
    if (full.size() > folder.size() && full.compare(0, folder.size(), folder) == 0) {
        relative = full.substr(folder.size());
        relative.erase(0, relative.find_first_not_of('/'));
    }
    return nativeToUtf8(relative);
}

GamePath CheckRun::gamePath(std::string_view subfolder, std::string_view name) const {
    std::string relative(subfolder);
    if (!relative.empty()) {
        relative += '\\';
    }
    relative += name;
    return GamePath{gameFolder, std::move(relative)};
}

std::string CheckRun::suggestion(std::string_view subfolder, std::string_view name) {
    auto [entry, added] = folderNames.try_emplace(std::string(subfolder));
    if (added) {
        const fs::path root = gameFolder / subfolder;
        std::vector<std::string> names;
        std::error_code error;
        for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
             it.increment(error)) {
            if (it->is_regular_file(error)) {
                std::string relative = nativeToUtf8(it->path().lexically_relative(root).native());
                std::replace(relative.begin(), relative.end(), '/', '\\');
                names.push_back(std::move(relative));
            }
        }
        entry->second = NameIndex(std::move(names));
    }
    const std::vector<std::string> near = entry->second.nearest(sjisToUtf8ForDisplay(name));
    if (near.empty()) {
        return {};
    }
    std::string text = " (did you mean ";
    for (std::size_t i = 0; i < near.size(); ++i) {
        text += (i == 0 ? "'" : i + 1 == near.size() ? " or '" : ", '") + near[i] + "'";
    }
    return text + "?)";
}

void CheckRun::noteForgivenName(std::string_view subfolder, std::string_view name,
                                const fs::path& found, const std::string& file, std::int32_t line) {
    const fs::path exact = plausibleNativePath(gamePath(subfolder, name));
    if (exact == found) {
        return;
    }
    const char last = name.empty() ? '\0' : name.back();
    const char* forgiven = last == ' ' || last == '.' ? "the blanks at its end are dropped"
                           : lowerAscii(exact.native()) == lowerAscii(found.native())
                               ? "case is ignored"
                               : "it is found under its Shift-JIS bytes";
    report(file, line, "name-forgiven",
           quotedText(name) + " is found as '" + displayName(found) + "' only because " + forgiven +
               "; a stricter system will not find it");
}

}  // namespace tsuzuri
