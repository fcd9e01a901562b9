// Keyboard play turns keys into the events a pad would send.
#include <gtest/gtest.h>

#include "framework/input/InputStream.h"
#include "game/GamePads.h"
#include "game/Input.h"
#include "game/KeyboardPad.h"

namespace
{
class KeyboardPadTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		pads.UseStream(stream);
		keys.UseStream(stream);
		keys.SetEnabled(true);
	}

	// One game frame's worth of input, as the game step reads it: whether
	// any button changed.
	bool Drain()
	{
		keys.Poll();
		pads.Read();
		for (const PadState& pad : pads.pads)
		{
			for (int32_t changed : pad.changed)
			{
				if (changed != 0)
				{
					return true;
				}
			}
		}
		return false;
	}

	// No pads plugged in: the keys are all there is, and they are live.
	InputStream stream;
	GamePads devices;
	Input pads{devices};
	KeyboardPad keys{pads};
};

TEST_F(KeyboardPadTest, DirectionKeysGiveFullDeflectionAndDiagonals)
{
	EXPECT_TRUE(keys.KeyDown('d'));
	Drain();
	EXPECT_FLOAT_EQ(pads.pads[0].axes[0], 32.767f);
	EXPECT_EQ(pads.pads[0].axes[1], 0.0f);

	EXPECT_TRUE(keys.KeyDown('W'));
	Drain();
	EXPECT_FLOAT_EQ(pads.pads[0].axes[0], 32.767f);
	EXPECT_FLOAT_EQ(pads.pads[0].axes[1], -32.767f);

	// Opposite directions cancel; letting go of everything centres.
	keys.KeyDown('a');
	Drain();
	EXPECT_EQ(pads.pads[0].axes[0], 0.0f);
	keys.KeyUp('a');
	keys.KeyUp('d');
	keys.KeyUp('w');
	Drain();
	EXPECT_EQ(pads.pads[0].axes[0], 0.0f);
	EXPECT_EQ(pads.pads[0].axes[1], 0.0f);

	// The archer's keys move pad 1 only.
	keys.KeyDown('j');
	keys.KeyDown('k');
	Drain();
	EXPECT_FLOAT_EQ(pads.pads[1].axes[0], -32.767f);
	EXPECT_FLOAT_EQ(pads.pads[1].axes[1], 32.767f);
	EXPECT_EQ(pads.pads[0].axes[0], 0.0f);
	keys.ReleaseAll();
	Drain();
}

TEST_F(KeyboardPadTest, AHeldKeyIsOnePressHoweverOftenItRepeats)
{
	keys.KeyDown('f');
	Drain();
	EXPECT_EQ(pads.pads[0].buttons[0], 1);
	EXPECT_EQ(pads.pads[0].changed[0], 1);
	for (int i = 0; i < 5; ++i)
	{
		EXPECT_TRUE(keys.KeyDown('f'));
		EXPECT_FALSE(Drain());
		EXPECT_EQ(pads.pads[0].changed[0], 0);
	}
	keys.KeyUp('F');
	Drain();
	EXPECT_EQ(pads.pads[0].buttons[0], 0);
	EXPECT_EQ(pads.pads[0].changed[0], 1);
	// A release of a key that is not down sends nothing.
	keys.KeyUp('f');
	EXPECT_FALSE(Drain());
}

TEST_F(KeyboardPadTest, ButtonsMapToTheFightersActions)
{
	const struct
	{
		unsigned char key;
		int pad;
		int button;
	} cases[] = {{'f', 0, 0}, {'e', 0, 1}, {'q', 0, 2}, {'\r', 0, 5}, {'h', 1, 0}, {'u', 1, 1}, {'o', 1, 2}};
	for (const auto& c : cases)
	{
		keys.KeyDown(c.key);
		Drain();
		EXPECT_EQ(pads.pads[c.pad].buttons[c.button], 1) << c.key;
		keys.KeyUp(c.key);
		Drain();
		EXPECT_EQ(pads.pads[c.pad].buttons[c.button], 0) << c.key;
	}
}

TEST_F(KeyboardPadTest, SwitchingOffReleasesHeldKeysAndStopsListening)
{
	keys.KeyDown('q');
	keys.KeyDown('l');
	Drain();
	EXPECT_EQ(pads.pads[0].buttons[2], 1);
	keys.SetEnabled(false);
	Drain();
	EXPECT_EQ(pads.pads[0].buttons[2], 0);
	EXPECT_EQ(pads.pads[0].changed[2], 1);
	EXPECT_EQ(pads.pads[1].axes[0], 0.0f);

	EXPECT_FALSE(keys.KeyDown('q'));
	EXPECT_FALSE(keys.KeyUp('q'));
	EXPECT_FALSE(Drain());
}

TEST_F(KeyboardPadTest, OtherKeysAreLeftAlone)
{
	const unsigned char others[] = {'1', '9', 'm', 'p', 'r', 'x', 'z', ' ', '\t', 27};
	for (unsigned char key : others)
	{
		EXPECT_FALSE(keys.KeyDown(key)) << key;
		EXPECT_FALSE(keys.KeyUp(key)) << key;
	}
	EXPECT_FALSE(Drain());
}
} // namespace
