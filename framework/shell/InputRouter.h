#pragma once

#include <box2d/box2d.h>

#include <functional>
#include <utility>

#include "framework/shell/ControlPanel.h"
#include "framework/input/InputLine.h"
#include "framework/core/SceneHost.h"
#include "framework/shell/View.h"
#include "framework/shell/DrawingArea.h"

class InputStream;

// Routes the window's events between the control panel and the scene, turns
// those meant for the scene into inputs that go through the input stream,
// and carries out every input, live or recorded, in one place: the shell's
// keys, the camera, the scene's keys and mouse, the window's size, the
// panel's changes and scene switches.
class InputRouter
{
public:
	// Keys that are the session's, not the scene's: Escape, and every key
	// while a recording plays (the viewer's).
	using SessionKeyHandler = std::function<void(unsigned char key)>;

	InputRouter(View& view, SceneHost& host, ControlPanel& panel, DrawingArea& area, InputStream& stream);

	void SetSessionKeys(SessionKeyHandler handler) { sessionKeys = std::move(handler); }
	// Where the mouse handler reads the keyboard modifiers (freeglut's query
	// in the program; the bot holds its own).
	void SetModifierQuery(int (*query)()) { modifierQuery = query; }

	// The window's events, in window pixels.
	void Key(unsigned char key, int x, int y);
	void KeyUp(unsigned char key, int x, int y);
	void SpecialKey(int key, int x, int y);
	void SpecialKeyUp(int key, int x, int y);
	void MouseButton(int button, int state, int x, int y);
	void MouseWheel(int direction, int x);
	void MouseMotion(int x, int y);
	// Motion with no button held: only the control panel hears it.
	void PassiveMotion(int x, int y);
	// The window's size changed: an input, as the scene's picture follows.
	void WindowReshaped(int w, int h);
	// The panel and the view follow a window of w x h pixels.
	void Reshape(int w, int h);

	// Carries out an input as the scene receives it.
	void Apply(const InputLine& input);
	// A change the user made in the panel, offered as an input and carried
	// out.
	void PanelChanged(const PanelChange& change);
	void SetPanelOpen(bool open);
	// A switch to another scene lets go of everything the old one was
	// given: the rest of a drag or a pan belongs to no one.
	void ReleaseHeld();

	bool RightMouseDown() const { return rightMouseDown; }
	// While the scene handles a key release: the modifier keys (GLUT_ACTIVE_*)
	// held with it, as recorded; Ctrl turns a letter into a control code.
	int KeyModifiers() const { return keyModifiers; }

private:
	// Where a mouse button's press went; its motion and release follow it.
	enum class MouseTarget
	{
		Nothing,
		Scene,
		Panel,
	};
	static constexpr int MouseButtons = 3;

	// Offers a live input to the stream and carries it out unless a
	// recording gives the inputs.
	void Offer(const InputLine& input);
	void OfferPoint(InputLine::Kind kind, const b2Vec2& point);
	// The camera moved by the mouse (a pan or the wheel): carried out at
	// once, then offered as the view, within its limits, ended up.
	void MoveView(const b2Vec2& center, float zoom);
	void ShellKey(unsigned char key);
	void ShellSpecialKey(int key);
	void SceneMouseButton(int button, int state, int x, int y);
	void SceneMouseMotion(int x, int y);
	void ApplyPanelChange(const PanelChange& change);
	void SwitchScene(int row);
	bool PanelHasMouse() const;
	bool PanelTypes(unsigned char key, int x, int y);

	View& view;
	SceneHost& host;
	ControlPanel& panel;
	DrawingArea& area;
	InputStream& stream;
	SessionKeyHandler sessionKeys = [](unsigned char) {};
	// The modifiers of the key release being carried out.
	int keyModifiers = 0;
	int (*modifierQuery)();
	MouseTarget mouseTargets[MouseButtons] = {MouseTarget::Nothing, MouseTarget::Nothing, MouseTarget::Nothing};
	bool rightMouseDown = false;
	b2Vec2 lastPanPoint{0.0f, 0.0f};
};
