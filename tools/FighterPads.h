#pragma once

#include "tools/ArenaBot.h"

class BotSession;

// Hands the bot's pads to the game the way a player's reach it: through the
// session's two virtual pads, or with keyboard play as key presses and
// releases of the letters bound to the fighters. Like real devices, it
// reports only what changed since the last frame.
class FighterPads
{
public:
	FighterPads(BotSession& session, bool keyboard)
		: session(session), keyboard(keyboard)
	{
	}

	// pads[0] is the knight's, pads[1] the archer's.
	void Send(const ArenaBot::Pad (&pads)[2]);

private:
	void SendPad(int pad, const ArenaBot::Pad& now, const ArenaBot::Pad& was);
	void SendKeys(int pad, const ArenaBot::Pad& now, const ArenaBot::Pad& was);
	void Hold(unsigned char key, bool now, bool was);

	BotSession& session;
	bool keyboard;
	ArenaBot::Pad sent[2];
};
