#include "platform/posix/flip_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace varno::platform {
namespace {

namespace fs = std::filesystem;

struct FlipLogTest : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("flip_log_test_" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    static std::string read(const fs::path& path)
    {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(FlipLogTest, WritesEachChangeAndAClosingLinePerRun)
{
    const fs::path path = dir / "ticks.log";
    std::ofstream(path) << "an earlier session's lines\n";
    FlipLog log(path.string());
    log.record({20000, 502, 502, 20100, ChangeOutcome::OnTarget});
    log.record({40000, 503, 504, 40300, ChangeOutcome::Late});
    log.finish(RefreshRate::of(60), RefreshSource::Measured, Timestamps::Server);
    log.record({60000, 506, -1, -1, ChangeOutcome::Skipped});
    log.finish(RefreshRate::of(60), RefreshSource::Measured, Timestamps::Server);
    EXPECT_EQ(read(path),
              "20000 502 502 20100 on_target\n"
              "40000 503 504 40300 late\n"
              "summary changes=2 on_target=1 late=1 skipped=0 refresh_hz=60 refresh_source=measured timestamps=server\n"
              "60000 506 -1 -1 skipped\n"
              "summary changes=1 on_target=0 late=0 skipped=1 refresh_hz=60 refresh_source=measured timestamps=server\n");
}

// A log that cannot be written says so once and never holds the blinking up:
// a folder, a FIFO nobody reads, a folder that is not there.
TEST_F(FlipLogTest, UnwritablePlacesAreSaidOnceAndNeverBlock)
{
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const fs::path& path : {dir, fifo, dir / "missing" / "ticks.log"}) {
        SCOPED_TRACE(path.string());
        FlipLog log(path.string());
        ::testing::internal::CaptureStderr();
        for (int run = 0; run < 2; ++run) {
            log.record({1, 2, 2, 3, ChangeOutcome::OnTarget});
            log.finish({}, RefreshSource::Unknown, Timestamps::None);
        }
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("could not write the tick log"), std::string::npos) << said;
        EXPECT_EQ(said.find("could not", said.find("could not") + 1), std::string::npos) << "said twice: " << said;
        EXPECT_EQ(log.tally().changes(), 0) << "each run starts a new tally";
    }
}

TEST_F(FlipLogTest, OffWithoutAPathButStillCounting)
{
    FlipLog log;
    EXPECT_FALSE(log.enabled());
    log.record({1, 2, 3, 4, ChangeOutcome::Late});
    EXPECT_EQ(log.tally().late(), 1);
}

}  // namespace
}  // namespace varno::platform
