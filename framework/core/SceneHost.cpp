#include "framework/core/SceneHost.h"

#include "framework/input/InputStream.h"

void SceneHost::UseRegistry(const SceneEntry* registry)
{
	sceneRegistry = registry;
	sceneCount = 0;
	while (sceneRegistry[sceneCount].create != nullptr)
	{
		++sceneCount;
	}
}

void SceneHost::Start(int row)
{
	sceneIndex = b2Max(b2Min(row, sceneCount - 1), 0);
	Build(sceneRegistry[sceneIndex]);
}

void SceneHost::Build(const SceneEntry& entry)
{
	// The old scene goes first: scenes share process-wide state (the game's
	// world), which two alive at once would fight over.
	currentScene.reset();
	currentEntry = &entry;
	currentScene.reset(entry.create());
	++builds;
	if (context != nullptr)
	{
		currentScene->UseContext(*context);
	}
}

void SceneHost::Switch(int row)
{
	if (devices != nullptr)
	{
		devices->ReleaseAll();
	}
	stream.SceneRestarts(*currentScene);
	Start((row % sceneCount + sceneCount) % sceneCount);
}

void SceneHost::Restart()
{
	stream.SceneRestarts(*currentScene);
	Build(*currentEntry);
}

void SceneHost::End()
{
	currentScene.reset();
}
