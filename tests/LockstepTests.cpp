// Both sides' lockstep, handed each other's batches by hand: the same
// inputs in the same frames, a common last frame for players who leave,
// what a panel change does, and a catch-up that lockstep goes on from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/input/InputStream.h"
#include "framework/input/PadEvent.h"
#include "framework/session/Lockstep.h"
#include "framework/session/ReplayPlayer.h"
#include "game/GameDevices.h"
#include "scenes/Pyramid.h"

namespace
{
using Line = InputLine;

Line PadPress(int pad, int button)
{
	Line line;
	line.kind = Line::Pad;
	line.code = static_cast<int>(PadAction::Press);
	line.pad = pad;
	line.element = button;
	return line;
}

Line Key(unsigned char key)
{
	Line line;
	line.kind = Line::Key;
	line.code = key;
	return line;
}

// Runs the frame of one side, noting every input it gives as "FRAME LINE".
void RunFrame(Lockstep& side, const Test& scene, int frame, std::vector<std::string>* seen)
{
	ASSERT_TRUE(side.FrameReady()) << frame;
	side.FrameBegins(scene);
	for (InputChannel channel : {InputChannel::Shell, InputChannel::Pads})
	{
		while (const Line* line = side.Next(channel))
		{
			seen->push_back(std::to_string(frame) + " " + ReplayLog::Format(*line));
		}
	}
	side.FrameEnds(scene);
}

// Each side's unacknowledged batches reach the other, which acknowledges
// them.
void Exchange(Lockstep& host, Lockstep& partner)
{
	std::string error;
	for (const Lockstep::Batch& batch : host.Unacknowledged())
	{
		ASSERT_TRUE(partner.Receive(batch, &error)) << error;
	}
	for (const Lockstep::Batch& batch : partner.Unacknowledged())
	{
		ASSERT_TRUE(host.Receive(batch, &error)) << error;
	}
	ASSERT_TRUE(host.Acknowledge(partner.LastReceived(), &error)) << error;
	ASSERT_TRUE(partner.Acknowledge(host.LastReceived(), &error)) << error;
}

// Both sides start with the game's rules and keyboard play on.
void StartWithTheGamesRules(Lockstep& host, Lockstep& partner, int delay)
{
	gameDevices.SetKeyboardPlay(true);
	for (Lockstep* side : {&host, &partner})
	{
		side->UseRules(TravelRules(&gameDevices));
	}
	host.Start(Lockstep::Side::Host, delay);
	partner.Start(Lockstep::Side::Partner, delay);
	partner.UseKeyMap([](unsigned char key) { return gameDevices.SecondPlayerKey(key); });
}

// Both sides' lockstep, their batches handed across by hand: each machine
// gets the same inputs in the same frame and order, its pad 0 playing its
// own fighter and the partner's keys made the second player's.
TEST(Lockstep, BothMachinesGetTheSameInputsInTheSameFrameHostFirst)
{
	Pyramid scene;
	Lockstep host;
	Lockstep partner;
	StartWithTheGamesRules(host, partner, 2);

	std::vector<std::string> seen[2];
	Lockstep* const sides[] = {&host, &partner};
	for (int frame = 1; frame <= 8; ++frame)
	{
		if (frame == 2)
		{
			EXPECT_FALSE(host.Offered(Key('d')));
			EXPECT_FALSE(partner.Offered(Key('d')));
			partner.Offered(PadPress(0, 2));
			partner.Offered(PadPress(1, 3));
			host.Offered(PadPress(0, 1));
		}
		for (int side = 0; side < 2; ++side)
		{
			ASSERT_NO_FATAL_FAILURE(RunFrame(*sides[side], scene, frame, &seen[side]));
		}
		// Every other packet is lost: the next carries its batches too.
		if (frame % 2 == 0)
		{
			ASSERT_NO_FATAL_FAILURE(Exchange(host, partner));
			EXPECT_TRUE(host.Unacknowledged().empty());
		}
	}
	const std::vector<std::string> expected = {"4 4 key 100\n", "4 4 key 108\n", "4 4 pad press 0 1 0\n",
		"4 4 pad press 1 2 0\n"};
	EXPECT_EQ(seen[0], expected);
	EXPECT_EQ(seen[1], expected);
	EXPECT_EQ(host.FramesWaited(), 0);

	// A frame whose partner's batch is missing waits; a batch heard before
	// changes nothing; one out of turn or driving the wrong pad is refused,
	// and so is an acknowledgement of a batch never sent.
	for (int frame = 9; frame <= 10; ++frame)
	{
		ASSERT_TRUE(host.FrameReady());
		host.FrameBegins(scene);
		host.FrameEnds(scene);
	}
	EXPECT_FALSE(host.FrameReady());
	EXPECT_EQ(host.FramesWaited(), 1);
	std::string error;
	EXPECT_TRUE(host.Receive({6, {PadPress(0, 0)}}, &error)) << error;
	Lockstep::Batch late;
	late.frame = 21;
	EXPECT_FALSE(host.Receive(late, &error));
	EXPECT_FALSE(host.Acknowledge(13, &error));
	Lockstep::Batch wrongPad;
	wrongPad.frame = 11;
	wrongPad.lines = {PadPress(0, 0)};
	EXPECT_FALSE(host.Receive(wrongPad, &error));
	EXPECT_EQ(error, "the other player's pad: \"11 pad press 0 0 0\"");
}

// Both players leave at the same moment, one a frame ahead of the other:
// each hears the other's goodbye after sending its own, and both games end
// on the earlier last frame, with every input that frame needs.
TEST(Lockstep, PlayersWhoLeaveTogetherEndOnTheSameFrame)
{
	Pyramid scene;
	Lockstep host;
	Lockstep partner;
	host.Start(Lockstep::Side::Host, 2);
	partner.Start(Lockstep::Side::Partner, 2);
	Lockstep* const sides[] = {&host, &partner};
	std::string error;
	const auto exchange = [&] {
		for (int side = 0; side < 2; ++side)
		{
			Lockstep& from = *sides[side];
			Lockstep& to = *sides[1 - side];
			for (const Lockstep::Batch& batch : from.Unacknowledged())
			{
				ASSERT_TRUE(to.Receive(batch, &error)) << error;
			}
			ASSERT_TRUE(from.Acknowledge(to.LastReceived(), &error)) << error;
		}
	};
	const auto run = [&](Lockstep& side) {
		side.FrameBegins(scene);
		side.FrameEnds(scene);
	};
	for (int frame = 0; frame < 5; ++frame)
	{
		run(host);
		run(partner);
		exchange();
	}
	run(host);
	const int hostLast = host.Finish();
	const int partnerLast = partner.Finish();
	ASSERT_TRUE(host.PartnerFinishes(partnerLast, &error)) << error;
	ASSERT_TRUE(partner.PartnerFinishes(hostLast, &error)) << error;
	for (int turn = 0; turn < 10; ++turn)
	{
		exchange();
		for (Lockstep* side : sides)
		{
			if (side->FrameReady())
			{
				run(*side);
			}
		}
	}
	EXPECT_EQ(partnerLast, hostLast - 1);
	for (Lockstep* side : sides)
	{
		EXPECT_TRUE(side->IsOver());
		EXPECT_EQ(side->Frame(), partnerLast + 1);
		EXPECT_TRUE(side->PartnerHasAll());
		EXPECT_TRUE(side->HasAllFromPartner());
	}
}

// Hears what a recording of the session would hold.
struct Transcript : InputListener
{
	void Heard(const Line& input) override { lines.push_back(ReplayLog::Format(input)); }
	void SceneRestarts(const Test&) override {}
	void FrameBegins(const Test&) override {}
	void FrameEnds(const Test&) override {}
	void SessionEnds(const Test&) override {}
	std::vector<std::string> lines;
};

Line Change(PanelChange::Kind kind, const char* key, bool local)
{
	Line line;
	line.kind = Line::Change;
	line.change = {kind, key, 1.0f, local};
	return line;
}

// What only shows or sounds on one machine is carried out there at once
// and recorded nowhere; the partner's panel cannot change the shared game,
// and nobody can switch scenes.
TEST(Lockstep, APanelChangeIsLocalSharedOrRefusedByWhatItChangesAndWho)
{
	for (const Lockstep::Side side : {Lockstep::Side::Host, Lockstep::Side::Partner})
	{
		Lockstep lockstep;
		lockstep.Start(side, 2);
		InputStream stream;
		Transcript recording;
		stream.SetSource(&lockstep);
		stream.AddListener(&recording);
		EXPECT_TRUE(stream.Offer(Change(PanelChange::Setting, "drawShapes", true)));
		EXPECT_TRUE(stream.Offer(Change(PanelChange::SceneItem, "musicVolume", true)));
		EXPECT_FALSE(stream.Offer(Change(PanelChange::Scene, "", false)));
		EXPECT_FALSE(stream.Offer(Change(PanelChange::Setting, "warmStarting", false)));
		EXPECT_TRUE(recording.lines.empty()) << recording.lines.front();
		Pyramid scene;
		std::string error;
		ASSERT_TRUE(lockstep.Receive({3, {}}, &error)) << error;
		for (int frame = 0; frame < 3; ++frame)
		{
			ASSERT_TRUE(stream.FrameReady());
			stream.BeginFrame(scene);
			while (stream.Next(InputChannel::Shell) != nullptr)
			{
			}
			stream.EndFrame(scene);
		}
		const std::vector<std::string> shared = {"3 change setting warmStarting 0x1p+0\n"};
		EXPECT_EQ(recording.lines, side == Lockstep::Side::Host ? shared : std::vector<std::string>{});
	}
}

// A partner joining a game under way plays the host's game to the frame it
// was handed, but not the host's camera, window or panel switches, and
// stops without a word; lockstep then runs from that frame once the host
// lets it.
TEST(Lockstep, ACatchUpPlaysTheSharedInputsToItsFrameAndLockstepGoesOnFromThere)
{
	ReplayLog game;
	Line view;
	view.kind = Line::View;
	view.frame = 1;
	Line window;
	window.kind = Line::Window;
	window.frame = 2;
	window.width = 320;
	window.height = 200;
	Line key = Key('d');
	key.frame = 2;
	Line drawing = Change(PanelChange::Setting, "drawShapes", true);
	drawing.frame = 3;
	game.lines = {view, window, key, drawing};
	ReplayPlayer catchUp;
	catchUp.CatchUp(game, 3);
	InputStream stream;
	Transcript heard;
	stream.SetSource(&catchUp);
	stream.AddListener(&heard);
	Pyramid scene;
	int frames = 0;
	for (; !stream.IsLive() && frames < 10; ++frames)
	{
		stream.BeginFrame(scene);
		while (stream.Next(InputChannel::Shell) != nullptr)
		{
		}
		stream.EndFrame(scene);
	}
	EXPECT_EQ(frames, 3);
	EXPECT_EQ(heard.lines, std::vector<std::string>{"2 key 100\n"});
	EXPECT_EQ(catchUp.FirstMismatchFrame(), -1);

	Lockstep lockstep;
	lockstep.Start(Lockstep::Side::Partner, 2, frames);
	lockstep.Hold(true);
	EXPECT_FALSE(lockstep.FrameReady());
	lockstep.Hold(false);
	for (int frame = 4; frame < 6; ++frame)
	{
		ASSERT_TRUE(lockstep.FrameReady()) << frame;
		lockstep.FrameBegins(scene);
		lockstep.FrameEnds(scene);
	}
	EXPECT_FALSE(lockstep.FrameReady());
	EXPECT_EQ(lockstep.Unacknowledged().front().frame, 6);
	EXPECT_EQ(lockstep.LastReceived(), 5);
}
} // namespace
