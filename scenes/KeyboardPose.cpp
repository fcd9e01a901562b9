#include "scenes/KeyboardPose.h"

namespace
{
constexpr float MoveStep = 0.1f;
constexpr float TurnStep = 0.1f * b2_pi;
} // namespace

KeyboardPose::KeyboardPose(const b2Vec2& position, float angle)
	: position(position), angle(angle)
{
	transform.Set(position, angle);
}

void KeyboardPose::Keyboard(unsigned char key)
{
	switch (key)
	{
	case 'a':
		position.x -= MoveStep;
		break;
	case 'd':
		position.x += MoveStep;
		break;
	case 's':
		position.y -= MoveStep;
		break;
	case 'w':
		position.y += MoveStep;
		break;
	case 'q':
		angle += TurnStep;
		break;
	case 'e':
		angle -= TurnStep;
		break;
	default:
		return;
	}
	transform.Set(position, angle);
}
