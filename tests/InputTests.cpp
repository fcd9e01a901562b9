// Game-pad state: dead zone, presses and releases, and events that do not fit.
#include <gtest/gtest.h>

#include "framework/input/InputStream.h"
#include "game/GamePads.h"
#include "game/Input.h"

namespace
{
PadEvent AxisEvent(int pad, int axis, int value)
{
	return PadEvent::Axis(pad, axis, value);
}

PadEvent ButtonEvent(int pad, int button, bool down)
{
	return PadEvent::Button(pad, button, down);
}

// Hears what goes in; once giving, gives one pad line.
class OnePadLine : public InputSource
{
public:
	void Heard(const InputLine& input) override { heard.push_back(input); }
	void SceneRestarts(const ::Test&) override {}
	void FrameBegins(const ::Test&) override {}
	void FrameEnds(const ::Test&) override {}
	void SessionEnds(const ::Test&) override {}
	const InputLine* Next(InputChannel channel) override
	{
		return giving && channel == InputChannel::Pads && !given++ ? &line : nullptr;
	}
	bool EndsBeforeStep(const ::Test&) override { return false; }
	bool IsGiving() const override { return giving; }

	bool giving = false;
	int given = 0;
	InputLine line;
	std::vector<InputLine> heard;
};

TEST(InputTest, AxesReadInThousandthsWithADeadZoneBelowFourThousand)
{
	GamePads devices;
	Input pads(devices);
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
	GamePads devices;
	Input pads(devices);
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
	GamePads devices;
	Input pads(devices);
	pads.HandleEvent(AxisEvent(2, 0, 30000));
	pads.HandleEvent(AxisEvent(255, 0, 30000));
	pads.HandleEvent(AxisEvent(0, 20, 30000));
	pads.HandleEvent(AxisEvent(0, 255, 30000));
	pads.HandleEvent(ButtonEvent(2, 0, true));
	pads.HandleEvent(ButtonEvent(0, 20, true));
	pads.HandleEvent(ButtonEvent(1, 255, true));
	pads.HandleEvent(ButtonEvent(-1, 0, true));
	pads.HandleEvent(AxisEvent(0, -1, 30000));
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
TEST(InputTest, ReadingGoesThroughTheStreamItWasGivenAndNoOther)
{
	InputStream stream;
	OnePadLine source;
	stream.SetSource(&source);
	stream.AddListener(&source);
	GamePads devices;
	Input pads(devices);
	pads.UseStream(stream);

	// Live: a let-go is offered to the stream, heard, and carried out.
	pads.HandleEvent(ButtonEvent(0, 2, true));
	pads.LetGoOf(0);
	pads.Read();
	ASSERT_EQ(source.heard.size(), 1u);
	EXPECT_EQ(source.heard[0].kind, InputLine::Pad);
	EXPECT_EQ(source.heard[0].element, 2);
	EXPECT_EQ(pads.pads[0].buttons[2], 0);

	// Played back: the stream's pad line is what the pads read.
	source.giving = true;
	source.line.kind = InputLine::Pad;
	source.line.code = static_cast<int>(PadAction::Press);
	source.line.pad = 1;
	source.line.element = 3;
	pads.Read();
	EXPECT_EQ(pads.pads[1].buttons[3], 1);
	EXPECT_EQ(pads.pads[1].changed[3], 1);
}
} // namespace
