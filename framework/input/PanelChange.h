#pragma once

#include <string>

// One change the user made in the control panel. The shell carries it out
// after the frame, so a scene is never rebuilt in the middle of drawing.
struct PanelChange
{
	enum Kind
	{
		// Build registry row `value`.
		Scene,
		// Rebuild the running scene, as the 'r' key does.
		Restart,
		// The Settings field named `key` becomes `value`.
		Setting,
		// The step rate becomes `value`.
		Hz,
		// Pause (value 1) or resume (0).
		Pause,
		// One whole step while paused.
		StepOnce,
		// The scene's own item `key` becomes `value`.
		SceneItem,
	};
	Kind kind;
	std::string key;
	float value = 0.0f;
	// It changes only how this machine shows or sounds the session: a game
	// played online does not share it, and recordings of one do not hold it.
	bool local = false;
};
