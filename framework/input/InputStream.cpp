#include "framework/input/InputStream.h"

#include <algorithm>

bool IsOnChannel(InputLine::Kind kind, InputChannel channel)
{
	using Line = InputLine;
	switch (kind)
	{
	case Line::Key:
	case Line::KeyUp:
	case Line::Special:
	case Line::MouseDown:
	case Line::ShiftMouseDown:
	case Line::MouseUp:
	case Line::MouseMove:
	case Line::View:
	case Line::Window:
	case Line::Change:
		return channel == InputChannel::Shell;
	case Line::Pad:
		return channel == InputChannel::Pads;
	case Line::Release:
		return channel == InputChannel::Release;
	default:
		return false;
	}
}

bool IsMachineOwn(const InputLine& input)
{
	using Line = InputLine;
	// The camera keys: the zoom keys, and the special keys that pan.
	const bool cameraKey = input.kind == Line::Special || (input.kind == Line::Key && (input.code == 'x' || input.code == 'z'));
	return cameraKey || input.kind == Line::View || input.kind == Line::Window ||
		(input.kind == Line::Change && input.change.local);
}

void InputStream::SetSource(InputSource* given)
{
	source = given;
}

void InputStream::AddListener(InputListener* listener)
{
	listeners.push_back(listener);
}

void InputStream::RemoveListener(InputListener* listener)
{
	listeners.erase(std::remove(listeners.begin(), listeners.end(), listener), listeners.end());
}

bool InputStream::IsLive() const
{
	return source == nullptr || !source->IsGiving();
}

bool InputStream::TakesLiveInputs() const
{
	return IsLive() || source->TakesLiveInputs();
}

int InputStream::LocalPadFor(int pad) const
{
	return IsLive() ? pad : source->LocalPadFor(pad);
}

bool InputStream::Offer(const InputLine& input)
{
	if (source != nullptr && !source->Admits(input))
	{
		return false;
	}
	if (!IsLive())
	{
		// What a source lets through is this machine's own (the camera, the
		// window): no recording of the session holds it.
		return source->Offered(input);
	}
	TellListeners(input);
	return true;
}

const InputLine* InputStream::Next(InputChannel channel)
{
	if (IsLive())
	{
		return nullptr;
	}
	const InputLine* input = source->Next(channel);
	if (input != nullptr)
	{
		TellListeners(*input);
	}
	return input;
}

bool InputStream::FrameReady()
{
	return IsLive() || source->FrameReady();
}

void InputStream::BeginFrame(const Test& scene)
{
	Tell([&scene](InputListener& listener) { listener.FrameBegins(scene); });
}

void InputStream::TellListeners(const InputLine& input)
{
	for (InputListener* listener : listeners)
	{
		listener->Heard(input);
	}
}

bool InputStream::EndsBeforeStep(const Test& scene)
{
	return source != nullptr && source->EndsBeforeStep(scene);
}

void InputStream::EndFrame(const Test& scene)
{
	Tell([&scene](InputListener& listener) { listener.FrameEnds(scene); });
}

void InputStream::SceneRestarts(const Test& scene)
{
	Tell([&scene](InputListener& listener) { listener.SceneRestarts(scene); });
}

void InputStream::EndSession(const Test& scene)
{
	Tell([&scene](InputListener& listener) { listener.SessionEnds(scene); });
}
