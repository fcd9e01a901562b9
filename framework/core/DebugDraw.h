#pragma once

#include <string>

#include <box2d/box2d.h>

class SceneContext;
struct Texture;

// Immediate-mode OpenGL renderer for physics primitives, status text and
// sprites. Shapes draw in world coordinates under the current camera;
// text switches to window pixels and restores both matrices afterwards.
class DebugDraw : public b2Draw
{
public:
	// Longest formatted text line, terminator included.
	static constexpr int TextBufferSize = 128;

	void DrawPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color) override;
	void DrawSolidPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color) override;
	void DrawCircle(const b2Vec2& center, float radius, const b2Color& color) override;
	void DrawSolidCircle(const b2Vec2& center, float radius, const b2Vec2& axis, const b2Color& color) override;
	void DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& color) override;
	void DrawTransform(const b2Transform& xf) override;
	void DrawPoint(const b2Vec2& p, float size, const b2Color& color) override;

	// printf-style text with its baseline at window pixel (x, y), y downward.
	// Text beyond the buffer is cut off.
	void DrawString(int x, int y, const char* format, ...) __attribute__((format(printf, 4, 5)));
	// A line to be read at a glance, in larger and brighter letters than
	// the text rows': NoticeRowStep pixels a row.
	void DrawNotice(int x, int y, const std::string& text);
	static constexpr int NoticeRowStep = 24;
	void DrawAABB(const b2AABB& box, const b2Color& color);
	// The outline of a polygon shape placed in the world by xf.
	void DrawPolygonShape(const b2PolygonShape& shape, const b2Transform& xf, const b2Color& color);

	// One frame of a sprite sheet of equal frames, placed with its anchor
	// (frame pixels from the frame's lower-left corner) on position, scaled in
	// world units per pixel (negative mirrors), turned by angle about the
	// anchor and tinted. The caller binds the texture and enables blending.
	// A texture that holds no whole frame (the empty record too) draws nothing.
	void DrawSpriteFrame(const Texture& texture, const b2Vec2& frameSize, const b2Vec2& position,
		const b2Vec2& anchor, const b2Vec2& scale, float angle, const b2Color& color, float alpha,
		unsigned int frame);
	// A whole image of size pixels, untinted and unrotated.
	void DrawImage(const b2Vec2& size, const b2Vec2& position, const b2Vec2& anchor, const b2Vec2& scale);

	// Where the text drawn is told of: the context of the scene (or the
	// program) drawing it; none until given.
	void UseContext(const SceneContext* given) { context = given; }
	// Draws at all: with no context, or one that draws. Otherwise every call
	// is a no-op but for the text told to the context.
	bool Draws() const;

private:
	// Text with its baseline at (x, y) in a GLUT bitmap font, told to the
	// context as drawn.
	void DrawText(int x, int y, const char* text, void* font, const b2Color& color);

	const SceneContext* context = nullptr;
};
