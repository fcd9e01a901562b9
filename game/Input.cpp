#include "game/Input.h"

#include "framework/input/InputStream.h"
#include "game/GamePads.h"

Input input(gamePads);

namespace
{
InputLine PadLine(const PadEvent& event)
{
	InputLine line;
	line.kind = InputLine::Pad;
	line.code = static_cast<int>(event.action);
	line.pad = event.pad;
	line.element = event.element;
	line.value = event.value;
	return line;
}

PadEvent EventOf(const InputLine& line)
{
	return {line.pad, static_cast<PadAction>(line.code), line.element, line.value};
}
} // namespace

Input::Input(GamePads& devices)
	: pads{}, devices(devices)
{
}

int Input::Init()
{
	return devices.Open() ? 0 : 1;
}

int Input::Shutdown()
{
	devices.Close();
	return 0;
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

void Input::Queue(const PadEvent& event)
{
	queued.push_back(event);
}

void Input::Read()
{
	ClearChanged();
	for (const PadEvent& event : queued)
	{
		HandleEvent(event);
	}
	queued.clear();
	const auto offer = [this](const PadEvent& event) {
		// A replay plays the recorded pads, never the live ones.
		if (stream->Offer(PadLine(event)))
		{
			HandleEvent(event);
		}
	};
	for (const PadEvent& event : lettingGo)
	{
		offer(event);
	}
	lettingGo.clear();
	devices.Poll(offer);
	while (const InputLine* line = stream->Next(InputChannel::Pads))
	{
		HandleEvent(EventOf(*line));
	}
}

void Input::LetGoOf(int pad)
{
	if (pad < 0 || pad >= MaxPads)
	{
		return;
	}
	const PadState& state = pads[pad];
	for (int button = 0; button < ButtonsPerPad; ++button)
	{
		if (state.buttons[button] != 0)
		{
			lettingGo.push_back(PadEvent::Button(pad, button, false));
		}
	}
	for (int axis = 0; axis < AxesPerPad; ++axis)
	{
		if (state.axes[axis] != 0.0f)
		{
			lettingGo.push_back(PadEvent::Axis(pad, axis, 0));
		}
	}
}

void Input::Reset()
{
	devices.Drop();
	queued.clear();
	lettingGo.clear();
	for (PadState& pad : pads)
	{
		pad = PadState{};
	}
}

void Input::HandleEvent(const PadEvent& event)
{
	if (event.pad < 0 || event.pad >= MaxPads || event.element < 0)
	{
		return;
	}
	PadState& pad = pads[event.pad];
	if (event.action == PadAction::Axis)
	{
		if (event.element >= AxesPerPad)
		{
			return;
		}
		float& axis = pad.axes[event.element];
		axis = 0.0f;
		const float v = static_cast<float>(event.value / 1000.0);
		if (v <= -DeadZone || v >= DeadZone)
		{
			axis = v;
		}
		return;
	}
	if (event.element >= ButtonsPerPad)
	{
		return;
	}
	pad.buttons[event.element] = event.action == PadAction::Press ? 1 : 0;
	pad.changed[event.element] = 1;
}
