#include "scenes/ShapeEditing.h"

namespace
{
constexpr float Density = 10.0f;
constexpr float BoxHalfSize = 4.0f;
constexpr float CircleRadius = 3.0f;
const b2Vec2 CircleOffset(0.5f, -4.0f);
} // namespace

ShapeEditing::ShapeEditing()
	: fixture2(nullptr), sensor(false)
{
	CreateEdgeGround(b2Vec2(-40.0f, 0.0f), b2Vec2(40.0f, 0.0f));

	b2BodyDef bd;
	bd.type = b2_dynamicBody;
	bd.position.Set(0.0f, 10.0f);
	body = world->CreateBody(&bd);

	b2PolygonShape shape;
	shape.SetAsBox(BoxHalfSize, BoxHalfSize, b2Vec2(0.0f, 0.0f), 0.0f);
	body->CreateFixture(&shape, Density);
}

Test* ShapeEditing::Create()
{
	return new ShapeEditing;
}

void ShapeEditing::Keyboard(unsigned char key)
{
	switch (key)
	{
	case 'c':
		if (fixture2 == nullptr)
		{
			b2CircleShape shape;
			shape.m_radius = CircleRadius;
			shape.m_p = CircleOffset;
			fixture2 = body->CreateFixture(&shape, Density);
			body->SetAwake(true);
		}
		break;

	case 'd':
		if (fixture2 != nullptr)
		{
			body->DestroyFixture(fixture2);
			fixture2 = nullptr;
			sensor = false;
			body->SetAwake(true);
		}
		break;

	// The flag belongs to the circle, so it changes only while there is one.
	case 's':
		if (fixture2 != nullptr)
		{
			sensor = !sensor;
			fixture2->SetSensor(sensor);
			body->SetAwake(true);
		}
		break;

	default:
		break;
	}
}

void ShapeEditing::Step(Settings* settings)
{
	Test::Step(settings);

	debugDraw.DrawString(5, textLine, "Press: (c) create a shape, (d) destroy a shape.");
	textLine += TextLineStep;
	debugDraw.DrawString(5, textLine, "sensor = %d", sensor ? 1 : 0);
	textLine += TextLineStep;
}
