// Writes every picture, sound effect and music loop the game loads into one
// folder (the game's working directory), and the program's icon for desktop
// menus, from nothing but this code: the same bytes on every run.
//   assetgen OUTPUT_DIR

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "tools/Effects.h"
#include "tools/IconArt.h"
#include "tools/Music.h"
#include "tools/SheetArt.h"

namespace
{
bool MakeFolder(const std::string& path)
{
	struct stat info;
	if (stat(path.c_str(), &info) == 0)
	{
		return S_ISDIR(info.st_mode);
	}
	return mkdir(path.c_str(), 0755) == 0;
}

bool Report(bool ok, const std::string& path)
{
	if (!ok)
	{
		std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
	}
	return ok;
}
} // namespace

int main(int argc, char** argv)
{
	if (argc != 2)
	{
		std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
		return 2;
	}
	const auto start = std::chrono::steady_clock::now();
	const std::string root = argv[1];
	const std::string textures = root + "/Textures";
	const std::string sounds = root + "/Sounds";
	if (!MakeFolder(root) || !MakeFolder(textures) || !MakeFolder(sounds))
	{
		std::fprintf(stderr, "assetgen: cannot create the folders under %s\n", root.c_str());
		return 1;
	}

	bool ok = true;
	const Canvas sheet = SheetArt::BuildSheet();
	ok &= Report(sheet.WritePng(textures + "/tiles.png"), textures + "/tiles.png");
	ok &= Report(SheetArt::BuildStartOverlay().WritePng(textures + "/start.png"), textures + "/start.png");
	ok &= Report(SheetArt::BuildWinOverlay().WritePng(textures + "/win.png"), textures + "/win.png");
	ok &= Report(SheetArt::BuildEndOverlay().WritePng(textures + "/end.png"), textures + "/end.png");
	ok &= Report(SheetArt::BuildContactSheet(sheet).WritePng(root + "/asset-sheet.png"), root + "/asset-sheet.png");

	for (const Effects::Effect& effect : Effects::BuildAll())
	{
		const std::string path = sounds + "/" + effect.name + ".wav";
		ok &= Report(Synth::WriteWav(path, effect.samples, Effects::EffectRate), path);
	}

	ok &= Report(Music::WriteMp3(root + "/music.mp3", Music::BuildBattleLoop(), Music::MusicRate),
		root + "/music.mp3");
	ok &= Report(Music::WriteMp3(root + "/winmusic.mp3", Music::BuildFanfareLoop(), Music::MusicRate),
		root + "/winmusic.mp3");

	// The menu's icon, in the icon theme's layout, ready to install.
	for (const int size : IconArt::Sizes())
	{
		const std::string side = std::to_string(size);
		const std::string folder = root + "/icons/hicolor/" + side + "x" + side + "/apps";
		const std::string path = folder + "/contest.png";
		ok &= MakeFolder(root + "/icons") && MakeFolder(root + "/icons/hicolor") &&
			MakeFolder(root + "/icons/hicolor/" + side + "x" + side) && MakeFolder(folder);
		ok &= Report(IconArt::BuildIcon(size).WritePng(path), path);
	}

	const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
	std::printf("assetgen: wrote the game's assets to %s in %.2f s\n", root.c_str(), elapsed);
	return ok ? 0 : 1;
}
