// Where the colour changes fall in the X server's refresh cycle, seen from
// outside the program: one connection follows the root window's refresh
// counter (Present NotifyMSC, every refresh), a second reads one pixel of the
// screen as fast as the server answers. Each change is then placed on the
// refresh grid fitted to the counter's times.
//
//   varno_vblank_probe X Y SECONDS
//
// Prints one JSON object: changes, rate_hz, aligned_pct (changes from 2 ms
// before a refresh to half a frame after it), arc95_ms (the shortest stretch
// of the cycle holding 95 % of them), steps (refreshes between successive
// changes, "1": n, ...), pattern (the first steps in order), mean_ms.

#include <xcb/present.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

std::int64_t nowUs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1'000'000 + t.tv_nsec / 1000;
}

struct Refresh {
    std::int64_t msc, ust;
};

std::atomic<bool> g_stop{false};
std::mutex g_lock;
std::vector<Refresh> g_refreshes;

// Asks for each refresh two ahead, so that no answer comes too late to ask
// for the next.
void followRefreshes(xcb_window_t root)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return;
    std::free(xcb_present_query_version_reply(c, xcb_present_query_version(c, 1, 2), nullptr));
    xcb_present_select_input(c, xcb_generate_id(c), root, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
    std::uint32_t serial = 1;
    xcb_present_notify_msc(c, root, serial++, 0, 0, 0);
    xcb_flush(c);
    std::uint64_t asked = 0;
    while (!g_stop) {
        xcb_generic_event_t* e = xcb_wait_for_event(c);
        if (!e)
            break;
        const auto* done = reinterpret_cast<xcb_present_complete_notify_event_t*>(e);
        if ((e->response_type & 0x7F) == XCB_GE_GENERIC && done->event_type == XCB_PRESENT_COMPLETE_NOTIFY) {
            if (asked == 0) {
                asked = done->msc + 2;
                xcb_present_notify_msc(c, root, serial++, done->msc + 1, 0, 0);
                xcb_present_notify_msc(c, root, serial++, done->msc + 2, 0, 0);
            } else {
                {
                    std::lock_guard lock(g_lock);
                    if (g_refreshes.empty() || std::int64_t(done->msc) > g_refreshes.back().msc)
                        g_refreshes.push_back({std::int64_t(done->msc), std::int64_t(done->ust)});
                }
                asked = std::max<std::uint64_t>(asked + 1, done->msc + 2);
                xcb_present_notify_msc(c, root, serial++, asked, 0, 0);
            }
            xcb_flush(c);
        }
        std::free(e);
    }
    xcb_disconnect(c);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: varno_vblank_probe X Y SECONDS\n");
        return 2;
    }
    const int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
    const std::int64_t end = nowUs() + std::int64_t(std::atof(argv[3]) * 1e6);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 3;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    std::thread follower(followRefreshes, root);

    std::vector<std::int64_t> seen;  // when each change was first read
    std::uint32_t last = 0xFFFFFFFFu;
    while (nowUs() < end) {
        xcb_get_image_reply_t* r = xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, std::int16_t(x), std::int16_t(y), 1, 1, ~0u),
            nullptr);
        const std::int64_t t = nowUs();
        if (!r)
            break;
        std::uint32_t pixel = 0;
        std::copy_n(xcb_get_image_data(r), std::min(4, xcb_get_image_data_length(r)),
                    reinterpret_cast<std::uint8_t*>(&pixel));
        std::free(r);
        pixel &= 0xFFFFFFu;
        if (last != 0xFFFFFFFFu && pixel != last)
            seen.push_back(t);
        last = pixel;
    }
    g_stop = true;
    // One more refresh wakes the follower.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    follower.detach();

    std::vector<Refresh> refreshes;
    {
        std::lock_guard lock(g_lock);
        refreshes = g_refreshes;
    }
    if (refreshes.size() < 10 || seen.size() < 3) {
        std::printf("{\"changes\": %zu, \"error\": \"too few refreshes or changes\"}\n", seen.size());
        return 1;
    }
    // The grid fitted to every refresh (time = offset + counter · frame): a
    // single refresh's time is a timer's wake-up, a millisecond off either
    // way. The first answers may be early (asked for too late), so they go.
    refreshes.erase(refreshes.begin(), refreshes.begin() + 3);
    double sm = 0, su = 0, smm = 0, smu = 0;
    const double m0 = double(refreshes.front().msc), u0 = double(refreshes.front().ust);
    for (const Refresh& r : refreshes) {
        const double m = double(r.msc) - m0, u = double(r.ust) - u0;
        sm += m, su += u, smm += m * m, smu += m * u;
    }
    const double n = double(refreshes.size());
    const double frame = (n * smu - sm * su) / (n * smm - sm * sm);
    const double offset = (su - frame * sm) / n;
    const double early = 2000.0;  // a change this soon before a refresh belongs to it

    std::vector<double> phases;
    std::vector<std::int64_t> frames;
    for (const std::int64_t t : seen) {
        const double since = double(t) - u0 - offset + early;
        const double k = std::floor(since / frame);
        frames.push_back(std::int64_t(k));
        phases.push_back(since - k * frame - early);
    }
    int aligned = 0;
    for (const double p : phases)
        aligned += p <= frame / 2 ? 1 : 0;
    std::vector<double> sorted = phases;
    for (double& p : sorted)
        p += early;  // 0 … frame
    std::sort(sorted.begin(), sorted.end());
    const std::size_t keep = std::size_t(std::ceil(0.95 * double(sorted.size())));
    double arc = frame;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const std::size_t j = i + keep - 1;
        const double width = j < sorted.size() ? sorted[j] - sorted[i] : sorted[j - sorted.size()] + frame - sorted[i];
        arc = std::min(arc, width);
    }
    std::map<std::int64_t, int> steps;
    std::string pattern;
    for (std::size_t i = 1; i < frames.size(); ++i) {
        ++steps[frames[i] - frames[i - 1]];
        if (i <= 15)
            pattern += (pattern.empty() ? "" : ",") + std::to_string(frames[i] - frames[i - 1]);
    }
    std::string stepText;
    for (const auto& [step, count] : steps)
        stepText += (stepText.empty() ? "" : ", ") + ("\"" + std::to_string(step) + "\": " + std::to_string(count));
    std::printf("{\"changes\": %zu, \"refreshes\": %zu, \"rate_hz\": %.4f, \"aligned_pct\": %.2f, \"arc95_ms\": %.3f, "
                "\"steps\": {%s}, \"pattern\": \"%s\", \"mean_ms\": %.4f}\n",
                seen.size(), refreshes.size(), 1e6 / frame, 100.0 * aligned / double(phases.size()), arc / 1000.0,
                stepText.c_str(), pattern.c_str(), double(seen.back() - seen.front()) / double(seen.size() - 1) / 1000.0);
    std::fflush(stdout);
    std::_Exit(0);  // the follower may still wait for a refresh
}
