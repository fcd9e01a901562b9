#include "framework/shell/ControlPanel.h"

#include <GL/freeglut.h>
#include <box2d/box2d.h>
#include <imgui.h>
#include <imgui_internal.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>

#include <cfloat>
#include <cstdio>

#include "framework/net/OnlineSession.h"

namespace
{
constexpr float SceneListHeight = 210.0f;
// The drawing switches share the width, to leave height for the rest.
constexpr int DrawingColumns = 2;
// Sliders take this share of the panel's width; their labels the rest.
constexpr float SliderShare = 0.35f;
constexpr int RowLabelSize = 64;
constexpr int MouseButtons = 3;
constexpr float PlotHeight = 40.0f;
constexpr ImGuiWindowFlags PanelFlags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
	ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
	ImGuiWindowFlags_NoBringToFrontOnFocus;

// ImGui's button number for a freeglut button; -1 for the others.
int ImGuiButton(int glutButton)
{
	switch (glutButton)
	{
	case GLUT_LEFT_BUTTON:
		return 0;
	case GLUT_RIGHT_BUTTON:
		return 1;
	case GLUT_MIDDLE_BUTTON:
		return 2;
	default:
		return -1;
	}
}

// freeglut reports the modifiers held before a key event, so a modifier
// key's own press or release is not in them yet: ImGui is told here, or it
// would keep Ctrl held after its release.
void NoteModifierKey(int key, bool down)
{
	ImGuiIO& io = ImGui::GetIO();
	switch (key)
	{
	case GLUT_KEY_CTRL_L:
	case GLUT_KEY_CTRL_R:
		io.KeyCtrl = down;
		break;
	case GLUT_KEY_SHIFT_L:
	case GLUT_KEY_SHIFT_R:
		io.KeyShift = down;
		break;
	case GLUT_KEY_ALT_L:
	case GLUT_KEY_ALT_R:
		io.KeyAlt = down;
		break;
	default:
		break;
	}
}
} // namespace

ControlPanel::~ControlPanel()
{
	Shutdown();
}

void ControlPanel::SetOpen(bool on)
{
	if (on && context == nullptr)
	{
		CreateContext();
	}
	if (on != open)
	{
		ForgetInput();
	}
	open = on;
}

void ControlPanel::CreateContext()
{
	IMGUI_CHECKVERSION();
	context = ImGui::CreateContext();
	ImGuiIO& io = ImGui::GetIO();
	// Nothing of the panel is written into the working directory.
	io.IniFilename = nullptr;
	io.LogFilename = nullptr;
	ImGui::StyleColorsDark();
	ImGui::GetStyle().WindowRounding = 0.0f;
	ImGui_ImplGLUT_Init();
	ImGui_ImplOpenGL2_Init();
	ImGui_ImplGLUT_ReshapeFunc(windowWidth, windowHeight);
}

void ControlPanel::Shutdown()
{
	if (context == nullptr)
	{
		return;
	}
	ImGui::SetCurrentContext(context);
	ImGui_ImplOpenGL2_Shutdown();
	ImGui_ImplGLUT_Shutdown();
	ImGui::DestroyContext(context);
	context = nullptr;
	open = false;
	editingText = false;
}

// What ImGui held while the panel was closed (or before it closed) would
// otherwise stay held: a key released elsewhere, a button let go over the
// scene.
void ControlPanel::ForgetInput()
{
	pendingButtons.clear();
	LetGoOfKeys();
	if (context == nullptr)
	{
		return;
	}
	ImGuiIO& io = ImGui::GetIO();
	for (bool& down : io.KeysDown)
	{
		down = false;
	}
	for (bool& down : io.MouseDown)
	{
		down = false;
	}
	io.KeyCtrl = io.KeyShift = io.KeyAlt = io.KeySuper = false;
}

bool ControlPanel::Covers(int x) const
{
	return open && x >= windowWidth - Width;
}

bool ControlPanel::TakesKeys() const
{
	return open && editingText;
}

void ControlPanel::LetGoOfKeys()
{
	if (!editingText)
	{
		// Nothing to end, and a slider dragged meanwhile keeps its drag.
		return;
	}
	editingText = false;
	ImGui::ClearActiveID();
	ImGui::SetWindowFocus(nullptr);
}

void ControlPanel::Reshape(int width, int height)
{
	windowWidth = width;
	windowHeight = height;
	if (context != nullptr)
	{
		ImGui_ImplGLUT_ReshapeFunc(width, height);
	}
}

void ControlPanel::KeyDown(unsigned char key, int x, int y)
{
	ImGui_ImplGLUT_KeyboardFunc(key, x, y);
}

void ControlPanel::KeyUp(unsigned char key, int x, int y)
{
	ImGui_ImplGLUT_KeyboardUpFunc(key, x, y);
}

void ControlPanel::SpecialDown(int key, int x, int y)
{
	ImGui_ImplGLUT_SpecialFunc(key, x, y);
	NoteModifierKey(key, true);
}

void ControlPanel::SpecialUp(int key, int x, int y)
{
	ImGui_ImplGLUT_SpecialUpFunc(key, x, y);
	NoteModifierKey(key, false);
}

void ControlPanel::MouseButton(int button, int state, int x, int y, int modifiers)
{
	const int imguiButton = ImGuiButton(button);
	if (imguiButton >= 0)
	{
		pendingButtons.push_back({imguiButton, state == GLUT_DOWN, x, y, modifiers});
	}
}

void ControlPanel::MouseMotion(int x, int y)
{
	ImGui_ImplGLUT_MotionFunc(x, y);
}

void ControlPanel::MouseWheel(int direction)
{
	ImGui::GetIO().MouseWheel += direction > 0 ? 1.0f : -1.0f;
}

// ImGui reads the buttons' state once per frame: a press and its release
// handed over between two frames would never be seen as a click. So each
// button changes at most once per frame, and later changes wait.
void ControlPanel::FeedButtons()
{
	ImGuiIO& io = ImGui::GetIO();
	bool changed[MouseButtons] = {};
	while (!pendingButtons.empty() && !changed[pendingButtons.front().button])
	{
		const ButtonEvent& event = pendingButtons.front();
		io.MousePos = ImVec2(static_cast<float>(event.x), static_cast<float>(event.y));
		io.MouseDown[event.button] = event.down;
		// The panel sees no key presses of its own outside an edit, so a
		// modifier held for a click is known only from the click.
		io.KeyCtrl = (event.modifiers & GLUT_ACTIVE_CTRL) != 0;
		io.KeyShift = (event.modifiers & GLUT_ACTIVE_SHIFT) != 0;
		io.KeyAlt = (event.modifiers & GLUT_ACTIVE_ALT) != 0;
		changed[event.button] = true;
		pendingButtons.pop_front();
	}
}

std::vector<PanelChange> ControlPanel::Draw(const SceneEntry* registry, int rowCount, int currentRow,
	const Settings& settings, float hz, const Test& scene)
{
	b2Timer timer;
	changes.clear();
	FeedButtons();
	ImGui_ImplOpenGL2_NewFrame();
	ImGui_ImplGLUT_NewFrame();

	ImGui::SetNextWindowPos(ImVec2(static_cast<float>(windowWidth - Width), 0.0f));
	ImGui::SetNextWindowSize(ImVec2(static_cast<float>(Width), static_cast<float>(windowHeight)));
	ImGui::Begin("Control panel", nullptr, PanelFlags);
	ImGui::PushItemWidth(SliderShare * Width);
	ImGui::TextUnformatted("F2 hides, PageUp/PageDown switch");
	SceneList(registry, rowCount, currentRow);
	if (online != nullptr)
	{
		Online();
	}
	ImGui::BeginDisabled(SharedReadOnly());
	Simulation(settings, hz, scene);
	ImGui::EndDisabled();
	Drawing(settings);
	std::vector<PanelItem> items;
	scene.GetPanelItems(&items);
	if (!items.empty())
	{
		SceneItems(registry[currentRow].name, items);
	}
	ImGui::PopItemWidth();
	ImGui::End();
	// A field that took text this frame and is still active keeps the
	// keys; Enter ends its edit within the frame, so the active item tells.
	editingText = ImGui::GetActiveID() != 0 && GImGui->WantTextInputNextFrame == 1;

	ImGui::Render();
	ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
	lastDrawMilliseconds = timer.GetMilliseconds();
	return changes;
}

void ControlPanel::SceneList(const SceneEntry* registry, int rowCount, int currentRow)
{
	if (!ImGui::CollapsingHeader("Scenes", ImGuiTreeNodeFlags_DefaultOpen))
	{
		return;
	}
	ImGui::BeginChild("scene list", ImVec2(0.0f, SceneListHeight), true);
	for (int row = 0; row < rowCount; ++row)
	{
		char label[RowLabelSize];
		std::snprintf(label, sizeof(label), "%2d  %s", row, registry[row].name);
		if (ImGui::Selectable(label, row == currentRow))
		{
			changes.push_back({PanelChange::Scene, "", static_cast<float>(row)});
		}
		// Keep the running scene's row in sight when the keys move it.
		if (row == currentRow && shownRow != currentRow)
		{
			ImGui::SetScrollHereY();
			shownRow = currentRow;
		}
	}
	ImGui::EndChild();
}

void ControlPanel::Simulation(const Settings& settings, float hz, const Test& scene)
{
	if (!ImGui::CollapsingHeader("Simulation", ImGuiTreeNodeFlags_DefaultOpen))
	{
		return;
	}
	int rate = static_cast<int>(hz);
	if (ImGui::SliderInt("Hz", &rate, static_cast<int>(MinHz), static_cast<int>(MaxHz), "%d",
			ImGuiSliderFlags_AlwaysClamp))
	{
		changes.push_back({PanelChange::Hz, "", static_cast<float>(rate)});
	}
	for (int i = 0; i < simulationFieldCount; ++i)
	{
		const SettingField& field = simulationFields[i];
		int value = settings.*field.field;
		const bool edited = field.max == 1
			? ImGui::CheckboxFlags(field.label, &value, 1)
			: ImGui::SliderInt(field.label, &value, field.min, field.max, "%d", ImGuiSliderFlags_AlwaysClamp);
		if (edited)
		{
			changes.push_back({PanelChange::Setting, field.key, static_cast<float>(value)});
		}
	}
	bool paused = scene.IsPaused(settings);
	if (ImGui::Checkbox("Pause", &paused))
	{
		changes.push_back({PanelChange::Pause, "", paused ? 1.0f : 0.0f});
	}
	ImGui::SameLine();
	ImGui::BeginDisabled(!paused);
	if (ImGui::Button("Single step"))
	{
		changes.push_back({PanelChange::StepOnce, "", 0.0f});
	}
	ImGui::EndDisabled();
	ImGui::SameLine();
	if (ImGui::Button("Restart"))
	{
		changes.push_back({PanelChange::Restart, "", 0.0f});
	}
}

void ControlPanel::Drawing(const Settings& settings)
{
	if (!ImGui::CollapsingHeader("Drawing", ImGuiTreeNodeFlags_DefaultOpen) ||
		!ImGui::BeginTable("drawing switches", DrawingColumns))
	{
		return;
	}
	for (int i = 0; i < drawingFieldCount; ++i)
	{
		const SettingField& field = drawingFields[i];
		ImGui::TableNextColumn();
		int value = settings.*field.field;
		if (ImGui::CheckboxFlags(field.label, &value, 1))
		{
			changes.push_back({PanelChange::Setting, field.key, static_cast<float>(value), true});
		}
	}
	ImGui::EndTable();
}

void ControlPanel::SceneItems(const char* title, const std::vector<PanelItem>& items)
{
	if (!ImGui::CollapsingHeader(title, ImGuiTreeNodeFlags_DefaultOpen))
	{
		return;
	}
	for (const PanelItem& item : items)
	{
		ImGui::PushID(item.key.c_str());
		ImGui::BeginDisabled(!item.local && SharedReadOnly());
		switch (item.kind)
		{
		case PanelItem::Value:
			ImGui::Text("%s: %s", item.label.c_str(), item.text.c_str());
			break;
		case PanelItem::Bar:
			ImGui::TextUnformatted(item.label.c_str());
			ImGui::SameLine();
			ImGui::ProgressBar(item.max > 0.0f ? item.value / item.max : 0.0f, ImVec2(-1.0f, 0.0f),
				item.text.c_str());
			break;
		case PanelItem::Switch:
		{
			bool on = item.value != 0.0f;
			if (ImGui::Checkbox(item.label.c_str(), &on))
			{
				changes.push_back({PanelChange::SceneItem, item.key, on ? 1.0f : 0.0f, item.local});
			}
			break;
		}
		case PanelItem::Slider:
		{
			int value = static_cast<int>(item.value);
			if (ImGui::SliderInt(item.label.c_str(), &value, 0, static_cast<int>(item.max), "%d",
					ImGuiSliderFlags_AlwaysClamp))
			{
				changes.push_back({PanelChange::SceneItem, item.key, static_cast<float>(value), item.local});
			}
			break;
		}
		}
		ImGui::EndDisabled();
		ImGui::PopID();
	}
}

bool ControlPanel::SharedReadOnly() const
{
	return online != nullptr && online->IsPlaying() && !online->IsHost();
}

void ControlPanel::Online()
{
	if (!ImGui::CollapsingHeader("Online", ImGuiTreeNodeFlags_DefaultOpen))
	{
		return;
	}
	const Lockstep& lockstep = online->GetLockstep();
	ImGui::Text("Role: %s", onlineRole.c_str());
	ImGui::Text("Partner: %s", online->IsPlaying() ? online->PartnerName().c_str() : "none");
	ImGui::Text("Path: %s", online->IsPlaying() ? online->PathName() : "none");
	ImGui::Text("Round trip: %.0f ms", online->RoundTripMs());
	ImGui::Text("Input delay: %d frames", lockstep.Delay());
	ImGui::Text("Frames waited: %d", lockstep.FramesWaited());
	if (!online->IsHost() && online->IsPlaying())
	{
		ImGui::TextUnformatted("The host's panel sets the game.");
	}
	const ImVec2 size(ImGui::GetContentRegionAvail().x, PlotHeight);
	ImGui::PlotLines("##round trip", online->RoundTrips().data(), OnlineSession::HistoryFrames, online->HistoryStart(),
		"round trip, 10 s (ms)", 0.0f, FLT_MAX, size);
	ImGui::PlotLines("##frame time", online->FrameTimes().data(), OnlineSession::HistoryFrames, online->HistoryStart(),
		"frame time, 10 s (ms)", 0.0f, FLT_MAX, size);
}
