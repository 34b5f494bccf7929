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

void TickLog::record(ClockTime due, ClockTime woke, ClockTime painted, std::int64_t skipped) noexcept
{
    if (records_ && count_ < kCapacity)
        records_[count_++] = {due, woke, painted, skipped};
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
    char line[128];
    const auto us = [](ClockTime t) { return static_cast<long long>(t / 10); };
    for (std::size_t i = 0; i < count_; ++i) {
        const Record& r = records_[i];
        const int length = std::snprintf(line, sizeof line, "%lld %lld %lld %lld\n", us(r.due), us(r.woke),
                                         us(r.painted), static_cast<long long>(r.skipped));
        DWORD written = 0;
        if (length > 0)
            WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    }
    CloseHandle(file);
    count_ = 0;
}

}  // namespace varno::platform::win32
