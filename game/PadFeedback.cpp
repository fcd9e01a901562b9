#include "game/PadFeedback.h"

#include <chrono>

#include "framework/core/SceneContext.h"
#include "game/GamePads.h"
#include "game/objects/Archer.h"
#include "game/objects/Knight.h"

namespace
{
// How long a pad's plug-in or pull-out stays on screen.
constexpr std::chrono::seconds PadNoticeTime(6);
} // namespace

void PadFeedback::Shake(const Knight& knight, const Archer& archer, bool swapPads, const SceneContext& context)
{
	const Felt now[] = {{knight.hurt, knight.Has(DyingFlag)}, {archer.hurt, archer.Has(DyingFlag)}};
	for (int f = 0; f < 2; ++f)
	{
		const int slot = context.LocalPadFor((f == 0) != swapPads ? 0 : 1);
		const bool shaking = context.DevicesLive() && slot >= 0;
		if (shaking && now[f].down && !felt[f].down)
		{
			gamePads.Rumble(slot, GamePads::Pulse::Down);
		}
		else if (shaking && now[f].hurt > felt[f].hurt)
		{
			gamePads.Rumble(slot, GamePads::Pulse::Hit);
		}
		felt[f] = now[f];
	}
}

std::string PadFeedback::Notice()
{
	if (std::chrono::steady_clock::now() - gamePads.NoticeTime() > PadNoticeTime)
	{
		return std::string();
	}
	return gamePads.Notice();
}
