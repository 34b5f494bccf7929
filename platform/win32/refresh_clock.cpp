#include "refresh_clock.h"

#include "platform/win32/windows_api.h"

#include <dwmapi.h>

namespace varno::platform::win32 {

namespace {

using TimingInfoFunction = HRESULT(WINAPI*)(HWND, DWM_TIMING_INFO*);

class DwmRefreshClock final : public RefreshClock {
public:
    DwmRefreshClock()
    {
        // From System32 only: never a dwmapi.dll beside the program.
        library_ = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (library_)
            timingInfo_ = reinterpret_cast<TimingInfoFunction>(
                reinterpret_cast<void*>(GetProcAddress(library_, "DwmGetCompositionTimingInfo")));
        LARGE_INTEGER frequency{};
        QueryPerformanceFrequency(&frequency);
        frequency_ = frequency.QuadPart;
    }
    ~DwmRefreshClock() override
    {
        if (library_)
            FreeLibrary(library_);
    }
    DwmRefreshClock(const DwmRefreshClock&) = delete;
    DwmRefreshClock& operator=(const DwmRefreshClock&) = delete;

    RefreshTiming read() noexcept override
    {
        if (!timingInfo_)
            return {};
        DWM_TIMING_INFO info{};
        info.cbSize = sizeof info;
        // The whole compositor's timing: since Windows 8.1 a window handle is
        // refused.
        if (FAILED(timingInfo_(nullptr, &info)))
            return {};
        const auto period = static_cast<std::int64_t>(info.qpcRefreshPeriod);
        RefreshTiming timing;
        timing.rate = RefreshRate::of(info.rateRefresh.uiNumerator, info.rateRefresh.uiDenominator);
        if (!timing.rate.known() && period > 0)
            timing.rate = RefreshRate::of(frequency_, period);
        timing.grid = RefreshGrid::fromCounter(static_cast<std::int64_t>(info.qpcVBlank), period, frequency_);
        return timing;
    }

private:
    HMODULE library_ = nullptr;
    TimingInfoFunction timingInfo_ = nullptr;
    std::int64_t frequency_ = 0;
};

}  // namespace

std::unique_ptr<RefreshClock> makeDwmRefreshClock()
{
    return std::make_unique<DwmRefreshClock>();
}

}  // namespace varno::platform::win32
