#include "game/PadControls.h"

#include "game/Input.h"

bool PadControls::PausePressed(const Input& pads)
{
	const PadState& pad0 = pads.pads[0];
	const PadState& pad1 = pads.pads[1];
	return (pad0.buttons[PauseButton] && pad0.changed[PauseButton]) ||
		(pad1.buttons[PauseButton] && pad1.changed[PauseButton]);
}

bool PadControls::TakeStart(Input& pads)
{
	bool start = false;
	for (int b = 0; b < StartButtons; ++b)
	{
		for (PadState& pad : pads.pads)
		{
			start = start || pad.buttons[b] != 0;
		}
		for (PadState& pad : pads.pads)
		{
			pad.buttons[b] = 0;
		}
	}
	return start;
}

void PadControls::Fill(ControlState& control, const PadState& pad)
{
	control.stick.Set(pad.axes[0], pad.axes[1]);
	for (int b = 0; b < FighterButtons; ++b)
	{
		control.held[b] = pad.buttons[b] != 0;
		control.changed[b] = pad.changed[b] != 0;
	}
	const float length = control.stick.Length();
	if (length > MaxStickLength)
	{
		control.stick *= MaxStickLength / length;
	}
}
