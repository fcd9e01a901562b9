#include "game/Contest.h"

#include <GL/freeglut.h>
#include <SDL/SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "framework/Shell.h"
#include "game/GameGlobals.h"
#include "game/Input.h"
#include "game/KeyboardPad.h"
#include "game/assets/LoadFailure.h"
#include "game/assets/MixerVolume.h"
#include "game/assets/SoundBank.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"
#include "game/objects/Other.h"
#include "game/objects/Zombie.h"

namespace
{
constexpr int WaveKeyFactor = 10;
constexpr unsigned char TabKey = '\t';
// The operator keys, which keyboard play suspends: its letters are the
// players' now.
constexpr const char* OperatorLetters = "aklmseh";
constexpr uint32_t SingleWaveSize = 1;
constexpr uint32_t HordeWaveSize = 1000;
constexpr float KnightStartX = 120.0f;
constexpr float ArcherStartX = 136.0f;

struct FigureStart
{
	float x;
	int32_t tile;
};
constexpr FigureStart FigureStarts[] = {{152.0f, 10}, {104.0f, 14}};

// The mixer may be closed (no audio device): then no music is loaded or
// played and the game runs silent.
Mix_Music* LoadMusic(const char* path)
{
	if (!SoundBank::MixerOpen())
	{
		return nullptr;
	}
	Mix_Music* music = Mix_LoadMUS(path);
	if (music == nullptr)
	{
		ReportLoadFailure(path, Mix_GetError());
	}
	return music;
}

void HaltMusic()
{
	if (SoundBank::MixerOpen() && Mix_PlayingMusic())
	{
		Mix_HaltMusic();
	}
}

void PlayMusic(Mix_Music* music)
{
	if (SoundBank::MixerOpen() && music != nullptr)
	{
		Mix_PlayMusic(music, -1);
	}
}

void FreeMusic(Mix_Music*& music)
{
	if (music != nullptr)
	{
		Mix_FreeMusic(music);
		music = nullptr;
	}
}

// Moves value towards target by at most step.
float Approach(float value, float target, float step)
{
	if (target - value >= step)
	{
		return value + step;
	}
	if (value - target >= step)
	{
		return value - step;
	}
	return target;
}
} // namespace

Contest::Contest()
	: renderer(debugDraw)
{
	drawWorld = false;

	mainMusic = LoadMusic("music.mp3");
	winMusic = LoadMusic("winmusic.mp3");

	soundEnemyHit = soundBank.LoadSound("enemyhit");
	soundFireball = soundBank.LoadSound("fireball");
	soundGhostFix = soundBank.LoadSound("ghostfix");
	soundEnemyDeath = soundBank.LoadSound("enemydeath");
	soundBounce = soundBank.LoadSound("bounce");
	soundP1 = soundBank.LoadSound("p1");
	soundP2 = soundBank.LoadSound("p2");
	soundMace = soundBank.LoadSound("mace");
	soundArrow = soundBank.LoadSound("arrow");
	laughSound = soundBank.LoadSound("laugh");

	PlayMusic(mainMusic);

	world->SetGravity(b2Vec2(0.0f, Gravity));
	gameWorld.world = world;
	GameWorldInstance = &gameWorld;

	ground.Build();

	for (const FigureStart& start : FigureStarts)
	{
		Other* other = new Other();
		other->control = &extraControl;
		b2Body* body = other->fixture->GetBody();
		body->SetTransform(b2Vec2(start.x, StartHeight), 0.0f);
		body->SetEnabled(false);
		other->tile = start.tile;
		gameWorld.Add(other);
	}

	knight = new Knight();
	knight->control = &knightControl;
	knight->fixture->GetBody()->SetTransform(b2Vec2(KnightStartX, StartHeight), 0.0f);
	gameWorld.Add(knight);

	archer = new Archer();
	archer->control = &archerControl;
	archer->fixture->GetBody()->SetTransform(b2Vec2(ArcherStartX, StartHeight), 0.0f);
	gameWorld.Add(archer);

	// A wave key may start the game before the first frame, which would
	// otherwise be the first to aim the camera.
	SnapCamera();
	// A key held through a restart must not auto-repeat into the new game
	// before its first frame: keyboard play takes the window's repeat now.
	keyboardPad.Poll();
}

Contest::~Contest()
{
	keyboardPad.ReleaseAll();
	HaltMusic();
	FreeMusic(mainMusic);
	FreeMusic(winMusic);
	soundBank.FreeSounds();
	gameWorld.DeleteObjects();
}

Test* Contest::Create()
{
	return new Contest;
}

void Contest::Step(Settings* settings)
{
	b2Timer timer;

	ReadPads();

	const PadState& pad0 = input.pads[0];
	const PadState& pad1 = input.pads[1];
	if ((pad0.buttons[PauseButton] && pad0.changed[PauseButton]) ||
		(pad1.buttons[PauseButton] && pad1.changed[PauseButton]))
	{
		paused = !paused;
	}

	if (!shellPause)
	{
		shellPause = settings->pause;
	}
	settings->pause = !started || paused ? 1 : 0;
	if (stepOnce && started && paused)
	{
		settings->pause = 0;
	}
	stepOnce = false;

	if (!started)
	{
		WaitForStart();
	}

	FillControls();
	MoveCamera(settings);

	timer.Reset();
	if (settings->pause == 0)
	{
		gameWorld.UpdateObjects();
	}
	profile.update = timer.GetMilliseconds();

	timer.Reset();
	const int pauseLine = textLine;
	Test::Step(settings);
	profile.step = timer.GetMilliseconds();

	timer.Reset();
	if (settings->pause == 0)
	{
		gameWorld.ForwardContacts();
	}
	profile.contacts = timer.GetMilliseconds();

	timer.Reset();
	Draw();
	profile.drawing = timer.GetMilliseconds();
	DrawStepOverlay(*settings, physicsOverlay || !renderer.HasSheet());
	DrawStatus(pauseLine);

	if (!started)
	{
		DrawHelp();
	}
	settings->pause = *shellPause;
}

void Contest::DrawStatus(int pauseLine)
{
	if (!started)
	{
		return;
	}
	if (paused)
	{
		debugDraw.DrawString(5, pauseLine, "****PAUSED****");
	}
	if (keyboardPad.IsEnabled())
	{
		debugDraw.DrawString(5, textLine, "Keyboard play: Tab gives the fighters back to the pads");
		textLine += TextLineStep;
	}
}

void Contest::DrawHelp()
{
	const auto line = [this](const std::string& text) {
		debugDraw.DrawString(5, textLine, "%s", text.c_str());
		textLine += TextLineStep;
	};
	line("Start: any pad button, or a number key 1-9 for a wave of 10 to 90 zombies");
	// No spawn tile sees where the fighters stand, so nothing comes to them.
	line("The wave waits in the upper caves: climb the slopes to meet it");
	if (!keyboardPad.IsEnabled())
	{
		line("Tab: play both fighters from the keyboard");
		return;
	}
	const char* const names[] = {"Knight", "Archer"};
	for (int pad = 0; pad < 2; ++pad)
	{
		std::string keys = std::string(names[pad]) + ":";
		for (int i = 0; i < KeyboardPad::bindingCount; ++i)
		{
			const KeyboardPad::Binding& binding = KeyboardPad::bindings[i];
			if (binding.pad == pad)
			{
				keys += " " + KeyboardPad::KeyName(binding) + " " + binding.action + ",";
			}
		}
		keys.pop_back();
		line(keys);
	}
	line("Tab: keyboard play off (pads only)");
}

void Contest::ReadPads()
{
	// Keyboard play's events for this frame go in right before the drain.
	keyboardPad.Poll();
	input.Read();
}

void Contest::SnapCamera()
{
	const b2Vec2 k = knight->fixture->GetBody()->GetPosition();
	const b2Vec2 a = archer->fixture->GetBody()->GetPosition();
	camTarget = 0.5f * (k + a);
	camTargetZoom = b2Max((k - a).Length() / CameraDistancePerZoom, MinCameraZoom);
	camCenter = camTarget;
	camZoom = camTargetZoom;
}

void Contest::WaitForStart()
{
	SnapCamera();

	bool start = false;
	for (int b = 0; b < StartButtons; ++b)
	{
		for (PadState& pad : input.pads)
		{
			start = start || pad.buttons[b] != 0;
		}
		// A button held through the start must be pressed again to act.
		for (PadState& pad : input.pads)
		{
			pad.buttons[b] = 0;
		}
	}
	if (start)
	{
		started = true;
		waveSize = PadStartWaveSize;
		SpawnWave();
	}
}

void Contest::FillControls()
{
	const PadState& knightPad = input.pads[swapPads ? 1 : 0];
	const PadState& archerPad = input.pads[swapPads ? 0 : 1];
	const std::pair<ControlState*, const PadState*> fighters[] = {
		{&knightControl, &knightPad}, {&archerControl, &archerPad}};
	for (const auto& [control, pad] : fighters)
	{
		control->stick.Set(pad->axes[0], pad->axes[1]);
		for (int b = 0; b < FighterButtons; ++b)
		{
			control->held[b] = pad->buttons[b] != 0;
			control->changed[b] = pad->changed[b] != 0;
		}
		const float length = control->stick.Length();
		if (length > MaxStickLength)
		{
			control->stick *= MaxStickLength / length;
		}
	}
}

void Contest::MoveCamera(Settings* settings)
{
	const bool knightDown = knight->Has(DyingFlag);
	const bool archerDown = archer->Has(DyingFlag);
	const b2Vec2 k = knight->fixture->GetBody()->GetPosition();
	const b2Vec2 a = archer->fixture->GetBody()->GetPosition();
	if (!knightDown && !archerDown)
	{
		camTarget = 0.5f * (k + a);
		camTargetZoom = b2Max((k - a).Length() / CameraDistancePerZoom, MinCameraZoom);
	}
	else if (!knightDown)
	{
		camTarget = k;
		camTargetZoom = MinCameraZoom;
	}
	else if (!archerDown)
	{
		camTarget = a;
		camTargetZoom = MinCameraZoom;
	}

	camCenter.x = Approach(camCenter.x, camTarget.x, CameraStep);
	camCenter.y = Approach(camCenter.y, camTarget.y, CameraStep);
	camZoom = Approach(camZoom, camTargetZoom, ZoomStep);
	settings->viewCenter = camCenter;
	// This frame is culled for the new camera, so it must also be drawn
	// with it; the shell alone would apply it only after the frame, and a
	// change of zoom alone not at all.
	if (camera != nullptr)
	{
		camera->LookAt(camCenter, camZoom);
	}
}

void Contest::PreSolve(b2Contact* contact, const b2Manifold* oldManifold)
{
	Test::PreSolve(contact, oldManifold);
	gameWorld.ForwardPreSolve(contact, oldManifold);
}

void Contest::Draw()
{
	// Without a window to show it in, the whole world is in view.
	b2Vec2 lower(-MaxWorldCoordinate, -MaxWorldCoordinate);
	b2Vec2 upper(MaxWorldCoordinate, MaxWorldCoordinate);
	if (camera != nullptr)
	{
		camera->VisibleArea(&lower, &upper);
	}
	overlays = 0;

	renderer.Begin();
	renderer.DrawTiles(ground, lower, upper);
	renderer.DrawObjects(gameWorld.objects, lower, upper);

	if (!started)
	{
		renderer.DrawOverlay("start", camCenter, camZoom);
		overlays |= StartOverlay;
	}
	if (started && KillCount >= waveSize)
	{
		renderer.DrawOverlay("win", camCenter, camZoom);
		overlays |= WinOverlay;
		PlayWinMusic();
	}
	if (started && knight->Has(DyingFlag) && archer->Has(DyingFlag))
	{
		renderer.DrawOverlay("end", camCenter, camZoom);
		overlays |= EndOverlay;
		PlayDefeatLaugh();
	}
	renderer.End();
}

void Contest::PlayWinMusic()
{
	if (ended)
	{
		return;
	}
	HaltMusic();
	PlayMusic(winMusic);
	ended = true;
}

void Contest::PlayDefeatLaugh()
{
	if (ended)
	{
		return;
	}
	HaltMusic();
	Mix_Chunk* laugh = soundBank.GetChunk(laughSound);
	if (laugh != nullptr && SoundBank::MixerOpen())
	{
		Mix_PlayChannelTimed(LaughChannel, laugh, 0, -1);
	}
	ended = true;
}

void Contest::SpawnWave()
{
	KillCount = 0;
	ground.spawnPoolSize = static_cast<int>(ground.openTiles.size());
	const unsigned int bandStart = ground.width * SpawnFirstRow;

	uint32_t spawned = 0;
	while (spawned < waveSize)
	{
		// Built before its tile is drawn: its own timers draw from the same
		// generator, and keeping that order keeps the placements.
		Zombie* zombie = new Zombie();

		bool found = false;
		int tile = 0;
		while (!found && ground.spawnPoolSize > 0)
		{
			const int r = rand() % ground.spawnPoolSize;
			tile = ground.openTiles[r];
			std::swap(ground.openTiles[r], ground.openTiles[ground.spawnPoolSize - 1]);
			--ground.spawnPoolSize;
			found = static_cast<unsigned int>(tile) >= bandStart;
		}
		if (!found)
		{
			// The band has no free tile left: the wave is what it is.
			delete zombie;
			break;
		}

		const float x = static_cast<float>(static_cast<unsigned int>(tile) % ground.width) * Ground::TileSize;
		const float y = static_cast<float>(static_cast<unsigned int>(tile) / ground.width) * Ground::TileSize;
		const float half = 0.5f * Ground::TileSize;
		zombie->fixture->GetBody()->SetTransform(b2Vec2(x + half, y + half), 0.0f);
		zombie->targetA = knight;
		zombie->targetB = archer;
		gameWorld.Add(zombie);
		++spawned;
	}
	waveSize = spawned;
}

void Contest::StartWave(uint32_t size)
{
	waveSize = size;
	if (!started)
	{
		started = true;
		SpawnWave();
	}
}

bool Contest::IsPaused(const Settings&) const
{
	return paused;
}

void Contest::SetPaused(Settings*, bool pause)
{
	paused = pause;
}

void Contest::StepOnce(Settings*)
{
	stepOnce = true;
}

namespace
{
PanelItem Item(PanelItem::Kind kind, const char* key, const char* label, float value, float max = 1.0f,
	std::string text = "")
{
	PanelItem item;
	item.kind = kind;
	item.key = key;
	item.label = label;
	item.value = value;
	item.max = max;
	item.text = std::move(text);
	return item;
}

PanelItem HarmBar(const char* label, float hurt, bool down)
{
	return Item(PanelItem::Bar, label, label, hurt, 1.0f, down ? "down" : std::to_string(static_cast<int>(100 * hurt)) + "%");
}
} // namespace

void Contest::GetPanelItems(std::vector<PanelItem>* items) const
{
	const float maxVolume = static_cast<float>(MixerVolume::MaxVolume);
	*items = {
		Item(PanelItem::Value, "wave", "Wave size", 0.0f, 1.0f, started ? std::to_string(waveSize) : "not started"),
		Item(PanelItem::Value, "defeated", "Zombies defeated", 0.0f, 1.0f, std::to_string(started ? KillCount : 0)),
		HarmBar("Knight harm", knight->hurt, knight->Has(DyingFlag)),
		HarmBar("Archer harm", archer->hurt, archer->Has(DyingFlag)),
		Item(PanelItem::Switch, "noHarm", "No-harm mode", GodMode ? 1.0f : 0.0f),
		Item(PanelItem::Switch, "swapPads", "Swap pads", swapPads ? 1.0f : 0.0f),
		Item(PanelItem::Switch, "keyboardPlay", "Keyboard play", keyboardPad.IsEnabled() ? 1.0f : 0.0f),
		Item(PanelItem::Switch, "physicsOverlay", "Physics overlay", physicsOverlay ? 1.0f : 0.0f),
		Item(PanelItem::Slider, "musicVolume", "Music", static_cast<float>(mixerVolume.Music()), maxVolume),
		Item(PanelItem::Switch, "musicMute", "Mute music", mixerVolume.MusicMuted() ? 1.0f : 0.0f),
		Item(PanelItem::Slider, "effectsVolume", "Effects", static_cast<float>(mixerVolume.Effects()), maxVolume),
		Item(PanelItem::Switch, "effectsMute", "Mute effects", mixerVolume.EffectsMuted() ? 1.0f : 0.0f),
	};
}

void Contest::SetPanelItem(const std::string& key, float value)
{
	const bool on = value != 0.0f;
	if (key == "noHarm")
	{
		GodMode = on;
	}
	else if (key == "swapPads")
	{
		swapPads = on;
	}
	else if (key == "keyboardPlay")
	{
		keyboardPad.SetEnabled(on);
	}
	else if (key == "physicsOverlay")
	{
		physicsOverlay = on;
	}
	else if (key == "musicVolume")
	{
		mixerVolume.SetMusic(static_cast<int>(value));
	}
	else if (key == "musicMute")
	{
		mixerVolume.MuteMusic(on);
	}
	else if (key == "effectsVolume")
	{
		mixerVolume.SetEffects(static_cast<int>(value));
	}
	else if (key == "effectsMute")
	{
		mixerVolume.MuteEffects(on);
	}
}

void Contest::AddToDigest(WorldDigest* digest) const
{
	const uint64_t switches[] = {started, ended, paused, swapPads, GodMode, waveSize, KillCount,
		gameWorld.objects.size()};
	for (uint64_t value : switches)
	{
		digest->Add(value);
	}
	for (const GameObject* object : gameWorld.objects)
	{
		digest->Add(static_cast<uint64_t>(object->kind));
		digest->Add(static_cast<uint64_t>(object->flags));
		digest->Add(object->damage);
	}
	digest->Add(knight->hurt);
	digest->Add(archer->hurt);
}

void Contest::Keyboard(unsigned char key)
{
	if (key == TabKey)
	{
		keyboardPad.SetEnabled(!keyboardPad.IsEnabled());
		return;
	}
	if (keyboardPad.KeyDown(key))
	{
		return;
	}
	if (keyboardPad.IsEnabled() && key != 0 && std::strchr(OperatorLetters, key) != nullptr)
	{
		return;
	}
	if (key >= '1' && key <= '9')
	{
		StartWave(static_cast<uint32_t>(WaveKeyFactor * (key - '0')));
		return;
	}
	switch (key)
	{
	case 'e':
		StartWave(SingleWaveSize);
		return;
	case 'h':
		StartWave(HordeWaveSize);
		return;
	default:
		break;
	}
	if (!started)
	{
		return;
	}
	switch (key)
	{
	case 'a':
		archer->flags |= DyingFlag;
		break;
	case 'k':
		knight->flags |= DyingFlag;
		break;
	case 'l':
		GodMode = !GodMode;
		break;
	case 'm':
		paused = !paused;
		break;
	case 's':
		swapPads = !swapPads;
		break;
	default:
		break;
	}
}

void Contest::KeyboardUp(unsigned char key)
{
	// The modifiers come with the release, recorded with it; only a control
	// code needs them.
	const bool control = key < ' ' && (inputRouter.KeyModifiers() & GLUT_ACTIVE_CTRL) != 0;
	keyboardPad.KeyUp(key, control);
}
