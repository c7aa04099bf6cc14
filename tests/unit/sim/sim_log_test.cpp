// The simulator's log: lines written only once it is idle, or a summary when quiet.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tools/sim/sim_log.h"

namespace ktr {
namespace {

// What has been written to the file so far.
std::string Written(std::FILE *file)
{
    std::fflush(file);
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;)
        text.push_back(static_cast<char>(c));
    std::fseek(file, 0, SEEK_END);
    return text;
}

class SimLogTest : public ::testing::Test
{
protected:
    void TearDown() override { std::fclose(file); }
    std::FILE *file = std::tmpfile();
};

TEST_F(SimLogTest, LinesWaitForTheIdleFlushAndAnnouncementsDoNot)
{
    ASSERT_NE(file, nullptr);
    SimLog log(file, false);
    log.announce("ready: 2 devices on 0.0.0.0:1901");
    log.request({"dev 0 search -> reply 33 bytes broadcast"});
    log.request({"dev 1 search -> reply 33 bytes broadcast"});
    log.requestDone();
    log.repliesSent(2, 0);
    EXPECT_EQ(Written(file), "ready: 2 devices on 0.0.0.0:1901\n");

    log.flush();
    EXPECT_EQ(Written(file), "ready: 2 devices on 0.0.0.0:1901\n"
                             "dev 0 search -> reply 33 bytes broadcast\n"
                             "dev 1 search -> reply 33 bytes broadcast\n");
    // An announcement never overtakes lines gathered before it.
    log.request({"ignored 3 bytes: too short"});
    log.announce("stopped");
    EXPECT_TRUE(Written(file).ends_with("ignored 3 bytes: too short\nstopped\n"));
}

TEST_F(SimLogTest, LateLinesAreMadeAtTheFlushInTheirPlace)
{
    ASSERT_NE(file, nullptr);
    SimLog log(file, false);
    int made = 0;
    log.request({"ignored 3 bytes: too short"});
    log.requestLater(
        [&made](std::string &text) {
            ++made;
            text += "dev 0 search -> reply 33 bytes broadcast\n";
        },
        16);
    log.request({"ignored 4 bytes: too short"});
    EXPECT_EQ(made, 0);
    EXPECT_EQ(Written(file), "");

    log.flush();
    log.flush();
    EXPECT_EQ(made, 1);
    EXPECT_EQ(Written(file), "ignored 3 bytes: too short\n"
                             "dev 0 search -> reply 33 bytes broadcast\n"
                             "ignored 4 bytes: too short\n");
}

TEST_F(SimLogTest, ASpellThatGathersTooMuchWritesBeforeItsEnd)
{
    ASSERT_NE(file, nullptr);
    SimLog log(file, false);
    log.request({"first"});
    log.requestLater([](std::string &text) { text += "second\n"; }, 5 * 1024 * 1024);
    EXPECT_EQ(Written(file), "first\nsecond\n");
    log.request({"third"});
    EXPECT_EQ(Written(file), "first\nsecond\n");
}

TEST_F(SimLogTest, QuietWritesOneSummaryPerBusySpell)
{
    ASSERT_NE(file, nullptr);
    SimLog log(file, true);
    log.requestLater([](std::string &text) { text += "never made\n"; }, 16);
    log.request({"dev 0 search -> reply 33 bytes broadcast"});
    log.requestDone();
    log.request({"ignored 3 bytes: too short"});
    log.requestDone();
    log.repliesSent(20000, 0);
    log.flush();
    // Nothing happened since: no second summary.
    log.flush();
    log.repliesSent(5, 2);
    log.flush();
    EXPECT_EQ(Written(file), "summary: 2 requests, 20000 replies sent\n"
                             "summary: 0 requests, 5 replies sent, 2 not sent\n");
}

} // namespace
} // namespace ktr
