#include "framework/core/SceneContext.h"

namespace
{
class StandaloneContext : public SceneContext
{
public:
	Camera* WindowCamera() const override { return nullptr; }
	int LocalPadFor(int slot) const override { return slot; }
	bool DevicesLive() const override { return true; }
	int KeyModifiers() const override { return 0; }
};
} // namespace

const SceneContext& SceneContext::Standalone()
{
	static const StandaloneContext standalone;
	return standalone;
}
