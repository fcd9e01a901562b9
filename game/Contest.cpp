#include "game/Contest.h"

#include <GL/freeglut.h>

#include <chrono>
#include <cstring>
#include <string>
#include <utility>

#include "game/GameGlobals.h"
#include "game/GamePads.h"
#include "game/Input.h"
#include "game/KeyboardPad.h"
#include "game/WaveSpawner.h"
#include "game/assets/MixerVolume.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"
#include "game/objects/Other.h"

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
// How long a pad's plug-in or pull-out stays on screen.
constexpr std::chrono::seconds PadNoticeTime(3);

struct FigureStart
{
	float x;
	int32_t tile;
};
constexpr FigureStart FigureStarts[] = {{152.0f, 10}, {104.0f, 14}};
} // namespace

Contest::Contest()
	: renderer(debugDraw)
{
	drawWorld = false;

	sounds.PlayMainMusic();

	world->SetGravity(b2Vec2(0.0f, Gravity));
	gameWorld.world = world;
	gameWorld.sounds = &sounds;
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

	// A wave key may start the game in the first frame, which would
	// otherwise be the first to aim the camera.
	camera.Snap(*knight, *archer);
	// A key held through a restart must not auto-repeat into the new game
	// before its first frame: keyboard play takes the window's repeat now.
	keyboardPad.Poll();
}

Contest::~Contest()
{
	keyboardPad.ReleaseAll();
	gameWorld.DeleteObjects();
}

Test* Contest::Create()
{
	return new Contest;
}

void Contest::Step(Settings* settings)
{
	b2Timer timer;

	TakeWaveKeys();
	ReadPads();
	TogglePause();

	if (!shellPause)
	{
		shellPause = settings->pause;
	}
	settings->pause = !IsStarted() || paused ? 1 : 0;
	if (stepOnce && IsStarted() && paused)
	{
		settings->pause = 0;
	}
	stepOnce = false;

	if (!IsStarted())
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

	DecideOutcome();
	ShakePads();
	timer.Reset();
	Draw();
	profile.drawing = timer.GetMilliseconds();
	DrawStepOverlay(*settings, physicsOverlay || !renderer.HasSheet());
	DrawStatus(pauseLine);

	if (!IsStarted())
	{
		DrawHelp();
	}
	DrawPadNotice();
	settings->pause = *shellPause;
}

void Contest::DrawPadNotice()
{
	if (gamePads.Notice().empty() || std::chrono::steady_clock::now() - gamePads.NoticeTime() > PadNoticeTime)
	{
		return;
	}
	debugDraw.DrawString(5, textLine, "%s", gamePads.Notice().c_str());
	textLine += TextLineStep;
}

void Contest::ShakePads()
{
	const Felt now[] = {{knight->hurt, knight->Has(DyingFlag)}, {archer->hurt, archer->Has(DyingFlag)}};
	for (int f = 0; f < 2; ++f)
	{
		// The knight's pad is slot 0 unless the pads are swapped; online,
		// only this machine's own fighter has a pad here. A replay shakes
		// nobody's hands.
		const int slot = Context().LocalPadFor((f == 0) != swapPads ? 0 : 1);
		const bool shaking = Context().DevicesLive() && slot >= 0;
		if (shaking && now[f].down && !felt[f].down)
		{
			gamePads.Rumble(slot, GamePads::Pulse::Down);
		}
		else if (shaking && now[f].hurt > felt[f].hurt)
		{
			gamePads.Rumble(slot, GamePads::Pulse::Hit);
		}
		felt[f] = now[f];
	}
}

void Contest::DrawStatus(int pauseLine)
{
	if (!IsStarted())
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
	line("Pads: stick or D-pad moves; A/cross swing or shoot, B/circle jump, X/square shield or sprint, Start pause");
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

void Contest::TakeWaveKeys()
{
	for (uint32_t size : waveKeys)
	{
		waveSize = size;
		if (!IsStarted())
		{
			Start();
		}
	}
	waveKeys.clear();
}

void Contest::ReadPads()
{
	// Keyboard play's events for this frame go in right before the drain.
	keyboardPad.Poll();
	input.Read();
}

void Contest::TogglePause()
{
	const PadState& pad0 = input.pads[0];
	const PadState& pad1 = input.pads[1];
	if ((pad0.buttons[PauseButton] && pad0.changed[PauseButton]) ||
		(pad1.buttons[PauseButton] && pad1.changed[PauseButton]))
	{
		paused = !paused;
	}
}

void Contest::WaitForStart()
{
	camera.Snap(*knight, *archer);

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
		waveSize = PadStartWaveSize;
		Start();
	}
}

void Contest::Start()
{
	phase = Phase::Running;
	waveSize = WaveSpawner(ground, gameWorld).Spawn(waveSize, knight, archer);
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
	camera.Follow(*knight, *archer);
	settings->viewCenter = camera.Center();
	// This frame is culled for the new camera, so it must also be drawn
	// with it; the shell alone would apply it only after the frame, and a
	// change of zoom alone not at all.
	if (Camera* windowCamera = Context().WindowCamera())
	{
		windowCamera->LookAt(camera.Center(), camera.Zoom());
	}
}

void Contest::PreSolve(b2Contact* contact, const b2Manifold* oldManifold)
{
	Test::PreSolve(contact, oldManifold);
	gameWorld.ForwardPreSolve(contact, oldManifold);
}

void Contest::DecideOutcome()
{
	if (!IsStarted())
	{
		overlays = StartOverlay;
		return;
	}
	const bool won = KillCount >= waveSize;
	const bool lost = knight->Has(DyingFlag) && archer->Has(DyingFlag);
	overlays = (won ? WinOverlay : 0) | (lost ? EndOverlay : 0);
	if (phase != Phase::Running)
	{
		return;
	}
	if (won)
	{
		phase = Phase::Won;
		sounds.PlayWinMusic();
	}
	else if (lost)
	{
		phase = Phase::Lost;
		sounds.PlayDefeatLaugh();
	}
}

void Contest::Draw()
{
	// Without a window to show it in, the whole world is in view.
	b2Vec2 lower(-MaxWorldCoordinate, -MaxWorldCoordinate);
	b2Vec2 upper(MaxWorldCoordinate, MaxWorldCoordinate);
	if (const Camera* windowCamera = Context().WindowCamera())
	{
		windowCamera->VisibleArea(&lower, &upper);
	}

	renderer.Begin();
	renderer.DrawTiles(ground, lower, upper);
	renderer.DrawObjects(gameWorld.objects, lower, upper);
	const std::pair<Overlay, const char*> images[] = {
		{StartOverlay, "start"}, {WinOverlay, "win"}, {EndOverlay, "end"}};
	for (const auto& [overlay, image] : images)
	{
		if ((overlays & overlay) != 0)
		{
			renderer.DrawOverlay(image, camera.Center(), camera.Zoom());
		}
	}
	renderer.End();
}

void Contest::RequestWave(uint32_t size)
{
	waveKeys.push_back(size);
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
// An item only this machine has: its rumble, what it shows and sounds.
PanelItem Local(PanelItem item)
{
	item.local = true;
	return item;
}
// What plays a pad slot's fighter: the other machine's player online, else
// the pad plugged in, else keyboard play's keys, else nothing.
PanelItem SlotItem(const SceneContext& context, int slot, const char* fighter)
{
	const int local = context.LocalPadFor(slot);
	const std::string name = local >= 0 ? gamePads.SlotName(local) : "";
	const std::string key = "pad" + std::to_string(slot);
	const std::string label = "Pad " + std::to_string(slot) + " (" + fighter + ")";
	return Item(PanelItem::Value, key.c_str(), label.c_str(), 0.0f, 1.0f,
		local < 0 ? "the online partner"
			: !name.empty() ? name
			: keyboardPad.IsEnabled() ? "keyboard"
									  : "none");
}
} // namespace

void Contest::GetPanelItems(std::vector<PanelItem>* items) const
{
	const float maxVolume = static_cast<float>(MixerVolume::MaxVolume);
	*items = {
		Item(PanelItem::Value, "wave", "Wave size", 0.0f, 1.0f, IsStarted() ? std::to_string(waveSize) : "not started"),
		Item(PanelItem::Value, "defeated", "Zombies defeated", 0.0f, 1.0f, std::to_string(IsStarted() ? KillCount : 0)),
		HarmBar("Knight harm", knight->hurt, knight->Has(DyingFlag)),
		HarmBar("Archer harm", archer->hurt, archer->Has(DyingFlag)),
		Item(PanelItem::Switch, "noHarm", "No-harm mode", GodMode ? 1.0f : 0.0f),
		SlotItem(Context(), 0, swapPads ? "archer" : "knight"),
		SlotItem(Context(), 1, swapPads ? "knight" : "archer"),
		Item(PanelItem::Switch, "swapPads", "Swap pads", swapPads ? 1.0f : 0.0f),
		Item(PanelItem::Switch, "keyboardPlay", "Keyboard play", keyboardPad.IsEnabled() ? 1.0f : 0.0f),
		Local(Item(PanelItem::Switch, "rumble", "Rumble", gamePads.RumbleOn() ? 1.0f : 0.0f)),
		Local(Item(PanelItem::Switch, "physicsOverlay", "Physics overlay", physicsOverlay ? 1.0f : 0.0f)),
		Local(Item(PanelItem::Slider, "musicVolume", "Music", static_cast<float>(mixerVolume.Music()), maxVolume)),
		Local(Item(PanelItem::Switch, "musicMute", "Mute music", mixerVolume.MusicMuted() ? 1.0f : 0.0f)),
		Local(Item(PanelItem::Slider, "effectsVolume", "Effects", static_cast<float>(mixerVolume.Effects()), maxVolume)),
		Local(Item(PanelItem::Switch, "effectsMute", "Mute effects", mixerVolume.EffectsMuted() ? 1.0f : 0.0f)),
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
	else if (key == "rumble")
	{
		gamePads.SetRumble(on);
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
	const bool started = IsStarted();
	const bool ended = phase == Phase::Won || phase == Phase::Lost;
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
		RequestWave(static_cast<uint32_t>(WaveKeyFactor * (key - '0')));
		return;
	}
	switch (key)
	{
	case 'e':
		RequestWave(SingleWaveSize);
		return;
	case 'h':
		RequestWave(HordeWaveSize);
		return;
	default:
		break;
	}
	// A wave key earlier in the same frame has started the game for the
	// keys after it.
	if (IsStarted() || !waveKeys.empty())
	{
		OperatorKey(key);
	}
}

void Contest::OperatorKey(unsigned char key)
{
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
	const bool control = key < ' ' && (Context().KeyModifiers() & GLUT_ACTIVE_CTRL) != 0;
	keyboardPad.KeyUp(key, control);
}
