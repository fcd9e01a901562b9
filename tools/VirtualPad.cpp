#include "tools/VirtualPad.h"

#include <stdexcept>

VirtualPad::VirtualPad(Kind kind, const std::string& name) : kind(kind), name(name)
{
	Plug();
}

VirtualPad::~VirtualPad()
{
	Unplug();
}

void VirtualPad::Plug()
{
	if (joystick != nullptr)
	{
		return;
	}
	SDL_VirtualJoystickDesc desc{};
	desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
	desc.name = name.c_str();
	desc.userdata = this;
	desc.Rumble = OnRumble;
	if (kind == Kind::Controller)
	{
		desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
		desc.naxes = SDL_CONTROLLER_AXIS_MAX;
		desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
	}
	else
	{
		desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
		desc.naxes = RawElements;
		desc.nbuttons = RawElements;
	}
	const int index = SDL_JoystickAttachVirtualEx(&desc);
	joystick = index < 0 ? nullptr : SDL_JoystickOpen(index);
	if (joystick == nullptr)
	{
		throw std::runtime_error("SDL plugs in no virtual pad: " + std::string(SDL_GetError()));
	}
}

void VirtualPad::Unplug()
{
	if (joystick == nullptr)
	{
		return;
	}
	const SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
	SDL_JoystickClose(joystick);
	joystick = nullptr;
	// Device numbers shift as pads come and go; the instance does not.
	for (int index = 0; index < SDL_NumJoysticks(); ++index)
	{
		if (SDL_JoystickGetDeviceInstanceID(index) == id)
		{
			SDL_JoystickDetachVirtual(index);
			return;
		}
	}
}

void VirtualPad::Press(int button, bool down)
{
	SDL_JoystickSetVirtualButton(joystick, button, down ? SDL_PRESSED : SDL_RELEASED);
	SDL_JoystickUpdate();
}

void VirtualPad::Move(int axis, int value)
{
	SDL_JoystickSetVirtualAxis(joystick, axis, static_cast<Sint16>(value));
	SDL_JoystickUpdate();
}

int VirtualPad::OnRumble(void* pad, Uint16 low, Uint16 high)
{
	static_cast<VirtualPad*>(pad)->rumbles.push_back({low, high});
	return 0;
}
