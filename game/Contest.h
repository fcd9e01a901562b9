#pragma once

#include <SDL/SDL_mixer.h>

#include <cstdint>
#include <optional>

#include "framework/Test.h"
#include "game/ContestRenderer.h"
#include "game/ControlState.h"
#include "game/arena/Ground.h"
#include "game/objects/GameWorld.h"

class Archer;
class Knight;

// The arena game: a knight on pad 0 and an archer on pad 1 against one wave
// of zombies, won when as many zombies are down as were spawned and lost
// when both fighters are. It waits on a start picture until a pad button or
// a wave key, and a camera keeps both fighters in view.
class Contest : public Test
{
public:
	// The longest stick vector a fighter receives.
	static constexpr float MaxStickLength = 32.767f;
	// Player distance per zoom unit of the camera, and its smallest zoom.
	static constexpr float CameraDistancePerZoom = 48.0f;
	static constexpr float MinCameraZoom = 1.0f;
	// Per-frame limits of the camera's movement and zoom change.
	static constexpr float CameraStep = 5.0f;
	static constexpr float ZoomStep = 0.1f;
	static constexpr uint32_t PadStartWaveSize = 80;
	static constexpr int PauseButton = 5;
	// Buttons 0 up to this one start the game; the fighters read 0 to 3.
	static constexpr int StartButtons = 8;
	static constexpr int FighterButtons = 4;
	// Zombies spawn only on open tiles of this row or higher.
	static constexpr unsigned int SpawnFirstRow = 16;
	// The mixer channel of the defeat laugh.
	static constexpr int LaughChannel = 1;
	static constexpr float Gravity = -30.0f;
	// Where the figures stand at the start: row 1 of the arena.
	static constexpr float StartHeight = 4.8f;

	// Which overlays the last frame drew.
	enum Overlay
	{
		StartOverlay = 1,
		WinOverlay = 2,
		EndOverlay = 4,
	};

	// Milliseconds of each part of the last frame.
	struct FrameProfile
	{
		float update = 0.0f;
		float step = 0.0f;
		float contacts = 0.0f;
		float drawing = 0.0f;
	};

	Contest();
	~Contest() override;
	static Test* Create();

	void Step(Settings* settings) override;
	// Tab switches keyboard play; with it on, the letter keys and Enter
	// drive the fighters and the operator letters are suspended.
	void Keyboard(unsigned char key) override;
	void KeyboardUp(unsigned char key) override;
	// Hands every touching contact to the game objects of both fixtures.
	void PreSolve(b2Contact* contact, const b2Manifold* oldManifold) override;

	// The control panel pauses the game itself (the step rewrites the
	// world's pause every frame), and a single step is one whole game frame.
	bool IsPaused(const Settings& settings) const override;
	void SetPaused(Settings* settings, bool paused) override;
	void StepOnce(Settings* settings) override;
	// The wave, the fighters' harm, the operator switches and the volumes.
	void GetPanelItems(std::vector<PanelItem>* items) const override;
	void SetPanelItem(const std::string& key, float value) override;

	// Places waveSize zombies on distinct random open tiles of the spawn
	// band. A band with fewer free tiles ends the wave early, and waveSize
	// becomes the number actually spawned.
	void SpawnWave();

	bool started = false;
	// The win music or the defeat laugh has played; neither plays again.
	bool ended = false;
	bool paused = false;
	// Pad 1 drives the knight and pad 0 the archer.
	bool swapPads = false;
	int laughSound = -1;
	b2Vec2 camTarget{0.0f, 0.0f};
	float camTargetZoom = 1.0f;
	b2Vec2 camCenter{0.0f, 0.0f};
	float camZoom = 1.0f;
	Knight* knight = nullptr;
	Archer* archer = nullptr;
	Ground ground;
	GameWorld gameWorld;
	ControlState knightControl;
	ControlState archerControl;
	// Shared by the two idle figures; nothing writes it.
	ControlState extraControl;
	// Zombies in the wave; this many kills win.
	uint32_t waveSize = 0;

	Mix_Music* mainMusic = nullptr;
	Mix_Music* winMusic = nullptr;
	// Bits of Overlay drawn by the last frame.
	int overlays = 0;
	// Outline the physics bodies over the sprites, with the drawing flags.
	bool physicsOverlay = false;
	FrameProfile profile;
	ContestRenderer renderer;

private:
	void ReadPads();
	// Centres the camera between the fighters at once.
	void SnapCamera();
	// Before the start: snaps the camera to the fighters and starts the game
	// on any held button, which then reads as released.
	void WaitForStart();
	void FillControls();
	void MoveCamera(Settings* settings);
	void Draw();
	// While waiting for the start: how to start, and the play keys.
	void DrawHelp();
	// In play: the pause notice on the row the demos show theirs, and a
	// line while keyboard play is on. Drawn after the tiles, which would
	// cover them.
	void DrawStatus(int pauseLine);
	void PlayWinMusic();
	void PlayDefeatLaugh();
	// Starts the game with a wave of the given size unless it runs already;
	// the size replaces the number of kills that wins either way.
	void StartWave(uint32_t size);
	// The game's progress, switches and every object's kind, flags and
	// damage.
	void AddToDigest(WorldDigest* digest) const override;

	// The next paused frame runs as an unpaused one.
	bool stepOnce = false;
	// The shell's pause as the game found it. The game pauses the world
	// through the shared settings for its own step only, and puts this back
	// after it: a demo shown after the game runs unless the player paused
	// one.
	std::optional<int> shellPause;
};
