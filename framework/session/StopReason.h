#pragma once

// Why a recording or a replay stopped; NotStopped while it runs or before it
// started.
enum class StopReason
{
	NotStopped,
	// Recording: the session ended and the recording holds its end.
	Finished,
	// Recording: a write to the file failed (a full disk).
	WriteFailed,
	// Recording in memory: the text outgrew its bound, and nothing is kept.
	OverBound,
	// Playing: the recording's end was reached, every digest checked.
	ReachedEnd,
	// Playing: the session ended first (the viewer's Escape, the window
	// closed).
	SessionEnded,
	// Playing: the recording stops without its end (its program was cut
	// short), and the controls went to the viewer.
	HandedOver,
	// Catching up: the frame to catch up to has been played.
	CaughtUp,
};
