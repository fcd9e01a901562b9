#include "game/objects/Shield.h"

Shield::Shield()
{
	kind = KindShield;
}

void Shield::OnPreSolve(b2Contact* contact, const b2Manifold*, b2Fixture*, b2Fixture* other)
{
	if ((FlagsOf(other) & GroundFlag) != 0)
	{
		contact->SetEnabled(false);
	}
}
