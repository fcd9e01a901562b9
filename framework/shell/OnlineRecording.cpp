#include "framework/shell/OnlineRecording.h"

#include <cstdio>

#include "framework/input/InputStream.h"
#include "framework/session/ReplayRecorder.h"

void OnlineRecording::GameStarts(const ReplayLog::Header& header, const std::vector<InputLine>& before, int frames)
{
	if (path.empty())
	{
		return;
	}
	if (recorded)
	{
		std::fprintf(stderr, "contest: %s holds an earlier game; this one is not recorded\n", path.c_str());
		return;
	}
	recorded = true;
	std::string error;
	if (!recorder.RecordAfter(path, header, before, frames, &error))
	{
		std::fprintf(stderr, "contest: %s\n", error.c_str());
		return;
	}
	stream.AddListener(&recorder);
}

void OnlineRecording::GameEnds(const Test& scene)
{
	if (recorder.IsRecording())
	{
		recorder.SessionEnds(scene);
		stream.RemoveListener(&recorder);
	}
}
