#include "tests/support/AssetDir.h"

#include <unistd.h>

#include <stdexcept>
#include <string>

void EnterAssetDir()
{
	if (chdir(CONTEST_ASSET_DIR) != 0)
	{
		throw std::runtime_error(std::string("cannot enter ") + CONTEST_ASSET_DIR);
	}
}
