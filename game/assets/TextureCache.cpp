#include "game/assets/TextureCache.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glx.h>
#include <SDL2/SDL_image.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>

#include "framework/core/DataFolder.h"
#include "game/assets/LoadFailure.h"

TextureCache textureCache;

namespace
{
constexpr Uint32 RedInLowestByte = 0x000000FF;

// Colour bytes times alpha, shifted down by 8 bits, so blending with
// source-alpha factors needs no extra work at the texture's soft edges.
// (An opaque 255 becomes 254: the shift divides by 256.)
void Premultiply(SDL_Surface* surface)
{
	for (int y = 0; y < surface->h; ++y)
	{
		uint8_t* pixel = static_cast<uint8_t*>(surface->pixels) + y * surface->pitch;
		for (int x = 0; x < surface->w; ++x, pixel += 4)
		{
			const unsigned int alpha = pixel[3];
			for (int c = 0; c < 3; ++c)
			{
				pixel[c] = static_cast<uint8_t>((pixel[c] * alpha) >> 8);
			}
		}
	}
}

// Palette and 16-bit images: the raw pixels would upload as garbage, so they
// are turned into the RGBA layout the rest of the loader handles.
SDL_Surface* ToRgba(SDL_Surface* surface)
{
	SDL_Surface* converted = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGBA32, 0);
	SDL_FreeSurface(surface);
	return converted;
}
} // namespace

TextureCache::~TextureCache()
{
	if (glXGetCurrentContext() != nullptr)
	{
		for (const auto& entry : textures)
		{
			glDeleteTextures(1, &entry.second.id);
		}
	}
	textures.clear();
}

TextureCache::FileState TextureCache::StateOf(const std::string& path)
{
	FileState state;
	struct stat info;
	if (stat(path.c_str(), &info) == 0)
	{
		state.exists = true;
		state.size = info.st_size;
		state.modified = info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
	}
	return state;
}

Texture TextureCache::GetTexture(const std::string& name)
{
	if (name == NoTextureName)
	{
		return Texture();
	}
	const auto found = textures.find(name);
	if (found != textures.end())
	{
		return found->second;
	}
	SDL_Surface* surface = LoadSurface(name);
	if (surface == nullptr)
	{
		return Texture();
	}
	const Texture texture = Upload(surface);
	textures[name] = texture;
	SDL_FreeSurface(surface);
	return texture;
}

SDL_Surface* TextureCache::LoadSurface(const std::string& name)
{
	const std::string path = DataFolder::Program().PathOf("Textures/" + name + ".png");
	const auto failed = failures.find(name);
	if (failed != failures.end() && failed->second == StateOf(path))
	{
		return nullptr;
	}
	SDL_Surface* surface = IMG_Load(path.c_str());
	if (surface == nullptr)
	{
		ReportLoadFailure(path, IMG_GetError());
		failures[name] = StateOf(path);
		return nullptr;
	}
	const int bytesPerPixel = surface->format->BytesPerPixel;
	if (bytesPerPixel != 3 && bytesPerPixel != 4)
	{
		printf("warning: the image is not truecolor..  this will probably break\n");
		surface = ToRgba(surface);
	}
	return surface;
}

Texture TextureCache::Upload(SDL_Surface* surface)
{
	const bool redFirst = surface->format->Rmask == RedInLowestByte;
	GLenum format = GL_RGB;
	if (surface->format->BytesPerPixel == 4)
	{
		format = redFirst ? GL_RGBA : GL_BGRA;
		if (redFirst)
		{
			Premultiply(surface);
		}
	}
	else
	{
		format = redFirst ? GL_RGB : GL_BGR;
	}

	Texture texture;
	texture.width = surface->w;
	texture.height = surface->h;
	glGenTextures(1, &texture.id);
	glBindTexture(GL_TEXTURE_2D, texture.id);
	gluBuild2DMipmaps(GL_TEXTURE_2D, surface->format->BytesPerPixel, surface->w, surface->h, format,
		GL_UNSIGNED_BYTE, surface->pixels);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
	return texture;
}
