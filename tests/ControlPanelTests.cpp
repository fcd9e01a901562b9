// The control panel in a real window, driven by real X input (XTest): a
// fault in how freeglut's events reach ImGui or the scene only shows there.
#include <GL/freeglut.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/SceneRegistry.h"
#include "tests/support/TestApp.h"
#include "game/Contest.h"
#include "game/Input.h"
#include "game/KeyboardPad.h"
#include "game/objects/Knight.h"
#include "tests/support/GameHarness.h"
#include "tests/support/GlWindow.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/XTestInput.h"

namespace
{
constexpr unsigned LeftButton = 1;
constexpr unsigned RightButton = 3;
// Where the pointer goes into a panel item: this far right of its left end.
constexpr float ItemInset = 6.0f;
// Pixel rows between two tries when looking for a panel item.
constexpr int ItemScanStep = 4;

int Row(const char* name)
{
	for (int row = 0; sceneEntries[row].create != nullptr; ++row)
	{
		if (std::strcmp(sceneEntries[row].name, name) == 0)
		{
			return row;
		}
	}
	return -1;
}

class ControlPanelTest : public ::testing::Test
{
protected:
	static void SetUpTestSuite()
	{
		StartGameHarness();
		TestApp().Scenes().UseRegistry(sceneEntries);
		// The window may ask for a frame whenever its events are read: a
		// scene is always there to draw it, as in the program.
		TestApp().Scenes().Start(Row("Tiles"));
		WindowCallbacks::Register(&TestApp());
	}

	void SetUp() override
	{
		display = GlWindowDisplay();
		window = GlWindowId();
		TestApp().Scenes().settings = Settings();
		TestApp().GetView().SetZoom(1.0f);
		keyboardPad.SetEnabled(false);
		TestApp().Router().SetPanelOpen(false);
		MovePointer(display, window, 10, 10);
		DeliverWindowEvents();
	}

	void TearDown() override
	{
		TestApp().Router().SetPanelOpen(false);
		keyboardPad.SetEnabled(false);
		TestApp().Scenes().settingsHz = 60.0f;
	}

	void Build(int row)
	{
		TestApp().Scenes().Start(row);
		TestApp().Router().Reshape(TestApp().GetView().WindowWidth(), TestApp().GetView().WindowHeight());
	}

	// Each frame lets the events sent so far reach the handlers first.
	void Frames(int count)
	{
		for (int i = 0; i < count; ++i)
		{
			DeliverWindowEvents();
			RunFrame();
		}
	}

	// The centre of the scene list's row, in window pixels, laid out the
	// way ImGui's style places it: a line of help, the section's header,
	// then the list's framed child.
	b2Vec2 RowCentre(int row) const
	{
		const ImGuiStyle& style = ImGui::GetStyle();
		const float line = ImGui::GetTextLineHeightWithSpacing();
		const float top = 2.0f * style.WindowPadding.y + line + ImGui::GetFrameHeightWithSpacing();
		return b2Vec2(TestApp().GetView().WindowWidth() - 0.5f * ControlPanel::Width, top + line * row + 0.5f * ImGui::GetTextLineHeight());
	}

	// The window pixel of world point p, inverse of ScreenToWorld.
	void PointAtWorld(b2Vec2 p) const
	{
		const b2Vec2 origin = TestApp().GetView().ScreenToWorld(0, 0);
		const b2Vec2 corner = TestApp().GetView().ScreenToWorld(TestApp().GetView().ViewportWidth(), TestApp().GetView().ViewportHeight());
		const int x = static_cast<int>(TestApp().GetView().ViewportWidth() * (p.x - origin.x) / (corner.x - origin.x));
		const int y = static_cast<int>(TestApp().GetView().ViewportHeight() * (p.y - origin.y) / (corner.y - origin.y));
		MovePointer(display, window, x, y);
	}

	void PointAt(b2Vec2 pixel) const
	{
		MovePointer(display, window, static_cast<int>(pixel.x), static_cast<int>(pixel.y));
	}

	// A key held over two frames, as a person presses it: ImGui reads keys
	// once a frame.
	void Stroke(KeySym key)
	{
		FakeKey(display, key, true);
		Frames(2);
		FakeKey(display, key, false);
		Frames(2);
	}

	// A pixel inside the panel's item with this label, near its left end,
	// found by asking ImGui which item lies under the pointer.
	b2Vec2 ItemPixel(const char* label)
	{
		const ImGuiID id = ImGui::FindWindowByName("Control panel")->GetID(label);
		const float x = TestApp().GetView().WindowWidth() - ControlPanel::Width + ImGui::GetStyle().WindowPadding.x + ItemInset;
		for (int y = 0; y < TestApp().GetView().WindowHeight(); y += ItemScanStep)
		{
			const b2Vec2 pixel(x, static_cast<float>(y));
			PointAt(pixel);
			Frames(1);
			if (GImGui->HoveredId == id)
			{
				return pixel;
			}
		}
		ADD_FAILURE() << "no panel item " << label;
		return b2Vec2(x, 0.0f);
	}

	// Ctrl held over the frames of the click, as a person holds it.
	void CtrlClick(b2Vec2 pixel)
	{
		PointAt(pixel);
		FakeKey(display, XK_Control_L, true);
		Frames(1);
		FakeClick(display, LeftButton);
		Frames(2);
		FakeKey(display, XK_Control_L, false);
		Frames(1);
	}

	// A dynamic body of the running scene.
	b2Body* SomeBody() const
	{
		for (b2Body* body = TestApp().Scenes().Scene()->GetWorld()->GetBodyList(); body != nullptr; body = body->GetNext())
		{
			if (body->GetType() == b2_dynamicBody)
			{
				return body;
			}
		}
		return nullptr;
	}

	Display* display = nullptr;
	Window window = 0;
};

TEST_F(ControlPanelTest, F2ShowsThePanelWhereAQuickClickOnARowBuildsThatScene)
{
	Build(Row("Tiles"));
	TestApp().Scenes().settings.viewCenter.Set(5.0f, 5.0f);
	FakeTap(display, XK_F2);
	Frames(2);
	ASSERT_TRUE(TestApp().Panel().IsOpen());
	EXPECT_EQ(TestApp().GetView().ViewportWidth(), TestApp().GetView().WindowWidth() - ControlPanel::Width);

	// Press and release reach the program a few milliseconds apart, both
	// before the next frame: still one click.
	const int cantilever = Row("Cantilever");
	PointAt(RowCentre(cantilever));
	FakeClick(display, LeftButton);
	Frames(3);
	EXPECT_EQ(TestApp().Scenes().Index(), cantilever);
	EXPECT_EQ(TestApp().GetView().Zoom(), 1.0f);
	EXPECT_EQ(TestApp().Scenes().settings.viewCenter, b2Vec2(0.0f, 20.0f));

	// With the panel hidden the same spot is the scene's: a Shift-click
	// there readies a bomb instead of switching scenes.
	FakeTap(display, XK_F2);
	Frames(1);
	ASSERT_FALSE(TestApp().Panel().IsOpen());
	EXPECT_EQ(TestApp().Scenes().Scene()->GetBomb(), nullptr);
	FakeKey(display, XK_Shift_L, true);
	FakeClick(display, LeftButton);
	FakeKey(display, XK_Shift_L, false);
	Frames(2);
	EXPECT_EQ(TestApp().Scenes().Index(), cantilever);
	EXPECT_NE(TestApp().Scenes().Scene()->GetBomb(), nullptr);
}

TEST_F(ControlPanelTest, PageKeysWrapAroundTheRegistryAndNothingHeldCarriesOver)
{
	Build(0);
	FakeTap(display, XK_Prior);
	Frames(1);
	EXPECT_EQ(TestApp().Scenes().Index(), TestApp().Scenes().Count() - 1);

	// A pad button and a keyboard-play key held through the switch back to
	// the game must not start it.
	keyboardPad.SetEnabled(true);
	FakeKey(display, XK_f, true);
	Frames(1);
	PushButton(0, 1, true);
	FakeTap(display, XK_Next);
	Frames(3);
	EXPECT_EQ(TestApp().Scenes().Index(), 0);
	EXPECT_FALSE(CurrentGame()->IsStarted());
	FakeKey(display, XK_f, false);
	Frames(1);
	EXPECT_EQ(input.pads[0].buttons[0], 0);
}

TEST_F(ControlPanelTest, TheRestOfADragBelongsToTheSceneItStartedIn)
{
	Build(Row("Tiles"));
	TestApp().Router().SetPanelOpen(true);
	Frames(1);

	// A drag carried over the panel and let go there ends in the scene; a
	// right click on a row meanwhile switches nothing.
	PointAtWorld(SomeBody()->GetPosition());
	FakeButton(display, LeftButton, true);
	Frames(1);
	ASSERT_NE(TestApp().Scenes().Scene()->GetMouseJoint(), nullptr);
	PointAt(RowCentre(Row("Car")));
	FakeClick(display, RightButton);
	Frames(3);
	EXPECT_NE(TestApp().Scenes().Scene()->GetMouseJoint(), nullptr);
	FakeButton(display, LeftButton, false);
	Frames(3);
	EXPECT_EQ(TestApp().Scenes().Scene()->GetMouseJoint(), nullptr);
	EXPECT_EQ(TestApp().Scenes().Index(), Row("Tiles"));

	// A switch in mid-drag or mid-pan leaves neither behind.
	PointAtWorld(SomeBody()->GetPosition());
	FakeButton(display, LeftButton, true);
	FakeButton(display, RightButton, true);
	Frames(1);
	ASSERT_NE(TestApp().Scenes().Scene()->GetMouseJoint(), nullptr);
	FakeTap(display, XK_Next);
	Frames(1);
	MovePointer(display, window, 40, 40);
	Frames(2);
	EXPECT_EQ(TestApp().Scenes().Scene()->GetMouseJoint(), nullptr);
	EXPECT_EQ(TestApp().Scenes().settings.viewCenter, b2Vec2(0.0f, 20.0f));
	FakeButton(display, LeftButton, false);
	FakeButton(display, RightButton, false);
	Frames(1);
	EXPECT_EQ(TestApp().Scenes().Scene()->GetMouseJoint(), nullptr);
}

// The text lines the app's frames drew.
class HeardLines : public TextListener
{
public:
	void Heard(int, int, const char* text) override { lines.push_back(text); }

	std::vector<std::string> lines;
};

int CountStartingWith(const std::vector<std::string>& lines, const std::string& prefix)
{
	int count = 0;
	for (const std::string& line : lines)
	{
		count += line.compare(0, prefix.size(), prefix) == 0;
	}
	return count;
}

TEST_F(ControlPanelTest, EveryDrawingSwitchChangesTheFrameAndTheTextSwitchesWriteTheirLines)
{
	Build(Row("Bridge"));
	Frames(90);
	// Paused, every frame shows the same world with the same contacts.
	TestApp().Scenes().settings.pause = 1;
	Frames(1);
	const std::vector<unsigned> plain = ReadShownFrame();
	HeardLines heard;
	std::vector<std::string>& heardLines = heard.lines;
	TestApp().HearText(&heard);
	for (int i = 0; i < drawingFieldCount; ++i)
	{
		const SettingField& field = drawingFields[i];
		const int before = TestApp().Scenes().settings.*field.field;
		SetSettingField(&TestApp().Scenes().settings, field, 1 - before);
		heardLines.clear();
		Frames(1);
		EXPECT_NE(ReadShownFrame(), plain) << field.label;
		if (field.field == &Settings::drawStats)
		{
			EXPECT_EQ(CountStartingWith(heardLines, "bodies/contacts/joints = "), 1);
			EXPECT_EQ(CountStartingWith(heardLines, "proxies/height/balance/quality = "), 1);
		}
		if (field.field == &Settings::drawProfile)
		{
			EXPECT_EQ(CountStartingWith(heardLines, "step [ave] (max) = "), 1);
			EXPECT_EQ(CountStartingWith(heardLines, "broad-phase [ave] (max) = "), 1);
		}
		SetSettingField(&TestApp().Scenes().settings, field, before);
	}
	TestApp().HearText(nullptr);
}

TEST_F(ControlPanelTest, TheGameShowsItsBodiesAndLinesOverTheSpritesOnlyWhenAsked)
{
	Build(0);
	Frames(2);
	const std::vector<unsigned> designed = ReadShownFrame();

	// Drawing switches alone leave the game's picture as it is.
	TestApp().Scenes().settings.drawAABBs = 1;
	Frames(1);
	EXPECT_EQ(ReadShownFrame(), designed);

	TestApp().Router().PanelChanged({PanelChange::SceneItem, "physicsOverlay", 1.0f});
	Frames(1);
	EXPECT_NE(ReadShownFrame(), designed);
	TestApp().Router().PanelChanged({PanelChange::SceneItem, "physicsOverlay", 0.0f});

	// The statistics lines are written over the tiles, where they can be read.
	TestApp().Router().PanelChanged({PanelChange::Setting, "drawStats", 1.0f});
	Frames(1);
	EXPECT_NE(ReadShownFrame(), designed);
}

TEST_F(ControlPanelTest, TheGamesPauseAndSingleStepAreItsOwnAndValuesStayInRange)
{
	Build(0);
	PressKey('1');
	Frames(2);
	Contest* game = CurrentGame();
	TestApp().Router().PanelChanged({PanelChange::Pause, "", 1.0f});
	EXPECT_TRUE(game->IsPaused(TestApp().Scenes().settings));
	const int steps = game->GetStepCount();
	Frames(3);
	EXPECT_EQ(game->GetStepCount(), steps);

	// One whole game frame, not a bare physics step: the knight's update
	// reads the stick and walks in it.
	const b2Body* knight = game->GetKnight()->fixture->GetBody();
	const float x = knight->GetPosition().x;
	PushAxis(0, 0, 30000);
	TestApp().Router().PanelChanged({PanelChange::StepOnce, "", 0.0f});
	Frames(2);
	EXPECT_EQ(game->GetStepCount(), steps + 1);
	EXPECT_GT(knight->GetPosition().x, x);
	EXPECT_TRUE(game->IsPaused(TestApp().Scenes().settings));

	TestApp().Router().PanelChanged({PanelChange::Hz, "", 0.0f});
	EXPECT_EQ(TestApp().Scenes().settingsHz, MinHz);
	TestApp().Router().PanelChanged({PanelChange::Hz, "", 1e9f});
	EXPECT_EQ(TestApp().Scenes().settingsHz, MaxHz);
	TestApp().Router().PanelChanged({PanelChange::Setting, "velocityIterations", -5.0f});
	EXPECT_EQ(TestApp().Scenes().settings.velocityIterations, 1);
	TestApp().Router().PanelChanged({PanelChange::Setting, "positionIterations", 1000.0f});
	EXPECT_EQ(TestApp().Scenes().settings.positionIterations, 100);
	TestApp().Scenes().settingsHz = 60.0f;
}

TEST_F(ControlPanelTest, ACtrlClickedSliderTakesTypedKeysUntilEnterEscapeOrAClickInTheScene)
{
	Build(0);
	TestApp().Router().SetPanelOpen(true);
	Frames(2);
	const b2Vec2 hz = ItemPixel("Hz");

	// A Ctrl-click opens the slider's text entry instead of setting the
	// value under the pointer; the digits typed there are not wave keys.
	CtrlClick(hz);
	EXPECT_EQ(TestApp().Scenes().settingsHz, 60.0f);
	Stroke(XK_9);
	Stroke(XK_0);
	Stroke(XK_Return);
	EXPECT_EQ(TestApp().Scenes().settingsHz, 90.0f);
	EXPECT_FALSE(CurrentGame()->IsStarted());

	// A click in the scene gives the keys back before the next frame.
	CtrlClick(hz);
	PointAt(b2Vec2(100.0f, 100.0f));
	FakeClick(display, LeftButton);
	FakeTap(display, XK_1);
	Frames(2);
	EXPECT_TRUE(CurrentGame()->IsStarted());
	EXPECT_EQ(TestApp().Scenes().settingsHz, 90.0f);

	// Escape ends an edit without quitting; the keys are the game's again.
	CtrlClick(hz);
	Stroke(XK_Escape);
	Stroke(XK_m);
	// Quitting ends the session, and the scene with it.
	ASSERT_NE(CurrentGame(), nullptr) << "the program quit";
	EXPECT_TRUE(CurrentGame()->IsPaused(TestApp().Scenes().settings));
	EXPECT_EQ(TestApp().Scenes().settingsHz, 90.0f);

	// Ctrl let go, a click sets the value under the pointer again.
	PointAt(hz);
	FakeClick(display, LeftButton);
	Frames(2);
	EXPECT_LT(TestApp().Scenes().settingsHz, 60.0f);
}

// A key held for a tenth of a second, then a pause for the frames to see it.
void Stroke(Display* display, KeySym key, int heldMilliseconds = 100)
{
	FakeKey(display, key, true);
	std::this_thread::sleep_for(std::chrono::milliseconds(heldMilliseconds));
	FakeKey(display, key, false);
	std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

// Tab, the keys held after it, a second Tab and what is typed then are all
// the game's, never a panel field's, and the first Escape quits.
TEST(ControlPanelProgram, WithThePanelOpenTabAndTheKeysAfterItAreTheGamesAndTheFirstEscapeQuits)
{
	char path[] = "/tmp/contest-panel-XXXXXX";
	close(mkstemp(path));
	RunningProgram program({"--panel", "--record", path});
	const Window window = program.WaitForWindow(WindowTitle(), 20.0);
	ASSERT_NE(window, 0u) << program.ErrorOutput();
	Display* display = program.GetDisplay();
	std::this_thread::sleep_for(std::chrono::milliseconds(800));
	// No window manager: the keys go to the window under the pointer.
	MovePointer(display, window, 100, 100);

	Stroke(display, XK_1);
	Stroke(display, XK_Tab);
	Stroke(display, XK_d, 500);
	Stroke(display, XK_Tab);
	Stroke(display, XK_2);
	FakeTap(display, XK_Escape);
	EXPECT_EQ(program.WaitForExit(5.0), 0);

	std::ifstream file(path);
	std::stringstream read;
	read << file.rdbuf();
	const std::string recording = read.str();
	EXPECT_NE(recording.find(" key 100\n"), std::string::npos) << recording;
	EXPECT_NE(recording.find(" key 50\n"), std::string::npos) << recording;
	EXPECT_EQ(recording.find(" change "), std::string::npos) << recording;
	unlink(path);
}
} // namespace
