#pragma once

#include <box2d/box2d.h>

#include "game/ControlState.h"
#include "game/objects/Agent.h"
#include "game/objects/GameWorld.h"
#include "tests/support/ObjectWorld.h"

// Builds a fighter (or zombie) standing on the test floor at x, registers
// it and, for fighters, points it at control.
template <class T>
T* AddAgent(ObjectWorld& arena, float x, float y = Agent::Radius, ControlState* control = nullptr)
{
	(void)arena;
	T* agent = new T();
	agent->control = control;
	Place(agent->fixture->GetBody(), b2Vec2(x, y));
	GameWorldInstance->Add(agent);
	return agent;
}

// The scene fills changed afresh every frame: a press or release counts
// for one frame only.
inline void Press(ControlState& control, int button)
{
	control.held[button] = true;
	control.changed[button] = true;
}

inline void Release(ControlState& control, int button)
{
	control.held[button] = false;
	control.changed[button] = true;
}

inline void Unchanged(ControlState& control)
{
	for (bool& changed : control.changed)
	{
		changed = false;
	}
}

// One frame with the controls as they are; presses and releases then stop
// counting as changes.
inline void Frame(ObjectWorld& arena, ControlState& control)
{
	arena.Step();
	Unchanged(control);
}

inline void Frames(ObjectWorld& arena, ControlState& control, int count)
{
	for (int i = 0; i < count; ++i)
	{
		Frame(arena, control);
	}
}
