// What may travel online, as the game's keys make it: whatever one side's
// program sends, the other side accepts, and what one side may never send
// is refused whichever keyboard play it had.
#include <gtest/gtest.h>

#include <string>

#include "framework/session/TravelRules.h"
#include "game/GameDevices.h"

namespace
{
using Line = InputLine;
using Side = ReplayLog::Side;

Line Key(Line::Kind kind, int code, int frame = 5)
{
	Line line;
	line.kind = kind;
	line.code = code;
	line.frame = frame;
	return line;
}

// Every key either side can press, with keyboard play on and off: what
// the sender lets travel the receiver takes, and it acts when it arrives
// while keyboard play is as it was; a handed-over game may hold it.
TEST(TravelRules, TheReceiverTakesEveryKeyTheSenderSends)
{
	const TravelRules rules(&gameDevices);
	for (const bool keyboardPlay : {true, false})
	{
		gameDevices.SetKeyboardPlay(keyboardPlay);
		for (const Side side : {Side::Host, Side::Partner})
		{
			for (int code = 0; code < 256; ++code)
			{
				for (const Line::Kind kind : {Line::Key, Line::KeyUp})
				{
					const Line key = Key(kind, code);
					std::string why;
					if (rules.Outgoing(key, side, &why) != TravelRules::Verdict::Travels)
					{
						continue;
					}
					EXPECT_TRUE(rules.CheckBatch({key}, side, &why)) << code << " " << why;
					EXPECT_TRUE(rules.ActsNow(key, side)) << code;
					EXPECT_TRUE(rules.CheckHandedOver({key}, &why)) << code << " " << why;
				}
			}
		}
	}
}

// The keys that drive the other player's fighter, end the session or move
// the camera are refused from the partner with keyboard play on or off;
// a wave key sent with keyboard play off that arrives once it is on,
// where it is the knight's jump, acts on neither machine.
TEST(TravelRules, APartnerNeverDrivesTheKnightNorEndsTheHostsSession)
{
	const TravelRules rules(&gameDevices);
	std::string why;
	for (const int code : {27, int{'a'}, int{'w'}, int{'d'}, int{'f'}, int{'q'}, int{'x'}})
	{
		EXPECT_FALSE(rules.CheckBatch({Key(Line::Key, code)}, Side::Partner, &why)) << code;
	}
	EXPECT_FALSE(rules.CheckBatch({Key(Line::KeyUp, 'd')}, Side::Partner, &why));
	Line controlD = Key(Line::KeyUp, 4);
	controlD.value = 2;
	EXPECT_FALSE(rules.CheckBatch({controlD}, Side::Partner, &why)) << "Ctrl-D's release is the knight's d";
	EXPECT_TRUE(rules.CheckBatch({Key(Line::Key, 'l'), Key(Line::Key, '3')}, Side::Partner, &why)) << why;

	gameDevices.SetKeyboardPlay(false);
	EXPECT_EQ(rules.Outgoing(Key(Line::Key, 'e'), Side::Partner, &why), TravelRules::Verdict::Travels) << why;
	gameDevices.SetKeyboardPlay(true);
	EXPECT_FALSE(rules.ActsNow(Key(Line::Key, 'e'), Side::Partner));
	EXPECT_TRUE(rules.ActsNow(Key(Line::Key, 'e'), Side::Host));
}
} // namespace
