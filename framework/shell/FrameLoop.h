#pragma once

#include <chrono>
#include <string>

#include "framework/core/DebugDraw.h"

struct SceneEntry;

class ControlPanel;
class SceneContext;
class InputRouter;
class InputStream;
class OnlineSession;
class ReplayPlayer;
class SceneHost;
class View;

// The frame timer's period: about 60 frames a second.
constexpr int FramePeriodMs = 16;

// Runs the frames: each frame's inputs, the scene's step, the panel and the
// picture, at the pace the session needs (the frame clock, lockstep's grid,
// a catch-up's slices), and says on the picture when the partner is awaited.
class FrameLoop
{
public:
	// How a frame went.
	enum class Result
	{
		// It ran (and was drawn if it was to be shown).
		Ran,
		// Nothing to run: the replay is held, or the scene is gone.
		Idle,
		// Its inputs have not all come: the partner's are awaited.
		Waiting,
		// The session ended before the frame's step.
		SessionOver,
	};

	// The shell's own text is told of to context.
	FrameLoop(SceneHost& scenes, InputStream& stream, InputRouter& router, ControlPanel& panel, View& view,
		OnlineSession& online, ReplayPlayer& player, const SceneContext& context);

	// One frame. A frame not shown is not drawn at all (the scene steps
	// with drawing off, and no OpenGL call is made): drawing is most of a
	// frame's cost, and a check or a catch-up needs only the world.
	Result RunFrame(bool shown);
	// Whether the frame running draws its picture; outside a frame, true.
	bool Draws() const { return drawing; }
	// A partner that joined a game under way plays the host's frames so far
	// undrawn, as fast as it can for a slice of time; a few times a second
	// the window shows how far it has come.
	Result CatchUp();
	// How long until the frame clock ticks again.
	int NextTickMs();
	// The last frame could not run for want of the partner's inputs.
	bool Waits() const { return frameWaits; }
	void StopWaiting() { frameWaits = false; }

private:
	using Clock = std::chrono::steady_clock;

	void StepScene();
	void DrawTitle(const SceneEntry& entry);
	void WaitForPartner();
	void DrawOverLastPicture(const std::string& line);
	// A window holding only line.
	void ShowProgress(const std::string& line);

	SceneHost& scenes;
	InputStream& stream;
	InputRouter& router;
	ControlPanel& panel;
	View& view;
	OnlineSession& online;
	ReplayPlayer& player;
	// The shell's own lines over the scene: where an online game stands.
	DebugDraw shellText;
	Clock::time_point gridTick;
	Clock::time_point waitingSince;
	// The line drawn over the waiting frame; empty until one is.
	std::string waitShown;
	// The frame of a held replay whose line is drawn over it; -1 for none.
	int heldShown = -1;
	bool frameWaits = false;
	bool drawing = true;
	Clock::time_point progressShownAt;
};
