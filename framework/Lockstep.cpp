#include "framework/Lockstep.h"

#include <algorithm>
#include <cstdio>

#include "framework/Test.h"

using Line = ReplayLog::Line;

void Lockstep::Start(Side playing, int frames, int first)
{
	std::function<unsigned char(unsigned char)> keyMap = std::move(secondPlayerKey);
	*this = Lockstep();
	secondPlayerKey = std::move(keyMap);
	side = playing;
	delay = frames;
	running = true;
	firstFrame = first;
	frame = first;
	// Nobody's input can act before the delay has passed.
	expected = first + delay;
	lastMade = expected - 1;
}

void Lockstep::Stop()
{
	running = false;
	local.clear();
	remote.clear();
	unacknowledged.clear();
	digestsToSend.clear();
	current.clear();
}

int Lockstep::Finish()
{
	leaving = true;
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
	if (digest.kind != Line::FrameDigest || (digest.frame + 1) % DigestPeriod != 0 || digest.frame > frame + MaxLead ||
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
	const int partnerPad = side == Side::Host ? 1 : 0;
	std::vector<Line> inputs;
	for (const Line& line : batch.lines)
	{
		if (line.kind == Line::Pad && line.pad != partnerPad)
		{
			*error = "the partner drives pad " + std::to_string(line.pad);
			return false;
		}
		if (!IsOnChannel(line.kind, InputChannel::Shell) && !IsOnChannel(line.kind, InputChannel::Pads) &&
			!IsOnChannel(line.kind, InputChannel::Release))
		{
			*error = "a line that is no input";
			return false;
		}
		inputs.push_back(line);
		inputs.back().frame = batch.frame;
	}
	remote[batch.frame] = std::move(inputs);
	++expected;
	return true;
}

bool Lockstep::Offered(const Line& input)
{
	if (IsMachineOwn(input))
	{
		return true;
	}
	if (input.kind == Line::Change && input.change.kind == PanelChange::Scene)
	{
		Refuse("scenes cannot be switched during an online game: both machines play the same scene");
		return false;
	}
	if (input.kind == Line::Change && side == Side::Partner)
	{
		Refuse("the host's panel sets the game during an online game");
		return false;
	}
	// Once a side has left, nothing more can reach the partner in time.
	if (lastFrame >= 0)
	{
		return false;
	}
	Line scheduled = input;
	if ((input.kind == Line::Key || input.kind == Line::KeyUp) && side == Side::Partner && secondPlayerKey)
	{
		scheduled.code = secondPlayerKey(static_cast<unsigned char>(input.code));
	}
	if (input.kind == Line::Pad)
	{
		// Only the local pad 0's slot plays, as this machine's fighter.
		if (input.pad != 0)
		{
			return false;
		}
		scheduled.pad = OwnPad();
	}
	scheduled.frame = frame + delay;
	local[scheduled.frame].push_back(scheduled);
	return false;
}

void Lockstep::Refuse(const char* why)
{
	if (refusalsSaid.insert(why).second)
	{
		std::fprintf(stderr, "contest: %s\n", why);
	}
}

bool Lockstep::FrameReady()
{
	if (IsOver())
	{
		return false;
	}
	const bool ready = !held && (frame < firstFrame + delay || remote.count(frame) != 0);
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
	if (!running)
	{
		return;
	}
	std::vector<Line>& mine = local[frame];
	std::vector<Line>& theirs = remote[frame];
	std::vector<Line>& first = side == Side::Host ? mine : theirs;
	std::vector<Line>& second = side == Side::Host ? theirs : mine;
	current.insert(current.end(), first.begin(), first.end());
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
	while (cursor < current.size() && !IsOnChannel(current[cursor].kind, channel))
	{
		++cursor;
	}
	return cursor < current.size() ? &current[cursor++] : nullptr;
}

void Lockstep::FrameEnds(const Test& scene)
{
	if (!running)
	{
		return;
	}
	if ((frame + 1) % DigestPeriod == 0)
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
