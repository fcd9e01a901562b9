#include "framework/shell/InputRouter.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <iterator>

#include "framework/input/InputStream.h"

namespace
{
using Line = InputLine;

constexpr unsigned char EscapeKey = 27;
// ImGui moves between fields with Tab; the panel leaves it to the scenes
// (the game's keyboard play switch).
constexpr unsigned char TabKey = '\t';
constexpr float KeyZoomIn = 0.9f;
constexpr float KeyZoomOut = 1.1f;

Line MakeLine(Line::Kind kind, int code = 0, int value = 0)
{
	Line line;
	line.kind = kind;
	line.code = code;
	line.value = value;
	return line;
}
} // namespace

InputRouter::InputRouter(View& shown, SceneHost& scenes, ControlPanel& sidePanel, DrawingArea& area,
	InputStream& stream)
	: view(shown), host(scenes), panel(sidePanel), area(area), stream(stream), modifierQuery(glutGetModifiers)
{
}

void InputRouter::Offer(const Line& input)
{
	if (stream.Offer(input))
	{
		Apply(input);
	}
}

void InputRouter::OfferPoint(Line::Kind kind, const b2Vec2& point)
{
	Line line = MakeLine(kind);
	line.point = point;
	Offer(line);
}

void InputRouter::MoveView(const b2Vec2& center, float zoom)
{
	view.LookAt(center, zoom);
	Line line = MakeLine(Line::View);
	line.point = host.settings.viewCenter;
	line.zoom = view.Zoom();
	stream.Offer(line);
}

void InputRouter::Apply(const Line& input)
{
	Test* const scene = host.Scene();
	switch (input.kind)
	{
	case Line::Key:
		ShellKey(static_cast<unsigned char>(input.code));
		break;
	case Line::KeyUp:
		if (scene != nullptr)
		{
			keyModifiers = input.value;
			scene->KeyboardUp(static_cast<unsigned char>(input.code));
			keyModifiers = 0;
		}
		break;
	case Line::Special:
		ShellSpecialKey(input.code);
		break;
	case Line::MouseDown:
		scene->MouseDown(input.point);
		break;
	case Line::ShiftMouseDown:
		scene->ShiftMouseDown(input.point);
		break;
	case Line::MouseUp:
		scene->MouseUp(input.point);
		break;
	case Line::MouseMove:
		scene->MouseMove(input.point);
		break;
	case Line::View:
		view.LookAt(input.point, input.zoom);
		break;
	case Line::Window:
		// A recorded size: the window's reshape follows; with none, the
		// reshape is now.
		if (area.IsWindowless())
		{
			Reshape(input.width, input.height);
		}
		else
		{
			glutReshapeWindow(input.width, input.height);
		}
		break;
	case Line::Change:
		ApplyPanelChange(input.change);
		break;
	default:
		break;
	}
}

// The shell's keys, then the scene's (the camera keys work with no scene
// built).
void InputRouter::ShellKey(unsigned char key)
{
	Test* const scene = host.Scene();
	switch (key)
	{
	case EscapeKey:
		sessionKeys(key);
		break;
	case ' ':
		if (scene != nullptr)
		{
			scene->LaunchBomb();
		}
		break;
	case 'p':
		host.settings.pause = host.settings.pause == 0 ? 1 : 0;
		break;
	case 'r':
		host.Restart();
		break;
	case 'x':
		view.SetZoom(b2Max(KeyZoomIn * view.Zoom(), MinKeyZoom));
		break;
	case 'z':
		view.SetZoom(b2Min(KeyZoomOut * view.Zoom(), MaxKeyZoom));
		break;
	default:
		if (scene != nullptr)
		{
			scene->Keyboard(key);
		}
		break;
	}
}

// The camera keys.
void InputRouter::ShellSpecialKey(int key)
{
	b2Vec2& center = host.settings.viewCenter;
	switch (key)
	{
	case GLUT_KEY_LEFT:
	case GLUT_KEY_F1:
		center.x -= PanStep;
		break;
	case GLUT_KEY_RIGHT:
		center.x += PanStep;
		break;
	case GLUT_KEY_UP:
		center.y += PanStep;
		break;
	case GLUT_KEY_DOWN:
		center.y -= PanStep;
		break;
	case GLUT_KEY_HOME:
		view.GoHome();
		return;
	default:
		return;
	}
	view.Reproject();
}

void InputRouter::SceneMouseButton(int button, int state, int x, int y)
{
	const b2Vec2 p = view.ScreenToWorld(x, y);
	if (button == GLUT_LEFT_BUTTON)
	{
		if (state == GLUT_DOWN)
		{
			OfferPoint(modifierQuery() == GLUT_ACTIVE_SHIFT ? Line::ShiftMouseDown : Line::MouseDown, p);
		}
		else if (state == GLUT_UP)
		{
			OfferPoint(Line::MouseUp, p);
		}
	}
	else if (button == GLUT_RIGHT_BUTTON)
	{
		rightMouseDown = state == GLUT_DOWN;
		lastPanPoint = p;
	}
}

void InputRouter::SceneMouseMotion(int x, int y)
{
	const b2Vec2 p = view.ScreenToWorld(x, y);
	OfferPoint(Line::MouseMove, p);
	if (rightMouseDown)
	{
		MoveView(host.settings.viewCenter - (p - lastPanPoint), view.Zoom());
		lastPanPoint = view.ScreenToWorld(x, y);
	}
}

void InputRouter::ApplyPanelChange(const PanelChange& change)
{
	Test* const scene = host.Scene();
	switch (change.kind)
	{
	case PanelChange::Scene:
		SwitchScene(static_cast<int>(change.value));
		break;
	case PanelChange::Restart:
		host.Restart();
		break;
	case PanelChange::Setting:
		if (const SettingField* field = FindSettingField(change.key.c_str()))
		{
			SetSettingField(&host.settings, *field, static_cast<int>(change.value));
		}
		break;
	case PanelChange::Hz:
		host.settingsHz = b2Clamp(change.value, MinHz, MaxHz);
		break;
	case PanelChange::Pause:
		scene->SetPaused(&host.settings, change.value != 0.0f);
		break;
	case PanelChange::StepOnce:
		scene->StepOnce(&host.settings);
		break;
	case PanelChange::SceneItem:
		scene->SetPanelItem(change.key, change.value);
		break;
	}
}

void InputRouter::SwitchScene(int row)
{
	ReleaseHeld();
	host.Switch(row);
	view.GoHome();
}

void InputRouter::PanelChanged(const PanelChange& change)
{
	Line line = MakeLine(Line::Change);
	line.change = change;
	Offer(line);
}

void InputRouter::SetPanelOpen(bool open)
{
	panel.SetOpen(open);
	area.SetSidePanelWidth(open ? ControlPanel::Width : 0);
	view.Reproject();
}

void InputRouter::ReleaseHeld()
{
	std::replace(std::begin(mouseTargets), std::end(mouseTargets), MouseTarget::Scene, MouseTarget::Nothing);
	rightMouseDown = false;
}

bool InputRouter::PanelHasMouse() const
{
	return std::find(std::begin(mouseTargets), std::end(mouseTargets), MouseTarget::Panel) != std::end(mouseTargets);
}

// A key press while a panel field is being edited: the panel types it,
// except Escape, which only ends the edit, and Tab, which ends it and goes
// on to the scene. True when the press is used up here.
bool InputRouter::PanelTypes(unsigned char key, int x, int y)
{
	if (!panel.TakesKeys())
	{
		return false;
	}
	if (key != EscapeKey && key != TabKey)
	{
		panel.KeyDown(key, x, y);
		return true;
	}
	panel.LetGoOfKeys();
	return key == EscapeKey;
}

void InputRouter::Key(unsigned char key, int x, int y)
{
	if (PanelTypes(key, x, y))
	{
		return;
	}
	// Escape ends the session, which its end line says; while a recording
	// plays, the keys are the viewer's.
	if (key == EscapeKey || !stream.TakesLiveInputs())
	{
		sessionKeys(key);
		return;
	}
	Offer(MakeLine(Line::Key, key));
}

void InputRouter::KeyUp(unsigned char key, int x, int y)
{
	if (panel.IsOpen())
	{
		panel.KeyUp(key, x, y);
	}
	// Releases always reach the scene too: a swallowed one would leave a
	// fighter's key held. Modifiers turn a letter into a control code; the
	// scene may ask which were held, and a replay must answer the same.
	Offer(MakeLine(Line::KeyUp, key, key < ' ' ? modifierQuery() : 0));
}

void InputRouter::SpecialKey(int key, int x, int y)
{
	switch (key)
	{
	case GLUT_KEY_F2:
		SetPanelOpen(!panel.IsOpen());
		return;
	case GLUT_KEY_F11:
		// The window's own business: its new size reaches the scene (and a
		// recording) as any resize does. A replay keeps its recorded size.
		if (stream.IsLive())
		{
			glutFullScreenToggle();
		}
		return;
	case GLUT_KEY_PAGE_UP:
	case GLUT_KEY_PAGE_DOWN:
	{
		// Offered like a click in the scene list: a replay drops it, an
		// online game refuses it and says why.
		const int count = host.Count();
		const int step = key == GLUT_KEY_PAGE_UP ? -1 : 1;
		PanelChanged({PanelChange::Scene, "", static_cast<float>(((host.Index() + step) % count + count) % count)});
		return;
	}
	default:
		break;
	}
	if (panel.TakesKeys())
	{
		panel.SpecialDown(key, x, y);
		return;
	}
	Offer(MakeLine(Line::Special, key));
}

void InputRouter::SpecialKeyUp(int key, int x, int y)
{
	if (panel.IsOpen())
	{
		panel.SpecialUp(key, x, y);
	}
}

void InputRouter::MouseButton(int button, int state, int x, int y)
{
	if (button < 0 || button >= MouseButtons)
	{
		return;
	}
	// A press goes to what lies under the pointer; the button's release
	// follows it there, wherever the pointer is by then.
	MouseTarget& target = mouseTargets[button];
	if (state == GLUT_DOWN)
	{
		const bool onPanel = panel.Covers(x);
		target = onPanel ? MouseTarget::Panel : (stream.TakesLiveInputs() ? MouseTarget::Scene : MouseTarget::Nothing);
		if (!onPanel)
		{
			// A click in the scene gives it the keys back.
			panel.LetGoOfKeys();
		}
	}
	const MouseTarget to = target;
	if (state == GLUT_UP)
	{
		target = MouseTarget::Nothing;
	}
	if (to == MouseTarget::Panel)
	{
		panel.MouseButton(button, state, x, y, modifierQuery());
	}
	else if (to == MouseTarget::Scene)
	{
		SceneMouseButton(button, state, x, y);
	}
}

void InputRouter::MouseWheel(int direction, int x)
{
	if (panel.Covers(x))
	{
		panel.MouseWheel(direction);
		return;
	}
	if (!stream.TakesLiveInputs())
	{
		return;
	}
	MoveView(host.settings.viewCenter, direction > 0 ? view.Zoom() / WheelZoomFactor : view.Zoom() * WheelZoomFactor);
}

void InputRouter::MouseMotion(int x, int y)
{
	if (panel.IsOpen())
	{
		panel.MouseMotion(x, y);
	}
	// A drag that began on the panel (a slider) is the panel's alone.
	if (!PanelHasMouse() && stream.TakesLiveInputs())
	{
		SceneMouseMotion(x, y);
	}
}

void InputRouter::PassiveMotion(int x, int y)
{
	if (panel.IsOpen())
	{
		panel.MouseMotion(x, y);
	}
}

void InputRouter::WindowReshaped(int w, int h)
{
	if (w != view.WindowWidth() || h != view.WindowHeight())
	{
		Line line = MakeLine(Line::Window);
		line.width = w;
		line.height = h;
		stream.Offer(line);
	}
	Reshape(w, h);
}

void InputRouter::Reshape(int w, int h)
{
	panel.Reshape(w, h);
	view.Reshape(w, h);
}
