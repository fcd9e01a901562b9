#include "framework/shell/FrameLoop.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <vector>

#include "framework/core/SceneHost.h"
#include "framework/input/InputStream.h"
#include "framework/net/OnlineSession.h"
#include "framework/session/ReplayPlayer.h"
#include "framework/shell/ControlPanel.h"
#include "framework/shell/InputRouter.h"
#include "framework/shell/View.h"

namespace
{
// How long lockstep may wait for the partner before the screen says so.
constexpr std::chrono::milliseconds PartnerWaitShown(250);
// While waiting, the frame is tried again this soon: the partner's inputs
// may come at any moment, and the frame runs as soon as they do.
constexpr int PartnerPollMs = 1;
// Online, frames start on a grid of frame periods rather than a period
// after each frame ends: both machines then keep one pace whatever their
// frames cost, and the partner's inputs are there before they are needed.
constexpr std::chrono::microseconds LockstepPeriod(1000000 / 60);
// A partner catching up runs frames for this long before the network is
// serviced again,
constexpr std::chrono::milliseconds CatchUpSlice(20);
// and shows how far it is this often: the frames themselves are not drawn.
constexpr std::chrono::milliseconds CatchUpProgressPeriod(250);
// A demonstration's title rows: its name and keys, then the hint.
constexpr int TitleRows = 2;
const char* const SceneHint =
	"Drag: move a body; Shift-drag: throw a bomb; space: bomb from above; F2: panel";
} // namespace

FrameLoop::FrameLoop(SceneHost& scenes, InputStream& stream, InputRouter& router, ControlPanel& panel, View& view,
	OnlineSession& online, ReplayPlayer& player, const SceneContext& context)
	: scenes(scenes), stream(stream), router(router), panel(panel), view(view), online(online), player(player)
{
	shellText.UseContext(&context);
}

FrameLoop::Result FrameLoop::RunFrame(bool shown)
{
	// Held by the viewer, or the session is over (the window manager closed
	// the window): nothing to run. A held replay says so over its picture.
	if (player.IsHeld() && player.IsPlaying() && heldShown != player.Frame())
	{
		DrawOverLastPicture(player.ProgressLine());
		heldShown = player.Frame();
	}
	if (player.IsHeld() || scenes.Scene() == nullptr)
	{
		return Result::Idle;
	}
	heldShown = -1;
	frameWaits = !stream.FrameReady();
	if (frameWaits)
	{
		WaitForPartner();
		return Result::Waiting;
	}
	waitingSince = Clock::time_point();
	waitShown.clear();
	stream.BeginFrame(*scenes.Scene());
	while (const InputLine* line = stream.Next(InputChannel::Shell))
	{
		router.Apply(*line);
		// A recorded Escape ended the session, and the scene with it.
		if (scenes.Scene() == nullptr)
		{
			return Result::Idle;
		}
	}
	if (stream.EndsBeforeStep(*scenes.Scene()))
	{
		return Result::SessionOver;
	}

	drawing = shown;
	if (drawing)
	{
		glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
		glMatrixMode(GL_MODELVIEW);
		glLoadIdentity();
	}
	StepScene();
	std::vector<PanelChange> changes;
	if (drawing && panel.IsOpen())
	{
		changes = panel.Draw(scenes.Registry(), scenes.Count(), scenes.Index(), scenes.settings, scenes.settingsHz,
			*scenes.Scene());
	}
	if (drawing)
	{
		glutSwapBuffers();
	}
	drawing = true;
	stream.EndFrame(*scenes.Scene());
	// A replay's panel only shows: the recording's changes are the ones
	// that count.
	for (const PanelChange& change : changes)
	{
		router.PanelChanged(change);
	}
	online.FrameEnded();
	online.DeliverNotices();
	return Result::Ran;
}

// A demonstration's name and the keys it does not name itself, then what
// every scene takes: the mouse, bombs, the panel.
void FrameLoop::DrawTitle(const SceneEntry& entry)
{
	const int first = Test::FirstTextLine;
	if (entry.keys[0] != '\0')
	{
		shellText.DrawString(5, first, "%s - keys: %s", entry.name, entry.keys);
	}
	else
	{
		shellText.DrawString(5, first, "%s", entry.name);
	}
	shellText.DrawString(5, first + Test::TextLineStep, "%s", SceneHint);
}

// The scene's step with the settings; a scene that moved the camera
// through them gets its picture projected anew.
void FrameLoop::StepScene()
{
	Test& scene = *scenes.Scene();
	const bool titled = !scene.ShowsOwnTitle();
	scene.textLine = Test::FirstTextLine + (titled ? TitleRows * Test::TextLineStep : 0);
	Settings& settings = scenes.settings;
	settings.hz = scenes.settingsHz;
	const b2Vec2 oldCenter = settings.viewCenter;
	scene.Step(&settings);
	// Drawn after the step, over the picture, in the rows kept for them.
	if (titled)
	{
		DrawTitle(*scenes.Entry());
	}
	if (online.IsOpen())
	{
		shellText.DrawString(5, scene.textLine, "%s", online.StatusLine().c_str());
		scene.textLine += Test::TextLineStep;
	}
	if (player.IsPlaying())
	{
		shellText.DrawString(5, scene.textLine, "%s", player.ProgressLine().c_str());
		scene.textLine += Test::TextLineStep;
	}
	if (oldCenter.x != settings.viewCenter.x || oldCenter.y != settings.viewCenter.y)
	{
		view.Reproject();
	}
}

FrameLoop::Result FrameLoop::CatchUp()
{
	const Clock::time_point now = Clock::now();
	const Clock::time_point until = now + CatchUpSlice;
	if (now - progressShownAt >= CatchUpProgressPeriod)
	{
		ShowProgress(online.StatusLine());
		progressShownAt = now;
	}
	Result result = Result::Ran;
	while (online.IsCatchingUp() && result != Result::SessionOver && Clock::now() < until)
	{
		result = RunFrame(false);
	}
	return result;
}

void FrameLoop::ShowProgress(const std::string& line)
{
	glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
	shellText.DrawString(5, Test::FirstTextLine, "%s", line.c_str());
	glutSwapBuffers();
}

int FrameLoop::NextTickMs()
{
	const Clock::time_point now = Clock::now();
	if (frameWaits)
	{
		return PartnerPollMs;
	}
	if (online.IsCatchingUp())
	{
		return 0;
	}
	if (!online.IsPlaying())
	{
		gridTick = now;
		return FramePeriodMs;
	}
	// A frame late on the grid runs at once, without a burst to catch up.
	gridTick = std::max(gridTick + LockstepPeriod, now);
	return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(gridTick - now).count());
}

// The frame cannot run yet: the last picture stays, and after a moment it
// says why, drawn straight onto it, and again whenever that changes.
void FrameLoop::WaitForPartner()
{
	const Clock::time_point now = Clock::now();
	if (waitingSince == Clock::time_point())
	{
		waitingSince = now;
	}
	const std::string line = online.WaitLine();
	if (line == waitShown || now - waitingSince < PartnerWaitShown)
	{
		return;
	}
	DrawOverLastPicture(line);
	waitShown = line;
}

void FrameLoop::DrawOverLastPicture(const std::string& line)
{
	// The back buffer still holds the last picture (or, where a swap flips
	// the buffers, the one before it): it goes to the front again under the
	// line. Drawing on the front alone shows nothing else where the front
	// buffer is the driver's own copy, as with software rendering.
	glDrawBuffer(GL_FRONT);
	glReadBuffer(GL_BACK);
	glPushAttrib(GL_ENABLE_BIT);
	glDisable(GL_TEXTURE_2D);
	glDisable(GL_BLEND);
	glDisable(GL_DEPTH_TEST);
	glMatrixMode(GL_PROJECTION);
	glPushMatrix();
	glLoadIdentity();
	glMatrixMode(GL_MODELVIEW);
	glPushMatrix();
	glLoadIdentity();
	// The window's lower left corner.
	glRasterPos2f(-1.0f, -1.0f);
	glCopyPixels(0, 0, view.WindowWidth(), view.WindowHeight(), GL_COLOR);
	glPopMatrix();
	glMatrixMode(GL_PROJECTION);
	glPopMatrix();
	glMatrixMode(GL_MODELVIEW);
	// The line goes on a band of its own over the picture's first line.
	glEnable(GL_SCISSOR_TEST);
	glScissor(0, view.WindowHeight() - Test::FirstTextLine - Test::TextLineStep / 4, view.WindowWidth(),
		Test::TextLineStep + Test::TextLineStep / 4);
	glClear(GL_COLOR_BUFFER_BIT);
	glPopAttrib();
	shellText.DrawString(5, Test::FirstTextLine, "%s", line.c_str());
	glFlush();
	glDrawBuffer(GL_BACK);
}
