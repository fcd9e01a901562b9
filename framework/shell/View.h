#pragma once

#include <box2d/box2d.h>

#include "framework/core/Camera.h"
#include "framework/core/Settings.h"
#include "framework/shell/DrawingArea.h"

// Camera: zoom 1 shows this many world units of height.
constexpr float ViewHeightAtZoomOne = 50.0f;
constexpr float MinKeyZoom = 0.02f;
constexpr float MaxKeyZoom = 20.0f;
constexpr float PanStep = 0.5f;
constexpr float WheelZoomFactor = 1.1f;

// The window's picture of the world: the window's size, the drawing area
// beside the control panel, and the camera, whose centre is the settings'
// viewCenter and whose zoom is viewZoom, projected orthographically.
class View : public Camera
{
public:
	// The window's size until it opens.
	static constexpr int DefaultWidth = 640;
	static constexpr int DefaultHeight = 480;

	View(Settings& settings, const DrawingArea& area) : settings(settings), area(area) {}

	// The window became w x h pixels: the drawing area and the projection
	// follow. The camera is kept within its reach and zoom limits.
	void Reshape(int w, int h);
	// Before the window opens: the size to open it with.
	void SetWindowSize(int w, int h)
	{
		windowWidth = w;
		windowHeight = h;
	}
	// Projects the camera anew for the same window.
	void Reproject() { Reshape(windowWidth, windowHeight); }
	// World point under window pixel (x, y), y downward.
	b2Vec2 ScreenToWorld(int x, int y) const;

	void LookAt(const b2Vec2& center, float zoom) override;
	void VisibleArea(b2Vec2* lower, b2Vec2* upper) const override;
	// Projects anew at this zoom, kept within the view's limits.
	void SetZoom(float zoom);
	// Zoom 1 at the home point: where every scene starts.
	void GoHome();

	int WindowWidth() const { return windowWidth; }
	int WindowHeight() const { return windowHeight; }
	int ViewportWidth() const { return viewportWidth; }
	int ViewportHeight() const { return viewportHeight; }
	float Zoom() const { return viewZoom; }

private:
	// Half the view's width and height in world units.
	b2Vec2 Extents() const;
	bool IsEmpty() const { return viewportWidth <= 0 || viewportHeight <= 0; }

	Settings& settings;
	const DrawingArea& area;
	int windowWidth = DefaultWidth;
	int windowHeight = DefaultHeight;
	float viewZoom = 1.0f;
	// Drawing area inside the window, refreshed at each reshape.
	int viewportX = 0;
	int viewportY = 0;
	int viewportWidth = 0;
	int viewportHeight = 0;
};
