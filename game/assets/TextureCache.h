#pragma once

#include <map>
#include <string>

#include "game/assets/Texture.h"

// Turns an image name into an OpenGL texture, loading "Textures/<name>.png"
// on the first request and keeping it for the rest of the run. Must be used
// on the thread that owns the GL context.
class TextureCache
{
public:
	// Deletes the textures only while a GL context is current; once the
	// window is gone the driver has already released them with the context.
	~TextureCache();

	// The texture for name, loading it on first use (and leaving it bound).
	// "-" and images that fail to load give the empty record; a failure is
	// not remembered, so the next request tries the file again.
	Texture GetTexture(const std::string& name);
	int Count() const { return static_cast<int>(textures.size()); }

	// The name that stands for "no texture" without touching the disk.
	static constexpr const char* NoTextureName = "-";

private:
	std::map<std::string, Texture> textures;
};

extern TextureCache textureCache;

inline Texture GetTexture(const std::string& name)
{
	return textureCache.GetTexture(name);
}
