#include "framework/Test.h"
#include "scenes/Tiles.h"
#include "scenes/BulletTest.h"
#include "scenes/ContinuousTest.h"
#include "scenes/TimeOfImpact.h"
#include "scenes/RayCast.h"
#include "scenes/Confined.h"
#include "scenes/Pyramid.h"
#include "scenes/Tarvo.h"
#include "scenes/EdgeShapes.h"
#include "scenes/PolyCollision.h"
#include "scenes/Bridge.h"
#include "scenes/Breakable.h"
#include "scenes/Chain.h"
#include "scenes/CollisionFiltering.h"
#include "scenes/CollisionProcessing.h"
#include "scenes/CompoundShapes.h"
#include "scenes/DistanceTest.h"
#include "scenes/Dominos.h"
#include "scenes/DynamicTreeTest.h"
#include "scenes/SensorTest.h"
#include "scenes/SliderCrank.h"
#include "scenes/VaryingFriction.h"
#include "scenes/AddPair.h"

SceneEntry sceneEntries[] = {
	{"Tiles", Tiles::Create},
	{"Bullet Test", BulletTest::Create},
	{"Continuous Test", ContinuousTest::Create},
	{"Time of Impact", TimeOfImpact::Create},
	{"Ray-Cast", RayCast::Create},
	{"Confined", Confined::Create},
	{"Pyramid", Pyramid::Create},
	{"Tarvo's Walker", Tarvo::Create},
	{"Edge Shapes", EdgeShapes::Create},
	{"PolyCollision", PolyCollision::Create},
	{"Bridge", Bridge::Create},
	{"Breakable", Breakable::Create},
	{"Chain", Chain::Create},
	{"Collision Filtering", CollisionFiltering::Create},
	{"Collision Processing", CollisionProcessing::Create},
	{"Compound Shapes", CompoundShapes::Create},
	{"Distance Test", DistanceTest::Create},
	{"Dominos", Dominos::Create},
	{"Dynamic Tree", DynamicTreeTest::Create},
	{"Sensor Test", SensorTest::Create},
	{"Slider Crank", SliderCrank::Create},
	{"Varying Friction", VaryingFriction::Create},
	{"Add Pair Stress Test", AddPair::Create},
	{nullptr, nullptr},
};
