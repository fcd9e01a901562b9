#pragma once

// The pad layouts SDL learns beyond its own: the mappings of
// SDL_GAMECONTROLLERCONFIG, then those of a gamecontrollerdb.txt beside the
// program (one per line, the community's format). Mappings meant for
// another platform are left out; those SDL rejects are told in one line on
// stderr per source, and such pads keep their raw layout.
namespace PadMappings
{
// Needs SDL's game-controller layer started.
void AddAll();
} // namespace PadMappings
