#include "framework/core/DebugDraw.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include "framework/core/SceneContext.h"
#include "framework/core/Texture.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace
{
constexpr int CircleSegments = 16;
constexpr float CircleIncrement = 2.0f * b2_pi / CircleSegments;
constexpr float TransformAxisLength = 0.4f;
const b2Color TextColor(0.9f, 0.6f, 0.6f);
// Brighter than the rows, so that a notice stands out from them.
const b2Color NoticeColor(1.0f, 0.9f, 0.3f);
constexpr float DegreesPerRadian = 57.295826f;

void RimVertices(const b2Vec2& center, float radius)
{
	float theta = 0.0f;
	for (int i = 0; i < CircleSegments; ++i)
	{
		const b2Vec2 v = center + radius * b2Vec2(cosf(theta), sinf(theta));
		glVertex2f(v.x, v.y);
		theta += CircleIncrement;
	}
}

void BeginTranslucentFill(const b2Color& color)
{
	glEnable(GL_BLEND);
	glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	glColor4f(0.5f * color.r, 0.5f * color.g, 0.5f * color.b, 0.5f);
}

void EndTranslucentFill(const b2Color& color)
{
	glDisable(GL_BLEND);
	glColor4f(color.r, color.g, color.b, 1.0f);
}
} // namespace

void DebugDraw::DrawPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color)
{
	if (!Draws())
	{
		return;
	}
	glColor3f(color.r, color.g, color.b);
	glBegin(GL_LINE_LOOP);
	for (int32 i = 0; i < vertexCount; ++i)
	{
		glVertex2f(vertices[i].x, vertices[i].y);
	}
	glEnd();
}

void DebugDraw::DrawSolidPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color)
{
	if (!Draws())
	{
		return;
	}
	BeginTranslucentFill(color);
	glBegin(GL_TRIANGLE_FAN);
	for (int32 i = 0; i < vertexCount; ++i)
	{
		glVertex2f(vertices[i].x, vertices[i].y);
	}
	glEnd();
	EndTranslucentFill(color);

	glBegin(GL_LINE_LOOP);
	for (int32 i = 0; i < vertexCount; ++i)
	{
		glVertex2f(vertices[i].x, vertices[i].y);
	}
	glEnd();
}

void DebugDraw::DrawCircle(const b2Vec2& center, float radius, const b2Color& color)
{
	if (!Draws())
	{
		return;
	}
	glColor3f(color.r, color.g, color.b);
	glBegin(GL_LINE_LOOP);
	RimVertices(center, radius);
	glEnd();
}

void DebugDraw::DrawSolidCircle(const b2Vec2& center, float radius, const b2Vec2& axis, const b2Color& color)
{
	if (!Draws())
	{
		return;
	}
	BeginTranslucentFill(color);
	glBegin(GL_TRIANGLE_FAN);
	RimVertices(center, radius);
	glEnd();
	EndTranslucentFill(color);

	glBegin(GL_LINE_LOOP);
	RimVertices(center, radius);
	glEnd();

	const b2Vec2 p = center + radius * axis;
	glBegin(GL_LINES);
	glVertex2f(center.x, center.y);
	glVertex2f(p.x, p.y);
	glEnd();
}

void DebugDraw::DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& color)
{
	if (!Draws())
	{
		return;
	}
	glColor3f(color.r, color.g, color.b);
	glBegin(GL_LINES);
	glVertex2f(p1.x, p1.y);
	glVertex2f(p2.x, p2.y);
	glEnd();
}

void DebugDraw::DrawTransform(const b2Transform& xf)
{
	if (!Draws())
	{
		return;
	}
	const b2Vec2 p1 = xf.p;
	glBegin(GL_LINES);
	glColor3f(1.0f, 0.0f, 0.0f);
	glVertex2f(p1.x, p1.y);
	b2Vec2 p2 = p1 + TransformAxisLength * xf.q.GetXAxis();
	glVertex2f(p2.x, p2.y);

	glColor3f(0.0f, 1.0f, 0.0f);
	glVertex2f(p1.x, p1.y);
	p2 = p1 + TransformAxisLength * xf.q.GetYAxis();
	glVertex2f(p2.x, p2.y);
	glEnd();
}

void DebugDraw::DrawPoint(const b2Vec2& p, float size, const b2Color& color)
{
	if (!Draws())
	{
		return;
	}
	glPointSize(size);
	glBegin(GL_POINTS);
	glColor3f(color.r, color.g, color.b);
	glVertex2f(p.x, p.y);
	glEnd();
	glPointSize(1.0f);
}

void DebugDraw::DrawAABB(const b2AABB& box, const b2Color& color)
{
	if (!Draws())
	{
		return;
	}
	glColor3f(color.r, color.g, color.b);
	glBegin(GL_LINE_LOOP);
	glVertex2f(box.lowerBound.x, box.lowerBound.y);
	glVertex2f(box.upperBound.x, box.lowerBound.y);
	glVertex2f(box.upperBound.x, box.upperBound.y);
	glVertex2f(box.lowerBound.x, box.upperBound.y);
	glEnd();
}

void DebugDraw::DrawPolygonShape(const b2PolygonShape& shape, const b2Transform& xf, const b2Color& color)
{
	b2Vec2 vertices[b2_maxPolygonVertices];
	for (int32 i = 0; i < shape.m_count; ++i)
	{
		vertices[i] = b2Mul(xf, shape.m_vertices[i]);
	}
	DrawPolygon(vertices, shape.m_count, color);
}

void DebugDraw::DrawString(int x, int y, const char* format, ...)
{
	char buffer[TextBufferSize];
	va_list args;
	va_start(args, format);
	// vsnprintf never writes past the buffer; longer text is cut.
	vsnprintf(buffer, sizeof(buffer), format, args);
	va_end(args);
	DrawText(x, y, buffer, GLUT_BITMAP_8_BY_13, TextColor);
}

void DebugDraw::DrawNotice(int x, int y, const std::string& text)
{
	DrawText(x, y, text.c_str(), GLUT_BITMAP_HELVETICA_18, NoticeColor);
}

void DebugDraw::DrawText(int x, int y, const char* text, void* font, const b2Color& color)
{
	if (context != nullptr)
	{
		context->TextDrawn(x, y, text);
	}
	if (!Draws())
	{
		return;
	}

	glMatrixMode(GL_PROJECTION);
	glPushMatrix();
	glLoadIdentity();
	// Pixels of the drawing area, which a side panel may leave narrower than
	// the window.
	GLint viewport[4];
	glGetIntegerv(GL_VIEWPORT, viewport);
	gluOrtho2D(0, viewport[2], viewport[3], 0);
	glMatrixMode(GL_MODELVIEW);
	glPushMatrix();
	glLoadIdentity();

	glColor3f(color.r, color.g, color.b);
	glRasterPos2i(x, y);
	for (const char* c = text; *c != '\0'; ++c)
	{
		glutBitmapCharacter(font, *c);
	}

	glPopMatrix();
	glMatrixMode(GL_PROJECTION);
	glPopMatrix();
	glMatrixMode(GL_MODELVIEW);
}

void DebugDraw::DrawSpriteFrame(const Texture& texture, const b2Vec2& frameSize, const b2Vec2& position,
	const b2Vec2& anchor, const b2Vec2& scale, float angle, const b2Color& color, float alpha,
	unsigned int frame)
{
	if (!Draws())
	{
		return;
	}
	glColor4f(color.r, color.g, color.b, alpha);
	SheetFrame f;
	if (!LocateSheetFrame(texture, frameSize.x, frameSize.y, frame, &f))
	{
		return;
	}
	glPushMatrix();
	glTranslatef(position.x, position.y, 0.0f);
	glRotatef(angle * DegreesPerRadian, 0.0f, 0.0f, 1.0f);
	glTranslatef(-anchor.x * scale.x, -anchor.y * scale.y, 0.0f);
	glScalef(scale.x, scale.y, 1.0f);
	// The frames of a sheet touch, so linear filtering at a frame's edge
	// would blend in its neighbour (a dark seam between two wall tiles where
	// the frame below is a transparent sprite, and the opposite edge's frame
	// where the sheet wraps). Stopping half a texel inside the edges keeps
	// every sample in the frame and costs the frame half a texel a side.
	const float s0 = f.s0 + 0.5f / static_cast<float>(texture.width);
	const float s1 = f.s1 - 0.5f / static_cast<float>(texture.width);
	const float t0 = f.t0 + 0.5f / static_cast<float>(texture.height);
	const float t1 = f.t1 - 0.5f / static_cast<float>(texture.height);
	// The image's top row (t0) goes to the quad's upper edge.
	glBegin(GL_QUADS);
	glTexCoord2f(s0, t1);
	glVertex2f(0.0f, 0.0f);
	glTexCoord2f(s0, t0);
	glVertex2f(0.0f, frameSize.y);
	glTexCoord2f(s1, t0);
	glVertex2f(frameSize.x, frameSize.y);
	glTexCoord2f(s1, t1);
	glVertex2f(frameSize.x, 0.0f);
	glEnd();
	glPopMatrix();
}

void DebugDraw::DrawImage(const b2Vec2& size, const b2Vec2& position, const b2Vec2& anchor, const b2Vec2& scale)
{
	if (!Draws())
	{
		return;
	}
	glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
	glPushMatrix();
	glTranslatef(position.x, position.y, 0.0f);
	glTranslatef(-anchor.x * scale.x, -anchor.y * scale.y, 0.0f);
	glScalef(scale.x, scale.y, 1.0f);
	glBegin(GL_QUADS);
	glTexCoord2f(0.0f, 1.0f);
	glVertex2f(0.0f, 0.0f);
	glTexCoord2f(0.0f, 0.0f);
	glVertex2f(0.0f, size.y);
	glTexCoord2f(1.0f, 0.0f);
	glVertex2f(size.x, size.y);
	glTexCoord2f(1.0f, 1.0f);
	glVertex2f(size.x, 0.0f);
	glEnd();
	glPopMatrix();
}

bool DebugDraw::Draws() const
{
	return context == nullptr || context->Draws();
}
