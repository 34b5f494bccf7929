// Watches one pixel of the screen from its own X connection and prints every
// change with its CLOCK_MONOTONIC time, so flip times are seen the way the
// display server shows them, not the way the program believes it drew them.
//
//   varno_probe X Y SECONDS [EVERY_US]
//
// Prints "ready" once connected, then "T_NS PREVIOUS_T_NS PIXEL" (pixel in
// hex) for the first sample and each change: the change lies between the
// previous reply and this one, and at the end one line
// "# samples N max_gap_ns G" so a starved sampler shows in the figures.
// Stops after SECONDS or on SIGTERM/SIGINT.

#include <xcb/xcb.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) { g_stop.store(true); }

std::int64_t NowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

timespec ToTimespec(std::int64_t ns)
{
    return timespec{time_t(ns / 1'000'000'000), long(ns % 1'000'000'000)};
}

bool ReadPixel(xcb_connection_t* c, xcb_window_t root, std::int16_t x, std::int16_t y,
               bool msbFirst, std::uint32_t& pixel)
{
    const auto cookie = xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, x, y, 1, 1, ~0u);
    xcb_get_image_reply_t* reply = xcb_get_image_reply(c, cookie, nullptr);
    if (!reply)
        return false;
    const int len = xcb_get_image_data_length(reply);
    const std::uint8_t* data = xcb_get_image_data(reply);
    std::uint32_t v = 0;
    for (int i = 0; i < len && i < 4; ++i)
        v = msbFirst ? (v << 8) | data[i] : v | std::uint32_t(data[i]) << (8 * i);
    std::free(reply);
    pixel = v & 0x00ffffffu;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s X Y SECONDS [EVERY_US]\n", argv[0]);
        return 2;
    }
    const auto x = std::int16_t(std::atoi(argv[1]));
    const auto y = std::int16_t(std::atoi(argv[2]));
    const double seconds = std::atof(argv[3]);
    const std::int64_t every = (argc > 4 ? std::atoll(argv[4]) : 250) * 1000;

    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);

    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "cannot connect to the display\n");
        return 1;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    const xcb_window_t root = it.data->root;
    const bool msbFirst = xcb_get_setup(c)->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;

    std::printf("ready\n");
    std::fflush(stdout);

    const std::int64_t start = NowNs();
    const auto end = start + std::int64_t(seconds * 1e9);
    std::int64_t next = start;
    std::int64_t last = start;
    std::int64_t maxGap = 0;
    std::uint64_t samples = 0;
    std::uint32_t previous = 0;
    bool havePrevious = false;

    while (!g_stop.load()) {
        std::uint32_t pixel = 0;
        if (!ReadPixel(c, root, x, y, msbFirst, pixel)) {
            std::fprintf(stderr, "the display went away\n");
            break;
        }
        // The reply time is when the server had the pixel; a flip happened
        // between the previous reply and this one.
        const std::int64_t now = NowNs();
        const std::int64_t before = last;
        ++samples;
        if (now - last > maxGap && samples > 1)
            maxGap = now - last;
        last = now;
        if (!havePrevious || pixel != previous) {
            // The change happened after the previous reply and before this one.
            std::printf("%lld %lld %06x\n", static_cast<long long>(now), static_cast<long long>(before), pixel);
            std::fflush(stdout);
            previous = pixel;
            havePrevious = true;
        }
        if (now >= end)
            break;
        next += every;
        if (next < now)
            next = now;
        const timespec wake = ToTimespec(next);
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr);
    }
    std::printf("# samples %llu max_gap_ns %lld\n", static_cast<unsigned long long>(samples),
                static_cast<long long>(maxGap));
    std::fflush(stdout);
    xcb_disconnect(c);
    return 0;
}
