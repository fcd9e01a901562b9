#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "framework/input/InputLine.h"
#include "framework/session/Lockstep.h"
#include "framework/session/ReplayLog.h"

// One packet of an online game, as both programs say it: a first line
// naming its kind with its numbers (and, in a hello or a refusal, the
// program's version), then for some kinds the replay format's own lines
// (a frame's inputs, a digest) or a piece of the recorded game. Every kind,
// its fields and each field's range are in one table, which both parses
// and formats them.
class WireMessage
{
public:
	// The replay format's lines travel inside frames and digests and make up
	// the game handed over: a new format is a new protocol. The wire's own
	// changes count in its revision.
	static constexpr int WireRevision = 3;
	static constexpr int ProtocolVersion = 100 * ReplayLog::FormatVersion + WireRevision;
	static_assert(WireRevision < 100, "the revision stays below the replay format's place");

	// The longest game a partner catches up with, in frames (fifteen
	// minutes) and as recorded text. Undrawn, a wave's frames catch up at
	// some ten thousand a second, a horde's at about fifteen hundred: even
	// a horde this long is caught up with before the host gives up waiting.
	static constexpr int MaxCatchUpFrames = 54000;
	static constexpr std::size_t MaxCatchUpBytes = 16 << 20;

	enum class Kind
	{
		// The host asks a caller who it is, with a challenge; the caller
		// says hello with its own and its proof of the invite's secret; the
		// host refuses it, naming its own program, or denies a wrong proof.
		Probe,
		Hello,
		Refuse,
		Denied,
		// The host's seed, the input delay, the frames played and the bytes
		// of the game that follow in pieces, and its own proof.
		Welcome,
		Game,
		// The partner catching up: how far it has got, that it has, or the
		// frame from which the two games differ.
		Progress,
		Ready,
		Parted,
		// In lockstep: the acknowledged frame, the first frame carried and
		// how many, then their inputs; a digest; the last frame of a player
		// who leaves.
		Frames,
		Digest,
		Bye,
	};
	static constexpr int KindCount = static_cast<int>(Kind::Bye) + 1;

	Kind kind = Kind::Probe;
	// The first line's whole numbers, in the table's order.
	std::vector<long> numbers;
	// The program's version, in a hello or a refusal.
	std::string version;
	// The challenges and proofs of the invite's secret, in a probe, a hello
	// and a welcome.
	std::vector<std::string> words;
	// The inputs of a frames message, or the one line of a digest.
	std::vector<InputLine> lines;
	// A piece of the game handed over.
	std::string text;

	// The word that names kind on the wire.
	static const char* NameOf(Kind kind);
	// The kind that packet's first word names; false for none.
	static bool KindOf(const std::string& packet, Kind* kind);
	// The first line of packet, for a message saying what came.
	static std::string FirstLine(const std::string& packet);
	// Reads packet, whose kind must be known; false, with the reason (its
	// kind's name first), when a field is missing, out of its range, or
	// more come than it takes. Lines are checked against rowCount scenes,
	// and a frames message's inputs must belong to the frames it carries.
	static bool Parse(const std::string& packet, int rowCount, WireMessage* message, std::string* error);
	std::string Format() const;

	// The messages this program sends.
	static WireMessage Of(Kind kind, std::vector<long> numbers = {});
	static WireMessage Version(Kind kind, const std::string& program);
	static WireMessage Inputs(int acknowledged, int first, const std::deque<Lockstep::Batch>& batches);
	static WireMessage DigestOf(const InputLine& digest);
	static WireMessage Piece(const std::string& text);

private:
	bool ParseBody(std::size_t from, const std::string& packet, int rowCount, std::string* error);
};
