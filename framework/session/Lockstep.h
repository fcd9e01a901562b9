#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/input/InputStream.h"
#include "framework/session/ReplayLog.h"
#include "framework/session/SessionFrames.h"
#include "framework/session/TravelRules.h"

// Two programs playing one session, each running the whole world: every
// input either player makes in frame F is carried out on both machines in
// frame F + delay, the host's inputs first, and a frame runs only once both
// players' inputs for it are there. The camera and the window stay each
// machine's own.
//
// Each side plays its own pad slot (TravelRules::PadOf); on each machine the
// first local pad plays that machine's slot. Frames count from 1, as every
// session's do (SessionFrames.h): the first frame lockstep runs follows the
// frames both machines have already played alike.
class Lockstep : public InputSource
{
public:
	// Host or Partner: the same sides a recording of the game names.
	using Side = ReplayLog::Side;

	// Inputs of one player for one frame, as they travel.
	struct Batch
	{
		int frame = 0;
		std::vector<InputLine> lines;
	};

	// The furthest ahead of the running frame a batch may be.
	static constexpr int MaxLead = 600;
	static constexpr int MinDelay = 1;
	static constexpr int MaxDelay = 15;
	// A partner whose digest of a frame has not come this many frames
	// after it sends none.
	static constexpr int DigestGrace = 4 * DigestPeriod;

	// Lockstep after played frames both machines have already played alike
	// (0 for a freshly built scene): the first frame it runs is played + 1.
	// The partner's keys go through secondPlayerKey before they travel.
	void Start(Side side, int delay, int played = 0);
	void UseKeyMap(std::function<unsigned char(unsigned char)> map) { secondPlayerKey = std::move(map); }
	// What may travel; without the program's devices no key plays for a player.
	void UseRules(const TravelRules& given) { rules = given; }
	const TravelRules& Rules() const { return rules; }
	// A host waiting for a partner keeps its game for the partner to catch
	// up with: only what a game played online may hold enters it.
	void KeepGame(bool keep) { keeping = keep; }
	// No frame runs while held: the host waits so while its partner
	// catches up, and both then start from the same frame at about the
	// same time.
	void Hold(bool hold);
	// Lockstep ends: the live inputs take over, nothing more travels.
	void Stop();
	// This machine leaves the game: no input made from now on travels, and
	// the game both machines play ends after the frame returned, the last
	// one this machine has made a batch for (or sooner, if the partner left
	// first).
	int Finish();
	// The partner leaves after frame last: false, with the reason, when
	// batches beyond it came or it lies further ahead than any may.
	bool PartnerFinishes(int last, std::string* error);
	// Either side left and the last frame both play has run.
	bool IsOver() const { return lastFrame >= 0 && frame > lastFrame; }
	// Every batch up to the partner's last frame is here.
	bool HasAllFromPartner() const { return lastFrame >= 0 && expected > lastFrame; }
	// Running, or held: lockstep gives the frames.
	bool IsRunning() const { return state != State::Stopped; }
	Side GetSide() const { return side; }
	int Delay() const { return delay; }
	// The frame running, or next to run, and the first lockstep ran.
	int Frame() const { return frame; }
	int FirstFrame() const { return firstFrame; }
	// Frames that waited for the partner's inputs so far.
	int FramesWaited() const { return framesWaited; }
	// Digests both sides took and found equal.
	int DigestsMatched() const { return digestsMatched; }
	// The first frame whose digests differ between the two machines; -1
	// while they agree.
	int DifferingFrame() const { return differingFrame; }
	// The first frame whose digest the partner should have sent by now and
	// has not; -1 while none is overdue.
	int MissingDigest() const;

	// This machine's batches the partner has not acknowledged yet, one a
	// frame, oldest first. Every packet carries them all, so a lost packet
	// costs nothing once the next one arrives.
	const std::deque<Batch>& Unacknowledged() const { return unacknowledged; }
	// The partner has every batch up to frame: they need not travel again.
	// False, with the reason, for a frame never sent.
	bool Acknowledge(int frame, std::string* error);
	// The partner's last batch taken, in order: what this side acknowledges.
	int LastReceived() const { return expected - 1; }
	// The partner's batch for a frame. One already taken, or beyond the
	// game's last frame, changes nothing; false, with the reason, when one
	// before it is missing or it holds what the partner cannot send.
	bool Receive(const Batch& batch, std::string* error);
	// This machine's digests to send the partner, oldest first; taking them
	// empties the list.
	std::vector<InputLine> TakeDigests();
	// The partner's digest of its world after a frame: false, with the
	// reason, when that frame is not one digests are taken after.
	bool ReceiveDigest(const InputLine& digest, std::string* error);
	// Every batch of this machine's that the game still needs has reached
	// the partner.
	bool PartnerHasAll() const;

	bool Admits(const InputLine& input) override;
	bool Offered(const InputLine& input) override;
	bool FrameReady() override;
	const InputLine* Next(InputChannel channel) override;
	bool EndsBeforeStep(const Test&) override { return false; }
	bool IsGiving() const override { return IsRunning(); }
	bool TakesLiveInputs() const override { return IsRunning(); }
	int LocalPadFor(int pad) const override { return pad == OwnPad() ? 0 : -1; }
	void Heard(const InputLine&) override {}
	void SceneRestarts(const Test&) override {}
	void FrameBegins(const Test& scene) override;
	void FrameEnds(const Test& scene) override;
	void SessionEnds(const Test&) override {}

private:
	// Whether lockstep gives the frames, and whether they may run.
	enum class State
	{
		Stopped,
		Held,
		Running,
	};

	void CompareDigests(int at);
	// A local input that cannot travel: why, on stderr once.
	void Refuse(const InputLine& input, const std::string& why);
	int OwnPad() const { return TravelRules::PadOf(side); }
	// A local input as it travels: the partner's keys made the second
	// player's, a release under Ctrl naming its letter, the first local pad
	// this machine's own slot. False for a pad that plays nothing here.
	bool AsTravelling(const InputLine& input, InputLine* scheduled) const;

	State state = State::Stopped;
	Side side = Side::Host;
	int delay = MinDelay;
	// The first frame lockstep ran, and the one running or next to run.
	int firstFrame = 0;
	int frame = 0;
	bool waiting = false;
	int framesWaited = 0;
	// Each player's inputs by the frame they act in.
	std::map<int, std::vector<InputLine>> local;
	std::map<int, std::vector<InputLine>> remote;
	// The partner's next batch.
	int expected = 0;
	std::deque<Batch> unacknowledged;
	// The newest batch this machine has made.
	int lastMade = 0;
	std::vector<InputLine> digestsToSend;
	// The running frame's inputs, the host's first, and where each channel
	// has got to in them.
	std::vector<InputLine> current;
	// How many of them are the host's.
	std::size_t hostLines = 0;
	std::size_t cursors[3] = {0, 0, 0};
	// What was refused, said once each.
	std::set<std::string> refusalsSaid;
	// The last frame of the game when either side has left; -1 until then.
	int lastFrame = -1;
	std::function<unsigned char(unsigned char)> secondPlayerKey;
	TravelRules rules;
	bool keeping = false;
	// The lines a host playing alone has let into the frame so far.
	std::vector<InputLine> aloneFrame;
	// Digests of one side whose other side has not come yet, by frame.
	std::map<int, uint64_t> ownDigests;
	std::map<int, uint64_t> partnerDigests;
	int digestsMatched = 0;
	int differingFrame = -1;
};
