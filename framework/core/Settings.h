#pragma once

#include <box2d/box2d.h>

// The range of the step rate the control panel offers, in steps per second:
// never a zero or negative time step.
constexpr float MinHz = 30.0f;
constexpr float MaxHz = 240.0f;

// How far the camera may go: its centre stays within this many metres of
// the origin on each axis, and its zoom (1 shows 50 m of height) within
// these limits, whatever moves it. Beyond them the picture is a dot or a
// blur, and world points read off it stop being exact enough to act on.
constexpr float MaxViewReach = 1.0e5f;
constexpr float MinViewZoom = 1.0e-3f;
constexpr float MaxViewZoom = 1.0e3f;
// A world point under the pointer lies within this many metres of the
// origin on each axis: the view's reach plus half the widest view.
constexpr float MaxWorldCoordinate = 1.0e7f;

// The harness switches handed to every scene step. One process-wide
// instance lives in the shell; scenes may move the camera through it.
struct Settings
{
	b2Vec2 viewCenter{0.0f, 20.0f};
	float hz = 60.0f;
	int velocityIterations = 8;
	int positionIterations = 3;
	int drawShapes = 1;
	int drawJoints = 1;
	int drawAABBs = 0;
	int drawPairs = 0;
	int drawContactPoints = 0;
	int drawContactNormals = 0;
	int drawContactForces = 0;
	int drawFrictionForces = 0;
	int drawCOMs = 0;
	int drawStats = 0;
	int drawProfile = 0;
	int enableWarmStarting = 1;
	int enableContinuous = 1;
	int enableSubStepping = 0;
	int pause = 0;
	int singleStep = 0;
};

// An int field of Settings that the control panel edits, under a name that
// stays stable: recorded sessions carry it. Values are clamped to
// [min, max]; a switch has the range 0 to 1.
struct SettingField
{
	const char* key;
	const char* label;
	int Settings::*field;
	int min;
	int max;
};

// The solver's fields, then the drawing switches, each in panel order.
extern const SettingField simulationFields[];
extern const int simulationFieldCount;
extern const SettingField drawingFields[];
extern const int drawingFieldCount;

// The field of that name, or null.
const SettingField* FindSettingField(const char* key);
// Stores value, clamped to the field's range.
void SetSettingField(Settings* settings, const SettingField& field, int value);
