// The shell's camera, projection and input routing, in a real window.
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

// After gtest: Xlib's macros (None, Bool) would clash with its names.
#include <GL/glx.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/SceneRegistry.h"
#include "framework/shell/CommandLine.h"
#include "framework/input/InputStream.h"
#include "framework/session/Lockstep.h"
#include "tests/support/TestApp.h"
#include "tests/support/GlWindow.h"
#include "tests/support/XTestInput.h"

namespace
{
// Remembers what the shell forwarded to it.
class RecordingScene : public Test
{
public:
	static Test* Create() { return new RecordingScene; }

	void Keyboard(unsigned char key) override { keys.push_back(key); }
	void KeyboardUp(unsigned char key) override { keysUp.push_back(key); }
	void MouseDown(const b2Vec2& p) override
	{
		++mouseDowns;
		Test::MouseDown(p);
	}
	void Step(Settings* s) override
	{
		++steps;
		s->viewCenter.x += centerDrift;
	}

	bool SpawningBomb() const { return bombSpawning; }

	std::string keys;
	std::string keysUp;
	int mouseDowns = 0;
	int steps = 0;
	float centerDrift = 0.0f;
};

SceneEntry recorderEntry = {"Recorder", RecordingScene::Create};

int shiftOnly()
{
	return GLUT_ACTIVE_SHIFT;
}

int shiftAndCtrl()
{
	return GLUT_ACTIVE_SHIFT | GLUT_ACTIVE_CTRL;
}

class ShellTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		EnsureGlWindow();
		ResizeWindow(640, 480);
		TestApp().Scenes().settings = Settings();
		TestApp().GetView().SetZoom(1.0f);
		TestApp().Router().ReleaseHeld();
		TestApp().Scenes().Build(recorderEntry);
		TestApp().Router().Reshape(TestApp().GetView().WindowWidth(), TestApp().GetView().WindowHeight());
	}

	void TearDown() override
	{
		TestApp().Scenes().End();
		TestApp().Router().SetModifierQuery(glutGetModifiers);
	}

	static void ResizeWindow(int w, int h)
	{
		glutReshapeWindow(w, h);
		for (int i = 0; i < 200; ++i)
		{
			PumpWindowEvents();
			if (glutGet(GLUT_WINDOW_WIDTH) == w && glutGet(GLUT_WINDOW_HEIGHT) == h)
			{
				break;
			}
		}
		ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), w);
		ASSERT_EQ(glutGet(GLUT_WINDOW_HEIGHT), h);
		TestApp().Router().Reshape(w, h);
	}

	RecordingScene& Scene() { return *static_cast<RecordingScene*>(TestApp().Scenes().Scene()); }

	// One notch of the wheel over the window, through the X server: X
	// buttons 4 (up) and 5 (down), which freeglut maps to its wheel.
	static void TurnWheel(unsigned int button)
	{
			WindowCallbacks::Register(&TestApp());
			// The test runs the frames itself.
			glutDisplayFunc([] {});
		Display* display = GlWindowDisplay();
		MovePointer(display, GlWindowId(), 50, 50);
		const float before = TestApp().GetView().Zoom();
		FakeClick(display, button);
		for (int i = 0; i < 500 && TestApp().GetView().Zoom() == before; ++i)
		{
			DeliverWindowEvents();
			usleep(1000);
		}
	}

	// The world point the GL projection maps to window pixel (x, y), y down.
	static b2Vec2 UnprojectPixel(int x, int y)
	{
		GLdouble projection[16];
		GLdouble modelView[16];
		GLint viewport[4];
		glGetDoublev(GL_PROJECTION_MATRIX, projection);
		glMatrixMode(GL_MODELVIEW);
		glLoadIdentity();
		glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
		glGetIntegerv(GL_VIEWPORT, viewport);
		GLdouble wx, wy, wz;
		gluUnProject(x, viewport[3] - y, 0.0, modelView, projection, viewport, &wx, &wy, &wz);
		return b2Vec2(static_cast<float>(wx), static_cast<float>(wy));
	}
};

TEST_F(ShellTest, ScreenToWorldMatchesTheProjectionAtEveryZoomCentreAndAspect)
{
	const int sizes[][2] = {{640, 480}, {800, 400}, {300, 600}};
	const float zooms[] = {0.02f, 0.5f, 1.0f, 3.7f, 20.0f};
	const b2Vec2 centers[] = {b2Vec2(0.0f, 20.0f), b2Vec2(-123.5f, 7.25f), b2Vec2(150.0f, 250.0f)};
	for (const auto& size : sizes)
	{
		ResizeWindow(size[0], size[1]);
		for (float zoom : zooms)
		{
			for (const b2Vec2& center : centers)
			{
				TestApp().GetView().SetZoom(zoom);
				TestApp().Scenes().settings.viewCenter = center;
				TestApp().Router().Reshape(TestApp().GetView().WindowWidth(), TestApp().GetView().WindowHeight());
				const int pixels[][2] = {{0, 0}, {size[0], size[1]}, {size[0] / 3, size[1] / 5}};
				for (const auto& pixel : pixels)
				{
					const b2Vec2 expected = UnprojectPixel(pixel[0], pixel[1]);
					const b2Vec2 actual = TestApp().GetView().ScreenToWorld(pixel[0], pixel[1]);
					const float tolerance = 1e-3f * (1.0f + b2Abs(expected.x) + b2Abs(expected.y));
					EXPECT_NEAR(actual.x, expected.x, tolerance) << size[0] << "x" << size[1] << " zoom " << zoom;
					EXPECT_NEAR(actual.y, expected.y, tolerance) << size[0] << "x" << size[1] << " zoom " << zoom;
				}
				// The view is always 50 units high times the zoom.
				EXPECT_NEAR(TestApp().GetView().ScreenToWorld(0, 0).y - TestApp().GetView().ScreenToWorld(0, size[1]).y, 50.0f * zoom, 1e-3f * zoom * 50.0f);
			}
		}
	}
}

TEST_F(ShellTest, ZoomKeysStopAtTheirLimitsButTheWheelDoesNot)
{
	for (int i = 0; i < 200; ++i)
	{
		TestApp().Router().Key('z', 0, 0);
	}
	EXPECT_EQ(TestApp().GetView().Zoom(), 20.0f);
	TurnWheel(5);
	EXPECT_FLOAT_EQ(TestApp().GetView().Zoom(), 22.0f);
	EXPECT_NEAR(UnprojectPixel(0, 0).y - UnprojectPixel(0, TestApp().GetView().WindowHeight()).y, 50.0f * 22.0f, 0.1f);

	for (int i = 0; i < 400; ++i)
	{
		TestApp().Router().Key('x', 0, 0);
	}
	EXPECT_EQ(TestApp().GetView().Zoom(), 0.02f);
	TurnWheel(4);
	EXPECT_FLOAT_EQ(TestApp().GetView().Zoom(), 0.02f / 1.1f);
	// Zoom keys are the shell's own: the scene never hears them.
	EXPECT_TRUE(Scene().keys.empty());
}

TEST_F(ShellTest, HomeAndPanKeysMoveTheCameraAndReprojectAtOnce)
{
	TestApp().Router().SpecialKey(GLUT_KEY_LEFT, 0, 0);
	TestApp().Router().SpecialKey(GLUT_KEY_F1, 0, 0);
	TestApp().Router().SpecialKey(GLUT_KEY_UP, 0, 0);
	EXPECT_FLOAT_EQ(TestApp().Scenes().settings.viewCenter.x, -1.0f);
	EXPECT_FLOAT_EQ(TestApp().Scenes().settings.viewCenter.y, 20.5f);
	TestApp().Router().SpecialKey(GLUT_KEY_RIGHT, 0, 0);
	TestApp().Router().SpecialKey(GLUT_KEY_DOWN, 0, 0);
	EXPECT_FLOAT_EQ(TestApp().Scenes().settings.viewCenter.x, -0.5f);
	EXPECT_FLOAT_EQ(TestApp().Scenes().settings.viewCenter.y, 20.0f);

	TestApp().GetView().SetZoom(7.0f);
	TestApp().Scenes().settings.viewCenter.Set(40.0f, -3.0f);
	TestApp().Router().SpecialKey(GLUT_KEY_HOME, 0, 0);
	EXPECT_EQ(TestApp().GetView().Zoom(), 1.0f);
	EXPECT_EQ(TestApp().Scenes().settings.viewCenter, b2Vec2(0.0f, 20.0f));
	const b2Vec2 middle = UnprojectPixel(TestApp().GetView().WindowWidth() / 2, TestApp().GetView().WindowHeight() / 2);
	EXPECT_NEAR(middle.x, 0.0f, 1e-3f);
	EXPECT_NEAR(middle.y, 20.0f, 1e-3f);

	// Unknown special keys change nothing.
	TestApp().Router().SpecialKey(GLUT_KEY_F5, 0, 0);
	EXPECT_EQ(TestApp().Scenes().settings.viewCenter, b2Vec2(0.0f, 20.0f));
}

TEST_F(ShellTest, RightButtonDragKeepsTheGrabbedPointUnderThePointer)
{
	TestApp().GetView().SetZoom(2.5f);
	TestApp().Router().Reshape(TestApp().GetView().WindowWidth(), TestApp().GetView().WindowHeight());
	const b2Vec2 grabbed = TestApp().GetView().ScreenToWorld(100, 120);
	TestApp().Router().MouseButton(GLUT_RIGHT_BUTTON, GLUT_DOWN, 100, 120);
	const int path[][2] = {{130, 100}, {400, 300}, {20, 470}};
	for (const auto& point : path)
	{
		TestApp().Router().MouseMotion(point[0], point[1]);
		const b2Vec2 under = TestApp().GetView().ScreenToWorld(point[0], point[1]);
		EXPECT_NEAR(under.x, grabbed.x, 1e-3f);
		EXPECT_NEAR(under.y, grabbed.y, 1e-3f);
	}
	TestApp().Router().MouseButton(GLUT_RIGHT_BUTTON, GLUT_UP, 20, 470);
	const b2Vec2 center = TestApp().Scenes().settings.viewCenter;
	TestApp().Router().MouseMotion(300, 300);
	EXPECT_EQ(TestApp().Scenes().settings.viewCenter, center);
}

TEST_F(ShellTest, ShellKeysStayWithTheShellAndEverythingElseReachesTheScene)
{
	TestApp().Router().Key('p', 0, 0);
	EXPECT_EQ(TestApp().Scenes().settings.pause, 1);
	TestApp().Router().Key('p', 0, 0);
	EXPECT_EQ(TestApp().Scenes().settings.pause, 0);
	TestApp().Router().Key('P', 0, 0);
	TestApp().Router().Key('R', 0, 0);
	TestApp().Router().Key('X', 0, 0);
	TestApp().Router().Key('Z', 0, 0);
	TestApp().Router().Key('a', 0, 0);
	TestApp().Router().Key('1', 0, 0);
	EXPECT_EQ(Scene().keys, "PRXZa1");
	EXPECT_EQ(TestApp().Scenes().settings.pause, 0);
	EXPECT_EQ(TestApp().GetView().Zoom(), 1.0f);

	TestApp().Router().KeyUp('p', 0, 0);
	TestApp().Router().KeyUp('q', 0, 0);
	EXPECT_EQ(Scene().keysUp, "pq");

	TestApp().Router().Key(' ', 0, 0);
	EXPECT_NE(Scene().GetBomb(), nullptr);
	EXPECT_EQ(Scene().keys, "PRXZa1");
}

TEST_F(ShellTest, ShiftAloneThrowsABombWhileShiftWithCtrlDrags)
{
	TestApp().Router().SetModifierQuery(shiftOnly);
	TestApp().Router().MouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 200, 200);
	EXPECT_TRUE(Scene().SpawningBomb());
	EXPECT_EQ(Scene().mouseDowns, 0);
	TestApp().Router().MouseButton(GLUT_LEFT_BUTTON, GLUT_UP, 250, 200);
	EXPECT_FALSE(Scene().SpawningBomb());
	ASSERT_NE(Scene().GetBomb(), nullptr);
	// Thrown from the press towards where it came from, harder the further.
	EXPECT_LT(Scene().GetBomb()->GetLinearVelocity().x, 0.0f);

	TestApp().Router().SetModifierQuery(shiftAndCtrl);
	TestApp().Router().MouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 200, 200);
	EXPECT_EQ(Scene().mouseDowns, 1);
	EXPECT_FALSE(Scene().SpawningBomb());
}

TEST_F(ShellTest, RestartBuildsAFreshSceneAndKeepsTheCamera)
{
	TestApp().GetView().SetZoom(3.0f);
	TestApp().Scenes().settings.viewCenter.Set(12.0f, -4.0f);
	TestApp().Scenes().settings.pause = 1;
	Scene().keys = "marker";
	TestApp().Router().Key('r', 0, 0);
	ASSERT_NE(TestApp().Scenes().Scene(), nullptr);
	EXPECT_TRUE(Scene().keys.empty());
	EXPECT_EQ(TestApp().GetView().Zoom(), 3.0f);
	EXPECT_EQ(TestApp().Scenes().settings.viewCenter, b2Vec2(12.0f, -4.0f));
	EXPECT_EQ(TestApp().Scenes().settings.pause, 1);
}

TEST_F(ShellTest, AFrameStepsTheSceneOnceAtSixtyHertzAndFollowsAMovedCamera)
{
	TestApp().Scenes().settings.hz = 30.0f;
	Scene().centerDrift = 10.0f;
	Scene().textLine = 400;
	TestApp().Display();
	EXPECT_EQ(Scene().steps, 1);
	EXPECT_EQ(TestApp().Scenes().settings.hz, 60.0f);
	// Below the two title rows the shell shows over a demonstration.
	EXPECT_EQ(Scene().textLine, ::Test::FirstTextLine + 2 * ::Test::TextLineStep);
	// The centre moved during the step, so the projection follows at once.
	const b2Vec2 middle = UnprojectPixel(TestApp().GetView().WindowWidth() / 2, TestApp().GetView().WindowHeight() / 2);
	EXPECT_NEAR(middle.x, 10.0f, 1e-3f);
}

// A frame that waits for the partner keeps the last picture on screen, read
// back from the window's front buffer, with the reason on a band of its own
// over the first text line.
TEST_F(ShellTest, AFrameWaitingForThePartnerKeepsTheLastPictureUnderItsLine)
{
	glClearColor(0.0f, 0.5f, 0.0f, 1.0f);
	TestApp().Display();
	glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
	Lockstep held;
	held.Start(Lockstep::Side::Host, 1);
	held.Hold(true);
	TestApp().Stream().SetSource(&held);
	TestApp().Display();
	std::this_thread::sleep_for(std::chrono::milliseconds(300));
	TestApp().Display();
	TestApp().Stream().SetSource(nullptr);
	EXPECT_EQ(Scene().steps, 1);

	const int w = TestApp().GetView().WindowWidth();
	const int h = TestApp().GetView().WindowHeight();
	std::vector<unsigned char> pixels(static_cast<std::size_t>(w * h * 4));
	glReadBuffer(GL_FRONT);
	glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
	glReadBuffer(GL_BACK);
	const auto green = [&](int x, int yFromTop) {
		return pixels[static_cast<std::size_t>(((h - 1 - yFromTop) * w + x) * 4 + 1)];
	};
	EXPECT_GT(green(w / 2, h / 2), 100);
	EXPECT_GT(green(w - 1, h - 1), 100);
	int lit = 0;
	for (int x = 0; x < w; ++x)
	{
		lit += green(x, ::Test::FirstTextLine - 4) > 100 ? 1 : 0;
	}
	// The band is dark but for the letters.
	EXPECT_GT(lit, 0);
	EXPECT_LT(lit, w / 4);
}

TEST_F(ShellTest, AnEmptyViewportKeepsTheLastProjectionAndMapsEveryPixelToTheCentre)
{
	GLint viewport[4];
	GLfloat projection[16];
	glGetIntegerv(GL_VIEWPORT, viewport);
	glGetFloatv(GL_PROJECTION_MATRIX, projection);
	// Without a current window freeglut reports a size of 0, as a minimised
	// window may; the GL context stays current.
	Display* display = glXGetCurrentDisplay();
	const GLXDrawable drawable = glXGetCurrentDrawable();
	const GLXContext context = glXGetCurrentContext();
	glutDestroyWindow(glutCreateWindow("gone"));
	glXMakeCurrent(display, drawable, context);
	ASSERT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 0);

	TestApp().Scenes().settings.viewCenter.Set(3.0f, 4.0f);
	TestApp().Router().Reshape(TestApp().GetView().WindowWidth(), 0);
	GLint viewportAfter[4];
	GLfloat projectionAfter[16];
	glGetIntegerv(GL_VIEWPORT, viewportAfter);
	glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
	EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), std::vector<GLint>(viewportAfter, viewportAfter + 4));
	EXPECT_EQ(std::vector<GLfloat>(projection, projection + 16),
		std::vector<GLfloat>(projectionAfter, projectionAfter + 16));
	EXPECT_EQ(TestApp().GetView().ScreenToWorld(10, 10), TestApp().Scenes().settings.viewCenter);

	glutSetWindow(GlWindowFreeglutId());
	PumpWindowEvents();
}

TEST(CommandLineTest, SceneByNumberOrNameAndClearErrors)
{
	TestApp().Scenes().UseRegistry(sceneEntries);
	char program[] = "contest";
	char scene[] = "--scene";
	char tiles[] = "Tiles";
	char geometry[] = "-geometry";
	char size[] = "320x200";
	char* argv[] = {program, geometry, size, scene, tiles, nullptr};
	int argc = 5;
	const CommandLine byName = ParseCommandLine(&argc, argv, TestApp().Scenes());
	EXPECT_EQ(byName.action, CommandLine::Run);
	EXPECT_STREQ(sceneEntries[byName.sceneIndex].name, "Tiles");
	// The windowing library's options stay for it.
	ASSERT_EQ(argc, 3);
	EXPECT_STREQ(argv[1], "-geometry");
	EXPECT_STREQ(argv[2], "320x200");

	char number[] = "--scene=0";
	char* argv2[] = {program, number, nullptr};
	argc = 2;
	EXPECT_EQ(ParseCommandLine(&argc, argv2, TestApp().Scenes()).sceneIndex, 0);

	const char* bad[][2] = {{"--scene", "9999"}, {"--scene", "-1"}, {"--scene", "No Such Scene"},
		{"--scene", "3abc"}, {"--frobnicate", ""}};
	for (const auto& pair : bad)
	{
		std::string option = pair[0];
		std::string value = pair[1];
		char* argv3[] = {program, option.data(), value.data(), nullptr};
		argc = value.empty() ? 2 : 3;
		const CommandLine result = ParseCommandLine(&argc, argv3, TestApp().Scenes());
		EXPECT_EQ(result.action, CommandLine::Error) << option << " " << value;
		EXPECT_FALSE(result.error.empty());
	}

	char* argv4[] = {program, scene, nullptr};
	argc = 2;
	EXPECT_EQ(ParseCommandLine(&argc, argv4, TestApp().Scenes()).action, CommandLine::Error);

	char keyboard[] = "--keyboard";
	char* argv5[] = {program, keyboard, nullptr};
	argc = 2;
	const CommandLine withKeyboard = ParseCommandLine(&argc, argv5, TestApp().Scenes());
	EXPECT_EQ(withKeyboard.action, CommandLine::Run);
	EXPECT_TRUE(withKeyboard.keyboardPlay);
	EXPECT_EQ(argc, 1);
	EXPECT_FALSE(byName.keyboardPlay);
}

// The command line as a test writes it, with the argv the parser edits.
struct Arguments
{
	explicit Arguments(std::vector<std::string> words)
		: words(std::move(words))
	{
		pointers.push_back(program);
		for (std::string& word : this->words)
		{
			pointers.push_back(word.data());
		}
		pointers.push_back(nullptr);
		argc = static_cast<int>(this->words.size()) + 1;
	}
	CommandLine Parse() { return ParseCommandLine(&argc, pointers.data(), TestApp().Scenes()); }
	std::vector<std::string> Left() const { return std::vector<std::string>(pointers.begin() + 1, pointers.begin() + argc); }

	char program[8] = "contest";
	std::vector<std::string> words;
	std::vector<char*> pointers;
	int argc = 0;
};

TEST(CommandLineTest, ScenesAreFoundByNameInAnyCaseOrByTheStartOfOnlyOneName)
{
	TestApp().Scenes().UseRegistry(sceneEntries);
	const std::pair<const char*, const char*> found[] = {{"revolute", "Revolute"}, {"REVOLUTE", "Revolute"},
		{"pyr", "Pyramid"}, {"tarvo", "Tarvo's Walker"}, {"car", "Car"}, {"contest", "Contest"},
		{"varying f", "Varying Friction"}};
	for (const auto& [value, name] : found)
	{
		Arguments arguments({"--scene", value});
		const CommandLine result = arguments.Parse();
		ASSERT_EQ(result.action, CommandLine::Run) << value << ": " << result.error;
		EXPECT_STREQ(sceneEntries[result.sceneIndex].name, name) << value;
	}

	// "Con" begins three names; the error names each of them.
	Arguments ambiguous({"--scene=con"});
	const CommandLine result = ambiguous.Parse();
	EXPECT_EQ(result.action, CommandLine::Error);
	for (const char* name : {"\"Contest\"", "\"Continuous Test\"", "\"Confined\""})
	{
		EXPECT_NE(result.error.find(name), std::string::npos) << result.error;
	}
	EXPECT_EQ(result.error.find("Compound"), std::string::npos) << result.error;
	EXPECT_EQ(result.error.find('\n'), std::string::npos) << result.error;

	for (const char* value : {"", "revolutes", "x"})
	{
		Arguments unknown({"--scene", value});
		EXPECT_EQ(unknown.Parse().action, CommandLine::Error) << value;
	}
}

TEST(CommandLineTest, OnlyFreeglutsOwnOptionsPassAndAnythingElseIsAnError)
{
	TestApp().Scenes().UseRegistry(sceneEntries);
	const std::vector<std::string> windowing = {"-display", ":0", "-geometry", "320x200", "-direct", "-indirect",
		"-iconic", "-gldebug", "-sync"};
	std::vector<std::string> words = windowing;
	words.insert(words.begin() + 2, "--panel");
	Arguments mixed(words);
	const CommandLine result = mixed.Parse();
	ASSERT_EQ(result.action, CommandLine::Run) << result.error;
	EXPECT_TRUE(result.panelOpen);
	EXPECT_EQ(mixed.Left(), windowing);

	const std::vector<std::vector<std::string>> wrong = {{"-foo"}, {"--panel", "extra"}, {"extra"}, {"-"},
		{"-display"}, {"--scene", "Tiles", "-geometry"}, {"-Display", ":0"}, {"-sync=1"}};
	for (const std::vector<std::string>& line : wrong)
	{
		Arguments arguments(line);
		const CommandLine bad = arguments.Parse();
		EXPECT_EQ(bad.action, CommandLine::Error) << line.front() << " ... " << line.back();
		EXPECT_FALSE(bad.error.empty());
	}
}
} // namespace
