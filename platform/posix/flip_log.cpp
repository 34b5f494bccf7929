#include "flip_log.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varno::platform {

namespace {

const char* outcomeWord(ChangeOutcome outcome)
{
    switch (outcome) {
    case ChangeOutcome::OnTarget: return "on_target";
    case ChangeOutcome::Late: return "late";
    case ChangeOutcome::Skipped: return "skipped";
    case ChangeOutcome::Unconfirmed: break;
    }
    return "unconfirmed";
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::int64_t monotonicMicroseconds() noexcept
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t{now.tv_sec} * 1'000'000 + now.tv_nsec / 1000;
}

FlipLog FlipLog::fromEnvironment()
{
    const char* path = std::getenv("VARNO_TICK_LOG");
    return FlipLog(path ? path : "");
}

FlipLog::FlipLog(std::string path) : path_(std::move(path))
{
    if (!path_.empty())
        records_ = std::make_unique<Change[]>(kCapacity);
}

FlipLog::FlipLog(FlipLog&&) noexcept = default;
FlipLog& FlipLog::operator=(FlipLog&&) noexcept = default;
FlipLog::~FlipLog() = default;

void FlipLog::record(const Change& change) noexcept
{
    tally_.count(change.outcome);
    if (!records_)
        return;
    if (count_ < kCapacity)
        records_[count_++] = change;
    else
        ++dropped_;
}

void FlipLog::note(std::string line)
{
    note_ = std::move(line);
}

void FlipLog::finish(RefreshRate rate, RefreshSource source, Timestamps timestamps) noexcept
{
    const ChangeTally tally = tally_;
    tally_.reset();
    const std::string noted = std::move(note_);
    note_.clear();
    if (!records_ || failed_)
        return;
    // Non-blocking: a FIFO without a reader fails at once instead of
    // holding the window up.
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | (written_ ? O_APPEND : O_TRUNC);
    const int fd = ::open(path_.c_str(), flags, 0644);
    struct stat info{};
    bool ok = fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const int openError = fd < 0 ? errno : (ok ? 0 : EINVAL);
    written_ = true;
    char line[160];
    for (std::size_t i = 0; ok && i < count_; ++i) {
        const Change& c = records_[i];
        const int n = std::snprintf(line, sizeof line, "%lld %lld %lld %lld %s\n", static_cast<long long>(c.dueUs),
                                    static_cast<long long>(c.target), static_cast<long long>(c.reached),
                                    static_cast<long long>(c.reachedUs), outcomeWord(c.outcome));
        ok = n > 0 && writeAll(fd, line, static_cast<std::size_t>(n));
    }
    if (ok && dropped_ > 0) {
        const int n = std::snprintf(line, sizeof line, "dropped %lld changes past the log's capacity\n",
                                    static_cast<long long>(dropped_));
        ok = writeAll(fd, line, static_cast<std::size_t>(n));
    }
    if (ok && !noted.empty()) {
        const std::string line = "# " + noted + "\n";
        ok = writeAll(fd, line.data(), line.size());
    }
    if (ok) {
        const std::string summary = summaryLine(tally, rate, source, timestamps) + "\n";
        ok = writeAll(fd, summary.data(), summary.size());
    }
    const int writeError = ok ? 0 : (openError ? openError : errno);
    if (fd >= 0)
        ::close(fd);
    count_ = 0;
    dropped_ = 0;
    if (!ok) {
        failed_ = true;
        std::fprintf(stderr, "varno: could not write the tick log %s: %s\n", path_.c_str(),
                     writeError == EINVAL ? "not a regular file" : std::strerror(writeError));
    }
}

}  // namespace varno::platform
