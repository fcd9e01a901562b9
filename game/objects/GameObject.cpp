#include "game/objects/GameObject.h"

void GameObject::Update()
{
}

void GameObject::OnPreSolve(b2Contact*, const b2Manifold*, b2Fixture*, b2Fixture*)
{
}

void GameObject::OnContact(b2Contact*, b2Fixture*, b2Fixture*)
{
}

void GameObject::OnProjectileGone(int)
{
}

GameObject* GameObject::Owner(b2Fixture* fixture)
{
	return reinterpret_cast<GameObject*>(fixture->GetUserData().pointer);
}

int32_t GameObject::FlagsOf(b2Fixture* fixture)
{
	const GameObject* owner = Owner(fixture);
	return owner != nullptr ? owner->flags : 0;
}

int32_t GameObject::KindOf(b2Fixture* fixture)
{
	const GameObject* owner = Owner(fixture);
	return owner != nullptr ? owner->kind : -1;
}

b2FixtureUserData GameObject::UserData()
{
	b2FixtureUserData data;
	data.pointer = reinterpret_cast<uintptr_t>(this);
	return data;
}
