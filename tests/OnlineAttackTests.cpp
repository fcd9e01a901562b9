// The real program against a partner or a host that lies (tools/evilpeer,
// driven by scripts): each side takes only what the other side's program
// could have sent, every wait ends and says why, and a partner who joins
// after all of it still plays. Both builds are attacked.
#include <box2d/box2d.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/net/OnlineSession.h"
#include "framework/net/PacketTags.h"
#include "tests/support/TestApp.h"
#include "tests/support/RunningProgram.h"

namespace
{
using Clock = std::chrono::steady_clock;

std::string Port()
{
	return std::to_string(40000 + (getpid() * 7) % 20000);
}

double SecondsSince(Clock::time_point start)
{
	return std::chrono::duration<double>(Clock::now() - start).count();
}

bool WaitForText(const RunningProgram& program, const std::string& text, double seconds, std::size_t from = 0)
{
	const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
	while (program.ErrorOutput().find(text, from) == std::string::npos)
	{
		if (Clock::now() > deadline)
		{
			return false;
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(100));
	}
	return true;
}

// An evil peer running a script, with the protocol and version it needs
// to pass for the program's own.
class EvilPeer
{
public:
	EvilPeer(const std::string& name, const std::string& script, const std::vector<std::string>& vars = {})
		: path("/tmp/contest-evil-" + name + "-" + std::to_string(getpid()) + ".script"), program(Start(script, vars))
	{
	}
	~EvilPeer() { unlink(path.c_str()); }
	RunningProgram& Program() { return *program; }

private:
	std::unique_ptr<RunningProgram> Start(const std::string& script, const std::vector<std::string>& vars)
	{
		std::ofstream(path) << script;
		std::vector<std::string> args = {"--var", "PORT=" + Port(), "--var",
			"PROTOCOL=" + std::to_string(OnlineSession::ProtocolVersion), "--var", std::string("VERSION=") + ContestVersion,
			"--var", std::string("SECRET=") + TestSecret, "--var", "HC=" + std::string(32, 'c')};
		for (const std::string& var : vars)
		{
			args.push_back("--var");
			args.push_back(var);
		}
		args.push_back(path);
		return std::make_unique<RunningProgram>(args, "dummy", 0, std::vector<std::string>{}, CONTEST_EVILPEER);
	}

	std::string path;
	std::unique_ptr<RunningProgram> program;
};

// A partner that speaks the protocol until the welcome; D is the first
// frame its inputs act in, A the one before.
const std::string Joined = "connect 127.0.0.1:$PORT\n"
						   "expect connect\n"
						   "expect probe\n"
						   "answer $SECRET $1\n"
						   "send reliable hello $PROTOCOL $VERSION $CHALLENGE $PROOF\\n\n"
						   "expect welcome\n"
						   "seal\n"
						   "set D ${$3+1+$2}\n"
						   "set A ${$3+$2}\n";

struct Lie
{
	const char* what;
	// Script lines after the welcome.
	const char* script;
	// What the host says of it.
	const char* named;
};

class HostAttacked : public testing::TestWithParam<std::string>
{
};

// Every lie a partner can tell in lockstep or while it catches up drops
// it with a line naming what it sent, and the host plays on: no Escape
// ends it, no window or camera or scene changes, no knight's key, no flood
// freezes it, a digest at the end of time is refused without overflow, a
// partner that sends no digests is found out, and a hello's control bytes
// never reach the terminal. An honest partner
// then joins at once, though a caller that never says hello and two
// half-open connects are there.
TEST_P(HostAttacked, EveryLieDropsThePartnerAndAnHonestOneStillJoins)
{
	RunningProgram host({"--host", "127.0.0.1:" + Port(), "--secret", TestSecret}, "dummy", 0, {}, GetParam());
	ASSERT_NE(host.WaitForWindow(WindowTitle(), 30.0), 0u) << host.ErrorOutput();
	const Lie lies[] = {
		{"escape", "send reliable ready\\n\nsend unsequenced frames $A $D 1\\n$D key 27\\n\n"
				   "send unsequenced frames $A $D 1\\n$D key 27\\n\n",
			"the key that ends the other machine's session"},
		{"window", "send reliable ready\\n\nsend unsequenced frames $A $D 1\\n$D window 4096 4096\\n\n",
			"a change of the other machine's window"},
		{"scene", "send reliable ready\\n\nsend unsequenced frames $A $D 1\\n$D change scene 1\\n\n",
			"a change of scene"},
		{"hz", "send reliable ready\\n\nsend unsequenced frames $A $D 1\\n$D change hz 0x1.ep+7\\n\n",
			"which only the host's panel makes"},
		{"knight", "send reliable ready\\n\nsend unsequenced frames $A $D 1\\n$D key 97\\n\n",
			"a key of the other player's fighter"},
		{"camera", "send reliable ready\\n\nsend unsequenced frames $A $D 1\\n$D special 100\\n\n",
			"a move of the other machine's camera"},
		{"restarts", "send reliable ready\\n\nbegin\nline frames $A $D 1\nrepeat 3000 line $D key 114\n"
					 "send unsequenced\n",
			"3000 inputs in one frame"},
		{"digest", "send reliable ready\\n\nsend reliable digest\\n2147483647 digest frame 0123456789abcdef\\n\n",
			"a digest after frame 2147483647"},
		{"stuck", "flood 8 100 reliable progress 0\\n\n", "got no further than frame 0"},
		{"silent", "send reliable ready\\n\nflood 10 16 unsequenced frames $A ${$D+$i} 1\\n\n",
			"the partner sent no digest of frame"},
	};
	for (const Lie& lie : lies)
	{
		const std::size_t seen = host.ErrorOutput().size();
		// A flood ends when the host drops the partner.
		const bool flood = std::string(lie.script).find("flood") != std::string::npos;
		EvilPeer evil(lie.what, Joined + lie.script + (flood ? "" : "expect disconnect 10\n"));
		EXPECT_EQ(evil.Program().WaitForExit(30.0), 0) << lie.what << evil.Program().ErrorOutput();
		EXPECT_TRUE(WaitForText(host, lie.named, 5.0, seen)) << lie.what << host.ErrorOutput().substr(seen);
		ASSERT_EQ(host.WaitForExit(0.1), -1) << lie.what << host.ErrorOutput();
	}
	{
		EvilPeer bell("bell", "connect 127.0.0.1:$PORT\nexpect connect\nexpect probe\n"
							  "send reliable hello $PROTOCOL \\x1b[2J\\x07\\n\nexpect disconnect 10\n");
		EXPECT_EQ(bell.Program().WaitForExit(30.0), 0) << bell.Program().ErrorOutput();
	}

	// The squatter and the half-open connects take slots; the honest
	// partner is served all the same.
	EvilPeer squatter("squatter", "connect 127.0.0.1:$PORT\nexpect connect\nhalfopen 127.0.0.1:$PORT\n"
								  "halfopen 127.0.0.1:$PORT\nwait 20\n");
	std::this_thread::sleep_for(std::chrono::milliseconds(500));
	const Clock::time_point joining = Clock::now();
	RunningProgram honest({"--join", "127.0.0.1:" + Port() + "/" + TestSecret}, "dummy", 0, {}, GetParam());
	ASSERT_TRUE(WaitForText(honest, "caught up", 30.0)) << honest.ErrorOutput() << host.ErrorOutput();
	std::cout << "an honest partner caught up " << SecondsSince(joining) << " s after it started\n";
	std::this_thread::sleep_for(std::chrono::seconds(3));
	const std::string errors = host.ErrorOutput();
	EXPECT_EQ(errors.find("differ"), std::string::npos) << errors;
	EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;
	EXPECT_EQ(errors.find_first_of("\x1b\x07"), std::string::npos) << errors;
	EXPECT_NE(errors.find("\\x1b[2J\\x07"), std::string::npos) << errors;
	EXPECT_EQ(host.WaitForExit(0.1), -1) << errors;
}

// A partner holding the archer's key whose link dies: the release is part
// of the game the host keeps, so the next partner catches up with no
// difference.
TEST_P(HostAttacked, APartnerDroppedWithAKeyHeldLeavesAGameTheNextPartnerCatchesUpWith)
{
	RunningProgram host({"--host", "127.0.0.1:" + Port(), "--secret", TestSecret}, "dummy", 0, {}, GetParam());
	ASSERT_NE(host.WaitForWindow(WindowTitle(), 30.0), 0u) << host.ErrorOutput();
	// The wave starts, so the archer's walk changes the world.
	{
		EvilPeer starter("starter", Joined + "send reliable ready\\n\n"
											 "send unsequenced frames $A $D 1\\n$D key 49\\n\nwait 1\ndrop\n");
		EXPECT_EQ(starter.Program().WaitForExit(30.0), 0) << starter.Program().ErrorOutput();
	}
	ASSERT_TRUE(WaitForText(host, "no word from the partner", 10.0)) << host.ErrorOutput();
	std::size_t seen = host.ErrorOutput().size();
	EvilPeer holder("holder", Joined + "send reliable ready\\n\n"
									   "send unsequenced frames $A $D 1\\n$D key 108\\n\nwait 1\ndrop\n");
	EXPECT_EQ(holder.Program().WaitForExit(30.0), 0) << holder.Program().ErrorOutput();
	ASSERT_TRUE(WaitForText(host, "no word from the partner", 10.0, seen)) << host.ErrorOutput();
	// Long enough for a digest of the world after the release.
	std::this_thread::sleep_for(std::chrono::seconds(3));
	seen = host.ErrorOutput().size();
	RunningProgram next({"--join", "127.0.0.1:" + Port() + "/" + TestSecret}, "dummy", 0, {}, GetParam());
	ASSERT_TRUE(WaitForText(next, "caught up", 30.0)) << next.ErrorOutput() << host.ErrorOutput();
	EXPECT_TRUE(WaitForText(host, "the partner caught up", 10.0, seen)) << host.ErrorOutput();
	EXPECT_EQ(host.ErrorOutput().find("differ", seen), std::string::npos) << host.ErrorOutput();
	EXPECT_EQ(next.ErrorOutput().find("differ"), std::string::npos) << next.ErrorOutput();
}

// Only the invited partner gets in, and only the two can speak. A forger
// on the partner's path, who knows all of its connection but the key, says
// in ENet's own words that the partner leaves, and the game goes on. Once
// the partner has gone, callers with a wrong secret are denied, saying so,
// and after three their address is ignored, even with the right secret.
TEST_P(HostAttacked, OnlyTheInvitedPartnerSpeaksAndWrongSecretsAreDeniedThenIgnored)
{
	RunningProgram host({"--host", "127.0.0.1:" + Port(), "--secret", TestSecret}, "dummy", 0, {}, GetParam());
	ASSERT_NE(host.WaitForWindow(WindowTitle(), 30.0), 0u) << host.ErrorOutput();
	{
		const std::string onPath = std::to_string(std::stoi(Port()) + 1);
		RunningProgram forger({onPath, Port(), "--forge", "2"}, "dummy", 0, {}, CONTEST_UDPRELAY);
		RunningProgram partner({"--join", "127.0.0.1:" + onPath + "/" + TestSecret}, "dummy", 0, {}, GetParam());
		ASSERT_TRUE(WaitForText(partner, "caught up", 30.0)) << partner.ErrorOutput() << host.ErrorOutput();
		std::this_thread::sleep_for(std::chrono::seconds(5));
		forger.Signal(SIGTERM);
		EXPECT_EQ(forger.WaitForExit(10.0), 0);
		EXPECT_NE(forger.ErrorOutput().find(", 4 forged"), std::string::npos) << forger.ErrorOutput();
		for (const RunningProgram* side : {&host, &partner})
		{
			for (const char* ended : {"left", "no word", "differ"})
			{
				EXPECT_EQ(side->ErrorOutput().find(ended), std::string::npos) << side->ErrorOutput();
			}
		}
		EXPECT_EQ(partner.WaitForExit(0.1), -1) << partner.ErrorOutput();
	}
	ASSERT_TRUE(WaitForText(host, "no word from the partner", 10.0)) << host.ErrorOutput();

	const std::string wrong = std::string(TestSecret).substr(0, 18) + (TestSecret[18] == 'A' ? "C" : "A");
	for (int i = 0; i < PacketTags::WrongTriesAllowed; ++i)
	{
		RunningProgram stranger({"--join", "127.0.0.1:" + Port() + "/" + wrong}, "dummy", 0, {}, GetParam());
		EXPECT_EQ(stranger.WaitForExit(20.0), OnlineSession::JoinFailedStatus) << stranger.ErrorOutput();
		EXPECT_NE(stranger.ErrorOutput().find("the host denied this join"), std::string::npos)
			<< stranger.ErrorOutput();
	}
	EXPECT_TRUE(WaitForText(host, "127.0.0.1 is ignored for", 5.0)) << host.ErrorOutput();
	RunningProgram ignored({"--join", "127.0.0.1:" + Port() + "/" + TestSecret}, "dummy", 0, {}, GetParam());
	EXPECT_EQ(ignored.WaitForExit(30.0), OnlineSession::JoinFailedStatus) << ignored.ErrorOutput();
	EXPECT_NE(ignored.ErrorOutput().find("no answer within"), std::string::npos) << ignored.ErrorOutput();
	EXPECT_EQ(host.WaitForExit(0.1), -1) << host.ErrorOutput();
}

class JoinerAttacked : public testing::TestWithParam<std::string>
{
};

// A lying host that hands over game, said to be of frames frames; the
// script takes the game's text as $GAME.
std::string HandedOver(const std::string& game, int frames)
{
	return "listen $PORT\nexpect connect 20\nsend reliable probe $HC\\n\nexpect hello\n"
			"greet $SECRET $HC $3\n"
		   "send reliable welcome 5 1 " +
		std::to_string(frames) + " " + std::to_string(game.size()) + " $PROOF\\n\nbegin\nline game\nbytes " +
		std::to_string(game.size()) + " $GAME\nsend reliable\nexpect disconnect 20\n";
}

// A joiner takes from its host only a game that the host's program could
// have played and gives up on one that does not come: each ends the join
// at once with a line saying why and exit status 2, where an Escape in the
// game closed it with 0, a frame of restarts froze it, and a welcome
// followed by silence held it for good. Nobody there ends a join too, but
// not before a host started a little later has been met.
TEST_P(JoinerAttacked, AJoinEndsWithAReasonWhateverTheHostDoes)
{
	struct Case
	{
		const char* what;
		std::string lines;
		const char* named;
	};
	std::string restarts;
	for (int i = 0; i < 1000; ++i)
	{
		restarts += "1 change restart\n";
	}
	const Case cases[] = {
		{"escape", "5 key 27\n", "the key that ends the other machine's session"},
		{"restarts", restarts, "1000 inputs in one frame"},
	};
	for (const Case& attack : cases)
	{
		const std::string game = std::string("contest-replay 3\nprogram ") + ContestVersion +
			"\nscene 0\nwindow 640 480\nkeyboard 1\nseed 5\nonline host\n" + attack.lines;
		EvilPeer evil(attack.what, HandedOver(game, 10), {"GAME=" + game});
		std::this_thread::sleep_for(std::chrono::milliseconds(300));
		const Clock::time_point start = Clock::now();
		RunningProgram joiner({"--join", "127.0.0.1:" + Port() + "/" + TestSecret}, "dummy", 0, {}, GetParam());
		EXPECT_EQ(joiner.WaitForExit(30.0), 2) << attack.what << joiner.ErrorOutput();
		EXPECT_NE(joiner.ErrorOutput().find(attack.named), std::string::npos) << joiner.ErrorOutput();
		std::cout << attack.what << ": the joiner gave up in " << SecondsSince(start) << " s\n";
		evil.Program().WaitForExit(10.0);
	}
	{
		EvilPeer silent("silent", "listen $PORT\nexpect connect 20\nsend reliable probe $HC\\n\nexpect hello\n"
			"greet $SECRET $HC $3\n"
								  "send reliable welcome 5 1 10 500 $PROOF\\n\nwait 15\n");
		std::this_thread::sleep_for(std::chrono::milliseconds(300));
		const Clock::time_point start = Clock::now();
		RunningProgram joiner({"--join", "127.0.0.1:" + Port() + "/" + TestSecret}, "dummy", 0, {}, GetParam());
		EXPECT_EQ(joiner.WaitForExit(30.0), 2) << joiner.ErrorOutput();
		EXPECT_NE(joiner.ErrorOutput().find("the host's game stopped coming"), std::string::npos)
			<< joiner.ErrorOutput();
		std::cout << "a welcome and silence: the joiner gave up in " << SecondsSince(start) << " s\n";
	}
	const Clock::time_point start = Clock::now();
	RunningProgram alone({"--join", "127.0.0.1:" + Port() + "/" + TestSecret}, "dummy", 0, {}, GetParam());
	EXPECT_EQ(alone.WaitForExit(30.0), 2) << alone.ErrorOutput();
	EXPECT_NE(alone.ErrorOutput().find("no answer within"), std::string::npos) << alone.ErrorOutput();
	std::cout << "nobody there: the joiner gave up in " << SecondsSince(start) << " s\n";

	// Within the budget, a host that starts late is met.
	RunningProgram early({"--join", "127.0.0.1:" + Port() + "/" + TestSecret}, "dummy", 0, {}, GetParam());
	std::this_thread::sleep_for(std::chrono::seconds(4));
	RunningProgram late({"--host", "127.0.0.1:" + Port(), "--secret", TestSecret}, "dummy", 0, {}, GetParam());
	EXPECT_TRUE(WaitForText(early, "caught up", 20.0)) << early.ErrorOutput() << late.ErrorOutput();
}

// Mid-game, a refusal or a busy host's goodbye is no reason to leave the
// program: the game goes on alone, as when any host leaves.
TEST_P(JoinerAttacked, ARefusalOrABusyGoodbyeMidGameLeavesTheJoinerPlayingAlone)
{
	EvilPeer evil("midgame", "listen $PORT\nexpect connect 20\nsend reliable probe $HC\\n\nexpect hello\n"
			"greet $SECRET $HC $3\n"
							 "send reliable welcome 5 1 0 0 $PROOF\\n\nwait 2\nsend reliable refuse 1 old\\n\n"
							 "expect disconnect 10\n");
	std::this_thread::sleep_for(std::chrono::milliseconds(300));
	RunningProgram joiner({"--join", "127.0.0.1:" + Port() + "/" + TestSecret}, "dummy", 0, {}, GetParam());
	ASSERT_TRUE(WaitForText(joiner, "a packet out of turn", 20.0)) << joiner.ErrorOutput();
	EXPECT_EQ(joiner.WaitForExit(2.0), -1) << joiner.ErrorOutput();
	evil.Program().WaitForExit(10.0);
	EvilPeer busy("busy", "listen $PORT\nexpect connect 20\nsend reliable probe $HC\\n\nexpect hello\n"
			"greet $SECRET $HC $3\n"
						  "send reliable welcome 5 1 0 0 $PROOF\\n\nwait 2\ndisconnect 1\n");
	RunningProgram second({"--join", "127.0.0.1:" + Port() + "/" + TestSecret}, "dummy", 0, {}, GetParam());
	ASSERT_TRUE(WaitForText(second, "the host left", 20.0)) << second.ErrorOutput();
	EXPECT_EQ(second.WaitForExit(2.0), -1) << second.ErrorOutput();
	EXPECT_EQ(second.ErrorOutput().find("already has a partner"), std::string::npos) << second.ErrorOutput();
}

std::vector<std::string> Builds()
{
	std::vector<std::string> builds = {CONTEST_BINARY};
	if (std::string(CONTEST_RELEASE_BINARY) != "")
	{
		builds.push_back(CONTEST_RELEASE_BINARY);
	}
	return builds;
}

std::string BuildName(const testing::TestParamInfo<std::string>& info)
{
	return info.index == 0 ? "ThisBuild" : "ReleaseBuild";
}

INSTANTIATE_TEST_SUITE_P(Builds, HostAttacked, testing::ValuesIn(Builds()), BuildName);
INSTANTIATE_TEST_SUITE_P(Builds, JoinerAttacked, testing::ValuesIn(Builds()), BuildName);
} // namespace
