#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "framework/input/PanelChange.h"
#include "framework/core/Settings.h"
#include "framework/core/Test.h"

struct ImGuiContext;
class OnlineSession;

// The side panel (F2): every registry row, the solver and drawing settings
// and the running scene's own items, drawn with Dear ImGui at the window's
// right edge. It only reads the state it shows and hands back what the user
// changed. The shell feeds it the window's events while it is open; it
// creates its ImGui context the first time it opens, when a GL context
// exists.
class ControlPanel
{
public:
	// Pixels of the window's right edge that the open panel covers.
	static constexpr int Width = 260;

	~ControlPanel();

	bool IsOpen() const { return open; }
	// An online game: the panel gets a section about it, and on the
	// partner's machine shows the host's settings without changing them.
	void ShowOnline(const OnlineSession* session, std::string role)
	{
		online = session;
		onlineRole = std::move(role);
	}
	void SetOpen(bool open);
	// Frees the ImGui context and its GL objects; call while the window
	// still exists.
	void Shutdown();
	// True when window pixel column x lies under the open panel.
	bool Covers(int x) const;
	// A panel field takes typed text (the player Ctrl-clicked a slider):
	// key presses are the panel's alone until the edit ends. Otherwise every
	// key belongs to the scene and the panel never sees it.
	bool TakesKeys() const;
	// Ends any edit at once and drops the panel's keyboard focus, keeping
	// what was typed: the keys are the scene's again from the next event.
	void LetGoOfKeys();

	// The window's events, in window pixels.
	void Reshape(int width, int height);
	void KeyDown(unsigned char key, int x, int y);
	void KeyUp(unsigned char key, int x, int y);
	void SpecialDown(int key, int x, int y);
	void SpecialUp(int key, int x, int y);
	// modifiers: the GLUT_ACTIVE_* keys held at the press or release, which
	// ImGui needs to tell a Ctrl-click from a click.
	void MouseButton(int button, int state, int x, int y, int modifiers);
	void MouseMotion(int x, int y);
	void MouseWheel(int direction);

	// Builds and draws this frame's panel over whatever the frame holds and
	// returns what the user changed in it.
	std::vector<PanelChange> Draw(const SceneEntry* registry, int rowCount, int currentRow,
		const Settings& settings, float hz, const Test& scene);
	// Milliseconds the last Draw took: ImGui building and submitting.
	float LastDrawMilliseconds() const { return lastDrawMilliseconds; }

private:
	// A mouse button change waiting for ImGui's next frame.
	struct ButtonEvent
	{
		int button;
		bool down;
		int x;
		int y;
		int modifiers;
	};

	void CreateContext();
	void ForgetInput();
	void FeedButtons();
	void SceneList(const SceneEntry* registry, int rowCount, int currentRow);
	void Simulation(const Settings& settings, float hz, const Test& scene);
	void Drawing(const Settings& settings);
	void SceneItems(const char* title, const std::vector<PanelItem>& items);
	void Online();
	// The partner of an online game: the settings both share are the
	// host's to change.
	bool SharedReadOnly() const;

	bool open = false;
	ImGuiContext* context = nullptr;
	int windowWidth = 0;
	int windowHeight = 0;
	std::deque<ButtonEvent> pendingButtons;
	// A field took typed text when the last frame ended.
	bool editingText = false;
	// The row the scene list last scrolled to.
	int shownRow = -1;
	std::vector<PanelChange> changes;
	float lastDrawMilliseconds = 0.0f;
	const OnlineSession* online = nullptr;
	// This machine's side and what its player plays.
	std::string onlineRole;
};
