#include "app/SceneRegistry.h"
#include "game/Contest.h"
#include "scenes/AddPair.h"
#include "scenes/ApplyForce.h"
#include "scenes/BodyTypes.h"
#include "scenes/Breakable.h"
#include "scenes/Bridge.h"
#include "scenes/BulletTest.h"
#include "scenes/Cantilever.h"
#include "scenes/Car.h"
#include "scenes/Chain.h"
#include "scenes/CharacterCollision.h"
#include "scenes/CollisionFiltering.h"
#include "scenes/CollisionProcessing.h"
#include "scenes/CompoundShapes.h"
#include "scenes/Confined.h"
#include "scenes/ContinuousTest.h"
#include "scenes/DistanceTest.h"
#include "scenes/Dominos.h"
#include "scenes/DumpShell.h"
#include "scenes/DynamicTreeTest.h"
#include "scenes/EdgeShapes.h"
#include "scenes/EdgeTest.h"
#include "scenes/Gears.h"
#include "scenes/OneSidedPlatform.h"
#include "scenes/Pinball.h"
#include "scenes/PolyCollision.h"
#include "scenes/PolyShapes.h"
#include "scenes/Prismatic.h"
#include "scenes/Pulleys.h"
#include "scenes/Pyramid.h"
#include "scenes/RayCast.h"
#include "scenes/Revolute.h"
#include "scenes/RopeJoint.h"
#include "scenes/SensorTest.h"
#include "scenes/ShapeEditing.h"
#include "scenes/SliderCrank.h"
#include "scenes/SphereStack.h"
#include "scenes/Tarvo.h"
#include "scenes/Tiles.h"
#include "scenes/TimeOfImpact.h"
#include "scenes/Tumbler.h"
#include "scenes/VaryingFriction.h"
#include "scenes/VaryingRestitution.h"
#include "scenes/VerticalStack.h"
#include "scenes/Web.h"

SceneEntry sceneEntries[] = {
	{"Contest", Contest::Create},
	{"Tumbler", Tumbler::Create},
	{"Tiles", Tiles::Create},
	{"Dump Shell", DumpShell::Create},
	{"Gears", Gears::Create},
	{"Cantilever", Cantilever::Create},
	{"Varying Restitution", VaryingRestitution::Create},
	{"Character Collision", CharacterCollision::Create},
	{"Edge Test", EdgeTest::Create},
	{"Body Types", BodyTypes::Create},
	{"Shape Editing", ShapeEditing::Create, "s switches the sensor"},
	{"Car", Car::Create},
	{"Apply Force", ApplyForce::Create, "w thrusts, a / d turn"},
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
	{"Bullet Test", BulletTest::Create},
	{"Continuous Test", ContinuousTest::Create},
	{"Time of Impact", TimeOfImpact::Create},
	{"Ray-Cast", RayCast::Create},
	{"Confined", Confined::Create},
	{"Pyramid", Pyramid::Create},
	{"Tarvo's Walker", Tarvo::Create},
	{"Edge Shapes", EdgeShapes::Create, "d destroys a body"},
	{"PolyCollision", PolyCollision::Create, "w a s d move the shape, q / e turn it"},
	{"Bridge", Bridge::Create},
	{"Breakable", Breakable::Create},
	{"Chain", Chain::Create},
	{"Collision Filtering", CollisionFiltering::Create},
	{"Collision Processing", CollisionProcessing::Create},
	{"Compound Shapes", CompoundShapes::Create},
	{"Distance Test", DistanceTest::Create, "w a s d move the shape, q / e turn it"},
	{"Dominos", Dominos::Create},
	{"Dynamic Tree", DynamicTreeTest::Create, "a automates, c creates, d destroys, m moves"},
	{"Sensor Test", SensorTest::Create},
	{"Slider Crank", SliderCrank::Create},
	{"Varying Friction", VaryingFriction::Create},
	{"Add Pair Stress Test", AddPair::Create},
	{nullptr, nullptr},
};
