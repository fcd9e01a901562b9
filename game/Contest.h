#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/core/Test.h"
#include "game/ContestCamera.h"
#include "game/ContestPanel.h"
#include "game/ContestRenderer.h"
#include "game/ControlState.h"
#include "game/PadFeedback.h"
#include "game/arena/Ground.h"
#include "game/assets/GameSounds.h"
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
	static constexpr uint32_t PadStartWaveSize = 80;
	static constexpr float Gravity = -30.0f;
	// Where the figures stand at the start: row 1 of the arena.
	static constexpr float StartHeight = 4.8f;

	// Where the match stands. Won and Lost name the outcome that came first
	// and played its finale; the other may still come, and then shows its
	// picture too, but plays nothing. Pausing is apart from this.
	enum class Phase
	{
		Waiting,
		Running,
		Won,
		Lost,
	};

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

	// What a wave key does: the next step starts the game with a wave of
	// size zombies unless it runs already; either way size becomes the
	// number of kills that wins. A band with fewer free tiles than the wave
	// ends it early, and the wave size becomes the number spawned.
	void RequestWave(uint32_t size);

	Phase GetPhase() const { return phase; }
	bool IsStarted() const { return phase != Phase::Waiting; }
	// Zombies in the wave; this many kills win.
	uint32_t GetWaveSize() const { return waveSize; }
	// Pad 1 drives the knight and pad 0 the archer.
	bool SwapsPads() const { return swapPads; }
	// Bits of Overlay drawn by the last frame.
	int GetOverlays() const { return overlays; }
	const Knight* GetKnight() const { return knight; }
	const Archer* GetArcher() const { return archer; }
	const Ground& GetGround() const { return ground; }
	const GameWorld& GetGameWorld() const { return gameWorld; }
	const ControlState& GetKnightControl() const { return knightControl; }
	const ControlState& GetArcherControl() const { return archerControl; }
	// Shared by the two idle figures; nothing writes it.
	const ControlState& GetExtraControl() const { return extraControl; }
	const ContestCamera& GetCamera() const { return camera; }
	const GameSounds& GetSounds() const { return sounds; }
	const ContestRenderer& GetRenderer() const { return renderer; }
	// Outlines the physics bodies over the sprites.
	bool ShowsPhysicsOverlay() const { return physicsOverlay; }
	bool ShowsOwnTitle() const override { return true; }
	const FrameProfile& GetProfile() const { return profile; }

private:
	void ReadPads();
	void TogglePause();
	// The wave keys pressed since the last frame, in order.
	void TakeWaveKeys();
	// Before the start: snaps the camera to the fighters and starts the game
	// on any held button, which then reads as released.
	void WaitForStart();
	// Spawns the wave and lets the game run.
	void Start();
	void FillControls();
	void MoveCamera(Settings* settings);
	// Decides the outcome after the frame's physics: the overlays to show,
	// and the win music or the defeat laugh when the game first ends.
	void DecideOutcome();
	// What the panel and the game line show of the game as it stands.
	ContestPanel::Facts PanelFacts() const;
	void Draw();
	// Text rows, one after another from textLine (the start screen's help,
	// the status lines).
	void DrawRows(const std::vector<std::string>& lines);
	// In play: the pause notice on the row the demos show theirs, a line
	// while keyboard play is on, the game line and, once the game has
	// ended, how to play again. Drawn after the tiles, which would cover
	// them.
	void DrawStatus(int pauseLine);
	// The last pad plugged in or pulled out, for a few seconds.
	void DrawPadNotice();
	// The operator letters: down a fighter, no-harm mode, pause, pad swap.
	void OperatorKey(unsigned char key);
	// The game's progress, switches and every object's kind, flags and
	// damage.
	void AddToDigest(WorldDigest* digest) const override;

	// Declared first, so the music and effects load before anything else is
	// built and are freed last.
	GameSounds sounds;
	Phase phase = Phase::Waiting;
	// Wave sizes of the wave keys pressed since the last frame.
	std::vector<uint32_t> waveKeys;
	bool paused = false;
	bool swapPads = false;
	ContestCamera camera;
	Knight* knight = nullptr;
	Archer* archer = nullptr;
	Ground ground;
	GameWorld gameWorld;
	ControlState knightControl;
	ControlState archerControl;
	ControlState extraControl;
	uint32_t waveSize = 0;
	int overlays = 0;
	// Outline the physics bodies over the sprites, with the drawing flags.
	bool physicsOverlay = false;
	// The text row of how the game goes: zombies left, each fighter's harm.
	bool gameLine = true;
	FrameProfile profile;
	ContestRenderer renderer;

	PadFeedback padFeedback;

	// The next paused frame runs as an unpaused one.
	bool stepOnce = false;
	// The shell's pause as the game found it. The game pauses the world
	// through the shared settings for its own step only, and puts this back
	// after it: a demo shown after the game runs unless the player paused
	// one.
	std::optional<int> shellPause;
};
