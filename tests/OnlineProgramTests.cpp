// Two real programs on the loopback interface, playing one game in
// lockstep; a third caller is turned away.
#include <X11/keysym.h>
#include <box2d/box2d.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>

#include "tests/support/RunningProgram.h"

namespace
{
std::string Title()
{
	return "Box2D Version " + std::to_string(b2_version.major) + "." + std::to_string(b2_version.minor) + "." +
		std::to_string(b2_version.revision);
}

// A port of this test's own, so parallel runs do not meet.
std::string Port()
{
	return std::to_string(40000 + getpid() % 20000);
}

TEST(OnlineProgram, TwoProgramsPlayInLockstepAndAThirdIsTurnedAway)
{
	RunningProgram host({"--host", "127.0.0.1:" + Port()});
	ASSERT_NE(host.WaitForWindow(Title(), 20.0), 0u) << host.ErrorOutput();
	{
		RunningProgram partner({"--join", "127.0.0.1:" + Port()});
		std::this_thread::sleep_for(std::chrono::seconds(2));
		RunningProgram third({"--join", "127.0.0.1:" + Port()});
		EXPECT_EQ(third.WaitForExit(20.0), 2) << third.ErrorOutput();
		EXPECT_NE(third.ErrorOutput().find("already has a partner"), std::string::npos) << third.ErrorOutput();
		std::this_thread::sleep_for(std::chrono::seconds(4));
		EXPECT_NE(partner.ErrorOutput().find("joined 127.0.0.1:" + Port() + "; input delay"), std::string::npos)
			<< partner.ErrorOutput();
		partner.Signal(SIGTERM);
		EXPECT_EQ(partner.WaitForExit(5.0), 128 + SIGTERM);
	}
	// The host notices the silence and goes on alone, having compared a
	// digest a second with the partner and found them all equal.
	std::this_thread::sleep_for(std::chrono::seconds(4));
	const std::string errors = host.ErrorOutput();
	std::smatch found;
	ASSERT_TRUE(std::regex_search(errors, found, std::regex("no word from the partner .* \\((\\d+) digests matched")))
		<< errors;
	EXPECT_GE(std::stoi(found[1]), 2) << errors;
	EXPECT_EQ(errors.find("differ"), std::string::npos) << errors;
	EXPECT_NE(errors.find("refused 127.0.0.1"), std::string::npos) << errors;
}
} // namespace
