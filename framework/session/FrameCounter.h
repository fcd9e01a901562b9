#pragma once

// Where a recorder or a player stands in its session, frames counted as
// SessionFrames.h says: 0 before the first frame, n during and after the
// n-th.
class FrameCounter
{
public:
	void Begin()
	{
		++frame;
		inFrame = true;
	}
	void End() { inFrame = false; }
	// The running frame never runs after all: the session ended before its
	// step.
	void Withdraw()
	{
		--frame;
		inFrame = false;
	}
	// Goes on from a session whose first frames frames were played before.
	void ResumeAfter(int frames)
	{
		frame = frames;
		inFrame = false;
	}

	int Frame() const { return frame; }
	// The frame a line noted now belongs to: the running one inside a
	// frame, else the next one, whose step comes after it.
	int Stamp() const { return inFrame ? frame : frame + 1; }

private:
	int frame = 0;
	bool inFrame = false;
};
