#pragma once

#include <string>

#include "framework/net/WireMessage.h"

// The life of an online session on either side, and what each message
// from the other side does in each phase: one table decides whether it is
// handled (and by what), passed over, or refused as out of turn.
class PhaseTable
{
public:
	// The host's phases come first (IsHost depends on it).
	enum class Phase
	{
		// The host: listening for callers (alone, or after a partner went);
		// welcoming one after the frame that runs next; holding its game
		// while the partner catches up; in lockstep; leaving; gone.
		HostListening,
		HostWelcoming,
		HostAwaitingCatchUp,
		HostPlaying,
		HostLeaving,
		HostLeft,
		// The partner: calling the host; greeted by it; receiving its game;
		// catching up with it; in lockstep; leaving; gone; playing on alone
		// after the game with the host ended; its join came to nothing.
		PartnerCalling,
		PartnerGreeted,
		PartnerReceiving,
		PartnerCatchingUp,
		PartnerPlaying,
		PartnerLeaving,
		PartnerLeft,
		PartnerAlone,
		PartnerRefused,
	};
	static constexpr int PhaseCount = static_cast<int>(Phase::PartnerRefused) + 1;

	// What a message does in a phase.
	enum class Reaction
	{
		// Out of turn: the partner is dropped.
		Refused,
		// Legal but of no use now (a repeat, or one overtaken by events).
		PassedOver,
		// The partner: the host's probe, welcome, refusal, denial and game.
		AnswerProbe,
		TakeWelcome,
		TakeRefusal,
		TakeDenial,
		TakeGamePiece,
		// The host: the partner's catch-up.
		TakeProgress,
		TakeReady,
		TakeParted,
		// Both in lockstep: inputs, digests, a goodbye; a goodbye before
		// lockstep began.
		TakeInputs,
		TakeDigest,
		TakeGoodbye,
		TakeEarlyGoodbye,
	};

	static Reaction ReactionTo(Phase phase, WireMessage::Kind kind);
	// How the log names phase: "host playing".
	static const char* NameOf(Phase phase);
	static bool IsHost(Phase phase) { return phase <= Phase::HostLeft; }
	// The one wording of a message not legal in phase, given its first line.
	static std::string OutOfTurn(Phase phase, const std::string& firstLine);
};
