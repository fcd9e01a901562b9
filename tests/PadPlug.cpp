// Loaded into the real program with LD_PRELOAD, this plugs SDL 2 virtual
// pads into it and drives them, so a test reaches the program's pads through
// SDL's own event path. It reads one command per line from the pipe named by
// CONTEST_PADPLUG, once the program has started SDL's pads:
//   plug controller|raw NAME     (pads are numbered from 0 as plugged)
//   unplug PAD
//   press PAD BUTTON 0|1         (a controller's buttons in SDL's numbering)
//   move PAD AXIS VALUE
// The program's own frame loop turns what is set here into SDL's events.
#include <SDL2/SDL.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{
struct Pad
{
	SDL_JoystickID id;
	SDL_Joystick* joystick;
};

void Plug(std::vector<Pad>& pads, bool controller, const std::string& name)
{
	static std::vector<std::string> names;
	names.push_back(name);
	SDL_VirtualJoystickDesc desc{};
	desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
	desc.type = controller ? SDL_JOYSTICK_TYPE_GAMECONTROLLER : SDL_JOYSTICK_TYPE_UNKNOWN;
	desc.naxes = controller ? SDL_CONTROLLER_AXIS_MAX : 8;
	desc.nbuttons = controller ? SDL_CONTROLLER_BUTTON_MAX : 8;
	desc.name = names.back().c_str();
	const int index = SDL_JoystickAttachVirtualEx(&desc);
	SDL_Joystick* joystick = index < 0 ? nullptr : SDL_JoystickOpen(index);
	pads.push_back({joystick != nullptr ? SDL_JoystickInstanceID(joystick) : -1, joystick});
}

void Unplug(Pad& pad)
{
	if (pad.joystick == nullptr)
	{
		return;
	}
	SDL_JoystickClose(pad.joystick);
	pad.joystick = nullptr;
	for (int index = 0; index < SDL_NumJoysticks(); ++index)
	{
		if (SDL_JoystickGetDeviceInstanceID(index) == pad.id)
		{
			SDL_JoystickDetachVirtual(index);
		}
	}
}

void Run(std::string path)
{
	while (SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0)
	{
		std::this_thread::sleep_for(std::chrono::milliseconds(5));
	}
	std::ifstream commands(path);
	std::vector<Pad> pads;
	std::string line;
	while (std::getline(commands, line))
	{
		std::istringstream words(line);
		std::string verb;
		words >> verb;
		std::size_t pad = 0;
		int element = 0;
		int value = 0;
		if (verb == "plug")
		{
			std::string kind;
			std::string name;
			words >> kind;
			std::getline(words >> std::ws, name);
			Plug(pads, kind == "controller", name);
		}
		else if (verb == "unplug" && words >> pad && pad < pads.size())
		{
			Unplug(pads[pad]);
		}
		else if (verb == "press" && words >> pad >> element >> value && pad < pads.size())
		{
			SDL_JoystickSetVirtualButton(pads[pad].joystick, element, static_cast<Uint8>(value));
		}
		else if (verb == "move" && words >> pad >> element >> value && pad < pads.size())
		{
			SDL_JoystickSetVirtualAxis(pads[pad].joystick, element, static_cast<Sint16>(value));
		}
	}
}

__attribute__((constructor)) void StartPadPlug()
{
	if (const char* path = std::getenv("CONTEST_PADPLUG"))
	{
		std::thread(Run, std::string(path)).detach();
	}
}
} // namespace
