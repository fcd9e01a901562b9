#include "game/assets/LogFile.h"

#include <fstream>

LogFile::LogFile(const std::string& fileName)
	: fileName(fileName)
{
	std::ofstream truncate(fileName, std::ios::out | std::ios::trunc);
}

void LogFile::Commit()
{
	{
		std::ofstream file(fileName, std::ios::out | std::ios::app);
		if (file)
		{
			file << buffer.str();
			file.flush();
		}
	}
	buffer.str(std::string());
	buffer.clear();
}

LogFile& GetLog()
{
	static LogFile log("log.txt");
	return log;
}
