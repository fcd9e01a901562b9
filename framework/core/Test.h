#pragma once

#include <box2d/box2d.h>

#include <string>
#include <vector>

#include "framework/core/DebugDraw.h"
#include "framework/core/PanelItem.h"
#include "framework/core/SceneContext.h"
#include "framework/core/StepProfile.h"
#include "framework/core/Settings.h"
#include "framework/core/WorldDigest.h"

class Test;

// Capacity of the per-step contact point buffer.
constexpr int MaxContactPoints = 2048;

struct ContactPoint
{
	b2Fixture* fixtureA;
	b2Fixture* fixtureB;
	b2Vec2 normal;
	b2Vec2 position;
	b2PointState state;
};

// Hears about joints and fixtures the world destroys implicitly, so a scene
// never keeps a handle to something that is gone.
class DestructionListener : public b2DestructionListener
{
public:
	void SayGoodbye(b2Joint* joint) override;
	void SayGoodbye(b2Fixture* fixture) override;

	Test* test = nullptr;
};

// Base of every scene: owns a physics world, steps it from the harness
// settings, writes status text, records contact points, drags bodies with
// the mouse and throws bombs.
class Test : public b2ContactListener
{
public:
	Test();
	~Test() override;

	void BeginContact(b2Contact* contact) override;
	void EndContact(b2Contact* contact) override;
	void PreSolve(b2Contact* contact, const b2Manifold* oldManifold) override;
	void PostSolve(b2Contact* contact, const b2ContactImpulse* impulse) override;

	virtual void Step(Settings* settings);
	virtual void Keyboard(unsigned char key);
	virtual void KeyboardUp(unsigned char key);
	virtual void MouseDown(const b2Vec2& p);
	virtual void MouseUp(const b2Vec2& p);
	// The world destroyed this joint together with one of its bodies.
	virtual void JointDestroyed(b2Joint* joint);

	void ShiftMouseDown(const b2Vec2& p);
	void MouseMove(const b2Vec2& p);
	// A bomb from a random point above the scene, falling fast.
	void LaunchBomb();
	// Replaces the current bomb with a new one at position, moving at velocity.
	void LaunchBomb(const b2Vec2& position, const b2Vec2& velocity);
	void SpawnBomb(const b2Vec2& worldPt);
	void CompleteBombSpawn(const b2Vec2& p);

	// Scenes with sprites of their own turn this off so the physics outlines
	// stay hidden under them.
	bool DrawsWorld() const { return drawWorld; }

	// The control panel's pause switch and single-step button. A scene with
	// a pause of its own (the game) answers with that one.
	virtual bool IsPaused(const Settings& settings) const;
	virtual void SetPaused(Settings* settings, bool paused);
	// While paused, the next frame runs one whole step.
	virtual void StepOnce(Settings* settings);
	// A fingerprint of the simulation, bit for bit: every body, the steps
	// taken and whatever the scene adds in AddToDigest.
	uint64_t Digest() const;

	// The scene's own lines in the control panel; none by default.
	virtual void GetPanelItems(std::vector<PanelItem>* items) const;
	// The panel changed the item of that key to value.
	virtual void SetPanelItem(const std::string& key, float value);
	// The scene shows its own title and keys (a game's start screen); the
	// shell shows every other scene's name, keys and a hint above its rows.
	virtual bool ShowsOwnTitle() const { return false; }

	// Window pixel row of the next status line; the shell sets it before
	// every step (to 30, or below a demonstration's title rows) and each
	// line adds TextLineStep.
	static constexpr int FirstTextLine = 30;
	static constexpr int TextLineStep = 15;
	int textLine;

	// Read-only access for the harness and tests.
	b2World* GetWorld() const { return world; }
	b2Body* GetBomb() const { return bomb; }
	b2MouseJoint* GetMouseJoint() const { return mouseJoint; }
	int GetStepCount() const { return stepCount; }
	int GetPointCount() const { return pointCount; }
	const ContactPoint& GetPoint(int i) const { return points[i]; }

	// Where the scene runs, given by whoever builds it; Standalone() until
	// then.
	void UseContext(const SceneContext& given)
	{
		context = &given;
		debugDraw.UseContext(context);
	}
	const SceneContext& Context() const { return *context; }

protected:
	friend class DestructionListener;

	const SceneContext* context = &SceneContext::Standalone();

	// A new static body at the origin holding one two-sided edge from `from`
	// to `to`: the plain ground most scenes stand on.
	b2Body* CreateEdgeGround(const b2Vec2& from, const b2Vec2& to);
	// A new static body at position, turned by angle, holding one box of half
	// sizes hx and hy.
	b2Body* CreateStaticBox(const b2Vec2& position, float hx, float hy, float angle);
	// A row of count dynamic links made of the fixture link, spacing apart
	// along y = left.y with the first link's left end at left. Each link is
	// pinned at its left end to the one before it, the first one to anchor.
	// Returns the links from left to right.
	std::vector<b2Body*> CreateLinkRow(b2Body* anchor, const b2FixtureDef& link, const b2Vec2& left, float spacing,
		int count);

	// The scene's own state beyond its bodies, for Digest.
	virtual void AddToDigest(WorldDigest* digest) const;

	// Draws what the settings ask for after a step: with outlines, the
	// world (shapes, joints, AABBs, pairs, centres of mass) and the recorded
	// contact points and normals; then the statistics and profile lines. The
	// base step calls it for scenes that draw their world; a scene with
	// sprites calls it after drawing them, so the lines stay readable.
	void DrawStepOverlay(const Settings& settings, bool outlines);

	b2Body* groundBody;
	ContactPoint points[MaxContactPoints];
	int pointCount;
	DestructionListener destructionListener;
	DebugDraw debugDraw;
	b2World* world;
	b2Body* bomb;
	b2MouseJoint* mouseJoint;
	b2Vec2 bombSpawnPoint;
	bool bombSpawning;
	b2Vec2 mouseWorld;
	int stepCount;
	StepProfile profile;
	// After the world step, outline bodies and joints through debugDraw.
	bool drawWorld = true;

private:
	void DrawStatistics();
	void DrawProfile();
	void DrawContactPoints(const Settings& settings);
};

// One row of the scene registry.
struct SceneEntry
{
	const char* name;
	Test* (*create)();
	// The scene's own keys that its text rows do not name, shown after its
	// name; empty when it names them all, or has none.
	const char* keys = "";
};

