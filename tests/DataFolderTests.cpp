// Where the game's data is found: the lookup's order, and the real program
// started away from its build folder.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <box2d/box2d.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "framework/core/DataFolder.h"
#include "tests/support/AssetDir.h"
#include "tests/support/RunningProgram.h"

namespace
{
namespace fs = std::filesystem;

// An empty scratch folder, removed with everything in it.
class Scratch
{
public:
	explicit Scratch(const std::string& name)
		: path(fs::temp_directory_path() / ("contest-" + name + "-" + std::to_string(getpid())))
	{
		fs::remove_all(path);
		fs::create_directories(path);
	}
	~Scratch() { fs::remove_all(path); }
	fs::path Path(const std::string& relative = "") const { return relative.empty() ? path : path / relative; }

private:
	fs::path path;
};

class DataFolderTest : public testing::Test
{
protected:
	void TearDown() override { EnterAssetDir(); }
};

// Each place holds data of its own, one less at each turn: the first in
// the order that holds any of it is the one read from, and the working
// directory's stays relative.
TEST_F(DataFolderTest, TheFirstPlaceHoldingAnyDataIsReadFrom)
{
	const Scratch environment("data-env");
	const Scratch working("data-cwd");
	const Scratch program("data-program");
	const Scratch installed("data-installed");
	fs::create_directories(environment.Path("Textures"));
	fs::create_directories(working.Path("Sounds"));
	std::ofstream(program.Path("winmusic.mp3")) << "x";
	std::ofstream(installed.Path("music.mp3")) << "x";
	ASSERT_EQ(chdir(working.Path().c_str()), 0);
	const DataFolder::Places places{environment.Path(), program.Path(), installed.Path()};

	EXPECT_EQ(DataFolder(places).PathOf("Textures/tiles.png"), environment.Path("Textures/tiles.png").string());
	fs::remove_all(environment.Path("Textures"));
	EXPECT_EQ(DataFolder(places).PathOf("Sounds/mace.wav"), "Sounds/mace.wav");
	EXPECT_EQ(DataFolder(places).Description(), ".");
	fs::remove_all(working.Path("Sounds"));
	EXPECT_EQ(DataFolder(places).PathOf("music.mp3"), program.Path("music.mp3").string());
	fs::remove(program.Path("winmusic.mp3"));
	EXPECT_EQ(DataFolder(places).PathOf("music.mp3"), installed.Path("music.mp3").string());
	EXPECT_TRUE(DataFolder(places).Found());

	// Nowhere: paths stay relative, and every place is named.
	fs::remove(installed.Path("music.mp3"));
	const DataFolder none(places);
	EXPECT_FALSE(none.Found());
	EXPECT_EQ(none.PathOf("music.mp3"), "music.mp3");
	for (const Scratch* place : {&environment, &program, &installed})
	{
		EXPECT_NE(none.Description().find(place->Path().string()), std::string::npos) << none.Description();
	}
	EXPECT_NE(none.Description().find("working directory"), std::string::npos) << none.Description();
	EXPECT_NE(DataFolder({"", program.Path(), ""}).Description().find("CONTEST_DATA (not set)"), std::string::npos);
}

// The game for a second and a half, then Escape: its standard error.
std::string ErrorsOfAShortGame(const std::vector<std::string>& environment, const std::string& binary)
{
	RunningProgram program({}, "dummy", 0, environment, binary);
	const Window window = program.WaitForWindow(WindowTitle(), 20.0);
	EXPECT_NE(window, 0u) << program.ErrorOutput();
	std::this_thread::sleep_for(std::chrono::milliseconds(1500));
	program.SendKey(window, XK_Escape);
	EXPECT_EQ(program.WaitForExit(10.0), 0);
	return program.ErrorOutput();
}

// Started from a folder without data, the build's program reads every
// picture, sound and piece of music from its own folder, or from the folder
// CONTEST_DATA names, whose broken file it names by its full path.
TEST_F(DataFolderTest, TheProgramFindsItsDataFromAnyWorkingDirectory)
{
	const Scratch elsewhere("data-elsewhere");
	const Scratch copy("data-copy");
	for (const char* entry : {"Textures", "Sounds", "music.mp3", "winmusic.mp3"})
	{
		fs::copy(fs::path(CONTEST_ASSET_DIR) / entry, copy.Path(entry), fs::copy_options::recursive);
	}
	fs::remove(copy.Path("Textures/tiles.png"));
	ASSERT_EQ(chdir(elsewhere.Path().c_str()), 0);

	EXPECT_EQ(ErrorsOfAShortGame({"CONTEST_DATA"}, CONTEST_BINARY), "");
	const std::string errors = ErrorsOfAShortGame({"CONTEST_DATA=" + copy.Path().string()}, CONTEST_BINARY);
	EXPECT_EQ(errors.rfind("cannot load " + copy.Path("Textures/tiles.png").string() + ": ", 0), 0u) << errors;
	EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
}

// A copy of the program with no data anywhere says so in one line, naming
// where it looked, and the game runs on without its pictures and sounds.
TEST_F(DataFolderTest, NoDataAnywhereIsOneLineAndTheGameRuns)
{
	const Scratch elsewhere("data-nowhere");
	ASSERT_EQ(chdir(elsewhere.Path().c_str()), 0);
	if (DataFolder({"", "", CONTEST_INSTALLED_DATA}).Found())
	{
		GTEST_SKIP() << "the game's data is installed in " << CONTEST_INSTALLED_DATA;
	}
	const Scratch lone("data-lone");
	fs::copy_file(CONTEST_BINARY, lone.Path("contest"));
	const std::string errors =
		ErrorsOfAShortGame({"CONTEST_DATA=" + elsewhere.Path().string()}, lone.Path("contest").string());
	EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
	EXPECT_EQ(errors.rfind("contest: no game data", 0), 0u) << errors;
	for (const fs::path& place : {elsewhere.Path(), lone.Path(), fs::path(CONTEST_INSTALLED_DATA)})
	{
		EXPECT_NE(errors.find(place.string()), std::string::npos) << errors;
	}
}
} // namespace
