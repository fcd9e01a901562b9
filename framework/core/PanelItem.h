#pragma once

#include <string>

// One line a scene shows in the control panel about its own state: a value,
// a bar, a switch or a slider. The panel hands changes back to the scene by
// key, a name that stays stable (recorded sessions carry it).
struct PanelItem
{
	enum Kind
	{
		// Read-only text.
		Value,
		// Read-only fraction of max, with text on the bar.
		Bar,
		// On (1) or off (0).
		Switch,
		// A whole number from 0 to max.
		Slider,
	};
	Kind kind = Value;
	std::string key;
	std::string label;
	float value = 0.0f;
	float max = 1.0f;
	std::string text;
	// Only how this machine shows or sounds the game (the volume, an
	// overlay): an online game does not share it.
	bool local = false;
};
