#include "game/GamePads.h"

#include <cstdio>

#include "game/PadMappings.h"

GamePads gamePads;

namespace
{
// A pad's name comes from the device: it is cut to this length and its
// control bytes are shown as '?' before it reaches a terminal or the screen.
constexpr std::size_t MaxNameLength = 60;

// The game's button for each controller button by position; -1 for buttons
// the game has no use for.
int GameButton(int controllerButton)
{
	switch (controllerButton)
	{
	case SDL_CONTROLLER_BUTTON_A:
		return 0;
	case SDL_CONTROLLER_BUTTON_B:
		return 1;
	case SDL_CONTROLLER_BUTTON_X:
		return 2;
	case SDL_CONTROLLER_BUTTON_Y:
		return 3;
	case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
		return 4;
	case SDL_CONTROLLER_BUTTON_START:
		return 5;
	case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
		return 6;
	default:
		return -1;
	}
}

// The D-pad's buttons in Slot::dpadHeld order, and which stick axis and way
// each pushes.
struct DpadDirection
{
	int button;
	int axis;
	int way;
};
constexpr DpadDirection DpadDirections[] = {
	{SDL_CONTROLLER_BUTTON_DPAD_UP, 1, -1},
	{SDL_CONTROLLER_BUTTON_DPAD_DOWN, 1, 1},
	{SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0, -1},
	{SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0, 1},
};

struct Rumbling
{
	Uint16 low;
	Uint16 high;
	Uint32 milliseconds;
};
constexpr Rumbling HitRumble = {0x4000, 0x8000, 150};
constexpr Rumbling DownRumble = {0xFFFF, 0xFFFF, 600};

std::string PrintableName(const char* name)
{
	std::string text = name != nullptr && *name != '\0' ? name : "unnamed pad";
	if (text.size() > MaxNameLength)
	{
		text.resize(MaxNameLength);
	}
	for (char& c : text)
	{
		const unsigned char byte = static_cast<unsigned char>(c);
		if (byte < ' ' || byte == 0x7F)
		{
			c = '?';
		}
	}
	return text;
}

} // namespace

bool GamePads::Open()
{
	// Without an SDL window SDL counts the program as in the background and
	// would keep the pads' input from it.
	SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
	// Ctrl-C and kill end the program as usual; SDL would turn them into
	// quit events that nothing here reads.
	SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
	open = SDL_Init(SDL_INIT_GAMECONTROLLER) == 0;
	if (open)
	{
		PadMappings::AddAll();
	}
	return open;
}

void GamePads::Close()
{
	for (Slot& slot : slots)
	{
		if (slot.controller != nullptr)
		{
			SDL_GameControllerClose(slot.controller);
		}
		else if (slot.joystick != nullptr)
		{
			SDL_JoystickClose(slot.joystick);
		}
		slot = Slot{};
	}
	SDL_Quit();
	open = false;
}

void GamePads::Poll(const Sink& take)
{
	if (!open)
	{
		return;
	}
	SDL_Event event;
	while (SDL_PollEvent(&event))
	{
		Handle(event, take);
	}
}

void GamePads::Drop()
{
	Poll([](const PadEvent&) {});
	for (Slot& slot : slots)
	{
		slot.held.fill(false);
		slot.axes.fill(0);
	}
}

void GamePads::Handle(const SDL_Event& event, const Sink& take)
{
	switch (event.type)
	{
	case SDL_JOYDEVICEADDED:
		Plug(event.jdevice.which);
		return;
	case SDL_JOYDEVICEREMOVED:
		Unplug(event.jdevice.which, take);
		return;
	default:
		break;
	}
	// A controller's input comes twice, mapped and raw: each slot takes
	// the one its layout reads.
	int slot = -1;
	switch (event.type)
	{
	case SDL_CONTROLLERBUTTONDOWN:
	case SDL_CONTROLLERBUTTONUP:
		slot = SlotOf(event.cbutton.which);
		if (slot >= 0 && slots[slot].controller != nullptr)
		{
			MappedButton(slot, event.cbutton.button, event.type == SDL_CONTROLLERBUTTONDOWN, take);
		}
		break;
	case SDL_CONTROLLERAXISMOTION:
		slot = SlotOf(event.caxis.which);
		if (slot >= 0 && slots[slot].controller != nullptr)
		{
			MappedAxis(slot, event.caxis.axis, event.caxis.value, take);
		}
		break;
	case SDL_JOYBUTTONDOWN:
	case SDL_JOYBUTTONUP:
		slot = SlotOf(event.jbutton.which);
		if (slot >= 0 && slots[slot].controller == nullptr)
		{
			Tell(slot, PadEvent::Button(slot, event.jbutton.button, event.type == SDL_JOYBUTTONDOWN), take);
		}
		break;
	case SDL_JOYAXISMOTION:
		slot = SlotOf(event.jaxis.which);
		if (slot >= 0 && slots[slot].controller == nullptr)
		{
			Tell(slot, PadEvent::Axis(slot, event.jaxis.axis, event.jaxis.value), take);
		}
		break;
	default:
		break;
	}
}

void GamePads::Plug(int deviceIndex)
{
	const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
	// Gone again already, or announced twice.
	if (id < 0 || SlotOf(id) >= 0)
	{
		return;
	}
	const std::string name = PrintableName(SDL_JoystickNameForIndex(deviceIndex));
	const SDL_JoystickGUID guid = SDL_JoystickGetDeviceGUID(deviceIndex);
	const int index = FreeSlotFor(guid);
	if (index < 0)
	{
		Say("pad ignored: " + name + " (two pads already play)");
		return;
	}
	Slot& slot = slots[index];
	if (SDL_IsGameController(deviceIndex))
	{
		slot.controller = SDL_GameControllerOpen(deviceIndex);
		if (slot.controller == nullptr)
		{
			std::fprintf(stderr, "contest: %s: SDL cannot use its mapping (%s); it keeps its raw layout\n",
				name.c_str(), SDL_GetError());
		}
	}
	slot.joystick = slot.controller != nullptr ? SDL_GameControllerGetJoystick(slot.controller)
											   : SDL_JoystickOpen(deviceIndex);
	if (slot.joystick == nullptr)
	{
		// Gone before it could be opened: its removal follows.
		if (slot.controller != nullptr)
		{
			SDL_GameControllerClose(slot.controller);
			slot.controller = nullptr;
		}
		return;
	}
	slot.id = id;
	slot.name = name;
	slot.guid = guid;
	slot.remembered = true;
	slot.stick = {};
	slot.dpad = {};
	slot.dpadHeld = {};
	Say("pad " + std::to_string(index) + ": " + name);
}

void GamePads::Unplug(SDL_JoystickID id, const Sink& take)
{
	const int index = SlotOf(id);
	if (index < 0)
	{
		return;
	}
	Slot& slot = slots[index];
	for (int element = 0; element <= MaxPadElement; ++element)
	{
		if (slot.held[element])
		{
			Tell(index, PadEvent::Button(index, element, false), take);
		}
		if (slot.axes[element] != 0)
		{
			Tell(index, PadEvent::Axis(index, element, 0), take);
		}
	}
	if (slot.controller != nullptr)
	{
		SDL_GameControllerClose(slot.controller);
	}
	else
	{
		SDL_JoystickClose(slot.joystick);
	}
	slot.controller = nullptr;
	slot.joystick = nullptr;
	slot.id = -1;
	Say("pad " + std::to_string(index) + ": " + slot.name + " pulled out");
	TakeWaitingPad(id);
}

void GamePads::TakeWaitingPad(SDL_JoystickID gone)
{
	// A pad turned away while two played is still plugged in: the first
	// such takes the slot just freed.
	for (int device = 0; device < SDL_NumJoysticks(); ++device)
	{
		const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device);
		if (id >= 0 && id != gone && SlotOf(id) < 0)
		{
			Plug(device);
			return;
		}
	}
}

int GamePads::SlotOf(SDL_JoystickID id) const
{
	for (int index = 0; index < PadSlots; ++index)
	{
		if (slots[index].id == id)
		{
			return index;
		}
	}
	return -1;
}

int GamePads::FreeSlotFor(const SDL_JoystickGUID& guid) const
{
	// Its own slot first, then one no pad has held, then any free one.
	const auto free = [this](int index) { return slots[index].id < 0; };
	for (int index = 0; index < PadSlots; ++index)
	{
		const Slot& slot = slots[index];
		if (free(index) && slot.remembered && SDL_memcmp(&slot.guid, &guid, sizeof guid) == 0)
		{
			return index;
		}
	}
	for (int index = 0; index < PadSlots; ++index)
	{
		if (free(index) && !slots[index].remembered)
		{
			return index;
		}
	}
	for (int index = 0; index < PadSlots; ++index)
	{
		if (free(index))
		{
			return index;
		}
	}
	return -1;
}

void GamePads::MappedButton(int index, int button, bool down, const Sink& take)
{
	Slot& slot = slots[index];
	for (std::size_t d = 0; d < slot.dpadHeld.size(); ++d)
	{
		const DpadDirection& direction = DpadDirections[d];
		if (direction.button != button)
		{
			continue;
		}
		slot.dpadHeld[d] = down;
		int way = 0;
		for (std::size_t other = 0; other < slot.dpadHeld.size(); ++other)
		{
			if (slot.dpadHeld[other] && DpadDirections[other].axis == direction.axis)
			{
				way += DpadDirections[other].way;
			}
		}
		slot.dpad[direction.axis] = way;
		ShowStick(index, direction.axis, take);
		return;
	}
	const int gameButton = GameButton(button);
	if (gameButton >= 0)
	{
		Tell(index, PadEvent::Button(index, gameButton, down), take);
	}
}

void GamePads::MappedAxis(int index, int axis, int value, const Sink& take)
{
	const int stickAxis = axis == SDL_CONTROLLER_AXIS_LEFTX ? 0 : axis == SDL_CONTROLLER_AXIS_LEFTY ? 1 : -1;
	if (stickAxis < 0)
	{
		return;
	}
	slots[index].stick[stickAxis] = value;
	ShowStick(index, stickAxis, take);
}

void GamePads::ShowStick(int index, int axis, const Sink& take)
{
	// A held D-pad direction wins; let go, the stick reads as it stands.
	const Slot& slot = slots[index];
	const int value = slot.dpad[axis] != 0 ? slot.dpad[axis] * PadFullDeflection : slot.stick[axis];
	if (value != slot.axes[axis])
	{
		Tell(index, PadEvent::Axis(index, axis, value), take);
	}
}

void GamePads::Tell(int index, const PadEvent& event, const Sink& take)
{
	if (event.element < 0 || event.element > MaxPadElement)
	{
		return;
	}
	Slot& slot = slots[index];
	if (event.action == PadAction::Axis)
	{
		slot.axes[event.element] = event.value;
	}
	else
	{
		slot.held[event.element] = event.action == PadAction::Press;
	}
	take(event);
}

void GamePads::Say(const std::string& line)
{
	std::fprintf(stderr, "%s\n", line.c_str());
	notice = line;
	noticeTime = std::chrono::steady_clock::now();
}

std::string GamePads::SlotName(int slot) const
{
	return slot >= 0 && slot < PadSlots && slots[slot].id >= 0 ? slots[slot].name : std::string();
}

void GamePads::Rumble(int index, Pulse pulse) const
{
	if (!rumbleOn || index < 0 || index >= PadSlots || slots[index].joystick == nullptr)
	{
		return;
	}
	const Rumbling& rumbling = pulse == Pulse::Down ? DownRumble : HitRumble;
	// Pads without a motor say so through the result, which changes nothing.
	SDL_JoystickRumble(slots[index].joystick, rumbling.low, rumbling.high, rumbling.milliseconds);
}
