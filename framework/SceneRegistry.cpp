#include "framework/Test.h"
#include "scenes/ApplyForce.h"
#include "scenes/BodyTypes.h"
#include "scenes/Cantilever.h"
#include "scenes/Car.h"
#include "scenes/CharacterCollision.h"
#include "scenes/DumpShell.h"
#include "scenes/EdgeTest.h"
#include "scenes/Gears.h"
#include "scenes/OneSidedPlatform.h"
#include "scenes/Pinball.h"
#include "scenes/PolyShapes.h"
#include "scenes/Prismatic.h"
#include "scenes/Pulleys.h"
#include "scenes/Revolute.h"
#include "scenes/RopeJoint.h"
#include "scenes/ShapeEditing.h"
#include "scenes/SphereStack.h"
#include "scenes/Tiles.h"
#include "scenes/Tumbler.h"
#include "scenes/VaryingRestitution.h"
#include "scenes/VerticalStack.h"
#include "scenes/Web.h"

SceneEntry sceneEntries[] = {
	{"Tumbler", Tumbler::Create},
	{"Tiles", Tiles::Create},
	{"Dump Shell", DumpShell::Create},
	{"Gears", Gears::Create},
	{"Cantilever", Cantilever::Create},
	{"Varying Restitution", VaryingRestitution::Create},
	{"Character Collision", CharacterCollision::Create},
	{"Edge Test", EdgeTest::Create},
	{"Body Types", BodyTypes::Create},
	{"Shape Editing", ShapeEditing::Create},
	{"Car", Car::Create},
	{"Apply Force", ApplyForce::Create},
	{"Prismatic", Prismatic::Create},
	{"Vertical Stack", VerticalStack::Create},
	{"SphereStack", SphereStack::Create},
	{"Revolute", Revolute::Create},
	{"Pulleys", Pulleys::Create},
	{"Polygon Shapes", PolyShapes::Create},
	{"Web", Web::Create},
	{"RopeJoint", RopeJoint::Create},
	{"One-Sided Platform", OneSidedPlatform::Create},
	{"Pinball", Pinball::Create},
	{nullptr, nullptr},
};
