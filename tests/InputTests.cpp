// Game-pad state: dead zone, presses and releases, and events that do not fit.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/Input.h"

namespace
{
SDL_Event AxisEvent(int pad, int axis, int value)
{
	SDL_Event event{};
	event.type = SDL_JOYAXISMOTION;
	event.jaxis.which = static_cast<Uint8>(pad);
	event.jaxis.axis = static_cast<Uint8>(axis);
	event.jaxis.value = static_cast<Sint16>(value);
	return event;
}

SDL_Event ButtonEvent(int pad, int button, bool down)
{
	SDL_Event event{};
	event.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
	event.jbutton.which = static_cast<Uint8>(pad);
	event.jbutton.button = static_cast<Uint8>(button);
	event.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
	return event;
}

TEST(InputTest, AxesReadInThousandthsWithADeadZoneBelowFourThousand)
{
	Input pads;
	const struct
	{
		int raw;
		float expected;
	} cases[] = {{3999, 0.0f}, {4000, 4.0f}, {-4000, -4.0f}, {-3999, 0.0f}, {-32768, -32.768f},
		{32767, 32.767f}, {12345, 12.345f}};
	for (const auto& c : cases)
	{
		pads.HandleEvent(AxisEvent(1, 3, c.raw));
		EXPECT_FLOAT_EQ(pads.pads[1].axes[3], c.expected) << c.raw;
	}
	// A reading back inside the dead zone clears the old value.
	pads.HandleEvent(AxisEvent(1, 3, 20000));
	pads.HandleEvent(AxisEvent(1, 3, 100));
	EXPECT_EQ(pads.pads[1].axes[3], 0.0f);
	EXPECT_EQ(pads.pads[0].axes[3], 0.0f);
}

TEST(InputTest, APressAndReleaseInOneFrameReadsAsARelease)
{
	Input pads;
	pads.ClearChanged();
	pads.HandleEvent(ButtonEvent(0, 2, true));
	EXPECT_EQ(pads.pads[0].buttons[2], 1);
	EXPECT_EQ(pads.pads[0].changed[2], 1);
	pads.HandleEvent(ButtonEvent(0, 2, false));
	EXPECT_EQ(pads.pads[0].buttons[2], 0);
	EXPECT_EQ(pads.pads[0].changed[2], 1);

	// Held over frames: a press only in the first one.
	pads.ClearChanged();
	pads.HandleEvent(ButtonEvent(0, 4, true));
	EXPECT_EQ(pads.pads[0].changed[4], 1);
	pads.ClearChanged();
	EXPECT_EQ(pads.pads[0].buttons[4], 1);
	EXPECT_EQ(pads.pads[0].changed[4], 0);
}

TEST(InputTest, EventsForMissingPadsAxesOrButtonsAreDropped)
{
	Input pads;
	pads.HandleEvent(AxisEvent(2, 0, 30000));
	pads.HandleEvent(AxisEvent(255, 0, 30000));
	pads.HandleEvent(AxisEvent(0, 20, 30000));
	pads.HandleEvent(AxisEvent(0, 255, 30000));
	pads.HandleEvent(ButtonEvent(2, 0, true));
	pads.HandleEvent(ButtonEvent(0, 20, true));
	pads.HandleEvent(ButtonEvent(1, 255, true));
	SDL_Event quit{};
	quit.type = SDL_QUIT;
	pads.HandleEvent(quit);
	for (const PadState& pad : pads.pads)
	{
		for (int i = 0; i < AxesPerPad; ++i)
		{
			EXPECT_EQ(pad.axes[i], 0.0f);
			EXPECT_EQ(pad.buttons[i], 0);
			EXPECT_EQ(pad.changed[i], 0);
		}
	}
	pads.HandleEvent(AxisEvent(1, 19, -30000));
	pads.HandleEvent(ButtonEvent(1, 19, true));
	EXPECT_FLOAT_EQ(pads.pads[1].axes[19], -30.0f);
	EXPECT_EQ(pads.pads[1].buttons[19], 1);
}

TEST(InputTest, EventsPushedIntoSdlsQueueReachThePads)
{
	setenv("SDL_VIDEODRIVER", "dummy", 0);
	// No pads on this machine: Init reports it, yet the queue works.
	EXPECT_EQ(input.Init(), 1);
	SDL_Event axis = AxisEvent(0, 0, 25000);
	SDL_Event press = ButtonEvent(1, 5, true);
	ASSERT_EQ(SDL_PushEvent(&axis), 0);
	ASSERT_EQ(SDL_PushEvent(&press), 0);
	input.ClearChanged();
	SDL_Event event;
	while (SDL_PollEvent(&event))
	{
		input.HandleEvent(event);
	}
	EXPECT_FLOAT_EQ(input.pads[0].axes[0], 25.0f);
	EXPECT_EQ(input.pads[1].buttons[5], 1);
	EXPECT_EQ(input.pads[1].changed[5], 1);
	EXPECT_EQ(input.Shutdown(), 0);
}
} // namespace
