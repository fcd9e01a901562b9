#include "framework/core/Settings.h"

#include <cstring>

namespace
{
// Fewer than one iteration would leave the solver doing nothing; more than
// a hundred only burns time.
constexpr int MinIterations = 1;
constexpr int MaxIterations = 100;
} // namespace

const SettingField simulationFields[] = {
	{"velocityIterations", "Velocity iterations", &Settings::velocityIterations, MinIterations, MaxIterations},
	{"positionIterations", "Position iterations", &Settings::positionIterations, MinIterations, MaxIterations},
	{"enableWarmStarting", "Warm starting", &Settings::enableWarmStarting, 0, 1},
	{"enableContinuous", "Continuous collision", &Settings::enableContinuous, 0, 1},
	{"enableSubStepping", "Sub-stepping", &Settings::enableSubStepping, 0, 1},
};
const int simulationFieldCount = sizeof(simulationFields) / sizeof(simulationFields[0]);

const SettingField drawingFields[] = {
	{"drawShapes", "Shapes", &Settings::drawShapes, 0, 1},
	{"drawJoints", "Joints", &Settings::drawJoints, 0, 1},
	{"drawAABBs", "AABBs", &Settings::drawAABBs, 0, 1},
	{"drawPairs", "Pairs", &Settings::drawPairs, 0, 1},
	{"drawContactPoints", "Contacts", &Settings::drawContactPoints, 0, 1},
	{"drawContactNormals", "Normals", &Settings::drawContactNormals, 0, 1},
	{"drawCOMs", "Mass centres", &Settings::drawCOMs, 0, 1},
	{"drawStats", "Statistics", &Settings::drawStats, 0, 1},
	{"drawProfile", "Profile", &Settings::drawProfile, 0, 1},
};
const int drawingFieldCount = sizeof(drawingFields) / sizeof(drawingFields[0]);

const SettingField* FindSettingField(const char* key)
{
	const struct
	{
		const SettingField* fields;
		int count;
	} tables[] = {{simulationFields, simulationFieldCount}, {drawingFields, drawingFieldCount}};
	for (const auto& table : tables)
	{
		for (int i = 0; i < table.count; ++i)
		{
			if (std::strcmp(table.fields[i].key, key) == 0)
			{
				return &table.fields[i];
			}
		}
	}
	return nullptr;
}

void SetSettingField(Settings* settings, const SettingField& field, int value)
{
	settings->*field.field = value < field.min ? field.min : (value > field.max ? field.max : value);
}
