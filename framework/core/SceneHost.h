#pragma once

#include <memory>

#include "framework/input/InputStream.h"

#include "framework/input/ProgramStart.h"
#include "framework/core/Settings.h"
#include "framework/core/Test.h"

// The scenes the program offers and the one running: it builds, switches
// and restarts them, and holds the settings every scene steps with.
class SceneHost
{
public:
	// Restarts are told to stream.
	explicit SceneHost(InputStream& stream) : stream(stream) {}

	// Takes the rows offered, ending with a row whose create is null.
	void UseRegistry(const SceneEntry* registry);
	// The devices to let go of at a switch; none in some tools.
	void UseDevices(InputDevices* given) { devices = given; }
	// The context every scene built from now on is given.
	void UseContext(const SceneContext* given) { context = given; }
	// Builds registry row `row`, clamped to the registry.
	void Start(int row);
	// Builds entry, from the registry or not, in place of the running scene
	// without a word to the input stream: for a start of the program's own.
	void Build(const SceneEntry& entry);
	// Builds row `row` (wrapping at both ends) in place of the running
	// scene. Nothing held carries over: pad buttons and keyboard play's keys
	// are let go first.
	void Switch(int row);
	// Rebuilds the running scene.
	void Restart();
	// Deletes the running scene.
	void End();

	// The running scene; null before the first is built.
	Test* Scene() const { return currentScene.get(); }
	const SceneEntry* Entry() const { return currentEntry; }
	const SceneEntry* Registry() const { return sceneRegistry; }
	int Index() const { return sceneIndex; }
	int Count() const { return sceneCount; }
	// How many scenes have been built: a new count is a new scene.
	int Builds() const { return builds; }

	Settings settings;
	// The step rate the panel sets, handed to the scene with every step.
	float settingsHz = 60.0f;

private:
	InputStream& stream;
	const SceneEntry* sceneRegistry = nullptr;
	int sceneCount = 0;
	int sceneIndex = 0;
	int builds = 0;
	const SceneEntry* currentEntry = nullptr;
	std::unique_ptr<Test> currentScene;
	InputDevices* devices = nullptr;
	const SceneContext* context = nullptr;
};
