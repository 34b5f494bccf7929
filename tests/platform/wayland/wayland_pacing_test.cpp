// The main window blinking on a headless weston of its own
// (tests/support/with_weston.sh, libwayland's log on: WAYLAND_DEBUG=client),
// its changes paced by the compositor's frames: what goes over the wire for
// each change, and the tick log it leaves.
#include "support/main_window_parts.h"
#include "support/wire_log.h"

#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <ctime>
#include <functional>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace varno {
namespace {

using testing_support::MainWindowUnderTest;
using testing_support::WireLog;

// What the wire says about the surfaces that carry the changes: those
// presentation feedback is asked for (a new placement may bring another).
struct Wire {
    std::set<std::string> surfaces;
    int feedbackAsked = 0, attaches = 0, commits = 0, framesAsked = 0;
    int framesDone = 0, presented = 0, discarded = 0;
    int mostChangesInOneFrame = 0;  // change commits between two frame callbacks

    static Wire of(const std::vector<std::string>& lines, std::size_t from = 0)
    {
        Wire w;
        const std::regex feedback(R"(-> wp_presentation@\d+\.feedback\((wl_surface@\d+), new id)");
        const std::regex onSurface(R"(-> (wl_surface@\d+)\.(attach|commit|frame)\()");
        std::smatch m;
        for (const std::string& line : lines) {
            if (std::regex_search(line, m, feedback))
                w.surfaces.insert(m[1]);
        }
        int changesThisFrame = 0;
        for (std::size_t i = from; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            const bool request = line.find(" -> ") != std::string::npos;
            const bool carrier = std::regex_search(line, m, onSurface) && w.surfaces.count(m[1]);
            const std::string what = carrier ? m[2].str() : std::string();
            if (what == "attach") {
                ++w.attaches;
            } else if (what == "commit") {
                ++w.commits;
            } else if (what == "frame") {
                ++w.framesAsked;
            } else if (request && line.find(".feedback(wl_surface@") != std::string::npos) {
                ++w.feedbackAsked;
                w.mostChangesInOneFrame = std::max(w.mostChangesInOneFrame, ++changesThisFrame);
            } else if (!request && std::regex_search(line, std::regex(R"(wl_callback@\d+\.done\()"))) {
                ++w.framesDone;
                changesThisFrame = 0;
            } else if (!request && line.find("wp_presentation_feedback@") != std::string::npos) {
                w.presented += line.find(".presented(") != std::string::npos;
                w.discarded += line.find(".discarded(") != std::string::npos;
            }
        }
        return w;
    }
};

struct Record {
    std::int64_t dueUs, target, reached, reachedUs;
    std::string outcome;
};

class PacedOnWeston : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) << "needs weston";
        ASSERT_TRUE(dir.isValid());
        logPath = dir.filePath(QStringLiteral("ticks.log")).toStdString();
        qputenv("VARNO_TICK_LOG", logPath.c_str());
        wire = std::make_unique<WireLog>();
        w = std::make_unique<MainWindowUnderTest>();
        w->window.showMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w->window));
        ASSERT_NE(w->surface()->pacing(), nullptr) << "weston offers presentation feedback";
    }
    void TearDown() override
    {
        w.reset();
        wire.reset();
        qunsetenv("VARNO_TICK_LOG");
    }

    void click() { QTest::mouseClick(w->surface(), Qt::LeftButton, {}, w->surface()->rect().center()); }
    bool waitFor(const std::function<bool(const Wire&)>& until, std::size_t from = 0)
    {
        Wire seen;
        const bool met = QTest::qWaitFor([&] { return until(seen = Wire::of(wire->lines(), from)); }, 20000);
        if (!met)
            ADD_FAILURE() << "attaches " << seen.attaches << ", feedback " << seen.feedbackAsked
                          << ", commits " << seen.commits << ", frames " << seen.framesAsked << "/" << seen.framesDone
                          << ", presented " << seen.presented << ", discarded " << seen.discarded;
        return met;
    }

    // Stops the blinking and reads the log once its closing line is in.
    std::vector<std::string> stopAndRead()
    {
        click();
        std::vector<std::string> lines;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            std::ifstream in(logPath);
            lines.clear();
            for (std::string line; std::getline(in, line);)
                lines.push_back(line);
            return !lines.empty() && lines.back().rfind("summary ", 0) == 0;
        }, 5000)) << "the log closes once the last feedback is in";
        return lines;
    }

    static std::vector<Record> records(const std::vector<std::string>& lines)
    {
        std::vector<Record> found;
        for (const std::string& line : lines) {
            Record r;
            std::istringstream fields(line);
            if (fields >> r.dueUs >> r.target >> r.reached >> r.reachedUs >> r.outcome)
                found.push_back(r);
        }
        return found;
    }

    QTemporaryDir dir;
    std::string logPath;
    std::unique_ptr<WireLog> wire;
    std::unique_ptr<MainWindowUnderTest> w;
};

TEST_F(PacedOnWeston, EachChangeIsCommittedOnAFrameWithItsFeedback)
{
    const std::size_t started = wire->lines().size();
    click();  // 20 ms until the bar moves
    ASSERT_TRUE(waitFor([](const Wire& wire) { return wire.presented >= 40; }, started));
    const auto lines = stopAndRead();
    const Wire sent = Wire::of(wire->lines(), started);

    EXPECT_EQ(sent.attaches, sent.feedbackAsked) << "every change asks when it is shown";
    EXPECT_EQ(sent.mostChangesInOneFrame, 1) << "one change a compositor frame at most";
    EXPECT_LE(sent.commits - sent.attaches, sent.attaches) << "at most one commit between changes, for a callback";
    EXPECT_EQ(sent.discarded, 0);

    ASSERT_GE(lines.size(), 2u);
    const std::string& summary = lines.back();
    EXPECT_NE(summary.find("summary changes=" + std::to_string(sent.feedbackAsked) + " "), std::string::npos)
        << summary;
    EXPECT_NE(summary.find(" skipped=0 refresh_hz=60 refresh_source=compositor timestamps=compositor"),
              std::string::npos)
        << summary;
    EXPECT_EQ(lines[lines.size() - 2].rfind("# timestamps approximate", 0), 0u) << "headless weston has no hardware";
    EXPECT_EQ(w->timer()->refreshRate(), RefreshRate::of(60)) << "what the tooltip tells";

    // Shown on CLOCK_MONOTONIC, as the due times are: weston's own clock
    // (CLOCK_MONOTONIC_RAW) parts from it as NTP slews ours, by a fifth of
    // a second within the first hour on the machine this was written on.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::int64_t nowUs = std::int64_t{now.tv_sec} * 1'000'000 + now.tv_nsec / 1000;
    for (const Record& r : records(lines)) {
        if (r.reachedUs < 0)
            continue;
        EXPECT_GE(r.reachedUs - r.dueUs, -20'000) << "shown before it was due: " << r.dueUs;
        EXPECT_LE(r.reachedUs, nowUs) << "shown after the log was read: " << r.dueUs;
    }
}

TEST_F(PacedOnWeston, AMinimisedWindowKeepsTheGridAndResynchronises)
{
    click();
    ASSERT_TRUE(waitFor([](const Wire& wire) { return wire.presented >= 10; }));

    // Minimised, the window gets no frame callbacks: the changes go on, on
    // the timer, and the compositor discards each one the next replaces.
    w->window.showMinimized();
    const std::size_t hiding = wire->lines().size();
    ASSERT_TRUE(waitFor([](const Wire& wire) { return wire.attaches >= 20 && wire.discarded >= 10; }, hiding));
    const Wire hidden = Wire::of(wire->lines(), hiding);
    EXPECT_LE(hidden.framesDone, 1);
    EXPECT_LE(hidden.framesAsked, 1) << "one callback waits, no more";

    // weston's shell brings a minimised window back only through its own
    // controls: shown anew, the window gets a new surface, and the pacing
    // takes it up.
    w->window.hide();
    w->window.showMaximized();
    const std::size_t back = wire->lines().size();
    ASSERT_TRUE(waitFor([](const Wire& wire) { return wire.presented >= 10 && wire.framesDone >= 10; }, back));
    EXPECT_EQ(Wire::of(wire->lines(), back).mostChangesInOneFrame, 1) << "on the frames again";

    const auto lines = stopAndRead();
    const Wire all = Wire::of(wire->lines());
    const auto changes = records(lines);
    ASSERT_FALSE(changes.empty());
    int skipped = 0;
    for (const Record& r : changes) {
        EXPECT_EQ((r.dueUs - changes.front().dueUs) % 20'000, 0) << "on the grid of the start: " << r.dueUs;
        skipped += r.outcome == "skipped";
    }
    // Each change the compositor discarded, and any due while the window
    // had no surface at all.
    EXPECT_GE(skipped, all.discarded);
    EXPECT_LE(skipped, all.discarded + static_cast<int>(changes.size()) - all.feedbackAsked);
    EXPECT_NE(lines.back().find(" skipped=" + std::to_string(skipped) + " "), std::string::npos) << lines.back();
    EXPECT_NE(changes.back().outcome, "skipped") << "shown again at the end";
}

}  // namespace
}  // namespace varno
