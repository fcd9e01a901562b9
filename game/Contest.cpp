#include "game/Contest.h"

#include <GL/freeglut.h>

#include <string>
#include <utility>

#include "game/ContestKeys.h"
#include "game/ContestPanel.h"
#include "game/GameGlobals.h"
#include "game/Input.h"
#include "game/KeyboardPad.h"
#include "game/PadControls.h"
#include "game/WaveSpawner.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"
#include "game/objects/Other.h"

namespace
{
constexpr unsigned char TabKey = '\t';
constexpr float KnightStartX = 120.0f;
constexpr float ArcherStartX = 136.0f;

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
	padFeedback.Shake(*knight, *archer, swapPads, Context());
	timer.Reset();
	if (Context().Draws())
	{
		Draw();
	}
	profile.drawing = timer.GetMilliseconds();
	DrawStepOverlay(*settings, physicsOverlay || !renderer.HasSheet());
	DrawStatus(pauseLine);

	if (!IsStarted())
	{
		DrawRows(ContestKeys::HelpLines(keyboardPad.IsEnabled(), swapPads, !Context().DevicesLive()));
	}
	DrawPadNotice();
	settings->pause = *shellPause;
}

void Contest::DrawPadNotice()
{
	const std::string notice = PadFeedback::Notice();
	if (notice.empty())
	{
		return;
	}
	// Below the text rows, in large letters: a player looking at the arena
	// sees which fighter the pad plays.
	textLine += DebugDraw::NoticeRowStep - TextLineStep;
	debugDraw.DrawNotice(5, textLine, notice);
	textLine += TextLineStep;
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
	std::vector<std::string> lines;
	if (keyboardPad.IsEnabled())
	{
		lines.emplace_back("Keyboard play: Tab gives the fighters back to the pads");
	}
	if (gameLine)
	{
		lines.push_back(ContestPanel::GameLine(PanelFacts()));
	}
	if (phase == Phase::Won || phase == Phase::Lost)
	{
		lines.push_back(std::string(phase == Phase::Won ? "The wave is beaten" : "Both fighters are down") +
			": r plays again");
	}
	DrawRows(lines);
}

void Contest::DrawRows(const std::vector<std::string>& lines)
{
	for (const std::string& line : lines)
	{
		debugDraw.DrawString(5, textLine, "%s", line.c_str());
		textLine += TextLineStep;
	}
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
	// The press that starts the game starts it running.
	if (IsStarted() && PadControls::PausePressed(input))
	{
		paused = !paused;
	}
}

void Contest::WaitForStart()
{
	camera.Snap(*knight, *archer);

	if (PadControls::TakeStart(input))
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
	PadControls::Fill(knightControl, input.pads[swapPads ? 1 : 0]);
	PadControls::Fill(archerControl, input.pads[swapPads ? 0 : 1]);
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

ContestPanel::Facts Contest::PanelFacts() const
{
	return {IsStarted(), swapPads, physicsOverlay, gameLine, waveSize, knight, archer};
}

void Contest::GetPanelItems(std::vector<PanelItem>* items) const
{
	*items = ContestPanel::ItemsOf(PanelFacts(), Context());
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
	else if (key == "physicsOverlay")
	{
		physicsOverlay = on;
	}
	else if (key == "gameLine")
	{
		gameLine = on;
	}
	else
	{
		ContestPanel::SetDeviceItem(key, value);
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
	if (keyboardPad.IsEnabled() && ContestKeys::IsOperatorLetter(key))
	{
		return;
	}
	if (const std::optional<uint32_t> size = ContestKeys::WaveOf(key))
	{
		RequestWave(*size);
		return;
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
