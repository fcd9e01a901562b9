#include "framework/shell/View.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include "framework/shell/DrawingArea.h"

namespace
{
const b2Vec2 HomeCenter(0.0f, 20.0f);
}

void View::Reshape(int w, int h)
{
	windowWidth = w;
	windowHeight = h;
	// Whatever moved the camera (keys, wheel, drag, a scene), it stays
	// where a recording can name it.
	const b2Vec2 reach(MaxViewReach, MaxViewReach);
	settings.viewCenter = b2Clamp(settings.viewCenter, -reach, reach);
	viewZoom = b2Clamp(viewZoom, MinViewZoom, MaxViewZoom);
	if (area.IsWindowless())
	{
		return;
	}

	area.GetViewportArea(&viewportX, &viewportY, &viewportWidth, &viewportHeight);
	if (IsEmpty())
	{
		// A minimised window has no aspect ratio; keep the last projection.
		return;
	}
	glViewport(viewportX, viewportY, viewportWidth, viewportHeight);

	glMatrixMode(GL_PROJECTION);
	glLoadIdentity();
	const b2Vec2 extents = Extents();
	const b2Vec2 lower = settings.viewCenter - extents;
	const b2Vec2 upper = settings.viewCenter + extents;
	gluOrtho2D(lower.x, upper.x, lower.y, upper.y);
}

b2Vec2 View::ScreenToWorld(int x, int y) const
{
	if (IsEmpty())
	{
		return settings.viewCenter;
	}
	const float u = x / static_cast<float>(viewportWidth);
	const float v = (viewportHeight - y) / static_cast<float>(viewportHeight);

	const b2Vec2 extents = Extents();
	const b2Vec2 lower = settings.viewCenter - extents;
	const b2Vec2 upper = settings.viewCenter + extents;
	// Only a window stretched to a sliver at the widest view reaches past
	// this.
	const b2Vec2 limit(MaxWorldCoordinate, MaxWorldCoordinate);
	return b2Clamp(b2Vec2((1.0f - u) * lower.x + u * upper.x, (1.0f - v) * lower.y + v * upper.y), -limit, limit);
}

void View::LookAt(const b2Vec2& center, float zoom)
{
	settings.viewCenter = center;
	viewZoom = zoom;
	Reproject();
}

void View::VisibleArea(b2Vec2* lower, b2Vec2* upper) const
{
	*lower = ScreenToWorld(0, windowHeight);
	*upper = ScreenToWorld(windowWidth, 0);
}

void View::SetZoom(float zoom)
{
	viewZoom = zoom;
	Reproject();
}

void View::GoHome()
{
	LookAt(HomeCenter, 1.0f);
}

b2Vec2 View::Extents() const
{
	const float ratio = static_cast<float>(viewportWidth) / static_cast<float>(viewportHeight);
	const float halfHeight = 0.5f * ViewHeightAtZoomOne;
	return b2Vec2(halfHeight * ratio * viewZoom, halfHeight * viewZoom);
}
