#include "app/SceneRegistry.h"
#include "tests/support/GameHarness.h"

#include <GL/freeglut.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/input/InputStream.h"
#include "framework/shell/Shell.h"
#include "game/Contest.h"
#include "game/GameGlobals.h"
#include "game/GameDevices.h"
#include "game/Input.h"
#include "tests/support/AssetDir.h"
#include "tests/support/GlWindow.h"

namespace
{
std::array<std::unique_ptr<VirtualPad>, 2> harnessPads;
} // namespace

void StartGameHarness()
{
	static bool started = false;
	if (started)
	{
		return;
	}
	started = true;
	EnterAssetDir();
	setenv("SDL_AUDIODRIVER", "dummy", 0);
	// Started as the program starts, and never taken down: the test process
	// ends with it, as the program does on Escape.
	new ProgramStart(gameDevices, inputStream, false, "game harness");
	if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0)
	{
		throw std::runtime_error("SDL did not start");
	}
	// Two pads plugged in before the first game: slots 0 and 1, in order.
	for (std::size_t slot = 0; slot < harnessPads.size(); ++slot)
	{
		harnessPads[slot] = std::make_unique<VirtualPad>(VirtualPad::Kind::Raw, "harness pad " + std::to_string(slot));
	}
	sceneHost.UseRegistry(sceneEntries);
	sceneHost.UseDevices(&gameDevices);
	sceneHost.UseContext(&ShellContext());
	EnsureGlWindow();
}

Contest* NewGame()
{
	EndGame();
	sceneHost.settings = Settings();
	view.SetZoom(1.0f);
	KillCount = 0;
	GodMode = false;
	input.Reset();
	sceneHost.Start(0);
	OnReshape(view.WindowWidth(), view.WindowHeight());
	return CurrentGame();
}

void EndGame()
{
	sceneHost.End();
}

Contest* CurrentGame()
{
	return dynamic_cast<Contest*>(sceneHost.Scene());
}

void RunFrame()
{
	glutSetWindow(mainWindow);
	OnDisplay();
}

void RunFrames(int count)
{
	for (int i = 0; i < count; ++i)
	{
		RunFrame();
	}
}

void PressKey(unsigned char key)
{
	OnKey(key, 0, 0);
}

VirtualPad& HarnessPad(int pad)
{
	return *harnessPads.at(pad);
}

void PushButton(uint8_t pad, uint8_t button, bool down)
{
	HarnessPad(pad).Press(button, down);
}

void PushAxis(uint8_t pad, uint8_t axis, int16_t value)
{
	HarnessPad(pad).Move(axis, value);
}

FrameStats RunFrameAndRead()
{
	glutSetWindow(mainWindow);
	glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
	glMatrixMode(GL_MODELVIEW);
	glLoadIdentity();
	sceneHost.Scene()->textLine = Test::FirstTextLine;
	sceneHost.settings.hz = sceneHost.settingsHz;
	sceneHost.Scene()->Step(&sceneHost.settings);
	OnReshape(view.WindowWidth(), view.WindowHeight());

	std::vector<unsigned char> pixels(static_cast<size_t>(view.WindowWidth()) * view.WindowHeight() * 4);
	glReadBuffer(GL_BACK);
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	glReadPixels(0, 0, view.WindowWidth(), view.WindowHeight(), GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
	size_t coloured = 0;
	std::set<unsigned int> colours;
	for (size_t i = 0; i < pixels.size(); i += 4)
	{
		const unsigned int rgb = pixels[i] << 16 | pixels[i + 1] << 8 | pixels[i + 2];
		if (rgb != 0)
		{
			++coloured;
			colours.insert(rgb);
		}
	}
	return FrameStats{static_cast<double>(coloured) / (pixels.size() / 4), static_cast<int>(colours.size())};
}
