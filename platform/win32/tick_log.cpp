#include "tick_log.h"

#include "platform/win32/debug_line.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/windows_api.h"

#include <cstdio>
#include <string>
#include <utility>

namespace varno::platform::win32 {

namespace {

// The variable at whatever length it has; empty when it is unset or empty.
std::wstring environmentText(const wchar_t* name)
{
    std::wstring text;
    // It may grow between the calls: ask again then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
        if (needed == 0)
            return {};
        text.assign(needed, L'\0');
        const DWORD length = GetEnvironmentVariableW(name, text.data(), needed);
        if (length < needed) {
            text.resize(length);
            return text;
        }
    }
    return {};
}

// Only a file on disk: writing to a pipe or a device could hold the
// window up for good.
HANDLE openLogFile(const std::wstring& path, bool append)
{
    HANDLE file = CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        SetLastError(ERROR_BAD_FILE_TYPE);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

bool writeAll(HANDLE file, const char* text, int length)
{
    DWORD written = 0;
    return length > 0 && WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr) &&
           written == static_cast<DWORD>(length);
}

void sayLogFailed(const std::wstring& path, DWORD error)
{
    debugLine("varno: the tick log could not be written (error " + std::to_string(error) + "): " + wideToUtf8(path));
}

}  // namespace

TickLog TickLog::fromEnvironment()
{
    TickLog log;
    log.path_ = environmentText(L"VARNO_TICK_LOG");
    if (log.path_.empty())
        return log;
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
    else
        ++dropped_;
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
    if (tally_.changes() == 0 || failureSaid_)
        return;  // nothing blinked since the last closing line, or nothing can be written
    const std::string summary = summaryLine(tally_, rate, source, timestamps) + "\n";
    tally_.reset();
    HANDLE file = openLogFile(path_, true);
    if (file == INVALID_HANDLE_VALUE)
        return;
    writeAll(file, summary.data(), static_cast<int>(summary.size()));
    CloseHandle(file);
}

void TickLog::flush() noexcept
{
    if (!records_ || (count_ == 0 && dropped_ == 0 && written_))
        return;
    // The first flush starts the file afresh; later ones append.
    HANDLE file = openLogFile(path_, written_);
    written_ = true;
    bool whole = file != INVALID_HANDLE_VALUE;
    DWORD error = whole ? ERROR_SUCCESS : GetLastError();
    char line[160];
    const auto us = [](ClockTime t) { return static_cast<long long>(t / 10); };
    for (std::size_t i = 0; whole && i < count_; ++i) {
        const Record& r = records_[i];
        const bool aimed = r.aim.known();
        whole = writeAll(file, line,
                         std::snprintf(line, sizeof line, "%lld %lld %lld %lld %lld %lld\n", us(r.due), us(r.woke),
                                       us(r.painted), static_cast<long long>(r.skipped),
                                       static_cast<long long>(aimed ? r.aim.refresh : -1),
                                       aimed ? us(r.aim.time) : -1LL));
    }
    if (whole && dropped_ > 0)
        whole = writeAll(file, line,
                         std::snprintf(line, sizeof line, "# %llu flips not logged: more than %llu between writes\n",
                                       static_cast<unsigned long long>(dropped_),
                                       static_cast<unsigned long long>(kCapacity)));
    if (!whole && file != INVALID_HANDLE_VALUE)
        error = GetLastError();
    if (!whole && !failureSaid_) {
        failureSaid_ = true;
        sayLogFailed(path_, error);
        // A disk that filled up may still take one short line.
        if (file != INVALID_HANDLE_VALUE)
            writeAll(file, line, std::snprintf(line, sizeof line, "# the log could not be written whole (error %lu)\n",
                                              static_cast<unsigned long>(error)));
    }
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    count_ = 0;
    dropped_ = 0;
}

}  // namespace varno::platform::win32
