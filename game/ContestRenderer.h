#pragma once

#include <box2d/box2d.h>

#include <string>
#include <vector>

#include "framework/core/DebugDraw.h"
#include "framework/core/Texture.h"

class GameObject;
class Ground;

// Paints the arena with frames of the "tiles" sprite sheet: the ground
// cells in view, one sprite per visible object, and whole-image overlays.
class ContestRenderer
{
public:
	// Pixels of one sheet frame, and world units per pixel: a frame covers
	// exactly one 3.2-unit tile.
	static constexpr float FramePixels = 32.0f;
	static constexpr float PixelScale = 0.1f;
	// Objects whose body lies this far outside the view are skipped.
	static constexpr float CullMargin = 1.6f;
	// Overlay images are this many pixels square.
	static constexpr float OverlayPixels = 480.0f;
	// Single-precision quarter and three quarters of a turn's half, as the
	// sheet's diagonal arrow, mace and bow frames need them.
	static constexpr float QuarterPi = 0.7853975f;
	static constexpr float ThreeQuarterPi = 2.3561926f;

	// One sheet frame placed in the world.
	struct Sprite
	{
		unsigned int frame = 0;
		b2Vec2 anchor{16.0f, 16.0f};
		b2Vec2 scale{PixelScale, PixelScale};
		float angle = 0.0f;
		b2Color color{1.0f, 1.0f, 1.0f};
		float alpha = 1.0f;
		b2Vec2 position{0.0f, 0.0f};
		// The body position tested against the view.
		b2Vec2 cullPoint{0.0f, 0.0f};
	};

	explicit ContestRenderer(DebugDraw& draw);

	// Saves the GL state and binds the sprite sheet.
	void Begin();
	// Restores the GL state saved by Begin.
	void End();
	// The sprite sheet loaded (known after Begin). Without it nothing of the
	// arena or the figures is drawn here, and the game outlines the physics
	// bodies instead, as its physics overlay does, so it stays playable.
	bool HasSheet() const { return sheet.id != 0; }
	// The cells between lower and upper (world corners of the view), with
	// one cell of margin, clipped to the grid; nothing without the sprite
	// sheet (see HasSheet).
	void DrawTiles(const Ground& ground, const b2Vec2& lower, const b2Vec2& upper);
	// Every object's sprites whose body lies in the view grown by CullMargin
	// (counted, but not drawn, without the sprite sheet).
	void DrawObjects(const std::vector<GameObject*>& objects, const b2Vec2& lower, const b2Vec2& upper);
	// A whole image centred on center, 48 x zoom world units square; nothing
	// when the image failed to load.
	void DrawOverlay(const std::string& name, const b2Vec2& center, float zoom);

	// The sprites an object shows (the archer's bow is a second one; a
	// lowered shield or bow none); fills out and returns how many.
	static int SpritesOf(const GameObject& object, Sprite out[2]);
	static bool InView(const b2Vec2& p, const b2Vec2& lower, const b2Vec2& upper);

	// Sprites and tiles drawn since the last Begin, for tools and tests.
	int spritesDrawn = 0;
	int tilesDrawn = 0;

private:
	// Sets up blending and binds the named image; its texture record.
	static Texture Bind(const std::string& name);

	DebugDraw& draw;
	Texture sheet;
};
