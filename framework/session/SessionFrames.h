#pragma once

// How every session counts its frames, recorded, replayed or played in
// lockstep: frame n is the n-th step since the session (or the game) began,
// so the first frame is 1; the world's digest is taken after every
// DigestPeriod-th frame, so a replay that goes astray can tell from which
// second on.
constexpr int DigestPeriod = 60;

// Frame `frame` (counted from 1) ends with a digest.
constexpr bool DigestDue(int frame)
{
	return frame % DigestPeriod == 0;
}
