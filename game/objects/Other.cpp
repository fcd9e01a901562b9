#include "game/objects/Other.h"

Other::Other()
{
	kind = KindOther;
}
