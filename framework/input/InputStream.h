#pragma once

#include <vector>

#include "framework/input/InputLine.h"

class Test;

// Where in the frame an input is taken: the shell's inputs before the step,
// the pads when the running scene reads them, keyboard play's release of
// every key when it polls.
enum class InputChannel
{
	Shell,
	Pads,
	Release,
};

// Whether an input of this kind is taken on channel; digests are on none.
bool IsOnChannel(InputLine::Kind kind, InputChannel channel);
// The camera (its keys too), the window and the panel's own switches: each
// machine of an online game keeps its own, and none changes the world.
bool IsMachineOwn(const InputLine& input);

// Hears every input that enters a frame, and the frame's boundaries: a
// recorder writes them down.
class InputListener
{
public:
	virtual ~InputListener() = default;
	virtual void Heard(const InputLine& input) = 0;
	// The scene is about to be rebuilt, with the world as it is now.
	virtual void SceneRestarts(const Test& scene) = 0;
	virtual void FrameBegins(const Test& scene) = 0;
	virtual void FrameEnds(const Test& scene) = 0;
	// The session ends with the world as it is now.
	virtual void SessionEnds(const Test& scene) = 0;
};

// Gives the session's inputs in place of the live ones: a recording played
// back. It is told the frame's boundaries to hand each input over in the
// frame it belongs to.
class InputSource : public InputListener
{
public:
	// The next input of the running frame taken on channel; null when the
	// frame has no more.
	virtual const InputLine* Next(InputChannel channel) = 0;
	// After the frame's shell inputs: the session ends here, before the
	// frame's step.
	virtual bool EndsBeforeStep(const Test& scene) = 0;
	// False once the source has nothing more to give and the live inputs
	// take over.
	virtual bool IsGiving() const = 0;
	// A live input while the source gives: true to carry it out at once
	// (the source lets it through), false to drop it or keep it to give
	// back later.
	virtual bool Offered(const InputLine& input)
	{
		(void)input;
		return false;
	}
	// Whether a live input may enter the session at all, whether or not
	// the source gives: a host playing alone keeps only what a game played
	// online may hold.
	virtual bool Admits(const InputLine& input)
	{
		(void)input;
		return true;
	}
	// The running frame may begin: everything it needs has come.
	virtual bool FrameReady() { return true; }
	// The live inputs still count while the source gives (and are offered
	// to it): a recording played back shows them nothing, a game played
	// online takes them all.
	virtual bool TakesLiveInputs() const { return false; }
	// The local pad slot whose events play the session's pad slot; -1 when
	// none on this machine does.
	virtual int LocalPadFor(int pad) const { return pad; }
};

// The one way in for every input that can change what happens: keys, the
// mouse as the scene receives it, the window's size, pad events from any
// device, keyboard play's release, panel changes and scene switches. Live
// inputs arrive from the window and the devices; while a source gives the
// session's inputs, the live ones are dropped and the source's come out in
// their frames instead. Listeners hear every input that goes in.
class InputStream
{
public:
	void SetSource(InputSource* source);
	void AddListener(InputListener* listener);
	void RemoveListener(InputListener* listener);

	// True while the inputs are live: no source gives them.
	bool IsLive() const;
	// True while live inputs count: live, or a source takes them.
	bool TakesLiveInputs() const;
	// The local pad slot that plays the session's pad slot, -1 for none:
	// online, this machine's pad plays only its own fighter.
	int LocalPadFor(int pad) const;
	// A live input: the listeners hear it and it is to be carried out (true),
	// or a source gives the inputs and does not let it through (false). One
	// it lets through is carried out unheard.
	bool Offer(const InputLine& input);
	// The source's next input on channel for the running frame; null when
	// live or when the frame has no more.
	const InputLine* Next(InputChannel channel);

	// The frame's boundaries, restarts and the session's end, for the
	// source and the listeners. A frame begins only once it is ready.
	bool FrameReady();
	void BeginFrame(const Test& scene);
	bool EndsBeforeStep(const Test& scene);
	void EndFrame(const Test& scene);
	void SceneRestarts(const Test& scene);
	void EndSession(const Test& scene);

private:
	void TellListeners(const InputLine& input);
	// Calls call on the source, then on every listener.
	template <typename Call>
	void Tell(Call call)
	{
		if (source != nullptr)
		{
			call(*source);
		}
		for (InputListener* listener : listeners)
		{
			call(*listener);
		}
	}

	InputSource* source = nullptr;
	std::vector<InputListener*> listeners;
};

