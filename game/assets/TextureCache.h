#pragma once

#include <map>
#include <string>

#include "framework/core/Texture.h"

struct SDL_Surface;

// Turns an image name into an OpenGL texture, loading "Textures/<name>.png"
// of the data folder (DataFolder) on the first request and keeping it for
// the rest of the run. Must be used on the thread that owns the GL context.
class TextureCache
{
public:
	// Deletes the textures only while a GL context is current; once the
	// window is gone the driver has already released them with the context.
	~TextureCache();

	// The texture for name, loading it on first use (and leaving it bound).
	// "-" and images that fail to load give the empty record. A failure is
	// reported once on standard error; the file is tried again as soon as
	// it changes (or appears), but not while it stays as it was, since the
	// image decoder may print its own complaint at every try.
	Texture GetTexture(const std::string& name);
	int Count() const { return static_cast<int>(textures.size()); }

	// The name that stands for "no texture" without touching the disk.
	static constexpr const char* NoTextureName = "-";

private:
	// A file as it was when it failed to load.
	struct FileState
	{
		bool exists = false;
		long long size = 0;
		long long modified = 0;
		bool operator==(const FileState& other) const
		{
			return exists == other.exists && size == other.size && modified == other.modified;
		}
	};
	static FileState StateOf(const std::string& path);
	// The image of name in a layout the upload takes (RGB or RGBA bytes);
	// null when it failed to load now or failed before and has not changed.
	SDL_Surface* LoadSurface(const std::string& name);
	// A texture made of surface's pixels, with mipmaps, left bound.
	static Texture Upload(SDL_Surface* surface);

	std::map<std::string, Texture> textures;
	std::map<std::string, FileState> failures;
};

extern TextureCache textureCache;

inline Texture GetTexture(const std::string& name)
{
	return textureCache.GetTexture(name);
}
