#include "game/Input.h"

#include <csignal>

#include "framework/PadEvent.h"
#include "framework/InputStream.h"

Input input;

Input::Input()
	: pads{}, ready(false), joysticks{nullptr, nullptr}
{
}

Input::~Input() = default;

int Input::Init()
{
	if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0)
	{
		return 1;
	}
	// SDL turns SIGINT and SIGTERM into quit events, which nothing here
	// reads; give them back their usual meaning so Ctrl-C and kill work.
	std::signal(SIGINT, SIG_DFL);
	std::signal(SIGTERM, SIG_DFL);

	ready = true;
	if (SDL_NumJoysticks() < 1)
	{
		ready = false;
		return 1;
	}
	joysticks[0] = SDL_JoystickOpen(0);
	if (joysticks[0] == nullptr)
	{
		ready = false;
		return 1;
	}
	if (SDL_NumJoysticks() >= 2)
	{
		joysticks[1] = SDL_JoystickOpen(1);
	}
	return 0;
}

int Input::Shutdown()
{
	if (ready)
	{
		for (SDL_Joystick*& joystick : joysticks)
		{
			SDL_JoystickClose(joystick);
			joystick = nullptr;
		}
	}
	SDL_Quit();
	return 0;
}

SDL_Event PadAxisEvent(int pad, int axis, int value)
{
	SDL_Event event{};
	event.type = SDL_JOYAXISMOTION;
	event.jaxis.which = static_cast<Uint8>(pad);
	event.jaxis.axis = static_cast<Uint8>(axis);
	event.jaxis.value = static_cast<Sint16>(value);
	return event;
}

SDL_Event PadButtonEvent(int pad, int button, bool down)
{
	SDL_Event event{};
	event.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
	event.jbutton.which = static_cast<Uint8>(pad);
	event.jbutton.button = static_cast<Uint8>(button);
	event.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
	return event;
}

void Input::ClearChanged()
{
	for (PadState& pad : pads)
	{
		for (int32_t& changed : pad.changed)
		{
			changed = 0;
		}
	}
}

namespace
{
bool IsPadEvent(const SDL_Event& event)
{
	return event.type == SDL_JOYAXISMOTION || event.type == SDL_JOYBUTTONDOWN || event.type == SDL_JOYBUTTONUP;
}

ReplayLog::Line PadLine(const SDL_Event& event)
{
	ReplayLog::Line line;
	line.kind = ReplayLog::Line::Pad;
	line.code = static_cast<int>(event.type == SDL_JOYAXISMOTION ? PadAction::Axis
			: event.type == SDL_JOYBUTTONDOWN                   ? PadAction::Press
																: PadAction::Release);
	if (event.type == SDL_JOYAXISMOTION)
	{
		line.pad = event.jaxis.which;
		line.element = event.jaxis.axis;
		line.value = event.jaxis.value;
	}
	else
	{
		line.pad = event.jbutton.which;
		line.element = event.jbutton.button;
	}
	return line;
}

SDL_Event PadEvent(const ReplayLog::Line& line)
{
	const PadAction action = static_cast<PadAction>(line.code);
	return action == PadAction::Axis ? PadAxisEvent(line.pad, line.element, line.value)
									 : PadButtonEvent(line.pad, line.element, action == PadAction::Press);
}
} // namespace

void Input::Queue(const SDL_Event& event)
{
	queued.push_back(event);
}

void Input::Read()
{
	ClearChanged();
	for (const SDL_Event& event : queued)
	{
		HandleEvent(event);
	}
	queued.clear();
	SDL_Event event;
	while (SDL_PollEvent(&event))
	{
		// A replay plays the recorded pads, never the live ones.
		if (IsPadEvent(event) && inputStream.Offer(PadLine(event)))
		{
			HandleEvent(event);
		}
	}
	while (const ReplayLog::Line* line = inputStream.Next(InputChannel::Pads))
	{
		HandleEvent(PadEvent(*line));
	}
}

void Input::Reset()
{
	SDL_Event event;
	while (SDL_PollEvent(&event))
	{
	}
	queued.clear();
	for (PadState& pad : pads)
	{
		pad = PadState{};
	}
}

void Input::HandleEvent(const SDL_Event& event)
{
	switch (event.type)
	{
	case SDL_JOYAXISMOTION:
	{
		const SDL_JoyAxisEvent& axisEvent = event.jaxis;
		if (axisEvent.which >= MaxPads || axisEvent.axis >= AxesPerPad)
		{
			return;
		}
		float& axis = pads[axisEvent.which].axes[axisEvent.axis];
		axis = 0.0f;
		const float v = static_cast<float>(axisEvent.value / 1000.0);
		if (v <= -DeadZone || v >= DeadZone)
		{
			axis = v;
		}
		break;
	}
	case SDL_JOYBUTTONDOWN:
	case SDL_JOYBUTTONUP:
	{
		const SDL_JoyButtonEvent& buttonEvent = event.jbutton;
		if (buttonEvent.which >= MaxPads || buttonEvent.button >= ButtonsPerPad)
		{
			return;
		}
		PadState& pad = pads[buttonEvent.which];
		pad.buttons[buttonEvent.button] = event.type == SDL_JOYBUTTONDOWN ? 1 : 0;
		pad.changed[buttonEvent.button] = 1;
		break;
	}
	default:
		break;
	}
}
