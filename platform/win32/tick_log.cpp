#include "tick_log.h"

#include "platform/win32/windows_api.h"

#include <cstdio>
#include <utility>

namespace varno::platform::win32 {

TickLog TickLog::fromEnvironment()
{
    TickLog log;
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"VARNO_TICK_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return log;
    log.path_.assign(path, length);
    log.records_ = std::make_unique<Record[]>(kCapacity);
    return log;
}

TickLog::TickLog(TickLog&&) noexcept = default;
TickLog& TickLog::operator=(TickLog&&) noexcept = default;

TickLog::~TickLog()
{
    flush();
}

void TickLog::record(ClockTime due, ClockTime woke, ClockTime painted, std::int64_t skipped,
                     const RefreshAim& aim) noexcept
{
    if (!records_)
        return;
    judgeLast(painted);
    last_ = {due, woke, painted, skipped, aim};
    judging_ = true;
    if (count_ < kCapacity)
        records_[count_++] = last_;
}

void TickLog::judgeLast(ClockTime nextPainted) noexcept
{
    if (judging_)
        tally_.count(predictedOutcome(last_.aim, last_.painted, nextPainted));
    judging_ = false;
}

void TickLog::finish(RefreshRate rate, RefreshSource source, Timestamps timestamps) noexcept
{
    if (!records_)
        return;
    judgeLast(-1);
    flush();
    if (tally_.changes() == 0)
        return;  // nothing blinked since the last closing line
    const std::string summary = summaryLine(tally_, rate, source, timestamps) + "\n";
    tally_.reset();
    HANDLE file = CreateFileW(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, summary.data(), static_cast<DWORD>(summary.size()), &written, nullptr);
    CloseHandle(file);
}

void TickLog::flush() noexcept
{
    if (!records_ || (count_ == 0 && written_))
        return;
    // The first flush starts the file afresh; later ones append.
    HANDLE file = CreateFileW(path_.c_str(), written_ ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              written_ ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    written_ = true;
    if (file == INVALID_HANDLE_VALUE) {
        count_ = 0;
        return;
    }
    char line[160];
    const auto us = [](ClockTime t) { return static_cast<long long>(t / 10); };
    for (std::size_t i = 0; i < count_; ++i) {
        const Record& r = records_[i];
        const bool aimed = r.aim.known();
        const int length = std::snprintf(line, sizeof line, "%lld %lld %lld %lld %lld %lld\n", us(r.due), us(r.woke),
                                         us(r.painted), static_cast<long long>(r.skipped),
                                         static_cast<long long>(aimed ? r.aim.refresh : -1),
                                         aimed ? us(r.aim.time) : -1LL);
        DWORD written = 0;
        if (length > 0)
            WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    }
    CloseHandle(file);
    count_ = 0;
}

}  // namespace varno::platform::win32
