#include "framework/session/Lockstep.h"

#include <algorithm>
#include <cstdio>

#include "framework/core/Test.h"

using Line = InputLine;

void Lockstep::Start(Side playing, int frames, int played)
{
	std::function<unsigned char(unsigned char)> keyMap = std::move(secondPlayerKey);
	const TravelRules kept = rules;
	const bool keepingGame = keeping;
	*this = Lockstep();
	secondPlayerKey = std::move(keyMap);
	rules = kept;
	keeping = keepingGame;
	side = playing;
	delay = frames;
	state = State::Running;
	firstFrame = played + 1;
	frame = firstFrame;
	// Nobody's input can act before the delay has passed.
	expected = firstFrame + delay;
	lastMade = expected - 1;
}

void Lockstep::Hold(bool hold)
{
	if (IsRunning())
	{
		state = hold ? State::Held : State::Running;
	}
}

void Lockstep::Stop()
{
	state = State::Stopped;
	local.clear();
	remote.clear();
	unacknowledged.clear();
	digestsToSend.clear();
	current.clear();
}

int Lockstep::Finish()
{
	// The batches up to the last one made are on their way. A partner who
	// left first may have ended the game sooner.
	lastFrame = lastFrame < 0 ? lastMade : std::min(lastFrame, lastMade);
	return lastMade;
}

bool Lockstep::PartnerFinishes(int last, std::string* error)
{
	// The partner may have left with batches still on their way, never
	// with fewer than are here.
	if (last < expected - 1 || last > expected - 1 + MaxLead)
	{
		*error = "a goodbye after frame " + std::to_string(last) + " where " + std::to_string(expected - 1) +
			" was the last received";
		return false;
	}
	// Both may leave at once: the game ends with the earlier last frame.
	lastFrame = lastFrame < 0 ? last : std::min(lastFrame, last);
	return true;
}

bool Lockstep::Acknowledge(int frame, std::string* error)
{
	if (frame > lastMade)
	{
		*error = "an acknowledgement of frame " + std::to_string(frame) + " where " + std::to_string(lastMade) +
			" was the last sent";
		return false;
	}
	while (!unacknowledged.empty() && unacknowledged.front().frame <= frame)
	{
		unacknowledged.pop_front();
	}
	return true;
}

bool Lockstep::PartnerHasAll() const
{
	return unacknowledged.empty() || (lastFrame >= 0 && unacknowledged.front().frame > lastFrame);
}

std::vector<Line> Lockstep::TakeDigests()
{
	std::vector<Line> digests;
	digests.swap(digestsToSend);
	return digests;
}

bool Lockstep::ReceiveDigest(const Line& digest, std::string* error)
{
	if (digest.kind != Line::FrameDigest || !DigestDue(digest.frame) ||
		digest.frame > frame + MaxLead ||
		partnerDigests.size() >= MaxLead / DigestPeriod)
	{
		*error = "a digest after frame " + std::to_string(digest.frame) + " in frame " + std::to_string(frame);
		return false;
	}
	partnerDigests[digest.frame] = digest.digest;
	CompareDigests(digest.frame);
	return true;
}

bool Lockstep::Receive(const Batch& batch, std::string* error)
{
	// Every packet carries each batch until it is acknowledged, so most
	// come more than once; the partner's batches beyond the game's last
	// frame are of no use.
	if (batch.frame < expected || (lastFrame >= 0 && batch.frame > lastFrame))
	{
		return true;
	}
	if (batch.frame != expected)
	{
		*error = "frame " + std::to_string(batch.frame) + " came where " + std::to_string(expected) + " was due";
		return false;
	}
	if (batch.frame > frame + MaxLead)
	{
		*error = "frame " + std::to_string(batch.frame) + " is too far ahead of " + std::to_string(frame);
		return false;
	}
	std::vector<Line> inputs = batch.lines;
	for (Line& input : inputs)
	{
		input.frame = batch.frame;
	}
	if (!rules.CheckBatch(inputs, side == Side::Host ? Side::Partner : Side::Host, error))
	{
		return false;
	}
	remote[batch.frame] = std::move(inputs);
	++expected;
	return true;
}

bool Lockstep::Admits(const Line& input)
{
	if (IsRunning() || !keeping)
	{
		return true;
	}
	aloneFrame.push_back(input);
	std::string why;
	if (!rules.CheckHandedOver(aloneFrame, &why))
	{
		aloneFrame.pop_back();
		Refuse(input, "not kept for a partner to catch up with: " + why);
		return false;
	}
	return true;
}

bool Lockstep::AsTravelling(const Line& input, Line* scheduled) const
{
	*scheduled = input;
	if (input.kind == Line::KeyUp)
	{
		scheduled->code = ReleasedKey(input);
		scheduled->value = 0;
	}
	if ((input.kind == Line::Key || input.kind == Line::KeyUp) && side == Side::Partner && secondPlayerKey)
	{
		scheduled->code = secondPlayerKey(static_cast<unsigned char>(scheduled->code));
	}
	if (input.kind == Line::Pad)
	{
		// Only the first local pad plays, as this machine's slot.
		if (input.pad != 0)
		{
			return false;
		}
		scheduled->pad = OwnPad();
	}
	return true;
}

bool Lockstep::Offered(const Line& input)
{
	Line scheduled;
	if (!AsTravelling(input, &scheduled))
	{
		return false;
	}
	std::string why;
	switch (rules.Outgoing(scheduled, side, &why))
	{
	case TravelRules::Verdict::StaysHere:
		return true;
	case TravelRules::Verdict::Refused:
		Refuse(input, "not sent to the partner: " + why);
		return false;
	case TravelRules::Verdict::Travels:
		break;
	}
	// Once a side has left, nothing more can reach the partner in time.
	if (lastFrame >= 0)
	{
		return false;
	}
	scheduled.frame = frame + delay;
	std::vector<Line>& acting = local[scheduled.frame];
	acting.push_back(scheduled);
	if (!rules.CheckBatch(acting, side, &why))
	{
		acting.pop_back();
		Refuse(input, "not sent to the partner: " + why);
	}
	return false;
}

void Lockstep::Refuse(const Line& input, const std::string& why)
{
	// The panel's changes are said by what they are; anything else by the
	// table's reason, without the line it names.
	const std::string said = input.kind == Line::Change && input.change.kind == PanelChange::Scene
		? "scenes cannot be switched during an online game: both machines play the same scene"
		: input.kind == Line::Change ? "the host's panel sets the game during an online game"
									 : why.substr(0, why.find(": \""));
	if (refusalsSaid.insert(said).second)
	{
		std::fprintf(stderr, "contest: %s\n", said.c_str());
	}
}

bool Lockstep::FrameReady()
{
	if (IsOver())
	{
		return false;
	}
	const bool ready = state != State::Held && (frame < firstFrame + delay || remote.count(frame) != 0);
	if (!ready && !waiting)
	{
		++framesWaited;
	}
	waiting = !ready;
	return ready;
}

void Lockstep::FrameBegins(const Test&)
{
	current.clear();
	if (!IsRunning())
	{
		return;
	}
	std::vector<Line>& mine = local[frame];
	std::vector<Line>& theirs = remote[frame];
	std::vector<Line>& first = side == Side::Host ? mine : theirs;
	std::vector<Line>& second = side == Side::Host ? theirs : mine;
	current.insert(current.end(), first.begin(), first.end());
	hostLines = first.size();
	current.insert(current.end(), second.begin(), second.end());
	local.erase(frame);
	remote.erase(frame);
	for (std::size_t& cursor : cursors)
	{
		cursor = 0;
	}
}

const Line* Lockstep::Next(InputChannel channel)
{
	std::size_t& cursor = cursors[static_cast<int>(channel)];
	// A key whose meaning keyboard play changed on its way acts on neither
	// machine: both pass it over alike.
	const auto passedOver = [this](std::size_t at) {
		return !rules.ActsNow(current[at], at < hostLines ? Side::Host : Side::Partner);
	};
	while (cursor < current.size() && (!IsOnChannel(current[cursor].kind, channel) || passedOver(cursor)))
	{
		++cursor;
	}
	return cursor < current.size() ? &current[cursor++] : nullptr;
}

void Lockstep::FrameEnds(const Test& scene)
{
	aloneFrame.clear();
	if (!IsRunning())
	{
		return;
	}
	if (DigestDue(frame))
	{
		Line digest;
		digest.kind = Line::FrameDigest;
		digest.frame = frame;
		digest.digest = scene.Digest();
		digestsToSend.push_back(digest);
		ownDigests[frame] = digest.digest;
		CompareDigests(frame);
	}
	// Everything this machine will ever send for frame + delay is known
	// now. Once a side has left, only the frames both still play need
	// inputs.
	const int acting = frame + delay;
	if (lastFrame < 0 || acting <= lastFrame)
	{
		Batch batch;
		batch.frame = acting;
		const auto found = local.find(acting);
		if (found != local.end())
		{
			batch.lines = found->second;
		}
		unacknowledged.push_back(std::move(batch));
		lastMade = acting;
	}
	++frame;
}

void Lockstep::CompareDigests(int at)
{
	const auto own = ownDigests.find(at);
	const auto partner = partnerDigests.find(at);
	if (own == ownDigests.end() || partner == partnerDigests.end())
	{
		return;
	}
	if (own->second == partner->second)
	{
		++digestsMatched;
	}
	else if (differingFrame < 0)
	{
		differingFrame = at;
	}
	ownDigests.erase(own);
	partnerDigests.erase(partner);
}

int Lockstep::MissingDigest() const
{
	// The partner's digests of the last frames may still be on their way
	// when the game ends.
	if (ownDigests.empty() || lastFrame >= 0)
	{
		return -1;
	}
	const int oldest = ownDigests.begin()->first;
	return frame > oldest + DigestGrace ? oldest : -1;
}
