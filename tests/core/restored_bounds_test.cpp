#include "core/restored_bounds.h"

#include "support/core_printers.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace varno {

namespace {

// What the window system reports, in the order it arrives. A settle stands
// for a pause between the user's actions.
struct Report {
    enum Kind { Geometry, Show, Settle } kind;
    PixelRect geometry{};
    WindowShow show = WindowShow::Normal;
};

Report at(int x, int y, int w, int h) { return {Report::Geometry, {x, y, w, h}}; }
const Report kMaximised{Report::Show, {}, WindowShow::Maximised};
const Report kNormal{Report::Show, {}, WindowShow::Normal};
const Report kMinimised{Report::Show, {}, WindowShow::Minimised};
const Report kSettle{Report::Settle};

// The stored defaults at 96 DPI: 1000/1000/6500/6500 twips.
constexpr PixelRect kStored{67, 67, 433, 433};

struct Replayed {
    PixelRect restored;
    std::vector<PixelRect> requested;
};

Replayed replay(const std::vector<Report>& reports)
{
    RestoredBoundsTracker tracker(kStored);
    Replayed run;
    for (const Report& r : reports) {
        switch (r.kind) {
        case Report::Geometry:
            tracker.geometryChanged(r.geometry);
            break;
        case Report::Show:
            if (const auto wanted = tracker.showChanged(r.show)) {
                run.requested.push_back(*wanted);
                tracker.geometryChanged(*wanted);  // as the window manager grants it
            }
            break;
        case Report::Settle:
            tracker.settled();
            break;
        }
    }
    run.restored = tracker.restored();
    return run;
}

// Start maximised, restore, maximise again, restore again: the orders in
// which each window manager reports it to Qt 6.4 on Xvfb (1280×1024), the
// window's own geometry, without its frame.
TEST(RestoredBounds, FiveWindowManagersKeepTheRestoredBounds)
{
    const struct {
        const char* manager;
        std::vector<Report> start, restore, maximise;
        std::size_t requests;  // restores that had to ask for the bounds
    } table[] = {
        // The state first, then the geometry.
        {"openbox",
         {kMaximised, at(67, 67, 433, 433), at(0, 19, 1280, 1005)},
         {kNormal, at(67, 67, 433, 433)},
         {kMaximised, at(0, 19, 1280, 1005)},
         2},
        // Restoring: the geometry first; maximising: the state first.
        {"metacity",
         {kMaximised, at(67, 67, 433, 433), at(0, 37, 1280, 987)},
         {at(67, 67, 433, 433), kNormal},
         {kMaximised, at(0, 37, 1280, 987)},
         0},
        // Two steps through half-maximised geometries, all before the state.
        {"fluxbox",
         {kMaximised, at(67, 67, 433, 433), at(66, 66, 433, 433), at(0, 19, 1280, 982)},
         {at(1, 20, 1280, 982), at(1, 67, 1278, 433), kNormal, at(67, 67, 433, 433)},
         {at(67, 20, 433, 980), at(0, 19, 1280, 982), kMaximised},
         2},
        // The geometry first, then the state.
        {"xfwm4",
         {kMaximised, at(67, 67, 433, 433), at(0, 24, 1280, 1000)},
         {at(67, 67, 433, 433), kNormal},
         {at(0, 24, 1280, 1000), kMaximised},
         0},
        // The state only: the window stays screen-sized unless asked.
        {"IceWM",
         {kMaximised, at(67, 67, 433, 433), at(0, 19, 1280, 979)},
         {kNormal},
         {kMaximised, at(0, 19, 1280, 979)},
         2},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.manager);
        std::vector<Report> reports = row.start;
        const auto then = [&](const std::vector<Report>& more) {
            reports.push_back(kSettle);
            reports.insert(reports.end(), more.begin(), more.end());
        };
        EXPECT_EQ(replay(reports).restored, kStored) << "started";
        then(row.restore);
        const Replayed restored = replay(reports);
        EXPECT_EQ(restored.restored, kStored) << "restored";
        EXPECT_LE(restored.requested.size(), 1u);
        then(row.maximise);
        EXPECT_EQ(replay(reports).restored, kStored) << "maximised again, and closed at once";
        then(row.restore);
        then(row.maximise);
        reports.push_back(kSettle);
        const Replayed twice = replay(reports);
        EXPECT_EQ(twice.restored, kStored) << "twice";
        EXPECT_EQ(twice.requested.size(), row.requests);
        for (const PixelRect& r : twice.requested)
            EXPECT_EQ(r, kStored);
    }
}

// The user's own changes while the window is restored are what counts.
TEST(RestoredBounds, FollowsTheUserWhileRestored)
{
    const PixelRect moved{200, 150, 500, 400};
    const struct {
        const char* what;
        std::vector<Report> reports;
        PixelRect restored;
    } table[] = {
        {"resized, then maximised the fluxbox way",
         {kMaximised, kSettle, kNormal, at(200, 150, 500, 400), kSettle, at(200, 20, 500, 980),
          at(0, 19, 1280, 982), kMaximised},
         moved},
        {"resized, then maximised the openbox way",
         {kMaximised, kSettle, kNormal, at(200, 150, 500, 400), kSettle, kMaximised, at(0, 19, 1280, 1005)},
         moved},
        {"closed while still being dragged", {kNormal, at(200, 150, 500, 400)}, moved},
        {"resized, then minimised at once", {kNormal, at(200, 150, 500, 400), kMinimised}, moved},
        {"maximised, minimised, then restored",
         {kMaximised, at(0, 19, 1280, 1005), kSettle, kMinimised, kSettle, kNormal},
         kStored},
        {"geometry while maximised never counts", {kMaximised, at(5, 5, 900, 900), kSettle}, kStored},
    };
    for (const auto& row : table)
        EXPECT_EQ(replay(row.reports).restored, row.restored) << row.what;
}

// A minimised window that comes back as it was is not restored from
// maximised: nothing is asked of the window manager.
TEST(RestoredBounds, AsksForTheBoundsOnlyWhenRestoringFromMaximised)
{
    const struct {
        const char* what;
        std::vector<Report> reports;
        std::size_t requests;
    } table[] = {
        {"normal, minimised, normal", {kNormal, kSettle, kMinimised, kNormal}, 0},
        {"maximised, minimised, normal", {kMaximised, at(0, 19, 1280, 979), kMinimised, kNormal}, 1},
        {"restored to its bounds already", {kMaximised, at(0, 19, 1280, 979), at(67, 67, 433, 433), kNormal}, 0},
    };
    for (const auto& row : table)
        EXPECT_EQ(replay(row.reports).requested.size(), row.requests) << row.what;
}

}  // namespace
}  // namespace varno
