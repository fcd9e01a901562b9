// The online session's table of phases and messages, and the one table of
// what a message holds.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "framework/net/PhaseTable.h"
#include "framework/net/WireMessage.h"

namespace
{
using Kind = WireMessage::Kind;
using Phase = PhaseTable::Phase;
using Reaction = PhaseTable::Reaction;

// Every message in every phase is handled, passed over or refused in words
// naming it and the phase; a side takes only what the other side sends,
// and takes everything that side sends in some phase. A hello comes from a
// caller, before there is a partner, so no phase takes it; nothing comes
// through once a session has ended or before a partner is met.
TEST(OnlinePhases, EveryMessageIsTakenByTheSideItIsSentToOrRefusedByName)
{
	const std::set<Kind> hostSends = {Kind::Probe, Kind::Refuse, Kind::Denied, Kind::Welcome, Kind::Game, Kind::Frames,
		Kind::Digest, Kind::Bye};
	const std::set<Kind> partnerSends = {Kind::Hello, Kind::Progress, Kind::Ready, Kind::Parted, Kind::Frames,
		Kind::Digest, Kind::Bye};
	const std::set<Phase> closed = {Phase::HostListening, Phase::HostWelcoming, Phase::HostLeft,
		Phase::PartnerCalling, Phase::PartnerLeft, Phase::PartnerAlone, Phase::PartnerRefused};
	for (int k = 0; k < WireMessage::KindCount; ++k)
	{
		const Kind kind = static_cast<Kind>(k);
		const std::string name = WireMessage::NameOf(kind);
		bool taken[2] = {false, false};
		for (int p = 0; p < PhaseTable::PhaseCount; ++p)
		{
			const Phase phase = static_cast<Phase>(p);
			const Reaction reaction = PhaseTable::ReactionTo(phase, kind);
			const bool host = PhaseTable::IsHost(phase);
			if (reaction == Reaction::Refused)
			{
				const std::string said = PhaseTable::OutOfTurn(phase, name + " 1");
				EXPECT_NE(said.find("\"" + name + " 1\""), std::string::npos) << said;
				EXPECT_NE(said.find(PhaseTable::NameOf(phase)), std::string::npos) << said;
				continue;
			}
			EXPECT_EQ(closed.count(phase), 0u) << name << " in " << PhaseTable::NameOf(phase);
			EXPECT_EQ((host ? partnerSends : hostSends).count(kind), 1u) << name << " in " << PhaseTable::NameOf(phase);
			taken[host ? 0 : 1] = taken[host ? 0 : 1] || reaction != Reaction::PassedOver;
		}
		EXPECT_EQ(taken[0], partnerSends.count(kind) == 1 && kind != Kind::Hello) << name;
		EXPECT_EQ(taken[1], hostSends.count(kind) == 1) << name;
	}
}

// What a message holds comes out as it went in, and a field out of its
// range, a word too many or an input outside the frames a packet carries
// is refused, naming the message and what is wrong.
TEST(WireMessages, ComeOutAsTheyWentInAndOnlyInRange)
{
	std::deque<Lockstep::Batch> batches(2);
	batches[0].frame = 7;
	batches[1].frame = 8;
	InputLine key;
	key.kind = InputLine::Key;
	key.frame = 8;
	key.code = 'l';
	batches[1].lines.push_back(key);
	const WireMessage sent = WireMessage::Inputs(6, 7, batches);
	WireMessage got;
	std::string error;
	ASSERT_TRUE(WireMessage::Parse(sent.Format(), 1, &got, &error)) << error;
	EXPECT_EQ(got.Format(), sent.Format());
	EXPECT_EQ(sent.Format(), "frames 6 7 2\n8 key 108\n");
	ASSERT_TRUE(WireMessage::Parse(WireMessage::Version(Kind::Hello, "v1").Format(), 1, &got, &error)) << error;
	EXPECT_EQ(got.version, "v1");
	EXPECT_EQ(got.numbers, std::vector<long>{WireMessage::ProtocolVersion});

	const struct
	{
		const char* packet;
		const char* named;
	} bad[] = {
		{"welcome 1 16 0 0\n", "welcome: delay"},
		{"welcome 1 2 0\n", "welcome: missing bytes of the game"},
		{"ready now\n", "ready: more words"},
		{"frames 6 7 1\n8 key 108\n", "frames: an input of frame 8 in a packet of frames 7 to 7"},
		{"digest\n", "digest: one line"},
		{"bye -1\n", "bye: last frame"},
	};
	for (const auto& each : bad)
	{
		EXPECT_FALSE(WireMessage::Parse(each.packet, 1, &got, &error)) << each.packet;
		EXPECT_EQ(error.rfind(each.named, 0), 0u) << error;
	}
}

} // namespace
