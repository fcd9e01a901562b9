#pragma once

// Root of the game's class tree.
class Object
{
public:
	virtual ~Object() = default;
};
