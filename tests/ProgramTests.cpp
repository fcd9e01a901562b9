// The real program, end to end, on the test's X display.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <box2d/box2d.h>

#include <algorithm>
#include <set>
#include <chrono>
#include <cstdint>
#include <cmath>
#include <iostream>
#include <cstring>
#include <functional>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/SceneRegistry.h"
#include "framework/core/Test.h"
#include "tests/support/RunningProgram.h"

namespace
{
// A copy of the build folder's assets that a test may break; the program
// runs in it while the copy exists.
class AssetCopy
{
public:
	explicit AssetCopy(const std::string& name)
		: build(std::filesystem::current_path()),
		  folder(std::filesystem::temp_directory_path() / ("contest-" + name + "-" + std::to_string(getpid())))
	{
		std::filesystem::create_directories(folder);
		for (const char* entry : {"Textures", "Sounds", "music.mp3", "winmusic.mp3"})
		{
			std::filesystem::copy(build / entry, folder / entry, std::filesystem::copy_options::recursive);
		}
		std::filesystem::current_path(folder);
	}
	~AssetCopy()
	{
		std::filesystem::current_path(build);
		std::filesystem::remove_all(folder);
	}
	std::filesystem::path Path(const char* relative) const { return folder / relative; }

private:
	std::filesystem::path build;
	std::filesystem::path folder;
};

// The window's picture a second and a half from now: the frames have
// caught up with what came before.
std::vector<unsigned> PictureAfterAWhile(RunningProgram& program, Window window)
{
	std::this_thread::sleep_for(std::chrono::milliseconds(1500));
	int width = 0;
	int height = 0;
	return program.Capture(window, &width, &height);
}

// Pixels whose colour is within tolerance of rgb (0xRRGGBB) in every channel.
size_t CountNear(const std::vector<unsigned>& pixels, unsigned rgb, int tolerance)
{
	return std::count_if(pixels.begin(), pixels.end(), [rgb, tolerance](unsigned p) {
		for (int shift : {0, 8, 16})
		{
			const int channel = static_cast<int>((p >> shift) & 0xFF);
			if (std::abs(channel - static_cast<int>((rgb >> shift) & 0xFF)) > tolerance)
			{
				return false;
			}
		}
		return true;
	});
}

// The window's size once fits (within about ten seconds), or its last one.
XWindowAttributes SizeOnceItFits(Display* display, Window window, const std::function<bool(int, int)>& fits)
{
	XWindowAttributes attributes{};
	for (int attempt = 0; attempt < 100; ++attempt)
	{
		std::this_thread::sleep_for(std::chrono::milliseconds(100));
		XGetWindowAttributes(display, window, &attributes);
		if (fits(attributes.width, attributes.height))
		{
			break;
		}
	}
	return attributes;
}

TEST(ProgramTest, OpensAFullScreenWindowThatF11TogglesRunsFramesAndQuitsOnEscape)
{
	RunningProgram program({"--scene", "Tiles"});
	const Window window = program.WaitForWindow(WindowTitle(), 20.0);
	ASSERT_NE(window, 0u) << program.ErrorOutput();

	// Full screen: the window grows to the whole screen; F11 makes it a
	// window, and again the whole screen.
	Display* display = program.GetDisplay();
	const int screenWidth = DisplayWidth(display, DefaultScreen(display));
	const int screenHeight = DisplayHeight(display, DefaultScreen(display));
	const auto whole = [&](int width, int height) { return width == screenWidth && height == screenHeight; };
	XWindowAttributes attributes = SizeOnceItFits(display, window, whole);
	EXPECT_EQ(attributes.width, screenWidth);
	EXPECT_EQ(attributes.height, screenHeight);
	program.SendKey(window, XK_F11);
	attributes = SizeOnceItFits(display, window, [&](int width, int height) { return !whole(width, height); });
	EXPECT_LT(attributes.width, screenWidth);
	program.SendKey(window, XK_F11);
	attributes = SizeOnceItFits(display, window, whole);
	EXPECT_EQ(attributes.width, screenWidth);
	EXPECT_EQ(attributes.height, screenHeight);

	// Tiles: its ground of green-outlined squares fills the lower part and
	// its pyramid stands in the middle.
	std::this_thread::sleep_for(std::chrono::milliseconds(500));
	int width = 0;
	int height = 0;
	const std::vector<unsigned> pixels = program.Capture(window, &width, &height);
	int green = 0;
	int pinkish = 0;
	for (unsigned p : pixels)
	{
		const unsigned r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
		green += g > 150 && r < 160 && b < 160;
		pinkish += r > 150 && g > 100 && b > 100 && r > g;
	}
	EXPECT_GT(green, 2000);
	EXPECT_GT(pinkish, 2000) << "green " << green << " of " << pixels.size();

	program.SendKey(window, XK_Escape);
	EXPECT_EQ(program.WaitForExit(10.0), 0);
}

TEST(ProgramTest, EndsPromptlyOnTerminateAndInterrupt)
{
	for (int signal : {SIGTERM, SIGINT})
	{
		RunningProgram program({"--scene", "Tiles"});
		ASSERT_NE(program.WaitForWindow(WindowTitle(), 20.0), 0u) << program.ErrorOutput();
		program.Signal(signal);
		EXPECT_EQ(program.WaitForExit(3.0), 128 + signal);
	}
}

// With no such driver, and with ALSA on a machine without a sound card
// (which ALSA itself would fill stderr about).
TEST(ProgramTest, WithoutAnAudioDeviceItSaysSoOnceAndRunsSilent)
{
	std::vector<std::string> drivers = {"no-such-audio-driver"};
	std::ifstream cards("/proc/asound/cards");
	const std::string listed((std::istreambuf_iterator<char>(cards)), std::istreambuf_iterator<char>());
	if (listed.empty() || listed.find("no soundcards") != std::string::npos)
	{
		drivers.push_back("alsa");
	}
	for (const std::string& driver : drivers)
	{
		RunningProgram program({"--scene", "Tiles"}, driver);
		const Window window = program.WaitForWindow(WindowTitle(), 20.0);
		ASSERT_NE(window, 0u) << program.ErrorOutput();
		std::this_thread::sleep_for(std::chrono::milliseconds(300));
		const std::string errors = program.ErrorOutput();
		EXPECT_NE(errors.find("running without sound"), std::string::npos) << driver << errors;
		EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << driver << errors;
		program.SendKey(window, XK_Escape);
		EXPECT_EQ(program.WaitForExit(10.0), 0);
	}
}

TEST(ProgramTest, StartsWithTheGameDrawnFromItsAssets)
{
	RunningProgram program({});
	const Window window = program.WaitForWindow(WindowTitle(), 20.0);
	ASSERT_NE(window, 0u) << program.ErrorOutput();
	const std::vector<unsigned> pixels = PictureAfterAWhile(program, window);
	ASSERT_FALSE(pixels.empty());
	// The arena's tiles, figures and the start picture: far more than the
	// handful of colours of outlines and text.
	std::set<unsigned> colours(pixels.begin(), pixels.end());
	EXPECT_GT(colours.size(), 100u);
	const size_t black = std::count(pixels.begin(), pixels.end(), 0u);
	EXPECT_LT(black, pixels.size() * 3 / 4);
	program.SendKey(window, XK_Escape);
	EXPECT_EQ(program.WaitForExit(10.0), 0);
}

TEST(ProgramTest, WithoutADisplayItSaysSoInOneLineAndLeavesTheTerminalAlone)
{
	// No audio driver named either: nothing may get as far as the sound card.
	RunningProgram program({}, "dummy", 0, {"DISPLAY", "SDL_AUDIODRIVER"});
	EXPECT_EQ(program.WaitForExit(10.0), 1);
	const std::string errors = program.ErrorOutput();
	EXPECT_NE(errors.find("no display could be opened (DISPLAY is not set)"), std::string::npos) << errors;
	EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
	EXPECT_EQ(program.Output(), "");
	EXPECT_EQ(errors.find('\x1b'), std::string::npos) << "terminal control sequences";
}

// Mappings SDL rejects, from the environment and from a broken
// gamecontrollerdb.txt beside the program: one line each, and the game runs.
TEST(ProgramTest, PadMappingsSdlRejectsAreOneLineEachAndTheGameRuns)
{
	const std::filesystem::path folder =
		std::filesystem::temp_directory_path() / ("contest-mappings-" + std::to_string(getpid()));
	std::filesystem::create_directories(folder);
	const std::filesystem::path binary = folder / "contest";
	std::filesystem::copy_file(CONTEST_BINARY, binary);
	{
		std::ofstream database(folder / "gamecontrollerdb.txt", std::ios::binary);
		database << "# a comment\nnot a mapping at all\n" << std::string(100000, 'x') << "\n"
				 << std::string("\0\x01\xff,,\n", 7)
				 << "03000000de2800000000000000000000,Windows pad,a:b0,platform:Windows,\n";
	}
	{
		RunningProgram program({"--scene", "Tiles"}, "dummy", 0,
			{"SDL_GAMECONTROLLERCONFIG=garbage\nmore garbage"}, binary.string());
		const Window window = program.WaitForWindow(WindowTitle(), 20.0);
		ASSERT_NE(window, 0u) << program.ErrorOutput();
		program.SendKey(window, XK_Escape);
		EXPECT_EQ(program.WaitForExit(10.0), 0);
		const std::string errors = program.ErrorOutput();
		EXPECT_NE(errors.find("SDL_GAMECONTROLLERCONFIG: SDL rejected 2 pad mappings"), std::string::npos) << errors;
		EXPECT_NE(errors.find("gamecontrollerdb.txt: SDL rejected 3 pad mappings (line 2:"), std::string::npos)
			<< errors;
		EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 2) << errors;
	}
	std::filesystem::remove_all(folder);
}

// The mixer on SDL 2's disk driver, which writes what it plays to a file in
// real time: the game's music is there from the start, centred on zero, and
// the mace swung over it at the default volumes clips no sample.
TEST(ProgramTest, TheGamesMusicReachesTheAudioDeviceCentredAndTheMaceOverItDoesNotClip)
{
	const std::string path = "/tmp/contest-audio-" + std::to_string(getpid()) + ".raw";
	{
		RunningProgram program({"--keyboard"}, "disk", 0, {"SDL_DISKAUDIOFILE=" + path});
		const Window window = program.WaitForWindow(WindowTitle(), 20.0);
		ASSERT_NE(window, 0u) << program.ErrorOutput();
		std::this_thread::sleep_for(std::chrono::seconds(2));
		program.SendKey(window, XK_Return);
		for (int swing = 0; swing < 8; ++swing)
		{
			std::this_thread::sleep_for(std::chrono::milliseconds(250));
			program.SendKey(window, XK_f);
		}
		program.SendKey(window, XK_Escape);
		EXPECT_EQ(program.WaitForExit(10.0), 0);
	}
	std::ifstream file(path, std::ios::binary);
	const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
	std::remove(path.c_str());
	// 22050 Hz, 16-bit stereo: about 88 KB a second.
	ASSERT_GT(bytes.size(), 88000u);
	const std::size_t loud = std::count_if(bytes.begin(), bytes.end(), [](char b) { return b != 0; });
	EXPECT_GT(loud, bytes.size() / 4) << "the music is silent";
	std::vector<int16_t> samples(bytes.size() / sizeof(int16_t));
	std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(int16_t));
	// The first two seconds are the music alone.
	constexpr std::size_t MusicAloneSamples = 2 * 22050 * 2;
	double sum = 0.0;
	for (std::size_t i = 0; i < std::min(MusicAloneSamples, samples.size()); ++i)
	{
		sum += samples[i] / 32768.0;
	}
	const double mean = sum / static_cast<double>(std::min(MusicAloneSamples, samples.size()));
	const auto clipped = std::count_if(samples.begin(), samples.end(), [](int16_t s) { return s >= 32767 || s <= -32767; });
	const int peak = std::abs(*std::max_element(samples.begin(), samples.end(),
		[](int16_t a, int16_t b) { return std::abs(int{a}) < std::abs(int{b}); }));
	std::cout << "the music's mean " << mean << " of full scale; peak with the mace " << peak << ", " << clipped
			  << " clipped\n";
	EXPECT_LT(std::fabs(mean), 0.005);
	EXPECT_EQ(clipped, 0);
}

TEST(ProgramTest, ListsEveryScene)
{
	RunningProgram program({"--list-scenes"});
	EXPECT_EQ(program.WaitForExit(10.0), 0);
	const std::string listing = program.Output();
	EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 45);
	EXPECT_NE(listing.find(" 0  Contest\n"), std::string::npos) << listing;
	EXPECT_NE(listing.find("44  Add Pair Stress Test\n"), std::string::npos) << listing;
}

TEST(ProgramTest, ABadSceneIsAnErrorWithStatusTwo)
{
	for (const char* value : {"No Such Scene", "999"})
	{
		RunningProgram program({"--scene", value});
		EXPECT_EQ(program.WaitForExit(10.0), 2);
		EXPECT_NE(program.ErrorOutput().find(std::string("unknown scene \"") + value + "\""), std::string::npos)
			<< program.ErrorOutput();
	}
}

// The start picture missing, empty or not a picture at all: the program says
// so and shows the game's arena with no white box where the picture was.
TEST(ProgramTest, AStartPictureThatFailsToLoadLeavesNoWhiteBox)
{
	const std::string broken[] = {"missing", "empty", "corrupt"};
	for (const std::string& how : broken)
	{
		AssetCopy assets("start-" + how);
		const std::filesystem::path start = assets.Path("Textures/start.png");
		std::filesystem::remove(start);
		if (how != "missing")
		{
			std::ofstream(start) << (how == "empty" ? "" : "\x89PNG\r\n\x1a\n" + std::string(2048, 'x'));
		}
		RunningProgram program({});
		const Window window = program.WaitForWindow(WindowTitle(), 20.0);
		ASSERT_NE(window, 0u) << program.ErrorOutput();
		const std::vector<unsigned> pixels = PictureAfterAWhile(program, window);
		ASSERT_FALSE(pixels.empty());
		// The picture would cover nearly the window's height in a square.
		EXPECT_LT(CountNear(pixels, 0xFFFFFF, 8), pixels.size() / 50) << how;
		std::set<unsigned> colours(pixels.begin(), pixels.end());
		EXPECT_GT(colours.size(), 100u) << how;
		// (The image decoder may add complaints of its own.)
		const std::string errors = program.ErrorOutput();
		const std::string message = "cannot load Textures/start.png: ";
		const size_t first = errors.find(message);
		EXPECT_NE(first, std::string::npos) << errors;
		EXPECT_EQ(errors.find(message, first + 1), std::string::npos) << errors;
		program.SendKey(window, XK_Escape);
		EXPECT_EQ(program.WaitForExit(10.0), 0);
	}
}

// Without the sprite sheet the arena's edges and the fighters are outlined
// in the physics overlay's colours, before and after the start of a wave.
TEST(ProgramTest, WithoutTheSpriteSheetTheArenaAndTheFightersAreOutlined)
{
	AssetCopy assets("no-sheet");
	std::filesystem::remove(assets.Path("Textures/tiles.png"));
	RunningProgram program({});
	const Window window = program.WaitForWindow(WindowTitle(), 20.0);
	ASSERT_NE(window, 0u) << program.ErrorOutput();
	for (const bool started : {false, true})
	{
		if (started)
		{
			program.SendKey(window, XK_1);
		}
		const std::vector<unsigned> pixels = PictureAfterAWhile(program, window);
		ASSERT_FALSE(pixels.empty());
		// The floor's line across the window, beside the start picture or
		// without it.
		EXPECT_GT(CountNear(pixels, 0x7FE57F, 12), 400u) << "started " << started;
		EXPECT_GT(CountNear(pixels, 0xE5B2B2, 12), 50u) << "started " << started;
	}
	const std::string errors = program.ErrorOutput();
	EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
	program.SendKey(window, XK_Escape);
	EXPECT_EQ(program.WaitForExit(10.0), 0);
}

// A broken install: no sprite sheet, a sound of noise, no main music.
TEST(ProgramTest, EachAssetThatFailsToLoadIsNamedOnceWithTheReason)
{
	namespace fs = std::filesystem;
	const fs::path build = fs::current_path();
	const fs::path broken = fs::temp_directory_path() / ("contest-broken-" + std::to_string(getpid()));
	fs::create_directories(broken);
	for (const char* name : {"Textures", "Sounds", "winmusic.mp3"})
	{
		fs::copy(build / name, broken / name, fs::copy_options::recursive);
	}
	fs::remove(broken / "Textures/tiles.png");
	std::ofstream(broken / "Sounds/mace.wav") << std::string(4096, 'x');
	fs::current_path(broken);
	for (const bool audio : {true, false})
	{
		RunningProgram program({}, audio ? "dummy" : "no-such-audio-driver");
		const Window window = program.WaitForWindow(WindowTitle(), 20.0);
		std::this_thread::sleep_for(std::chrono::milliseconds(1000));
		// A restart loads the sounds and the music again.
		program.SendKey(window, XK_r);
		std::this_thread::sleep_for(std::chrono::milliseconds(1000));
		const std::string errors = program.ErrorOutput();
		// One line a file, each with a reason; without an audio device the
		// no-audio line speaks for the sounds and the music.
		EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), audio ? 3 : 2) << errors;
		EXPECT_NE(errors.find("cannot load Textures/tiles.png: "), std::string::npos) << errors;
		EXPECT_EQ(errors.find("cannot load Sounds/mace.wav: ") != std::string::npos, audio) << errors;
		EXPECT_EQ(errors.find("cannot load music.mp3: ") != std::string::npos, audio) << errors;
		EXPECT_EQ(errors.find(": \n"), std::string::npos) << errors;
		program.SendKey(window, XK_Escape);
		EXPECT_EQ(program.WaitForExit(10.0), 0);
	}
	fs::current_path(build);
	fs::remove_all(broken);
}
} // namespace

namespace
{
// The rightmost pixel of the text rows' colour in the band of rows [top,
// bottom]; -1 when there is none.
int TextEnd(const std::vector<unsigned>& pixels, int width, int top, int bottom)
{
	const unsigned textColour = 0xE69999; // (0.9, 0.6, 0.6)
	int end = -1;
	for (int y = top; y <= bottom; ++y)
	{
		for (int x = 0; x < width; ++x)
		{
			const unsigned p = pixels[static_cast<std::size_t>(y * width + x)];
			const auto near = [](unsigned a, unsigned b) { return (a > b ? a - b : b - a) <= 2; };
			if (near(p >> 16, textColour >> 16) && near((p >> 8) & 0xFF, 0x99) && near(p & 0xFF, 0x99))
			{
				end = std::max(end, x);
			}
		}
	}
	return end;
}
} // namespace

// Read back from the screen: over each demonstration's picture, its first
// row is as long as its name (and the keys it does not name itself), and
// its second row is the hint.
TEST(ProgramTest, EveryDemonstrationShowsItsNameAndTheHintOverItsPicture)
{
	RunningProgram program({"--scene", "1"});
	const Window window = program.WaitForWindow(WindowTitle(), 20.0);
	ASSERT_NE(window, 0u) << program.ErrorOutput();
	constexpr int GlyphWidth = 8;
	constexpr int Left = 5;
	constexpr int Slack = GlyphWidth;
	const int hintEnd = Left + GlyphWidth * static_cast<int>(std::strlen(
		"Drag: move a body; Shift-drag: throw a bomb; space: bomb from above; F2: panel")) - 1;
	int shown = 0;
	int demonstrations = 0;
	for (const SceneEntry* entry = sceneEntries + 1; entry->create != nullptr; ++entry, ++demonstrations)
	{
		std::this_thread::sleep_for(std::chrono::milliseconds(400));
		int width = 0;
		int height = 0;
		const std::vector<unsigned> pixels = program.Capture(window, &width, &height);
		ASSERT_GT(height, 50);
		const std::string title = entry->keys[0] != '\0' ? std::string(entry->name) + " - keys: " + entry->keys : entry->name;
		const int titleEnd = Left + GlyphWidth * static_cast<int>(title.size()) - 1;
		const int nameRow = TextEnd(pixels, width, 19, 32);
		const int hintRow = TextEnd(pixels, width, 34, 47);
		EXPECT_NEAR(nameRow, titleEnd, Slack) << title;
		EXPECT_NEAR(hintRow, hintEnd, Slack) << title;
		shown += std::abs(nameRow - titleEnd) <= Slack && std::abs(hintRow - hintEnd) <= Slack;
		program.SendKey(window, XK_Next);
	}
	std::printf("%d of %d demonstrations show their name and the hint\n", shown, demonstrations);
	program.SendKey(window, XK_Escape);
	EXPECT_EQ(program.WaitForExit(10.0), 0);
}
