// Measures the arena game frame by frame: builds the game scene in a real
// window, starts a wave of the given size, drives both pads from a script
// and prints the median and 95th percentile of each part of the frame,
// plus the peak resident memory.
//
//   xvfb-run -a -s "-screen 0 1280x720x24" ./contestbench [zombies] [frames]

#include <GL/freeglut.h>
#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/SceneRegistry.h"
#include "framework/Shell.h"
#include "game/Contest.h"
#include "game/GameGlobals.h"
#include "game/Input.h"

namespace
{
constexpr int DefaultZombies = 80;
constexpr int DefaultFrames = 600;
constexpr int AudioFrequency = 22050;
constexpr int AudioChunkSize = 4096;
constexpr int16_t FullStick = 30000;
// Frames the script spends walking one way before it turns.
constexpr int WalkFrames = 90;
constexpr int SwingPeriod = 45;
constexpr int ShotPeriod = 20;

void PushButton(uint8_t pad, uint8_t button, bool down)
{
	SDL_Event event{};
	event.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
	event.jbutton.type = event.type;
	event.jbutton.which = pad;
	event.jbutton.button = button;
	event.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
	SDL_PushEvent(&event);
}

void PushAxis(uint8_t pad, uint8_t axis, int16_t value)
{
	SDL_Event event{};
	event.type = SDL_JOYAXISMOTION;
	event.jaxis.type = event.type;
	event.jaxis.which = pad;
	event.jaxis.axis = axis;
	event.jaxis.value = value;
	SDL_PushEvent(&event);
}

// Both fighters pace to and fro; the knight swings its mace and the archer
// looses quick shots.
void ScriptPads(int frame)
{
	const int16_t walk = (frame / WalkFrames) % 2 == 0 ? FullStick : static_cast<int16_t>(-FullStick);
	PushAxis(0, 0, walk);
	PushAxis(1, 0, static_cast<int16_t>(-walk));
	if (frame % SwingPeriod == 0)
	{
		PushButton(0, 0, true);
	}
	else if (frame % SwingPeriod == 1)
	{
		PushButton(0, 0, false);
	}
	if (frame % ShotPeriod == 0)
	{
		PushButton(1, 0, true);
	}
	else if (frame % ShotPeriod == 2)
	{
		PushButton(1, 0, false);
	}
}

struct Summary
{
	double median;
	double p95;
};

Summary Summarize(std::vector<float> values)
{
	std::sort(values.begin(), values.end());
	const size_t n = values.size();
	return Summary{values[n / 2], values[std::min(n - 1, (n * 95) / 100)]};
}

void OpenWindow(int argc, char** argv)
{
	glutInit(&argc, argv);
	glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE);
	glutInitWindowSize(windowWidth, windowHeight);
	mainWindow = glutCreateWindow("contestbench");
	glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
	glutDisplayFunc([] {});
	glutReshapeFunc(OnReshape);
	glutFullScreen();
	for (int i = 0; i < 10; ++i)
	{
		glutMainLoopEvent();
	}
	OnReshape(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
}
} // namespace

int main(int argc, char** argv)
{
	const int zombies = argc > 1 ? std::atoi(argv[1]) : DefaultZombies;
	const int frames = argc > 2 ? std::atoi(argv[2]) : DefaultFrames;
	if (zombies < 0 || frames <= 0)
	{
		std::fprintf(stderr, "usage: %s [zombies] [frames]\n", argv[0]);
		return 2;
	}

	// SDL carries only the scripted pad events; the window is freeglut's.
	setenv("SDL_VIDEODRIVER", "dummy", 0);
	setenv("SDL_AUDIODRIVER", "dummy", 0);
	input.Init();
	audioOpen = Mix_OpenAudio(AudioFrequency, AUDIO_S16LSB, 2, AudioChunkSize) != -1;
	OpenWindow(argc, argv);

	currentEntry = &sceneEntries[0];
	currentScene = currentEntry->create();
	Contest* game = dynamic_cast<Contest*>(currentScene);
	if (game == nullptr)
	{
		std::fprintf(stderr, "registry row 0 is not the game\n");
		return 1;
	}
	// Nobody goes down, so every frame is a frame of the fight.
	GodMode = true;
	OnDisplay();
	game->waveSize = static_cast<uint32_t>(zombies);
	game->started = true;
	game->SpawnWave();

	std::vector<float> update, step, contacts, drawing, total;
	b2Timer frameTimer;
	for (int frame = 0; frame < frames; ++frame)
	{
		ScriptPads(frame);
		frameTimer.Reset();
		OnDisplay();
		total.push_back(frameTimer.GetMilliseconds());
		update.push_back(game->profile.update);
		step.push_back(game->profile.step);
		contacts.push_back(game->profile.contacts);
		drawing.push_back(game->profile.drawing);
	}

	rusage usage{};
	getrusage(RUSAGE_SELF, &usage);
	std::printf("zombies %u spawned, %d frames, window %d x %d, %u defeated, %zu objects at the end\n",
		game->waveSize, frames, windowWidth, windowHeight, KillCount, game->gameWorld.objects.size());
	std::printf("%-18s %10s %10s\n", "ms per frame", "median", "95th pct");
	const std::pair<const char*, std::vector<float>*> rows[] = {{"update pass", &update}, {"world step", &step},
		{"contact forwarding", &contacts}, {"drawing", &drawing}, {"whole frame", &total}};
	for (const auto& [name, values] : rows)
	{
		const Summary s = Summarize(*values);
		std::printf("%-18s %10.3f %10.3f\n", name, s.median, s.p95);
	}
	std::printf("peak memory %.1f MiB\n", usage.ru_maxrss / 1024.0);

	delete currentScene;
	currentScene = nullptr;
	if (audioOpen)
	{
		Mix_CloseAudio();
	}
	input.Shutdown();
	return 0;
}
